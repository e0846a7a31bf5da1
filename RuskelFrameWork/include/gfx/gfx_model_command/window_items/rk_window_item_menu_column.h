// One row of a window menu: a name printed in the colour of its select mode,
// and an optional back name right-aligned in the window. A control bar is a
// column that also stores a value.
#pragma once
#include <cstdint>
#include <string>

#include "font/rk_font.h"
#include "gfx/gfx_model_command/rk_window_context.h"
#include "script/rk_lua_object.h"

namespace rk::gfx::gfx_model_command {

class WindowItemMenu;

class WindowItemMenuColumn {
 public:
  explicit WindowItemMenuColumn(WindowItemMenu* menu) : menu(menu) {}
  virtual ~WindowItemMenuColumn() = default;
  WindowItemMenuColumn(const WindowItemMenuColumn&) = delete;
  WindowItemMenuColumn& operator=(const WindowItemMenuColumn&) = delete;

  // The fixed rectangle, or the text with the centre and back names measured
  // with the font in effect at the menu.
  virtual void measure(font::FontRect* rect, const std::string& text);
  virtual void setFixedRect(bool fixed, const font::FontRect& rect);
  // Prints the row at cell (x, row).
  virtual void draw(WindowContext& context, std::int32_t x, std::int32_t row);

  // 1 selects `selected_color`, 2 `disabled_color`, anything else `normal_color`.
  void setColumnColor(int index, std::uint32_t argb);

  WindowItemMenu* menu;  // null once the menu is gone
  std::string name, center_name, back_name;
  std::int32_t select_mode = 0;
  std::uint32_t normal_color = 0xFFFFFFFFu;
  std::uint32_t disabled_color = 0xFF404040u;
  std::uint32_t selected_color = 0xFFFF0000u;
  bool fixed = false;
  font::FontRect fixed_rect{};
  // Script objects of the column: the menu destroys its columns, and those
  // objects then read null instead of a destroyed column.
  script::LuaObjectLinks links;
};

class WindowItemControlBar : public WindowItemMenuColumn {
 public:
  using WindowItemMenuColumn::WindowItemMenuColumn;
  struct Value {
    float value = 100.0f, min = 0.0f, max = 100.0f;
  };
  Value value;
};

}  // namespace rk::gfx::gfx_model_command
