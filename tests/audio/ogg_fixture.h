// Ogg Vorbis files made on the spot by the tools' encoder: a signal given per
// channel and frame, and free comments (the loop points among them).
#pragma once
#include "lib/ogg_encoder.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace rktest {

struct OggRecipe {
  int channels = 1;
  long rate = 44100;
  long frames = 44100;
  std::vector<std::string> comments;
  // Sample of a channel at a frame, -1..1. Default: a 440 Hz tone at half scale.
  std::function<float(int channel, long frame)> signal;
  int serial = 1;
};

inline float toneAt(long frame, long rate, float amplitude = 0.5f) {
  return amplitude * std::sin(2.0f * 3.14159265f * 440.0f * static_cast<float>(frame) / static_cast<float>(rate));
}

inline std::string makeOgg(const OggRecipe& recipe) {
  rktools::OggInput input;
  input.channels = recipe.channels;
  input.rate = recipe.rate;
  input.frames = recipe.frames;
  input.comments = recipe.comments;
  input.serial = recipe.serial;
  if (recipe.signal)
    input.signal = recipe.signal;
  else
    input.signal = [rate = recipe.rate](int, long frame) { return toneAt(frame, rate); };
  return rktools::encodeOgg(input);
}

inline std::vector<std::uint8_t> bytesOf(const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); }

}  // namespace rktest
