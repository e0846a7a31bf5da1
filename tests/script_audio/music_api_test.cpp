// The music and volume globals as scripts see them.
#include "script_audio_fixture.h"

namespace {

using rktest::AudioContext;
using Guard = boost::lock_guard<boost::mutex>;

class MusicApi : public rktest::ScriptAudioFixture {
 protected:
  const rk::audio::AudioPlayerStatus& main(int i) { return ctx()->mainMusic().players[i].status(); }
};

TEST_F(MusicApi, PlayMusicReadsItsVolumeOnlyOnceAThirdArgumentIsThere) {
  struct Case {
    const char* call;
    float volume;
  } cases[] = {
      {"playMusic('bgm/a.ogg')", 1.0f},
      {"playMusic('bgm/b.ogg', 2, nil, 0.5)", 0.5f},
      {"playMusic('bgm/a.ogg', 2)", 1.0f},
      {"playMusic('bgm/b.ogg', 2, nil)", 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.call);
    ASSERT_EQ(run(c.call), "");
    // Past every fade: the new piece holds its volume, the old one has stopped.
    ASSERT_EQ(run("audioTick(200)"), "");
    Guard guard(ctx()->lock());
    const int index = ctx()->mainMusic().index;
    EXPECT_FLOAT_EQ(main(index).volume, c.volume);
    EXPECT_FALSE(main(1 - index).active) << "the old piece has faded out and stopped";
  }
}

TEST_F(MusicApi, PauseEndAndStatusGlobalsDriveTheMainChannel) {
  EXPECT_EQ(run(R"(
    playMusic('bgm/a.ogg')
    audioTick()
    check(isPlayMusic() and render(4410) > 0, 'playing')
    pauseMusic(true)
    check(not isPlayMusic() and render(4410) == 0, 'paused')
    pauseMusic(false)
    check(isPlayMusic() and render(4410) > 0, 'resumed')
    stopMusic()
    restartMusic()
    check(isPlayMusic(), 'restarted')
    pushMainMusicStatus()
    stopMusic()
    popMainMusicStatus()
    check(isPlayMusic(), 'restored')
    pushMainMusicStatus()
    clearPushMainMusicStatus()
    check(not isPlayMusic(), 'cleared')
    playMusic('bgm/b.ogg')
    audioTick()
    endMusic()
    audioTick()
    check(not isPlayMusic(), 'ended on the next tick')
    playMusic('bgm/a.ogg')
    audioTick()
    fadeoutMusic(0)
    audioTick()
    check(not isPlayMusic(), 'fadeoutMusic(0) is endMusic')
  )"), "");
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(MusicApi, VolumeGlobalsScaleTheirVoices) {
  EXPECT_EQ(run(R"(
    playMusic('bgm/a.ogg')
    playSubMusic('bgm/b.ogg')
    audioTick()
    setMusicTotalVolume(0.5)
    setVolPlayMusic(0.5)
    setAudioVolume(0.5)
  )"), "");
  Guard guard(ctx()->lock());
  EXPECT_FLOAT_EQ(rktest::voiceVolume(ctx()->mainMusic().outputs[0]), 0.0625f);
  EXPECT_FLOAT_EQ(rktest::voiceVolume(ctx()->subMusic().outputs[0]), 0.25f);
  float master = 0.0f;
  ctx()->getMasteringVoice()->getVolume(&master);
  EXPECT_FLOAT_EQ(master, 0.25f);
  EXPECT_EQ(ctx()->masterVolume(), 0.5f);
}

TEST_F(MusicApi, SubMusicStopsAndFadesOnItsOwn) {
  EXPECT_EQ(run(R"(
    playSubMusic('bgm/a.ogg')
    audioTick()
    check(render(4410) > 0, 'sub music plays')
    check(not isPlayMusic(), 'isPlayMusic asks the main channel')
    stopSubMusic()
    check(render(4410) == 0, 'stopped')
    fadeOutSubMusic(1)
    playSubMusic()
  )"), "");
  Guard guard(ctx()->lock());
  EXPECT_EQ(ctx()->subMusic().index, 1);
  EXPECT_FALSE(ctx()->subMusic().players[1].status().active) << "no name, no piece";
}

}  // namespace
