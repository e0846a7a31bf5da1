// Float colour with channels kept in [0, 1].
#pragma once

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

}  // namespace rk::gfx
