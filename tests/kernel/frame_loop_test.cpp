// The frame loop over the started framework, with time from the manual clock:
// when frames run, their step, the update order, the update pause and focus.
#include <gtest/gtest.h>

#include "framework_test_support.h"
#include "host/clock.h"
#include "host/ui.h"
#include "kernel/rk_frame_loop.h"
#include "kernel/rk_framework.h"
#include "kernel/rk_global_data.h"
#include "kernel/rk_input_context.h"
#include "kernel/rk_window_proc.h"
#include "platform/driver/rk_stopwatch.h"
#include "support/error_log_capture.h"

namespace {

using rktest::Trace;

class FrameLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rktest::resetDeviceContext();
    rktest::drainMessages();  // what an earlier test's window left in the queue
    host::clock::useManualClock(true);
    host::clock::advanceManualClock(10.0);
    rk::driver::StopWatchImpl::resetSharedStateForTests();
    rk::startupFramework();
    rk::InputContext::getInstance()->setDriver(new rktest::RecordingDriver(&trace));
    new rktest::RecordingTask(&trace);  // the task manager owns it
    context->setGameAdapter(&adapter);
    context->setActive(true);
  }
  void TearDown() override {
    if (host::ui::isWindow(window)) host::ui::destroyWindow(window);
    rktest::drainMessages();
    context->shutdown();
    host::clock::useManualClock(false);
    rktest::resetDeviceContext();
  }

  void advance(double seconds) { host::clock::advanceManualClock(seconds); }
  // Runs passes; the count of frames run (the second adapter hook of each frame).
  int passes(int count) {
    const std::size_t before = adapter.steps.size();
    for (int i = 0; i < count; ++i) EXPECT_TRUE(loop.runPass());
    const std::size_t hooks = adapter.steps.size() - before;
    return static_cast<int>(context->isUpdatePause() ? hooks : hooks / 2);
  }
  void openWindow() {
    window = host::ui::createWindow("FrameLoopTest", "frame", context->windowStyle(), 64, 64, rk::wndProc);
    context->setWindowHandle(window);
  }

  rktest::ErrorLogCapture log;
  rk::DeviceContext* context = rk::DeviceContext::getInstance();
  Trace trace;
  rktest::RecordingAdapter adapter{&trace};
  rk::FrameLoop loop;
  host::ui::Window* window = nullptr;
};

