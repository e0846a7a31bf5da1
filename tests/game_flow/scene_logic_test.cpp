// The logic of the game's scene scripts, run in a bare Lua state with the
// drawing, the pads and the frame clock stubbed: menus move, wrap, adjust,
// choose and leave; the auto-play reads its number of seconds and walks its
// menu plans; the guard reads missing game functions as nil.
#include <gtest/gtest.h>
#include <lua.hpp>

#include <cstdlib>
#include <string>

#include "support/lua_run.h"
#include "support/temp_dir.h"

namespace {

std::string source(const std::string& name) {
  return rktest::readBytes(std::string(RK_SOURCE_DIR) + "/data/script/" + name + ".lua");
}

// Stubs of what the menus use besides their own modules.
constexpr char kStubs[] = R"(
Screen = { begin = function() end, finish = function() end, panel = function() end,
           text = function() end, fill = function() end }
COLOUR = {}
FRAMES = 0
Frame = { next = function() FRAMES = FRAMES + 1 AutoPlay.advance(1 / 60) end }
ACTIONS = {}
Input = { menuAction = function() return table.remove(ACTIONS, 1) or error("the menu wants more actions") end }
)";

class SceneLogic : public ::testing::Test {
 protected:
  void TearDown() override {
    if (L) lua_close(L);
    unsetenv("QUORVANDEL_AUTOPLAY");
  }
  // A fresh state with the modules loaded; `autoplay` is the environment
  // value the auto-play module reads (unset when null).
  void load(const char* autoplay) {
    if (autoplay) setenv("QUORVANDEL_AUTOPLAY", autoplay, 1); else unsetenv("QUORVANDEL_AUTOPLAY");
    L = luaL_newstate();
    luaL_openlibs(L);
    for (const char* module : {"global_lib", "modules/instance", "game/guard", "game/autoplay"})
      ASSERT_EQ(rktest::runLua(L, source(module)), "") << module;
    ASSERT_EQ(rktest::runLua(L, kStubs), "");
    ASSERT_EQ(rktest::runLua(L, source("game/menu")), "");
    ASSERT_EQ(rktest::runLua(L, R"(
      ADJUSTED, CHOSEN = {}, 0
      MENU = Menu.new("test", "TEST", {
        { key = "a", label = "A", adjust = function(d) ADJUSTED[#ADJUSTED + 1] = d end },
        { key = "b", label = "B", choose = function() CHOSEN = CHOSEN + 1 end },
        { key = "c", label = "C" },
        { key = "back", label = "BACK" },
      }, "back")
    )"), "");
  }
  std::string run(const std::string& code) { return rktest::runLua(L, code); }

  lua_State* L = nullptr;
};

TEST_F(SceneLogic, MenuMovesWrapsAdjustsChoosesAndLeaves) {
  load(nullptr);
  struct Case {
    const char* actions;  // pad actions fed to the menu, in order
    const char* result;   // what run() returns
    const char* check;    // a Lua condition on the menu afterwards
  } cases[] = {
      {"'ok'", "a", "MENU.cursor == 1"},
      {"'up', 'ok'", "back", "MENU.cursor == 4"},                  // wraps to the last
      {"'up', 'down', 'down', 'down', 'ok'", "c", "MENU.cursor == 3"},  // back over the wrap
      {"'down', 'down', 'down', 'down', 'ok'", "a", "MENU.cursor == 1"},
      {"'cancel'", "back", "true"},
      {"'left', 'right', 'right', 'ok'", "a", "#ADJUSTED == 3 and ADJUSTED[1] == -1 and ADJUSTED[3] == 1"},
      {"'down', 'ok', 'down', 'ok'", "c", "CHOSEN == 1"},           // choose runs and the menu stays
      {"'down', 'left', 'down', 'ok'", "c", "#ADJUSTED == 0"},      // no adjust on an entry without one
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.actions);
    ASSERT_EQ(run(std::string("MENU.cursor = 1 CHOSEN = 0 ADJUSTED = {} ACTIONS = {") + c.actions +
                  "} RESULT = MENU:run()"),
              "");
    EXPECT_EQ(run(std::string("assert(RESULT == '") + c.result + "', tostring(RESULT))"), "");
    EXPECT_EQ(run(std::string("assert(") + c.check + ")"), "");
  }
}

TEST_F(SceneLogic, AutoPlayReadsOnlyAPositiveNumberOfSeconds) {
  struct Case {
    const char* value;
    bool active;
  } cases[] = {{nullptr, false}, {"", false}, {"abc", false}, {"0", false}, {"-3", false}, {"5", true}, {"2.5", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "(unset)");
    load(c.value);
    EXPECT_EQ(run(std::string("assert(AutoPlay.isActive() == ") + (c.active ? "true" : "false") + ")"), "");
    lua_close(L);
    L = nullptr;
  }
  load("2.5");
  EXPECT_EQ(run("assert(AutoPlay.remaining() == 2.5) AutoPlay.advance(2) assert(not AutoPlay.isOver())"
                "AutoPlay.advance(0.5) assert(AutoPlay.isOver())"),
            "");
}

// The auto-play walks the cursor one entry at a time to each planned entry,
// acts on it, and once the plan is done goes to the leave entry and takes it.
TEST_F(SceneLogic, AutoPlayWalksItsPlanThenLeaves) {
  load("60");
  ASSERT_EQ(run(R"(
    local seen = {}
    local plan = { { "c", "ok" } }
    MENU.cursor = 1
    for _ = 1, 200 do
      local action = MENU:autoStep(plan)
      if action then seen[#seen + 1] = action end
      if action == "ok" and #plan == 0 and MENU.cursor == 3 then break end
      if action then MENU:apply(action) end
    end
    assert(table.concat(seen, " ") == "down down ok", table.concat(seen, " "))
    seen = {}
    MENU.cursor = 2
    for _ = 1, 200 do
      local action = MENU:autoStep({})
      if action then seen[#seen + 1] = action end
      if action and MENU:apply(action) then break end
    end
    assert(table.concat(seen, " ") == "down down ok", table.concat(seen, " "))
  )"),
            "");
  // A whole run of the menu under auto-play ends on the leave entry.
  EXPECT_EQ(run("MENU.cursor = 1 assert(MENU:run() == 'back') assert(FRAMES > 0)"), "");
  // The title's plan: options, then the ranking, then the stage, and the
  // stage again on every later visit while time is left.
  EXPECT_EQ(run(R"(
    local picks = {}
    for visit = 1, 5 do
      local steps = AutoPlay.plan("title")
      picks[visit] = steps[1] and steps[1][1] or "none"
    end
    assert(table.concat(picks, " ") == "options ranking start start start", table.concat(picks, " "))
  )"),
            "");
  // With less than a round's time left the title has no plan and exits; past
  // the time every plan is empty, so every menu leaves.
  EXPECT_EQ(run("AutoPlay.advance(51) assert(#AutoPlay.plan('title') == 0)"), "");
  EXPECT_EQ(run("AutoPlay.advance(10) assert(#AutoPlay.plan('keys') == 0)"), "");
}

TEST_F(SceneLogic, GuardReadsMissingGameFunctionsAsNil) {
  load(nullptr);
  EXPECT_EQ(run(R"(
    assert(Guard.call("noSuchCreator", 1) == nil)
    assert(not Guard.has("noSuchCreator"))
    function twice(a, b) return a * 2, b end
    local x, y = Guard.call("twice", 4, "y")
    assert(x == 8 and y == "y")
    local object = { value = 3 }
    function object:get(k) return self.value * k end
    assert(Guard.method(object, "get", 2) == 6)
    assert(Guard.method(object, "missing") == nil)
    assert(Guard.method(nil, "get") == nil)
  )"),
            "");
}

}  // namespace
