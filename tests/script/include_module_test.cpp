// includeModule and loadScriptFromFile/firstRun: scripts run at once in the
// calling state, with Retry running them again and Cancel failing hard.
#include <gtest/gtest.h>

#include "script_fixture.h"

namespace {

using Lines = std::vector<std::string>;

// The source compiled by Lua and written out as a precompiled chunk.
std::string precompiled(const std::string& source) {
  lua_State* L = luaL_newstate();
  std::string out;
  if (luaL_loadstring(L, source.c_str()) == LUA_OK)
    lua_dump(L, [](lua_State*, const void* p, size_t n, void* to) {
      static_cast<std::string*>(to)->append(static_cast<const char*>(p), n);
      return 0;
    }, &out);
  lua_close(L);
  return out;
}

class IncludeModule : public rktest::ScriptFixture {};

TEST_F(IncludeModule, RunsTheModuleAtOnceInTheCallingStateUnderItsOwnName) {
  loadScriptPack({
      {"script/main.a", R"(
        loadUserLibrary('test')
        includeModule('script/lib.lua')
        trace('after', libValue)
        includeModule('script/lib'))"},
      {"script/lib.a", "libValue = (libValue or 0) + 1 trace('lib')"},
  });
  rk::task::ScriptTask* task = startScript("script/main");
  EXPECT_EQ(traceOfFrame(), Lines({"lib", "after 1", "lib"}));  // a second include runs it again
  EXPECT_STREQ(task->currentScriptName(), "");                   // the name stack is balanced
  EXPECT_TRUE(task->includeModule(resources_->findResource("script/lib.a").get()));
}

TEST_F(IncludeModule, AMissingModuleFailsHardNamingTheIncludingScript) {
  loadScriptPack({
      {"script/main.a", "includeModule('script/outer')"},
      {"script/outer.a", "includeModule('script/missing')"},
  });
  startScript("script/main");
  try {
    frame();
    FAIL() << "no exception";
  } catch (const HrException& e) {
    const std::string text = e.what();
    EXPECT_NE(text.find("「script/outer.a」のincludeModule"), std::string::npos) << text;
    EXPECT_NE(text.find("script/missing.a"), std::string::npos) << text;
  }
  EXPECT_TRUE(boxes_.empty()) << "the file error is no script error";
}

TEST_F(IncludeModule, RetryRunsTheReloadedModuleAgain) {
  loadScriptPack({{"script/main.a", "loadUserLibrary('test') includeModule('script/mod') trace('after')"}});
  writeContainer("script/mod.a", "trace('v1') error('v1 fails')");
  onBox = [this](const rktest::RecordedBox&) { writeContainer("script/mod.a", "trace('v2')"); };
  answerNextBox(host::ui::IDRETRY);
  rk::task::ScriptTask* task = startScript("script/main");
  ASSERT_TRUE(runUntil([&] { return task->isEnded(); }));
  EXPECT_EQ(trace(), Lines({"v1", "v2", "after"}));
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].caption, "実行時エラー");
  EXPECT_EQ(boxes_[0].type, host::ui::MB_RETRYCANCEL | host::ui::MB_ICONERROR);
  EXPECT_EQ(boxes_[0].text.rfind("script/mod.a\n", 0), 0u);
  EXPECT_NE(boxes_[0].text.find("v1 fails"), std::string::npos);
}

TEST_F(IncludeModule, CancelFailsHardWithALoadError) {
  loadScriptPack({{"script/main.a", "includeModule('script/mod')"}, {"script/mod.a", "local x = = 1"}});
  startScript("script/main");
  try {
    frame();
    FAIL() << "no exception";
  } catch (const HrException& e) {
    EXPECT_NE(std::string(e.what()).find("読み込みエラー"), std::string::npos);
    EXPECT_EQ(e.code(), host::E_ACCESSDENIED);
  }
  ASSERT_EQ(boxes_.size(), 1u) << "no second, generic script-error box";
  EXPECT_EQ(boxes_[0].caption, "エラー");  // a syntax error has no caption of its own here
  EXPECT_NE(boxes_[0].text.find("unexpected symbol"), std::string::npos) << boxes_[0].text;
}

// Lua does not verify precompiled chunks, so a damaged pack entry in that form
// could take the process down: every loader takes source text only, and a
// precompiled chunk fails like any script that does not load.
struct PrecompiledCase {
  const char* name;
  const char* main;           // the main script's source; null: the chunk itself is the main script
  const char* errorLogEntry;  // written when the chunk does not load; null: none
};
void PrintTo(const PrecompiledCase& c, std::ostream* os) { *os << c.name; }

