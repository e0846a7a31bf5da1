// The device context's frame: the draw order, recording the streams (background,
// cameras 0 to 14, overlay), one execute, present with the GPU wait, recovery
// from a lost device, delayed releases and the device-lost listeners.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "effect/rk_effect_system.h"
#include "gfx/rk_camera.h"
#include "gfx/rk_gfx_list_manager.h"
#include "gfx/rk_light.h"
#include "gfx/rk_model.h"
#include "platform/driver/directx_driver/rk_directx12_model_draw_context.h"
#include "rk_device_context_internal.h"
#include "host/gpu/present_pacer.h"
#include "kernel/rk_device_lost_recover_event.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_frame_loop.h"
#include "kernel/rk_instance_table.h"
#include "platform/driver/rk_stopwatch.h"
#include "policy/rk_counter_release.h"

namespace rk {

namespace gpu = host::gpu;
using device_context_detail::check;
using device_context_detail::kSource;
using driver::directx::directx12::DX12Ambient;
using driver::directx::directx12::DX12DirectionalLight;
using driver::directx::directx12::DX12FOGInfo;
using driver::directx::directx12::DX12Material;

namespace {

// What the lost-device box says about a removed reason.
const char* removedReasonText(host::HResult reason) {
  switch (reason) {
    case host::DXGI_ERROR_INVALID_CALL:
      return "DXGI_ERROR_INVALID_CALL(アプリケーションが無効なパラメーター データを提供しました。これは、アプリケーションをリリースする前にデバッグして修正する必要があります。)\n";
    case host::DXGI_ERROR_DEVICE_REMOVED:
      return "DXGI_ERROR_DEVICE_REMOVED(デバイスがロストしました。ビデオカード、又はドライバーに問題あります。)";
    case host::DXGI_ERROR_DEVICE_HUNG:
      return "DXGI_ERROR_DEVICE_HUNG(アプリケーションによって送信されたコマンドの形式が正しくないため、アプリケーションのデバイスが失敗しました。 これは、調査して修正する必要があるデザイン時の問題です。)\n";
    case host::DXGI_ERROR_DEVICE_RESET:
      return "DXGI_ERROR_DEVICE_RESET(不適切な形式のコマンドが原因でデバイスが失敗しました。 これは実行時の問題です。アプリケーションは、デバイスを破棄して再作成する必要があります。)\n";
    case host::DXGI_ERROR_DRIVER_INTERNAL_ERROR:
      return "DXGI_ERROR_DRIVER_INTERNAL_ERROR(ドライバーで問題が発生し、デバイスが削除された状態になりました。)\n";
    default:
      return "";
  }
}

}  // namespace

void DeviceContext::drawFrame() {
  const unsigned frame = current_frame_;
  if (!default_ambient_slot_[frame]) return;  // no device yet
  if (model_draw_context_[frame]) model_draw_context_[frame]->resetFrame();
  command_lists_.clear();
  for (auto& pools : constant_pools_) pools[frame].rewind();
  check(command_allocator_bg_clear_[frame]->reset(), 3397, L"command_allocator_bg_clear_[current_frame_]->Reset()");
  check(command_allocator_top_[frame]->reset(), 3398, L"command_allocator_top_[current_frame_]->Reset()");
  for (int i = 0; i < kCameraCount; ++i)
    check(command_allocator_[frame][i]->reset(), 3401, L"command_allocator_[current_frame_][i]->Reset()");
  if (!singletonExists(InstanceSlot::LightManager)) return;

  // Background: the back buffer in the clear colour, depth 1, stencil 0.
  beginCommandList(nullptr, true, true);
  if (gpu::GraphicsCommandList* list = getNowCommandList()) {
    list->clearRenderTargetView(rtv_handle_[current_frame_], clear_color_.data(), 0, nullptr);
    list->clearDepthStencilView(depth_stencil_.getDSVHandle(), gpu::D3D12_CLEAR_FLAG_DEPTH, 1.0f, 0, 0, nullptr);
    list->clearDepthStencilView(depth_stencil_.getDSVHandle(), gpu::D3D12_CLEAR_FLAG_STENCIL, 1.0f, 0, 0, nullptr);
    list->omSetStencilRef(1);
  }
  closeNowCommandList();

  gfx::ModelManager* models = gfx::ModelManager::findInstance();
  if (models) models->buildMatrices();

  if (gfx::CameraManager* cameras = gfx::CameraManager::getInstance()) {
    for (int number = 0; number < kCameraCount; ++number) {
      gfx::Camera* camera = cameras->getCamera(number);
      if (!camera) continue;
      camera->calcFrustumPlanes(0.0f);
      camera->studioInfo().top()->updateShadowMatrices();
      beginCommandList(camera, false, false);
      gpu::GraphicsCommandList* list = getNowCommandList();
      if (list) {
        list->clearDepthStencilView(depth_stencil_.getDSVHandle(), gpu::D3D12_CLEAR_FLAG_STENCIL, 1.0f, 0, 0, nullptr);
        list->omSetStencilRef(1);
      }
      if (list && models) models->drawForCamera(*camera);
      if (list) {
        list->clearDepthStencilView(depth_stencil_.getDSVHandle(), gpu::D3D12_CLEAR_FLAG_STENCIL, 1.0f, 0, 0, nullptr);
        list->omSetStencilRef(1);
      }
      // The camera's effects, when a unit is filed under its number.
      if (singletonExists(InstanceSlot::EffectSystem)) effect::EffectSystem::getInstance()->drawCamera(number);
      closeNowCommandList();
    }
  }

  // The overlay: the display list's commands, then the debug font's print list.
  if (gfx::GfxListManager* displayList = gfx::GfxListManager::findInstance()) displayList->replay();

  closeDraw();
  present(1);
}

gpu::GraphicsCommandList* DeviceContext::getNowCommandList() {
  if (!now_command_list_) debug::writeErrorLog(kSource, 2990, "rk::DeviceContext::getNowCommandList");
  return now_command_list_;
}

void DeviceContext::beginCommandList(gfx::Camera* camera, bool background, bool lights) {
  const unsigned frame = current_frame_;
  background_pass_ = background;
  pass_light_slot_ = pass_material_slot_ = pass_ambient_slot_ = pass_fog_slot_ = nullptr;
  const float width = static_cast<float>(screen_width_), height = static_cast<float>(screen_height_);
  const gpu::Rect screen{0, 0, static_cast<std::int32_t>(screen_width_), static_cast<std::int32_t>(screen_height_)};
  int baseKind = PIPELINE_TRIANGLE_COLOR_UV;

  if (background || !camera) {
    gpu::GraphicsCommandList* list = background ? command_list_bg_clear_.get() : command_list_top_.get();
    gpu::CommandAllocator* allocator =
        background ? command_allocator_bg_clear_[frame].get() : command_allocator_top_[frame].get();
    viewport_ = {0.0f, 0.0f, width, height, 0.0f, 1.0f};
    scissor_ = screen;
    current_camera_ = nullptr;
    now_command_list_ = list;
    check(list->reset(allocator, nullptr), 3040, L"now_command_list_->Reset()");
    // One unit is one pixel, y downward from the top-left corner.
    world_matrix_ = math::matrixIdentity();
    view_matrix_ = math::matrixIdentity();
    projection_matrix_ = math::matrixOrthographicOffCenterLH(0.0f, width, height, 0.0f, 0.01f, 1.0f);
    baseKind = background ? PIPELINE_DEFAULT2D_TRIANGLE : PIPELINE_TRIANGLE_COLOR_UV;
  } else {
    const int number = camera->number();
    if (number < 0 || number >= kCameraCount) {
      debug::writeErrorLog(kSource, 3050, "rk::DeviceContext::beginCommandList");
      return;
    }
    current_camera_ = camera;
    camera->updateMatrices();
    now_command_list_ = command_list_[number].get();
    check(command_allocator_[frame][number]->reset(), 3057, L"command_allocator_[current_frame_][no]->Reset()");
    check(now_command_list_->reset(command_allocator_[frame][number].get(), nullptr), 3058,
          L"now_command_list_->Reset()");
    pass_light_slot_ = acquireSlot<DX12DirectionalLight>();
    light_slot_[frame] = pass_light_slot_;
    pass_material_slot_ = acquireSlot<DX12Material>();
    pass_ambient_slot_ = acquireSlot<DX12Ambient>();
    pass_fog_slot_ = acquireSlot<DX12FOGInfo>();
    uploadLightSlots(pass_light_slot_, pass_material_slot_, pass_ambient_slot_, camera->eye(),
                     *camera->studioInfo().top());
    fillFogSlot(pass_fog_slot_, *camera);
    const math::Viewport& v = camera->viewport();
    viewport_ = {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.width),
                 static_cast<float>(v.height), v.minDepth, v.maxDepth};
    scissor_ = screen;
    world_matrix_ = math::matrixIdentity();
    view_matrix_ = camera->viewMatrix();
    projection_matrix_ = camera->projectionMatrix();
    baseKind = PIPELINE_MODEL_DRAW;
  }

