#include "kernel/rk_window_proc.h"

#include "audio/rk_audio_context.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_instance_table.h"
#include "platform/driver/rk_stopwatch.h"

namespace rk {

namespace ui = host::ui;

namespace {

constexpr unsigned kTimerId = 0;
constexpr unsigned kTimerPeriodMs = 16;

void onFocusGained(DeviceContext& context) {
  context.setActive(true);
  context.setUpdatePause(false);
  if (context.stopWatch()) {
    // Restart the marks before resuming, so the time without focus is not counted.
    driver::StopWatchImpl* counter = context.stopWatch()->counter();
    counter->reset();
    counter->resume();
  }
  setAudioActive(true);
}

void onFocusLost(DeviceContext& context) {
  context.setActive(false);
  context.setUpdatePause(true);
  if (context.stopWatch()) context.stopWatch()->counter()->pause();
  setAudioActive(false);
}

void showArrowIfHidden(DeviceContext& context) {
  if (!ui::getCursor()) ui::setCursor(context.arrowCursor());
}

void onTimer(DeviceContext& context) {
  if (context.isWindowed()) {
    context.setCursorIdleTicks(0);
    showArrowIfHidden(context);
    return;
  }
  context.setCursorIdleTicks(context.cursorIdleTicks() + 1);
  if (context.cursorIdleTicks() <= kCursorIdleTicksLimit) {
    showArrowIfHidden(context);
  } else {
    context.setCursorIdleTicks(kCursorIdleTicksLimit);
    if (ui::getCursor()) ui::setCursor(nullptr);
  }
}

// A modal loop runs inside the default handling: no update and no sound meanwhile.
ui::LResult runModal(DeviceContext& context, ui::Window* window, ui::WParam wParam, ui::LParam lParam) {
  context.setUpdatePause(true);
  setAudioActive(false);
  const ui::LResult result = ui::defWindowProc(window, ui::WM_SYSCOMMAND, wParam, lParam);
  setAudioActive(true);
  context.setUpdatePause(false);
  return result;
}

ui::LResult onSysCommand(DeviceContext& context, ui::Window* window, ui::WParam wParam, ui::LParam lParam) {
  const unsigned command = static_cast<unsigned>(wParam & 0xFFF0);
  const bool windowOnly = command == ui::SC_SIZE || command == ui::SC_MOVE || command == ui::SC_MAXIMIZE ||
                          command == ui::SC_MOUSEMENU || command == ui::SC_KEYMENU;
  if (!context.isWindowed() && windowOnly) return 1;
  switch (command) {
    case ui::SC_MOVE:
    case ui::SC_KEYMENU:
    case ui::SC_MOUSEMENU:
      return runModal(context, window, wParam, lParam);
    case ui::SC_SCREENSAVE:
      return 1;
    case ui::SC_MONITORPOWER:
      return ui::defWindowProc(window, ui::WM_SYSCOMMAND, ui::SC_MONITORPOWER, -1);
    default:
      return ui::defWindowProc(window, ui::WM_SYSCOMMAND, wParam, lParam);
  }
}

}  // namespace

ui::LResult wndProc(ui::Window* window, unsigned message, ui::WParam wParam, ui::LParam lParam) {
  auto* context = static_cast<DeviceContext*>(instanceSlot(InstanceSlot::DeviceContextStatic));
  if (!context) return ui::defWindowProc(window, message, wParam, lParam);
  switch (message) {
    case ui::WM_CREATE:
      ui::setTimer(window, kTimerId, kTimerPeriodMs);
      context->setArrowCursor(ui::loadCursor(ui::SystemCursor::Arrow));
      break;
    case ui::WM_DESTROY:
      ui::postQuitMessage(0);
      ui::killTimer(window, kTimerId);
      break;
    case ui::WM_SETFOCUS:
      onFocusGained(*context);
      break;
    case ui::WM_KILLFOCUS:
      onFocusLost(*context);
      break;
    case ui::WM_SYSCOMMAND:
      return onSysCommand(*context, window, wParam, lParam);
    case ui::WM_TIMER:
      onTimer(*context);
      break;
    case ui::WM_MOUSEMOVE:
      context->setCursorIdleTicks(0);
      showArrowIfHidden(*context);
      break;
    default:
      break;  // WM_PAINT needs no drawing here: the frame loop draws.
  }
  return ui::defWindowProc(window, message, wParam, lParam);
}

void setAudioActive(bool active) {
  audio::AudioContext* audio = audio::AudioContext::getInstance();
  if (!audio) return;
  if (active) {
    audio->popMainMusicStatus();
    audio->pop3DSoundStatus();
    audio->popNormalSoundEffect();
  } else {
    audio->pushMainMusicStatus();
    audio->push3DSoundStatus();
    audio->pushNormalSoundEffect();
    audio->allStop3DSound();
    audio->stopAllNormalSE();
    audio->stopMusic();
  }
}

}  // namespace rk
