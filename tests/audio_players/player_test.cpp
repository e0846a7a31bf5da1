// One player joined to a memory decoder and a pan output, driven tick by tick:
// requests become decoder and voice actions, fades move the voice's volume, and
// the status stack saves and restores the whole state.
#include <gtest/gtest.h>

#include <cstring>

#include "audio/ogg_decoder/rk_oggmemorydecoder.h"
#include "audio/ogg_decoder/rk_oggstreamdecoder.h"
#include "audio/rk_audio_player.h"
#include "audio/rk_sound_slot.h"
#include "audio/xaudio/rk_xaudio_pan_output.h"
#include "audio_players_support.h"

namespace {

using rk::audio::AudioContext;
using rk::audio::AudioPlayer;

using rk::audio::AudioPlayerStatus;
using rk::audio::OggMemoryDecoder;
using rk::audio::SoundSlot;
using rk::audio::XAudioPanOutput;

constexpr float kStep = AudioContext::kTickStep;

class Player : public ::testing::Test {
 protected:
  void SetUp() override {
    player_.setStaticStatus(&total_);
    player_.bind(&decoder_, &output_);
    slot_.name = "se/shot.ogg";
    const std::string ogg = rktest::toneOgg(4410);  // 0.1 s: one buffer holds it all
    slot_.bytes.assign(ogg.begin(), ogg.end());
  }
  // Renders until the voice has nothing queued.
  void drain() {
    for (int i = 0; i < 50 && rktest::voiceState(output_).buffersQueued > 0; ++i) audio_.render(4410);
  }

