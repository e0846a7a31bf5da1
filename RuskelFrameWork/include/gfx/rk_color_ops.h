// Colour arithmetic of the 2D drawing code: the component-wise product.
#pragma once
#include "gfx/rk_color.h"

namespace rk::gfx {

inline Color operator*(const Color& a, const Color& b) {
  return Color(a.getR() * b.getR(), a.getG() * b.getG(), a.getB() * b.getB(), a.getA() * b.getA());
}

}  // namespace rk::gfx
