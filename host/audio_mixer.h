// Inside the audio layer: the mixer that an engine shares with its voices, the
// voice implementations and the sinks that pull the mix.
#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "host/audio.h"

namespace host::audio::detail {

class SourceVoiceImpl;
class MasteringVoiceImpl;

// Shared by an engine and its voices, so that voices stay safe to call and to
// destroy after the engine's release. Every field is guarded by `lock`.
struct Mixer {
  std::mutex lock;
  bool engineAlive = true;
  MasteringVoiceImpl* master = nullptr;
  std::uint32_t channels = 0;
  std::uint32_t rate = 0;
  float masterVolume = 1.0f;
  std::vector<SourceVoiceImpl*> sources;

  // Takes the lock and mixes; silence without a mastering voice. Returns the
  // frames mixed (0 without a mastering voice).
  std::uint32_t render(float* out, std::uint32_t frames);
  void mixLocked(float* out, std::uint32_t frames);
};

// What pulls the mix out of the mixer: an SDL2 audio device or the null sink's
// thread. The manual sink is no sink at all. Destroying a sink stops it and waits
// until it no longer calls into the mixer.
class Sink {
 public:
  virtual ~Sink() = default;
  // Begins pulling; called once the mixer knows the layout.
  virtual void start() = 0;
};

struct SinkLayout {
  std::uint32_t channels = 0;
  std::uint32_t rate = 0;
};

// Opens the sink for a mastering voice. `requested` holds the asked-for layout
// (0 = the device's own); the layout in use is written back. Null for the manual sink.
std::unique_ptr<Sink> openSink(const std::shared_ptr<Mixer>& mixer, SinkMode mode, SinkLayout& layout);
std::unique_ptr<Sink> openNullSink(const std::shared_ptr<Mixer>& mixer, const SinkLayout& layout);

TestOptions currentTestOptions();

class MasteringVoiceImpl final : public MasteringVoice {
 public:
  MasteringVoiceImpl(std::shared_ptr<Mixer> mixer, std::unique_ptr<Sink> sink, std::uint32_t channels, std::uint32_t rate);

  void getVoiceDetails(VoiceDetails* details) const override;
  HResult setVolume(float volume, std::uint32_t operationSet) override;
  void getVolume(float* volume) const override;
  HResult setOutputMatrix(Voice*, std::uint32_t, std::uint32_t, const float*, std::uint32_t) override;
  void getOutputMatrix(Voice*, std::uint32_t, std::uint32_t, float*) const override;
  void destroyVoice() override;
  HResult getChannelMask(std::uint32_t* mask) const override;

  void startSink() {
    if (sink_) sink_->start();
  }
  // Hands the sink over to be closed outside the mixer's lock (engine release).
  std::unique_ptr<Sink> takeSink() { return std::move(sink_); }

 private:
  ~MasteringVoiceImpl() override = default;

  std::shared_ptr<Mixer> mixer_;
  std::unique_ptr<Sink> sink_;
  const std::uint32_t channels_;
  const std::uint32_t rate_;
};

class SourceVoiceImpl final : public SourceVoice {
 public:
  // Registers itself with the mixer; the caller holds the mixer's lock.
  SourceVoiceImpl(std::shared_ptr<Mixer> mixer, const WaveFormat& format);

  void getVoiceDetails(VoiceDetails* details) const override;
  HResult setVolume(float volume, std::uint32_t operationSet) override;
  void getVolume(float* volume) const override;
  HResult setOutputMatrix(Voice* destination, std::uint32_t sourceChannels, std::uint32_t destinationChannels,
                          const float* levelMatrix, std::uint32_t operationSet) override;
  void getOutputMatrix(Voice* destination, std::uint32_t sourceChannels, std::uint32_t destinationChannels,
                       float* levelMatrix) const override;
  void destroyVoice() override;
  HResult start(std::uint32_t flags, std::uint32_t operationSet) override;
  HResult stop(std::uint32_t flags, std::uint32_t operationSet) override;
  HResult submitSourceBuffer(const Buffer* buffer, const void* bufferWma) override;
  void getState(VoiceState* state, std::uint32_t flags) const override;

  // Mixer side, under the mixer's lock.
  void mixInto(float* out, std::uint32_t frames, std::uint32_t outChannels, std::uint32_t outRate);
  // The default matrix for the current mastering layout.
  void resetMatrixLocked(std::uint32_t destinationChannels);

 private:
  struct Queued {
    const std::uint8_t* data = nullptr;
    std::uint32_t frames = 0;
    void* context = nullptr;
  };

  ~SourceVoiceImpl() override = default;
  float sampleAt(const Queued& buffer, std::uint32_t frame, std::uint32_t channel) const;
  template <std::uint32_t Channels>
  void mixIntoStereo(float* out, std::uint32_t frames, double step);
  void popFront();

  std::shared_ptr<Mixer> mixer_;
  const std::uint32_t channels_;
  const std::uint32_t rate_;
  float volume_ = 1.0f;
  bool started_ = false;
  std::vector<float> matrix_;  // [destination * channels_ + source]
  Queued queue_[XAUDIO2_MAX_QUEUED_BUFFERS];
  std::uint32_t head_ = 0;
  std::uint32_t count_ = 0;
  double position_ = 0.0;      // frames into the front buffer
  std::uint64_t played_ = 0;   // frames of buffers played to their end
};

}  // namespace host::audio::detail
