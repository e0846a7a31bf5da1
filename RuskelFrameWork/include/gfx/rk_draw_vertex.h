// Vertex records the immediate drawing operations take. Colours are packed
// ARGB, alpha in the top byte.
#pragma once
#include <cstdint>

#include "gfx/rk_color.h"

namespace rk::gfx {

struct LineVertex {
  float x, y, z;
  std::uint32_t color;
};
struct ScreenVertex {
  float x, y, z, w;  // w is not used
  std::uint32_t color;
};
struct StripVertex {
  float x, y, z;
  std::uint32_t color;
  float u, v;
};
struct TexturedVertex {
  float x, y, z, w;  // w is not used
  std::uint32_t color;
  float u, v;
};
static_assert(sizeof(LineVertex) == 16 && sizeof(ScreenVertex) == 20);
static_assert(sizeof(StripVertex) == 24 && sizeof(TexturedVertex) == 28);

// Packed ARGB as (R, G, B, A) in 0..1.
inline Color colorFromArgb(std::uint32_t argb) {
  return Color(static_cast<float>((argb >> 16) & 0xFF) / 255.0f, static_cast<float>((argb >> 8) & 0xFF) / 255.0f,
               static_cast<float>(argb & 0xFF) / 255.0f, static_cast<float>((argb >> 24) & 0xFF) / 255.0f);
}

}  // namespace rk::gfx
