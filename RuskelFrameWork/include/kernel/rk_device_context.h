// The device context: the one static object of the process. It exists before
// main runs and until the process ends, and carries the process-wide state of
// the kernel: the game adapter, the frame stop-watch and step, the window and
// its focus, the window mode and the cursor. The renderer's state joins it here.
// Singleton slots 11 and 22 both hold it.
#pragma once
#include <boost/shared_ptr.hpp>

#include "audio/rk_audio_context.h"
#include "host/ui.h"

namespace rk {

class IGameAdapter;
namespace driver { class StopWatch; }
namespace task {
class Task;
class ScriptTask;
}  // namespace task

class DeviceContext {
 public:
  // Filled by rk::runGame; the adapter's configure may change the client size.
  struct WindowConfig {
    int client_width = 1280;
    int client_height = 720;
    const host::ui::AcceleratorTable* accelerators = nullptr;
    // The model sync task, owned through this record (deleted at shut-down).
    task::Task* model_sync_task = nullptr;
  };

  // Reports "rk::DeviceContext::getInstance" when the slot is empty.
  static DeviceContext* getInstance();

  DeviceContext();
  ~DeviceContext();
  DeviceContext(const DeviceContext&) = delete;
  DeviceContext& operator=(const DeviceContext&) = delete;

  // ------------------------------------------------------------------ kernel
  IGameAdapter* gameAdapter() const { return game_adapter_; }
  void setGameAdapter(IGameAdapter* adapter) { game_adapter_ = adapter; }

  const boost::shared_ptr<driver::StopWatch>& stopWatch() const { return stop_watch_; }
  void setStopWatch(const boost::shared_ptr<driver::StopWatch>& watch) { stop_watch_ = watch; }

  // The first script task; the task manager owns it.
  task::ScriptTask* autoexecTask() const { return autoexec_task_; }
  void setAutoexecTask(task::ScriptTask* task) { autoexec_task_ = task; }

  // Set while the window has no focus or a modal move or menu loop runs: the
  // frame update is skipped.
  bool isUpdatePause() const { return update_pause_; }
  void setUpdatePause(bool pause) { update_pause_ = pause; }

  const char* className() const { return class_name_; }
  const char* caption() const { return caption_; }
  void setNames(const char* className, const char* caption) {
    class_name_ = className;
    caption_ = caption;
  }

  WindowConfig& windowConfig() { return window_config_; }

  // The step of the current frame in seconds; 1/60 until the first frame.
  double frameStep() const { return frame_step_; }
  void setFrameStep(double step) { frame_step_ = step; }
  // The last frame's step as the scripts read it; 0 until the first frame.
  double frameTime() const { return frame_time_; }
  void setFrameTime(double time) { frame_time_ = time; }

  host::ui::Window* getWindowHandle() const { return window_; }
  void setWindowHandle(host::ui::Window* window) { window_ = window; }

  // True while the window has the keyboard focus: the loop polls instead of waiting.
  bool isActive() const { return active_; }
  void setActive(bool active) { active_ = active; }

  bool isWindowed() const { return windowed_; }
  void setWindowed(bool windowed) { windowed_ = windowed; }
  // The style of the windowed mode.
  unsigned windowStyle() const { return window_style_; }

  host::ui::Cursor* arrowCursor() const { return arrow_cursor_; }
  void setArrowCursor(host::ui::Cursor* cursor) { arrow_cursor_ = cursor; }
  // Timer ticks since the mouse last moved.
  unsigned cursorIdleTicks() const { return cursor_idle_ticks_; }
  void setCursorIdleTicks(unsigned ticks) { cursor_idle_ticks_ = ticks; }

  // Stores the screen size and applies the window mode: windowed, the client
  // area gets that size; full screen, the window covers the desktop on top.
  void setScreenSize(int width, int height);
  unsigned screenWidth() const { return screen_width_; }
  unsigned screenHeight() const { return screen_height_; }

  // Written by the scripts' setResetMode and resetDevice; nothing else reads it.
  bool resetMode() const { return reset_mode_; }
  void setResetMode(bool mode) { reset_mode_ = mode; }

  // Draws one frame. Nothing is drawn while no device has been built.
  void drawFrame();

  // Takes the framework down in its fixed order (after the game's shut-down).
  void shutdown();

 private:
  IGameAdapter* game_adapter_ = nullptr;
  boost::shared_ptr<driver::StopWatch> stop_watch_;
  task::ScriptTask* autoexec_task_ = nullptr;
  bool update_pause_ = false;
  const char* class_name_ = nullptr;
  const char* caption_ = nullptr;
  WindowConfig window_config_;
  double frame_step_ = 1.0 / 60.0;
  host::ui::Window* window_ = nullptr;
  bool active_ = false;
  bool windowed_ = true;
  unsigned window_style_ = host::ui::WS_CAPTION | host::ui::WS_SYSMENU;
  host::ui::Cursor* arrow_cursor_ = nullptr;
  unsigned cursor_idle_ticks_ = 0;
  unsigned screen_width_ = 0;
  unsigned screen_height_ = 0;
  double frame_time_ = 0.0;
  bool reset_mode_ = false;
  // The process's audio context, after every field of the device context.
  audio::AudioContext audio_context_;
};

}  // namespace rk
