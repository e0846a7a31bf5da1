// One record of the entry-SE list: a sound that game code asks the scripts to
// play, with where it happens. The list is main-thread state of the audio
// context; the audio engine itself never reads it.
#pragma once
#include <cstdint>
#include <string>

#include "math/rk_vector.h"

namespace rk::audio {

struct SEEntry {
  std::string name;  // the sound file name
  math::Vector4 position = {0.0f, 0.0f, 0.0f, 0.0f};
  float volume = 1.0f;
  std::uint8_t flag = 0;  // carried for the scripts
};

}  // namespace rk::audio
