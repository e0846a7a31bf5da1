#include "gfx/gfx_model_command/window_items/rk_window_item.h"

#include <algorithm>
#include <cmath>

#include "font/rk_font.h"
#include "gfx/gfx_model_command/rk_gfx_window.h"
#include "gfx/rk_color_ops.h"
#include "kernel/rk_device_context.h"
#include "math/rk_matrix.h"
#include "math/rk_transformation.h"

namespace rk::gfx::gfx_model_command {

WindowItemAdapter::WindowItemAdapter(GfxWindow* owner) : owner_(owner) {
  if (owner_) owner_->attach(this);
}

WindowItemAdapter::~WindowItemAdapter() {
  if (owner_) owner_->forget(this);
}

void WindowItemString::execute(WindowContext& context) {
  if (!context.font) return;
  context.font->stringPrint(&context, static_cast<int>(context.locate.x), static_cast<int>(context.locate.y),
                            record_.text.c_str());
}

void WindowItemString::calcSize() {
  DeviceContext* device = DeviceContext::getInstance();
  const auto& listFont = device->font(2);
  if (!listFont) return;
  if (owner()) listFont->setFontSizePx(owner()->impl().item_font_size_);
  font::FontRect rect;
  listFont->getStringRectFormat(&rect, 0, 0, "%s", record_.text.c_str());
  record_.size = math::Vector4{static_cast<float>(rect.right - rect.left), static_cast<float>(rect.bottom - rect.top),
                               0.0f, 0.0f};
  if (owner()) {
    owner()->impl().size_.x = record_.size.x;
    owner()->impl().size_.y = record_.size.y;
  }
}

void WindowItemFontAdapter::execute(WindowContext& context) {
  if (context.font) context.font->swapFontAdapter(adapter_);
}

namespace {
Color lerp(const Color& a, const Color& b, float t) {
  return Color(a.getR() + (b.getR() - a.getR()) * t, a.getG() + (b.getG() - a.getG()) * t,
               a.getB() + (b.getB() - a.getB()) * t, a.getA() + (b.getA() - a.getA()) * t);
}
}  // namespace

void WindowItemGauge::vertices(const WindowContext& context, LineVertex out[6]) const {
  const Record& g = record_;
  const Color& base = context.base_color;
  float ratio = g.max != 0.0f ? g.now / g.max : 0.0f;
  ratio = std::clamp(std::isnan(ratio) ? 0.0f : ratio, 0.0f, 1.0f);
  const float length = ratio * g.display_max, w = g.width;
  const Color lowerB = g.lower_color * base, upperB = g.upper_color * base;
  const Color lowerK = g.lower_color * g.shade_color * base, upperK = g.upper_color * g.shade_color * base;
  const std::uint32_t c0 = colorToArgb(lowerB), c1 = colorToArgb(lerp(lowerB, upperB, ratio));
  const std::uint32_t c2 = colorToArgb(lowerK), c3 = colorToArgb(lerp(lowerK, upperK, ratio));
  const float xs[6] = {0, length, 0, length, 0, length};
  const float ys[6] = {0, 0, -w / 2, -w / 2, -w, -w};
  const std::uint32_t cs[6] = {c0, c1, c2, c3, c0, c1};

  float roll = 0.0f;
  switch (g.type) {
    case 0: roll = 1.5707964f; break;
    case 1: roll = -1.5707964f; break;
    case 3: roll = 3.1415927f; break;
    default: break;
  }
  math::Transformation transform;
  transform.resetTransform();
  transform.setRotCenter(math::Vector4{g.display_max / 2, -w / 2, 0.0f, 0.0f});
  transform.setYawPitchRoll(0.0f, 0.0f, roll);
  transform.buildMatrix();
  for (int i = 0; i < 6; ++i) {
    const math::Vector4 p = math::vec3TransformCoord(math::Vector4{xs[i], ys[i], 0.0f, 1.0f}, transform.getMatrix());
    out[i] = {p.x + context.origin.x, p.y + context.origin.y, 0.0f, cs[i]};
  }
}

void WindowItemGauge::execute(WindowContext& context) {
  LineVertex bar[6];
  vertices(context, bar);
  context.drawColorStrip(bar, 6);
}

}  // namespace rk::gfx::gfx_model_command
