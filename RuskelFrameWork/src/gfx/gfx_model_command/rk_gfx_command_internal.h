// Shared by the gfx model commands' sources.
#pragma once
#include "gfx/rk_texture.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_texture.h"

namespace rk::gfx::gfx_model_command::detail {

// A texture whose GPU resource exists (it has been set up).
inline bool isTextureReady(RkTexture* texture) {
  auto* gpuTexture = dynamic_cast<RkTexture12*>(texture);
  return gpuTexture && gpuTexture->resource();
}

// Clears the depth buffer to 1 on the recording list (reported without one).
void clearDepth();

}  // namespace rk::gfx::gfx_model_command::detail
