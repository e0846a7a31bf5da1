#include "beam.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace beam {
namespace {

bool readColour(std::istringstream& fields, std::uint8_t (&colour)[3]) {
  int c[3] = {-1, -1, -1};
  fields >> c[0] >> c[1] >> c[2];
  if (!fields) return false;
  for (int i = 0; i < 3; ++i) {
    if (c[i] < 0 || c[i] > 255) return false;
    colour[i] = static_cast<std::uint8_t>(c[i]);
  }
  return true;
}

std::uint8_t toByte(float v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

}  // namespace

bool parse(const std::vector<std::string>& lines, Description& out, std::string& error) {
  bool band = false;
  for (const std::string& line : lines) {
    std::istringstream fields(line);
    std::string kind;
    fields >> kind;
    bool ok = true;
    if (kind == "size") {
      fields >> out.size;
      ok = fields && out.size >= 4 && out.size <= 4096;
    } else if (kind == "band") {
      fields >> out.u0 >> out.u1;
      ok = fields && out.u0 >= 0.0f && out.u0 < out.u1 && out.u1 <= 1.0f;
      band = ok;
    } else if (kind == "core") {
      ok = readColour(fields, out.core);
    } else if (kind == "halo") {
      ok = readColour(fields, out.halo);
    } else if (kind == "pulse") {
      fields >> out.pulseCount >> out.pulseDepth;
      ok = fields && out.pulseCount >= 0 && out.pulseDepth >= 0.0f && out.pulseDepth <= 1.0f;
    } else {
      ok = false;
    }
    if (!ok) {
      error = "bad beam line: " + line;
      return false;
    }
  }
  if (out.size == 0 || !band) {
    error = "the beam needs a size and a band";
    return false;
  }
  return true;
}

rktools::Image draw(const Description& d) {
  rktools::Image image(d.size, d.size);
  const float centre = 0.5f * (d.u0 + d.u1);
  const float half = 0.5f * (d.u1 - d.u0);
  const float pi = 3.14159265f;
  for (std::uint32_t y = 0; y < d.size; ++y) {
    const float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(d.size);
    const float pulse = 1.0f - d.pulseDepth * 0.5f * (1.0f - std::cos(2.0f * pi * d.pulseCount * v));
    for (std::uint32_t x = 0; x < d.size; ++x) {
      const float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(d.size);
      const float across = std::fabs(u - centre) / half;  // 0 at the centre line, 1 at the band's edge
      std::uint8_t* p = image.at(x, y);
      // Clear texels keep the halo colour, so filtering at the edge does not darken it.
      float glow = 0.0f, core = 0.0f;
      if (across < 1.0f) {
        glow = 0.5f * (1.0f + std::cos(pi * across));  // soft, reaching zero at the edge
        core = std::exp(-(across / 0.25f) * (across / 0.25f));
      }
      for (int c = 0; c < 3; ++c)
        p[c] = toByte((d.halo[c] + (d.core[c] - d.halo[c]) * core) / 255.0f);
      p[3] = toByte(glow * pulse);
    }
  }
  return image;
}

}  // namespace beam
