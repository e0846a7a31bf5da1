// Wipes as queued timers: started one after another by the wipe manager,
// each running as a task at priority 2, and the end-of-wipe test.
#include <memory>

#include "gfx/rk_wipe_manager.h"
#include "kernel/rk_frame_loop.h"
#include "scene/scene_rig.h"

namespace {

using namespace rk::gfx;

const Color kRed(1.0f, 0.0f, 0.0f, 0.5f);

class Wipes : public scenetest::SceneRig {
 protected:
  void SetUp() override {
    SceneRig::SetUp();
    wipes = WipeManager::createInstance();
  }
  void TearDown() override {
    if (rk::singletonExists(rk::InstanceSlot::WipeManager)) WipeManager::destroyInstance();
    SceneRig::TearDown();
  }
  // One frame as the framework runs it: the task pass, then the queue.
  void frame(float dt) {
    tasks->update(dt);
    wipes->update();
  }
  WipeManager* wipes = nullptr;
};

TEST_F(Wipes, AreInactivePriorityTwoTasksWithOpaqueColourAndTheirKind) {
  struct Case {
    WipeObject* wipe;
    bool out;
  };
  const Case cases[] = {
      {new WipeFadeOut(kRed, 1), true},         {new WipeFadeIn(kRed, 1), false},
      {new WipeLeftToRightOut(kRed, 1), true},  {new WipeRightToLeftIn(kRed, 1), false},
      {new WipeRightToLeftOut(kRed, 1), true},  {new WipeLeftToRightIn(kRed, 1), false},
      {new WipeTopToBottomOut(kRed, 1), true},  {new WipeBottomToTopIn(kRed, 1), false},
      {new WipeBottomToTopOut(kRed, 1), true},  {new WipeTopToBottomIn(kRed, 1), false},
  };
  for (const Case& c : cases) {
    wipes->addWipe(c.wipe);
    EXPECT_EQ(c.wipe->priority(), 2);
    EXPECT_FALSE(c.wipe->isActive());
    EXPECT_TRUE(c.wipe->isAlive());
    EXPECT_FALSE(c.wipe->isStarted());
    EXPECT_EQ(c.wipe->isOut(), c.out);
    EXPECT_EQ(c.wipe->colour().getA(), 1.0f);
    EXPECT_EQ(c.wipe->colour().getR(), 1.0f);
    EXPECT_EQ(c.wipe->progress(), c.out ? 0.0f : 1.0f);
  }
  EXPECT_EQ(wipes->wipes().size(), 10u);
  EXPECT_FALSE(wipes->isEndOfWipe());
  const std::size_t before = tasks->tasks().size();
  wipes->clearWipes();
  EXPECT_TRUE(wipes->wipes().empty());
  EXPECT_EQ(tasks->tasks().size(), before - 10);  // their tasks left the manager
  EXPECT_TRUE(wipes->isEndOfWipe());
}

TEST_F(Wipes, AFadeOutRunsItsTimeAndStaysQueuedCoveringTheScreen) {
  auto* out = new WipeFadeOut(kRed, 1.0f);
  wipes->addWipe(out);
  frame(0.25f);  // the pass initialises it; the manager starts it
  EXPECT_TRUE(out->isStarted());
  EXPECT_TRUE(out->isActive());
  EXPECT_EQ(out->elapsed(), 0.0f);
  EXPECT_FALSE(wipes->isEndOfWipe());
  frame(0.25f);
  frame(0.25f);
  EXPECT_FLOAT_EQ(out->progress(), 0.5f);
  frame(0.25f);
  EXPECT_FALSE(wipes->isEndOfWipe());
  frame(0.25f);  // reaches 1 s
  EXPECT_TRUE(wipes->isEndOfWipe());
  EXPECT_EQ(out->progress(), 1.0f);
  frame(0.25f);
  frame(0.25f);
  ASSERT_EQ(wipes->wipes().size(), 1u);  // the covering state stays
  EXPECT_EQ(wipes->wipes().front(), out);
}

TEST_F(Wipes, QueuedWipesRunOneAfterAnotherAndAFinishedInWipeEmptiesTheQueue) {
  auto* out = new WipeFadeOut(kRed, 0.5f);
  auto* in = new WipeTopToBottomIn(kRed, 0.5f);
  wipes->addWipe(out);
  wipes->addWipe(in);
  int frames_run = 0;
  bool out_done = false;
  // Never both running; the out-wipe ends, is removed, then the in-wipe starts.
  while (!wipes->wipes().empty() && frames_run < 20) {
    frame(0.25f);
    ++frames_run;
    const auto& queue = wipes->wipes();
    int running = 0;
    for (WipeObject* w : queue) running += w->isActive() ? 1 : 0;
    EXPECT_LE(running, 1);
    if (queue.size() == 1 && queue.front() == in) out_done = true;
    if (!out_done) {
      EXPECT_FALSE(in->isStarted());
    }
    if (!queue.empty()) {
      EXPECT_FALSE(wipes->isEndOfWipe() && queue.size() == 2);
    }
  }
  EXPECT_TRUE(out_done);
  // Start; 0.25; 0.5 done and removed by the manager in the same frame;
  // start; 0.25; 0.5 done and the queue cleared.
  EXPECT_EQ(frames_run, 6);
  EXPECT_TRUE(wipes->isEndOfWipe());
  for (rk::task::Task* t : tasks->tasks()) EXPECT_NE(t->priority(), 2);
}

TEST_F(Wipes, AZeroLengthWipeFinishesInItsFirstUpdateWithProgressComplete) {
  auto* out = new WipeFadeOut(kRed, 0.0f);
  wipes->addWipe(out);
  frame(0.1f);  // started
  frame(0.1f);  // finished, and stays as the covering out-wipe
  EXPECT_FALSE(out->isActive());
  EXPECT_EQ(out->progress(), 1.0f);
  EXPECT_TRUE(wipes->isEndOfWipe());

  WipeFadeIn in(kRed, 0.0f);  // not queued: driven by hand
  in.start();
  in.update(0.1f);
  EXPECT_FALSE(in.isActive());
  EXPECT_EQ(in.progress(), 0.0f);
}

TEST_F(Wipes, AResetDuringTheTaskPassAndADeletedWipeLeaveNoDanglingEntries) {
  auto* first = new WipeFadeOut(kRed, 1.0f);
  wipes->addWipe(first);
  wipes->addWipe(new WipeFadeIn(kRed, 1.0f));
  frame(0.1f);
  // A script resets the wipes from inside the pass, before the wipe's own update.
  struct Resetter : rk::task::Task {
    Resetter() : Task(1, "reset") { setActive(true); }
    int initStep(float) override { return 0; }
    void update(float) override {
      if (WipeManager* m = WipeManager::findInstance()) m->clearWipes();
      setAlive(false);
    }
  };
  new Resetter;
  frame(0.1f);
  EXPECT_TRUE(wipes->wipes().empty());

  // Deleted by the task manager's final sweep: the queue forgets it.
  wipes->addWipe(new WipeFadeOut(kRed, 1.0f));
  tasks->deleteTasks(true);
  EXPECT_TRUE(wipes->wipes().empty());
}

TEST_F(Wipes, TheFrameUpdateAdvancesTheQueueAfterTheTaskPass) {
  auto* out = new WipeFadeOut(kRed, 1.0f);
  wipes->addWipe(out);
  rk::updateFramework(0.25f);
  EXPECT_TRUE(out->isStarted());
  rk::updateFramework(0.25f);
  EXPECT_EQ(out->elapsed(), 0.25f);
}

}  // namespace
