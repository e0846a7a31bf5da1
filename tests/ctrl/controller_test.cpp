// Controllers over a driver the test sets: key maps, pad and keyboard input,
// directions, hold and repeat, the player list.
#include <gtest/gtest.h>

#include <vector>

#include "ctrl/fake_input_driver.h"
#include "ctrl/rk_controller.h"
#include "support/error_log_capture.h"

namespace {

using rk::controller::Controller;
using rk::controller::ControllerMacro;
using rk::controller::ControllerManager;

// Pad buttons of the driver: 0 A, 1 B, 2 X, 6 back, 7 start.
constexpr std::uint32_t kPadA = 1u << 0, kPadX = 1u << 2, kPadBack = 1u << 6;

class ControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    manager = ControllerManager::createInstance();
    manager->setPlayerNum(1);
  }
  void TearDown() override { ControllerManager::destroyInstance(); }

  // One frame's controller step, then the end of the frame.
  void frame(float dt = 1.0f / 64) {
    manager->update(driver, dt);
    manager->endFrame();
  }
  Controller& player(unsigned i = 0) { return *manager->getController(i); }

  rktest::ErrorLogCapture log;
  rktest::FakeInputDriver driver;
  ControllerManager* manager = nullptr;
};

TEST(ControllerMacro, DefaultMapAndClear) {
  ControllerMacro macro;
  for (auto key : macro.direction_keys) EXPECT_EQ(key, 0xFF);
  for (auto keys : macro.button_keys) EXPECT_EQ(keys, 0xFFFF);
  for (auto entry : macro.pad_map) EXPECT_EQ(entry, -1);

  macro.setDefault();
  // Up, right, down, left: DIK_UP, DIK_RIGHT, DIK_DOWN, DIK_LEFT.
  EXPECT_EQ(std::vector<int>(macro.direction_keys, macro.direction_keys + 4), (std::vector<int>{127, 109, 31, 65}));
  EXPECT_EQ(macro.button_keys[0], 143 | 108 << 8);  // Z, Return
  EXPECT_EQ(macro.button_keys[1], 140 | 35 << 8);   // X, Escape
  EXPECT_EQ(macro.button_keys[6], 0x7B7B);          // Tab twice
  EXPECT_EQ(macro.button_keys[7], 0x1D1D);          // Delete twice
  for (int i = 0; i < 32; ++i) {
    const bool mapped = i == 0 || i == 1 || i == 6 || i == 7;
    EXPECT_EQ(macro.pad_map[i], mapped ? i : -1) << i;
    if (!mapped) {
      EXPECT_EQ(macro.button_keys[i], 0xFFFF) << i;
    }
  }
  for (auto byte : macro.reserved) EXPECT_EQ(byte, 0);
}

TEST_F(ControllerTest, PadButtonsGoThroughThePadMap) {
  struct Case {
    const char* name;
    std::uint32_t padButtons;
    int padButton;  // the player's entry to change, -1 for none
    int mapsTo;
    std::uint32_t expected;
    std::uint32_t systemExpected;  // the system controller keeps the default map
  };
  const Case cases[] = {
      {"A is OK", kPadA, -1, 0, 1u << 0, 1u << 0},
      {"back is tab", kPadBack, -1, 0, 1u << 6, 1u << 6},
      {"X is unassigned (-1)", kPadX, -1, 0, 0, 0},
      {"entry 40 sets bit 8", kPadX, 2, 40, 1u << 8, 0},
      {"entry 255 sets nothing", kPadX, 2, 255, 0, 0},
      {"entry 254 sets bit 30", kPadX, 2, 254, 1u << 30, 0},
      {"button 20 can be mapped", 1u << 20, 20, 31, 1u << 31, 0},
  };
  driver.pads[0].connected = true;
  for (const Case& c : cases) {
    player().macro().setDefault();
    if (c.padButton >= 0) player().macro().pad_map[c.padButton] = c.mapsTo;
    driver.pads[0].buttons = c.padButtons;
    frame();
    EXPECT_EQ(player().state().buttons, c.expected) << c.name;
    EXPECT_EQ(manager->getSystemController()->state().buttons, c.systemExpected) << c.name;
  }
}