  rktest::ErrorLogCapture log_;
  rktest::ManualAudio audio_;
  float total_ = 1.0f;
  OggMemoryDecoder decoder_;
  XAudioPanOutput output_;
  AudioPlayer player_;
  SoundSlot slot_;
};

TEST_F(Player, OpensItsSoundOnTheNextNotifyPlaysItAndGoesIdleAtTheEnd) {
  total_ = 0.8f;
  player_.openMemory(&slot_);
  const AudioPlayerStatus& s = player_.status();
  EXPECT_EQ(s.request, rk::audio::kRequestOpenMemory);
  EXPECT_TRUE(s.active && s.play);
  EXPECT_STREQ(s.file_name, "se/shot.ogg");
  EXPECT_EQ(output_.voice(), nullptr) << "nothing opens before the tick";
  player_.setVolume(0.5f);

  player_.notify();
  EXPECT_EQ(player_.status().request, rk::audio::kRequestPlaying);
  ASSERT_NE(output_.voice(), nullptr);
  EXPECT_EQ(rktest::voiceState(output_).buffersQueued, 1u);
  EXPECT_FLOAT_EQ(rktest::voiceVolume(output_), 0.16f) << "(volume x total) squared";
  EXPECT_GT(rktest::peak(audio_.render(4410)), 0.02f) << "the voice was started";

  drain();
  player_.notify();
  EXPECT_FALSE(player_.status().active);
  EXPECT_EQ(player_.status().request, rk::audio::kRequestNone);
  EXPECT_EQ(player_.stack().size(), 1u);
  EXPECT_EQ(output_.voice(), nullptr) << "the voice is destroyed";
  EXPECT_FALSE(decoder_.isOpen());
  EXPECT_FALSE(decoder_.isPlaying());
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(Player, LockedPlayerKeepsItsSoundAndStartsAgainOnlyByReset) {
  player_.openMemory(&slot_);
  player_.status().lock = 1;
  player_.notify();
  drain();
  player_.notify();
  const AudioPlayerStatus& s = player_.status();
  EXPECT_TRUE(s.active && s.lock);
  EXPECT_FALSE(s.play);
  EXPECT_EQ(s.sound_slot, &slot_);
  EXPECT_STREQ(s.file_name, "se/shot.ogg");
  EXPECT_EQ(s.request, rk::audio::kRequestNone);

  // play only sets the flag, which the next tick clears: nothing is opened.
  player_.play();
  EXPECT_TRUE(player_.status().play);
  player_.notify();
  EXPECT_FALSE(player_.status().play);
  EXPECT_EQ(output_.voice(), nullptr);

  player_.reset();
  player_.notify();
  EXPECT_EQ(player_.status().request, rk::audio::kRequestPlaying);
  EXPECT_NE(output_.voice(), nullptr);
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(Player, FadesMoveTheVoiceVolumeAndMayStopOrKeepTheReservation) {
  struct Case {
    const char* name;
    float from, to, seconds;
    bool stopAtEnd, locked;
    int ticks;
    bool activeAfter;
    float volumeAfter;
  } cases[] = {
      {"no time: target on the next tick, then stopped", 1.0f, 0.0f, 0.0f, true, false, 1, false, 1.0f},
      {"ten ticks to half", 1.0f, 0.5f, 10 * kStep, false, false, 10, true, 0.5f},
      {"halfway after five of ten", 0.0f, 1.0f, 10 * kStep, false, false, 5, true, 0.5f},
      {"locked fade-out stays reserved", 1.0f, 0.0f, 2 * kStep, true, true, 2, true, 1.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    player_.stop();
    player_.openMemory(&slot_);
    player_.status().volume = c.from;
    player_.status().lock = c.locked;
    player_.notify();
    player_.startFade(c.to, c.seconds);
    EXPECT_EQ(player_.status().stop_at_fade_end, 0);
    player_.status().stop_at_fade_end = c.stopAtEnd;
    for (int i = 0; i < c.ticks; ++i) player_.update(kStep);
    EXPECT_EQ(player_.status().active != 0, c.activeAfter);
    EXPECT_NEAR(player_.status().volume, c.volumeAfter, 1e-5);
    if (output_.voice()) {
      EXPECT_NEAR(rktest::voiceVolume(output_), c.volumeAfter * c.volumeAfter, 1e-5);
    }
    if (c.stopAtEnd) {
      EXPECT_EQ(output_.voice(), nullptr);
    }
    if (c.locked) {
      EXPECT_TRUE(player_.status().lock);
      EXPECT_EQ(player_.status().sound_slot, nullptr) << "a fade-out does not keep the sound";
      player_.reset();
      EXPECT_EQ(log_.entries("rk::audio::AudioPlayer::reset"), 1u);
    }
  }
}

TEST_F(Player, FadeWaitsWhilePaused) {
  player_.openMemory(&slot_);
  player_.notify();
  player_.startFade(0.0f, 4 * kStep);
  player_.stopVoice();
  player_.update(kStep);
  EXPECT_EQ(player_.status().volume, 1.0f);
  player_.play();
  player_.update(kStep);
  EXPECT_NEAR(player_.status().volume, 0.75f, 1e-6);
}

TEST_F(Player, StatusStackSuspendsAndResumesWhereTheVoiceStopped) {
  player_.openMemory(&slot_);
  player_.notify();
  audio_.render(441);
  const std::uint64_t before = rktest::voiceState(output_).samplesPlayed;

  player_.pushStatus();
  player_.stopVoice();
  EXPECT_EQ(player_.stack().size(), 2u);
  audio_.render(441);
  EXPECT_EQ(rktest::voiceState(output_).samplesPlayed, before) << "paused";
  player_.notify();  // a paused player is not fed, and keeps its sound
  EXPECT_TRUE(player_.status().active);

  player_.popStatus();
  EXPECT_EQ(player_.stack().size(), 1u);
  EXPECT_TRUE(player_.status().play);
  audio_.render(441);
  EXPECT_GT(rktest::voiceState(output_).samplesPlayed, before) << "resumed";

  // A pop with one status left only applies it again.
  player_.stopVoice();
  player_.status().play = 1;
  player_.popStatus();
  EXPECT_EQ(player_.stack().size(), 1u);
  EXPECT_TRUE(player_.status().play);
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(Player, TwentyFirstStatusIsRefusedAndClearLeavesTheDefault) {
  player_.openMemory(&slot_);
  for (int i = 1; i < 20; ++i) player_.pushStatus();
  EXPECT_EQ(player_.stack().size(), 20u);
  player_.status().volume = 0.25f;
  player_.pushStatus();
  EXPECT_EQ(player_.stack().size(), 20u);
  EXPECT_EQ(log_.entries("rk::policy::MaxFixVector<class rk::audio::AudioPlayerStatus,20>::push_back"), 1u);
  EXPECT_EQ(player_.status().volume, 0.25f) << "the top is unchanged";

  player_.clearStatus();
  EXPECT_EQ(player_.stack().size(), 1u);
  EXPECT_FALSE(player_.status().active);
  EXPECT_EQ(player_.status().request, rk::audio::kRequestNone);
}

TEST_F(Player, FailedOpensEndTheSoundWithoutAVoice) {
  SoundSlot damaged;
  damaged.name = "se/broken.ogg";
  damaged.bytes.assign(300, 0x5A);
  player_.openMemory(&damaged);
  player_.status().lock = 1;
  player_.notify();
  EXPECT_EQ(log_.entries("rk::audio::OggDecoder::open"), 1u);
  EXPECT_EQ(output_.voice(), nullptr);
  EXPECT_EQ(player_.status().request, rk::audio::kRequestNone);
  EXPECT_TRUE(player_.status().lock) << "a reserved player stays reserved";
  player_.notify();
  EXPECT_EQ(log_.entries("rk::audio::OggDecoder::open"), 1u) << "not retried every tick";

  // A stream player on a file that is not there.
  rk::audio::OggStreamDecoder stream;
  rk::audio::XAudioNormalOutput music;
  AudioPlayer musicPlayer;
  musicPlayer.setStaticStatus(&total_);
  musicPlayer.bind(&stream, &music);
  musicPlayer.status().setFileName("no such music.ogg");
  musicPlayer.setActive(true);
  musicPlayer.status().play = 1;
  musicPlayer.status().request = rk::audio::kRequestOpenFile;
  musicPlayer.notify();
  EXPECT_FALSE(musicPlayer.status().active);
  EXPECT_EQ(music.voice(), nullptr);
  EXPECT_EQ(log_.entries("rk::audio::OggDecoder::open"), 2u);
}

TEST_F(Player, MissingPartsAreReported) {
  AudioPlayer loose;
  loose.status().request = rk::audio::kRequestPrepared;
  loose.play();  // no output: a prepared player still turns to an open
  EXPECT_EQ(loose.status().request, rk::audio::kRequestOpenMemory);
  EXPECT_TRUE(loose.status().active && loose.status().play);
  loose.notify();  // unbound: the request waits for the players' binding
  EXPECT_EQ(loose.status().request, rk::audio::kRequestOpenMemory);

  loose.openMemory(nullptr);
  loose.setPos({1, 2, 3, 0});
  loose.applyVolume();
  loose.bind(nullptr, nullptr);
  EXPECT_EQ(log_.entries("rk::audio::AudioPlayer::openMemory"), 1u);
  EXPECT_EQ(log_.entries("rk::audio::AudioPlayer::setPos"), 1u);
  EXPECT_EQ(log_.entries("rk::audio::AudioPlayer::getStaticStatus"), 1u);
  EXPECT_EQ(log_.entries("rk::audio::AudioPlayer::setup"), 2u);
}

TEST_F(Player, LongNamesAreCutToTheStatusField) {
  AudioPlayerStatus s;
  const std::string longName(400, 'n');
  EXPECT_FALSE(s.setFileName(longName.c_str()));
  EXPECT_EQ(std::strlen(s.file_name), AudioPlayerStatus::kFileNameSize - 1);
  EXPECT_TRUE(s.setFileName(nullptr));
  EXPECT_STREQ(s.file_name, "");
}

}  // namespace
