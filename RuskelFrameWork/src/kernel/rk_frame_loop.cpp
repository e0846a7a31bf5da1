#include "kernel/rk_frame_loop.h"

#include "actor/rk_actor.h"
#include "audio/rk_audio_context.h"
#include "ctrl/rk_controller.h"
#include "fs/rk_file_manager.h"
#include "gfx/rk_camera.h"
#include "gfx/rk_wipe_manager.h"
#include "host/ui.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_game_adapter.h"
#include "kernel/rk_global_data.h"
#include "kernel/rk_input_context.h"
#include "kernel/rk_instance_table.h"
#include "platform/driver/rk_input_driver.h"
#include "platform/driver/rk_stopwatch.h"
#include "task/rk_task.h"

namespace rk {

namespace ui = host::ui;

bool FrameLoop::runPass() {
  DeviceContext* context = DeviceContext::getInstance();
  // Once per pass, not per frame, so that loads complete between frames too.
  if (fs::FileManager* files = fs::FileManager::getInstance()) files->notify();

  ui::Message message;
  bool fetched = false;
  if (context->isActive()) {
    fetched = ui::peekMessage(&message);
  } else {
    if (ui::getMessage(&message) != 1) return false;
    fetched = true;
  }
  if (fetched) {
    if (message.message == ui::WM_QUIT) return false;
    const ui::AcceleratorTable* table = context->windowConfig().accelerators;
    const bool taken = table && ui::translateAccelerator(message.window, *table, message);
    if (!taken) {
      ui::dispatchMessage(message);
      return true;
    }
  }

  if (context->stopWatch()) accumulator_ += context->stopWatch()->counter()->getLapTime();
  if (accumulator_ < kFrameTime) return true;
  runFrame();
  return true;
}

void FrameLoop::runFrame() {
  DeviceContext* context = DeviceContext::getInstance();
  context->stopWatch()->counter()->reset();
  const bool fixed = !singletonExists(InstanceSlot::GlobalVariable) || GlobalVariable::getInstance()->isFixFrame();
  const double step = fixed ? kFrameTime : accumulator_;
  context->setFrameStep(step);
  context->setFrameTime(step);
  accumulator_ = 0.0;

  updateFramework(static_cast<float>(step));
  if (IGameAdapter* adapter = context->gameAdapter()) adapter->update(static_cast<float>(step));
  context->drawFrame();
}

void runFrameLoop() {
  FrameLoop loop;
  while (loop.runPass()) {
  }
}

void updateFramework(float dt) {
  DeviceContext* context = DeviceContext::getInstance();
  if (context->isUpdatePause()) return;
  // 1. Actor manager.
  if (actor::ActorManager* actors = actor::ActorManager::getInstance()) actors->update(dt);
  // 2. Input.
  driver::InputDriver* driver = nullptr;
  if (InputContext* input = InputContext::getInstance()) driver = input->getDriver();
  if (driver) driver->poll();
  // 3. System controller, then each player's controller (they need a driver to read).
  controller::ControllerManager* controllers = controller::ControllerManager::getInstance();
  if (controllers && driver) controllers->update(*driver, dt);
  // 4. The game's hook.
  if (IGameAdapter* adapter = context->gameAdapter()) adapter->update(dt);
  // 5. Every task: scripts, physics, sound, sync, models, cameras.
  if (task::TaskManager* tasks = task::TaskManager::getInstance()) tasks->update(dt);
  // 6. The listener follows the listener camera's view and projection (the
  // identity without that camera); the audio thread reads it under the lock.
  if (audio::AudioContext* audio = audio::AudioContext::getInstance()) {
    math::Matrix listener = math::matrixIdentity();
    if (gfx::CameraManager* cameras = gfx::CameraManager::getInstance()) {
      if (gfx::Camera* camera = cameras->getCamera(audio->listenerCameraNumber())) {
        camera->updateMatrices();
        listener = math::matrixMultiply(camera->viewMatrix(), camera->projectionMatrix());
      }
    }
    audio->setListenerMatrix(listener);
  }
  // 7. The first queued wipe.
  if (gfx::WipeManager* wipes = gfx::WipeManager::findInstance()) wipes->update();
  // 8. The system controller's previous state.
  if (controllers) controllers->endFrame();
}

}  // namespace rk
