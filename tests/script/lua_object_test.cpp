// The script-object convention, the argument readers and the parking of C++
// exceptions raised inside bindings.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <limits>

#include "script/rk_lua_arg.h"
#include "script/rk_lua_guard.h"
#include "script/rk_lua_object.h"
#include "script_fixture.h"

namespace {

using Lines = std::vector<std::string>;

TEST(ArgumentReaders, NumbersTruncateTowardZeroAndWrapAndNonNumbersReadAsZero) {
  lua_State* L = luaL_newstate();
  struct Case {
    std::function<void()> push;
    int asInt;
    std::int64_t asInt64;
  };
  const Case cases[] = {
      {[&] { lua_pushnumber(L, 2.9); }, 2, 2},
      {[&] { lua_pushnumber(L, -2.9); }, -2, -2},
      {[&] { lua_pushstring(L, "12.5"); }, 12, 12},
      {[&] { lua_pushstring(L, "twelve"); }, 0, 0},
      {[&] { lua_newtable(L); }, 0, 0},
      {[&] { lua_pushnil(L); }, 0, 0},
      {[&] { lua_pushboolean(L, 1); }, 0, 0},
      {[&] { lua_pushnumber(L, 4294967296.0 + 7); }, 7, 4294967303LL},      // wraps to 32 bits
      {[&] { lua_pushnumber(L, 2147483648.0); }, INT32_MIN, 2147483648LL},
      {[&] { lua_pushnumber(L, std::nan("")); }, 0, 0},
      {[&] { lua_pushnumber(L, std::numeric_limits<double>::infinity()); }, 0, 0},
      {[&] { lua_pushnumber(L, 18446744073709551616.0 + 4096.0); }, 4096, 4096},  // 2^64 + 4096 wraps
  };
  for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    lua_settop(L, 0);
    lua_pushnil(L);
    cases[i].push();
    EXPECT_EQ(rk::script::toIntArg(L, 2), cases[i].asInt) << "case " << i;
    EXPECT_EQ(rk::script::toIntegerArg2(L), cases[i].asInt) << "case " << i;
    EXPECT_EQ(rk::script::toInt64Arg(L, 2), cases[i].asInt64) << "case " << i;
  }
  EXPECT_EQ(rk::script::toIntArg(L, 9), 0) << "a missing argument";
  lua_settop(L, 0);
  lua_pushnumber(L, 0.1);
  EXPECT_EQ(rk::script::toFloatArg(L, 1), 0.1f);
  lua_pushnil(L);
  lua_pushboolean(L, 0);
  lua_pushnumber(L, 0);
  EXPECT_FALSE(rk::script::toBoolArg(L, 2));
  EXPECT_FALSE(rk::script::toBoolArg(L, 3));
  EXPECT_TRUE(rk::script::toBoolArg(L, 4));
  EXPECT_FALSE(rk::script::toBoolArg(L, 5));
  EXPECT_EQ(rk::script::toTextArg(L, 2), nullptr);
  EXPECT_STREQ(rk::script::toTextArg(L, 4), "0");
  lua_close(L);
}

// Values of the block's raw length that are no block: a string, a table
// with that many entries and another library's userdata of that size.
TEST(LuaObjectBlocks, OnlyOurUserdataReadsAsABlock) {
  lua_State* L = luaL_newstate();
  const std::size_t size = sizeof(rk::script::LuaObjectBlock);
  lua_pushlstring(L, std::string(size, 'x').data(), size);
  lua_createtable(L, static_cast<int>(size), 0);
  for (std::size_t i = 1; i <= size; ++i) {
    lua_pushinteger(L, 1);
    lua_rawseti(L, -2, static_cast<int>(i));
  }
  std::memset(lua_newuserdata(L, size), 0x42, size);
  lua_pushlightuserdata(L, L);
  for (int index = 1; index <= 4; ++index) {
    EXPECT_EQ(rk::script::luaObjectBlock(L, index), nullptr) << index;
    EXPECT_EQ(rk::script::toLuaObject(L, index, rk::script::kTaskClass), nullptr) << index;
  }
  lua_close(L);
}

class LuaObjects : public rktest::ScriptFixture {};

