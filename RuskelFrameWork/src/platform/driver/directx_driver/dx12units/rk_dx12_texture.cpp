#include "platform/driver/directx_driver/dx12units/rk_dx12_texture.h"

#include "kernel/rk_device_context.h"
#include "kernel/rk_error_log.h"

namespace rk::gfx {

namespace {
constexpr const char* kSource = "include/platform/driver/directx_driver/dx12units/rk_dx12_texture";
}

RkTexture12::RkTexture12() { DeviceContext::getInstance()->addDeviceLostListener(this); }

RkTexture12::~RkTexture12() {
  DeviceContext* context = DeviceContext::getInstance();
  context->removeDeviceLostListener(this);
  if (context->currentTexture() == this) context->setTexture(nullptr);
  releaseTexture();
  releaseView(true);
}

void RkTexture12::getSize(std::uint32_t* width, std::uint32_t* height) const {
  if (!texture_) return RkTexture::getSize(width, height);
  if (width) *width = static_cast<std::uint32_t>(texture_->getDesc().width);
  if (height) *height = texture_->getDesc().height;
}

void RkTexture12::destroy() {
  DeviceContext* context = DeviceContext::getInstance();
  context->waitForGpu();
  if (texture_ && texture_->refCount() > 1) debug::writeErrorLog(kSource, 58, "rk::gfx::RkTexture12::destroy");
  releaseTexture();
  // A later texture at the same address must not pass for this one.
  if (context->currentTexture() == this) context->setTexture(nullptr);
  RkTexture::destroy();
  releaseView(true);
}

void RkTexture12::onLost() {
  releaseTexture();
  releaseView(true);
}

void RkTexture12::onRecover() {
  if (setupStep() == 0) setInitialised(true);
}

void RkTexture12::setView(int slot, host::gpu::CpuDescriptorHandle cpu, host::gpu::GpuDescriptorHandle gpu) {
  slot_ = slot;
  srv_cpu_ = cpu;
  srv_gpu_ = gpu.ptr;
}

void RkTexture12::releaseView(bool freeSlot) {
  if (slot_ != -1 && freeSlot) DeviceContext::getInstance()->descriptorHeap().freeSlot(slot_);
  slot_ = -1;
  srv_cpu_ = {};
  srv_gpu_ = 0;
}

void RkTexture12::releaseTexture() { texture_.reset(); }

}  // namespace rk::gfx
