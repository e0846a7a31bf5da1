// A vertex of the status display's textured quads: position in the owning
// model's space (z and w are 0), texture coordinate and colour.
#pragma once
#include <cstdint>
#include <vector>

#include "gfx/rk_color.h"

namespace status {

struct HudVertex {
  float x = 0, y = 0;
  float u = 0, v = 0;
  rk::gfx::Color color;
};

// Two triangles per quad of four vertices: 4k, 4k+1, 4k+2, 4k+2, 4k+1, 4k+3.
std::vector<std::uint32_t> quadIndices(std::size_t quads);

}  // namespace status
