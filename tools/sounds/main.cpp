// sounds: synthesises the game's sound effects and music as Ogg Vorbis files.
//
//   sounds -o OUTDIR RECIPES.txt
//       Writes every file RECIPES.txt names under OUTDIR.
//       Lines (after '#' comments and blank lines):
//         se PATH SECONDS START_HZ END_HZ DECAY NOISE
//             mono: a sine swept from START_HZ to END_HZ mixed with white noise
//             (NOISE 0..1 of the mix), fading as exp(-DECAY * t)
//         music PATH SECONDS INTRO_SECONDS BPM
//             stereo: a held chord for the intro, then an arpeggio loop; the
//             comments LOOPSTART and LOOPLENGTH (in frames) mark the part
//             after the intro as the loop
#include <algorithm>
#include <cmath>
#include <memory>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "lib/dds_writer.h"
#include "lib/ogg_encoder.h"

namespace {

constexpr long kRate = 44100;
constexpr float kTwoPi = 6.28318531f;

// A repeatable noise source, so that every build makes the same files.
class Noise {
 public:
  explicit Noise(std::uint32_t seed) : state_(seed) {}
  float next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<float>(state_ >> 8) / 8388608.0f - 1.0f;
  }

 private:
  std::uint32_t state_;
};

rktools::OggInput effect(double seconds, float startHz, float endHz, float decay, float noiseMix, std::uint32_t seed) {
  rktools::OggInput input;
  input.channels = 1;
  input.rate = kRate;
  input.frames = static_cast<long>(seconds * kRate);
  auto noise = std::make_shared<Noise>(seed);
  auto phase = std::make_shared<float>(0.0f);
  const float length = static_cast<float>(seconds);
  input.signal = [=](int, long frame) {
    const float t = static_cast<float>(frame) / kRate;
    const float hz = startHz + (endHz - startHz) * (t / length);
    *phase += kTwoPi * hz / kRate;
    const float tone = std::sin(*phase);
    const float envelope = std::exp(-decay * t) * std::min(1.0f, t * 400.0f);
    return 0.8f * envelope * ((1.0f - noiseMix) * tone + noiseMix * noise->next());
  };
  return input;
}

float noteHz(int semitonesFromA4) { return 440.0f * std::pow(2.0f, semitonesFromA4 / 12.0f); }

rktools::OggInput music(double seconds, double introSeconds, double bpm) {
  rktools::OggInput input;
  input.channels = 2;
  input.rate = kRate;
  input.frames = static_cast<long>(seconds * kRate);
  const long intro = static_cast<long>(introSeconds * kRate);
  input.comments = {"TITLE=stage loop", "LOOPSTART=" + std::to_string(intro),
                   "LOOPLENGTH=" + std::to_string(input.frames - intro)};
  const long step = static_cast<long>(60.0 / bpm / 2.0 * kRate);  // eighth notes
  // A minor arpeggio over two bars, then its relative major.
  const std::vector<int> arpeggio = {-12, -9, -5, 0, -5, -9, -12, -9, -16, -12, -9, -4, -9, -12, -16, -12};
  input.signal = [=](int channel, long frame) {
    const float t = static_cast<float>(frame) / kRate;
    if (frame < intro) {
      float chord = 0.0f;
      for (int note : {-24, -12, -9, -5}) chord += std::sin(kTwoPi * noteHz(note) * t);
      const float swell = static_cast<float>(frame) / static_cast<float>(intro);
      return 0.12f * swell * chord;
    }
    const long inLoop = frame - intro;
    const long index = (inLoop / step) % static_cast<long>(arpeggio.size());
    const float inNote = static_cast<float>(inLoop % step) / kRate;
    const float lead = std::sin(kTwoPi * noteHz(arpeggio[index]) * t) * std::exp(-6.0f * inNote);
    const float bass = std::sin(kTwoPi * noteHz(index < 8 ? -33 : -37) * t);
    const float pan = channel == 0 ? 0.6f : 0.4f;
    return 0.35f * lead * pan + 0.15f * bass;
  };
  return input;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out, recipes;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-o" && i + 1 < argc) out = argv[++i];
    else recipes = arg;
  }
  if (out.empty() || recipes.empty()) {
    std::fprintf(stderr, "usage: sounds -o OUTDIR RECIPES.txt\n");
    return 2;
  }
  std::ifstream in(recipes);
  if (!in) {
    std::fprintf(stderr, "sounds: cannot read %s\n", recipes.c_str());
    return 1;
  }
  std::string line;
  std::uint32_t seed = 1;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string kind, path;
    double seconds = 0;
    fields >> kind >> path >> seconds;
    rktools::OggInput input;
    if (kind == "se") {
      float startHz = 0, endHz = 0, decay = 0, noise = 0;
      fields >> startHz >> endHz >> decay >> noise;
      input = effect(seconds, startHz, endHz, decay, noise, seed++);
    } else if (kind == "music") {
      double intro = 0, bpm = 0;
      fields >> intro >> bpm;
      if (bpm <= 0 || intro >= seconds) fields.setstate(std::ios::failbit);
      input = music(seconds, intro, bpm);
    } else {
      fields.setstate(std::ios::failbit);
    }
    if (!fields || seconds <= 0) {
      std::fprintf(stderr, "sounds: bad line: %s\n", line.c_str());
      return 1;
    }
    const std::string bytes = rktools::encodeOgg(input);
    if (bytes.empty() || !rktools::writeBinaryFile(out + "/" + path, std::vector<std::uint8_t>(bytes.begin(), bytes.end()))) {
      std::fprintf(stderr, "sounds: cannot make %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
