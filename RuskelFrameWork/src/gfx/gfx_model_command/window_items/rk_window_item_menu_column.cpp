#include "gfx/gfx_model_command/window_items/rk_window_item_menu_column.h"

#include <cmath>

#include "gfx/gfx_model_command/rk_gfx_window.h"
#include "gfx/gfx_model_command/window_items/rk_window_item_menu.h"
#include "gfx/rk_color_ops.h"

namespace rk::gfx::gfx_model_command {

void WindowItemMenuColumn::measure(font::FontRect* rect, const std::string& text) {
  if (!rect) return;
  if (fixed) {
    *rect = fixed_rect;
    return;
  }
  GfxWindow* window = menu ? menu->owner() : nullptr;
  if (!window) return;
  const auto& windowFont = window->impl().font_;
  const auto previous = windowFont->adapter();
  const auto adapter = window->resolveFontAt(menu);
  if (adapter) adapter->calcSize(rect, 0, 0, (text + center_name + back_name).c_str());
  windowFont->swapFontAdapter(previous);
}

void WindowItemMenuColumn::setFixedRect(bool isFixed, const font::FontRect& rect) {
  fixed = isFixed;
  fixed_rect = rect;
}

void WindowItemMenuColumn::setColumnColor(int index, std::uint32_t argb) {
  if (index == 1)
    selected_color = argb;
  else if (index == 2)
    disabled_color = argb;
  else
    normal_color = argb;
}

void WindowItemMenuColumn::draw(WindowContext& context, std::int32_t x, std::int32_t row) {
  const Color fontColor = context.font_color, baseColor = context.base_color;
  if (select_mode == 1)
    context.font_color = colorFromArgb(selected_color);
  else if (select_mode == 2)
    context.base_color = colorFromArgb(disabled_color) * context.base_color;
  else
    context.base_color = colorFromArgb(normal_color) * context.base_color;
  if (context.font) {
    context.font->stringPrint(&context, x, row, name.c_str());
    GfxWindow* window = menu ? menu->owner() : nullptr;
    const auto adapter = context.font->adapter();
    if (!back_name.empty() && window && adapter) {
      font::FontRect r;
      adapter->calcSize(&r, 0, 0, back_name.c_str());
      const float cellWidth = adapter->getFontSize()->x;
      if (cellWidth != 0.0f) {
        const float room = std::trunc(window->impl().size_.x - static_cast<float>(r.right) - static_cast<float>(r.left));
        const int column = static_cast<int>(std::trunc(room / cellWidth + static_cast<float>(x)));
        context.font->stringPrint(&context, column, row, back_name.c_str());
      }
    }
  }
  context.font_color = fontColor;
  context.base_color = baseColor;
}

}  // namespace rk::gfx::gfx_model_command
