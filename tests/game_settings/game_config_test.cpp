#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "audio/rk_audio_context.h"
#include "common/config_record.h"
#include "common/game_config.h"
#include "ctrl/rk_controller.h"
#include "ctrl/rk_key_name_table.h"
#include "game_settings/settings_fixture.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_instance_table.h"
#include "support/error_log_capture.h"
#include "support/temp_dir.h"

namespace {

using rktest::crlf;

std::uint8_t code(const char* name) { return rk::controller::findKeyByName(name)->code; }

// The file written for the default settings in a windowed run.
const std::string kDefaultFile = crlf(
    "#環境設定\n\n#スクリーン\n"
    "ADAPTER = 0\nWINDOW_MODE = TRUE\nSCREEN_SIZE = (1280,720)\nSCREEN_HZ = 60\nASPECT = 16:9\n\n"
    "#ボリューム\nTOTAL_VOL = 100%\nBGM_VOL = 100%\nSE_VOL = 100%\nD3DSE_VOL = 100%\n\n"
    "#キーコンフィグ\n#キーボード\nKEYBOARD = {\n"
    "\tSHOT = \"Z\"\n\tTRANS = \"X\"\n\tCAPTURE = \"A\"\n\tGUARD = \"S\"\n\tPAUSE = \"Escape\"\n"
    "\tUP = \"Up\"\n\tLEFT = \"Left\"\n\tRIGHT = \"Right\"\n\tDOWN = \"Down\"\n}\n\n"
    "#ジョイパッド\nJOYPAD = {\n"
    "\tBUTTON_01 = SHOT\n\tBUTTON_02 = TRANS\n\tBUTTON_03 = CAPTURE\n\tBUTTON_04 = GUARD\n"
    "\tBUTTON_06 = LOCKON\n\tBUTTON_08 = PAUSE\n}\n"
    "#フォント\nFONT = \"\"");

// Keeps the device context's window mode and screen size across a test.
class DeviceGuard {
 public:
  DeviceGuard()
      : context_(rk::DeviceContext::getInstance()),
        windowed_(context_->isWindowed()),
        width_(context_->screenWidth()),
        height_(context_->screenHeight()) {
    context_->setWindowed(true);
  }
  ~DeviceGuard() {
    context_->setWindowed(windowed_);
    context_->setScreenSize(int(width_), int(height_));
  }

 private:
  rk::DeviceContext* context_;
  bool windowed_;
  unsigned width_, height_;
};

class GameConfigFile : public testing::Test {
 protected:
  void TearDown() override { GameConfig::destroyInstance(); }

  GameConfig* loadFrom(const std::string& folder) {
    GameConfig* config = GameConfig::getInstancePtr() ? GameConfig::getInstancePtr() : GameConfig::createInstance();
    config->load(folder.c_str());
    return config;
  }
  std::string written(const std::string& folder) { return rktest::readBytes(folder + "/config.dat"); }

