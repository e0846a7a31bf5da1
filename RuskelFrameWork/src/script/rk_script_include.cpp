// includeModule and the script-file object of loadScriptFromFile: scripts that
// run at once in the calling state, with a Retry/Cancel box when they fail.
#include <string>

#include "fs/rk_file_manager.h"
#include "host/ui.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_hr_exception.h"
#include "kernel/rk_instance_table.h"
#include "script/rk_lua_arg.h"
#include "script/rk_lua_guard.h"
#include "script/rk_lua_object.h"
#include "script/rk_script.h"
#include "rk_script_internal.h"
#include "script/rk_script_system.h"
#include "rk_script_system_internal.h"
#include "task/rk_script_task.h"

namespace rk::script::system {

int showScriptLoadError(int status, const std::string& name, lua_State* L) {
  const char* caption = "エラー";
  switch (status) {
    case LUA_ERRRUN: caption = "実行時エラー"; break;
    case LUA_ERRMEM: caption = "メモリ割り当てエラー"; break;
    case LUA_ERRGCMM: caption = " __gc メタメソッド実行中のエラー"; break;
    case LUA_ERRERR: caption = "メッセージハンドラ実行中のエラー"; break;
    default: break;
  }
  std::string text = name + "\n";
  {
    GcPause pause(L);
    if (const char* message = lua_tostring(L, -1)) text += message;
  }
  return host::ui::messageBox(ownerWindow(), text, caption, host::ui::MB_RETRYCANCEL | host::ui::MB_ICONERROR);
}

namespace {

// Loads the resource's bytes as a chunk named after it. Source text only: Lua
// does not verify precompiled chunks, and a damaged one would crash the
// process instead of failing to load.
int loadChunk(lua_State* L, res::ResourceData* resource) {
  return luaL_loadbufferx(L, reinterpret_cast<const char*>(resource->data()), resource->size(),
                          resource->name().c_str(), "t");
}

// Keeps the calling task's script-name stack balanced however includeModule ends.
class ScriptNameScope {
 public:
  ScriptNameScope(task::ScriptTask* task, const std::string& name) : task_(task) {
    if (task_) task_->pushScriptName(name.c_str());
  }
  ~ScriptNameScope() { pop(); }
  void pop() {
    if (task_) task_->popScriptName();
    task_ = nullptr;
  }

