// The engine, its mastering voice and the mix they share.
#include <algorithm>
#include <atomic>
#include <cmath>

#include "host/audio_mixer.h"

namespace host::audio {

namespace {

std::mutex g_optionsLock;
TestOptions g_options;

bool isLevel(float value) { return std::isfinite(value) && std::fabs(value) <= XAUDIO2_MAX_VOLUME_LEVEL; }

}  // namespace

std::uint32_t channelMaskFor(std::uint32_t channels) {
  switch (channels) {
    case 1: return SPEAKER_FRONT_CENTER;
    case 2: return SPEAKER_FRONT_LEFT | SPEAKER_FRONT_RIGHT;
    case 3: return SPEAKER_FRONT_LEFT | SPEAKER_FRONT_RIGHT | SPEAKER_LOW_FREQUENCY;
    case 4: return SPEAKER_FRONT_LEFT | SPEAKER_FRONT_RIGHT | SPEAKER_BACK_LEFT | SPEAKER_BACK_RIGHT;
    case 5:
      return SPEAKER_FRONT_LEFT | SPEAKER_FRONT_RIGHT | SPEAKER_LOW_FREQUENCY | SPEAKER_BACK_LEFT | SPEAKER_BACK_RIGHT;
    case 6:
      return SPEAKER_FRONT_LEFT | SPEAKER_FRONT_RIGHT | SPEAKER_FRONT_CENTER | SPEAKER_LOW_FREQUENCY |
             SPEAKER_BACK_LEFT | SPEAKER_BACK_RIGHT;
    case 7:
      return SPEAKER_FRONT_LEFT | SPEAKER_FRONT_RIGHT | SPEAKER_FRONT_CENTER | SPEAKER_LOW_FREQUENCY |
             SPEAKER_BACK_CENTER | SPEAKER_SIDE_LEFT | SPEAKER_SIDE_RIGHT;
    case 8:
      return SPEAKER_FRONT_LEFT | SPEAKER_FRONT_RIGHT | SPEAKER_FRONT_CENTER | SPEAKER_LOW_FREQUENCY |
             SPEAKER_BACK_LEFT | SPEAKER_BACK_RIGHT | SPEAKER_SIDE_LEFT | SPEAKER_SIDE_RIGHT;
    default: return 0;
  }
}

void setTestOptions(const TestOptions& options) {
  std::lock_guard<std::mutex> guard(g_optionsLock);
  g_options = options;
}

void resetTestOptions() { setTestOptions(TestOptions{}); }

namespace detail {

TestOptions currentTestOptions() {
  std::lock_guard<std::mutex> guard(g_optionsLock);
  return g_options;
}

std::uint32_t Mixer::render(float* out, std::uint32_t frames) {
  std::lock_guard<std::mutex> guard(lock);
  mixLocked(out, frames);
  return master && engineAlive ? frames : 0;
}

void Mixer::mixLocked(float* out, std::uint32_t frames) {
  if (!master || !engineAlive) return;
  const std::size_t samples = static_cast<std::size_t>(frames) * channels;
  std::fill(out, out + samples, 0.0f);
  for (SourceVoiceImpl* voice : sources) voice->mixInto(out, frames, channels, rate);
  if (masterVolume != 1.0f)
    for (std::size_t i = 0; i < samples; ++i) out[i] *= masterVolume;
}

MasteringVoiceImpl::MasteringVoiceImpl(std::shared_ptr<Mixer> mixer, std::unique_ptr<Sink> sink,
                                       std::uint32_t channels, std::uint32_t rate)
    : mixer_(std::move(mixer)), sink_(std::move(sink)), channels_(channels), rate_(rate) {}

void MasteringVoiceImpl::getVoiceDetails(VoiceDetails* details) const {
  if (!details) return;
  *details = VoiceDetails{};
  details->inputChannels = channels_;
  details->inputSampleRate = rate_;
}

HResult MasteringVoiceImpl::setVolume(float volume, std::uint32_t) {
  if (!isLevel(volume)) return E_INVALIDARG;
  std::lock_guard<std::mutex> guard(mixer_->lock);
  mixer_->masterVolume = volume;
  return S_OK;
}

void MasteringVoiceImpl::getVolume(float* volume) const {
  if (!volume) return;
  std::lock_guard<std::mutex> guard(mixer_->lock);
  *volume = mixer_->masterVolume;
}

// The mastering voice sends to the device, not through a matrix.
HResult MasteringVoiceImpl::setOutputMatrix(Voice*, std::uint32_t, std::uint32_t, const float*, std::uint32_t) {
  return XAUDIO2_E_INVALID_CALL;
}

void MasteringVoiceImpl::getOutputMatrix(Voice*, std::uint32_t, std::uint32_t, float*) const {}

HResult MasteringVoiceImpl::getChannelMask(std::uint32_t* mask) const {
  if (!mask) return E_INVALIDARG;
  *mask = channelMaskFor(channels_);
  return S_OK;
}

void MasteringVoiceImpl::destroyVoice() {
  std::unique_ptr<Sink> sink;
  {
    std::lock_guard<std::mutex> guard(mixer_->lock);
    if (mixer_->master == this) mixer_->master = nullptr;
    sink = std::move(sink_);
  }
  // Closed outside the lock: the sink's thread may be waiting for it.
  sink.reset();
  delete this;
}

namespace {

class EngineImpl final : public Engine {
 public:
  EngineImpl() : mixer_(std::make_shared<Mixer>()) {}

