// The five-phase machine as scripts see it: which function runs in which
// frame, entries by global and by table field, waiting in Ready, the
// Destructer on close, and what a failing phase does.
#include <gtest/gtest.h>

#include "script_fixture.h"

namespace {

using rk::script::ScriptState;
using Lines = std::vector<std::string>;

class PhaseMachine : public rktest::ScriptFixture {};

TEST_F(PhaseMachine, AScriptWithoutEntriesRunsItsChunkOnceAndEndsAtItsFirstUpdate) {
  loadScriptPack({{"script/plain.a", "loadUserLibrary('test') trace('chunk')"}});
  rk::task::ScriptTask* task = startScript("script/plain");
  EXPECT_EQ(traceOfFrame(), Lines({"chunk"}));
  EXPECT_TRUE(task->isEnded());
  EXPECT_FALSE(task->isActive());
  EXPECT_TRUE(task->isAlive());  // kept: it was not set to delete itself
  EXPECT_EQ(traceOfFrame(), Lines());
}

// Each yield ends the frame's step inside the phase; the frame a phase
// function returns, the next one is pushed and first runs in the next frame.
TEST_F(PhaseMachine, PhasesRunInOrderOneStepPerFrame) {
  loadScriptPack({{"script/phases.a", R"(
    loadUserLibrary('test')
    function load() trace('load1') coroutine.yield() trace('load2') end
    function ready() trace('ready') end
    function init() trace('init') end
    function main() for i = 1, 2 do trace('main' .. i) coroutine.yield() end end
    function fin() trace('fin') end
    entryDataLoad('load') entryReady('ready') entryInitialize('init')
    entryCoRoutine('main') entryDestructer('fin')
  )"}});
  rk::task::ScriptTask* task = startScript("script/phases");
  const std::vector<Lines> expected = {{"load1"}, {"load2"}, {"ready"}, {"init"}, {"main1"}, {"main2"}, {}, {"fin"}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(traceOfFrame(), expected[i]) << "frame " << i + 1;
    EXPECT_EQ(task->isEnded(), i + 1 == expected.size()) << "frame " << i + 1;
  }
  EXPECT_EQ(task->state()->luaState(), nullptr);  // the machine closed the state after the Destructer
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(PhaseMachine, WithoutReadyItWaitsAfterDataLoadAndStartsReadyWhenOneIsSet) {
  loadScriptPack({{"script/wait.a", R"(
    loadUserLibrary('test')
    function load() trace('load') end
    function ready() trace('ready') end
    function main() trace('main') end
    entryDataLoad('load') entryCoRoutine('main')
  )"}});
  rk::task::ScriptTask* task = startScript("script/wait");
  EXPECT_EQ(traceOfFrame(), Lines({"load"}));
  for (int i = 0; i < 5; ++i) EXPECT_EQ(traceOfFrame(), Lines()) << "the CoRoutine never starts on its own";
  EXPECT_EQ(task->state()->phase(), ScriptState::kReady);
  EXPECT_FALSE(task->isEnded());

  task->state()->setEntry(ScriptState::kReady, "ready");
  EXPECT_EQ(traceOfFrame(), Lines({"ready"}));
  EXPECT_EQ(traceOfFrame(), Lines({"main"}));
  EXPECT_TRUE(boxes_.empty()) << boxes_[0].text;
}

TEST_F(PhaseMachine, AFieldEntryRunsTheFunctionStoredInAGlobalTable) {
  loadScriptPack({{"script/stage.a", R"(
    loadUserLibrary('test')
    stage = { main = function() trace('stage.main') end }
    function main() trace('global main') end
    entryCoRoutine('stage', 'main')
  )"}});
  startScript("script/stage");
  EXPECT_EQ(traceOfFrame(), Lines({"stage.main"}));
}

TEST_F(PhaseMachine, AFieldEntryOnAGlobalThatIsNoTableIsAScriptErrorNotACrash) {
  loadScriptPack({{"script/notable.a", "stage = 5 entryCoRoutine('stage', 'main')"}});
  startScript("script/notable");
  EXPECT_THROW(frame(), HrException);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].caption, "実行時エラー");
}

TEST_F(PhaseMachine, TheDestructerRunsWhenTheTaskIsDeletedEvenMidPhase) {
  loadScriptPack({{"script/endless.a", R"(
    loadUserLibrary('test')
    counter = 0
    function main() while true do counter = counter + 1 coroutine.yield() end end
    function fin() trace('fin after ' .. counter) end
    entryCoRoutine('main') entryDestructer('fin')
  )"}});
  startScript("script/endless");
  for (int i = 0; i < 3; ++i) frame();
  rk::task::TaskManager::getInstance()->deleteTasks(true);
  EXPECT_EQ(trace(), Lines({"fin after 3"}));
  EXPECT_TRUE(boxes_.empty());
}

// A runtime error in a phase shows the message (twice: at the top and as the
// traceback's first line), logs, and ends in HrException "スクリプトエラー".
TEST_F(PhaseMachine, ARuntimeErrorShowsItsBoxAndEndsInAScriptError) {
  loadScriptPack({{"script/fail.a", "function main() error('broken here') end entryCoRoutine('main')"}});
  rk::task::ScriptTask* task = startScript("script/fail");
  try {
    frame();
    FAIL() << "no exception";
  } catch (const HrException& e) {
    EXPECT_NE(std::string(e.what()).find("スクリプトエラー"), std::string::npos);
  }
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].caption, "実行時エラー");
  EXPECT_EQ(boxes_[0].type, host::ui::MB_ICONERROR);
  EXPECT_EQ(rktest::countOf(boxes_[0].text, "broken here"), 2u);
  EXPECT_NE(boxes_[0].text.find("stack traceback:"), std::string::npos);
  EXPECT_EQ(log_.entries("rk::script::scriptResume"), 1u);
  // The machine has stopped: later frames neither resume it again nor fail.
  EXPECT_NO_THROW(frame());
  EXPECT_TRUE(task->isEnded());
  EXPECT_EQ(boxes_.size(), 1u);
}

TEST_F(PhaseMachine, AnErrorInACollectorDuringAPhaseShowsTheGcCaption) {
  loadScriptPack({{"script/gcfail.a", R"(
    function main()
      setmetatable({}, { __gc = function() error('gc broke') end })
      collectgarbage()
    end
    entryCoRoutine('main'))"}});
  startScript("script/gcfail");
  EXPECT_THROW(frame(), HrException);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].caption, "__gc メタメソッド実行中のエラー");
  EXPECT_NE(boxes_[0].text.find("gc broke"), std::string::npos);
}

// Status boxes by status: caption and text as built from the thread's stack.
TEST(LuaStatusBox, EachErrorStatusHasItsCaptionAndText) {
  std::vector<rktest::RecordedBox> boxes;
  host::ui::setMessageBoxSink([&](const std::string& text, const std::string& caption, unsigned type) {
    boxes.push_back({text, caption, type});
    return host::ui::IDOK;
  });
  struct Case {
    int status;
    const char* caption;
  };
  const Case cases[] = {{LUA_ERRSYNTAX, "コンパイル中に構文エラーが発生しました。"},
                        {LUA_ERRMEM, "メモリ割り当てエラー"},
                        {LUA_ERRGCMM, "__gc メタメソッド実行中のエラー"},
                        {LUA_ERRERR, "メッセージハンドラ実行中のエラー"}};
  for (const Case& c : cases) {
    boxes.clear();
    lua_State* L = luaL_newstate();
    lua_pushstring(L, "first");
    lua_pushstring(L, "the error");
    EXPECT_FALSE(rk::script::reportLuaStatus(c.status, L));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, c.caption);
    EXPECT_EQ(boxes[0].text, "the error\nfirst\nstack traceback:") << c.status;
    lua_close(L);
  }
  // A runtime error whose value is not text: only the traceback.
  boxes.clear();
  lua_State* L = luaL_newstate();
  lua_newtable(L);
  EXPECT_FALSE(rk::script::reportLuaStatus(LUA_ERRRUN, L));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text.rfind("stack traceback:", 0), 0u);
  EXPECT_TRUE(rk::script::reportLuaStatus(LUA_OK, L));
  EXPECT_TRUE(rk::script::reportLuaStatus(LUA_YIELD, L));
  EXPECT_EQ(boxes.size(), 1u);
  lua_close(L);
  host::ui::setMessageBoxSink({});
}

// A chunk that fails offers Retry: the script is read again from its file and
// run again. Cancel ends in HrException carrying the name and the message.
TEST_F(PhaseMachine, RetryReloadsTheScriptAndRunsItAgain) {
  writeContainer("script/retry.a", "loadUserLibrary('test') trace('first' ");  // a syntax error
  onBox = [this](const rktest::RecordedBox&) {
    writeContainer("script/retry.a", "loadUserLibrary('test') trace('second')");
  };
  answerNextBox(host::ui::IDRETRY);
  rk::task::ScriptTask* task = startScript("script/retry");
  ASSERT_TRUE(runUntil([&] { return task->isEnded(); }));
  EXPECT_EQ(trace(), Lines({"second"}));
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].caption, "エラー");
  EXPECT_EQ(boxes_[0].type, host::ui::MB_RETRYCANCEL | host::ui::MB_ICONERROR);
  EXPECT_EQ(boxes_[0].text.rfind("script/retry.a\n", 0), 0u);
  EXPECT_NE(boxes_[0].text.find("expected"), std::string::npos) << "the syntax error itself is shown";
}

TEST_F(PhaseMachine, CancelEndsInAnExceptionWithTheScriptNameAndMessage) {
  loadScriptPack({{"script/cancel.a", "error('chunk fails')"}});
  startScript("script/cancel");
  try {
    frame();
    FAIL() << "no exception";
  } catch (const HrException& e) {
    EXPECT_NE(std::string(e.what()).find("script/cancel.a"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("chunk fails"), std::string::npos);
  }
  EXPECT_EQ(boxes_.size(), 1u);
}

TEST_F(PhaseMachine, AnErrorInTheDestructerOnCloseShowsItsBoxAndAsksTheLoopToQuit) {
  loadScriptPack({{"script/badfin.a", R"(
    function main() while true do coroutine.yield() end end
    function fin() error('fin fails') end
    entryCoRoutine('main') entryDestructer('fin'))"}});
  startScript("script/badfin");
  frame();
  host::ui::Message message;
  while (host::ui::peekMessage(&message)) {
  }
  rk::task::TaskManager::getInstance()->deleteTasks(true);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].caption, "実行時エラー");
  bool quit = false;
  while (host::ui::peekMessage(&message)) quit = quit || message.message == host::ui::WM_QUIT;
  EXPECT_TRUE(quit);
}

}  // namespace