// A method handed an object of another class, a light userdata or a value
// that is no object at all does nothing but report its name.
TEST_F(LuaObjects, MethodsTreatForeignAndLightObjectsAsNull) {
  writeFile("data/a.bin", "abc");
  loadScriptPack({{"script/test.a", R"(
    loadUserLibrary('test')
    local resource = loadResource('data/a.bin')
    local buffer = createDataChankBuffer('b')
    trace(resource.isReady(buffer), resource.isReady(light), resource.isReady(io.stdout), resource.isReady(7))
    buffer.addDataChankInt(resource, 'x', 1)
    buffer:releaseDataChankBuffer()
    buffer:addDataChankInt('y', 2)
    local meta = getmetatable(resource)
    meta.__gc(buffer)                   -- another class's object: untouched
    meta.__gc(resource) meta.__gc(resource)
    trace('after gc', resource:isReady()))"}});
  rk::task::ScriptTask* task = startScript("script/test");
  task->setActive(false);
  lua_State* L = task->state()->luaState();
  lua_pushlightuserdata(L, L);
  lua_setglobal(L, "light");
  frame();
  EXPECT_EQ(trace(), Lines({"false false false false", "after gc false"}));
  EXPECT_EQ(log_.entries("rk::res::`anonymous-namespace'::lua_Resource_isReady"), 5u);
  EXPECT_EQ(log_.entries("rk::res::`anonymous-namespace'::lua_DataChankBuffer_addDataChankInt"), 2u);
  EXPECT_EQ(log_.text().find("解放済みメモリ"), std::string::npos) << "its one reference was dropped once";
  EXPECT_TRUE(runUntil([&] { return !resources_->findResource("data/a.bin"); })) << "and the resource is gone";
}

TEST_F(LuaObjects, TheSharedTaskMethodsReachATaskThroughItsClass) {
  loadScriptPack({{"script/child.a", "x = 1"}, {"script/parent.a", "child = loadScript('script/child', 6)"}});
  rk::task::ScriptTask* parent = startScript("script/parent");
  frame();
  lua_State* L = parent->state()->luaState();
  lua_getglobal(L, "child");
  auto* child = rk::script::toLuaObject<rk::task::Task>(L, -1, rk::script::kTaskClass);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(rk::script::toLuaObject<rk::task::Task>(L, -1, rk::script::kIsUseClass), nullptr);
  child->setActive(true);
  lua_getfield(L, -1, "stop");
  lua_pushvalue(L, -2);
  ASSERT_EQ(lua_pcall(L, 1, 0, 0), LUA_OK);
  EXPECT_FALSE(child->isActive());
  lua_settop(L, 0);
}

// ----------------------------------------------------------- parking

int throwingBinding(lua_State*) { throw HrException(host::E_FAIL, "test", 1, L"hard failure"); }

TEST(ParkedExceptions, AnExceptionInABindingCrossesLuaAsAnErrorAndIsRethrownByTheCaller) {
  rktest::ErrorLogCapture log;
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  lua_register(L, "fail", rk::script::guarded<throwingBinding>);

  // Directly: the protected call returns with the exception rethrown.
  luaL_loadstring(L, "fail()");
  EXPECT_THROW(rk::script::protectedCall(L, 0, 0), HrException);
  EXPECT_FALSE(rk::script::hasParkedException());

  // Caught by the script's own pcall, the failure still ends the call: a hard
  // failure stays hard.
  luaL_loadstring(L, "local ok, message = pcall(fail) survived = not ok and message");
  EXPECT_THROW(rk::script::protectedCall(L, 0, 0), HrException);
  lua_getglobal(L, "survived");
  EXPECT_NE(std::string(lua_tostring(L, -1)).find("hard failure"), std::string::npos);

  // A coroutine resumed by the host does the same.
  lua_State* thread = lua_newthread(L);
  luaL_loadstring(thread, "coroutine.yield() fail()");
  EXPECT_EQ(rk::script::protectedResume(thread, nullptr, 0), LUA_YIELD);
  EXPECT_THROW(rk::script::protectedResume(thread, nullptr, 0), HrException);
  lua_close(L);
}

TEST(ParkedExceptions, AScopeHoldsAnOuterExceptionAndDropsInnerOnes) {
  rktest::ErrorLogCapture log;
  rk::script::parkException(std::make_exception_ptr(std::runtime_error("outer")));
  {
    rk::script::ParkedExceptionScope scope;
    EXPECT_FALSE(rk::script::hasParkedException());
    rk::script::parkException(std::make_exception_ptr(std::runtime_error("inner")));
  }
  try {
    rk::script::rethrowParkedException();
    FAIL() << "nothing parked";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "outer");
  }
}

}  // namespace
