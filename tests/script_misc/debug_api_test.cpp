// The debug globals run from Lua: debugPrintf's formatting (also with hostile
// formats), the print list, sleeps, the OK box and the fatal assertion.
#include <gtest/gtest.h>

#include "font/rk_font.h"
#include "host/clock.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_hr_exception.h"
#include "script/rk_script_debug.h"
#include "script_misc/script_misc_fixture.h"

namespace {

class DebugApi : public rktest::ScriptMiscFixture {
 protected:
  void SetUp() override {
    ScriptMiscFixture::SetUp();
    rk::DeviceContext::getInstance()->createFonts();
  }
  void TearDown() override {
    rk::DeviceContext::getInstance()->releaseDevice(false);  // drops the fonts
    ScriptMiscFixture::TearDown();
  }
  // The debug font's print list.
  const std::list<std::unique_ptr<rk::font::RKFont::PrintEntry>>& entries() const {
    return rk::DeviceContext::getInstance()->font(0)->prints();
  }
  // The text of the one entry a debugPrintf call (its Lua arguments after the
  // colour) queues.
  std::string printed(const std::string& arguments) {
    rk::DeviceContext::getInstance()->font(0)->clearPrint();
    const std::string error = run("debugPrintf(0, 0, 0, 0, 0, 0, " + arguments + ")");
    EXPECT_EQ(error, "") << arguments;
    EXPECT_EQ(entries().size(), 1u) << arguments;
    return entries().empty() ? "" : entries().back()->text;
  }
};

TEST_F(DebugApi, PrintQueuesOneEntryWithPositionAndColour) {
  EXPECT_EQ(run("check(values(debugPrintf(10, 20, 255, 255, 255, 255, 'HP %d', 42)).n == 0)"), "");
  EXPECT_EQ(run("debugPrintf(-3.7, 5, 256, 257, 1, -1, 'x')"), "");
  ASSERT_EQ(entries().size(), 2u);
  const rk::font::RKFont::PrintEntry& first = *entries().front();
  const rk::font::RKFont::PrintEntry& second = *entries().back();
  EXPECT_EQ(first.x, 10);
  EXPECT_EQ(first.y, 20);
  EXPECT_EQ(first.color, 0xFFFFFFFFu);
  EXPECT_EQ(first.text, "HP 42");
  EXPECT_EQ(second.x, -3);
  EXPECT_EQ(second.color, 0x000101FFu);  // alpha, red, green, blue by their low bytes

  EXPECT_EQ(run("debugCLS()"), "");
  EXPECT_TRUE(entries().empty());
}

TEST_F(DebugApi, PrintFormatsOneValuePerConversion) {
  struct Case {
    const char* arguments;
    const char* text;
  };
  const Case cases[] = {
      {"'%s/%s', 'abc', 7", "abc/7"},
      {"'%d', 16777217", "16777216"},  // single precision
      {"'%d', 2.9", "2"},
      {"'%d', -2.9", "-2"},
      {"'%d', '12'", "12"},
      {"'%d|%f'", "0|0.000000"},  // missing values
      {"'%f', 0.1", "0.100000"},
      {"'%5.1f|%-4d|%04d|%+d|% d', 3.14159, 7, 42, 5, 3", "  3.1|7   |0042|+5| 3"},
      {"'[%6s][%-6s][%.2s]', 'ab', 'ab', 'abcdef'", "[    ab][ab    ][ab]"},
      {"'%#x%d', 5", "%#x5"},
      {"'100%%'", "100%"},
      {"'%%d', 5", "%d"},
      {"'%d %d %d', 1", "1 0 0"},
      {"12", "12"},
      {"{}", ""},
      {"'%s', {}", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(printed(c.arguments), c.text) << c.arguments;
}

TEST_F(DebugApi, PrintNeverTreatsScriptTextAsAFormat) {
  struct Case {
    const char* arguments;
    const char* text;
  };
  const Case cases[] = {
      {"'%n'", "%n"},
      {"'%n%p%x%c%ld', 1, 2", "%n%p%x%c%ld"},
      {"'%s'", ""},
      {"'%s%s%s%s%s%s'", ""},
      {"'%*d', 5", "%*d"},
      {"'%'", "%"},
      {"'50%'", "50%"},
      {"'%s', '%n%s%d'", "%n%s%d"},  // a value is never formatted again
      {"'%s%%', '%'", "%%"},
      {"'ab\\0cd %d', 5", "ab"},  // the format ends at a zero byte
  };
  for (const Case& c : cases) EXPECT_EQ(printed(c.arguments), c.text) << c.arguments;

  // Far more conversions than values, and than the stack holds.
  EXPECT_EQ(printed("string.rep('%d', 600)"), std::string(600, '0'));
}

TEST_F(DebugApi, PrintCutsOverlongTextAtTheBufferWithoutSplittingACharacter) {
  EXPECT_EQ(printed("string.rep('a', 5000)"), std::string(1023, 'a'));
  EXPECT_EQ(printed("'%s', string.rep('b', 5000)"), std::string(1023, 'b'));
  EXPECT_EQ(printed("'%99999999d', 1"), std::string(1023, ' '));
  EXPECT_EQ(printed("'%.9999f', 1").substr(0, 6), "1.0000");
  EXPECT_EQ(printed("'%.9999f', 1").size(), 1023u);
  // 1022 single bytes and one double-byte character: the character does not fit.
  const std::string japanese = "あ";
  ASSERT_EQ(japanese.size(), 2u);
  lua_pushlstring(L, japanese.data(), japanese.size());
  lua_setglobal(L, "wide");
  EXPECT_EQ(printed("string.rep('a', 1022) .. wide"), std::string(1022, 'a'));
  EXPECT_EQ(printed("string.rep('a', 1021) .. wide"), std::string(1021, 'a') + japanese);
}

TEST_F(DebugApi, SleepRoundsHalvesToEven) {
  host::clock::useManualClock(true);
  struct Case {
    const char* argument;
    std::uint32_t ms;
  };
  const Case cases[] = {{"2.5", 2}, {"3.5", 4}, {"1.4", 1}, {"'3'", 3}, {"-5", 0}, {"", 0}};
  for (const Case& c : cases) {
    const std::uint32_t before = host::clock::timeGetTime();
    EXPECT_EQ(run(std::string("debugSleep(") + c.argument + ")"), "");
    EXPECT_EQ(host::clock::timeGetTime() - before, c.ms) << c.argument;
  }
  host::clock::useManualClock(false);
}

TEST_F(DebugApi, QuietFunctionsDoNothing) {
  EXPECT_EQ(run(R"(
    check(values(debugPrintTTY('x')).n == 0 and values(debugPrintTTYNumber(3)).n == 0)
    check(values(debugTrap({})).n == 0 and values(debugPrintTTY({})).n == 0)
  )"), "");
  EXPECT_TRUE(entries().empty());
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(log.empty());
}

TEST_F(DebugApi, MessageBoxShowsAnOkBox) {
  EXPECT_EQ(run("MessageBoxDB('text', 'caption') MessageBoxDB(12, {})"), "");
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "text");
  EXPECT_EQ(boxes[0].caption, "caption");
  EXPECT_EQ(boxes[0].type, host::ui::MB_OK);
  EXPECT_EQ(boxes[1].text, "12");
  EXPECT_EQ(boxes[1].caption, "エラー");  // the system's caption when none is given
}

TEST_F(DebugApi, AssertEndsTheScriptWithAnHrException) {
  EXPECT_EQ(run("debugAssert('broken') error('not reached')"), "(exception)");
  ASSERT_TRUE(thrown);
  try {
    std::rethrow_exception(thrown);
  } catch (const HrException& e) {
    EXPECT_EQ(e.code(), host::E_FAIL);
    EXPECT_NE(std::string(e.what()).find("name = broken"), std::string::npos) << e.what();
  }
  EXPECT_NE(log.text().find("src/script/rk_script_debug(235)\n"), std::string::npos) << log.text();
  EXPECT_FALSE(rk::script::hasParkedException());
}

}  // namespace