  std::uint32_t addRef() override { return ++refs_; }

  std::uint32_t release() override {
    const std::uint32_t left = --refs_;
    if (left == 0) {
      std::unique_ptr<Sink> sink;
      {
        std::lock_guard<std::mutex> guard(mixer_->lock);
        mixer_->engineAlive = false;
        if (mixer_->master) sink = mixer_->master->takeSink();
      }
      sink.reset();
      delete this;
    }
    return left;
  }

  HResult createMasteringVoice(MasteringVoice** voice, std::uint32_t inputChannels, std::uint32_t inputSampleRate,
                               std::uint32_t, const char*, const void*, int) override {
    if (!voice) return E_INVALIDARG;
    *voice = nullptr;
    const TestOptions options = detail::currentTestOptions();
    if (failed(options.masteringResult)) return options.masteringResult;
    if (inputChannels > 64 || (inputSampleRate != 0 && (inputSampleRate < XAUDIO2_MIN_SAMPLE_RATE ||
                                                        inputSampleRate > XAUDIO2_MAX_SAMPLE_RATE)))
      return E_INVALIDARG;
    {
      std::lock_guard<std::mutex> guard(mixer_->lock);
      if (mixer_->master) return XAUDIO2_E_INVALID_CALL;
    }
    SinkLayout layout{options.channels ? options.channels : inputChannels,
                      options.sampleRate ? options.sampleRate : inputSampleRate};
    std::unique_ptr<Sink> sink = openSink(mixer_, options.sink, layout);
    auto* master = new MasteringVoiceImpl(mixer_, std::move(sink), layout.channels, layout.rate);
    {
      std::lock_guard<std::mutex> guard(mixer_->lock);
      mixer_->master = master;
      mixer_->channels = layout.channels;
      mixer_->rate = layout.rate;
      mixer_->masterVolume = 1.0f;
      for (SourceVoiceImpl* source : mixer_->sources) source->resetMatrixLocked(layout.channels);
    }
    master->startSink();
    *voice = master;
    return S_OK;
  }

  HResult createSourceVoice(SourceVoice** voice, const WaveFormat* format, std::uint32_t, float, void*, const void*,
                            const void*) override {
    if (!voice || !format) return E_INVALIDARG;
    *voice = nullptr;
    const TestOptions options = detail::currentTestOptions();
    if (failed(options.sourceVoiceResult)) return options.sourceVoiceResult;
    if (format->formatTag != WAVE_FORMAT_PCM || format->bitsPerSample != 16 || format->channels == 0 ||
        format->channels > kMaxSourceChannels || format->blockAlign != format->channels * 2 ||
        format->samplesPerSec < XAUDIO2_MIN_SAMPLE_RATE || format->samplesPerSec > XAUDIO2_MAX_SAMPLE_RATE)
      return XAUDIO2_E_INVALID_CALL;
    std::lock_guard<std::mutex> guard(mixer_->lock);
    if (!mixer_->master) return XAUDIO2_E_INVALID_CALL;
    *voice = new SourceVoiceImpl(mixer_, *format);
    return S_OK;
  }

  std::uint32_t render(float* out, std::uint32_t frames) override {
    if (!out) return 0;
    return mixer_->render(out, frames);
  }

 private:
  ~EngineImpl() override = default;

  std::atomic<std::uint32_t> refs_{1};
  std::shared_ptr<Mixer> mixer_;
};

}  // namespace
}  // namespace detail

HResult create(Engine** engine, std::uint32_t, std::uint32_t) {
  if (!engine) return E_INVALIDARG;
  *engine = nullptr;
  const TestOptions options = detail::currentTestOptions();
  if (failed(options.createResult)) return options.createResult;
  *engine = new detail::EngineImpl;
  return S_OK;
}

}  // namespace host::audio