  gpu::GraphicsCommandList* list = now_command_list_;
  pipeline_stack_.clear();
  current_texture_ = nullptr;  // a new list starts without a texture bound
  list->setGraphicsRootSignature(root_signature_.get());
  list->rsSetViewports(1, &viewport_);
  list->rsSetScissorRects(1, &scissor_);
  const gpu::ResourceBarrier toTarget = gpu::ResourceBarrier::makeTransition(
      color_buffer_[frame].get(), gpu::D3D12_RESOURCE_STATE_PRESENT, gpu::D3D12_RESOURCE_STATE_RENDER_TARGET);
  list->resourceBarrier(1, &toTarget);
  list->omSetRenderTargets(1, &rtv_handle_[frame], false, nullptr);
  // Every list starts with the colour state's flag clear: the pass's ambient
  // constant on a camera list, the frame's default one on the others.
  color_bound_ = false;
  if (!default_ambient_slot_[frame]) default_ambient_slot_[frame] = createDefaultAmbientSlot();
  if (!camera || background) bindSlot(default_ambient_slot_[frame]);
  if (lights) gfx::LightManager::getInstance()->uploadLights();
  bindPassConstants();
  pushPipeline(baseKind);
  gpu::DescriptorHeap* heaps[] = {desc_heap_.heap()};
  list->setDescriptorHeaps(1, heaps);
  setWorldMatrix(world_matrix_);
  setViewProjection();
}

