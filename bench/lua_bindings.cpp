// The cost of calling bindings from a script: the math global vec3LenSq and
// VEC3 methods, against a bare C function that returns its first argument,
// called the same way (as a global through a local, or as a method of a
// userdata whose metatable's __index table holds it).
#include <benchmark/benchmark.h>

#include <lua.hpp>
#include <string>

#include "script/rk_script_math.h"

namespace {

constexpr int kCalls = 10000;

int bare(lua_State* L) {
  lua_settop(L, 1);
  return 1;
}

int bareObject(lua_State* L) {
  lua_newuserdata(L, 16);
  lua_newtable(L);
  lua_newtable(L);
  lua_pushcfunction(L, bare);
  lua_setfield(L, -2, "bare");
  lua_setfield(L, -2, "__index");
  lua_setmetatable(L, -2);
  return 1;
}

class Script {
 public:
  explicit Script(const std::string& loop) : L(luaL_newstate()) {
    luaL_openlibs(L);
    const rk::script::LuaFunctionTable table = rk::script::mathFunctionTable();
    for (int i = 0; i < table.count; ++i) lua_register(L, table.pairs[i].name, table.pairs[i].function);
    lua_register(L, "bare", bare);
    lua_register(L, "bareObject", bareObject);
    const std::string code = "local n = ... " + loop;
    if (luaL_loadstring(L, code.c_str()) != LUA_OK) error = lua_tostring(L, -1);
    ref_ = luaL_ref(L, LUA_REGISTRYINDEX);
  }
  ~Script() { lua_close(L); }
  bool run() {
    lua_rawgeti(L, LUA_REGISTRYINDEX, ref_);
    lua_pushinteger(L, kCalls);
    if (lua_pcall(L, 1, 0, 0) == LUA_OK) return true;
    error = lua_tostring(L, -1);
    lua_settop(L, 0);
    return false;
  }

  lua_State* L;
  std::string error;

 private:
  int ref_ = LUA_NOREF;
};

void runLoop(benchmark::State& state, const char* loop) {
  Script script(loop);
  for (auto _ : state)
    if (!script.run()) {
      state.SkipWithError(script.error.c_str());
      break;
    }
  state.SetItemsProcessed(state.iterations() * kCalls);
}

void LuaBareFunction(benchmark::State& state) {
  runLoop(state, "local f = bare for i = 1, n do f(1.5, 2.5, 3.5) end");
}
void LuaVec3LenSq(benchmark::State& state) {
  runLoop(state, "local f = vec3LenSq for i = 1, n do f(1.5, 2.5, 3.5) end");
}
void LuaBareMethod(benchmark::State& state) {
  runLoop(state, "local u = bareObject() for i = 1, n do u:bare() end");
}
void LuaVectorMethod(benchmark::State& state) {
  runLoop(state, "local v = createVEC3() v:setPos(1, 2, 3) for i = 1, n do v:getX() end");
}
void LuaVectorGetPos(benchmark::State& state) {
  runLoop(state, "local v = createVEC3() v:setPos(1, 2, 3) for i = 1, n do v:getPos() end");
}

}  // namespace

BENCHMARK(LuaBareFunction)->Unit(benchmark::kMicrosecond);
BENCHMARK(LuaVec3LenSq)->Unit(benchmark::kMicrosecond);
BENCHMARK(LuaBareMethod)->Unit(benchmark::kMicrosecond);
BENCHMARK(LuaVectorMethod)->Unit(benchmark::kMicrosecond);
BENCHMARK(LuaVectorGetPos)->Unit(benchmark::kMicrosecond);
