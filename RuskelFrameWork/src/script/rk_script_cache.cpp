#include "script/rk_script_cache.h"

#include "fs/rk_file_manager.h"
#include "kernel/rk_instance_table.h"

namespace rk::script {

namespace {
const SingletonReport kReport{"src/script/rk_script_cache", "rk::script::ScriptCache", 71, 89, 80};
}  // namespace

ScriptCache* ScriptCache::createInstance() { return singletonCreate<ScriptCache>(InstanceSlot::ScriptCache, kReport); }
ScriptCache* ScriptCache::getInstance() { return singletonGet<ScriptCache>(InstanceSlot::ScriptCache, kReport); }
void ScriptCache::destroyInstance() { singletonDestroy<ScriptCache>(InstanceSlot::ScriptCache, kReport); }

void ScriptCache::add(const char* name) {
  const std::string requested = name ? name : "";
  std::string stored, mode;
  const bool compressed = fs::FileManager::mapAssetName(stored, mode, requested);
  res::ResourcePtr resource;
  if (fs::FileManager* files = fs::FileManager::getInstance())
    resource = files->loadFile(stored, mode.c_str(), compressed, nullptr);
  entries_.push_back(Entry{res::nameKey(requested), requested, resource});
}

void ScriptCache::clear() {
  entries_.clear();
  entries_.shrink_to_fit();
}

}  // namespace rk::script
