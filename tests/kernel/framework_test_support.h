// Helpers for tests of the process spine: a reset of the static device context,
// and an adapter, a task and an input driver that record what the frame calls.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "host/ui.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_game_adapter.h"
#include "platform/driver/xinput/rk_xinput_driver.h"
#include "task/rk_task.h"

namespace rktest {

using Trace = std::vector<std::string>;

// The device context as it is when the process starts.
inline void resetDeviceContext() {
  rk::DeviceContext* c = rk::DeviceContext::getInstance();
  c->setGameAdapter(nullptr);
  c->setStopWatch({});
  c->setAutoexecTask(nullptr);
  c->setUpdatePause(false);
  c->setNames(nullptr, nullptr);
  c->windowConfig() = rk::DeviceContext::WindowConfig{};
  c->setFrameStep(1.0 / 60.0);
  c->setFrameTime(0.0);
  c->setWindowHandle(nullptr);
  c->setActive(false);
  c->setWindowed(true);
  c->setArrowCursor(nullptr);
  c->setCursorIdleTicks(0);
}

// Throws away every waiting message, WM_QUIT included, so that one test's
// closed window does not end the next test's loop.
inline void drainMessages() {
  host::ui::Message m;
  while (host::ui::peekMessage(&m)) {
  }
}

class RecordingAdapter : public rk::IGameAdapter {
 public:
  explicit RecordingAdapter(Trace* trace) : trace_(trace) {}
  const unsigned char* getId() override { return id_; }
  void configure() override {
    trace_->push_back("configure");
    if (onConfigure) onConfigure();
  }
  void boot() override {
    trace_->push_back("boot");
    if (onBoot) onBoot();
  }
  int update(float dt) override {
    trace_->push_back("adapter");
    steps.push_back(dt);
    if (onUpdate) onUpdate();
    return 0;
  }
  void shutdown() override {
    trace_->push_back("shutdown");
    if (onShutdown) onShutdown();
  }

  std::function<void()> onConfigure, onBoot, onUpdate, onShutdown;
  std::vector<float> steps;

 private:
  Trace* trace_;
  unsigned char id_[16] = {};
};

class RecordingTask : public rk::task::Task {
 public:
  RecordingTask(Trace* trace, int priority = 4) : Task(priority, "recording"), trace_(trace) {
    setActive(true);
    setInitialised(true);
  }
  void update(float dt) override { trace_->push_back("task"); }

 private:
  Trace* trace_;
};

class RecordingDriver : public rk::driver::xinput::XInputDriver {
 public:
  explicit RecordingDriver(Trace* trace) : trace_(trace) {}
  void poll() override {
    trace_->push_back("poll");
    XInputDriver::poll();
  }

 private:
  Trace* trace_;
};

}  // namespace rktest
