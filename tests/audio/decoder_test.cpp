// Ogg decoders on generated files: length, loop points and the loop jump, the
// byte sources' seeks, damaged files, and feeding an output's two buffers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "audio/ogg_decoder/rk_oggmemorydecoder.h"
#include "audio/ogg_decoder/rk_oggstreamdecoder.h"
#include "audio/xaudio/rk_xaudio_normal_output.h"
#include "audio_test_support.h"
#include "ogg_fixture.h"
#include "support/error_log_capture.h"
#include "support/temp_dir.h"

namespace {

using rk::audio::OggDecoder;
using rk::audio::OggMemoryDecoder;
using rk::audio::OggStreamDecoder;

constexpr long kRate = 44100;

// A decoder of either kind on the given file bytes; the stream decoder reads a
// copy written to a temporary folder.
struct Source {
  std::unique_ptr<OggDecoder> decoder;
  std::string bytes;
  std::string path;
};

enum class Kind { Memory, Stream };

class Decoders : public ::testing::Test {
 protected:
  OggDecoder* make(Kind kind, const std::string& bytes) {
    sources_.push_back(std::make_unique<Source>());
    Source& s = *sources_.back();
    s.bytes = bytes;
    if (kind == Kind::Memory) {
      auto memory = std::make_unique<OggMemoryDecoder>();
      memory->setSource(nullptr, reinterpret_cast<const std::uint8_t*>(s.bytes.data()),
                        static_cast<std::uint32_t>(s.bytes.size()));
      s.decoder = std::move(memory);
      s.path = "sound.ogg";
    } else {
      s.path = dir_.file("music" + std::to_string(sources_.size()) + ".ogg");
      rktest::writeBytes(s.path, s.bytes);
      s.decoder = std::make_unique<OggStreamDecoder>();
    }
    return s.decoder.get();
  }
  OggDecoder* open(Kind kind, const std::string& bytes) {
    OggDecoder* d = make(kind, bytes);
    EXPECT_TRUE(d->open(sources_.back()->path.c_str()));
    return d;
  }
  // Everything the decoder gives before its data ends (at most `limit` bytes).
  static std::vector<std::int16_t> decodeAll(OggDecoder* d, std::uint32_t limit = 40 * 88200) {
    std::vector<std::uint8_t> bytes(limit);
    std::uint8_t ended = 0;
    const std::uint32_t n = d->getPCM(bytes.data(), limit, d->isLoop(), ended);
    std::vector<std::int16_t> samples(n / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
  }

  rktest::TempDir dir_;
  rktest::ErrorLogCapture log_;
  std::vector<std::unique_ptr<Source>> sources_;
};

TEST_F(Decoders, DecodeTheWholeFileFromMemoryAndFromDisk) {
  for (Kind kind : {Kind::Memory, Kind::Stream}) {
    for (int channels : {1, 2}) {
      SCOPED_TRACE(testing::Message() << "stream " << (kind == Kind::Stream) << ", channels " << channels);
      rktest::OggRecipe recipe;
      recipe.channels = channels;
      recipe.rate = 22050;
      recipe.frames = 30000;
      OggDecoder* d = open(kind, rktest::makeOgg(recipe));
      ASSERT_TRUE(d->isOpen());
      ASSERT_NE(d->info(), nullptr);
      EXPECT_EQ(d->info()->channels, channels);
      EXPECT_EQ(d->info()->rate, 22050);
      EXPECT_FALSE(d->isLoop());

      std::vector<std::uint8_t> buffer(400000, 0xAB);
      std::uint8_t ended = 0;
      const std::uint32_t n = d->getPCM(buffer.data(), static_cast<std::uint32_t>(buffer.size()), false, ended);
      EXPECT_EQ(n, 30000u * channels * 2);
      EXPECT_EQ(ended, 1);
      EXPECT_EQ(buffer[n], 0) << "the rest of the buffer is zeroed";
      EXPECT_EQ(buffer.back(), 0);
      EXPECT_EQ(d->getPCM(buffer.data(), 100, false, ended), 0u);
      EXPECT_EQ(ended, 1);

      d->close();
      EXPECT_FALSE(d->isOpen());
      EXPECT_EQ(d->info(), nullptr);
      if (kind == Kind::Stream) {
        EXPECT_EQ(static_cast<OggStreamDecoder*>(d)->file(), nullptr);
      }
    }
  }
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(Decoders, LoopPointsComeFromBothComments) {
  struct Case {
    const char* name;
    std::vector<std::string> comments;
    bool loop;
    double start, end;
  } cases[] = {
      {"both", {"TITLE=x", "LOOPSTART=44100", "LOOPLENGTH=88200"}, true, 1.0, 3.0},
      {"length first", {"LOOPLENGTH=22050", "LOOPSTART=0"}, true, 0.0, 0.5},
      {"start only", {"LOOPSTART=44100"}, false, 0.0, 0.0},
      {"length only", {"LOOPLENGTH=44100"}, false, 0.0, 0.0},
      {"not a number", {"LOOPSTART=abc", "LOOPLENGTH=44100"}, false, 0.0, 0.0},
      {"first match wins", {"LOOPSTART=4410", "LOOPSTART=8820", "LOOPLENGTH=4410"}, true, 0.1, 0.2},
      {"blank before the number", {"LOOPSTART= 22050", "LOOPLENGTH=+22050"}, true, 0.5, 1.0},
      {"lower case is no tag", {"loopstart=44100", "LOOPLENGTH=44100"}, false, 0.0, 0.0},
      {"negative is unsigned", {"LOOPSTART=-1", "LOOPLENGTH=1"}, true, 4294967295.0 / kRate, 4294967296.0 / kRate},
      {"huge wraps", {"LOOPSTART=4294967297", "LOOPLENGTH=0"}, true, 1.0 / kRate, 1.0 / kRate},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rktest::OggRecipe recipe;
    recipe.frames = 4410;
    recipe.comments = c.comments;
    OggDecoder* d = open(Kind::Memory, rktest::makeOgg(recipe));
    EXPECT_EQ(d->isLoop(), c.loop);
    EXPECT_NEAR(d->loopStart(), c.start, 1e-9);
    EXPECT_NEAR(d->loopEnd(), c.end, 1e-9);
  }
}

// Silent for a second, a tone from 1 s to 3 s, silent again to 4 s; the loop
// points cover the tone.
std::string toneBetweenSilences(const std::vector<std::string>& comments) {
  rktest::OggRecipe recipe;
  recipe.frames = 4 * kRate;
  recipe.comments = comments;
  recipe.signal = [](int, long frame) { return frame >= kRate && frame < 3 * kRate ? rktest::toneAt(frame, kRate) : 0.0f; };
  return rktest::makeOgg(recipe);
}

// Longest stretch of quiet 64-sample windows, in samples, from `from` on.
long longestQuiet(const std::vector<std::int16_t>& s, std::size_t from) {
  long longest = 0, run = 0;
  for (std::size_t at = from; at + 64 <= s.size(); at += 64) {
    double sum = 0;
    for (std::size_t i = at; i < at + 64; ++i) sum += double(s[i]) * s[i];
    const bool quiet = std::sqrt(sum / 64) < 2000.0;
    run = quiet ? run + 64 : 0;
    longest = std::max(longest, run);
  }
  return longest;
}

TEST_F(Decoders, LoopJumpsBackWithinOneReadPastTheLoopEnd) {
  OggDecoder* d = open(Kind::Memory, toneBetweenSilences({"LOOPSTART=44100", "LOOPLENGTH=88200"}));
  ASSERT_TRUE(d->isLoop());
  const std::uint32_t length = 8 * kRate * 2;
  std::vector<std::uint8_t> bytes(length);
  std::uint8_t ended = 1;
  EXPECT_EQ(d->getPCM(bytes.data(), length, true, ended), length);
  EXPECT_EQ(ended, 0);
  std::vector<std::int16_t> s(length / 2);
  std::memcpy(s.data(), bytes.data(), length);
  EXPECT_GE(longestQuiet(s, 0), kRate - 1000) << "the silent first second plays once";
  // Past the loop end at most one read of 4096 bytes (2048 samples) of the
  // silence after it gets through before the jump.
  EXPECT_LE(longestQuiet(s, kRate + kRate / 20), 2048 + 128);

  // The same file without its loop ends after its four seconds, silence and all.
  OggDecoder* plain = open(Kind::Memory, toneBetweenSilences({}));
  const std::vector<std::int16_t> once = decodeAll(plain);
  EXPECT_EQ(once.size(), std::size_t(4 * kRate));
  EXPECT_GE(longestQuiet(once, kRate + kRate / 20), kRate - 2000);
}

TEST_F(Decoders, LoopingAtTheEndOfDataGoesOnInTheSameFill) {
  rktest::OggRecipe recipe;
  recipe.frames = kRate / 4;
  OggDecoder* d = open(Kind::Memory, rktest::makeOgg(recipe));
  const std::vector<std::int16_t> once = decodeAll(open(Kind::Memory, rktest::makeOgg(recipe)));
  ASSERT_EQ(once.size(), std::size_t(kRate / 4));

  d->setLoop(true);
  const std::uint32_t length = kRate * 2;  // one second: four passes
  std::vector<std::int16_t> s(kRate);
  std::uint8_t ended = 1;
  EXPECT_EQ(d->getPCM(reinterpret_cast<std::uint8_t*>(s.data()), length, true, ended), length);
  EXPECT_EQ(ended, 0);
  for (std::size_t i = 0; i < 64; ++i) EXPECT_EQ(s[once.size() + i], once[i]) << "second pass, sample " << i;
}

TEST_F(Decoders, LoopThatYieldsNoDataEndsTheSound) {
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"loop start past the end", toneBetweenSilences({"LOOPSTART=4410000", "LOOPLENGTH=100"})},
      {"loop start at the very end", toneBetweenSilences({"LOOPSTART=176400", "LOOPLENGTH=100"})},
      {"data cut before the loop start", [] {
         std::string b = toneBetweenSilences({"LOOPSTART=150000", "LOOPLENGTH=20000"});
         return b.substr(0, b.size() / 4);
       }()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OggDecoder* d = make(Kind::Memory, c.bytes);
    if (!d->open("sound.ogg")) continue;  // a cut file may not open at all
    rktest::mustFinishWithin(20.0, [&] {
      std::vector<std::uint8_t> buffer(88200);
      std::uint8_t ended = 0;
      int fills = 0;
      while (!ended && fills < 100) {
        d->getPCM(buffer.data(), static_cast<std::uint32_t>(buffer.size()), d->isLoop(), ended);
        ++fills;
      }
      EXPECT_EQ(ended, 1);
    });
  }
}

TEST_F(Decoders, ByteSourcesClipSeeksToTheirData) {
  rktest::OggRecipe recipe;
  recipe.frames = 2000;
  const std::string ogg = rktest::makeOgg(recipe);
  const long size = static_cast<long>(ogg.size());
  struct Case {
    ogg_int64_t offset;
    int whence;
    int result;
    long position;
  } cases[] = {
      {10, SEEK_SET, 0, 10},         {5, SEEK_CUR, 0, 15},           {-20, SEEK_CUR, -1, 0},
      {-1, SEEK_END, 0, size - 1},   {1, SEEK_END, -1, size},        {0, SEEK_END, 0, size},
      {-1, SEEK_SET, -1, 0},         {size + 5, SEEK_SET, -1, size}, {3, 7, -1, size},
      {-size, SEEK_END, 0, 0},       {1LL << 40, SEEK_CUR, -1, size},
  };
  for (Kind kind : {Kind::Memory, Kind::Stream}) {
    OggDecoder* d = open(kind, ogg);
    d->oggVRSeek(0, SEEK_SET);
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "stream " << (kind == Kind::Stream) << ", offset " << c.offset << " whence "
                                      << c.whence);
      EXPECT_EQ(d->oggVRSeek(c.offset, c.whence), c.result);
      EXPECT_EQ(d->oggVRTell(), c.position);
      if (kind == Kind::Stream) {
        EXPECT_EQ(std::ftell(static_cast<OggStreamDecoder*>(d)->file()), c.position);
      }
    }
    // Reads stop at the end of the data.
    char bytes[16];
    d->oggVRSeek(-4, SEEK_END);
    EXPECT_EQ(d->oggVRRead(bytes, 1, sizeof bytes), 4u);
    EXPECT_EQ(d->oggVRRead(bytes, 1, sizeof bytes), 0u);
    d->oggVRSeek(0, SEEK_SET);
    EXPECT_EQ(d->oggVRRead(bytes, 3, 2), 2u);  // items, not bytes
    EXPECT_EQ(d->oggVRTell(), 6);
    EXPECT_EQ(d->oggVRRead(bytes, 0, 2), 0u);
  }
}

