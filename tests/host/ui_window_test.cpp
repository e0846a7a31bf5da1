// The window services: creation under the offscreen driver, the message queue,
// the timer, accelerators, the cursor and the single-instance lock.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/ui.h"
#include "support/temp_dir.h"

namespace {

using namespace host::ui;

std::vector<Message> g_received;

LResult recordingProc(Window* window, unsigned message, WParam wParam, LParam lParam) {
  g_received.push_back(Message{window, message, wParam, lParam});
  return defWindowProc(window, message, wParam, lParam);
}

std::vector<unsigned> receivedMessages() {
  std::vector<unsigned> out;
  for (const Message& m : g_received) out.push_back(m.message);
  return out;
}

// Takes and dispatches everything waiting, stopping at WM_QUIT (returned true).
bool drain(std::vector<unsigned>* seen = nullptr) {
  Message m;
  while (peekMessage(&m)) {
    if (seen) seen->push_back(m.message);
    if (m.message == WM_QUIT) return true;
    dispatchMessage(m);
  }
  return false;
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { g_received.clear(); }
  void TearDown() override {
    if (isWindow(window_)) destroyWindow(window_);
    drain();
  }
  Window* make() {
    window_ = createWindow("TestClass", "テスト窓", WS_CAPTION | WS_SYSMENU, 320, 200, recordingProc);
    return window_;
  }
  Window* window_ = nullptr;
};

TEST_F(WindowTest, OffscreenWindowIsCreatedFocusedAndClosesThroughTheQueue) {
  Window* w = make();
  ASSERT_TRUE(isWindow(w));
  // WM_CREATE then WM_SETFOCUS arrive before createWindow returns: the offscreen
  // window cannot receive the focus, so it holds it from the start.
  EXPECT_EQ(receivedMessages(), (std::vector<unsigned>{WM_CREATE, WM_SETFOCUS}));
  EXPECT_TRUE(hasFocus(w));
  EXPECT_EQ(windowCaption(w), "テスト窓");

  g_received.clear();
  postMessage(w, WM_SYSCOMMAND, SC_CLOSE, 0);
  postMessage(w, WM_MOUSEMOVE, 0, makePointLParam(3, 4));  // dropped: the window is gone by then
  std::vector<unsigned> taken;
  drain(&taken);
  // SC_CLOSE -> WM_CLOSE -> destroyed (WM_DESTROY); the later message is dropped.
  EXPECT_EQ(receivedMessages(), (std::vector<unsigned>{WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}));
  EXPECT_EQ(taken, (std::vector<unsigned>{WM_SYSCOMMAND}));
  EXPECT_FALSE(isWindow(w));
}

TEST_F(WindowTest, QuitComesAfterEveryPostedMessageAndEndsGetMessage) {
  Window* w = make();
  g_received.clear();
  postQuitMessage(7);
  postMessage(w, WM_MOUSEMOVE, 0, makePointLParam(10, 20));
  Message m;
  ASSERT_EQ(getMessage(&m), 1);
  EXPECT_EQ(m.message, WM_MOUSEMOVE);
  EXPECT_EQ(m.lParam & 0xFFFF, 10);
  EXPECT_EQ((m.lParam >> 16) & 0xFFFF, 20);
  ASSERT_EQ(getMessage(&m), 0);
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.wParam, 7u);
  EXPECT_FALSE(peekMessage(&m) && m.message == WM_QUIT);  // taken once only
}

TEST_F(WindowTest, TimerWakesTheBlockingWaitOncePerPeriodWithoutBursts) {
  Window* w = make();
  setTimer(w, 3, 16);
  const auto start = std::chrono::steady_clock::now();
  Message m;
  ASSERT_EQ(getMessage(&m), 1);
  EXPECT_EQ(m.message, WM_TIMER);
  EXPECT_EQ(m.wParam, 3u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

  // Many periods late: one tick, not a burst.
  usleep(100 * 1000);
  std::vector<unsigned> taken;
  drain(&taken);
  EXPECT_EQ(taken, (std::vector<unsigned>{WM_TIMER}));

  killTimer(w, 3);
  usleep(40 * 1000);
  taken.clear();
  drain(&taken);
  EXPECT_TRUE(taken.empty());
}

TEST_F(WindowTest, AltEnterIsTakenByTheAcceleratorAndPlainEnterIsNot) {
  Window* w = make();
  g_received.clear();
  const AcceleratorTable table{{true, VK_RETURN, 40001}};
  EXPECT_TRUE(translateAccelerator(w, table, Message{w, WM_SYSKEYDOWN, VK_RETURN, kKeyAltDown}));
  ASSERT_EQ(g_received.size(), 1u);
  EXPECT_EQ(g_received[0].message, WM_COMMAND);
  EXPECT_EQ(g_received[0].wParam, (1u << 16) | 40001u);
  EXPECT_FALSE(translateAccelerator(w, table, Message{w, WM_KEYDOWN, VK_RETURN, 0}));
  EXPECT_FALSE(translateAccelerator(w, table, Message{w, WM_SYSKEYUP, VK_RETURN, kKeyAltDown}));
  EXPECT_EQ(g_received.size(), 1u);
}

TEST(Cursor, HidesShowsAndSwitchesShape) {
  Cursor* arrow = loadCursor(SystemCursor::Arrow);
  Cursor* wait = loadCursor(SystemCursor::Wait);
  ASSERT_NE(arrow, nullptr);
  ASSERT_NE(arrow, wait);
  EXPECT_EQ(getCursor(), arrow);  // the arrow at start
  EXPECT_EQ(setCursor(nullptr), arrow);
  EXPECT_EQ(getCursor(), nullptr);
  EXPECT_EQ(setCursor(wait), nullptr);
  EXPECT_EQ(getCursor(), wait);
  setCursor(arrow);
}

TEST(SingleInstanceLock, SecondProcessIsRefusedWhileTheFirstHoldsIt) {
  rktest::TempDir runtime;
  setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
  // The file name is UTF-8.
  EXPECT_EQ(singleInstanceLockPath("Cls", "窓/名"), runtime.path() + u8"/Cls-窓_名.lock");

  ASSERT_TRUE(acquireSingleInstanceLock("Cls", "窓/名"));
  EXPECT_TRUE(acquireSingleInstanceLock("Cls", "窓/名"));  // the holder asks again

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const bool refused = !acquireSingleInstanceLock("Cls", "窓/名");
    const bool otherName = acquireSingleInstanceLock("Cls", "別の窓");
    _exit(refused && otherName ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