TEST_F(ControllerTest, KeyboardDirectionsCoverAllEightWays) {
  // Key identifiers of the default map.
  constexpr std::uint8_t up = 127, right = 109, down = 31, left = 65;
  struct Case {
    std::set<std::uint8_t> keys;
    int direction;
  };
  const Case cases[] = {
      {{}, -1},           {{up}, 0},           {{up, right}, 1},         {{right}, 2},
      {{down, right}, 3}, {{down}, 4},         {{down, left}, 5},        {{left}, 6},
      {{up, left}, 7},    {{up, down}, 0},     {{left, right}, 2},       {{up, down, left}, 5},
      {{up, down, right}, 1},
  };
  for (const Case& c : cases) {
    driver.keysDown = c.keys;
    frame();
    EXPECT_EQ(player().state().pov, c.direction);
    EXPECT_EQ(player().state().analog, c.direction);
    EXPECT_EQ(manager->getSystemController()->state().pov, c.direction);
  }
}

TEST_F(ControllerTest, KeyboardStandsInOnlyWhenThePadGivesNothing) {
  driver.keysDown = {143, 35};  // Z (OK) and Escape (cancel)
  frame();
  EXPECT_EQ(player().state().buttons, 0b11u);  // no pad: both keys count

  driver.pads[0].connected = true;
  frame();
  EXPECT_EQ(player().state().buttons, 0b11u);  // a silent pad still lets the keys through

  driver.pads[0].buttons = kPadBack;
  frame();
  EXPECT_EQ(player().state().buttons, 1u << 6);  // pad input: the keys are not read

  // A key byte of zero means no key: key code 0 is never asked.
  player().macro().button_keys[3] = 0x0042;
  driver.pads[0].buttons = 0;
  driver.keysDown = {0x42, 0x00};
  frame();
  EXPECT_EQ(player().state().buttons, 1u << 3);
}

TEST_F(ControllerTest, AnalogDirectionFromTheLeftStickUsesHalfTheRange) {
  struct Case {
    float x, y;
    int direction;
  };
  // Half range: 32767 / 2 = 16383, exceeded strictly.
  const Case cases[] = {
      {0, 0, -1},          {0, 16383, -1},      {0, 16384, 0},        {16384, 16384, 1},  {16384, 0, 2},
      {16384, -16384, 3},  {0, -16384, 4},      {-16384, -16384, 5},  {-16384, 0, 6},     {-16384, 16384, 7},
      {16383, -16383, -1}, {32767, 32767, 1},
  };
  driver.pads[0].connected = true;
  for (const Case& c : cases) {
    driver.pads[0].lx = c.x;
    driver.pads[0].ly = c.y;
    frame();
    EXPECT_EQ(player().state().analog, c.direction) << c.x << ", " << c.y;
    EXPECT_EQ(player().state().left_stick.x, c.x);
  }
}

TEST_F(ControllerTest, RepeatFiresAtOnceThenAfterOneSecondThenEverySixteenHundredths) {
  driver.pads[0].connected = true;
  driver.pads[0].buttons = kPadA;
  constexpr float dt = 1.0f / 64;  // exact, so 64 frames are exactly 1 s
  std::vector<int> repeats;
  for (int i = 0; i < 64 + 160; ++i) {
    frame(dt);
    if (player().state().repeat) repeats.push_back(i);
  }
  ASSERT_GE(repeats.size(), 3u);
  EXPECT_EQ(repeats[0], 0);
  EXPECT_EQ(repeats[1], 64);
  // Then one repeat per 0.16 s (10.24 frames): gaps of 10 or 11 frames.
  for (std::size_t k = 2; k < repeats.size(); ++k) {
    const int gap = repeats[k] - repeats[k - 1];
    EXPECT_TRUE(gap == 10 || gap == 11) << gap;
  }
  EXPECT_NEAR(static_cast<double>(repeats.size() - 2), 160 / 10.24, 1.0);

  // A second button restarts the one-second wait.
  driver.pads[0].buttons = kPadA | kPadBack;
  frame(dt);
  EXPECT_TRUE(player().state().repeat);
  for (int i = 1; i < 64; ++i) {
    frame(dt);
    EXPECT_FALSE(player().state().repeat) << i;
  }
  frame(dt);
  EXPECT_TRUE(player().state().repeat);

  // Releasing clears held and repeat at once; a new press fires again at once.
  driver.pads[0].buttons = 0;
  frame(dt);
  EXPECT_FALSE(player().state().held);
  EXPECT_FALSE(player().state().repeat);
  driver.pads[0].direction = 2;
  frame(dt);
  EXPECT_TRUE(player().state().held);
  EXPECT_TRUE(player().state().repeat);
}

TEST_F(ControllerTest, NoPadMeansNoInputAndNoRepeat) {
  for (int i = 0; i < 5; ++i) frame();
  for (Controller* c : {manager->getSystemController(), &player()}) {
    EXPECT_EQ(c->state().pov, -1);
    EXPECT_EQ(c->state().analog, -1);
    EXPECT_EQ(c->state().buttons, 0u);
    EXPECT_FALSE(c->state().repeat);
    EXPECT_FALSE(c->state().valid);
    EXPECT_FALSE(c->state().connected);
  }
}

