// Ogg Vorbis files made with libvorbisenc from a signal given per channel and
// frame, with free comments (the loop points "LOOPSTART=" and "LOOPLENGTH=",
// in frames, among them).
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace rktools {

struct OggInput {
  int channels = 1;
  long rate = 44100;
  long frames = 44100;
  float quality = 0.3f;  // variable bit rate, -0.1 .. 1
  std::vector<std::string> comments;
  // Sample of a channel at a frame, -1..1. Silence when empty.
  std::function<float(int channel, long frame)> signal;
  int serial = 1;
};

// The whole file; empty when the encoder refuses the channel count or rate.
std::string encodeOgg(const OggInput& input);

}  // namespace rktools
