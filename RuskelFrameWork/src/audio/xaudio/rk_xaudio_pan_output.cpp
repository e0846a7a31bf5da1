#include "audio/xaudio/rk_xaudio_pan_output.h"

#include <algorithm>
#include <cmath>

#include "audio/rk_audio_context.h"

namespace rk::audio {

namespace {

enum class Side { None, Left, Right, Whole };

struct PanEntry {
  int index;
  Side side;
};

// The matrix entries a pan writes for a speaker mask: left speakers get the left
// gain, right speakers the right gain, the one speaker of a mono layout all of it.
struct PanLayout {
  std::uint32_t mask;
  int count;
  PanEntry entries[6];
};

constexpr Side L = Side::Left;
constexpr Side R = Side::Right;

const PanLayout kLayouts[] = {
    {3, 2, {{0, L}, {1, R}}},                                  // stereo
    {4, 1, {{0, Side::Whole}}},                                // mono
    {11, 2, {{0, L}, {1, R}}},                                 // 2.1
    {51, 4, {{0, L}, {1, R}, {2, L}, {3, R}}},                 // quad
    {59, 4, {{0, L}, {1, R}, {3, L}, {4, R}}},                 // 4.1
    {63, 4, {{0, L}, {1, R}, {4, L}, {5, R}}},                 // 5.1
    {255, 4, {{0, L}, {1, R}, {4, L}, {5, R}}},                // 7.1 wide
    {263, 2, {{0, L}, {1, R}}},                                // surround
    {1551, 4, {{0, L}, {1, R}, {4, L}, {5, R}}},               // 5.1 side
    {1599, 6, {{0, L}, {1, R}, {4, L}, {5, R}, {6, L}, {7, R}}},  // 7.1 surround
};

// Any other layout with both front speakers pans over that pair (they are always
// its first two channels), rather than leaving every sound effect silent.
const PanLayout kFrontPair = {0, 2, {{0, L}, {1, R}}};

const PanLayout* layoutFor(std::uint32_t mask) {
  for (const PanLayout& layout : kLayouts)
    if (layout.mask == mask) return &layout;
  const std::uint32_t front = host::audio::SPEAKER_FRONT_LEFT | host::audio::SPEAKER_FRONT_RIGHT;
  return (mask & front) == front ? &kFrontPair : nullptr;
}

Side sideOf(const PanLayout* layout, std::uint32_t speaker) {
  if (!layout) return Side::None;
  for (int i = 0; i < layout->count; ++i)
    if (layout->entries[i].index == static_cast<int>(speaker)) return layout->entries[i].side;
  return Side::None;
}

}  // namespace

void XAudioPanOutput::createSwapBuffer(const SwapBufferDesc& desc) {
  // A pan given before the sound opened (a one-shot's, a handle's) is kept for
  // the new voice rather than lost to the centre.
  const float wanted = std::isnan(pan_) ? 0.0f : std::clamp(pan_, -1.0f, 1.0f);
  XAudioNormalOutput::createSwapBuffer(desc);
  std::fill(std::begin(matrix_), std::end(matrix_), 0.0f);
  source_details_ = host::audio::VoiceDetails{};
  mastering_details_ = host::audio::VoiceDetails{};
  channel_mask_ = 0;
  AudioContext* context = AudioContext::getInstance();
  if (voice_ && context && context->getMasteringVoice()) {
    voice_->getVoiceDetails(&source_details_);
    context->getMasteringVoice()->getVoiceDetails(&mastering_details_);
    context->getMasteringVoice()->getChannelMask(&channel_mask_);
  }
  // A value no pan can have, so that the pan below is applied.
  pan_ = -2.0f;
  setPan(wanted);
}

void XAudioPanOutput::setPan(float pan) {
  if (pan == pan_) return;
  pan_ = pan;
  // Gains stay within 0..1: an out-of-range pan is taken as the nearest side, and
  // a pan that is not a number (a 3D sound on the camera plane) as the centre.
  const float p = std::isnan(pan) ? 0.0f : std::clamp(pan, -1.0f, 1.0f);
  const float left = 0.5f - 0.5f * p;
  const float right = 0.5f + 0.5f * p;
  if (const PanLayout* layout = layoutFor(channel_mask_)) {
    for (int i = 0; i < layout->count; ++i) {
      const PanEntry& entry = layout->entries[i];
      matrix_[entry.index] = entry.side == L ? left : entry.side == R ? right : 1.0f;
    }
  }
  sendMatrix();
}

// The matrix holds one gain per speaker. A one-channel source takes it as it is;
// a source with more channels sends its left channel to the left speakers and its
// right channel to the right ones (a mono speaker gets the average), so that a
// stereo sound keeps both sides.
void XAudioPanOutput::sendMatrix() {
  if (!voice_) return;
  const std::uint32_t sources = source_details_.inputChannels;
  const std::uint32_t speakers = mastering_details_.inputChannels;
  if (sources == 0 || sources > host::audio::kMaxSourceChannels || speakers == 0 || speakers > 8) return;
  float levels[8 * host::audio::kMaxSourceChannels] = {};
  const PanLayout* layout = layoutFor(channel_mask_);
  for (std::uint32_t d = 0; d < speakers; ++d) {
    float* row = levels + d * sources;
    if (sources == 1) {
      row[0] = matrix_[d];
      continue;
    }
    switch (sideOf(layout, d)) {
      case Side::Left: row[0] = matrix_[d]; break;
      case Side::Right: row[1] = matrix_[d]; break;
      case Side::Whole:
        for (std::uint32_t s = 0; s < sources; ++s) row[s] = matrix_[d] / static_cast<float>(sources);
        break;
      case Side::None: break;
    }
  }
  voice_->setOutputMatrix(nullptr, sources, speakers, levels, 0);
}

bool XAudioPanOutput::getPosition(math::Vector4* position) const {
  if (position) *position = position_;
  return true;
}

}  // namespace rk::audio
