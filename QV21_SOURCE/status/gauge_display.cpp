#include "status/gauge_display.h"

#include <algorithm>

namespace status {

namespace {

struct Rect {
  float l, t, r, b;
};

constexpr float kAtlas = 512.0f;
constexpr Rect kTitles[] = {{0, 64, 512, 96}, {0, 128, 512, 160}, {0, 192, 512, 224}, {0, 256, 512, 288}};
constexpr Rect kFrame = {0, 320, 256, 336};

float clampTo(float value, float high) { return std::max(0.0f, std::min(value, high)); }

void addQuad(std::vector<HudVertex>& out, const Rect& rect, float top, float widthScale, const rk::gfx::Color& color) {
  const float right = 256.0f * widthScale;
  out.push_back({0.0f, top, rect.l / kAtlas, rect.t / kAtlas, color});
  out.push_back({0.0f, top - 16.0f, rect.l / kAtlas, rect.b / kAtlas, color});
  out.push_back({right, top, rect.r / kAtlas, rect.t / kAtlas, color});
  out.push_back({right, top - 16.0f, rect.r / kAtlas, rect.b / kAtlas, color});
}

}  // namespace

void GaugeValue::setNow(float value) { now_ = clampTo(value, max_); }

void GaugeValue::setColor(std::uint32_t alpha, std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  color_ = rk::gfx::Color(static_cast<float>(red & 0xFF) / 255.0f, static_cast<float>(green & 0xFF) / 255.0f,
                          static_cast<float>(blue & 0xFF) / 255.0f, static_cast<float>(alpha & 0xFF) / 255.0f);
}

float GaugeValue::fraction() const { return max_ > 0.0f ? now_ / max_ : 0.0f; }

std::vector<HudVertex> buildGaugeQuads(const GaugeValue& gauge) {
  std::vector<HudVertex> out;
  if (gauge.gauge_type_ < 4)
    addQuad(out, kTitles[gauge.gauge_type_], 0.0f, 1.0f, gauge.color_);
  else
    addQuad(out, Rect{0, 0, 0, 0}, 0.0f, 0.0f, rk::gfx::Color());
  addQuad(out, kFrame, -16.0f, 1.0f, gauge.color_);
  const float fraction = gauge.fraction();
  // Truncated to whole texels; held in range so that a tiny maximum stays defined.
  const float right = static_cast<float>(static_cast<long long>(std::min(fraction * 256.0f, 1.0e9f)));
  addQuad(out, Rect{0, 384, right, 400}, -16.0f, fraction, gauge.color_);
  return out;
}

void XFieldValue::setNowFieldGauge(float value) {
  const float v = clampTo(value, gauge.max_);
  gauge.now_ = v;
  target_now_ = v;
}

void XFieldValue::run(float dt) {
  const float max = gauge.max_;
  float now = gauge.now_ + std::max(20.0f * dt, (target_now_ - gauge.now_) * dt);
  now = clampTo(now, max);
  now = std::min(now, target_now_);
  gauge.now_ = clampTo(now, max);
}

void XFieldValue::charge(float gain) { target_now_ = std::min(target_now_ + gain, gauge.max_); }

void ShieldValue::setNow(float value) { now_ = clampTo(value, max_); }

}  // namespace status
