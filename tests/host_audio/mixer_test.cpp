// The engine's mixer through the manual sink: volumes, output matrices, the
// buffer queue and its counts, resampling, and the checks on what callers pass.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

#include "host/audio.h"
#include "support/temp_dir.h"

namespace {

using namespace host;
using namespace host::audio;

WaveFormat pcm16(std::uint16_t channels, std::uint32_t rate) {
  WaveFormat f;
  f.formatTag = WAVE_FORMAT_PCM;
  f.channels = channels;
  f.samplesPerSec = rate;
  f.bitsPerSample = 16;
  f.blockAlign = static_cast<std::uint16_t>(channels * 2);
  f.avgBytesPerSec = rate * f.blockAlign;
  return f;
}

std::int16_t toSample(float v) { return static_cast<std::int16_t>(std::lround(v * 32768.0f)); }

Buffer bufferOf(const std::vector<std::int16_t>& samples, void* context = nullptr) {
  Buffer b;
  b.flags = XAUDIO2_END_OF_STREAM;
  b.audioBytes = static_cast<std::uint32_t>(samples.size() * 2);
  b.audioData = reinterpret_cast<const std::uint8_t*>(samples.data());
  b.context = context;
  return b;
}

class Mixer : public ::testing::Test {
 protected:
  void open(std::uint32_t channels, std::uint32_t rate = 48000, SinkMode sink = SinkMode::Manual) {
    TestOptions options;
    options.sink = sink;
    options.channels = channels;
    options.sampleRate = rate;
    setTestOptions(options);
    ASSERT_EQ(create(&engine), S_OK);
    ASSERT_EQ(engine->createMasteringVoice(&master), S_OK);
    channels_ = channels;
  }
  void TearDown() override {
    for (SourceVoice* v : voices) v->destroyVoice();
    if (master) master->destroyVoice();
    if (engine) engine->release();
    resetTestOptions();
  }
  SourceVoice* source(std::uint16_t channels, std::uint32_t rate = 48000) {
    SourceVoice* v = nullptr;
    const WaveFormat f = pcm16(channels, rate);
    EXPECT_EQ(engine->createSourceVoice(&v, &f), S_OK);
    if (v) voices.push_back(v);
    return v;
  }
  std::vector<float> render(std::uint32_t frames) {
    std::vector<float> out(static_cast<std::size_t>(frames) * channels_, -99.0f);
    EXPECT_EQ(engine->render(out.data(), frames), frames);
    return out;
  }
  std::uint32_t queued(SourceVoice* v) {
    VoiceState s;
    v->getState(&s);
    return s.buffersQueued;
  }

