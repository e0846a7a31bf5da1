// The system table's general globals as scripts see them: the table itself,
// answers of the plain globals, global variables, message boxes (through the
// recording sink), font dialogs, the cancel key, the normal pause, sleeping
// and exitGame.
#include <gtest/gtest.h>

#include "host/clock.h"
#include "host/memory.h"
#include "host/ui.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_global_data.h"
#include "kernel/rk_input_context.h"
#include "platform/driver/xinput/rk_xinput_driver.h"
#include "script/rk_script_system.h"
#include "script_fixture.h"

namespace {

namespace ui = host::ui;
using Lines = std::vector<std::string>;

// An input driver whose cancel key (code 35) the test presses.
class CancelKeyDriver : public rk::driver::xinput::XInputDriver {
 public:
  std::uint8_t getKeyState(std::uint8_t key) override { return key == 35 && pressed ? 0x80 : 0; }
  bool pressed = false;
};

CancelKeyDriver* g_driver = nullptr;

// press(bool): the script's hand on the cancel key.
int luaPress(lua_State* L) {
  g_driver->pressed = lua_toboolean(L, 1) != 0;
  return 0;
}
const rk::script::LuaFunctionPair kKeyLibrary[] = {{luaPress, "press"}};

ui::LResult quietProc(ui::Window* window, unsigned message, ui::WParam wParam, ui::LParam lParam) { return 0; }

class SystemApi : public rktest::ScriptFixture {
 protected:
  void SetUp() override {
    ScriptFixture::SetUp();
    rk::GlobalVariable::createInstance();
    window_ = ui::createWindow("SystemApiTest", "test", 0, 64, 64, quietProc);
    context_->setWindowHandle(window_);
  }
  void TearDown() override {
    ui::setFontDialogSink({});
    host::memory::setMemoryStatusFails(false);
    context_->setWindowHandle(nullptr);
    context_->setFrameTime(0.0);
    ui::destroyWindow(window_);
    ui::Message m;
    while (ui::peekMessage(&m)) {
    }
    if (rk::singletonExists(rk::InstanceSlot::InputContext)) rk::InputContext::destroyInstance();
    rk::GlobalVariable::destroyInstance();
    ScriptFixture::TearDown();
  }
  // Runs the source as the chunk of a script with the test library, for one frame.
  // Each chunk has a name of its own: a name already in memory would run the old chunk.
  Lines runChunk(const std::string& source) {
    const std::string name = "script/chunk" + std::to_string(++chunks_);
    loadScriptPack({{name + ".a", "loadUserLibrary('test') loadUserLibrary('keys')\n" + source}},
                   "chunk" + std::to_string(chunks_) + ".pkp");
    startScript(name.c_str());
    return traceOfFrame();
  }

