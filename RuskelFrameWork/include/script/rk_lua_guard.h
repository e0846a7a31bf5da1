// No C++ exception may cross a Lua call: Lua unwinds its own errors through
// the C++ frames between it and its protected call, and a foreign exception
// would leave the Lua state half unwound. A binding that fails hard therefore
// parks its exception and raises a Lua error instead; the host code that called
// lua_resume or lua_pcall rethrows the parked exception when the call returns.
#pragma once
#include <exception>

#include <lua.hpp>

namespace rk::script {

// Keeps the exception until the host rethrows it; the first one parked wins.
void parkException(std::exception_ptr exception);
bool hasParkedException();
// Returns the parked exception and forgets it (null when none).
std::exception_ptr takeParkedException();
// Rethrows and forgets the parked exception, if any.
void rethrowParkedException();

// Raises a Lua error whose message is the parked exception's text.
int raiseParkedException(lua_State* L);

// lua_pcall, then the parked exception (if any) is rethrown.
int protectedCall(lua_State* L, int nargs, int nresults);
// lua_resume with no parent, then the parked exception (if any) is rethrown.
int protectedResume(lua_State* L, lua_State* from, int nargs);

// Holds back an exception parked by an outer call while code that must not
// throw (closing a state from a destructor or a collector) runs Lua, and drops
// whatever that code parks.
class ParkedExceptionScope {
 public:
  ParkedExceptionScope() : outer_(takeParkedException()) {}
  ~ParkedExceptionScope() {
    takeParkedException();
    if (outer_) parkException(outer_);
  }
  ParkedExceptionScope(const ParkedExceptionScope&) = delete;
  ParkedExceptionScope& operator=(const ParkedExceptionScope&) = delete;

 private:
  std::exception_ptr outer_;
};

// Wraps a binding: a std::exception it throws is parked and becomes a Lua error.
// Lua's own errors are not std::exceptions and pass through untouched.
template <lua_CFunction F>
int guarded(lua_State* L) {
  try {
    return F(L);
  } catch (const std::exception&) {
    parkException(std::current_exception());
  }
  return raiseParkedException(L);
}

}  // namespace rk::script