TEST_F(Decoders, DamagedFilesNeverCrashOrHang) {
  rktest::OggRecipe recipe;
  recipe.frames = 5 * kRate;
  recipe.comments = {"LOOPSTART=11025", "LOOPLENGTH=22050"};
  const std::string good = rktest::makeOgg(recipe);
  const std::size_t audio = good.size() / 4;  // the headers lie before this
  std::mt19937 random(7);
  auto damaged = [&](auto change) {
    std::string b = good;
    change(b);
    return b;
  };
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"first bytes", good.substr(0, 20)},
      {"cut in the headers", good.substr(0, 3000)},
      {"cut at 40%", good.substr(0, good.size() * 4 / 10)},
      {"cut at 90%", good.substr(0, good.size() * 9 / 10)},
      {"zeroed middle", damaged([](std::string& b) { std::fill(b.begin() + b.size() * 4 / 10, b.begin() + b.size() * 6 / 10, 0); })},
      {"flipped bits", damaged([&](std::string& b) { for (std::size_t i = audio; i < b.size(); i += 37) b[i] ^= 0x5A; })},
      {"noise", [&] {
         std::string b(5000, '\0');
         for (char& c : b) c = static_cast<char>(random());
         return b;
       }()},
      {"noise after the headers", damaged([&](std::string& b) { for (std::size_t i = audio; i < b.size(); ++i) b[i] = static_cast<char>(random()); })},
      {"audio pages doubled", good.substr(0, good.size() / 2) + good.substr(audio)},
  };
  int opened = 0;
  for (const Case& c : cases) {
    for (Kind kind : {Kind::Memory, Kind::Stream}) {
      SCOPED_TRACE(testing::Message() << c.name << (kind == Kind::Stream ? " (disk)" : " (memory)"));
      log_.clear();
      OggDecoder* d = make(kind, c.bytes);
      if (!d->open(sources_.back()->path.c_str())) {
        EXPECT_EQ(log_.entries("rk::audio::OggDecoder::open"), 1u);
        EXPECT_FALSE(d->isOpen());
        continue;
      }
      ++opened;
      rktest::mustFinishWithin(30.0, [&] {
        std::vector<std::uint8_t> buffer(88200);
        std::uint8_t ended = 0;
        for (int fill = 0; fill < 60 && !ended; ++fill) d->getPCM(buffer.data(), 88200, false, ended);
        EXPECT_EQ(ended, 1) << "without a loop the data ends";
        d->setLoop(true);
        for (int fill = 0; fill < 5; ++fill) d->getPCM(buffer.data(), 88200, true, ended);
      });
    }
  }
  EXPECT_GT(opened, 0) << "damage in the audio pages still opens";
}

