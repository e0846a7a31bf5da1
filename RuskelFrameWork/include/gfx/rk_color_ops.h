// Colour arithmetic of the 2D drawing code: component-wise products and the
// packing into ARGB words.
#pragma once
#include <cstdint>

#include "gfx/rk_color.h"

namespace rk::gfx {

inline Color operator*(const Color& a, const Color& b) {
  return Color(a.getR() * b.getR(), a.getG() * b.getG(), a.getB() * b.getB(), a.getA() * b.getA());
}

// Each channel × 255, truncated; alpha in the top byte.
inline std::uint32_t argbFromColor(const Color& c) {
  auto byte = [](float v) { return static_cast<std::uint32_t>(v * 255.0f) & 0xFFu; };
  return byte(c.getA()) << 24 | byte(c.getR()) << 16 | byte(c.getG()) << 8 | byte(c.getB());
}

}  // namespace rk::gfx
