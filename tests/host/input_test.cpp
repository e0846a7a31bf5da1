// Pads: XInput-shaped states read from an SDL virtual game controller, and the
// injected states tests use.
#include <gtest/gtest.h>

#include "host/input.h"

namespace {

using namespace host::input;

class VirtualPad : public ::testing::Test {
 protected:
  void SetUp() override {
    clearInjectedStates();
    handle_ = attachVirtualController();
    if (handle_ < 0) GTEST_SKIP() << "SDL cannot attach a virtual controller here";
  }
  void TearDown() override {
    if (handle_ >= 0) detachVirtualController(handle_);
  }
  PadState read(unsigned pad) {
    PadState s;
    EXPECT_EQ(getState(pad, &s), ERROR_SUCCESS);
    return s;
  }
  int handle_ = -1;
};

TEST_F(VirtualPad, ButtonsMapToTheXInputBits) {
  const struct {
    VirtualButton button;
    std::uint16_t bit;
  } cases[] = {
      {VirtualButton::A, XINPUT_GAMEPAD_A},
      {VirtualButton::B, XINPUT_GAMEPAD_B},
      {VirtualButton::X, XINPUT_GAMEPAD_X},
      {VirtualButton::Y, XINPUT_GAMEPAD_Y},
      {VirtualButton::Back, XINPUT_GAMEPAD_BACK},
      {VirtualButton::Start, XINPUT_GAMEPAD_START},
      {VirtualButton::LeftStick, XINPUT_GAMEPAD_LEFT_THUMB},
      {VirtualButton::RightStick, XINPUT_GAMEPAD_RIGHT_THUMB},
      {VirtualButton::LeftShoulder, XINPUT_GAMEPAD_LEFT_SHOULDER},
      {VirtualButton::RightShoulder, XINPUT_GAMEPAD_RIGHT_SHOULDER},
      {VirtualButton::DpadUp, XINPUT_GAMEPAD_DPAD_UP},
      {VirtualButton::DpadDown, XINPUT_GAMEPAD_DPAD_DOWN},
      {VirtualButton::DpadLeft, XINPUT_GAMEPAD_DPAD_LEFT},
      {VirtualButton::DpadRight, XINPUT_GAMEPAD_DPAD_RIGHT},
      {VirtualButton::Guide, 0},  // XInput has no bit for it
  };
  EXPECT_EQ(read(0).gamepad.buttons, 0);
  for (const auto& c : cases) {
    setVirtualButton(handle_, c.button, true);
    EXPECT_EQ(read(0).gamepad.buttons, c.bit) << static_cast<int>(c.button);
    setVirtualButton(handle_, c.button, false);
  }
}

TEST_F(VirtualPad, SticksGrowUpwardsAndTriggersSpanAByte) {
  setVirtualAxis(handle_, VirtualAxis::LeftX, 20000);
  setVirtualAxis(handle_, VirtualAxis::LeftY, 20000);    // pushed down in SDL's terms
  setVirtualAxis(handle_, VirtualAxis::RightX, -32768);
  setVirtualAxis(handle_, VirtualAxis::RightY, -32768);  // fully up: the top of the upward range
  setVirtualAxis(handle_, VirtualAxis::TriggerRight, 32767);
  const PadState s = read(0);
  EXPECT_EQ(s.gamepad.thumbLX, 20000);
  EXPECT_EQ(s.gamepad.thumbLY, -20000);
  EXPECT_EQ(s.gamepad.thumbRX, -32768);
  EXPECT_EQ(s.gamepad.thumbRY, 32767);
  EXPECT_EQ(s.gamepad.leftTrigger, 0);
  EXPECT_EQ(s.gamepad.rightTrigger, 255);
}

TEST_F(VirtualPad, PacketNumberMovesOnlyWithAChangeAndDetachDisconnects) {
  const std::uint32_t first = read(0).packetNumber;
  EXPECT_EQ(read(0).packetNumber, first);
  setVirtualButton(handle_, VirtualButton::A, true);
  EXPECT_NE(read(0).packetNumber, first);

  PadState s;
  EXPECT_EQ(getState(1, &s), ERROR_DEVICE_NOT_CONNECTED);
  detachVirtualController(handle_);
  handle_ = -1;
  EXPECT_EQ(getState(0, &s), ERROR_DEVICE_NOT_CONNECTED);
  EXPECT_EQ(s.gamepad.buttons, 0);
}

TEST(InjectedPad, OverridesOnePadUntilCleared) {
  PadState injected;
  injected.gamepad.buttons = XINPUT_GAMEPAD_X;
  injected.gamepad.thumbLY = -5;
  injectState(2, injected);
  injectDisconnected(0);
  PadState s;
  EXPECT_EQ(getState(2, &s), ERROR_SUCCESS);
  EXPECT_EQ(s.gamepad.buttons, XINPUT_GAMEPAD_X);
  EXPECT_EQ(s.gamepad.thumbLY, -5);
  EXPECT_EQ(getState(0, &s), ERROR_DEVICE_NOT_CONNECTED);
  EXPECT_EQ(getState(4, &s), ERROR_DEVICE_NOT_CONNECTED);  // only four pads
  clearInjectedStates();
  EXPECT_EQ(getState(2, &s), ERROR_DEVICE_NOT_CONNECTED);
}

}  // namespace
