// An output over one source voice of the audio context's engine, without panning:
// the music players' output, and the base of the panning sound-effect output.
#pragma once
#include <cstdint>
#include <vector>

#include "audio/xaudio/rk_audio_destination.h"

namespace rk::audio {

class XAudioNormalOutput : public IAudiodDstination {
 public:
  XAudioNormalOutput() = default;
  // Destroys a voice that is still there.
  ~XAudioNormalOutput() override;
  XAudioNormalOutput(const XAudioNormalOutput&) = delete;
  XAudioNormalOutput& operator=(const XAudioNormalOutput&) = delete;

  // Throws HrException when the engine refuses the voice.
  void createSwapBuffer(const SwapBufferDesc& desc) override;
  void release() override;
  void stop() override;
  void restore(int) override {}
  int getQueuedBufferCount() override;
  void setPan(float) override {}
  void setVolume(float volume) override;
  // Starts the voice; the flags are not used.
  void start(std::uint32_t flags) override;
  host::HResult lockBuffer(std::uint32_t, std::uint32_t, void** pointer, std::uint32_t* length) override;
  void unlockBuffer() override {}
  void setPosition(const math::Vector4&) override {}
  bool getPosition(math::Vector4*) const override { return false; }
  void allocSwapBuffers(std::uint32_t size) override;
  std::uint32_t getWriteBuffer(std::uint8_t** pointer) override;
  void pushQueue(const std::uint8_t* data, std::uint32_t bytes) override;
  void swapBuffer() override;

  host::audio::SourceVoice* voice() const { return voice_; }
  int currentBuffer() const { return current_; }
  std::uint32_t bufferSize() const { return buffer_size_; }

 protected:
  host::audio::SourceVoice* voice_ = nullptr;
  std::vector<std::uint8_t> buffers_[2];
  int current_ = 0;
  std::uint32_t buffer_size_ = 0;
};

}  // namespace rk::audio
