// The host mixer with 64 looping voices (16-bit stereo at 44.1 kHz, mixed to
// a 48 kHz stereo output, so every voice is resampled), rendered in 10 ms
// blocks as the audio device asks for them. audio_time is the length of the
// sound made; real_time / audio_time is the share of a core the mix costs.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "host/audio.h"

namespace {

constexpr int kVoices = 64;
constexpr std::uint32_t kOutRate = 48000;
constexpr std::uint32_t kBlock = kOutRate / 100;

void Mixer64Voices(benchmark::State& state) {
  host::audio::TestOptions options;
  options.sink = host::audio::SinkMode::Manual;
  options.channels = 2;
  options.sampleRate = kOutRate;
  host::audio::setTestOptions(options);
  host::audio::Engine* engine = nullptr;
  host::audio::create(&engine, 0, 0);
  host::audio::MasteringVoice* master = nullptr;
  engine->createMasteringVoice(&master, 2, kOutRate, 0, nullptr, nullptr, 0);

  // Half a second of a tone per voice, each at its own pitch.
  constexpr std::uint32_t kFrames = 22050;
  std::vector<std::vector<std::int16_t>> sounds(kVoices, std::vector<std::int16_t>(kFrames * 2));
  for (int v = 0; v < kVoices; ++v)
    for (std::uint32_t f = 0; f < kFrames; ++f)
      sounds[v][2 * f] = sounds[v][2 * f + 1] =
          static_cast<std::int16_t>(8000.0 * std::sin(f * (0.01 + 0.001 * v)));
  host::audio::WaveFormat format;
  format.formatTag = host::audio::WAVE_FORMAT_PCM;
  format.channels = 2;
  format.samplesPerSec = 44100;
  format.bitsPerSample = 16;
  format.blockAlign = 4;
  format.avgBytesPerSec = 44100 * 4;
  std::vector<host::audio::SourceVoice*> voices(kVoices);
  host::audio::Buffer buffer;
  buffer.audioBytes = kFrames * 4;
  for (int v = 0; v < kVoices; ++v) {
    engine->createSourceVoice(&voices[v], &format, 0, 2.0f, nullptr, nullptr, nullptr);
    voices[v]->setVolume(0.2f, 0);
    voices[v]->start(0, 0);
  }

  std::vector<float> out(kBlock * 2);
  std::int64_t frames = 0;
  for (auto _ : state) {
    // Loops: each voice keeps two buffers queued.
    for (int v = 0; v < kVoices; ++v) {
      host::audio::VoiceState s;
      voices[v]->getState(&s, 0);
      buffer.audioData = reinterpret_cast<const std::uint8_t*>(sounds[v].data());
      for (std::uint32_t queued = s.buffersQueued; queued < 2; ++queued) voices[v]->submitSourceBuffer(&buffer, nullptr);
    }
    engine->render(out.data(), kBlock);
    benchmark::DoNotOptimize(out.data());
    frames += kBlock;
  }
  state.counters["audio_time"] = benchmark::Counter(static_cast<double>(frames) / kOutRate * 1e3 / state.iterations());
  for (auto* voice : voices) voice->destroyVoice();
  master->destroyVoice();
  engine->release();
  host::audio::resetTestOptions();
}

}  // namespace

BENCHMARK(Mixer64Voices)->Unit(benchmark::kMillisecond);
