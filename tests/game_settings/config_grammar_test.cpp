#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "common/config_parser.h"
#include "common/config_record.h"
#include "ctrl/rk_key_name_table.h"
#include "game_settings/settings_fixture.h"
#include "support/error_log_capture.h"

namespace {

std::uint8_t code(const char* name) { return rk::controller::findKeyByName(name)->code; }

struct GrammarCase {
  const char* name;
  std::string text;
  int errorLine;  // 0: the text parses
  std::function<void(const ConfigRecord&)> check;
};

const GrammarCase kCases[] = {
    {"Empty", "", 0, [](const ConfigRecord& r) { EXPECT_EQ(r.width, 1280); EXPECT_EQ(r.pad_pause, 7); }},
    {"OnlyComments", "# one\n\n#two", 0, [](const ConfigRecord& r) { EXPECT_EQ(r.window_mode, 1); }},
    {"EveryScalarStatement",
     "ADAPTER = 2\nWINDOW_MODE = FALSE\nSCREEN_SIZE = (800,600)\nSCREEN_HZ = 75\nASPECT = 4:3\n"
     "TOTAL_VOL = 50%\nBGM_VOL = 150%\nSE_VOL = 0%\nD3DSE_VOL = 20%\n",
     0,
     [](const ConfigRecord& r) {
       EXPECT_EQ(r.adapter, 2);
       EXPECT_EQ(r.window_mode, 0);
       EXPECT_EQ(r.width, 800);
       EXPECT_EQ(r.height, 600);
       EXPECT_EQ(r.refresh, 75);
       EXPECT_EQ(r.aspect, 0.75f);
       EXPECT_EQ(r.total_volume, 0.5f);
       EXPECT_EQ(r.bgm_volume, 1.5f);
       EXPECT_EQ(r.se_volume, 0.0f);
       EXPECT_EQ(r.d3dse_volume, 0.2f);
     }},
    {"LastStatementWins", "ADAPTER = 1\nADAPTER = 3", 0, [](const ConfigRecord& r) { EXPECT_EQ(r.adapter, 3); }},
    {"MinusSignIsSkipped", "SCREEN_HZ = -1\n", 0, [](const ConfigRecord& r) { EXPECT_EQ(r.refresh, 1); }},
    {"HugeNumberIsHeld", "SCREEN_HZ = 99999999999\n", 0,
     [](const ConfigRecord& r) { EXPECT_EQ(r.refresh, std::numeric_limits<std::int32_t>::max()); }},
    {"LowerCaseKeyword", "window_mode = FALSE\n", 1, [](const ConfigRecord& r) { EXPECT_EQ(r.window_mode, 1); }},
    {"UnknownKeyword", "ADAPTER = 4\nVOLUME = 5\n", 2, [](const ConfigRecord& r) { EXPECT_EQ(r.adapter, 4); }},
    {"LeadingZeroSplitsTheNumber", "ADAPTER = 1\nSCREEN_HZ = 060\nSCREEN_SIZE = (1,1)\n", 2,
     [](const ConfigRecord& r) {
       EXPECT_EQ(r.adapter, 1);
       EXPECT_EQ(r.refresh, 0);
       EXPECT_EQ(r.width, 1280);  // after the error nothing more is read
     }},
    {"NotANumber", "TOTAL_VOL = abc%\n", 1, [](const ConfigRecord& r) { EXPECT_EQ(r.total_volume, 1.0f); }},
    {"TruncatedStatementAtEnd", "SCREEN_SIZE = (800,", 1, [](const ConfigRecord& r) { EXPECT_EQ(r.width, 1280); }},
    {"TruncatedLineThenNext", "SCREEN_SIZE = (800,\nSCREEN_HZ = 30\n", 2,
     [](const ConfigRecord& r) { EXPECT_EQ(r.refresh, 60); }},
    {"KeyBlock",
     "KEYBOARD = { # keys\n\tSHOT = \"Q\"\n\tPAUSE = \"escape\"\n\tUP = \"W\"\n\tLEFT = \"Nope\"\n}\n", 0,
     [](const ConfigRecord& r) {
       EXPECT_EQ(r.key_shot, code("Q"));
       EXPECT_EQ(r.key_pause, code("Escape"));
       EXPECT_EQ(r.key_up, code("W"));
       EXPECT_EQ(r.key_left, 0);
       EXPECT_EQ(r.key_trans, code("X"));
     }},
    {"EmptyKeyBlock", "KEYBOARD = {\n}\n", 2, nullptr},
    {"EmptyKeyName", "KEYBOARD = {\n\tSHOT = \"\"\n}\n", 2, nullptr},
    {"KeyNameWithSpace", "KEYBOARD = {\n\tSHOT = \"Z X\"\n}\n", 2, nullptr},
    {"MissingBraceAtEnd", "KEYBOARD = {\n\tSHOT = \"Q\"", 2,
     [](const ConfigRecord& r) { EXPECT_EQ(r.key_shot, code("Q")); }},
    {"MissingBraceAfterLastLineEnd", "KEYBOARD = {\n\tSHOT = \"Q\"\n", 3, nullptr},
    {"PadBlock", "JOYPAD = {\n\tBUTTON_01 = LOCKON\n\tBUTTON_32 = SHOT\n\tBUTTON_12 = PAUSE\n}\n", 0,
     [](const ConfigRecord& r) {
       EXPECT_EQ(r.pad_lockon, 0);
       EXPECT_EQ(r.pad_shot, 31);
       EXPECT_EQ(r.pad_pause, 11);
       EXPECT_EQ(r.pad_trans, 1);
     }},
    {"PadDigitsWithoutPrefix", "JOYPAD = {\n\t3 = SHOT\n}\n", 2, nullptr},
    {"PadPrefixWithoutDigits", "JOYPAD = {\n\tBUTTON_ = SHOT\n}\n", 2, nullptr},
    {"PadItemWithKeyboardName", "JOYPAD = {\n\tBUTTON_01 = UP\n}\n", 3, nullptr},  // UP is no pad token
    {"EmptyFont", "FONT = \"\"\n", 0, [](const ConfigRecord& r) { EXPECT_STREQ(r.font_name, ""); }},
    {"FontWithSpacesAndShiftJis", "FONT = \"ＭＳ Gothic \"\n", 0,
     [](const ConfigRecord& r) { EXPECT_STREQ(r.font_name, "ＭＳ Gothic "); }},
    {"CommentAfterFontOnSameLine", "FONT = \"A\" # c\n", 1,
     [](const ConfigRecord& r) { EXPECT_STREQ(r.font_name, "A"); }},
    {"FontLineEndIsCounted", "FONT = \"A\"\n=\n", 2, nullptr},
    {"LongFontIsCut", "FONT = \"" + std::string(40, 'a') + "\"", 0,
     [](const ConfigRecord& r) { EXPECT_EQ(std::string(r.font_name), std::string(31, 'a')); }},
    {"LongFontIsCutBeforeADoubleByteCharacter", "FONT = \"" + std::string(30, 'a') + "日\"", 0,
     [](const ConfigRecord& r) { EXPECT_EQ(std::string(r.font_name), std::string(30, 'a')); }},
};

class ConfigGrammar : public testing::TestWithParam<GrammarCase> {};

TEST_P(ConfigGrammar, StoresWhatWasReadAndReportsTheFirstBadToken) {
  const GrammarCase& c = GetParam();
  rktest::BoxRecorder boxes;
  ConfigRecord record;
  resetConfigRecord(record);
  EXPECT_EQ(parseConfigText(c.text, record, nullptr), c.errorLine == 0);
  if (c.errorLine == 0) {
    EXPECT_TRUE(boxes.boxes.empty());
  } else {
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "syntax error : (" + std::to_string(c.errorLine) + ")");
    EXPECT_EQ(boxes.boxes[0].caption, "コンフィグエラー");
    EXPECT_EQ(boxes.boxes[0].type, host::ui::MB_OK | host::ui::MB_ICONERROR);
  }
  if (c.check) c.check(record);
}

