// Named, reference-counted byte buffers (resources), the manager that finds them
// by name, and resource packs whose entries become views into one pack's bytes.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "policy/rk_shared_object.h"

namespace rk::res {

// The key every name-keyed table of the framework files names under: the sum of
// (signed byte + 3) over the name, wrapped to 32 bits, read unsigned, mod 251.
int nameKey(const char* name);
inline int nameKey(const std::string& name) { return nameKey(name.c_str()); }

class ResourceManager;

class ResourceData : public policy::SharedObject {
 public:
  // Files itself in the manager under the name's key.
  ResourceData(const char* name, ResourceManager* manager);
  ~ResourceData() override;

  // Runs on the last release: the resource leaves its manager.
  void destroy() override;
  // Reads the file again into the same resource (a view does nothing).
  void reload();

  int key() const { return key_; }
  const std::string& name() const { return name_; }
  const std::string& owner() const { return owner_; }
  void setOwner(const std::string& owner) { owner_ = owner; }
  const std::string& mode() const { return mode_; }
  void setMode(const std::string& mode) { mode_ = mode; }
  bool isCompressed() const { return compressed_; }
  void setCompressed(bool compressed) { compressed_ = compressed; }
  bool isReady() const { return ready_; }
  void setReady(bool ready) { ready_ = ready; }
  bool isRunnable() const { return runnable_; }
  void setRunnable(bool runnable) { runnable_ = runnable; }
  bool isView() const { return view_; }

  // Makes this resource a view of `size` bytes inside `parent`, which it keeps alive.
  void setView(const std::uint8_t* bytes, std::uint32_t size, ResourceData* parent);

  // The view's bytes, else the owned bytes; null when there are none.
  const std::uint8_t* data() const;
  std::uint32_t size() const;
  // A view, or a file load that has completed.
  bool isLoaded() const { return view_ || ready_; }

  // The bytes the file manager fills (unused while this is a view).
  std::vector<std::uint8_t>& ownedBytes() { return owned_; }
  // Resources that are views into this one; its bytes must not move while any exist.
  int viewCount() const { return view_count_; }

  ResourceManager* manager() const { return manager_; }
  // The manager is going away before this resource.
  void detachManager() { manager_ = nullptr; }

 private:
  int key_;
  std::string name_;
  std::string owner_;
  std::string mode_;
  bool compressed_ = false;
  ResourceManager* manager_;
  bool ready_ = false;
  bool runnable_ = false;
  bool view_ = false;
  const std::uint8_t* view_bytes_ = nullptr;
  std::uint32_t view_size_ = 0;
  std::vector<std::uint8_t> owned_;
  ResourceData* parent_ = nullptr;  // holds one reference while set
  int view_count_ = 0;
};

using ResourcePtr = policy::SharedPtr<ResourceData>;

class ResourceManager {
 public:
  static ResourceManager* createInstance();
  static ResourceManager* getInstance();
  static void destroyInstance();

  ResourceManager();
  ~ResourceManager();
  ResourceManager(const ResourceManager&) = delete;
  ResourceManager& operator=(const ResourceManager&) = delete;

  // The first filed resource with exactly this name, or null.
  ResourcePtr findResource(const std::string& name);
  // findResource, or a new empty resource of that name.
  ResourcePtr getResourceData(const std::string& name);
  void insert(ResourceData* resource);
  void removeResourceData(ResourceData* resource);
  std::size_t count() const { return map_.size(); }

 private:
  std::multimap<int, ResourceData*> map_;
};

// A pack: one compressed file whose content is an entry directory and the entries'
// bytes. Setting it up files every entry as a named resource viewing the content.
class RomPack {
 public:
  RomPack();
  ~RomPack();
  RomPack(const RomPack&) = delete;
  RomPack& operator=(const RomPack&) = delete;

  // Asks the file manager for the pack file (name as given, "rb", compressed).
  bool load(const char* name);
  // The pack's bytes are in memory.
  bool isReady() const;
  // Registers the entries; `script` marks them runnable as scripts. Entries whose
  // directory record is damaged are reported and skipped.
  void setup(bool script);

  const std::string& name() const { return name_; }
  const ResourcePtr& pack() const { return pack_; }
  const std::vector<ResourcePtr>& entries() const { return entries_; }

 private:
  std::vector<ResourcePtr> entries_;
  ResourcePtr pack_;
  std::string name_;
};

}  // namespace rk::res