 private:
  task::ScriptTask* task_;
};

}  // namespace

int lua_includeModule(lua_State* L) {
  const std::string requested = toTextOrEmpty(L, 1);
  lua_settop(L, 0);
  std::string mapped, mode;
  makeScriptPackPath(mapped, mode, requested);

  task::ScriptTask* current = currentScriptTask(L);
  std::string owner;
  if (current && current->currentScriptName()) owner = current->currentScriptName();
  ScriptNameScope names(current, mapped);

  if (!singletonExists(InstanceSlot::FileManager)) return 0;
  res::ResourcePtr module =
      fs::FileManager::getInstance()->loadFile(mapped, "rb", true, current ? owner.c_str() : nullptr);
  waitUntilLoaded(module.get());

  // Retry runs the module again, as often as the user asks.
  for (;;) {
    int status = loadChunk(L, module.get());
    if (status != LUA_OK) {
      debug::writeErrorLog(kSource, 1205, "rk::script::system::`anonymous-namespace'::includeModule");
    } else {
      status = protectedCall(L, 0, LUA_MULTRET);
    }
    if (status == LUA_OK) break;
    const int answer = showScriptLoadError(status, module->name(), L);
    lua_settop(L, 0);
    if (answer != host::ui::IDRETRY) throw HrException(host::E_ACCESSDENIED, kSource, 1247, L"読み込みエラー");
    module->reload();
    waitUntilLoaded(module.get());
  }
  lua_settop(L, 0);
  names.pop();
  if (current) current->includeModule(module.get());
  return 0;
}

// ========================================================= script-file object

namespace {

const LuaClass kScriptFileClass{"rk::res::ResourceData (script file)",
                                castToInterface<res::ResourceData, policy::SharedObject>};

res::ResourceData* scriptFileArg(lua_State* L, const char* name) {
  auto* resource = toLuaObject<res::ResourceData>(L, 1, kScriptFileClass);
  if (!resource) reportNullObject(name);
  return resource;
}

int lua_script_file_reload(lua_State* L) {
  res::ResourceData* resource = scriptFileArg(L, "rk::script::system::`anonymous-namespace'::script_from_file_reload");
  lua_settop(L, 0);
  if (resource) resource->reload();
  return 0;
}

int lua_script_file_isReady(lua_State* L) {
  res::ResourceData* resource = scriptFileArg(L, "rk::script::system::`anonymous-namespace'::script_from_file_isReady");
  lua_settop(L, 0);
  lua_pushboolean(L, resource && resource->isLoaded());
  return 1;
}

// Runs the script on a new thread of the calling state; a failure offers
// Retry (reload, wait, run again) or Cancel (HrException).
int lua_script_file_firstRun(lua_State* L) {
  const char* kName = "rk::script::system::`anonymous-namespace'::script_from_file_firstRun";
  res::ResourceData* resource = scriptFileArg(L, kName);
  const bool useCoroutine = lua_type(L, 2) == LUA_TBOOLEAN && lua_toboolean(L, 2);
  toIntArg(L, 3);
  lua_settop(L, 0);
  if (!resource || !resource->isRunnable()) return 0;
  res::ResourcePtr hold(resource);  // the object may be collected while the script runs

  for (;;) {
    lua_settop(L, 0);
    lua_State* thread = lua_newthread(L);  // anchored on L's stack
    lua_pushcfunction(thread, luaopen_base);
    protectedCall(thread, 0, 0);
    lua_settop(thread, 0);

    int status = loadChunk(thread, resource);
    if (useCoroutine) {
      if (status == LUA_OK) status = protectedResume(thread, L, 0);
      if (status == LUA_YIELD) {  // a chunk that yields ends its run there
        debug::writeErrorLog(kSource, 944, kName);
        status = LUA_OK;
      }
    } else {
      if (status == LUA_ERRMEM)
        host::ui::messageBox(ownerWindow(), "メモリ不足です。", "エラー", host::ui::MB_ICONERROR);
      if (status == LUA_ERRGCMM)
        host::ui::messageBox(ownerWindow(), "ガベージコレクタエラー", "エラー", host::ui::MB_ICONERROR);
      if (status == LUA_OK) status = protectedCall(thread, 0, LUA_MULTRET);
    }
    if (status == LUA_OK) break;
    if (showScriptLoadError(status, resource->name(), thread) != host::ui::IDRETRY)
      throw HrException(host::E_FAIL, kSource, 1063, L"読み込みエラー");
    resource->reload();
    waitUntilLoaded(resource);
  }
  lua_settop(L, 0);
  lua_pushnumber(L, 0);
  return 1;
}

const luaL_Reg kScriptFileMethods[] = {
    {"reload", guarded<lua_script_file_reload>},
    {"isReady", guarded<lua_script_file_isReady>},
    {"firstRun", guarded<lua_script_file_firstRun>},
    {nullptr, nullptr},
};

}  // namespace

int lua_loadScriptFromFile(lua_State* L) {
  const std::string requested = toTextOrEmpty(L, 1);
  lua_settop(L, 0);
  std::string mapped, mode;
  makeScriptPackPath(mapped, mode, requested);
  if (!singletonExists(InstanceSlot::FileManager)) return 0;
  res::ResourcePtr resource = fs::FileManager::getInstance()->loadFile(mapped, "rb", true, nullptr);
  if (!resource) return 0;
  resource->setRunnable(true);
  return pushSharedObject(L, resource.get(), kScriptFileClass, kScriptFileMethods);
}

}  // namespace rk::script::system