  rk::DeviceContext* context_ = rk::DeviceContext::getInstance();
  ui::Window* window_ = nullptr;
  int chunks_ = 0;
};

TEST_F(SystemApi, TableHoldsTheSeventySixGlobalsInOrder) {
  const Lines expected = {
      "exitGame", "loadScript", "entryCoRoutine", "entryDestructer", "entryDataLoad", "entryReady",
      "entryInitialize", "loadUserLibrary", "resetCancelFlag", "isCancel", "registerEventMouseLButtonDown",
      "registerEventMouseLButtonUp", "registerEventMouseRButtonDown", "registerEventMouseRButtonUp",
      "registerEventMouseMove", "clearWindowEvent", "getDT", "setFixFrame", "isVisibleCollision",
      "setVisibleCollision", "displayTaskNumTTY", "displayCollisionNumTTY", "ToMeter", "chooseGameFont",
      "includeModule", "loadScriptFromFile", "setGlobalVariable", "getGlobalVariable", "getGlobalString",
      "setGlobalString", "getGlobalBoolean", "setGlobalBoolean", "setNormalPause", "isNormalPause",
      "isDebugMenuValid", "askMessageBox", "checkStringIncludeBack", "warningMessageBox",
      "setDebugCollisonCameraNo", "getNowScriptPriority", "selectFont", "changeUserFont", "runFileQuae",
      "isWindowAcquire", "LUA_OutputDebugString", "sleepThread", "MesssageWindow", "MESWND_OK",
      "MESWND_OKCANCEL", "MESWND_ABORTRETRYIGNORE", "MESWND_YESNOCANCEL", "MESWND_YESNO",
      "MESWND_RETRYCANCEL", "MESWND_CANCELTRYCONTINUE", "MESWND_ICONHAND", "MESWND_ICONSTOP",
      "MESWND_ICONERROR", "MESWND_ICONQUESTION", "MESWND_ICONEXCLAMATION", "MESWND_ICONWARNING",
      "MESWND_ICONASTERISK", "MESWND_ICONINFORMATION", "MESID_OK", "MESID_CANCEL", "MESID_ABORT",
      "MESID_RETRY", "MESID_IGNORE", "MESID_YES", "MESID_NO", "MESID_TRYAGAIN", "MESID_CONTINUE", "isPackRom",
      "CheckMemory", "dumpMemory", "setTaskPause", "getGlobalMemoryByPar"};
  const rk::script::LuaFunctionTable table = rk::script::systemFunctionTable();
  Lines names;
  for (int i = 0; i < table.count; ++i) names.push_back(table.pairs[i].name);
  EXPECT_EQ(names, expected);
}

// Each case is one statement that traces one line.
TEST_F(SystemApi, GeneralGlobalsAnswerAsSpecified) {
  context_->setFrameTime(0.025);
  struct Case {
    const char* lua;
    const char* expected;
  };
  const Case cases[] = {
      {"trace(checkStringIncludeBack('stage.lua', '.lua'))", "true"},
      {"trace(checkStringIncludeBack('lua', '.lua'))", "false"},  // the ending is longer
      {"trace(checkStringIncludeBack('stage.lua', 'Lua'))", "false"},
      {"trace(checkStringIncludeBack('abc', ''))", "true"},
      {"trace(checkStringIncludeBack('a\\0b', '\\0b'))", "true"},  // byte-wise, zeros too
      {"trace(checkStringIncludeBack(nil, '.lua'), checkStringIncludeBack('x.lua'))", "false false"},
      {"trace(ToMeter(0.1), ToMeter(2), ToMeter('x'))", "0.10000000149012 2 0"},
      {"trace(getDT())", "0.025"},
      {"trace(isWindowAcquire(), isDebugMenuValid(), isPackRom(), CheckMemory(), CheckMemory('tag'))",
       "true false true true true"},
      {"trace(select('#', displayTaskNumTTY()), select('#', displayCollisionNumTTY(1)),"
       " select('#', LUA_OutputDebugString('x')), select('#', dumpMemory(1)), select('#', changeUserFont('f', 12)))",
       "0 0 0 0 0"},
      {"trace(MESWND_OK(), MESWND_OKCANCEL(), MESWND_ABORTRETRYIGNORE(), MESWND_YESNOCANCEL(), MESWND_YESNO(),"
       " MESWND_RETRYCANCEL(), MESWND_CANCELTRYCONTINUE(), MESWND_ICONHAND(), MESWND_ICONSTOP(),"
       " MESWND_ICONERROR(), MESWND_ICONQUESTION(), MESWND_ICONEXCLAMATION(), MESWND_ICONWARNING(),"
       " MESWND_ICONASTERISK(), MESWND_ICONINFORMATION())",
       "0 1 2 3 4 5 6 16 16 16 32 48 48 64 64"},
      {"trace(MESID_OK(), MESID_CANCEL(), MESID_ABORT(), MESID_RETRY(), MESID_IGNORE(), MESID_YES(), MESID_NO(),"
       " MESID_TRYAGAIN(), MESID_CONTINUE())",
       "1 2 3 4 5 6 7 10 11"},
      {"trace(isVisibleCollision())", "true"},
      {"setVisibleCollision(nil) trace(isVisibleCollision())", "false"},
      {"setVisibleCollision(0) trace(isVisibleCollision())", "true"},
      {"local load = getGlobalMemoryByPar() trace(type(load), load >= 0 and load <= 100)", "number true"},
      // Global variables: three separate name spaces; absent names give 0, nil, false.
      {"trace(getGlobalVariable('never'), getGlobalString('never'), getGlobalBoolean('never'))", "0 nil false"},
      {"setGlobalVariable('speed', 0.1) trace(getGlobalVariable('speed'))", "0.10000000149012"},
      {"setGlobalVariable('speed', '3') trace(getGlobalVariable('speed'))", "3"},
      {"setGlobalString('name', 'abc') setGlobalString('name', 12) trace(getGlobalString('name'))", "12"},
      {"setGlobalString('kept', 'a') setGlobalString('kept', nil) trace(getGlobalString('kept'))", "a"},
      {"setGlobalBoolean('zero', 0) setGlobalBoolean('nil', nil) trace(getGlobalBoolean('zero'),"
       " getGlobalBoolean('nil'))",
       "true false"},
      {"setGlobalVariable('A', 1) setGlobalString('A', 's') setGlobalBoolean('A', true)"
       " trace(getGlobalVariable('A'), getGlobalString('A'), getGlobalBoolean('A'))",
       "1 s true"},
      {"setGlobalVariable(nil, 5) setGlobalString(nil, 'x') trace(getGlobalVariable(nil), getGlobalString(nil))",
       "0 nil"},
      // Switches read natively: checked below.
      {"setFixFrame('yes') setDebugCollisonCameraNo(3.9) trace('set')", "set"},
  };
  std::string source;
  Lines expected;
  for (const Case& c : cases) {
    source += std::string(c.lua) + "\n";
    expected.push_back(c.expected);
  }
  const Lines lines = runChunk(source);
  ASSERT_EQ(lines.size(), expected.size()) << source;
  for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << cases[i].lua;

  rk::GlobalVariable* variables = rk::GlobalVariable::getInstance();
  EXPECT_TRUE(variables->isFixFrame());
  EXPECT_EQ(variables->debugCollisionCameraNo(), 3);
  EXPECT_FLOAT_EQ(variables->getNumber("speed"), 3.0f);  // native code reads what scripts set
  EXPECT_TRUE(boxes_.empty());
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(SystemApi, GlobalVariablesWithoutTheStoreReportAndAnswerAsAbsent) {
  rk::GlobalVariable::destroyInstance();
  EXPECT_EQ(runChunk("setGlobalVariable('a', 1) setFixFrame(true)\n"
                     "trace(getGlobalVariable('a'), getGlobalString('a'), getGlobalBoolean('a'), isVisibleCollision())"),
            Lines({"0 nil false false"}));
  EXPECT_EQ(log_.entries("rk::GlobalVariable::getInstance"), 6u);
}

TEST_F(SystemApi, MessageBoxesShowTheirTypeAndReturnTheAnswer) {
  struct Case {
    const char* lua;
    int answer;
    unsigned type;
    const char* text;
    const char* caption;
    const char* expected;
  };
  const Case cases[] = {
      {"trace(askMessageBox('Continue?', 'Title'))", ui::IDOK, 0x21, "Continue?", "Title", "true"},
      {"trace(askMessageBox('続けますか', '確認'))", ui::IDCANCEL, 0x21, "続けますか", "確認", "false"},
      {"trace(askMessageBox(nil, 7))", ui::IDOK, 0x21, "", "7", "true"},
      {"trace(select('#', warningMessageBox('Careful', 'Warn')))", ui::IDOK, 0x30, "Careful", "Warn", "0"},
      {"trace(MesssageWindow('q', 'c', MESWND_YESNO() + MESWND_ICONQUESTION()))", ui::IDNO, 36, "q", "c", "7"},
      {"trace(MesssageWindow('q', 'c', MESWND_YESNO() + MESWND_ICONQUESTION()) == MESID_YES())", ui::IDYES, 36,
       "q", "c", "true"},
      {"trace(MesssageWindow('r', 'c', 5.9))", ui::IDRETRY, 5, "r", "c", "4"},
  };
  std::string source;
  Lines expected;
  for (const Case& c : cases) {
    source += std::string(c.lua) + "\n";
    expected.push_back(c.expected);
    answerNextBox(c.answer);
  }
  EXPECT_EQ(runChunk(source), expected);
  ASSERT_EQ(boxes_.size(), std::size(cases));
  for (std::size_t i = 0; i < boxes_.size(); ++i) {
    SCOPED_TRACE(cases[i].lua);
    EXPECT_EQ(boxes_[i].type, cases[i].type);
    EXPECT_EQ(boxes_[i].text, cases[i].text);
    EXPECT_EQ(boxes_[i].caption, cases[i].caption);
  }
}

TEST_F(SystemApi, MemoryLoadThatCannotBeReadShowsTheReasonAndGivesZero) {
  host::memory::setMemoryStatusFails(true);
  EXPECT_EQ(runChunk("trace(getGlobalMemoryByPar())"), Lines({"0"}));
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].caption, "エラー");
  EXPECT_EQ(boxes_[0].type, ui::MB_ICONINFORMATION);
  EXPECT_FALSE(boxes_[0].text.empty());
}

