#include "kernel/rk_framework.h"

#include <exception>
#include <string>

#include "actor/rk_actor.h"
#include "audio/rk_audio_context.h"
#include "col/rk_collision_group.h"
#include "ctrl/rk_controller.h"
#include "effect/rk_effect_system.h"
#include "flush/rk_flush_unit.h"
#include "flush/rk_sync_unit.h"
#include "fs/rk_file_manager.h"
#include "gfx/rk_camera.h"
#include "gfx/rk_gfx_list_manager.h"
#include "gfx/rk_light.h"
#include "gfx/rk_model.h"
#include "gfx/rk_wipe_manager.h"
#include "gfx/rk_texture_manager.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_frame_loop.h"
#include "kernel/rk_game_adapter.h"
#include "kernel/rk_global_data.h"
#include "kernel/rk_hr_exception.h"
#include "kernel/rk_input_context.h"
#include "kernel/rk_window_proc.h"
#include "math/rk_counter_manager.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_anime_unit.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_mesh_unit.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_node_unit.h"
#include "platform/driver/rk_device_lost_notify.h"
#include "platform/driver/rk_device_recreate_notify.h"
#include "platform/driver/rk_stopwatch.h"
#include "platform/driver/xinput/rk_xinput_driver.h"
#include "res/rk_resource.h"
#include "rigidbody/rk_rigidbody_manager.h"
#include "script/rk_script.h"
#include "script/rk_script_cache.h"
#include "task/rk_script_task.h"
#include "task/rk_task.h"

