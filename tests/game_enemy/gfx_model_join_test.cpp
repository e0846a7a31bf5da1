// Joining a drawing command to a gfx model.
#include <gtest/gtest.h>

#include "effect/gfx_model_join.h"
#include "gfx/rk_gfx_model.h"

namespace {

struct NoDraw : rk::gfx::GfxModelCommand {
  void execute(rk::gfx::GfxDeviceContext&, std::int32_t) override {}
};

// Joining moves a command between models; it is never listed twice, so its
// end leaves no model pointing at it.
TEST(JoinGfxModelList, ACommandBelongsToOneModelAtATime) {
  rk::gfx::GfxModel first, second;
  auto* command = new NoDraw();
  effect_misc::joinGfxModelList(&first, command);
  EXPECT_EQ(command->owner_, &first);
  EXPECT_EQ(first.commands().size(), 1u);
  effect_misc::joinGfxModelList(&second, command);
  EXPECT_EQ(command->owner_, &second);
  EXPECT_TRUE(first.commands().empty());
  EXPECT_EQ(second.commands().size(), 1u);
  delete command;
  EXPECT_TRUE(second.commands().empty());
  effect_misc::joinGfxModelList(nullptr, nullptr);
}

}  // namespace

#include <lua.hpp>

#include "RuskelFrameWork/src/script/rk_script_gfx_model_internal.h"
#include "support/error_log_capture.h"
#include "support/lua_run.h"

namespace {

RK_GFX_COMMAND_CLASS(kNoDrawClass, "NoDraw");

int leaveAlone(lua_State* L) {
  lua_settop(L, 0);
  return 0;
}

TEST(JoinGfxModelList, TheScriptFunctionTakesAGfxModelAndAnyCommand) {
  rktest::ErrorLogCapture log;
  rk::gfx::GfxModel model;
  NoDraw command;
  lua_State* L = luaL_newstate();
  static const luaL_Reg none[] = {{nullptr, nullptr}};
  rk::script::pushLuaObject(L, &model, rk::script::gph::kGfxModelClass, none, leaveAlone);
  lua_setglobal(L, "model");
  rk::script::pushLuaObject(L, static_cast<rk::gfx::GfxModelList*>(&command), kNoDrawClass, none, leaveAlone);
  lua_setglobal(L, "command");
  lua_register(L, "joinGfxModelList", effect_misc::lua_joinGfxModelList);
  EXPECT_EQ(rktest::runLua(L, "joinGfxModelList(command, model)"), "");
  EXPECT_EQ(log.entries("effect_misc::lua_joinGfxModelList"), 1u) << "arguments the wrong way round";
  EXPECT_TRUE(model.commands().empty());
  EXPECT_EQ(rktest::runLua(L, "joinGfxModelList(model, command)"), "");
  EXPECT_EQ(command.owner_, &model);
  EXPECT_EQ(model.commands().size(), 1u);
  lua_close(L);
  model.removeCommand(&command);
}

}  // namespace