TEST_F(FrameLoopTest, FrameRunsOnceASixtiethHasGatheredWithTheGatheredStep) {
  advance(0.010);
  EXPECT_EQ(passes(5), 0);
  EXPECT_NEAR(loop.accumulator(), 0.010, 1e-9);
  EXPECT_TRUE(trace.empty());

  advance(0.007);
  ASSERT_EQ(passes(1), 1);
  EXPECT_NEAR(context->frameStep(), 0.017, 1e-9);
  EXPECT_EQ(context->frameTime(), context->frameStep());
  EXPECT_FLOAT_EQ(adapter.steps.back(), 0.017f);
  EXPECT_EQ(loop.accumulator(), 0.0);
  // Input, the game's first hook, the tasks, then the game's second hook.
  EXPECT_EQ(trace, (Trace{"poll", "adapter", "task", "adapter"}));

  // A 50 ms stall: one frame with the whole stall as its step, no catch-up.
  advance(0.050);
  EXPECT_EQ(passes(3), 1);
  EXPECT_NEAR(context->frameStep(), 0.050, 1e-9);
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(FrameLoopTest, FixedFrameSwitchOrMissingGlobalsGiveExactlyASixtieth) {
  struct Case {
    const char* name;
    bool globalsExist;
    bool fixFrame;
    double step;
  };
  const Case cases[] = {
      {"variable", true, false, 0.050},
      {"fixed", true, true, rk::kFrameTime},
      {"no globals", false, false, rk::kFrameTime},
  };
  for (const Case& c : cases) {
    rk::GlobalVariable::destroyInstance();
    if (c.globalsExist) rk::GlobalVariable::createInstance()->setFixFrame(c.fixFrame);
    advance(0.050);
    const int frames = passes(1);
    EXPECT_EQ(frames, 1) << c.name;
    if (frames != 1) continue;  // no frame's step to read (and the globals must be restored below)
    EXPECT_EQ(context->frameStep(), c.step) << c.name;
    EXPECT_FLOAT_EQ(adapter.steps.back(), static_cast<float>(c.step)) << c.name;
  }
  rk::GlobalVariable::createInstance();  // shut-down expects it
}

TEST_F(FrameLoopTest, UpdatePauseSkipsTheUpdateButNotTheSecondHook) {
  context->setUpdatePause(true);
  advance(0.020);
  EXPECT_EQ(passes(1), 1);
  EXPECT_EQ(trace, (Trace{"adapter"}));
}

TEST_F(FrameLoopTest, MessagesAreDispatchedWithoutAFrameUnlessTheAcceleratorTakesThem) {
  openWindow();
  const host::ui::AcceleratorTable table{{true, host::ui::VK_RETURN, 40001}};
  context->windowConfig().accelerators = &table;
  advance(0.020);

  // An ordinary message: dispatched, and the pass ends there.
  host::ui::postMessage(window, host::ui::WM_MOUSEMOVE, 0, 0);
  ASSERT_TRUE(loop.runPass());
  EXPECT_EQ(loop.accumulator(), 0.0);
  EXPECT_TRUE(trace.empty());

  // Alt+Enter, taken by the accelerator table, goes on to the frame; with the
  // update paused only the second hook runs.
  context->setUpdatePause(true);
  host::ui::postMessage(window, host::ui::WM_SYSKEYDOWN, host::ui::VK_RETURN, host::ui::kKeyAltDown);
  ASSERT_TRUE(loop.runPass());
  EXPECT_EQ(trace, (Trace{"adapter"}));
  EXPECT_TRUE(host::ui::isWindow(window));  // and Alt+Enter did nothing else
}

TEST_F(FrameLoopTest, TimeWithoutFocusIsNotCountedAndNoFrameRunsMeanwhile) {
  openWindow();  // offscreen: focused from its creation
  ASSERT_TRUE(context->isActive());
  advance(0.005);
  for (int i = 0; i < 10 && loop.accumulator() == 0.0; ++i) passes(1);  // a timer message may come first
  ASSERT_NEAR(loop.accumulator(), 0.005, 1e-9);

  host::ui::sendMessage(window, host::ui::WM_KILLFOCUS, 0, 0);
  EXPECT_FALSE(context->isActive());
  EXPECT_TRUE(context->isUpdatePause());
  EXPECT_TRUE(context->stopWatch()->counter()->isPaused());
  advance(1.0);
  // Without focus the loop waits for a message, handles it and runs no frame.
  host::ui::postMessage(window, host::ui::WM_MOUSEMOVE, 0, 0);
  EXPECT_EQ(passes(1), 0);

  host::ui::sendMessage(window, host::ui::WM_SETFOCUS, 0, 0);
  EXPECT_TRUE(context->isActive());
  EXPECT_FALSE(context->isUpdatePause());
  EXPECT_FALSE(context->stopWatch()->counter()->isPaused());
  advance(0.017);
  int frames = 0;
  for (int i = 0; i < 50 && frames == 0; ++i) frames += passes(1);  // timer messages may come first
  ASSERT_EQ(frames, 1);
  // The 5 ms gathered before the loss count; the second in the background does not.
  EXPECT_NEAR(context->frameStep(), 0.022, 1e-9);
  EXPECT_EQ(trace, (Trace{"poll", "adapter", "task", "adapter"}));
}

TEST_F(FrameLoopTest, QuitEndsTheLoop) {
  host::ui::postQuitMessage(0);
  EXPECT_FALSE(loop.runPass());
}

}  // namespace