INSTANTIATE_TEST_SUITE_P(Cases, ConfigGrammar, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<GrammarCase>& info) { return info.param.name; });

// A value the game cannot use gives the field's default and one error-log
// entry naming the file's line; the parse goes on with the next statement.
TEST(ConfigRanges, OutOfRangeValuesFallBackToTheirDefaults) {
  struct Case {
    const char* text;
    std::function<void(const ConfigRecord&)> check;
  } cases[] = {
      {"ASPECT = 0:9\n", [](const ConfigRecord& r) { EXPECT_EQ(r.aspect, 0.5625f); }},
      {"ASPECT = 16:0\n", [](const ConfigRecord& r) { EXPECT_EQ(r.aspect, 0.5625f); }},
      {"SCREEN_SIZE = (0,600)\n", [](const ConfigRecord& r) { EXPECT_EQ(r.width, 1280); EXPECT_EQ(r.height, 720); }},
      {"SCREEN_SIZE = (800,0)\n", [](const ConfigRecord& r) { EXPECT_EQ(r.width, 1280); EXPECT_EQ(r.height, 720); }},
      {"SCREEN_SIZE = (99999999999,600)\n", [](const ConfigRecord& r) { EXPECT_EQ(r.width, 1280); }},
      {"JOYPAD = {\n\tBUTTON_00 = LOCKON\n}\n", [](const ConfigRecord& r) { EXPECT_EQ(r.pad_lockon, 5); }},
      {"JOYPAD = {\n\tBUTTON_33 = PAUSE\n}\n", [](const ConfigRecord& r) { EXPECT_EQ(r.pad_pause, 7); }},
      {"JOYPAD = {\n\tBUTTON_256 = SHOT\n}\n", [](const ConfigRecord& r) { EXPECT_EQ(r.pad_shot, 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    rktest::ErrorLogCapture log;
    rktest::BoxRecorder boxes;
    ConfigRecord record;
    resetConfigRecord(record);
    record.aspect = 2.0f;  // a value from an earlier statement is replaced, not kept
    record.width = record.height = 1;
    record.pad_lockon = record.pad_pause = record.pad_shot = 20;
    EXPECT_TRUE(parseConfigText("ADAPTER = 1\n" + std::string(c.text) + "SCREEN_HZ = 75\n", record, nullptr));
    c.check(record);
    EXPECT_EQ(record.refresh, 75) << "the statements after it are read";
    EXPECT_TRUE(boxes.boxes.empty());
    const std::string text = log.text();
    EXPECT_EQ(rktest::countOf(text, "is out of range; the default is used"), 1u) << text;
    const bool padItem = std::string(c.text).rfind("JOYPAD", 0) == 0;
    EXPECT_NE(text.find(padItem ? "config.dat(3): JOYPAD" : "config.dat(2): "), std::string::npos) << text;
  }
}

TEST(ConfigRecordDefaults, KeysComeFromTheKeyNameTable) {
  ConfigRecord record;
  resetConfigRecord(record);
  EXPECT_EQ(record.key_pause, code("Escape"));
  EXPECT_EQ(record.key_capture, code("A"));
  EXPECT_EQ(record.key_right, code("Right"));
  EXPECT_EQ(record.aspect, 0.5625f);
  EXPECT_EQ(record.pad_lockon, 5);
}

}  // namespace
