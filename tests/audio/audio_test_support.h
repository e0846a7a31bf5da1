// The process's audio context (the device context's) started on the manual sink
// with a chosen speaker layout, stopped again at the end; and a guard for tests
// whose failure would be a hang.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <vector>

#include "audio/rk_audio_context.h"
#include "host/audio.h"
#include "kernel/rk_device_context.h"

namespace rktest {

inline rk::audio::AudioContext* audioContext() {
  rk::DeviceContext::getInstance();  // the audio context lives in it
  return rk::audio::AudioContext::getInstance();
}

inline void useManualAudio(std::uint32_t channels, std::uint32_t rate) {
  host::audio::TestOptions options;
  options.sink = host::audio::SinkMode::Manual;
  options.channels = channels;
  options.sampleRate = rate;
  host::audio::setTestOptions(options);
}

// Stopping keeps the volumes (they are settings): a test that changed them puts
// them back to the context's first values for the next one.
inline void restoreVolumes() {
  rk::audio::AudioContext* audio = audioContext();
  audio->setMasterVolume(1.0f);
  audio->setMusicTotalVolume(1.0f);
  audio->setSoundEffectTotalVolume(1.0f);
}

class StartedAudio {
 public:
  explicit StartedAudio(std::uint32_t channels = 2, std::uint32_t rate = 44100) : channels_(channels) {
    useManualAudio(channels, rate);
    audioContext()->init();
  }
  ~StartedAudio() {
    audioContext()->stop();
    restoreVolumes();
    host::audio::resetTestOptions();
  }
  StartedAudio(const StartedAudio&) = delete;
  StartedAudio& operator=(const StartedAudio&) = delete;

  rk::audio::AudioContext* context() const { return audioContext(); }
  // The next frames of the mix, interleaved.
  std::vector<float> render(std::uint32_t frames) const {
    std::vector<float> out(static_cast<std::size_t>(frames) * channels_);
    audioContext()->getAudio2()->render(out.data(), frames);
    return out;
  }

 private:
  std::uint32_t channels_;
};

// Runs `work`; a run that has not finished after `seconds` ends the test process,
// since a thread that spins cannot be stopped.
inline void mustFinishWithin(double seconds, const std::function<void()>& work) {
  auto done = std::async(std::launch::async, work);
  if (done.wait_for(std::chrono::duration<double>(seconds)) != std::future_status::ready) {
    std::fprintf(stderr, "still running after %.0f seconds: it hangs\n", seconds);
    std::_Exit(1);
  }
  done.get();
}

}  // namespace rktest
