// The save loader: the registry of objects that own a saved file. It knows the
// save folder, runs every loader at boot, every reflector after them, and every
// saver at shut-down, each list in registration order.
#pragma once
#include <string>
#include <vector>

namespace host::ui { class Window; }

namespace rk::res {

// `savePath` is null when the program has no save folder: a loader then takes
// its defaults without looking for a file.
class IResLoder {
 public:
  virtual ~IResLoder() = default;
  virtual bool load(const char* savePath) = 0;
};

// False when the file could not be written (the saver reports how itself).
class IResSaver {
 public:
  virtual ~IResSaver() = default;
  virtual bool save(const char* savePath) = 0;
};

class IResReflect {
 public:
  virtual ~IResReflect() = default;
  virtual void reflect(host::ui::Window* window) = 0;
};

class RkResSaveLoader {
 public:
  static RkResSaveLoader* createInstance();
  static RkResSaveLoader* getInstance();
  static void destroyInstance();

  RkResSaveLoader() = default;
  virtual ~RkResSaveLoader() = default;
  RkResSaveLoader(const RkResSaveLoader&) = delete;
  RkResSaveLoader& operator=(const RkResSaveLoader&) = delete;

  void setFolderName(const std::string& name) { folder_name_ = name; }
  const std::string& folderName() const { return folder_name_; }
  // The full save folder; empty until prepareSaveFolder has found or made it.
  const std::string& savePath() const { return save_path_; }
  bool hasSaveFolder() const { return !save_path_.empty(); }

  // The lists do not own their targets.
  void addLoadTarget(IResLoder* target) { loaders_.push_back(target); }
  void addSaveTarget(IResSaver* target) { savers_.push_back(target); }
  void addReflectTarget(IResReflect* target) { reflectors_.push_back(target); }

  // Computes the save folder (application-data folder + "\\" + folder name) and
  // creates it when it is missing. When there is no application-data folder
  // (or none the program can name in CP932), or the save folder cannot be
  // made, the program has no save folder: one error-log entry, the loaders
  // take their defaults and nothing is saved. Files never go to the root.
  void prepareSaveFolder(host::ui::Window* window);
  void loadAll();
  void reflectAll();
  // False when a saver failed; without a save folder no saver runs.
  bool saveAll();

 private:
  std::string save_path_;
  std::string folder_name_;
  std::vector<IResLoder*> loaders_;
  std::vector<IResSaver*> savers_;
  std::vector<IResReflect*> reflectors_;
  host::ui::Window* window_ = nullptr;
};

}  // namespace rk::res
