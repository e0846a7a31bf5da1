// Float colour with channels kept in [0, 1].
#pragma once
#include <cstdint>

namespace rk::gfx {

// Constructed as (r, g, b, a). The constructor and every setter clamp each
// channel to [0, 1]; a NaN passes unchanged, since both comparisons fail.
class Color {
 public:
  Color() : c_{0.0f, 0.0f, 0.0f, 0.0f} {}
  Color(float r, float g, float b, float a) : c_{clamp(r), clamp(g), clamp(b), clamp(a)} {}

  float getR() const { return c_[0]; }
  float getG() const { return c_[1]; }
  float getB() const { return c_[2]; }
  float getA() const { return c_[3]; }
  // The four channels in order r, g, b, a, as the shaders read them.
  const float* data() const { return c_; }

  void setR(float v) { c_[0] = clamp(v); }
  void setG(float v) { c_[1] = clamp(v); }
  void setB(float v) { c_[2] = clamp(v); }
  void setA(float v) { c_[3] = clamp(v); }
  // All four channels multiplied by k, then clamped.
  void scaleClamped(float k) {
    for (float& v : c_) v = clamp(v * k);
  }

 private:
  static float clamp(float v) {
    if (v < 0.0f) return 0.0f;
    if (v > 1.0f) return 1.0f;
    return v;
  }
  float c_[4];
};
static_assert(sizeof(Color) == 16);

// Packed colours are unsigned 32-bit ARGB, alpha in the top byte. Packing
// multiplies each channel by 255 and truncates; a NaN channel packs as 0.
inline std::uint32_t colorToArgb(const Color& c) {
  auto byte = [](float v) { return v > 0.0f ? static_cast<std::uint32_t>(v * 255.0f) & 0xFFu : 0u; };
  return byte(c.getA()) << 24 | byte(c.getR()) << 16 | byte(c.getG()) << 8 | byte(c.getB());
}

// A packed ARGB colour as (R, G, B, A), each byte / 255.
inline Color colorFromArgb(std::uint32_t argb) {
  return Color(static_cast<float>((argb >> 16) & 0xFF) / 255.0f, static_cast<float>((argb >> 8) & 0xFF) / 255.0f,
               static_cast<float>(argb & 0xFF) / 255.0f, static_cast<float>((argb >> 24) & 0xFF) / 255.0f);
}

}  // namespace rk::gfx
