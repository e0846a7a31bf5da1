// Music channels streaming generated Ogg files from the current folder:
// cross-fades between a channel's two players, pause and resume, volumes, the
// sub channel and focus changes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "audio_players_support.h"
#include "kernel/rk_window_proc.h"

namespace {

using rk::audio::AudioContext;
using rk::audio::AudioPlayer;

using Guard = boost::unique_lock<boost::mutex>;

class Music : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string piece = rktest::toneOgg(3 * 44100, 2);
    rktest::writeFileAt("bgm/a.ogg", piece);
    rktest::writeFileAt("bgm/b.ogg", piece);
    rktest::writeFileAt("bgm/short.ogg", rktest::toneOgg(22050));
  }
  AudioContext* ctx() const { return audio_.context(); }
  AudioPlayer& main(int i) { return ctx()->mainMusic().players[i]; }
  AudioPlayer& sub(int i) { return ctx()->subMusic().players[i]; }
  rk::audio::XAudioNormalOutput& mainOut(int i) { return ctx()->mainMusic().outputs[i]; }
  rk::audio::XAudioNormalOutput& subOut(int i) { return ctx()->subMusic().outputs[i]; }

  rktest::InTempFolder folder_;
  rktest::ErrorLogCapture log_;
  rktest::ManualAudio audio_;
};