TEST_F(SystemApi, FontDialogsAskForTheirFontsAndReportTheChoice) {
  std::vector<ui::FontDialogRequest> requests;
  std::vector<ui::LogFont> fonts;  // the record each dialog was given
  bool choose = true;
  ui::setFontDialogSink([&](ui::FontDialogRequest& request) {
    requests.push_back(request);
    fonts.push_back(request.font ? *request.font : ui::LogFont{});
    if (choose && request.font) request.font->faceName = "IPAGothic";
    return choose;
  });
  const std::string longName(40, 'a');
  const std::string wideName = "ゴシックゴシックゴシックゴシック";  // 16 double-byte characters, 32 bytes
  EXPECT_EQ(runChunk("trace(selectFont(-16, 'MS Gothic'))\n"
                     "trace(select('#', chooseGameFont()))\n"),
            Lines({"true IPAGothic", "0"}));
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].owner, window_);
  EXPECT_EQ(requests[0].flags, 0x1004040u);
  EXPECT_EQ(fonts[0].height, -16);
  EXPECT_EQ(fonts[0].charSet, 128);
  EXPECT_EQ(fonts[0].pitchAndFamily, 49);
  EXPECT_EQ(fonts[0].faceName, "MS Gothic");
  EXPECT_EQ(requests[1].owner, window_);
  EXPECT_EQ(requests[1].flags, 0x101u);
  EXPECT_EQ(requests[1].fontType, 0x2000u);
  EXPECT_EQ(requests[1].font, nullptr);

  // Cancelled: false and the face the record started with, cut to what it holds.
  choose = false;
  requests.clear();
  fonts.clear();
  EXPECT_EQ(runChunk("trace(selectFont(12), '[' .. select(2, selectFont(12)) .. ']')\n"
                     "trace(select(2, selectFont(12, '" + longName + "')))\n"
                     "trace(select(2, selectFont(12, '" + wideName + "')))\n"),
            Lines({"false []", std::string(31, 'a'), wideName.substr(0, 30)}));
  ASSERT_EQ(fonts.size(), 4u);
  EXPECT_EQ(fonts[2].faceName.size(), 31u);

  // Without a sink (no font dialog on this platform) the choice is cancelled.
  ui::setFontDialogSink({});
  EXPECT_EQ(runChunk("trace(selectFont(12, 'x'))"), Lines({"false x"}));
}