class PrecompiledChunks : public rktest::ScriptFixture, public testing::WithParamInterface<PrecompiledCase> {};

TEST_P(PrecompiledChunks, AreRefusedThroughTheScriptErrorBox) {
  const std::string chunk = precompiled("loadUserLibrary('test') trace('precompiled ran')");
  ASSERT_EQ(chunk.rfind("\x1bLua", 0), 0u);
  const PrecompiledCase& c = GetParam();
  if (c.main)
    loadScriptPack({{"script/main.a", c.main}, {"script/mod.a", chunk}});
  else
    loadScriptPack({{"script/main.a", chunk}});
  EXPECT_THROW(
      {
        startScript("script/main");
        frame();
      },
      HrException);
  EXPECT_EQ(trace(), Lines()) << "the chunk never runs";
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_NE(boxes_[0].text.find("binary chunk"), std::string::npos) << boxes_[0].text;
  if (c.errorLogEntry) {
    EXPECT_EQ(log_.entries(c.errorLogEntry), 1u) << log_.text();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Loaders, PrecompiledChunks,
    testing::Values(
        PrecompiledCase{"ScriptTask", nullptr, "rk::script::ScriptState::Impl::setScript"},
        PrecompiledCase{"IncludeModule", "includeModule('script/mod')",
                        "rk::script::system::`anonymous-namespace'::includeModule"},
        PrecompiledCase{"FirstRun", "loadScriptFromFile('script/mod'):firstRun()", nullptr}),
    [](const testing::TestParamInfo<PrecompiledCase>& info) { return info.param.name; });

class FirstRun : public rktest::ScriptFixture {};

TEST_F(FirstRun, RunsTheScriptOnANewThreadAndReturnsZero) {
  loadScriptPack({
      {"script/main.a", R"(
        loadUserLibrary('test')
        local file = loadScriptFromFile('script/extra.lua')
        trace('ready', file:isReady())
        trace('result', file:firstRun())
        trace('result', file:firstRun(true))
        trace('shared', extraRuns))"},
      {"script/extra.a", "extraRuns = (extraRuns or 0) + 1 trace('extra')"},
  });
  startScript("script/main");
  EXPECT_EQ(traceOfFrame(), Lines({"ready true", "extra", "result 0", "extra", "result 0", "shared 2"}));
  EXPECT_TRUE(resources_->findResource("script/extra.a")->isRunnable());
}

TEST_F(FirstRun, ALooseScriptArrivesWhileTheScriptPumpsTheFileManager) {
  loadScriptPack({{"script/main.a", R"(
        loadUserLibrary('test')
        local file = loadScriptFromFile('script/loose')
        local passes = 0
        while not file:isReady() do runFileQuae() passes = passes + 1 end
        file:firstRun()
        trace('waited', passes > 0))"}});
  writeContainer("script/loose.a", "trace('loose')");
  startScript("script/main");
  EXPECT_EQ(traceOfFrame(), Lines({"loose", "waited true"}));
}

TEST_F(FirstRun, RetryRunsTheReloadedScriptAgain) {
  loadScriptPack({{"script/main.a", R"(
        loadUserLibrary('test')
        local file = loadScriptFromFile('script/loose')
        while not file:isReady() do runFileQuae() end
        trace('result', file:firstRun()))"}});
  writeContainer("script/loose.a", "trace('broken' ");
  onBox = [this](const rktest::RecordedBox&) { writeContainer("script/loose.a", "trace('fixed')"); };
  answerNextBox(host::ui::IDRETRY);
  startScript("script/main");
  frame();
  EXPECT_EQ(trace(), Lines({"fixed", "result 0"}));
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].caption, "エラー");
  EXPECT_NE(boxes_[0].text.find("expected"), std::string::npos) << "the syntax error itself is shown";
}

TEST_F(FirstRun, CancelEndsInALoadError) {
  loadScriptPack({{"script/main.a", "loadScriptFromFile('script/bad'):firstRun()"},
                  {"script/bad.a", "error('bad')"}});
  startScript("script/main");
  try {
    frame();
    FAIL() << "no exception";
  } catch (const HrException& e) {
    EXPECT_NE(std::string(e.what()).find("読み込みエラー"), std::string::npos);
  }
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].caption, "実行時エラー");
}

}  // namespace
