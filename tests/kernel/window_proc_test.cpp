// The game window's procedure: focus, the idle cursor, the window commands.
#include <gtest/gtest.h>

#include "framework_test_support.h"
#include "host/ui.h"
#include "kernel/rk_instance_table.h"
#include "kernel/rk_window_proc.h"

namespace {

namespace ui = host::ui;

class WindowProcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rktest::resetDeviceContext();
    window = ui::createWindow("WindowProcTest", "proc", context->windowStyle(), 64, 64, rk::wndProc);
    ui::setCursor(ui::loadCursor(ui::SystemCursor::Arrow));
  }
  void TearDown() override {
    if (ui::isWindow(window)) ui::destroyWindow(window);
    rktest::drainMessages();
    rktest::resetDeviceContext();
  }
  void ticks(int count) {
    for (int i = 0; i < count; ++i) ui::sendMessage(window, ui::WM_TIMER, 0, 0);
  }
  ui::LResult sysCommand(unsigned command) { return ui::sendMessage(window, ui::WM_SYSCOMMAND, command, 0); }

  rk::DeviceContext* context = rk::DeviceContext::getInstance();
  ui::Window* window = nullptr;
};

TEST_F(WindowProcTest, CreationAndFocusSetTheKernelFlags) {
  EXPECT_EQ(context->arrowCursor(), ui::loadCursor(ui::SystemCursor::Arrow));
  EXPECT_TRUE(context->isActive());  // offscreen: WM_SETFOCUS came with the creation
  ui::sendMessage(window, ui::WM_KILLFOCUS, 0, 0);
  EXPECT_FALSE(context->isActive());
  EXPECT_TRUE(context->isUpdatePause());
  ui::sendMessage(window, ui::WM_SETFOCUS, 0, 0);
  EXPECT_TRUE(context->isActive());
  EXPECT_FALSE(context->isUpdatePause());
}

TEST_F(WindowProcTest, IdleCursorDisappearsInFullScreenOnly) {
  context->setWindowed(true);
  ticks(500);
  EXPECT_NE(ui::getCursor(), nullptr);
  EXPECT_EQ(context->cursorIdleTicks(), 0u);

  context->setWindowed(false);
  ticks(125);
  EXPECT_NE(ui::getCursor(), nullptr);
  ticks(1);
  EXPECT_EQ(ui::getCursor(), nullptr);
  EXPECT_EQ(context->cursorIdleTicks(), 125u);
  ticks(10);
  EXPECT_EQ(ui::getCursor(), nullptr);

  ui::sendMessage(window, ui::WM_MOUSEMOVE, 0, ui::makePointLParam(5, 5));
  EXPECT_EQ(ui::getCursor(), context->arrowCursor());
  EXPECT_EQ(context->cursorIdleTicks(), 0u);
  ticks(125);
  EXPECT_NE(ui::getCursor(), nullptr);

  // Back in windowed mode the next tick brings a hidden cursor back.
  ticks(1);
  ASSERT_EQ(ui::getCursor(), nullptr);
  context->setWindowed(true);
  ticks(1);
  EXPECT_EQ(ui::getCursor(), context->arrowCursor());
}

TEST_F(WindowProcTest, IdleTicksKeepAShownWaitCursor) {
  ui::Cursor* wait = ui::loadCursor(ui::SystemCursor::Wait);
  ui::setCursor(wait);
  context->setWindowed(false);
  ticks(100);
  EXPECT_EQ(ui::getCursor(), wait);
}

TEST_F(WindowProcTest, FullScreenSwallowsWindowCommandsThatWindowedModeRuns) {
  const unsigned windowOnly[] = {ui::SC_SIZE, ui::SC_MOVE, ui::SC_MAXIMIZE, ui::SC_MOUSEMENU, ui::SC_KEYMENU};
  for (bool windowed : {false, true}) {
    context->setWindowed(windowed);
    for (unsigned command : windowOnly) {
      EXPECT_EQ(sysCommand(command | 0x2), windowed ? 0 : 1) << std::hex << command;  // low bits are ignored
      // A modal move or menu loop pauses only while it runs.
      EXPECT_FALSE(context->isUpdatePause());
    }
    EXPECT_EQ(sysCommand(ui::SC_SCREENSAVE), 1);  // the screen saver never starts
    EXPECT_EQ(sysCommand(ui::SC_MONITORPOWER), 0);
    EXPECT_TRUE(ui::isWindow(window));
  }
}

TEST_F(WindowProcTest, CloseDestroysTheWindowAndPostsQuit) {
  sysCommand(ui::SC_CLOSE);
  EXPECT_FALSE(ui::isWindow(window));
  ui::Message m;
  bool quit = false;
  while (ui::peekMessage(&m)) quit = quit || m.message == ui::WM_QUIT;
  EXPECT_TRUE(quit);
}

TEST_F(WindowProcTest, WithoutTheDeviceContextEverythingGoesToTheDefault) {
  void*& slot = rk::instanceSlot(rk::InstanceSlot::DeviceContextStatic);
  void* saved = slot;
  slot = nullptr;
  ui::sendMessage(window, ui::WM_KILLFOCUS, 0, 0);
  const ui::LResult swallowed = sysCommand(ui::SC_SCREENSAVE);
  slot = saved;
  EXPECT_TRUE(context->isActive());
  EXPECT_EQ(swallowed, 0);
}

}  // namespace