void DeviceContext::closeNowCommandList() {
  gpu::GraphicsCommandList* list = getNowCommandList();
  if (!list) return;
  popPipeline();
  const gpu::ResourceBarrier toPresent = gpu::ResourceBarrier::makeTransition(
      color_buffer_[current_frame_].get(), gpu::D3D12_RESOURCE_STATE_RENDER_TARGET, gpu::D3D12_RESOURCE_STATE_PRESENT);
  list->resourceBarrier(1, &toPresent);
  check(list->close(), 3110, L"now_command_list_->Close()");
  // Nothing may record into a closed list; the next begin names the next one.
  now_command_list_ = nullptr;
  command_lists_.push_back(list);
}

void DeviceContext::closeDraw() {
  if (command_lists_.empty()) {
    debug::writeErrorLog(kSource, 3417, "rk::DeviceContext::closeDraw");
    return;
  }
  command_queue_->executeCommandLists(static_cast<std::uint32_t>(command_lists_.size()), command_lists_.data());
  // Handed over once: a later batch must not execute these lists again.
  command_lists_.clear();
}

void DeviceContext::present(unsigned interval) {
  now_command_list_ = nullptr;
  const host::HResult hr = swap_chain_->present(interval, 0);
  if (hr != host::DXGI_ERROR_DEVICE_REMOVED && hr != host::DXGI_ERROR_DEVICE_RESET) {
    check(hr, 3135, L"swap_chain_->Present(interval, 0)");
    waitForGpu();
    drainDeferredRelease();
    paceToTick(interval);
    return;
  }
  recoverDevice(hr);
}