  Engine* engine = nullptr;
  MasteringVoice* master = nullptr;
  std::vector<SourceVoice*> voices;
  std::uint32_t channels_ = 0;
};

TEST_F(Mixer, AppliesVolumeOutputMatrixAndMasterVolume) {
  struct Case {
    const char* name;
    std::uint16_t sourceChannels;
    std::uint32_t masterChannels;
    std::vector<float> frame;   // one source frame, repeated
    float volume;
    float masterVolume;
    std::vector<float> matrix;  // empty: the default
    std::vector<float> expected;
  };
  const Case cases[] = {
      {"mono to stereo, default", 1, 2, {0.5f}, 1.0f, 1.0f, {}, {0.5f, 0.5f}},
      {"voice volume", 1, 2, {0.5f}, 0.5f, 1.0f, {}, {0.25f, 0.25f}},
      {"matrix and master volume", 1, 2, {0.5f}, 1.0f, 0.5f, {1.0f, 0.0f}, {0.25f, 0.0f}},
      {"stereo one to one", 2, 2, {0.5f, -0.25f}, 1.0f, 1.0f, {}, {0.5f, -0.25f}},
      {"stereo swapped", 2, 2, {0.5f, -0.25f}, 1.0f, 1.0f, {0.0f, 1.0f, 1.0f, 0.0f}, {-0.25f, 0.5f}},
      {"stereo to mono averages", 2, 1, {0.5f, -0.25f}, 1.0f, 1.0f, {}, {0.125f}},
      {"mono to 5.1 front pair", 1, 6, {0.5f}, 1.0f, 1.0f, {}, {0.5f, 0.5f, 0, 0, 0, 0}},
      {"volume above one is not clipped", 1, 1, {0.5f}, 3.0f, 1.0f, {}, {1.5f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    open(c.masterChannels);
    SourceVoice* v = source(c.sourceChannels);
    std::vector<std::int16_t> pcm;
    for (int i = 0; i < 64; ++i)
      for (float s : c.frame) pcm.push_back(toSample(s));
    const Buffer b = bufferOf(pcm);
    ASSERT_EQ(v->submitSourceBuffer(&b), S_OK);
    ASSERT_EQ(v->setVolume(c.volume), S_OK);
    ASSERT_EQ(master->setVolume(c.masterVolume), S_OK);
    if (!c.matrix.empty()) {
      ASSERT_EQ(v->setOutputMatrix(nullptr, c.sourceChannels, c.masterChannels, c.matrix.data()), S_OK);
    }
    ASSERT_EQ(v->start(), S_OK);
    const std::vector<float> out = render(8);
    for (std::uint32_t d = 0; d < c.masterChannels; ++d) EXPECT_NEAR(out[4 * c.masterChannels + d], c.expected[d], 1e-4f) << d;
    TearDown();
    voices.clear();
    master = nullptr;
    engine = nullptr;
  }
}

TEST_F(Mixer, VoicesAddUp) {
  open(2);
  std::vector<std::int16_t> a(64, toSample(0.25f)), b(64, toSample(-0.5f));
  SourceVoice* x = source(1);
  SourceVoice* y = source(1);
  const Buffer ba = bufferOf(a), bb = bufferOf(b);
  x->submitSourceBuffer(&ba);
  y->submitSourceBuffer(&bb);
  x->start();
  y->start();
  const std::vector<float> out = render(4);
  EXPECT_NEAR(out[0], -0.25f, 1e-4f);
  EXPECT_NEAR(out[1], -0.25f, 1e-4f);
}

TEST_F(Mixer, QueuedCountDropsWhenEachBufferHasPlayedToItsEnd) {
  open(1);
  SourceVoice* v = source(1);
  std::vector<std::int16_t> first(100, toSample(0.5f)), second(50, toSample(-0.5f));
  int tagA = 0, tagB = 0;
  const Buffer a = bufferOf(first, &tagA), b = bufferOf(second, &tagB);
  ASSERT_EQ(v->submitSourceBuffer(&a), S_OK);
  ASSERT_EQ(v->submitSourceBuffer(&b), S_OK);
  VoiceState state;
  v->getState(&state);
  EXPECT_EQ(state.buffersQueued, 2u);
  EXPECT_EQ(state.currentBufferContext, &tagA);

  // Nothing is consumed before start.
  EXPECT_EQ(render(30)[0], 0.0f);
  EXPECT_EQ(queued(v), 2u);

  v->start();
  render(99);
  EXPECT_EQ(queued(v), 2u);
  std::vector<float> out = render(2);  // the last frame of the first buffer, the first of the second
  EXPECT_NEAR(out[0], 0.5f, 1e-4f);
  EXPECT_NEAR(out[1], -0.5f, 1e-4f);
  v->getState(&state);
  EXPECT_EQ(state.buffersQueued, 1u);
  EXPECT_EQ(state.currentBufferContext, &tagB);
  EXPECT_EQ(state.samplesPlayed, 101u);

  out = render(60);  // 49 frames left, then silence while the voice runs on empty
  EXPECT_NEAR(out[48], -0.5f, 1e-4f);
  EXPECT_EQ(out[49], 0.0f);
  EXPECT_EQ(out[59], 0.0f);
  v->getState(&state);
  EXPECT_EQ(state.buffersQueued, 0u);
  EXPECT_EQ(state.currentBufferContext, nullptr);
  EXPECT_EQ(state.samplesPlayed, 150u);

  // A buffer submitted to the running, starved voice plays at once.
  const Buffer again = bufferOf(first);
  v->submitSourceBuffer(&again);
  EXPECT_NEAR(render(1)[0], 0.5f, 1e-4f);
}

TEST_F(Mixer, StopPausesWhereTheVoiceIsAndStartGoesOnFromThere) {
  open(1);
  SourceVoice* v = source(1);
  std::vector<std::int16_t> ramp;
  for (int i = 0; i < 100; ++i) ramp.push_back(static_cast<std::int16_t>(i * 100));
  const Buffer b = bufferOf(ramp);
  v->submitSourceBuffer(&b);
  v->start();
  render(10);
  v->stop();
  std::vector<float> out = render(20);
  EXPECT_EQ(out[0], 0.0f);
  EXPECT_EQ(queued(v), 1u);
  v->start();
  out = render(1);
  EXPECT_NEAR(out[0], 1000.0f / 32768.0f, 1e-6f);
}

TEST_F(Mixer, PlayRangeSelectsFramesOfTheBuffer) {
  open(1);
  SourceVoice* v = source(1);
  std::vector<std::int16_t> ramp;
  for (int i = 0; i < 100; ++i) ramp.push_back(static_cast<std::int16_t>(i * 100));
  Buffer b = bufferOf(ramp);
  b.playBegin = 40;
  b.playLength = 5;
  ASSERT_EQ(v->submitSourceBuffer(&b), S_OK);
  v->start();
  const std::vector<float> out = render(6);
  EXPECT_NEAR(out[0], 4000.0f / 32768.0f, 1e-6f);
  EXPECT_NEAR(out[4], 4400.0f / 32768.0f, 1e-6f);
  EXPECT_EQ(out[5], 0.0f);
  EXPECT_EQ(queued(v), 0u);
}

TEST_F(Mixer, RefusesBuffersItCannotPlay) {
  open(2);
  SourceVoice* v = source(2);
  std::vector<std::int16_t> pcm(200, 1);
  const Buffer good = bufferOf(pcm);
  struct Case {
    const char* name;
    Buffer buffer;
  } cases[] = {
      {"no data", [&] { Buffer b = good; b.audioData = nullptr; return b; }()},
      {"no bytes", [&] { Buffer b = good; b.audioBytes = 0; return b; }()},
      {"half a frame", [&] { Buffer b = good; b.audioBytes = 6; return b; }()},
      {"begin past the end", [&] { Buffer b = good; b.playBegin = 100; return b; }()},
      {"range past the end", [&] { Buffer b = good; b.playBegin = 50; b.playLength = 51; return b; }()},
      {"looping", [&] { Buffer b = good; b.loopCount = 1; return b; }()},
  };
  for (const Case& c : cases) EXPECT_EQ(v->submitSourceBuffer(&c.buffer), XAUDIO2_E_INVALID_CALL) << c.name;
  EXPECT_EQ(v->submitSourceBuffer(nullptr), XAUDIO2_E_INVALID_CALL);
  EXPECT_EQ(queued(v), 0u);

  for (std::uint32_t i = 0; i < XAUDIO2_MAX_QUEUED_BUFFERS; ++i) ASSERT_EQ(v->submitSourceBuffer(&good), S_OK);
  EXPECT_EQ(v->submitSourceBuffer(&good), XAUDIO2_E_INVALID_CALL);
  EXPECT_EQ(queued(v), XAUDIO2_MAX_QUEUED_BUFFERS);
}

TEST_F(Mixer, ResamplesLinearlyToTheMasteringRate) {
  open(1, 48000);
  SourceVoice* v = source(1, 24000);
  std::vector<std::int16_t> ramp;
  for (int i = 0; i < 100; ++i) ramp.push_back(static_cast<std::int16_t>(i * 200));
  const Buffer b = bufferOf(ramp);
  v->submitSourceBuffer(&b);
  v->start();
  std::vector<float> out = render(198);
  EXPECT_NEAR(out[10], 1000.0f / 32768.0f, 1e-5f);  // source frame 5
  EXPECT_NEAR(out[11], 1100.0f / 32768.0f, 1e-5f);  // halfway to frame 6
  EXPECT_EQ(queued(v), 1u);
  render(2);
  EXPECT_EQ(queued(v), 0u);  // 100 source frames last 200 output frames
}

TEST_F(Mixer, VoiceCreationChecksFormatAndMasteringVoice) {
  setTestOptions({SinkMode::Manual});
  ASSERT_EQ(create(&engine), S_OK);
  SourceVoice* v = nullptr;
  WaveFormat f = pcm16(2, 44100);
  EXPECT_EQ(engine->createSourceVoice(&v, &f), XAUDIO2_E_INVALID_CALL) << "no mastering voice";
  ASSERT_EQ(engine->createMasteringVoice(&master), S_OK);
  MasteringVoice* second = nullptr;
  EXPECT_EQ(engine->createMasteringVoice(&second), XAUDIO2_E_INVALID_CALL);

  struct Case {
    const char* name;
    WaveFormat format;
  } cases[] = {
      {"8 bits", [] { WaveFormat w = pcm16(1, 44100); w.bitsPerSample = 8; w.blockAlign = 1; return w; }()},
      {"9 channels", pcm16(9, 44100)},
      {"no channels", pcm16(0, 44100)},
      {"rate too low", pcm16(1, 999)},
      {"rate too high", pcm16(1, 200001)},
      {"block align", [] { WaveFormat w = pcm16(2, 44100); w.blockAlign = 2; return w; }()},
      {"float format", [] { WaveFormat w = pcm16(1, 44100); w.formatTag = 3; return w; }()},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(engine->createSourceVoice(&v, &c.format), XAUDIO2_E_INVALID_CALL) << c.name;
    EXPECT_EQ(v, nullptr);
  }
  EXPECT_EQ(engine->createSourceVoice(&v, nullptr), E_INVALIDARG);

  TestOptions failing{SinkMode::Manual};
  failing.sourceVoiceResult = E_OUTOFMEMORY;
  setTestOptions(failing);
  EXPECT_EQ(engine->createSourceVoice(&v, &f), E_OUTOFMEMORY);
  EXPECT_EQ(v, nullptr);
}

TEST_F(Mixer, InjectedFailuresOfEngineAndMasteringVoice) {
  TestOptions options{SinkMode::Manual};
  options.createResult = E_FAIL;
  setTestOptions(options);
  Engine* failedEngine = reinterpret_cast<Engine*>(1);
  EXPECT_EQ(create(&failedEngine), E_FAIL);
  EXPECT_EQ(failedEngine, nullptr);

  options.createResult = S_OK;
  options.masteringResult = XAUDIO2_E_DEVICE_INVALIDATED;
  setTestOptions(options);
  ASSERT_EQ(create(&engine), S_OK);
  EXPECT_EQ(engine->createMasteringVoice(&master), XAUDIO2_E_DEVICE_INVALIDATED);
  EXPECT_EQ(master, nullptr);
}

TEST_F(Mixer, OutputMatrixMustFitBothVoices) {
  open(2);
  SourceVoice* v = source(1);
  const float two[2] = {1.0f, 0.5f};
  const float bad[2] = {NAN, 0.0f};
  const float big[2] = {2.0f * XAUDIO2_MAX_VOLUME_LEVEL, 0.0f};
  EXPECT_EQ(v->setOutputMatrix(nullptr, 1, 2, two), S_OK);
  EXPECT_EQ(v->setOutputMatrix(master, 1, 2, two), S_OK);
  EXPECT_EQ(v->setOutputMatrix(nullptr, 2, 2, two), E_INVALIDARG);
  EXPECT_EQ(v->setOutputMatrix(nullptr, 1, 1, two), E_INVALIDARG);
  EXPECT_EQ(v->setOutputMatrix(v, 1, 2, two), E_INVALIDARG);
  EXPECT_EQ(v->setOutputMatrix(nullptr, 1, 2, bad), E_INVALIDARG);
  EXPECT_EQ(v->setOutputMatrix(nullptr, 1, 2, big), E_INVALIDARG);
  EXPECT_EQ(v->setOutputMatrix(nullptr, 1, 2, nullptr), E_INVALIDARG);
  EXPECT_EQ(master->setOutputMatrix(nullptr, 2, 2, two), XAUDIO2_E_INVALID_CALL);
  float read[2] = {};
  v->getOutputMatrix(nullptr, 1, 2, read);
  EXPECT_EQ(read[0], 1.0f);
  EXPECT_EQ(read[1], 0.5f);

  EXPECT_EQ(v->setVolume(NAN), E_INVALIDARG);
  EXPECT_EQ(master->setVolume(INFINITY), E_INVALIDARG);
  float volume = 0.0f;
  v->getVolume(&volume);
  EXPECT_EQ(volume, 1.0f);
}

TEST_F(Mixer, VoicesStaySafeToUseAndDestroyAfterTheEngineIsReleased) {
  open(2);
  SourceVoice* v = source(1);
  engine->release();
  engine = nullptr;
  std::vector<std::int16_t> pcm(10, 1);
  const Buffer b = bufferOf(pcm);
  EXPECT_EQ(v->submitSourceBuffer(&b), XAUDIO2_E_INVALID_CALL);
  EXPECT_EQ(v->start(), S_OK);
  EXPECT_EQ(queued(v), 0u);
  VoiceDetails details;
  master->getVoiceDetails(&details);
  EXPECT_EQ(details.inputChannels, 2u);
}

TEST_F(Mixer, MasteringVoiceReportsItsLayout) {
  open(6, 44100);
  VoiceDetails details;
  master->getVoiceDetails(&details);
  EXPECT_EQ(details.inputChannels, 6u);
  EXPECT_EQ(details.inputSampleRate, 44100u);
  std::uint32_t mask = 0;
  EXPECT_EQ(master->getChannelMask(&mask), S_OK);
  EXPECT_EQ(mask, 63u);

  const std::uint32_t masks[] = {0, 4, 3, 11, 51, 59, 63, 1807, 1599, 0};
  for (std::uint32_t channels = 0; channels < 10; ++channels) EXPECT_EQ(channelMaskFor(channels), masks[channels]) << channels;
}

// Without a device the mix is still pulled at the pace of real time, so queued
// sound ends; the calls of this thread meet the sink's thread in the mixer.
TEST_F(Mixer, SinksWithoutADeviceConsumeInRealTime) {
  for (SinkMode mode : {SinkMode::Null, SinkMode::Automatic}) {
    TestOptions options;
    options.sink = mode;
    setTestOptions(options);
    ASSERT_EQ(create(&engine), S_OK);
    ASSERT_EQ(engine->createMasteringVoice(&master), S_OK);
    VoiceDetails details;
    master->getVoiceDetails(&details);
    SourceVoice* v = source(1, 8000);
    std::vector<std::int16_t> pcm(800, toSample(0.1f));  // 0.1 s
    const Buffer b = bufferOf(pcm);
    ASSERT_EQ(v->submitSourceBuffer(&b), S_OK);
    ASSERT_EQ(v->submitSourceBuffer(&b), S_OK);
    v->start();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (queued(v) > 0 && std::chrono::steady_clock::now() < deadline) {
      v->setVolume(0.5f);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(queued(v), 0u) << "mode " << static_cast<int>(mode);
    TearDown();
    voices.clear();
    master = nullptr;
    engine = nullptr;
  }
}

// SDL's disk driver is a device that writes what it plays to a file: the mix
// reaches it clipped, at the device's pace.
TEST_F(Mixer, DeviceSinkPlaysTheClippedMixThroughSdl) {
  rktest::TempDir dir;
  const std::string file = dir.file("played.raw");
  struct DiskDriver {
    explicit DiskDriver(const std::string& file) {
      setenv("SDL_AUDIODRIVER", "disk", 1);
      setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    }
    ~DiskDriver() {
      setenv("SDL_AUDIODRIVER", "dummy", 1);
      unsetenv("SDL_DISKAUDIOFILE");
    }
  } disk(file);
  TestOptions options;
  options.channels = 2;
  options.sampleRate = 48000;
  setTestOptions(options);
  ASSERT_EQ(create(&engine), S_OK);
  ASSERT_EQ(engine->createMasteringVoice(&master), S_OK);
  SourceVoice* quiet = source(1);
  SourceVoice* loud = source(1);
  std::vector<std::int16_t> half(4800, toSample(0.5f));
  const Buffer b = bufferOf(half);
  quiet->submitSourceBuffer(&b);
  loud->submitSourceBuffer(&b);
  loud->setVolume(2.0f);  // 0.5 + 1.0 is clipped to 1
  quiet->start();
  loud->start();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while ((queued(quiet) > 0 || queued(loud) > 0) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(queued(loud), 0u);
  master->destroyVoice();  // closes the device: everything mixed is in the file
  master = nullptr;

  const std::string bytes = rktest::readBytes(file);
  ASSERT_FALSE(bytes.empty()) << "no disk device";
  std::vector<float> played(bytes.size() / sizeof(float));
  std::memcpy(played.data(), bytes.data(), played.size() * sizeof(float));
  std::size_t full = 0, other = 0;
  for (float v : played) {
    if (v == 1.0f)
      ++full;
    else if (v != 0.0f)
      ++other;
  }
  EXPECT_EQ(full, 4800u * 2);
  EXPECT_EQ(other, 0u);
}

}  // namespace
