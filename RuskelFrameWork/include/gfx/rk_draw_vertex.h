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

}  // namespace rk::gfx
