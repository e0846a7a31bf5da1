#include "res/rk_res_save_loader.h"

#include "host/fs.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"

namespace rk::res {

namespace {
const SingletonReport kReport{"src/res/rk_res_save_loader", "rk::res::RkResSaveLoader", 68, 86, 77};
}

RkResSaveLoader* RkResSaveLoader::createInstance() {
  return singletonCreate<RkResSaveLoader>(InstanceSlot::SaveLoader, kReport);
}

RkResSaveLoader* RkResSaveLoader::getInstance() {
  return singletonGet<RkResSaveLoader>(InstanceSlot::SaveLoader, kReport);
}

void RkResSaveLoader::destroyInstance() { singletonDestroy<RkResSaveLoader>(InstanceSlot::SaveLoader, kReport); }

void RkResSaveLoader::prepareSaveFolder(host::ui::Window* window) {
  window_ = window;
  save_path_.clear();
  const std::string appData = host::fs::appDataFolder();
  if (appData.empty()) {
    debug::writeErrorLog("src/res/rk_res_save_loader", 31, "rk::res::RkResSaveLoader::prepareSaveFolder");
    return;
  }
  const std::string path = folder_name_.empty() ? appData : appData + "\\" + folder_name_;
  // On a fresh system the application-data folder itself may be missing too.
  if (!host::fs::isDirectory(path) && !host::fs::makeDirectories(path)) {
    debug::writeErrorLog("src/res/rk_res_save_loader", 37, "rk::res::RkResSaveLoader::prepareSaveFolder");
    return;
  }
  save_path_ = path;
}

void RkResSaveLoader::loadAll() {
  for (IResLoder* target : loaders_) target->load(hasSaveFolder() ? save_path_.c_str() : nullptr);
}

void RkResSaveLoader::reflectAll() {
  for (IResReflect* target : reflectors_) target->reflect(window_);
}

bool RkResSaveLoader::saveAll() {
  if (!hasSaveFolder()) return false;  // reported once, when the folder was sought
  bool saved = true;
  for (IResSaver* target : savers_) saved = target->save(save_path_.c_str()) && saved;
  return saved;
}

}  // namespace rk::res
