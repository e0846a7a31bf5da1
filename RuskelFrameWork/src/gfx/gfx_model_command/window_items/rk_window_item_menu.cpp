#include "gfx/gfx_model_command/window_items/rk_window_item_menu.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "gfx/gfx_model_command/rk_gfx_window.h"
#include "gfx/rk_color_ops.h"
#include "kernel/rk_device_context.h"

namespace rk::gfx::gfx_model_command {

WindowItemMenu::~WindowItemMenu() {
  for (WindowItemMenuColumn* column : state_.columns) {
    column->menu = nullptr;
    delete column;
  }
}

WindowItemMenuColumn* WindowItemMenu::addColumn() {
  auto* column = new WindowItemMenuColumn(this);
  state_.columns.push_back(column);
  return column;
}

WindowItemControlBar* WindowItemMenu::addControlBar() {
  auto* bar = new WindowItemControlBar(this);
  state_.columns.push_back(bar);
  return bar;
}

bool WindowItemMenu::removeColumn(WindowItemMenuColumn* column) {
  auto& columns = state_.columns;
  auto it = std::find(columns.begin(), columns.end(), column);
  if (it == columns.end()) return false;
  columns.erase(it);
  delete column;
  return true;
}

float WindowItemMenu::rowHeight() {
  if (!owner()) return 0.0f;
  auto adapter = owner()->resolveFontAt(this);
  return adapter ? adapter->getFontSize()->y : 0.0f;
}

void WindowItemMenu::moveCursor(std::uint32_t index, float duration) {
  MenuState& m = state_;
  m.previous = m.cursor;
  m.cursor = index;
  m.cursor_pos = static_cast<float>(m.previous);
  if (m.cursor == m.previous) {
    m.animating = false;
    return;
  }
  m.animating = true;
  m.duration = duration;
  m.elapsed = 0.0f;
  font::FontRect extent;
  layout(&extent);
  m.start_org = owner() ? owner()->impl().org_ : math::Vector4{};
  m.target_org = calcScrollTarget();
}

bool WindowItemMenu::animateCursor(float dt) {
  MenuState& m = state_;
  if (m.animating) {
    m.elapsed += dt;
    float t = m.duration > 0.0f ? m.elapsed / m.duration : 1.0f;
    if (!(t < 1.0f)) {
      t = 1.0f;
      m.animating = false;
    }
    m.cursor_pos = static_cast<float>(m.previous) +
                   (static_cast<float>(m.cursor) - static_cast<float>(m.previous)) * t;
    if (owner()) {
      math::Vector4& org = owner()->impl().org_;
      org.x = m.start_org.x + (m.target_org.x - m.start_org.x) * t;
      org.y = m.start_org.y + (m.target_org.y - m.start_org.y) * t;
      org.z = m.start_org.z + (m.target_org.z - m.start_org.z) * t;
      org.w = m.start_org.w + (m.target_org.w - m.start_org.w) * t;
    }
  }
  return !m.animating;
}

// The direction is the sign of index - cursor as a signed difference, so -1
// from 0 is one step down. Every line of the way is one completed move, but a
// stretch of lines whose moves leave the window's origin where it is, is
// crossed at once: only the cursor changes there, so the result is the same
// and a far index costs no more than the menu's own lines.
void WindowItemMenu::setCursor(std::uint32_t index) {
  auto step = [this](std::uint32_t c) {
    moveCursor(c, 1.0f);
    state_.elapsed = state_.duration;
    animateCursor(0.0f);
  };
  const bool up = static_cast<std::int32_t>(index - state_.cursor) > 0;
  for (std::uint32_t c = state_.cursor; c != index; c = up ? c + 1 : c - 1) {
    step(c);
    c = quietStretchEnd(c, index, up);
    state_.cursor = c;
  }
  step(index);
}

// The lines after `c` towards `index` (not `index` itself) whose moves keep
// the origin: the last of them, or `c` when the next move may scroll. Mirrors
// calcScrollTarget for the two far ends of a path, where nothing is left to
// scroll.
std::uint32_t WindowItemMenu::quietStretchEnd(std::uint32_t c, std::uint32_t index, bool up) {
  const std::uint32_t last = up ? index - 1 : index + 1;  // the last line before index
  if (c == last) return c;
  if (!owner()) return last;  // no window: no move scrolls anything
  const float fh = rowHeight();
  const float orgY = owner()->impl().org_.y;
  const long n = static_cast<long>(state_.columns.size());
  if (fh > 0.0f && visibleRows(fh) >= n && orgY != 0.0f) return c;
  if (up) {
    // Going up the unsigned range without wrapping past its top: every move
    // to a line at or past the last column aims at the bottom of the list.
    const std::uint32_t end = index > c ? last : 0xFFFFFFFFu;
    if (end == c) return c;
    if (!(fh > 0.0f) || visibleRows(fh) >= n) return end;
    if (static_cast<long>(c) + 2 < n) return c;
    return orgY == static_cast<float>(n - visibleRows(fh)) * fh ? end : c;
  }
  // Going down, without reaching line 0: a move scrolls only onto a line at
  // or above the top visible one.
  if (c <= 1) return c;
  std::uint32_t end = index < c ? last : 1u;
  if (!(fh > 0.0f) || visibleRows(fh) >= n) return end < c ? end : c;
  const long top = static_cast<long>(orgY / fh);
  const long floor = std::max(top + 1, 1L);
  if (static_cast<long>(c) - 1 < floor) return c;
  if (static_cast<long>(end) < floor) end = static_cast<std::uint32_t>(floor);
  return end < c ? end : c;
}

long WindowItemMenu::visibleRows(float fh) {
  const float exact = owner()->impl().size_.y / fh;
  const float whole = std::floor(exact);
  return static_cast<long>(exact - whole > FLT_EPSILON ? whole + 1 : whole);
}

void WindowItemMenu::layout(font::FontRect* out) {
  font::FontRect bound{0, 0, 0, 0};
  const float fh = rowHeight();
  for (std::size_t i = 0; i < state_.columns.size(); ++i) {
    font::FontRect r{0, 0, 0, 0};
    state_.columns[i]->measure(&r, state_.columns[i]->name);
    bound.left = std::min(bound.left, r.left);
    bound.right = std::max(bound.right, r.right);
    bound.top = std::min(bound.top, static_cast<std::int32_t>(static_cast<float>(i) * fh));
    bound.bottom = std::max(bound.bottom, static_cast<std::int32_t>(static_cast<float>(i + 1) * fh));
  }
  if (out) *out = bound;
}

math::Vector4 WindowItemMenu::calcScrollTarget() {
  if (!owner()) return math::Vector4{};
  const math::Vector4 org = owner()->impl().org_;
  const float fh = rowHeight();
  if (!(fh > 0.0f)) return org;
  const long rows = visibleRows(fh);
  const long n = static_cast<long>(state_.columns.size());
  const long top = static_cast<long>(org.y / fh);
  const long cursor = static_cast<long>(state_.cursor), previous = static_cast<long>(state_.previous);
  math::Vector4 target = org;
  if (n <= rows) {
    target.y = 0.0f;
  } else if (previous < cursor) {
    if (cursor + 1 >= n)
      target.y = static_cast<float>(n - rows) * fh;
    else if (top - cursor + rows == 1)
      target.y = static_cast<float>(top + 1) * fh;
  } else if (previous > cursor) {
    if (cursor == 0)
      target.y = 0.0f;
    else if (cursor - top < 1 && top != 0)
      target.y = static_cast<float>(cursor - 1) * fh;
  }
  return target;
}

void WindowItemMenu::execute(WindowContext& context) {
  for (std::size_t i = 0; i < state_.columns.size(); ++i)
    state_.columns[i]->draw(context, 0, -static_cast<std::int32_t>(i));
  DeviceContext* device = DeviceContext::getInstance();
  device->setTexture(nullptr);

  // The cursor bar over its row, transparent along its middle.
  const Color bar = colorFromArgb(state_.cursor_color) * context.base_color;
  const Color clear(bar.getR(), bar.getG(), bar.getB(), 0.0f);
  const std::uint32_t solid = colorToArgb(bar), faded = colorToArgb(clear);
  const float fh = context.fontHeight();
  const float y = (state_.animating ? state_.cursor_pos : static_cast<float>(state_.cursor)) * fh;
  const float w = context.size.x, ox = context.origin.x, oy = context.origin.y;
  const LineVertex strip[6] = {
      {1 + ox, -y - 1 + oy, 0, solid},           {w - 1 + ox, -y - 1 + oy, 0, solid},
      {1 + ox, (-fh - 1) / 2 - y + oy, 0, faded}, {w - 1 + ox, (-fh - 1) / 2 - y + oy, 0, faded},
      {1 + ox, -y - fh - 1 + oy, 0, solid},      {w - 1 + ox, -y - fh - 1 + oy, 0, solid},
  };
  device->setColorStateRGBA(false, device->colorState());
  context.drawColorStrip(strip, 6);
}

}  // namespace rk::gfx::gfx_model_command