TEST_F(Decoders, StreamsTheVoicesCannotPlayAreRefused) {
  rktest::OggRecipe recipe;
  recipe.channels = 9;
  recipe.frames = 4000;
  const std::string nine = rktest::makeOgg(recipe);
  if (nine.empty()) GTEST_SKIP() << "the encoder makes no nine-channel stream";
  OggDecoder* d = make(Kind::Memory, nine);
  EXPECT_FALSE(d->open("nine.ogg"));
  EXPECT_EQ(log_.entries("rk::audio::OggDecoder::open"), 1u);
}

TEST_F(Decoders, ChainedStreamEndsWhereItsFormatChanges) {
  rktest::OggRecipe mono;
  mono.frames = 10000;
  rktest::OggRecipe stereo = mono;
  stereo.channels = 2;
  stereo.serial = 2;
  OggDecoder* d = open(Kind::Memory, rktest::makeOgg(mono) + rktest::makeOgg(stereo));
  ASSERT_EQ(d->info()->channels, 1);
  EXPECT_EQ(decodeAll(d).size(), 10000u);

  // Links of the same format play through.
  rktest::OggRecipe second = mono;
  second.serial = 3;
  OggDecoder* same = open(Kind::Memory, rktest::makeOgg(mono) + rktest::makeOgg(second));
  EXPECT_EQ(decodeAll(same).size(), 20000u);
}

