// Drawing helpers of the batch context's users.
#pragma once
#include <cstddef>

#include "gfx/rk_gfx_list_device_context.h"

namespace rk::gfx {

class GfxHelper {
 public:
  // The two-texture triangle strip of pen records. No pipeline draws two
  // texture stages, so it draws nothing and says so in the error log.
  static void drawTriangleStrip(const GfxDeviceContext::PenRecord* records, std::size_t count);
};

}  // namespace rk::gfx
