#include "res/rk_res_save_loader.h"

#include "host/fs.h"
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
  std::string appData = host::fs::appDataFolder();
  if (appData.empty()) {
    save_path_.clear();
    return;
  }
  save_path_ = folder_name_.empty() ? appData : appData + "\\" + folder_name_;
  // On a fresh system the application-data folder itself may be missing too.
  if (!host::fs::isDirectory(save_path_)) host::fs::makeDirectories(save_path_);
}

void RkResSaveLoader::loadAll() {
  for (IResLoder* target : loaders_) target->load(save_path_.c_str());
}

void RkResSaveLoader::reflectAll() {
  for (IResReflect* target : reflectors_) target->reflect(window_);
}

void RkResSaveLoader::saveAll() {
  for (IResSaver* target : savers_) target->save(save_path_.c_str());
}

}  // namespace rk::res