TEST_F(Decoders, MissingFileIsLoggedAndLeavesNothingToSetUpOrPlay) {
  rktest::StartedAudio audio(1, kRate);
  OggStreamDecoder d;
  rk::audio::XAudioNormalOutput out;
  d.setOutput(&out);
  EXPECT_FALSE(d.open(dir_.file("missing.ogg").c_str()));
  EXPECT_EQ(d.file(), nullptr);
  EXPECT_EQ(log_.entries("rk::audio::OggDecoder::open"), 1u);
  d.setup();
  EXPECT_EQ(log_.entries("rk::audio::OggDecoder::setup"), 1u);
  EXPECT_EQ(out.voice(), nullptr);
  EXPECT_FALSE(d.play());
}

class Feeding : public Decoders {
 protected:
  // A mono file of `frames` frames, its reference samples, and a decoder on it
  // set up with an output on a mono mastering voice at the file's rate.
  void prepare(long frames) {
    rktest::OggRecipe recipe;
    recipe.frames = frames;
    const std::string ogg = rktest::makeOgg(recipe);
    reference = decodeAll(open(Kind::Memory, ogg));
    ASSERT_EQ(reference.size(), std::size_t(frames));
    decoder = open(Kind::Memory, ogg);
    decoder->setOutput(&output);
    decoder->setup();
    ASSERT_NE(output.voice(), nullptr);
  }
  // The next frames the voice plays match the reference from `from` on (and are
  // silent past its end).
  void expectPlays(long from, long frames) {
    const std::vector<float> mix = audio.render(static_cast<std::uint32_t>(frames));
    for (long i = 0; i < frames; ++i) {
      const float want = from + i < static_cast<long>(reference.size()) ? reference[from + i] / 32768.0f : 0.0f;
      if (mix[i] != want) {
        ADD_FAILURE() << "frame " << from + i << ": " << mix[i] << " instead of " << want;
        return;
      }
    }
  }

