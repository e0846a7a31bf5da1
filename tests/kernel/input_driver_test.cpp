// The pad driver over injected pad states, and the input context that owns it.
#include <gtest/gtest.h>

#include "host/input.h"
#include "kernel/rk_input_context.h"
#include "platform/driver/xinput/rk_xinput_driver.h"
#include "support/error_log_capture.h"

namespace {

using rk::driver::xinput::XInputDriver;
namespace in = host::input;

class XInputDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (unsigned pad = 0; pad < in::kPadCount; ++pad) in::injectDisconnected(pad);
  }
  void TearDown() override { in::clearInjectedStates(); }

  // Pad 0 connected with these values, then one poll.
  void pad0(std::uint16_t buttons, std::int16_t lx = 0, std::int16_t ly = 0) {
    in::PadState s;
    s.gamepad.buttons = buttons;
    s.gamepad.thumbLX = lx;
    s.gamepad.thumbLY = ly;
    in::injectState(0, s);
    driver.poll();
  }

  XInputDriver driver;
};

TEST_F(XInputDriverTest, EveryQueryIsNeutralBeforeTheFirstPollAndForMissingPads) {
  in::PadState s;
  s.gamepad.buttons = in::XINPUT_GAMEPAD_A;
  s.gamepad.leftTrigger = 9;
  s.gamepad.thumbLX = 30000;
  in::injectState(0, s);
  rk::math::Vector4 v{1, 1, 1, 1};
  for (int pass = 0; pass < 2; ++pass) {
    const int pad = pass == 0 ? 0 : 1;  // pass 0: no poll yet; pass 1: a pad that is not connected
    EXPECT_FALSE(driver.isConnected(pad));
    EXPECT_EQ(driver.isButton(pad, 0), 0);
    EXPECT_EQ(driver.getDirection(pad), -1);
    EXPECT_EQ(driver.getLeftTrigger(pad), 0.0f);
    driver.getLeftStick(pad, v);
    EXPECT_EQ(v.x, 0.0f);
    driver.poll();
  }
  EXPECT_EQ(driver.getConnectedPadCount(), 1u);
  EXPECT_FALSE(driver.isConnected(4));  // only four records exist
  EXPECT_EQ(driver.getKeyState(35), 0);
}

TEST_F(XInputDriverTest, ButtonNumbersTestTheirXInputBits) {
  const std::uint16_t bits[] = {in::XINPUT_GAMEPAD_A,          in::XINPUT_GAMEPAD_B,
                                in::XINPUT_GAMEPAD_X,          in::XINPUT_GAMEPAD_Y,
                                in::XINPUT_GAMEPAD_LEFT_SHOULDER, in::XINPUT_GAMEPAD_RIGHT_SHOULDER,
                                in::XINPUT_GAMEPAD_BACK,       in::XINPUT_GAMEPAD_START,
                                in::XINPUT_GAMEPAD_LEFT_THUMB, in::XINPUT_GAMEPAD_RIGHT_THUMB};
  for (int button = 0; button < 10; ++button) {
    pad0(bits[button]);
    for (int asked = 0; asked < 32; ++asked) {
      EXPECT_EQ(driver.isButton(0, asked), asked == button ? 0x80 : 0) << "down " << button << " asked " << asked;
    }
    EXPECT_EQ(driver.isButton(-3, button), 0x80);  // a negative pad is pad 0
  }
  pad0(0xFFFF);  // D-pad bits and all: still nothing past button 9
  EXPECT_EQ(driver.isButton(0, 10), 0);
}

