// The sound-effect pools through the audio context: the free-player choice,
// reserved players, 3D pan from the listener, total volume and focus changes.
#include <gtest/gtest.h>

#include <vector>

#include "audio_players_support.h"
#include "kernel/rk_window_proc.h"
#include "math/rk_matrix.h"

namespace {

using rk::audio::AudioContext;
using rk::audio::AudioPlayer;

using Guard = boost::lock_guard<boost::mutex>;

class Pools : public ::testing::Test {
 protected:
  void SetUp() override {
    rktest::fillSlot(ctx(), 0, "se/long.ogg", rktest::toneOgg(88200));  // 2 s
    rktest::fillSlot(ctx(), 1, "se/short.ogg", rktest::toneOgg(4410));
  }
  AudioContext* ctx() const { return audio_.context(); }
  AudioContext::SoundEffectPool& normal() { return ctx()->normalSoundEffects(); }
  AudioContext::SoundEffectPool& threeD() { return ctx()->soundEffects3D(); }

  rktest::ErrorLogCapture log_;
  rktest::ManualAudio audio_;
};

TEST_F(Pools, OneShotsTakeIdlePlayersThenCutOffOneThatNeitherLoopsNorIsLocked) {
  for (int i = 0; i < 64; ++i) ASSERT_EQ(ctx()->playOneShotSoundEffect("se/long.ogg", 0.0f, 1.0f), i);
  audio_.tick();
  {
    Guard guard(ctx()->lock());
    normal().setLoop(0, true);
    normal().player(1)->status().lock = 1;
  }
  EXPECT_EQ(ctx()->playOneShotSoundEffect("se/long.ogg", 0.0f, 1.0f), 2);
  {
    Guard guard(ctx()->lock());
    EXPECT_EQ(normal().player(2)->status().request, rk::audio::kRequestOpenMemory) << "cut off and reopened";
    EXPECT_EQ(normal().player(2)->lockCount(), 0) << "a one-shot reserves nothing";
    for (int i = 0; i < 64; ++i) normal().setLoop(i, true);
  }
  EXPECT_EQ(ctx()->playOneShotSoundEffect("se/long.ogg", 0.0f, 1.0f), -1) << "every player loops";
  EXPECT_EQ(ctx()->playOneShotSoundEffect("se/unknown.ogg", 0.0f, 1.0f), -1);
  EXPECT_EQ(ctx()->playOneShotSoundEffect(nullptr, 0.0f, 1.0f), -1);
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(Pools, ReservedPlayerWaitsPreparedAndIsFreedByItsLastRelease) {
  const int index = ctx()->createSoundEffect("se/short.ogg");
  ASSERT_EQ(index, 0);
  audio_.tick();
  {
    Guard guard(ctx()->lock());
    const rk::audio::AudioPlayerStatus& s = normal().player(index)->status();
    EXPECT_EQ(s.request, rk::audio::kRequestPrepared);
    EXPECT_TRUE(s.active);
    EXPECT_FALSE(s.play);
    EXPECT_EQ(normal().output(index)->voice(), nullptr) << "nothing opens while prepared";
    normal().pause(index, false);
  }
  EXPECT_TRUE(ctx()->isNormalSEPlay(index));
  audio_.tick();
  {
    Guard guard(ctx()->lock());
    EXPECT_NE(normal().output(index)->voice(), nullptr);
    normal().player(index)->addLock();  // handed out twice
    normal().setLoop(index, true);
  }
  ctx()->releaseNormalSoundEffect(index);
  {
    Guard guard(ctx()->lock());
    EXPECT_TRUE(normal().player(index)->status().active) << "one reservation is left";
  }
  ctx()->releaseNormalSoundEffect(index);
  Guard guard(ctx()->lock());
  EXPECT_FALSE(normal().player(index)->status().active);
  EXPECT_EQ(normal().output(index)->voice(), nullptr);
  EXPECT_EQ(normal().decoder(index)->data(), nullptr) << "the memory source is cleared";
  EXPECT_FALSE(normal().decoder(index)->isLoop());
  // Out-of-range indices are ignored.
  normal().releasePlayer(64);
  normal().pause(-1, true);
  EXPECT_FALSE(normal().isPlay(99));
}

TEST_F(Pools, ThreeDSoundsPanByTheirPlaceInTheListenersClipSpace) {
  rk::math::Matrix depth = rk::math::matrixIdentity();  // w = z: a perspective divide
  depth.m[2][3] = 1.0f;
  depth.m[3][3] = 0.0f;
  rk::math::Matrix zero = {};
  struct Case {
    const char* name;
    rk::math::Matrix listener;
    rk::math::Vector4 at;
    float pan;
  } cases[] = {
      {"straight ahead", rk::math::matrixIdentity(), {0, 0, 0, 0}, 0.0f},
      {"half right", rk::math::matrixIdentity(), {0.5f, 0, 0, 0}, 0.5f},
      {"right edge", rk::math::matrixIdentity(), {1, 0, 0, 0}, 1.0f},
      {"beyond the right edge", rk::math::matrixIdentity(), {3, 0, 0, 0}, 1.0f},
      {"beyond the left edge", rk::math::matrixIdentity(), {-3, 0, 0, 0}, -1.0f},
      {"divided by depth", depth, {1, 0, 2, 0}, 0.5f},
      {"behind the camera: the other side", depth, {1, 0, -2, 0}, -0.5f},
      {"at the eye", zero, {0, 0, 0, 0}, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ctx()->setListenerMatrix(c.listener);
    const int index = ctx()->playOneShot3DSoundEffect("se/long.ogg", c.at, 1.0f, false);
    ASSERT_GE(index, 0);
    audio_.tick();
    Guard guard(ctx()->lock());
    EXPECT_FLOAT_EQ(threeD().output(index)->pan(), c.pan);
    float sent[2] = {};
    threeD().output(index)->voice()->getOutputMatrix(nullptr, 1, 2, sent);
    EXPECT_FLOAT_EQ(sent[0], 0.5f - 0.5f * c.pan);
    EXPECT_FLOAT_EQ(sent[1], 0.5f + 0.5f * c.pan);
  }
  // A position set later moves the pan on the next tick.
  const int index = ctx()->create3DSoundEffect("se/long.ogg");
  ctx()->setListenerMatrix(rk::math::matrixIdentity());
  ctx()->control3DSoundEffect(index, false);
  ctx()->set3DSoundEffectPos(index, {-0.25f, 0, 0, 0});
  audio_.tick();
  Guard guard(ctx()->lock());
  EXPECT_FLOAT_EQ(threeD().output(index)->pan(), -0.25f);
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(Pools, LoopingOrLockedThreeDSoundsAreNeverCutOff) {
  for (int i = 0; i < 64; ++i) ASSERT_EQ(ctx()->playOneShot3DSoundEffect("se/long.ogg", {}, 1.0f, false), i);
  ctx()->set3DSoundEffectLoop(0, true);
  ctx()->lock3DSoundEffect(1);
  EXPECT_EQ(ctx()->playOneShot3DSoundEffect("se/long.ogg", {}, 1.0f, false), 2);
  {
    Guard guard(ctx()->lock());
    EXPECT_FALSE(threeD().player(2)->status().lock) << "the set-up clears the lock flag";
  }
  // A stopped 3D sound counts as free at once, while its queued audio plays out.
  audio_.tick(2);
  ctx()->stop3DSoundEffect(5);
  EXPECT_GT(rktest::peak(audio_.render(4410)), 0.05f);
  EXPECT_EQ(ctx()->playOneShot3DSoundEffect("se/short.ogg", {}, 1.0f, false), 5);
}

TEST_F(Pools, OneShotKeepsItsPanWhenItsVoiceIsMade) {
  const int index = ctx()->playOneShotSoundEffect("se/short.ogg", -1.0f, 1.0f);
  audio_.tick();
  Guard guard(ctx()->lock());
  float sent[2] = {};
  normal().output(index)->voice()->getOutputMatrix(nullptr, 1, 2, sent);
  EXPECT_EQ(sent[0], 1.0f);
  EXPECT_EQ(sent[1], 0.0f);
}

TEST_F(Pools, TotalVolumeScalesEveryActivePlayer) {
  const int normalIndex = ctx()->playOneShotSoundEffect("se/long.ogg", 0.0f, 0.8f);
  const int index3D = ctx()->playOneShot3DSoundEffect("se/long.ogg", {}, 1.0f, false);
  const int systemIndex = ctx()->createSystemSoundEffect("se/long.ogg");
  ctx()->controlSystemSoundEffect(systemIndex, false);
  audio_.tick();
  ctx()->setSoundEffectTotalVolume(0.5f);
  Guard guard(ctx()->lock());
  EXPECT_FLOAT_EQ(rktest::voiceVolume(*normal().output(normalIndex)), 0.16f);
  EXPECT_FLOAT_EQ(rktest::voiceVolume(*threeD().output(index3D)), 0.25f);
  EXPECT_FLOAT_EQ(rktest::voiceVolume(*ctx()->systemSoundEffects().output(systemIndex)), 0.25f);
  normal().setVolume(normalIndex, 1.0f);
  EXPECT_FLOAT_EQ(rktest::voiceVolume(*normal().output(normalIndex)), 0.25f);
}

TEST_F(Pools, SystemPoolReusesLoopingPlayersButNotLockedOnes) {
  for (int i = 0; i < 32; ++i) ASSERT_EQ(ctx()->createSystemSoundEffect("se/short.ogg"), i);
  {
    Guard guard(ctx()->lock());
    for (int i = 0; i < 32; ++i) ctx()->systemSoundEffects().setLoop(i, true);
    ctx()->systemSoundEffects().player(0)->status().lock = 1;
  }
  EXPECT_EQ(ctx()->createSystemSoundEffect("se/short.ogg"), 1);
  Guard guard(ctx()->lock());
  EXPECT_EQ(ctx()->systemSoundEffects().player(1)->lockCount(), 2);
  EXPECT_EQ(ctx()->systemSoundEffects().player(1)->status().request, rk::audio::kRequestPrepared);
}

TEST_F(Pools, LosingFocusPausesNormalAnd3DSoundsAndRegainingItResumesThem) {
  const int normalIndex = ctx()->playOneShotSoundEffect("se/long.ogg", 0.0f, 1.0f);
  const int index3D = ctx()->playOneShot3DSoundEffect("se/long.ogg", {}, 1.0f, false);
  audio_.tick();
  audio_.render(441);
  auto played = [&] {
    Guard guard(ctx()->lock());
    return rktest::voiceState(*normal().output(normalIndex)).samplesPlayed +
           rktest::voiceState(*threeD().output(index3D)).samplesPlayed;
  };
  rk::setAudioActive(false);
  const std::uint64_t before = played();
  audio_.tick(3);
  audio_.render(441);
  EXPECT_EQ(played(), before);
  EXPECT_FALSE(ctx()->isNormalSEPlay(normalIndex));

  rk::setAudioActive(true);
  EXPECT_TRUE(ctx()->isNormalSEPlay(normalIndex));
  EXPECT_TRUE(ctx()->is3DSoundEffectPlaying(index3D));
  audio_.render(441);
  EXPECT_EQ(played(), before + 2 * 441);
  Guard guard(ctx()->lock());
  EXPECT_EQ(normal().player(normalIndex)->stack().size(), 1u);
}

}  // namespace
