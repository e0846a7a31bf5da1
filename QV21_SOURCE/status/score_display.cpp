#include "status/score_display.h"

#include <cstdio>

namespace status {

std::vector<std::uint32_t> quadIndices(std::size_t quads) {
  std::vector<std::uint32_t> out;
  out.reserve(quads * 6);
  for (std::uint32_t k = 0; k < quads; ++k)
    for (std::uint32_t i : {0u, 1u, 2u, 2u, 1u, 3u}) out.push_back(4 * k + i);
  return out;
}

std::string formatScore(std::uint32_t score) {
  // Unsigned: every stored score formats as digits (a signed format would turn
  // scores past 2^31 into a minus sign, which has no cell in the atlas).
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%9.9u", score);
  return buffer;
}

std::vector<HudVertex> buildScoreQuads(const std::string& digits) {
  const rk::gfx::Color white(1.0f, 1.0f, 1.0f, 1.0f);
  const rk::gfx::Color grey(64.0f / 255.0f, 64.0f / 255.0f, 64.0f / 255.0f, 1.0f);
  std::vector<HudVertex> out;
  bool whiteSeen = false;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    const int d = digits[i] - '0';
    whiteSeen = whiteSeen || d != 0 || i + 1 == digits.size();
    const rk::gfx::Color color = whiteSeen ? white : grey;
    const float u = 0.25f * static_cast<float>(d % 4), v = 0.25f * static_cast<float>(d / 4);
    const float x = 64.0f * static_cast<float>(i);
    out.push_back({x, 0.0f, u, v, color});
    out.push_back({x, -64.0f, u, v + 0.25f, color});
    out.push_back({x + 64.0f, 0.0f, u + 0.25f, v, color});
    out.push_back({x + 64.0f, -64.0f, u + 0.25f, v + 0.25f, color});
  }
  return out;
}

}  // namespace status