  rktest::StartedAudio audio{1, kRate};
  rk::audio::XAudioNormalOutput output;
  OggDecoder* decoder = nullptr;
  std::vector<std::int16_t> reference;
};

TEST_F(Feeding, KeepsTwoOneSecondBuffersQueued) {
  prepare(kRate * 5 / 2);
  EXPECT_EQ(output.bufferSize(), std::uint32_t(kRate * 2));
  EXPECT_EQ(output.getQueuedBufferCount(), 0);
  EXPECT_TRUE(decoder->play());
  EXPECT_TRUE(decoder->play());
  EXPECT_EQ(output.getQueuedBufferCount(), 2);
  EXPECT_TRUE(decoder->play()) << "two queued: nothing to decode";
  EXPECT_EQ(output.getQueuedBufferCount(), 2);

  output.start(0);
  expectPlays(0, kRate);
  EXPECT_EQ(output.getQueuedBufferCount(), 1);
  EXPECT_TRUE(decoder->play());  // the last half second, into the first buffer again
  EXPECT_TRUE(decoder->isEnded());
  EXPECT_EQ(output.getQueuedBufferCount(), 2);
  expectPlays(kRate, kRate);
  EXPECT_TRUE(decoder->play()) << "the last buffer still plays";
  expectPlays(2 * kRate, kRate);
  EXPECT_EQ(output.getQueuedBufferCount(), 0);
  EXPECT_FALSE(decoder->play());
}

TEST_F(Feeding, ShortSoundIsSubmittedOnceAndEndsWhenPlayed) {
  prepare(kRate / 2);
  EXPECT_TRUE(decoder->play());
  EXPECT_TRUE(decoder->isEnded());
  EXPECT_EQ(output.getQueuedBufferCount(), 1);
  EXPECT_TRUE(decoder->play());
  EXPECT_EQ(output.getQueuedBufferCount(), 1);
  output.start(0);
  expectPlays(0, kRate);
  EXPECT_FALSE(decoder->play());
}

TEST_F(Feeding, PauseKeepsThePlaceAndResumeGoesOn) {
  prepare(kRate);
  decoder->play();
  output.start(0);
  expectPlays(0, 1000);
  decoder->pause();
  EXPECT_EQ(decoder->savedQueueCount(), 1);
  const std::vector<float> paused = audio.render(500);
  EXPECT_EQ(paused[0], 0.0f);
  EXPECT_EQ(paused[499], 0.0f);
  decoder->resume();
  expectPlays(1000, 1000);
}

TEST_F(Feeding, CloseStopsTheVoiceAndKeepsTheLoopPointsOnly) {
  prepare(kRate);
  decoder->setLoop(true);
  decoder->play();
  output.start(0);
  decoder->close();
  EXPECT_FALSE(decoder->isLoop());
  EXPECT_EQ(audio.render(10)[0], 0.0f) << "stopped";
  EXPECT_FALSE(decoder->play()) << "closed: nothing more to decode";
  decoder->playFromTime(0.5);
  EXPECT_TRUE(decoder->isEnded()) << "a voice output has no buffer to lock";
}

}  // namespace