TEST_F(Music, NewPieceCrossFadesWithTheOldOneOnTheOtherPlayer) {
  ctx()->playMusic("bgm/a.ogg", 0.0f, 1.0f);
  audio_.tick();
  EXPECT_GT(rktest::peak(audio_.render(4410)), 0.1f) << "the file streams";
  ctx()->playMusic("bgm/b.ogg", 2.0f, 0.5f);
  audio_.tick();
  Guard guard(ctx()->lock());
  EXPECT_EQ(ctx()->mainMusic().index, 1);
  ASSERT_NE(mainOut(1).voice(), nullptr);
  EXPECT_NEAR(main(0).status().volume, 1.0f - 0.016f / 2.0f, 1e-5);
  EXPECT_NEAR(main(1).status().volume, 1.0f - 0.5f * 0.016f / 2.0f, 1e-5);
  EXPECT_NEAR(rktest::voiceVolume(mainOut(0)), std::pow(main(0).status().volume, 2.0f), 1e-5);
  guard.unlock();

  audio_.tick(118);
  guard.lock();
  EXPECT_TRUE(main(0).status().active) << "still fading";
  guard.unlock();
  audio_.tick(10);
  guard.lock();
  EXPECT_FALSE(main(0).status().active) << "stopped at the end of its fade";
  EXPECT_EQ(mainOut(0).voice(), nullptr);
  EXPECT_FLOAT_EQ(main(1).status().volume, 0.5f);
  EXPECT_FLOAT_EQ(rktest::voiceVolume(mainOut(1)), 0.25f);
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(Music, SecondPieceInTheSameFrameFadesTheFirstOutAtOnce) {
  ctx()->playMusic("bgm/a.ogg", 1.0f, 1.0f);
  ctx()->playMusic("bgm/b.ogg", 1.0f, 1.0f);
  Guard guard(ctx()->lock());
  EXPECT_EQ(ctx()->mainMusic().index, 1);
  EXPECT_TRUE(main(0).status().fader.isFading());
  EXPECT_EQ(main(0).status().stop_at_fade_end, 1);
  EXPECT_STREQ(main(0).status().file_name, "bgm/a.ogg");
  EXPECT_STREQ(main(1).status().file_name, "bgm/b.ogg");
}

TEST_F(Music, EndMusicStopsOnTheNextTickAndFadeoutMusicTakesItsTime) {
  struct Case {
    const char* name;
    float seconds;
    int ticksStillPlaying;
  } cases[] = {{"end", 0.0f, 0}, {"three seconds", 3.0f, 185}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ctx()->playMusic("bgm/a.ogg", 0.0f, 1.0f);
    audio_.tick();
    ctx()->fadeoutMusic(c.seconds);
    audio_.tick(c.ticksStillPlaying);
    EXPECT_TRUE(ctx()->isPlayMusic());
    audio_.tick(5);
    EXPECT_FALSE(ctx()->isPlayMusic());
  }
}

TEST_F(Music, PauseAndRestartResumeWhereThePieceStopped) {
  ctx()->playMusic("bgm/a.ogg", 0.0f, 1.0f);
  audio_.tick();
  audio_.render(4410);
  ctx()->stopMusic();
  EXPECT_FALSE(ctx()->isPlayMusic());
  const std::uint64_t at = rktest::voiceState(mainOut(0)).samplesPlayed;
  audio_.tick(5);
  EXPECT_EQ(rktest::peak(audio_.render(4410)), 0.0f);
  EXPECT_EQ(rktest::voiceState(mainOut(0)).samplesPlayed, at);

  ctx()->restartMusic();
  EXPECT_TRUE(ctx()->isPlayMusic());
  audio_.render(441);
  EXPECT_EQ(rktest::voiceState(mainOut(0)).samplesPlayed, at + 441) << "no gap, no skip";
  audio_.tick();
  Guard guard(ctx()->lock());
  EXPECT_FALSE(main(1).status().play) << "the idle player lost the flag again";
  EXPECT_TRUE(main(0).status().play);
}

TEST_F(Music, TotalVolumeScalesEveryPieceAlsoLaterOnes) {
  ctx()->playMusic("bgm/a.ogg", 0.0f, 1.0f);
  audio_.tick();
  ctx()->setMusicTotalVolume(0.0f);
  EXPECT_EQ(rktest::voiceVolume(mainOut(0)), 0.0f);
  ctx()->playMusic("bgm/b.ogg", 0.0f, 1.0f);
  ctx()->playSubMusic("bgm/a.ogg");
  audio_.tick();
  EXPECT_EQ(rktest::peak(audio_.render(4410)), 0.0f);
  ctx()->setMusicTotalVolume(0.5f);
  ctx()->setMusicVolume(0.5f);
  Guard guard(ctx()->lock());
  EXPECT_FLOAT_EQ(rktest::voiceVolume(mainOut(1)), 0.0625f);
  EXPECT_FLOAT_EQ(rktest::voiceVolume(subOut(0)), 0.25f) << "sub music keeps its own volume";
}

TEST_F(Music, SubFadeOutMovesTheSubChannelOn) {
  ctx()->playSubMusic("bgm/a.ogg");
  audio_.tick();
  ctx()->fadeOutSubMusic(0.5f);
  EXPECT_EQ(ctx()->subMusic().index, 1);
  ctx()->playSubMusic("bgm/b.ogg");
  Guard guard(ctx()->lock());
  EXPECT_EQ(ctx()->subMusic().index, 1) << "the faded player is reused only after the other";
  EXPECT_STREQ(sub(1).status().file_name, "bgm/b.ogg");
  EXPECT_TRUE(sub(0).status().fader.isFading());
  guard.unlock();
  ctx()->stopSubMusic();
  guard.lock();
  EXPECT_FALSE(sub(0).status().play);
  EXPECT_FALSE(sub(1).status().play);
}

TEST_F(Music, LosingFocusPausesMainMusicOnlyAndRegainingItResumes) {
  ctx()->playMusic("bgm/a.ogg", 0.0f, 1.0f);
  ctx()->playSubMusic("bgm/b.ogg");
  audio_.tick();
  audio_.render(441);
  rk::setAudioActive(false);
  const std::uint64_t mainAt = rktest::voiceState(mainOut(0)).samplesPlayed;
  const std::uint64_t subAt = rktest::voiceState(subOut(0)).samplesPlayed;
  audio_.tick(3);
  audio_.render(441);
  EXPECT_EQ(rktest::voiceState(mainOut(0)).samplesPlayed, mainAt);
  EXPECT_EQ(rktest::voiceState(subOut(0)).samplesPlayed, subAt + 441);
  rk::setAudioActive(true);
  audio_.render(441);
  EXPECT_EQ(rktest::voiceState(mainOut(0)).samplesPlayed, mainAt + 441);
  Guard guard(ctx()->lock());
  EXPECT_EQ(main(0).stack().size(), 1u);
}

TEST_F(Music, ShortPieceEndsAndTheChannelFallsQuiet) {
  ctx()->playMusic("bgm/short.ogg", 0.0f, 1.0f);
  EXPECT_TRUE(audio_.playUntil([&] { return !ctx()->isPlayMusic(); }));
  Guard guard(ctx()->lock());
  EXPECT_FALSE(main(0).status().active);
  EXPECT_EQ(mainOut(0).voice(), nullptr);
}

TEST_F(Music, LoopPointsKeepAPieceGoingPastItsEnd) {
  rktest::writeFileAt("bgm/loop.ogg", rktest::toneOgg(22050, 1, {"LOOPSTART=4410", "LOOPLENGTH=8820"}));
  ctx()->playMusic("bgm/loop.ogg", 0.0f, 1.0f);
  for (int i = 0; i < 40; ++i) {
    audio_.tick();
    audio_.render(4410);
  }
  EXPECT_TRUE(ctx()->isPlayMusic()) << "four seconds of a half-second file";
}

TEST_F(Music, RequestsMadeBeforeTheStartOpenOnTheFirstTick) {
  ctx()->stop();
  ctx()->playMusic("bgm/a.ogg", 0.0f, 1.0f);
  {
    Guard guard(ctx()->lock());
    EXPECT_EQ(main(0).status().request, rk::audio::kRequestOpenFile);
  }
  rktest::useManualAudio(2, 44100);
  ctx()->init(AudioContext::TickMode::Manual);
  audio_.tick();
  EXPECT_GT(rktest::peak(audio_.render(4410)), 0.1f);
}

TEST_F(Music, UnusableNamesLeaveTheChannelAlone) {
  const std::string tooLong = "bgm/" + std::string(300, 'x') + ".ogg";
  ctx()->playMusic(tooLong.c_str(), 0.0f, 1.0f);
  ctx()->playMusic(nullptr, 0.0f, 1.0f);
  EXPECT_EQ(log_.entries("rk::audio::AudioContext::playMusicOnChannel"), 2u);
  {
    Guard guard(ctx()->lock());
    EXPECT_FALSE(main(0).status().active);
  }
  ctx()->playMusic("bgm/missing.ogg", 0.0f, 1.0f);
  audio_.tick();
  EXPECT_EQ(log_.entries("rk::audio::OggDecoder::open"), 1u);
  EXPECT_FALSE(ctx()->isPlayMusic());
}

}  // namespace
