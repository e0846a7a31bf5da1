#include "task/rk_script_task.h"

#include <deque>
#include <map>
#include <vector>

#include "fs/rk_file_manager.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_hr_exception.h"
#include "kernel/rk_instance_table.h"
#include "script/rk_lua_arg.h"
#include "script/rk_lua_shared_methods.h"
#include "script/rk_script_cache.h"
#include "util/rk_text.h"

namespace rk::task {

namespace {
constexpr const char* kSource = "src/task/rk_script_task";
}  // namespace

const script::LuaClass ScriptTask::kLuaClass{"rk::task::ScriptTask", script::castToInterface<ScriptTask, Task>};

struct ScriptTask::Impl {
  std::string scriptName;
  std::deque<std::string> nameStack;  // top = back
  res::ResourcePtr script;
  script::ScriptState* state = nullptr;
  std::multimap<int, res::ResourcePtr> modules;
  std::vector<std::string> moduleNames;
  int cacheRun = 0;
  bool loadFailed = false;
  bool ended = false;
  bool autoDelete = false;
  script::LuaObjectLinks scriptObjects;
};

ScriptTask::ScriptTask(const char* scriptName, int priority, const char* parentScriptName, int)
    : Task(priority, scriptName ? scriptName : ""), impl_(std::make_unique<Impl>()) {
  Impl& m = *impl_;
  m.scriptName = scriptName ? scriptName : "";
  m.nameStack.push_back(parentScriptName ? parentScriptName : "");

  std::string stored, mode;
  const bool compressed = fs::FileManager::mapAssetName(stored, mode, m.scriptName);
  if (fs::FileManager* files = fs::FileManager::getInstance())
    m.script = files->loadFile(stored, mode.c_str(), compressed, parentScriptName);

  // Taken after the load request, which may throw: a state is never left held.
  if (script::ScriptStateManager* manager = script::ScriptStateManager::getInstance()) {
    m.state = manager->createScriptState();
    m.state->setOwnerTask(this);
  }
}

ScriptTask::~ScriptTask() {
  Impl& m = *impl_;
  if (!m.state) debug::writeErrorLog(kSource, 279, "rk::task::ScriptTask::~ScriptTask");
  m.scriptObjects.clear();
  if (m.state && singletonExists(InstanceSlot::ScriptStateManager)) {
    script::ScriptStateManager::getInstance()->releaseScriptState(m.state);  // closes it: the Destructer runs
  }
  m.state = nullptr;
}

const char* ScriptTask::currentScriptName() {
  return impl_->nameStack.empty() ? nullptr : impl_->nameStack.back().c_str();
}

void ScriptTask::pushScriptName(const char* name) { impl_->nameStack.push_back(name ? name : ""); }

void ScriptTask::popScriptName() {
  if (!impl_->nameStack.empty()) impl_->nameStack.pop_back();
}

bool ScriptTask::isReady() const {
  for (const auto& module : impl_->modules)
    if (module.second && !module.second->isLoaded()) return false;
  // Without a script there is nothing to wait for: initStep reports it missing.
  return !impl_->script || impl_->script->isLoaded();
}

bool ScriptTask::includeModule(res::ResourceData* module) {
  if (!module) return false;
  Impl& m = *impl_;
  const int key = res::nameKey(module->name());
  auto range = m.modules.equal_range(key);
  for (auto it = range.first; it != range.second; ++it)
    if (it->second && it->second->name() == module->name()) return true;
  m.moduleNames.push_back(module->name());
  m.modules.emplace(key, res::ResourcePtr(module));
  return false;
}

void ScriptTask::registerMouseEvent(int kind, const char* function, const char* argument) {
  if (impl_->state) impl_->state->registerMouseEvent(kind, function ? function : "", argument ? argument : "");
}

int ScriptTask::initStep(float) {
  Impl& m = *impl_;
  // Closed or dropped by its script before it started: it never runs.
  if (!isAlive() && m.autoDelete) {
    m.ended = true;
    return 0;
  }
  if (!isReady()) return 1;

  std::vector<res::ResourcePtr> cached;  // referenced for the whole step
  if (singletonExists(InstanceSlot::ScriptCache))
    for (const auto& entry : script::ScriptCache::getInstance()->entries()) cached.push_back(entry.resource);
  for (const auto& resource : cached)
    if (resource && !resource->isLoaded()) return 1;

  if (!m.script) {
    const std::string text = std::string(m.nameStack.empty() ? "" : m.nameStack.back()) + "\n" +
                             "スクリプトファイル 「" + m.scriptName + "」が見つかりません";
    throw HrException(host::E_ABORT, kSource, 459, util::toWideString(text).c_str());
  }
  if (!m.state) {
    m.ended = true;
    return 0;
  }

  // Every cached script runs once per task, even across repeated steps.
  while (m.cacheRun < static_cast<int>(cached.size())) {
    if (cached[m.cacheRun]) m.state->setScript(cached[m.cacheRun].get(), true);
    m.loadFailed = false;
    ++m.cacheRun;
  }
  for (const std::string& name : m.moduleNames) {
    auto range = m.modules.equal_range(res::nameKey(name));
    for (auto it = range.first; it != range.second; ++it) {
      if (it->second && it->second->name() == name) {
        m.state->setScript(it->second.get(), false);
        break;
      }
    }
  }
  m.state->setScript(m.script.get(), false);
  m.loadFailed = false;
  return 0;
}

void ScriptTask::update(float) {
  Impl& m = *impl_;
  if (m.ended) return;
  if (m.state && m.state->update() != 0) return;
  m.ended = true;
  setActive(false);
  setAlive(!m.autoDelete);
}

const std::string& ScriptTask::scriptName() const { return impl_->scriptName; }
script::ScriptState* ScriptTask::state() const { return impl_->state; }
bool ScriptTask::isEnded() const { return impl_->ended; }
bool ScriptTask::isAutoDelete() const { return impl_->autoDelete; }
void ScriptTask::setAutoDelete(bool autoDelete) { impl_->autoDelete = autoDelete; }
bool ScriptTask::isLoadFailed() const { return impl_->loadFailed; }
int ScriptTask::cacheRun() const { return impl_->cacheRun; }

// ================================================================ script object

namespace {

ScriptTask* taskArg(lua_State* L, const char* name) {
  auto* task = script::toLuaObject<ScriptTask>(L, 1, ScriptTask::kLuaClass);
  if (!task) script::reportNullObject(name);
  return task;
}

int lua_script_task_setValid(lua_State* L) {
  const bool valid = script::toBoolArg(L, 2);
  if (ScriptTask* task = taskArg(L, "rk::task::`anonymous-namespace'::lua_script_task_setValid")) task->setAlive(valid);
  lua_settop(L, 0);
  return 0;
}

int lua_script_task_isReady(lua_State* L) {
  ScriptTask* task = taskArg(L, "rk::task::`anonymous-namespace'::lua_script_task_isReady");
  lua_settop(L, 0);
  lua_pushboolean(L, task && task->isReady());
  return 1;
}

int lua_script_task_run(lua_State* L) {
  ScriptTask* task = taskArg(L, "rk::task::`anonymous-namespace'::lua_script_task_run");
  lua_settop(L, 0);
  const bool ready = task && task->isReady();
  if (ready) {
    task->setAlive(true);
    task->setActive(true);
  } else if (task) {
    debug::writeErrorLog(kSource, 81, "rk::task::`anonymous-namespace'::lua_script_task_run");
  }
  lua_pushboolean(L, ready);
  return 1;
}

int lua_script_task_close(lua_State* L) {
  if (ScriptTask* task = taskArg(L, "rk::task::`anonymous-namespace'::lua_script_task_close")) {
    task->setActive(false);
    task->setAlive(false);
    task->setAutoDelete(true);
  }
  lua_settop(L, 0);
  return 0;
}

int lua_script_task_setAutoDeleteScript(lua_State* L) {
  const bool autoDelete = script::toBoolArg(L, 2);
  if (ScriptTask* task = taskArg(L, "rk::task::`anonymous-namespace'::lua_script_task_setAutoDeleteScript"))
    task->setAutoDelete(autoDelete);
  lua_settop(L, 0);
  return 0;
}

int lua_script_task_isRun(lua_State* L) {
  ScriptTask* task = taskArg(L, "rk::task::`anonymous-namespace'::lua_script_task_isRun");
  lua_settop(L, 0);
  lua_pushboolean(L, task && !task->isEnded());
  return 1;
}

// The task manager alone deletes tasks: dropping the object ends the task,
// and the manager deletes it at the end of the task's next turn.
int lua_script_task_gc(lua_State* L) {
  script::LuaObjectBlock* block = script::luaObjectBlock(L, 1);
  if (block && block->cls == &ScriptTask::kLuaClass) {
    if (auto* task = script::toLuaObject<ScriptTask>(L, 1, ScriptTask::kLuaClass)) {
      task->setActive(false);
      task->setAlive(false);
      task->setAutoDelete(true);
    }
    script::LuaObjectLinks::release(block);
  }
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kMethods[] = {
    {"setValid", lua_script_task_setValid},
    {"isReady", lua_script_task_isReady},
    {"run", lua_script_task_run},
    {"stop", lua_task::lua_command_stop},
    {"close", lua_script_task_close},
    {"setAutoDeleteScript", lua_script_task_setAutoDeleteScript},
    {"isRun", lua_script_task_isRun},
    {nullptr, nullptr},
};

}  // namespace

void ScriptTask::registerMethods(lua_State* L) { script::setMethods(L, kMethods); }

void ScriptTask::setMetatable(lua_State* L) { script::setObjectMetatable(L, lua_script_task_gc); }

int ScriptTask::pushScriptObject(lua_State* L) {
  script::LuaObjectBlock* block = nullptr;
  script::pushLuaObject(L, *this, this, kLuaClass, &block);
  impl_->scriptObjects.link(block);
  return 1;
}


}  // namespace rk::task
