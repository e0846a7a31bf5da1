// Voice outputs: the pan matrix per speaker layout as it reaches the voice and
// the mix, squared volumes, the swap buffers, and outputs without a voice.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/xaudio/rk_xaudio_normal_output.h"
#include "audio/xaudio/rk_xaudio_pan_output.h"
#include "audio_test_support.h"
#include "kernel/rk_hr_exception.h"
#include "support/error_log_capture.h"

namespace {

using rk::audio::SwapBufferDesc;
using rk::audio::XAudioNormalOutput;
using rk::audio::XAudioPanOutput;

host::audio::WaveFormat pcm16(std::uint16_t channels, std::uint32_t rate = 44100) {
  host::audio::WaveFormat f;
  f.formatTag = host::audio::WAVE_FORMAT_PCM;
  f.channels = channels;
  f.samplesPerSec = rate;
  f.bitsPerSample = 16;
  f.blockAlign = static_cast<std::uint16_t>(channels * 2);
  f.avgBytesPerSec = rate * f.blockAlign;
  return f;
}

SwapBufferDesc twoSeconds(const host::audio::WaveFormat& format) {
  SwapBufferDesc desc;
  desc.bufferBytes = 2 * format.avgBytesPerSec;
  desc.format = &format;
  return desc;
}

std::vector<float> sentMatrix(XAudioPanOutput& out, std::uint32_t sources, std::uint32_t speakers) {
  std::vector<float> m(sources * speakers, -1.0f);
  out.voice()->getOutputMatrix(nullptr, sources, speakers, m.data());
  return m;
}

std::vector<float> first(const float* matrix, std::size_t n) { return std::vector<float>(matrix, matrix + n); }

TEST(PanOutput, MatrixFollowsTheSpeakerLayout) {
  using V = std::vector<float>;
  struct Case {
    std::uint32_t speakers;
    V centre, left, right;
  } cases[] = {
      {1, {1}, {1}, {1}},
      {2, {.5f, .5f}, {1, 0}, {0, 1}},
      {3, {.5f, .5f, 0}, {1, 0, 0}, {0, 1, 0}},
      {4, {.5f, .5f, .5f, .5f}, {1, 0, 1, 0}, {0, 1, 0, 1}},
      {5, {.5f, .5f, 0, .5f, .5f}, {1, 0, 0, 1, 0}, {0, 1, 0, 0, 1}},
      {6, {.5f, .5f, 0, 0, .5f, .5f}, {1, 0, 0, 0, 1, 0}, {0, 1, 0, 0, 0, 1}},
      // 6.1 has no layout of its own: the front pair carries the pan.
      {7, {.5f, .5f, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0, 0}, {0, 1, 0, 0, 0, 0, 0}},
      {8, {.5f, .5f, 0, 0, .5f, .5f, .5f, .5f}, {1, 0, 0, 0, 1, 0, 1, 0}, {0, 1, 0, 0, 0, 1, 0, 1}},
  };
  const host::audio::WaveFormat mono = pcm16(1);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.speakers << " speakers");
    rktest::StartedAudio audio(c.speakers);
    XAudioPanOutput out;
    out.createSwapBuffer(twoSeconds(mono));
    ASSERT_NE(out.voice(), nullptr);
    EXPECT_EQ(out.pan(), 0.0f);
    EXPECT_EQ(first(out.matrix(), c.speakers), c.centre);
    EXPECT_EQ(sentMatrix(out, 1, c.speakers), c.centre);
    out.setPan(-1.0f);
    EXPECT_EQ(sentMatrix(out, 1, c.speakers), c.left);
    out.setPan(1.0f);
    EXPECT_EQ(sentMatrix(out, 1, c.speakers), c.right);
  }
}

// Plays one constant frame through a pan output and returns the mixed frame.
std::vector<float> mixOneFrame(rktest::StartedAudio& audio, XAudioPanOutput& out, const std::vector<float>& frame,
                               float pan) {
  std::vector<std::int16_t> pcm;
  for (int i = 0; i < 16; ++i)
    for (float s : frame) pcm.push_back(static_cast<std::int16_t>(s * 32768.0f));
  out.setPan(pan);
  out.pushQueue(reinterpret_cast<const std::uint8_t*>(pcm.data()), static_cast<std::uint32_t>(pcm.size() * 2));
  out.start(0);
  std::vector<float> mix = audio.render(16);
  mix.resize(2);
  return mix;
}

TEST(PanOutput, MonoAndStereoSoundsPanInTheMix) {
  rktest::StartedAudio audio(2);
  XAudioPanOutput mono, stereo;
  const host::audio::WaveFormat one = pcm16(1), two = pcm16(2);
  mono.createSwapBuffer(twoSeconds(one));
  stereo.createSwapBuffer(twoSeconds(two));
  using V = std::vector<float>;
  EXPECT_EQ(mixOneFrame(audio, mono, {0.5f}, 0.0f), (V{0.25f, 0.25f}));
  EXPECT_EQ(mixOneFrame(audio, mono, {0.5f}, -1.0f), (V{0.5f, 0.0f}));
  // A stereo sound keeps its sides: left channel to the left speaker, right to the right.
  EXPECT_EQ(mixOneFrame(audio, stereo, {0.5f, -0.25f}, 0.0f), (V{0.25f, -0.125f}));
  EXPECT_EQ(mixOneFrame(audio, stereo, {0.5f, -0.25f}, 1.0f), (V{0.0f, -0.25f}));
}

