#include "gfx/rk_gfx_helper.h"

#include "kernel/rk_error_log.h"

namespace rk::gfx {

void GfxHelper::drawTriangleStrip(const GfxDeviceContext::PenRecord*, std::size_t) {
  debug::writeErrorLog("src/gfx/rk_gfx_helper", 97, "rk::gfx::GfxHelper::drawTriangleStrip");
}

}  // namespace rk::gfx
