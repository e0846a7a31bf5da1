#include "gfx/rk_texture.h"

#include "gfx/rk_texture_manager.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_instance_table.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_texture.h"

namespace rk::gfx {

RkTexture::RkTexture() : Task(0, "RkTexture"), info_(new Info) {}

RkTexture::~RkTexture() { delete info_; }

void RkTexture::getSize(std::uint32_t* width, std::uint32_t* height) const {
  if (width) *width = 0;
  if (height) *height = 0;
}

int RkTexture::setupStep() {
  Info& info = *info_;
  if (info.resource_) {
    if (!info.resource_->isLoaded()) return 1;
    DeviceContext* context = DeviceContext::getInstance();
    // Without a device there is nothing to set up yet; keep waiting.
    if (!context->getDevice()) return 1;
    if (auto* gpuTexture = dynamic_cast<RkTexture12*>(this))
      context->setupTexture(gpuTexture, info.resource_->data(), info.resource_->size(), info.load_flags_);
  }
  info.loaded_ = true;
  setActive(false);
  return 0;
}

void RkTexture::destroy() {
  // After the manager's shut-down there is no cache left to leave.
  if (info_->listed_ && singletonExists(InstanceSlot::TextureManager))
    RkTextureManager::getInstance()->removeRkTexture(this);
}

}  // namespace rk::gfx
