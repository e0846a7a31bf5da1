#include "player/player_wepon/draw_over_scene.h"

#include "platform/driver/directx_driver/dx12units/rk_dx12_depth_stencil.h"

namespace player_draw {

OverScene::OverScene(rk::DeviceContext& context, std::uint32_t offColour)
    : context_(context), colour_(context.backupColorState()) {
  list_ = context_.getNowCommandList();
  if (!list_) return;
  context_.setColorState(false, offColour);
  const host::gpu::CpuDescriptorHandle target = context_.backBufferHandle();
  list_->omSetRenderTargets(1, &target, false, nullptr);
}

OverScene::~OverScene() {
  if (list_) {
    const host::gpu::CpuDescriptorHandle target = context_.backBufferHandle();
    const host::gpu::CpuDescriptorHandle depth = context_.depthStencil().getDSVHandle();
    list_->omSetRenderTargets(1, &target, false, &depth);
  }
  context_.restoreColorState(colour_);
}

}  // namespace player_draw