// A present held back by the display returns when the frame loop's 1/60 s is
// about gathered. Ours may return at once (no display, or a swap interval the
// driver ignores): the rest of the frame's tick, counted by the frame clock
// from the frame's start, is slept out here rather than spun away by the
// loop. Traced presents (tests) are not paced.
void DeviceContext::paceToTick(unsigned interval) {
  static host::gpu::PresentPacer pacer;
  if (interval == 0 || swap_chain_->isTraced() || !stop_watch_) return;
  driver::StopWatchImpl* clock = stop_watch_->counter();
  if (!clock || clock->isPaused()) return;
  const double left = kFrameTime * interval - clock->getElapsedTime();
  if (left > 0.0) pacer.wait(std::chrono::duration_cast<host::gpu::PresentPacer::Clock::duration>(
                      std::chrono::duration<double>(left)));
}

void DeviceContext::recoverDevice(host::HResult code) {
  shutdownFence();
  char number[32];
  std::snprintf(number, sizeof number, "0x%8.8x", static_cast<unsigned>(code));
  std::string text = std::string("エラーコード = ") + number;
  if (code == host::DXGI_ERROR_DEVICE_REMOVED) {
    const host::HResult reason = device_->getDeviceRemovedReason();
    text += "(DXGI_ERROR_DEVICE_REMOVED)\n";
    text += "原因：";
    text += removedReasonText(reason);
    const bool reset = reason == host::DXGI_ERROR_DEVICE_RESET;
    host::ui::messageBox(window_, text, reset ? "確認" : "エラー",
                         reset ? host::ui::MB_ICONINFORMATION : host::ui::MB_ICONERROR);
    if (!reset) check(reason, 3160, L"swap_chain_->Present(interval, 0)");
  }
  if (code == host::DXGI_ERROR_DEVICE_RESET) text += removedReasonText(host::DXGI_ERROR_DEVICE_RESET);
  text += "デバイスの再構築を試みます。";
  host::ui::messageBox(window_, text, "確認", host::ui::MB_ICONINFORMATION);

  notifyDeviceLost();
  releaseDevice(true);
  initDevice();
  notifyDeviceRecover();
}

void DeviceContext::addDeferredRelease(policy::CounterRelease* object) {
  if (object) release_lists_[current_frame_].push_back(object);
}

void DeviceContext::drainDeferredRelease() {
  for (auto& list : release_lists_) {
    while (!list.empty()) {
      for (policy::CounterRelease*& entry : list) {
        if (entry->countDown() > 0) continue;
        policy::CounterRelease* done = entry;
        entry = nullptr;
        done->release();
        delete done;
      }
      list.remove(nullptr);
    }
  }
}

std::size_t DeviceContext::deferredReleaseCount() const {
  std::size_t count = 0;
  for (const auto& list : release_lists_) count += list.size();
  return count;
}

void DeviceContext::addDeviceLostListener(IDeviceLostRecoverEvent* listener) {
  if (std::find(lost_listeners_.begin(), lost_listeners_.end(), listener) != lost_listeners_.end()) return;
  lost_listeners_.push_back(listener);
}

void DeviceContext::removeDeviceLostListener(IDeviceLostRecoverEvent* listener) {
  auto it = std::find(lost_listeners_.begin(), lost_listeners_.end(), listener);
  if (it != lost_listeners_.end()) lost_listeners_.erase(it);
}

void DeviceContext::notifyDeviceLost() {
  for (IDeviceLostRecoverEvent* listener : lost_listeners_) listener->onLost();
}

void DeviceContext::notifyDeviceRecover() {
  for (IDeviceLostRecoverEvent* listener : lost_listeners_) listener->onRecover();
}

}  // namespace rk
