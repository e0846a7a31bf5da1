// Sinks: an SDL2 audio device, or the null sink that pulls the mix at the pace of
// real time and throws it away when there is no device to play it.
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <thread>

#include "host/audio_mixer.h"

namespace host::audio::detail {

namespace {

constexpr std::uint32_t kDefaultChannels = 2;
constexpr std::uint32_t kDefaultRate = 48000;

class NullSink final : public Sink {
 public:
  NullSink(std::shared_ptr<Mixer> mixer, std::uint32_t channels, std::uint32_t rate)
      : mixer_(std::move(mixer)), rate_(rate), scratch_(static_cast<std::size_t>(kBlock) * channels) {}

  ~NullSink() override {
    {
      std::lock_guard<std::mutex> guard(lock_);
      stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
  }

  void start() override { thread_ = std::thread([this] { run(); }); }

 private:
  static constexpr std::uint32_t kBlock = 512;

  void run() {
    using clock = std::chrono::steady_clock;
    const clock::time_point begin = clock::now();
    std::uint64_t done = 0;
    std::unique_lock<std::mutex> guard(lock_);
    while (!wake_.wait_for(guard, std::chrono::milliseconds(10), [this] { return stopping_; })) {
      const double seconds = std::chrono::duration<double>(clock::now() - begin).count();
      const auto due = static_cast<std::uint64_t>(seconds * rate_);
      // After a long stall (a suspended process) the sink skips ahead rather than
      // rushing through what it missed.
      if (due > done + rate_ / 4) done = due - rate_ / 4;
      while (done < due) {
        const auto frames = static_cast<std::uint32_t>(std::min<std::uint64_t>(kBlock, due - done));
        mixer_->render(scratch_.data(), frames);
        done += frames;
      }
    }
  }

  std::shared_ptr<Mixer> mixer_;
  const std::uint32_t rate_;
  std::vector<float> scratch_;
  std::mutex lock_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread thread_;
};

// Exists while the SDL audio subsystem is held for it; the device opens after
// the object, so that the callback has it to call into.
class SdlSink final : public Sink {
 public:
  explicit SdlSink(std::shared_ptr<Mixer> mixer) : mixer_(std::move(mixer)) {}

  ~SdlSink() override {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  // Opens the device paused; false when none opens.
  bool open(SDL_AudioSpec want, int flags, SinkLayout& layout) {
    want.callback = &SdlSink::callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, flags);
    if (device_ == 0) return false;
    if (have.channels == 0 || have.freq <= 0) return false;
    channels_ = have.channels;
    layout.channels = have.channels;
    layout.rate = static_cast<std::uint32_t>(have.freq);
    return true;
  }

  void start() override { SDL_PauseAudioDevice(device_, 0); }

 private:
  static void callback(void* user, Uint8* stream, int length) {
    auto* self = static_cast<SdlSink*>(user);
    auto* out = reinterpret_cast<float*>(stream);
    const std::uint32_t samples = static_cast<std::uint32_t>(length) / sizeof(float);
    const std::uint32_t frames = self->channels_ ? samples / self->channels_ : 0;
    if (self->mixer_->render(out, frames) == 0) {
      std::memset(stream, 0, static_cast<std::size_t>(length));
      return;
    }
    for (std::uint32_t i = 0; i < samples; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
  }

  std::shared_ptr<Mixer> mixer_;
  SDL_AudioDeviceID device_ = 0;
  std::uint32_t channels_ = 0;
};

// SDL's dummy driver opens but plays nowhere: the null sink stands in for it.
bool isSilentDriver(const char* name) { return !name || std::strcmp(name, "dummy") == 0; }

std::unique_ptr<Sink> openDevice(const std::shared_ptr<Mixer>& mixer, SinkLayout& layout) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
  auto sink = std::make_unique<SdlSink>(mixer);  // holds the subsystem from here on
  if (isSilentDriver(SDL_GetCurrentAudioDriver())) return nullptr;
  SDL_AudioSpec preferred{};
  const bool known = SDL_GetDefaultAudioInfo(nullptr, &preferred, 0) == 0;
  SDL_AudioSpec want{};
  want.freq = static_cast<int>(layout.rate ? layout.rate : (known && preferred.freq > 0 ? preferred.freq : kDefaultRate));
  want.channels = static_cast<Uint8>(
      layout.channels ? layout.channels : (known && preferred.channels > 0 ? preferred.channels : kDefaultChannels));
  want.format = AUDIO_F32SYS;
  want.samples = 1024;
  // An asked-for channel count is kept (SDL converts); otherwise the device's own.
  const int flags = SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | (layout.channels ? 0 : SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
  SinkLayout opened = layout;
  if (!sink->open(want, flags, opened)) return nullptr;
  layout = opened;
  return sink;
}

}  // namespace

std::unique_ptr<Sink> openNullSink(const std::shared_ptr<Mixer>& mixer, const SinkLayout& layout) {
  return std::make_unique<NullSink>(mixer, layout.channels, layout.rate);
}

std::unique_ptr<Sink> openSink(const std::shared_ptr<Mixer>& mixer, SinkMode mode, SinkLayout& layout) {
  if (mode == SinkMode::Automatic)
    if (std::unique_ptr<Sink> device = openDevice(mixer, layout)) return device;
  if (layout.channels == 0) layout.channels = kDefaultChannels;
  if (layout.rate == 0) layout.rate = kDefaultRate;
  if (mode == SinkMode::Manual) return nullptr;
  return openNullSink(mixer, layout);
}

}  // namespace host::audio::detail