// Pads are read only below the connected-pad count: with pad 1 alone, player 1
// is not valid, while player 0 and the system controller read the empty pad 0.
TEST_F(ControllerTest, OnlyPadOneConnected) {
  manager->setPlayerNum(2);
  driver.pads[1] = {true, 2, kPadA, 20000, 0, 0, 0};
  frame();
  EXPECT_FALSE(player(1).state().valid);
  EXPECT_TRUE(player(1).state().connected);
  EXPECT_EQ(player(1).state().buttons, 0u);
  EXPECT_EQ(player(1).state().pov, -1);
  EXPECT_EQ(player(1).state().left_stick.x, 0.0f);
  EXPECT_TRUE(player(0).state().valid);
  EXPECT_FALSE(player(0).state().connected);
  EXPECT_EQ(player(0).state().buttons, 0u);
  EXPECT_FALSE(manager->getSystemController()->state().connected);

  // Once pad 0 joins, both are read.
  driver.pads[0] = {true, -1, kPadBack, 0, 0, 0, 0};
  frame();
  EXPECT_TRUE(player(1).state().valid);
  EXPECT_EQ(player(1).state().buttons, 1u);
  EXPECT_EQ(player(1).state().pov, 2);
  EXPECT_EQ(player(0).state().buttons, 1u << 6);
  EXPECT_EQ(manager->getSystemController()->state().buttons, 1u << 6);

  // A pad that stops being read keeps its last stick values.
  driver.pads[0].connected = false;
  frame();
  EXPECT_FALSE(player(1).state().valid);
  EXPECT_EQ(player(1).state().left_stick.x, 20000.0f);
}

// While scripts run (between the controller step and the end of the frame)
// every controller shows this frame's values and last frame's in its previous
// fields.
TEST_F(ControllerTest, PreviousFieldsHoldLastFrameDuringTheFrame) {
  driver.pads[0].connected = true;
  Controller& system = *manager->getSystemController();
  const std::uint32_t presses[] = {kPadA, kPadA, 0, kPadBack};
  std::uint32_t before = 0;
  for (std::uint32_t press : presses) {
    driver.pads[0].buttons = press;
    manager->update(driver, 1.0f / 60);
    const std::uint32_t now = press == kPadBack ? 1u << 6 : press ? 1u : 0u;
    EXPECT_EQ(system.state().buttons, now);
    EXPECT_EQ(system.state().prev_buttons, before);
    EXPECT_EQ(player().state().buttons, now);
    EXPECT_EQ(player().state().prev_buttons, before);
    manager->endFrame();
    before = now;
  }
}

TEST_F(ControllerTest, PlayerListGrowsWithOwnDefaultMapsAndShrinksFromTheEnd) {
  manager->setPlayerNum(0);
  EXPECT_EQ(manager->getPlayerNum(), 0u);
  EXPECT_NE(manager->getSystemController(), nullptr);

  manager->setPlayerNum(2);
  ASSERT_EQ(manager->getPlayerNum(), 2u);
  player(0).macro().pad_map[0] = 5;
  EXPECT_EQ(player(1).macro().pad_map[0], 0);  // each player owns its map
  EXPECT_EQ(manager->getSystemController()->macro().pad_map[0], 0);
  EXPECT_EQ(player(1).macro().direction_keys[0], 127);
  EXPECT_TRUE(manager->getSystemController()->state().system);
  EXPECT_FALSE(player(0).state().system);

  Controller* first = &player(0);
  manager->setPlayerNum(1);
  EXPECT_EQ(&player(0), first);
  EXPECT_TRUE(log.empty()) << log.text();

  EXPECT_EQ(manager->getController(1), nullptr);
  EXPECT_EQ(log.entries("rk::controller::ControllerManager::getController"), 1u);

  manager->setPlayerNum(4000000000u);  // held to the limit instead of exhausting memory
  EXPECT_EQ(manager->getPlayerNum(), rk::controller::kMaxPlayerCount);
}

TEST(ControllerManagerSingleton, MisuseIsReported) {
  rktest::ErrorLogCapture log;
  EXPECT_EQ(ControllerManager::getInstance(), nullptr);
  EXPECT_EQ(log.entries("rk::controller::ControllerManager::getInstance"), 1u);
  ControllerManager::createInstance();
  ControllerManager::destroyInstance();
  EXPECT_EQ(log.entries("rk::controller::ControllerManager::createInstance"), 0u);
}

}  // namespace