  rktest::ErrorLogCapture log_;
  rktest::BoxRecorder boxes_;
  DeviceGuard device_;
  rktest::TempDir dir_;
};

TEST_F(GameConfigFile, NoFileGivesTheDefaultsAndWritesThemBack) {
  GameConfig* config = loadFrom(dir_.path());
  EXPECT_TRUE(config->data().window_mode);
  EXPECT_EQ(config->data().key_lockon, 0x40);
  EXPECT_TRUE(config->writeFile(dir_.path()));
  EXPECT_EQ(written(dir_.path()), kDefaultFile);
  EXPECT_FALSE(std::filesystem::exists(dir_.file("config.dat.tmp")));
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(GameConfigFile, OwnOutputReadsBackToTheSameSettingsByteForByte) {
  GameConfig* config = loadFrom(dir_.path());
  GameConfig::ConfigData& d = config->data();
  d.key_shot = code("Space");
  d.key_down = code("2(Numpad)");
  d.key_pause = 0x00;  // no row has it: written as "Escape"
  d.pad_trans = 9;
  d.pad_lockon = 255;  // no such button: written as the default, button 6
  d.total_volume = 0.535f;
  d.bgm_volume = 1.5f;
  d.font_name = "ＭＳ ゴシック";
  rk::DeviceContext::getInstance()->setWindowed(false);
  ASSERT_TRUE(config->writeFile(dir_.path()));
  const std::string first = written(dir_.path());
  EXPECT_NE(first.find("TOTAL_VOL = 53%\r\nBGM_VOL = 150%\r\n"), std::string::npos);
  EXPECT_NE(first.find("WINDOW_MODE = FALSE\r\n"), std::string::npos);
  EXPECT_NE(first.find("\tPAUSE = \"Escape\"\r\n"), std::string::npos);
  EXPECT_NE(first.find("\tBUTTON_06 = LOCKON\r\n"), std::string::npos);
  EXPECT_EQ(first.substr(first.size() - 22), "FONT = \"ＭＳ ゴシック\"");

  GameConfig::destroyInstance();
  GameConfig* again = loadFrom(dir_.path());
  EXPECT_EQ(again->data().key_shot, code("Space"));
  EXPECT_EQ(again->data().key_down, code("2(Numpad)"));
  EXPECT_EQ(again->data().key_pause, code("Escape"));
  EXPECT_EQ(again->data().pad_trans, 9);
  EXPECT_EQ(again->data().pad_lockon, 5);
  EXPECT_EQ(again->data().total_volume, 0.53f);
  EXPECT_FALSE(again->data().window_mode);
  EXPECT_EQ(again->data().font_name, "ＭＳ ゴシック");
  EXPECT_EQ(again->data().key_lockon, 0x40);  // never in the file
  ASSERT_TRUE(again->writeFile(dir_.path()));
  EXPECT_EQ(written(dir_.path()), first);
  EXPECT_TRUE(boxes_.boxes.empty());
}

// Every whole percent the file can hold comes back unchanged after a
// load-and-save cycle, while a fraction set by a script is still truncated.
TEST_F(GameConfigFile, WholePercentVolumesDoNotDriftAcrossSaves) {
  GameConfig* config = loadFrom(dir_.path());
  for (int percent = 0; percent <= 200; ++percent) {
    rktest::writeBytes(dir_.file("config.dat"), crlf("TOTAL_VOL = " + std::to_string(percent) + "%\n"));
    config->load(dir_.path().c_str());
    ASSERT_TRUE(config->writeFile(dir_.path()));
    EXPECT_NE(written(dir_.path()).find("TOTAL_VOL = " + std::to_string(percent) + "%\r\n"), std::string::npos)
        << percent;
  }
  const std::pair<float, const char*> fractions[] = {{0.535f, "53%"}, {0.999f, "99%"}, {0.0049f, "0%"}};
  for (auto [volume, text] : fractions) {
    config->data().bgm_volume = volume;
    ASSERT_TRUE(config->writeFile(dir_.path()));
    EXPECT_NE(written(dir_.path()).find(std::string("BGM_VOL = ") + text + "\r\n"), std::string::npos) << text;
  }
}

TEST_F(GameConfigFile, ScreenStatementsAreReadButTheWriterUsesItsConstants) {
  rktest::writeBytes(dir_.file("config.dat"),
                     crlf("ADAPTER = 1\nSCREEN_SIZE = (800,600)\nSCREEN_HZ = 75\nASPECT = 4:3\n"));
  GameConfig* config = loadFrom(dir_.path());
  EXPECT_EQ(config->data().adapter, 1);
  EXPECT_EQ(config->data().width, 800);
  EXPECT_EQ(config->data().refresh, 75);
  EXPECT_EQ(config->data().aspect, 0.75f);
  ASSERT_TRUE(config->writeFile(dir_.path()));
  EXPECT_EQ(written(dir_.path()), kDefaultFile);
}

TEST_F(GameConfigFile, OutOfRangeValuesLoadAsDefaultsAndTheFileIsWrittenBackValid) {
  rktest::writeBytes(dir_.file("config.dat"),
                     crlf("SCREEN_SIZE = (0,0)\nASPECT = 0:1\nJOYPAD = {\n\tBUTTON_00 = SHOT\n"
                          "\tBUTTON_99 = PAUSE\n}\n"));
  GameConfig* config = loadFrom(dir_.path());
  EXPECT_EQ(config->data().width, 1280);
  EXPECT_EQ(config->data().height, 720);
  EXPECT_EQ(config->data().aspect, 0.5625f);
  EXPECT_EQ(config->data().pad_shot, 0);
  EXPECT_EQ(config->data().pad_pause, 7);
  EXPECT_EQ(rktest::countOf(log_.text(), "is out of range; the default is used"), 4u) << log_.text();
  EXPECT_TRUE(boxes_.boxes.empty());
  EXPECT_EQ(configRecord().width, 1280);  // what reflect gives the window
  EXPECT_EQ(configRecord().height, 720);
  ASSERT_TRUE(config->writeFile(dir_.path()));
  EXPECT_EQ(written(dir_.path()), kDefaultFile);
}

TEST_F(GameConfigFile, AnErrorKeepsWhatWasReadAndShowsOneBox) {
  rktest::writeBytes(dir_.file("config.dat"), crlf("TOTAL_VOL = 40%\nKEYBOARD = {\n\tSHOT = \"C\"\n\tGUARD \"S\"\n}\n"));
  GameConfig* config = loadFrom(dir_.path());
  EXPECT_EQ(config->data().total_volume, 0.4f);
  EXPECT_EQ(config->data().key_shot, code("C"));
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].text, "syntax error : (4)");
}

