// The sound effects' output: a voice output that pans left and right through the
// voice's output matrix and keeps the 3D position of its sound.
#pragma once
#include <cstdint>

#include "audio/xaudio/rk_xaudio_normal_output.h"

namespace rk::audio {

class XAudioPanOutput : public XAudioNormalOutput {
 public:
  // Creates the voice, then pans it as last asked (the centre for a new output).
  void createSwapBuffer(const SwapBufferDesc& desc) override;
  // -1 left, 0 centre (0.5 to each side), 1 right. The matrix holds one entry per
  // speaker, by the mastering voice's channel mask; it is sent to the voice only
  // when the pan changes.
  void setPan(float pan) override;
  void setPosition(const math::Vector4& position) override { position_ = position; }
  bool getPosition(math::Vector4* position) const override;

  float pan() const { return pan_; }
  const float* matrix() const { return matrix_; }
  std::uint32_t channelMask() const { return channel_mask_; }

 private:
  void sendMatrix();

  std::uint32_t channel_mask_ = 0;
  host::audio::VoiceDetails source_details_;
  host::audio::VoiceDetails mastering_details_;
  float matrix_[8] = {};
  float pan_ = 0.0f;
  math::Vector4 position_ = {0.0f, 0.0f, 0.0f, 0.0f};
};

}  // namespace rk::audio