TEST(PanOutput, StereoSoundOnAMonoSpeakerIsAveraged) {
  rktest::StartedAudio audio(1);
  XAudioPanOutput stereo;
  const host::audio::WaveFormat two = pcm16(2);
  stereo.createSwapBuffer(twoSeconds(two));
  EXPECT_EQ(sentMatrix(stereo, 2, 1), (std::vector<float>{0.5f, 0.5f}));
}

TEST(PanOutput, PansOutsideTheRangeOrNotANumberStayWithinTheSpeakers) {
  rktest::StartedAudio audio(2);
  XAudioPanOutput out;
  const host::audio::WaveFormat mono = pcm16(1);
  out.createSwapBuffer(twoSeconds(mono));
  out.setPan(3.0f);
  EXPECT_EQ(sentMatrix(out, 1, 2), (std::vector<float>{0.0f, 1.0f}));
  out.setPan(-7.0f);
  EXPECT_EQ(sentMatrix(out, 1, 2), (std::vector<float>{1.0f, 0.0f}));
  out.setPan(NAN);
  EXPECT_EQ(sentMatrix(out, 1, 2), (std::vector<float>{0.5f, 0.5f}));
}

TEST(PanOutput, KeepsItsPosition) {
  XAudioPanOutput pan;
  XAudioNormalOutput normal;
  rk::math::Vector4 at{1, 2, 3, 4}, read{};
  pan.setPosition(at);
  EXPECT_TRUE(pan.getPosition(&read));
  EXPECT_EQ(read.z, 3.0f);
  normal.setPosition(at);
  EXPECT_FALSE(normal.getPosition(&read));
}

TEST(NormalOutput, VolumeIsSquaredOnTheVoice) {
  rktest::StartedAudio audio(2);
  XAudioNormalOutput out;
  const host::audio::WaveFormat stereo = pcm16(2);
  out.createSwapBuffer(twoSeconds(stereo));
  out.setVolume(0.5f);
  float volume = 0.0f;
  out.voice()->getVolume(&volume);
  EXPECT_FLOAT_EQ(volume, 0.25f);
}

TEST(NormalOutput, SwapBuffersAreOneSecondEachAndAlternate) {
  rktest::StartedAudio audio(2);
  XAudioNormalOutput out;
  const host::audio::WaveFormat stereo = pcm16(2, 22050);
  out.createSwapBuffer(twoSeconds(stereo));
  EXPECT_EQ(out.bufferSize(), 22050u * 4);
  std::uint8_t *a = nullptr, *b = nullptr, *c = nullptr;
  EXPECT_EQ(out.getWriteBuffer(&a), 22050u * 4);
  out.swapBuffer();
  out.getWriteBuffer(&b);
  out.swapBuffer();
  out.getWriteBuffer(&c);
  EXPECT_NE(a, b);
  EXPECT_EQ(a, c);

  // A new voice comes with new buffers, starting with the first.
  out.swapBuffer();
  out.createSwapBuffer(twoSeconds(stereo));
  EXPECT_EQ(out.currentBuffer(), 0);
  out.release();
  EXPECT_EQ(out.voice(), nullptr);
  EXPECT_EQ(out.getWriteBuffer(&a), 0u);
  EXPECT_EQ(a, nullptr);
}

TEST(NormalOutput, WithoutAVoiceNothingIsCalledAndPushIsReported) {
  rktest::ErrorLogCapture log;
  XAudioNormalOutput out;
  EXPECT_EQ(out.getQueuedBufferCount(), -1);
  out.stop();
  out.start(0);
  out.setVolume(1.0f);
  void* locked = &out;
  std::uint32_t length = 5;
  EXPECT_EQ(out.lockBuffer(0, 10, &locked, &length), host::E_FAIL);
  EXPECT_EQ(locked, nullptr);
  const std::uint8_t data[4] = {};
  out.pushQueue(data, 4);
  EXPECT_EQ(log.entries("rk::audio::XAudioNormalOutput::pushQueue"), 1u);

  // Before the context has started there is no engine: no voice is made.
  const host::audio::WaveFormat mono = pcm16(1);
  out.createSwapBuffer(twoSeconds(mono));
  EXPECT_EQ(out.voice(), nullptr);
}

TEST(NormalOutput, RefusedVoiceThrows) {
  rktest::ErrorLogCapture log;
  rktest::StartedAudio audio(2);
  host::audio::TestOptions options;
  options.sink = host::audio::SinkMode::Manual;
  options.sourceVoiceResult = host::E_OUTOFMEMORY;
  host::audio::setTestOptions(options);
  XAudioPanOutput out;
  const host::audio::WaveFormat mono = pcm16(1);
  try {
    out.createSwapBuffer(twoSeconds(mono));
    ADD_FAILURE() << "no exception";
  } catch (const HrException& e) {
    EXPECT_EQ(e.code(), host::E_OUTOFMEMORY);
    EXPECT_NE(std::string(e.what()).find("ac.getAudio2()->CreateSourceVoice()"), std::string::npos) << e.what();
  }
  EXPECT_EQ(out.voice(), nullptr);
  EXPECT_EQ(out.getQueuedBufferCount(), -1);
}

}  // namespace