TEST_F(GameConfigFile, AFileThatCannotBeWrittenShowsTheBoxAndKeepsTheOldOne) {
  rktest::writeBytes(dir_.file("config.dat"), "old");
  std::filesystem::create_directory(dir_.file("config.dat.tmp"));  // the temporary cannot be made
  GameConfig* config = loadFrom(dir_.path());
  boxes_.boxes.clear();
  EXPECT_FALSE(config->writeFile(dir_.path()));
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  const std::string prefix = "環境設定ファイルの保存に失敗しました。\n";
  EXPECT_EQ(boxes_.boxes[0].text.substr(0, prefix.size()), prefix);
  EXPECT_GT(boxes_.boxes[0].text.size(), prefix.size());
  EXPECT_EQ(boxes_.boxes[0].caption, "エラー");
  EXPECT_EQ(boxes_.boxes[0].type, host::ui::MB_OK | host::ui::MB_ICONERROR);
  EXPECT_EQ(written(dir_.path()), "old");
  // The saver reports the failure to the save loader as well.
  boxes_.boxes.clear();
  EXPECT_FALSE(config->save(dir_.path().c_str()));
  EXPECT_EQ(boxes_.boxes.size(), 1u);
}

// No save folder: the built-in settings, and a save that fails quietly (the
// save loader has logged the missing folder once).
TEST_F(GameConfigFile, WithoutASaveFolderTheDefaultsApplyAndNothingIsShown) {
  GameConfig* config = loadFrom(dir_.path());
  config->data().total_volume = 0.25f;
  EXPECT_TRUE(config->load(nullptr));
  EXPECT_EQ(config->data().total_volume, 1.0f);
  EXPECT_FALSE(config->save(nullptr));
  EXPECT_TRUE(boxes_.boxes.empty());
  EXPECT_TRUE(log_.empty()) << log_.text();
}

// The first window and the settings file decide the window mode through the
// same call.
TEST_F(GameConfigFile, WindowModeIsAppliedByOneCall) {
  rk::DeviceContext* context = rk::DeviceContext::getInstance();
  GameConfig::applyWindowMode(false);
  EXPECT_FALSE(context->isWindowed());
  GameConfig::applyWindowMode(true);
  EXPECT_TRUE(context->isWindowed());
}

TEST_F(GameConfigFile, ReflectAppliesWindowModeSizeControllersAndVolumes) {
  const bool ownControllers = !rk::singletonExists(rk::InstanceSlot::ControllerManager);
  rk::controller::ControllerManager* controllers =
      ownControllers ? rk::controller::ControllerManager::createInstance() : rk::controller::ControllerManager::getInstance();
  const unsigned players = controllers->getPlayerNum();
  controllers->setPlayerNum(1);
  rk::audio::AudioContext* audio = rk::audio::AudioContext::getInstance();
  const float master = audio->masterVolume(), music = audio->musicTotalVolume(), se = audio->soundEffectTotalVolume();

  rktest::writeBytes(dir_.file("config.dat"),
                     crlf("WINDOW_MODE = FALSE\nSCREEN_SIZE = (800,600)\nTOTAL_VOL = 50%\nBGM_VOL = 30%\n"
                          "SE_VOL = 70%\nKEYBOARD = {\n\tSHOT = \"Q\"\n}\n"));
  GameConfig* config = loadFrom(dir_.path());
  controllers->getSystemController()->macro().clear();
  controllers->getController(0)->macro().clear();
  config->reflect(nullptr);

  rk::DeviceContext* context = rk::DeviceContext::getInstance();
  EXPECT_FALSE(context->isWindowed());
  EXPECT_EQ(context->screenWidth(), 800u);
  EXPECT_EQ(context->screenHeight(), 600u);
  EXPECT_EQ(audio->masterVolume(), 0.5f);
  EXPECT_EQ(audio->musicTotalVolume(), 0.3f);
  EXPECT_EQ(audio->soundEffectTotalVolume(), 0.7f);
  rk::controller::ControllerMacro expected;
  expected.setDefault();
  for (rk::controller::Controller* c : {controllers->getSystemController(), controllers->getController(0)}) {
    EXPECT_EQ(std::memcmp(c->macro().direction_keys, expected.direction_keys, sizeof expected.direction_keys), 0);
    EXPECT_EQ(std::memcmp(c->macro().button_keys, expected.button_keys, sizeof expected.button_keys), 0);
    EXPECT_EQ(std::memcmp(c->macro().pad_map, expected.pad_map, sizeof expected.pad_map), 0);
  }
  // The file's keys stay in the settings, for the scripts.
  EXPECT_EQ(config->data().key_shot, code("Q"));

  audio->setMasterVolume(master);
  audio->setMusicTotalVolume(music);
  audio->setSoundEffectTotalVolume(se);
  controllers->setPlayerNum(players);
  if (ownControllers) rk::controller::ControllerManager::destroyInstance();
}

TEST(GameConfigSingleton, MisuseIsReportedUnderTheQualifiedName) {
  rktest::ErrorLogCapture log;
  EXPECT_EQ(GameConfig::getInstance(), nullptr);
  EXPECT_EQ(log.entries("GameConfig::getInstance"), 1u);
  GameConfig::destroyInstance();  // nothing to destroy: silent
  GameConfig* first = GameConfig::createInstance();
  GameConfig* second = GameConfig::createInstance();
  EXPECT_EQ(log.entries("GameConfig::createInstance"), 1u);
  EXPECT_EQ(GameConfig::getInstance(), second);
  delete first;
  GameConfig::destroyInstance();
  EXPECT_EQ(GameConfig::getInstancePtr(), nullptr);
}

}  // namespace
