// Status boxes of Lua errors, the phase thread's resume, and waiting for a
// resource the file manager is delivering.
#include <cstdio>
#include <string>

#include "fs/rk_file_manager.h"
#include "host/clock.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_hr_exception.h"
#include "kernel/rk_instance_table.h"
#include "script/rk_lua_guard.h"
#include "script/rk_script.h"
#include "rk_script_internal.h"

namespace rk::script {

namespace {

constexpr const char* kSource = "src/script/rk_script";

// The value as lua_tostring gives it; empty for other values.
std::string textAt(lua_State* L, int index) {
  size_t length = 0;
  const char* text = lua_tolstring(L, index, &length);
  return text ? std::string(text, length) : std::string();
}

// luaL_traceback of L from level 1, with the message when one is given.
std::string traceback(lua_State* L, const char* message) {
  luaL_traceback(L, L, message, 1);
  std::string out = textAt(L, -1);
  lua_pop(L, 1);
  return out;
}

const char* captionOf(int status) {
  switch (status) {
    case LUA_ERRRUN: return "実行時エラー";
    case LUA_ERRSYNTAX: return "コンパイル中に構文エラーが発生しました。";
    case LUA_ERRMEM: return "メモリ割り当てエラー";
    case LUA_ERRGCMM: return "__gc メタメソッド実行中のエラー";
    case LUA_ERRERR: return "メッセージハンドラ実行中のエラー";
    default: return nullptr;
  }
}

}  // namespace

host::ui::Window* ownerWindow() {
  if (!singletonExists(InstanceSlot::DeviceContext)) return nullptr;
  return DeviceContext::getInstance()->getWindowHandle();
}

bool reportLuaStatus(int status, lua_State* L) {
  if (status == LUA_OK || status == LUA_YIELD) return true;
  const char* caption = captionOf(status);
  if (!caption) return false;

  std::string text;
  {
    GcPause pause(L);
    const bool hasError = lua_gettop(L) > 0;
    const std::string error = hasError ? textAt(L, -1) : std::string();
    if (status == LUA_ERRRUN) {
      if (error.empty()) {
        text = traceback(L, nullptr);
      } else {
        char kind[64];
        std::snprintf(kind, sizeof kind, "(error object is a %s value)", luaL_typename(L, 1));
        const std::string message = error + "\n" + kind;
        text = message + traceback(L, message.c_str());
      }
    } else {
      const int firstType = lua_type(L, 1);
      const bool firstIsText = firstType == LUA_TSTRING || firstType == LUA_TNUMBER;
      const std::string first = firstIsText ? textAt(L, 1) : std::string();
      text = error + "\n" + traceback(L, firstIsText ? first.c_str() : nullptr);
    }
  }
  host::ui::messageBox(ownerWindow(), text, caption, host::ui::MB_ICONERROR);
  return false;
}

int scriptResume(lua_State* L) {
  const int status = protectedResume(L, nullptr, 0);
  if (!reportLuaStatus(status, L)) {
    debug::writeErrorLog(kSource, 162, "rk::script::scriptResume");
    throw HrException(host::E_FAIL, kSource, 163, L"スクリプトエラー");
  }
  lua_settop(L, 0);
  return status;
}

bool waitUntilLoaded(res::ResourceData* resource) {
  while (resource && !resource->isLoaded()) {
    if (!singletonExists(InstanceSlot::FileManager)) return false;
    fs::FileManager* files = fs::FileManager::getInstance();
    files->notify();
    if (resource->isLoaded()) break;
    // Nothing queued and nothing in transfer: this resource is not on its way.
    if (files->isStop() || (files->queuedCount() == 0 && files->transferState() == fs::kTransferIdle)) return false;
    host::clock::sleepMs(1);
  }
  return true;
}

}  // namespace rk::script