TEST_F(XInputDriverTest, DirectionAddsDpadAndStick) {
  const std::int16_t kFar = 32767, kEdge = 16383;
  const struct {
    std::uint16_t buttons;
    std::int16_t lx, ly;
    int direction;
  } cases[] = {
      {0, 0, 0, -1},
      {in::XINPUT_GAMEPAD_DPAD_UP, 0, 0, 0},
      {in::XINPUT_GAMEPAD_DPAD_UP | in::XINPUT_GAMEPAD_DPAD_RIGHT, 0, 0, 1},
      {in::XINPUT_GAMEPAD_DPAD_RIGHT, 0, 0, 2},
      {in::XINPUT_GAMEPAD_DPAD_DOWN | in::XINPUT_GAMEPAD_DPAD_RIGHT, 0, 0, 3},
      {in::XINPUT_GAMEPAD_DPAD_DOWN, 0, 0, 4},
      {in::XINPUT_GAMEPAD_DPAD_DOWN | in::XINPUT_GAMEPAD_DPAD_LEFT, 0, 0, 5},
      {in::XINPUT_GAMEPAD_DPAD_LEFT, 0, 0, 6},
      {in::XINPUT_GAMEPAD_DPAD_UP | in::XINPUT_GAMEPAD_DPAD_LEFT, 0, 0, 7},
      {0, 0, kFar, 0},                     // stick up: y grows upwards on the pad
      {0, 0, -kFar, 4},
      {0, -kFar, kFar, 7},
      {in::XINPUT_GAMEPAD_DPAD_UP, 0, -kFar, -1},  // opposite inputs cancel
      {0, kEdge, 0, -1},                   // the horizontal test is strict
      {0, kEdge + 1, 0, 2},
      {0, -kEdge - 1, 0, 6},
      {0, 0, kEdge, 0},                    // the vertical test is inclusive
      {0, 0, -kEdge, 4},
  };
  for (const auto& c : cases) {
    pad0(c.buttons, c.lx, c.ly);
    EXPECT_EQ(driver.getDirection(0), c.direction) << c.buttons << " " << c.lx << " " << c.ly;
  }
}

TEST_F(XInputDriverTest, SticksAndTriggersKeepTheirRawValuesAndSigns) {
  in::PadState s;
  s.gamepad.thumbLX = -32768;
  s.gamepad.thumbLY = 1234;
  s.gamepad.thumbRX = 32767;
  s.gamepad.thumbRY = -77;
  s.gamepad.leftTrigger = 255;
  s.gamepad.rightTrigger = 3;
  in::injectState(2, s);
  driver.poll();
  rk::math::Vector4 left{9, 9, 9, 9}, right{9, 9, 9, 9};
  driver.getLeftStick(2, left);
  driver.getRightStick(2, right);
  EXPECT_EQ(left.x, -32768.0f);
  EXPECT_EQ(left.y, 1234.0f);
  EXPECT_EQ(left.z, 0.0f);
  EXPECT_EQ(left.w, 0.0f);
  EXPECT_EQ(right.x, 32767.0f);
  EXPECT_EQ(right.y, -77.0f);
  EXPECT_EQ(driver.getLeftTrigger(2), 255.0f);
  EXPECT_EQ(driver.getRightTrigger(2), 3.0f);
  EXPECT_EQ(driver.getTriggerMax(), 255.0f);
  EXPECT_EQ(driver.getStickRangeX(), 32767);
  EXPECT_EQ(driver.getStickRangeY(), 32767);
}

TEST_F(XInputDriverTest, DisableHidesPluggedPadsUntilEnabledAndPolledAgain) {
  pad0(in::XINPUT_GAMEPAD_A);
  ASSERT_TRUE(driver.isConnected(0));
  driver.disable();
  EXPECT_FALSE(driver.isConnected(0));
  EXPECT_EQ(driver.getConnectedPadCount(), 0u);
  driver.poll();  // stores "not connected" without reading the pads
  driver.enable();
  EXPECT_FALSE(driver.isConnected(0));
  driver.update(0);
  EXPECT_TRUE(driver.isConnected(0));
  EXPECT_EQ(driver.isButton(0, 0), 0x80);
}

class CountingDriver : public XInputDriver {
 public:
  explicit CountingDriver(int* deleted) : deleted_(deleted) {}
  ~CountingDriver() override { ++*deleted_; }

 private:
  int* deleted_;
};

TEST(InputContext, OwnsOneDriverAndReportsWhenMissing) {
  rktest::ErrorLogCapture log;
  int deleted = 0;
  rk::InputContext* context = rk::InputContext::createInstance();
  EXPECT_EQ(context->getDriver(), nullptr);
  context->setDriver(new CountingDriver(&deleted));
  context->setDriver(new CountingDriver(&deleted));
  EXPECT_EQ(deleted, 1);  // the first driver went when the second came
  rk::InputContext::destroyInstance();
  EXPECT_EQ(deleted, 2);
  EXPECT_TRUE(log.empty());

  EXPECT_EQ(rk::InputContext::getInstance(), nullptr);
  EXPECT_EQ(log.entries("rk::InputContext::getInstance"), 1u);
  EXPECT_NE(log.text().find("src/kernel/rk_input_context(63)"), std::string::npos);
}

}  // namespace
