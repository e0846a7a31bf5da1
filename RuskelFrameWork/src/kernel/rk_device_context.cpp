#include "kernel/rk_device_context.h"

#include "actor/rk_actor.h"
#include "col/rk_collision_group.h"
#include "ctrl/rk_controller.h"
#include "effect/rk_effect_system.h"
#include "flush/rk_flush_unit.h"
#include "flush/rk_sync_unit.h"
#include "fs/rk_file_manager.h"
#include "gfx/rk_camera.h"
#include "gfx/rk_gfx_list_manager.h"
#include "gfx/rk_light.h"
#include "gfx/rk_wipe_manager.h"
#include "gfx/rk_texture_manager.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_global_data.h"
#include "gfx/rk_model.h"
#include "kernel/rk_input_context.h"
#include "kernel/rk_instance_table.h"
#include "math/rk_counter_manager.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_anime_unit.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_mesh_unit.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_node_unit.h"
#include "platform/driver/rk_device_lost_notify.h"
#include "platform/driver/rk_device_recreate_notify.h"
#include "platform/driver/rk_stopwatch.h"
#include "policy/rk_counter_release.h"
#include "res/rk_resource.h"
#include "rigidbody/rk_rigidbody_manager.h"
#include "script/rk_script.h"
#include "script/rk_script_cache.h"
#include "task/rk_task.h"

namespace rk {

namespace {

constexpr const char* kSource = "src/kernel/rk_device_context";
const SingletonReport kReport{kSource, "rk::DeviceContext", 1520, 1536, 1545};

// The one device context of the process, built before main runs.
DeviceContext g_device_context;

}  // namespace

DeviceContext* DeviceContext::getInstance() { return singletonGet<DeviceContext>(InstanceSlot::DeviceContext, kReport); }

DeviceContext::DeviceContext() {
  if (instanceSlot(InstanceSlot::DeviceContext)) debug::writeErrorLog(kSource, kReport.createLine, "rk::DeviceContext::DeviceContext");
  instanceSlot(InstanceSlot::DeviceContext) = this;
  instanceSlot(InstanceSlot::DeviceContextStatic) = this;
}

// Static teardown at process exit.
DeviceContext::~DeviceContext() {
  instanceSlot(InstanceSlot::DeviceContextStatic) = nullptr;
  delete window_config_.model_sync_task;
  window_config_.model_sync_task = nullptr;
  stop_watch_.reset();
  drainDeferredRelease();
  for (ConstantSlot*& slot : default_ambient_slot_) {
    delete slot;  // left by a device that was never released
    slot = nullptr;
  }
  if (instanceSlot(InstanceSlot::DeviceContext) == this) instanceSlot(InstanceSlot::DeviceContext) = nullptr;
}

void DeviceContext::setScreenSize(int width, int height) {
  screen_width_ = static_cast<unsigned>(width);
  screen_height_ = static_cast<unsigned>(height);
  if (!window_) return;
  if (windowed_) {
    host::ui::setWindowStyle(window_, window_style_);
    host::ui::setWindowedClientSize(window_, width, height);
  } else {
    host::ui::setBorderlessFullScreen(window_);
  }
}

void DeviceContext::shutdown() {
  // 1. The GPU finishes its work; the frame clock goes.
  waitForGpu();
  stop_watch_.reset();
  // 2.
  InputContext::destroyInstance();
  // 3. Script cache: every cached entry is released with it.
  if (singletonExists(InstanceSlot::ScriptCache)) script::ScriptCache::destroyInstance();
  // 4. Script-state manager: closes every state, running each Destructer.
  if (singletonExists(InstanceSlot::ScriptStateManager)) script::ScriptStateManager::destroyInstance();
  // 5.
  if (singletonExists(InstanceSlot::EffectSystem)) effect::EffectSystem::destroyInstance();
  // 6. Model manager, with every model still listed.
  if (gfx::ModelManager* models = gfx::ModelManager::findInstance()) {
    models->deleteModels();
    gfx::ModelManager::destroyInstance();
  }
  // 7.
  delete window_config_.model_sync_task;
  window_config_.model_sync_task = nullptr;
  // 8. Every actor out of use, then the actor manager.
  if (singletonExists(InstanceSlot::ActorManager)) actor::ActorManager::destroyInstance();
  // 9.
  driver::StopWatchImpl::destroyInstance();
  // 10. Script-state manager, if still there.
  if (singletonExists(InstanceSlot::ScriptStateManager)) script::ScriptStateManager::destroyInstance();
  // 11. Flush unit, display-list manager.
  if (singletonExists(InstanceSlot::FlushUnit)) flush::FlushUnit::destroyInstance();
  if (singletonExists(InstanceSlot::GfxListManager)) gfx::GfxListManager::destroyInstance();
  // 12. Wipe manager, with every queued wipe.
  if (singletonExists(InstanceSlot::WipeManager)) gfx::WipeManager::destroyInstance();
  // 13.
  if (singletonExists(InstanceSlot::LightManager)) gfx::LightManager::destroyInstance();
  // 14. Rigid-body manager (the bodies stay), sync unit.
  if (singletonExists(InstanceSlot::RigidBodyManager)) rigidbody::RigidBodyManager::destroyInstance();
  if (singletonExists(InstanceSlot::SyncUnit)) flush::SyncUnit::destroyInstance();
  // 15. Tasks not owned elsewhere.
  if (singletonExists(InstanceSlot::TaskManager)) task::TaskManager::getInstance()->deleteTasks(false);
  // 16. Collision-group manager (registered groups stay), texture manager.
  if (singletonExists(InstanceSlot::CollisionGroupManager)) collision::CollisionGroupManager::destroyInstance();
  if (singletonExists(InstanceSlot::TextureManager)) gfx::RkTextureManager::destroyInstance();
  // 17.
  if (singletonExists(InstanceSlot::ControllerManager)) controller::ControllerManager::destroyInstance();
  // 18. Effect system, if still there.
  if (singletonExists(InstanceSlot::EffectSystem)) effect::EffectSystem::destroyInstance();
  // 19. The file manager stops and joins its load thread.
  if (fs::FileManager* files = fs::FileManager::getInstance()) {
    files->setStop(true);
    fs::FileManager::destroyInstance();
  }
  // 20. Every camera still in the map, then the camera manager.
  if (singletonExists(InstanceSlot::CameraManager)) gfx::CameraManager::destroyInstance();
  // 21.
  math::CounterManager::destroyInstance();
  // 22. Every remaining task, then the task manager.
  if (task::TaskManager* tasks = task::TaskManager::getInstance()) {
    tasks->deleteTasks(true);
    task::TaskManager::destroyInstance();
  }
  autoexec_task_ = nullptr;
  // 23.
  GlobalVariable::destroyInstance();
  // 24.
  driver::DeviceReCreateNotifyManager::destroyInstance();
  driver::DeviceLostNotifyManager::destroyInstance();
  // 25. The fence goes after a last GPU wait; then the mesh, animation and
  // node units; then the device.
  shutdownFence();
  if (singletonExists(InstanceSlot::MeshUnit)) driver::directx::directx12::DX12MeshUnit::destroyInstance();
  if (singletonExists(InstanceSlot::AnimeUnit)) driver::directx::directx12::DX12AnimeUnit::destroyInstance();
  if (singletonExists(InstanceSlot::NodeUnit)) driver::directx::directx12::DX12NodeUnit::destroyInstance();
  releaseDevice(false);
  // 26. The audio thread stops its players and is joined; then the engine goes.
  audio_context_.stop();
  // 27. The resource manager last.
  res::ResourceManager::destroyInstance();
}

}  // namespace rk
