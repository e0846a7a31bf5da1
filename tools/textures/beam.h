// The glowing beam strip of the range attack, drawn from a short description
// (data/hud/beam.txt documents its lines).
#pragma once
#include <string>
#include <vector>

#include "lib/dds_writer.h"

namespace beam {

struct Description {
  std::uint32_t size = 0;
  float u0 = 0.0f, u1 = 0.0f;  // the band across, in texture coordinates
  std::uint8_t core[3] = {255, 255, 255};
  std::uint8_t halo[3] = {255, 255, 255};
  int pulseCount = 0;
  float pulseDepth = 0.0f;
};

// Reads the description's lines (comments and blank lines already dropped);
// false with a message for a bad or missing line.
bool parse(const std::vector<std::string>& lines, Description& out, std::string& error);

// The texture: inside the band, opaque-white-to-halo at the centre line fading
// to clear at its edges; clear outside the band.
rktools::Image draw(const Description& description);

}  // namespace beam
