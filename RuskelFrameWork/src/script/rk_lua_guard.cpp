#include "script/rk_lua_guard.h"

#include <string>

namespace rk::script {

namespace {
// Lua runs on the main thread only, so one slot serves every state.
std::exception_ptr parked;
}  // namespace

void parkException(std::exception_ptr exception) {
  if (!parked) parked = exception;
}

bool hasParkedException() { return static_cast<bool>(parked); }

std::exception_ptr takeParkedException() {
  std::exception_ptr out = parked;
  parked = nullptr;
  return out;
}

void rethrowParkedException() {
  if (std::exception_ptr out = takeParkedException()) std::rethrow_exception(out);
}

int raiseParkedException(lua_State* L) {
  std::string message = "error";
  if (parked) {
    try {
      std::rethrow_exception(parked);
    } catch (const std::exception& e) {
      message = e.what();
    } catch (...) {  // only our own rethrow can land here
    }
  }
  lua_pushlstring(L, message.data(), message.size());
  return lua_error(L);
}

int protectedCall(lua_State* L, int nargs, int nresults) {
  int status = lua_pcall(L, nargs, nresults, 0);
  rethrowParkedException();
  return status;
}

int protectedResume(lua_State* L, lua_State* from, int nargs) {
  int status = lua_resume(L, from, nargs);
  rethrowParkedException();
  return status;
}

}  // namespace rk::script
