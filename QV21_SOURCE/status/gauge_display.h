// The values and quads of the status display's bar gauges: a title strip
// chosen by the gauge type, a frame and a fill as long as now / max, all from
// the 512 x 512 atlas "textures/gauge.tga" and tinted by the gauge's colour.
// The X-field gauge's shown value climbs toward a target.
#pragma once
#include <cstdint>
#include <vector>

#include "gfx/rk_color.h"
#include "status/hud_vertex.h"

namespace status {

constexpr const char* kGaugeTexture = "textures/gauge.tga";

struct GaugeValue {
  float now_ = 100.0f;
  float max_ = 100.0f;
  rk::gfx::Color color_{0.0f, 1.0f, 0.0f, 1.0f};  // opaque green
  std::uint32_t gauge_type_ = 0;                   // title strip 0..3

  // now := the value clamped to 0..max.
  void setNow(float value);
  // The four bytes' low 8 bits over 255, given alpha first.
  void setColor(std::uint32_t alpha, std::uint32_t red, std::uint32_t green, std::uint32_t blue);
  // now / max; 0 when max is not above 0.
  float fraction() const;
};

// Three quads of four vertices (title strip, frame, fill), each 16 units high
// and 256 × width scale wide: the title at y 0, frame and fill right below
// it. A type above 3 has no title: its quad has no area.
std::vector<HudVertex> buildGaugeQuads(const GaugeValue& gauge);

// The X-field gauge: a gauge of type 1 whose shown value climbs toward its target.
struct XFieldValue {
  GaugeValue gauge{100.0f, 100.0f, {0.0f, 1.0f, 0.0f, 1.0f}, 1};
  float target_now_ = 100.0f;

  // Shown value and target := the value clamped to 0..max.
  void setNowFieldGauge(float value);
  // One step: at least 20 units a second, faster while far below the target;
  // never past the target, always inside 0..max.
  void run(float dt);
  // target := min(target + gain, max).
  void charge(float gain);
};

// The shield: maximum and current value, written by the player's body.
struct ShieldValue {
  float max_ = 100.0f;
  float now_ = 100.0f;
  void setNow(float value);
  float calcLerp() const { return now_ / max_; }
};

}  // namespace status
