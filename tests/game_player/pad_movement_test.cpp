// A script moves the player's body from the pad: the stick read through the
// controller API becomes the body's velocity, and the physics step moves it.
#include <gtest/gtest.h>

#include <cstring>

#include "ctrl/rk_controller.h"
#include "game_player/player_fixture.h"
#include "host/input.h"
#include "platform/driver/xinput/rk_xinput_driver.h"
#include "script/rk_script_controller.h"

namespace {

class PadMovement : public playertest::PlayerScript {
 protected:
  PadMovement() {
    rk::controller::ControllerManager::createInstance()->setPlayerNum(1);
    const rk::script::LuaFunctionTable table = rk::script::controllerFunctionTable();
    for (int i = 0; i < table.count; ++i)
      if (std::strcmp(table.pairs[i].name, "getController") == 0) reg("getController", table.pairs[i].function);
    for (unsigned pad = 1; pad < host::input::kPadCount; ++pad) host::input::injectDisconnected(pad);
  }
  ~PadMovement() override {
    lua_close(L);
    L = luaL_newstate();
    rk::controller::ControllerManager::destroyInstance();
    host::input::clearInjectedStates();
  }
  // The pad's left stick for the next frame, read by the controller step.
  void stick(std::int16_t x, std::int16_t y) {
    host::input::PadState state;
    state.packetNumber = ++packet_;
    state.gamepad.thumbLX = x;
    state.gamepad.thumbLY = y;
    host::input::injectState(0, state);
    driver_.update(0);
    rk::controller::ControllerManager::getInstance()->update(driver_, 1.0f / 60.0f);
  }

  rk::driver::xinput::XInputDriver driver_;
  std::uint32_t packet_ = 0;
};

TEST_F(PadMovement, TheStickSteersThePlayersBody) {
  ASSERT_EQ(run("p = createPlayerActor() b = createPlayerColRigidBody() b:setOwner(p) b:setValid(true) "
                "pad = getController(0) "
                "function move() local x, y = pad:getLeftStick() b:setVelocity(x * 6, 0, y * 6) end"),
            "");
  PlayerRigidBody* body = object<PlayerRigidBody>("b", kPlayerRigidBodyClass);

  stick(32767, 0);  // full right
  for (int i = 0; i < 30; ++i) {
    ASSERT_EQ(run("move()"), "");
    step();
  }
  const rk::math::Vector4 right = body->getPosition();
  EXPECT_GT(right.x, 0.5f);
  EXPECT_NEAR(right.z, 0.0f, 1e-4f);
  EXPECT_EQ(right.y, 0.0f) << "the body has no gravity";

  stick(0, -32768);  // full down: toward -z
  for (int i = 0; i < 30; ++i) {
    ASSERT_EQ(run("move()"), "");
    step();
  }
  EXPECT_NEAR(body->getPosition().x, right.x, 1e-4f);
  EXPECT_LT(body->getPosition().z, -0.5f);

  stick(0, 0);  // released: the body stops where it is
  ASSERT_EQ(run("move()"), "");
  const rk::math::Vector4 rest = body->getPosition();
  step();
  EXPECT_NEAR(body->getPosition().x, rest.x, 1e-5f);
  EXPECT_NEAR(body->getPosition().z, rest.z, 1e-5f);
}

}  // namespace
