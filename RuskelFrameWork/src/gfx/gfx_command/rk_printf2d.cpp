#include "font/rk_font.h"
#include "gfx/gfx_command/rk_gfx_list_command.h"
#include "gfx/rk_gfx_list_device_context.h"
#include "kernel/rk_error_log.h"

namespace rk::gfx::command {

// The script's text goes to the font as data, never as a format. Without a
// display-list font the print is reported and skipped.
void GfxPrintf2D::execute(GfxDeviceContext& context) {
  GfxListManager* manager = GfxListManager::findInstance();
  font::RKFont* font = manager ? manager->font().get() : nullptr;
  if (!font) {
    debug::writeErrorLog("src/gfx/gfx_command/rk_printf2d", 41, "rk::gfx::GfxDeviceContext::printMessage2D");
    return;
  }
  font->printNow(static_cast<int>(context.locate_.x), static_cast<int>(context.locate_.y), context.packedColor(), 0, 0,
                 "%s", text_.c_str());
}

}  // namespace rk::gfx::command