TEST_F(SystemApi, IsCancelReportsEachPressOfTheCancelKeyOnce) {
  rk::InputContext::createInstance()->setDriver(g_driver = new CancelKeyDriver);
  states_->registerUserLibrary("keys", kKeyLibrary, 1);
  EXPECT_EQ(runChunk("trace(isCancel())\n"
                     "press(true) trace(isCancel(), isCancel())\n"
                     "press(false) trace(isCancel())\n"
                     "press(true) trace(isCancel())\n"
                     "resetCancelFlag() trace(isCancel())\n"),
            Lines({"false", "true false", "false", "true", "true"}));
}

TEST_F(SystemApi, NormalPauseAskedFromAScriptStartsWithTheNextPass) {
  rk::task::TaskManager* tasks = rk::task::TaskManager::getInstance();
  EXPECT_EQ(runChunk("function main()\n"
                     "  setNormalPause(true) trace('asked', isNormalPause())\n"
                     "  coroutine.yield()\n"
                     "  trace('resumed', isNormalPause())\n"
                     "  while true do coroutine.yield() end\n"
                     "end\n"
                     "entryCoRoutine('main')\n"),
            Lines({"asked false"}));
  EXPECT_FALSE(tasks->isNormalPause());
  EXPECT_EQ(traceOfFrame(), Lines());  // the pause began with this pass: the script is held
  EXPECT_TRUE(tasks->isNormalPause());
  tasks->setNormalPause(false);
  EXPECT_EQ(traceOfFrame(), Lines({"resumed false"}));
}

TEST_F(SystemApi, SleepThreadBlocksForTheWholeMilliseconds) {
  struct Case {
    const char* argument;
    std::int64_t ms;
  };
  const Case cases[] = {{"2.7", 2}, {"'3'", 3}, {"0", 0}, {"-5", 0}, {"nil", 0}, {"-1e300", 0}};
  std::string source = "function main()\n";
  for (const Case& c : cases) source += std::string("  sleepThread(") + c.argument + ") coroutine.yield()\n";
  source += "  while true do coroutine.yield() end\nend\nentryCoRoutine('main')\n";
  loadScriptPack({{"script/sleep.a", source}});
  host::clock::useManualClock(true);
  startScript("script/sleep");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.argument);
    std::int64_t before = 0, after = 0, frequency = 0;
    host::clock::queryPerformanceFrequency(&frequency);
    host::clock::queryPerformanceCounter(&before);
    frame();
    host::clock::queryPerformanceCounter(&after);
    EXPECT_EQ((after - before) * 1000 / frequency, c.ms);
  }
  host::clock::useManualClock(false);
}

TEST_F(SystemApi, ExitGameAsksTheGameWindowToClose) {
  EXPECT_EQ(runChunk("exitGame() trace('asked')"), Lines({"asked"}));
  ui::Message message;
  ASSERT_TRUE(ui::peekMessage(&message));
  EXPECT_EQ(message.window, window_);
  EXPECT_EQ(message.message, static_cast<unsigned>(ui::WM_CLOSE));
}

}  // namespace
