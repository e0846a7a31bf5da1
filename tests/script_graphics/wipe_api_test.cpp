// Wipe globals: wipes queued in the wipe manager as timer tasks, polled with
// isEndOfWipe over task frames of 1/60 s.
#include <typeinfo>

#include "script_graphics/graphics_fixture.h"

namespace graphicstest {
namespace {

using rk::gfx::WipeObject;

TEST_F(GraphicsApi, EachWipeGlobalQueuesItsKind) {
  struct Case {
    const char* global;
    const std::type_info& type;
    bool out;
    const char* task;
  };
  const Case cases[] = {
      {"fadeOut", typeid(rk::gfx::WipeFadeOut), true, "fadeOut"},
      {"fadeIn", typeid(rk::gfx::WipeFadeIn), false, "fadeIn"},
      {"fadeLeftToRightOut", typeid(rk::gfx::WipeLeftToRightOut), true, "left to right fade out"},
      {"fadeLeftToRightIn", typeid(rk::gfx::WipeLeftToRightIn), false, "left to right fade in"},
      {"fadeRightToLeftOut", typeid(rk::gfx::WipeRightToLeftOut), true, "right to left fade out"},
      {"fadeRightToLeftIn", typeid(rk::gfx::WipeRightToLeftIn), false, "right to left fade in"},
      {"fadeTopToBottomOut", typeid(rk::gfx::WipeTopToBottomOut), true, "top to bottom fade out"},
      {"fadeBottomToTopIn", typeid(rk::gfx::WipeBottomToTopIn), false, "bottom to top fade in"},
      {"fadeBottomToTopOut", typeid(rk::gfx::WipeBottomToTopOut), true, "bottom to top fade out"},
      {"fadeTopToBottomIn", typeid(rk::gfx::WipeTopToBottomIn), false, "top to bottom fade in"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.global);
    ASSERT_EQ(run(std::string(c.global) + "(256, -1, 128.9, 0.5)"), "");
    ASSERT_EQ(wipes->wipes().size(), 1u);
    WipeObject* wipe = wipes->wipes().back();
    EXPECT_EQ(typeid(*wipe), c.type);
    EXPECT_EQ(wipe->isOut(), c.out);
    EXPECT_EQ(wipe->name(), c.task);
    EXPECT_EQ(wipe->priority(), 2);
    EXPECT_FALSE(wipe->isStarted());
    EXPECT_EQ(wipe->duration(), 0.5f);
    EXPECT_EQ(wipe->colour().getR(), 0.0f) << "256 wraps to black";
    EXPECT_EQ(wipe->colour().getG(), 1.0f);
    EXPECT_NEAR(wipe->colour().getB(), 128.0f / 255.0f, 1e-6);
    EXPECT_EQ(wipe->colour().getA(), 1.0f);
    ASSERT_EQ(run("wipeReset()"), "");
    EXPECT_TRUE(wipes->wipes().empty());
  }
}

TEST_F(GraphicsApi, WipesRunAsTimersThatScriptsPoll) {
  ASSERT_EQ(run("check(isEndOfWipe() == true, 'nothing queued') fadeOut(255, 255, 255, 1.0) "
                "check(isEndOfWipe() == false, 'queued')"),
            "");
  frames(30);
  ASSERT_EQ(run("check(isEndOfWipe() == false, 'running')"), "");
  frames(32);
  ASSERT_EQ(run("check(isEndOfWipe() == true, 'finished after one second')"), "");
  frames(5);
  ASSERT_EQ(run("check(isEndOfWipe() == true, 'the finished out wipe stays queued')"), "");
  EXPECT_EQ(wipes->wipes().size(), 1u);

  // An in wipe behind it: not ended until it has run; then it is deleted.
  ASSERT_EQ(run("fadeIn(0, 0, 0, 0.5) check(isEndOfWipe() == false, 'two queued')"), "");
  frames(20);
  ASSERT_EQ(run("check(isEndOfWipe() == false, 'fade-in running')"), "");
  frames(20);
  ASSERT_EQ(run("check(isEndOfWipe() == true, 'fade-in done')"), "");
  frames(2);
  EXPECT_TRUE(wipes->wipes().empty());

  // No duration: starts and finishes within two frames.
  ASSERT_EQ(run("fadeOut()"), "");
  frames(2);
  ASSERT_EQ(run("check(isEndOfWipe() == true, 'zero seconds')"), "");

  // A reset while running empties the queue at once.
  ASSERT_EQ(run("wipeReset() fadeRightToLeftOut(0, 0, 0, 5)"), "");
  frames(3);
  ASSERT_EQ(run("check(isEndOfWipe() == false, 'running') wipeReset() check(isEndOfWipe() == true, 'reset')"), "");
  EXPECT_TRUE(wipes->wipes().empty());
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(GraphicsApi, WipesRunWhileTheNormalTasksArePaused) {
  rk::task::TaskManager::getInstance()->setNormalPause(true);
  ASSERT_EQ(run("fadeOut(0, 0, 0, 0.25)"), "");
  frames(20);
  rk::task::TaskManager::getInstance()->setNormalPause(false);
  ASSERT_EQ(run("check(isEndOfWipe() == true, 'ran while paused')"), "");
}

}  // namespace
}  // namespace graphicstest
