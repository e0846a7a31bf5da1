// A vertical menu inside a gfx window: one row per column, a cursor bar over
// the selected row that glides from row to row, and scrolling of the window
// (its org_) when the cursor leaves the visible rows. The menu reads no input:
// its owner moves the cursor by index and advances the animation.
#pragma once
#include <cstdint>
#include <vector>

#include "gfx/gfx_model_command/window_items/rk_window_item.h"
#include "gfx/gfx_model_command/window_items/rk_window_item_menu_column.h"

namespace rk::gfx::gfx_model_command {

class WindowItemMenu : public WindowItemAdapter {
 public:
  struct MenuState {
    std::uint32_t cursor = 0;
    std::uint32_t previous = 0;
    float cursor_pos = 0.0f;
    float elapsed = 0.0f;
    float duration = 0.25f;
    bool animating = false;
    std::uint32_t cursor_color = 0xFFFFFFFFu;
    math::Vector4 start_org{}, target_org{};
    std::vector<WindowItemMenuColumn*> columns;  // owned
  };

  using WindowItemAdapter::WindowItemAdapter;
  // Destroys the columns still listed.
  ~WindowItemMenu() override;

  MenuState& state() { return state_; }
  const MenuState& state() const { return state_; }

  // New columns, owned by the menu and listed at its end.
  WindowItemMenuColumn* addColumn();
  WindowItemControlBar* addControlBar();
  // Unlists and destroys a listed column; false when it is not listed.
  bool removeColumn(WindowItemMenuColumn* column);

  // Starts the cursor's move to `index` over `duration` seconds (and the scroll with it).
  void moveCursor(std::uint32_t index, float duration);
  // Advances the move; true once the cursor rests.
  bool animateCursor(float dt);
  // Moves the cursor to `index` one completed step at a time.
  void setCursor(std::uint32_t index);
  std::uint32_t getCursor() const { return state_.cursor; }
  // The menu's extent: the columns' measured widths and one row per column.
  void layout(font::FontRect* out);
  // The window origin that keeps the cursor's row visible.
  math::Vector4 calcScrollTarget();
  // The cell height of the font in effect at the menu.
  float rowHeight();

  void execute(WindowContext& context) override;

 private:
  std::uint32_t quietStretchEnd(std::uint32_t c, std::uint32_t index, bool up);
  // Rows of `fh` that the window's height shows, a part row counting whole.
  long visibleRows(float fh);

  MenuState state_;
};

}  // namespace rk::gfx::gfx_model_command
