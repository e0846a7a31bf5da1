#include <gtest/gtest.h>

#include <string>

#include <lua.hpp>

#include "common/game_config.h"
#include "common/game_config_script.h"
#include "support/error_log_capture.h"

namespace {

class SettingsObject : public testing::Test {
 protected:
  SettingsObject() : config_(GameConfig::createInstance()), L(luaL_newstate()) {
    luaL_openlibs(L);
    lua_register(L, "createGameConfig", common::lua_createGameConfig);
  }
  ~SettingsObject() override {
    lua_close(L);
    GameConfig::destroyInstance();
  }
  // Runs a chunk; returns its first result as text ("nil" for none).
  std::string run(const std::string& chunk) {
    if (luaL_dostring(L, chunk.c_str()) != 0) return std::string("error: ") + lua_tostring(L, -1);
    std::string result = lua_gettop(L) > 0 ? luaL_tolstring(L, -1, nullptr) : "nil";
    lua_settop(L, 0);
    return result;
  }

  rktest::ErrorLogCapture log_;
  GameConfig* config_;
  lua_State* L;
};

TEST_F(SettingsObject, ByteSettersKeepTheLowEightBitsOfTheTruncatedNumber) {
  struct Case {
    const char* value;
    int stored;
  };
  const Case cases[] = {{"256", 0}, {"-1", 255}, {"3.9", 3}, {"'7'", 7}, {"{}", 0}, {"nil", 0}, {"65", 65}};
  for (const Case& c : cases) {
    EXPECT_EQ(run(std::string("local o = createGameConfig(); o:setDikKeyLockOn(") + c.value +
                  "); return o:getDikKeyLockOn()"),
              std::to_string(c.stored))
        << c.value;
    EXPECT_EQ(config_->data().key_lockon, c.stored) << c.value;
  }
}

TEST_F(SettingsObject, EveryAccessorReachesItsOwnField) {
  run("local o = createGameConfig()\n"
      "o:setDikKeyPause(1) o:setDikKeyShot(2) o:setDikKeyTrans(3) o:setDikKeyCapture(4) o:setDikKeyGuard(5)\n"
      "o:setDikKeyUp(6) o:setDikKeyDown(7) o:setDikKeyLeft(8) o:setDikKeyRight(9)\n"
      "o:setJoypadPause(10) o:setJoypadShot(11) o:setJoypadTrans(12) o:setJoypadCapture(13)\n"
      "o:setJoypadGuard(14) o:setJoypadLockOn(15)\n"
      "o:setTotalVolume(0.25) o:setBGMVolume(1.5) o:setSEVolume(0.75)");
  const GameConfig::ConfigData& d = config_->data();
  const int keys[] = {d.key_pause, d.key_shot, d.key_trans, d.key_capture, d.key_guard,
                      d.key_up, d.key_down, d.key_left, d.key_right};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(keys[i], i + 1);
  const int pads[] = {d.pad_pause, d.pad_shot, d.pad_trans, d.pad_capture, d.pad_guard, d.pad_lockon};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(pads[i], i + 10);
  EXPECT_EQ(d.total_volume, 0.25f);
  EXPECT_EQ(d.bgm_volume, 1.5f);
  EXPECT_EQ(d.se_volume, 0.75f);
  EXPECT_EQ(run("local o = createGameConfig() return o:getJoypadGuard() + o:getDikKeyRight() * 100"), "914");
  EXPECT_EQ(run("return createGameConfig():getBGMVolume()"), "1.5");
}

TEST_F(SettingsObject, FontNameIsNilWhenEmptyAndTakesTextOrNumbers) {
  EXPECT_EQ(run("return createGameConfig():getFontName()"), "nil");
  EXPECT_EQ(run("local o = createGameConfig() o:setFontName('Gothic') return o:getFontName()"), "Gothic");
  EXPECT_EQ(run("local o = createGameConfig() o:setFontName({}) return o:getFontName()"), "Gothic");
  EXPECT_EQ(run("local o = createGameConfig() o:setFontName(12) return o:getFontName()"), "12");
  EXPECT_EQ(run("local o = createGameConfig() o:setFontName(nil) return o:getFontName()"), "nil");
}

TEST_F(SettingsObject, TwoObjectsShareTheRecordAndCollectingChangesNothing) {
  EXPECT_EQ(run("local a, b = createGameConfig(), createGameConfig()\n"
                "a:setDikKeyShot(44) local seen = b:getDikKeyShot()\n"
                "a = nil collectgarbage() collectgarbage() return seen"),
            "44");
  EXPECT_EQ(config_->data().key_shot, 44);
  EXPECT_EQ(GameConfig::getInstancePtr(), config_);
}

TEST_F(SettingsObject, AMethodCalledOnSomethingElseIsReportedAndDoesNothing) {
  EXPECT_EQ(run("local o = createGameConfig() o.setDikKeyShot({}, 9) return o.getDikKeyShot(5)"), "nil");
  EXPECT_EQ(config_->data().key_shot, 0);
  EXPECT_EQ(log_.entries("common::lua_GameConfig_setByte"), 1u);
  EXPECT_EQ(log_.entries("common::lua_GameConfig_getByte"), 1u);
}

}  // namespace