namespace rk {

namespace {

constexpr const char* kSource = "src/kernel/rk_framework";

void logUnwindFailure(int line, const char* what) {
  std::string text = std::string("rk::shutdownGuard::~shutdownGuard\n") + (what ? what : "");
  debug::writeErrorLog(kSource, line, text.c_str());
}

// The window goes with the run, however the run ended: after a failure (once
// its error box, which the window owns, is closed) or after a quit a script
// posted while the window stayed open. Otherwise it would live on in the
// process with its timer still posting messages to whatever runs next.
// Destroying it posts a quit of its own, which belongs to this run and is
// taken here rather than left to end a later message loop.
void closeRunWindow(host::ui::Window* window) {
  if (!host::ui::isWindow(window)) return;
  host::ui::destroyWindow(window);
  host::ui::Message message;
  while (host::ui::peekMessage(&message))
    if (message.message == host::ui::WM_QUIT) break;
}

void showErrorBox(const char* text) {
  host::ui::messageBox(DeviceContext::getInstance()->getWindowHandle(), text ? text : "", "エラー", host::ui::MB_ICONERROR);
}

}  // namespace

void setGameAdapter(IGameAdapter* adapter) { DeviceContext::getInstance()->setGameAdapter(adapter); }

void startupFramework() {
  DeviceContext* context = DeviceContext::getInstance();
  driver::DeviceLostNotifyManager::createInstance();      // 1
  driver::DeviceReCreateNotifyManager::createInstance();  // 2
  GlobalVariable::createInstance();                       // 3
  res::ResourceManager* resources = res::ResourceManager::createInstance();  // 4
  fs::FileManager::createInstance(resources);             // 5: starts the load thread
  // 6. The device on the game window: shader pack, pipelines (fonts: with the
  // fonts). A start-up without a window (managers alone) makes no device.
  if (context->getWindowHandle()) context->initDevice();
  InputContext* input = InputContext::createInstance();   // 7
  input->setDriver(new driver::xinput::XInputDriver);
  input->getDriver()->update(0);  // four pad records before the first frame
  task::TaskManager::createInstance();                    // 8
  flush::SyncUnit::createInstance();                      // 9
  // 10. The model sync task, kept in the window configuration.
  delete context->windowConfig().model_sync_task;
  context->windowConfig().model_sync_task = new gfx::ModelSyncTask;
  math::CounterManager::createInstance();                 // 11
  context->setStopWatch(driver::StopWatch::initialize());  // 12: created paused
  // 13. Script-state manager: no states and no user libraries yet.
  script::ScriptStateManager::createInstance();
  controller::ControllerManager::createInstance();     // 14
  gfx::CameraManager::createInstance();                // 15
  actor::ActorManager::createInstance();               // 16
  gfx::ModelManager::createInstance();                 // 17: the model update, task priority 137
  collision::CollisionGroupManager::createInstance();  // 18
  rigidbody::RigidBodyManager::createInstance();       // 19: the physics step, task priority 7
  gfx::RkTextureManager::createInstance();             // 20
  gfx::LightManager::createInstance();                 // 21
  gfx::WipeManager::createInstance();                  // 22
  gfx::GfxListManager::createInstance();               // 23
  driver::directx::directx12::DX12MeshUnit::createInstance();   // 24
  driver::directx::directx12::DX12AnimeUnit::createInstance();  // 25
  driver::directx::directx12::DX12NodeUnit::createInstance();   // 26
  flush::FlushUnit::createInstance();                  // 27
  // 28. Script cache.
  script::ScriptCache::createInstance();
  effect::EffectSystem::createInstance();                  // 29
  context->stopWatch()->start();                           // 30
  audio::AudioContext::getInstance()->init();              // 31: engine, mastering voice, audio thread
}

shutdownGuard::~shutdownGuard() {
  if (booted_) {
    booted_ = false;
    try {
      if (IGameAdapter* adapter = DeviceContext::getInstance()->gameAdapter()) adapter->shutdown();
    } catch (const std::exception& e) {
      logUnwindFailure(__LINE__, e.what());
    } catch (...) {
      logUnwindFailure(__LINE__, nullptr);
    }
  }
  if (framework_up_) {
    framework_up_ = false;
    try {
      DeviceContext::getInstance()->shutdown();
    } catch (const std::exception& e) {
      logUnwindFailure(__LINE__, e.what());
    } catch (...) {
      logUnwindFailure(__LINE__, nullptr);
    }
  }
}

void shutdownGuard::shutdownNow() {
  if (booted_) {
    booted_ = false;
    if (IGameAdapter* adapter = DeviceContext::getInstance()->gameAdapter()) adapter->shutdown();
  }
  if (framework_up_) {
    framework_up_ = false;
    DeviceContext::getInstance()->shutdown();
  }
}

int runGame(const char* className, const char* caption, const host::ui::AcceleratorTable* accelerators) {
  DeviceContext* context = DeviceContext::getInstance();
  DeviceContext::WindowConfig& config = context->windowConfig();
  config.client_width = 1280;
  config.client_height = 720;
  config.accelerators = accelerators;
  if (IGameAdapter* adapter = context->gameAdapter()) adapter->configure();
  context->setScreenSize(config.client_width, config.client_height);

  context->setNames(className, caption);
  if (!host::ui::acquireSingleInstanceLock(className, caption)) return -1;

  host::ui::Window* window = host::ui::createWindow(className, caption, context->windowStyle(), config.client_width,
                                                    config.client_height, wndProc);
  host::ui::showWindow(window);
  host::ui::setFocus(window);
  context->setWindowHandle(window);
  context->setScreenSize(config.client_width, config.client_height);

  try {
    shutdownGuard guard;
    startupFramework();
    if (IGameAdapter* adapter = context->gameAdapter()) {
      adapter->boot();
      guard.setBooted();
    }
    // The display-list manager takes a copy of the display-list font.
    if (context->font(2)) gfx::GfxListManager::getInstance()->setFont(context->font(2));
    // The first script: owned by the task manager, kept in the device context.
    task::TaskManager::getInstance();
    auto* autoexec = new task::ScriptTask("script/autoexec", 4, nullptr);
    autoexec->setActive(true);
    autoexec->setAlive(true);
    context->setAutoexecTask(autoexec);
    runFrameLoop();
    guard.shutdownNow();
  } catch (const HrException& e) {
    showErrorBox(e.what());
  } catch (const std::exception& e) {
    // Any other failure (a thread that cannot start, memory running out) takes
    // the same way down, so settings and scores are still saved.
    showErrorBox(e.what());
  }
  closeRunWindow(window);
  return 0;
}

}  // namespace rk
