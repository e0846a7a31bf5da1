#include "gfx/gfxmodel_command/rk_window_context.h"

#include "font/rk_font.h"
#include "kernel/rk_error_log.h"

namespace rk::gfx::gfx_model_command {

void WindowContext::pushFontAdapter(const boost::shared_ptr<font::FontAdapter>& adapter) {
  if (!font) return;
  font_stack.push_back(font->swapFontAdapter(adapter));
}

void WindowContext::popFontAdapter() {
  if (font_stack.empty() || !font) {
    debug::writeErrorLog("src/gfx/gfxmodel_command/rk_gfx_window", 171,
                         "rk::gfx::gfx_model_command::WindowContext::popFontAdapter");
    return;
  }
  font->swapFontAdapter(font_stack.back());
  font_stack.pop_back();
}

float WindowContext::fontHeight() const {
  if (!font) return 0.0f;
  return font->getFontSize()->y;
}

}  // namespace rk::gfx::gfx_model_command
