// The sound-effect globals and their handle objects as scripts see them.
#include "script_audio_fixture.h"

namespace {

using rktest::AudioContext;
using Guard = boost::lock_guard<boost::mutex>;

class SoundEffectApi : public rktest::ScriptAudioFixture {
 protected:
  void SetUp() override {
    ScriptAudioFixture::SetUp();
    ASSERT_EQ(run("group = loadSEGroup('se.bsp') audioTick()"), "");
  }
};

TEST_F(SoundEffectApi, AllFiftyEightGlobalsAreRegisteredAndTheInertOnesChangeNothing) {
  EXPECT_EQ(rk::script::audioFunctionTable().count, 58);
  EXPECT_EQ(run(R"(
    local names = {'setAudioVolume', 'setMusicTotalVolume', 'setSoundEffectTotalVolume', 'setMusicVolume',
      'setVolPlayMusic', 'setNormalSEVolume', 'set3DSEVolume', 'setSystemSEVolume', 'playMusic', 'playSubMusic',
      'stopMusic', 'pauseMusic', 'restartMusic', 'fadeoutMusic', 'endMusic', 'isPlayMusic', 'setLoopMusic',
      'pushMainMusicStatus', 'popMainMusicStatus', 'clearPushMainMusicStatus', 'stopSubMusic', 'fadeOutSubMusic',
      'loadSEGroup', 'isSoundEffectLoding', 'releaseSoundEffectFromGroup', 'getSoundEffectName',
      'setSoundEffectRootFolder', 'createSoundEffect', 'createSystemSoundEffect', 'create3DSoundEffect',
      'playOneShotSoundEffect', 'playOneShotSoundEffect3D', 'playOneShot3DSoundEffect', 'checkSoundEffectChannel',
      'pushNormalSoundEffect', 'popNormalSoundEffect', 'clearPushNormalSoundEffect', 'stopAllNormalSE',
      'push3DSoundStatus', 'pop3DSoundStatus', 'clearPush3DSoundStatus', 'allStop3DSound', 'setListnenerCamera',
      'createSoundEffectPlayCache', 'getEntrySEDataSize', 'getEntrySEData', 'setEntrySEData',
      'get3DSoundRollOffMinParameter', 'get3DSoundRollOffMaxParameter', 'get3DSoundRollOffDefaultParameter',
      'get3DSoundMinDistanceFactor', 'get3DSoundMaxDistanceFactor', 'get3DSoundDefaultDistanceFactor',
      'playOneShotSystemSE', 'setSoundEffectPause', 'clearSoundEffect', 'dumpAudioSETTY', 'dumpSoundEffectStatus'}
    for _, name in ipairs(names) do check(type(_G[name]) == 'function', name) end
    same(values(get3DSoundRollOffMinParameter(5), get3DSoundRollOffMaxParameter(), get3DSoundRollOffDefaultParameter(),
                get3DSoundDefaultDistanceFactor()), {0, 1, 1, 1}, 0, 'constants')
    check(get3DSoundMinDistanceFactor() == 1.1754943508222875e-38, 'smallest normal float')
    check(get3DSoundMaxDistanceFactor() == 3.4028234663852886e+38, 'largest float')
    local inert = {function() return setLoopMusic(true, 1, 2) end,
                   function() return playOneShotSystemSE('se/a.ogg', 1, 2) end,
                   function() return setSoundEffectPause(true) end,
                   clearSoundEffect, dumpAudioSETTY, dumpSoundEffectStatus}
    for i, call in ipairs(inert) do same(values(call()), {}, 0, 'inert ' .. i) end
    check(not isPlayMusic(), 'no music')
  )"), "");
  Guard guard(ctx()->lock());
  for (int i = 0; i < 64; ++i) EXPECT_FALSE(ctx()->normalSoundEffects().player(i)->status().active);
}

TEST_F(SoundEffectApi, GroupsLoadOnTheNextTickAndListTheirSounds) {
  EXPECT_EQ(run(R"(
    same(values(getSoundEffectName('se.bsp')), {'se/a.ogg', 'se/b.ogg', 'se/loop.ogg'}, 0, 'names')
    same(values(getSoundEffectName('other.bsp')), {}, 0, 'not loaded')
    local again = loadSEGroup('se.bsp')
    check(isSoundEffectLoding(), 'pending until the tick')
    audioTick()
    check(not isSoundEffectLoding(), 'done')
    check(releaseSoundEffectFromGroup('se.bsp') == true, 'one reference dropped')
    check(checkSoundEffectChannel(playOneShotSoundEffect('se/a.ogg')), 'still loaded')
    check(releaseSoundEffectFromGroup('se.bsp') == true, 'the last one')
    check(not checkSoundEffectChannel(playOneShotSoundEffect('se/a.ogg')), 'gone')
    same(values(getSoundEffectName('se.bsp')), {}, 0, 'no names')
  )"), "");
}

TEST_F(SoundEffectApi, DroppingTheGroupHandleReleasesTheGroupAtTheNextCollection) {
  EXPECT_EQ(run("group = nil collectgarbage()"), "");
  Guard guard(ctx()->lock());
  EXPECT_EQ(ctx()->findSoundFile("se/a.ogg"), nullptr);
}

TEST_F(SoundEffectApi, LoadSEGroupWithoutANameIsReportedAndPostsNothing) {
  EXPECT_EQ(run("local h = loadSEGroup() check(type(h) == 'userdata') check(not isSoundEffectLoding())"), "");
  EXPECT_EQ(log_.entries("rk::script::audio::`anonymous-namespace'::loadSEGroup"), 1u);
}

TEST_F(SoundEffectApi, OneShotsReturnHandlesThatReportTheirPlayer) {
  EXPECT_EQ(run(R"(
    local shot = playOneShotSoundEffect('se/a.ogg', -0.5, 0.5)
    check(checkSoundEffectChannel(shot), 'a player')
    check(shot:isPlay(), 'playing')
    local missing = playOneShotSoundEffect('se/none.ogg')
    check(not checkSoundEffectChannel(missing), 'no player')
    check(not missing:isPlay(), 'nothing plays')
    missing:term()
    check(not checkSoundEffectChannel(42), 'not a handle')
    audioTick()
    check(render(4410) > 0, 'heard')
    shot:term()
    check(not shot:isPlay(), 'released')
  )"), "");
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(SoundEffectApi, OneShotArgumentsFollowTheirDefaults) {
  EXPECT_EQ(run(R"(
    plain = playOneShotSoundEffect('se/a.ogg')
    panned = playOneShotSoundEffect('se/a.ogg', 0.5)
    silent3D = playOneShotSoundEffect3D('se/a.ogg', 1, 2, 3)
    loud3D = playOneShot3DSoundEffect('se/a.ogg', 1, 2, 3)
  )"), "");
  Guard guard(ctx()->lock());
  AudioContext::SoundEffectPool& normal = ctx()->normalSoundEffects();
  AudioContext::SoundEffectPool& threeD = ctx()->soundEffects3D();
  EXPECT_EQ(status(normal, 0).volume, 1.0f);
  EXPECT_EQ(status(normal, 1).volume, 0.0f) << "a pan without a volume reads the volume as 0";
  EXPECT_EQ(status(threeD, 0).volume, 0.0f);
  EXPECT_FALSE(status(threeD, 0).lock);
  EXPECT_EQ(threeD.player(0)->lockCount(), 0) << "a one-shot reserves nothing";
  EXPECT_EQ(threeD.player(1)->lockCount(), 1) << "the locked one-shot's handle releases it";
  EXPECT_EQ(status(threeD, 1).volume, 1.0f);
  EXPECT_TRUE(status(threeD, 1).lock);
  rk::math::Vector4 at{};
  threeD.output(1)->getPosition(&at);
  EXPECT_EQ(at.x, 1.0f);
  EXPECT_EQ(at.z, 3.0f);
}

// One-shots reserve nothing, so whatever number of them came before, a
// reserved player whose handle is dropped stops and is free again: a looping
// sound does not play for ever.
TEST_F(SoundEffectApi, OneShotsLeaveNoReservationBehind) {
  EXPECT_EQ(run(R"(
    for i = 1, 200 do
      playOneShotSoundEffect('se/a.ogg')
      playOneShotSoundEffect3D('se/a.ogg', 0, 0, 0, 1)
    end
    for i = 1, 10 do audioTick() render(4410) end
    se = createSoundEffect('se/loop.ogg')
    s3d = create3DSoundEffect('se/loop.ogg')
    se:play() s3d:play() audioTick()
    se:setLoop(true) s3d:setLoop(true)
    audioTick() render(4410)
    check(se:isPlay() and s3d:isPlay(), 'both play')
    se, s3d = nil, nil
    collectgarbage()
    audioTick()
    check(render(4410) == 0, 'silence')
  )"), "");
  Guard guard(ctx()->lock());
  for (AudioContext::SoundEffectPool* pool : {&ctx()->normalSoundEffects(), &ctx()->soundEffects3D()}) {
    for (int i = 0; i < AudioContext::SoundEffectPool::kSize; ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(pool->player(i)->lockCount(), 0);
      EXPECT_FALSE(pool->player(i)->status().active) << "free again";
      EXPECT_FALSE(pool->decoder(i)->isLoop());
    }
  }
}

TEST_F(SoundEffectApi, ReservedSoundEffectPlaysPausesResumesAndIsFreedWhenCollected) {
  EXPECT_EQ(run(R"(
    se = createSoundEffect('se/loop.ogg')
    check(checkSoundEffectChannel(se), 'reserved')
    check(not se:isPlay(), 'prepared and paused')
    audioTick()
    check(render(441) == 0, 'silent until play')
    se:setVolume(0.5)
    se:play()
    audioTick()
    check(se:isPlay() and render(4410) > 0, 'plays')
    se:stop(true)
    check(not se:isPlay() and render(4410) == 0, 'paused')
    se:stop()
    check(se:isPlay() and render(4410) > 0, 'resumed')
    se:setLock(true)
    check(se:isLock(), 'locked')
    check(not createSoundEffect('se/none.ogg'):isPlay(), 'unknown name')
  )"), "");
  {
    Guard guard(ctx()->lock());
    EXPECT_FLOAT_EQ(rktest::voiceVolume(*ctx()->normalSoundEffects().output(0)), 0.25f);
  }
  EXPECT_EQ(run("se = nil collectgarbage()"), "");
  Guard guard(ctx()->lock());
  EXPECT_FALSE(status(ctx()->normalSoundEffects(), 0).active) << "the player is free again";
}

TEST_F(SoundEffectApi, SetNameGivesAReservedPlayerAnotherSound) {
  EXPECT_EQ(run(R"(
    se = createSoundEffect('se/a.ogg')
    se:play() audioTick()
    se:setName('se/none.ogg')
    se:setName('se/loop.ogg')
    audioTick()
  )"), "");
  Guard guard(ctx()->lock());
  EXPECT_STREQ(status(ctx()->normalSoundEffects(), 0).file_name, "se/loop.ogg");
  EXPECT_EQ(status(ctx()->normalSoundEffects(), 0).request, rk::audio::kRequestPlaying);
}

TEST_F(SoundEffectApi, SystemSoundEffectsRestartFromTheBeginning) {
  EXPECT_EQ(run(R"(
    check(createSystemSoundEffect('se/none.ogg') == nil, 'unknown name gives nil')
    sys = createSystemSoundEffect('se/a.ogg')
    check(not sys:isPlay(), 'paused')
    check(sys.isLock == nil, 'a system handle has no isLock')
    sys:play() audioTick()
    check(render(2205) > 0, 'plays')
    sys:play() audioTick()
    sys:stop('not a boolean')
    check(not sys:isPlay(), 'stopped by default')
    sys:stop(false)
    check(sys:isPlay(), 'resumed')
    sys:setName('se/b.ogg')
    audioTick()
    check(not sys:isPlay(), 'silenced by another name')
  )"), "");
  Guard guard(ctx()->lock());
  EXPECT_EQ(ctx()->systemSoundEffects().output(0)->voice(), nullptr);
}

TEST_F(SoundEffectApi, ThreeDHandlesPanFromTheirPosition) {
  EXPECT_EQ(run(R"(
    s3d = create3DSoundEffect('se/loop.ogg')
    s3d:setPos(0.5, 0, 0)
    s3d:play() audioTick()
    check(s3d:isPlay(), 'plays')
    s3d:setLoop(true)
    s3d:fadeOut(0)
    audioTick()
    check(s3d:isLock() == false and not s3d:isPlay(), 'faded out')
  )"), "");
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(SoundEffectApi, AFullPoolIsFreedByOneCollectionAndTriedAgain) {
  EXPECT_EQ(run(R"(
    collectgarbage('stop')  -- only the retry's own collection may free players
    for i = 1, 64 do
      check(checkSoundEffectChannel(playOneShot3DSoundEffect('se/loop.ogg', 0, 0, 0)), 'locked one-shot ' .. i)
    end
    check(not checkSoundEffectChannel(playOneShot3DSoundEffect('se/loop.ogg', 0, 0, 0)), 'no retry here')
    -- The dropped locked one-shots hold their players until the collector runs.
    local s3d = create3DSoundEffect('se/a.ogg')
    check(checkSoundEffectChannel(s3d), 'freed by the collection and retried')
    collectgarbage('restart')
  )"), "");
}

TEST_F(SoundEffectApi, HandleVolumesAndWrongObjects) {
  EXPECT_EQ(run(R"(
    local se = createSoundEffect('se/a.ogg')
    local s3d = create3DSoundEffect('se/a.ogg')
    setNormalSEVolume(se, 0.25)
    set3DSEVolume(s3d, 0.75)
    setNormalSEVolume({}, 1)
    check(se.isPlay(s3d) == false, 'a 3D handle is no SoundEffect')
    se:set3DSound(1)
    se:set3DNoVirtualization(1)
  )"), "");
  {
    Guard guard(ctx()->lock());
    EXPECT_EQ(status(ctx()->normalSoundEffects(), 0).volume, 0.25f);
    EXPECT_EQ(status(ctx()->soundEffects3D(), 0).volume, 0.75f);
  }
  EXPECT_EQ(log_.entries("rk::script::audio::`anonymous-namespace'::setNormalSEVolume"), 1u);
  EXPECT_EQ(log_.entries("rk::script::audio::`anonymous-namespace'::sound_effect_isPlay"), 1u);
  EXPECT_EQ(log_.entries("rk::script::audio::`anonymous-namespace'::sound_effect_set3DSound"), 1u);
}

TEST_F(SoundEffectApi, StatusStacksSuspendAndResumeWholePools) {
  EXPECT_EQ(run(R"(
    local se = createSoundEffect('se/loop.ogg')
    se:play() audioTick()
    pushNormalSoundEffect()
    stopAllNormalSE()
    check(not se:isPlay(), 'stopped')
    popNormalSoundEffect()
    check(se:isPlay(), 'restored')
    clearPushNormalSoundEffect()
    check(not se:isPlay(), 'cleared')
    local s3d = playOneShot3DSoundEffect('se/loop.ogg', 0, 0, 0)
    push3DSoundStatus() allStop3DSound()
    check(not s3d:isPlay(), '3D stopped')
    pop3DSoundStatus()
    check(s3d:isPlay(), '3D restored')
    s3d:dead()
    clearPush3DSoundStatus()
  )"), "");
}

TEST_F(SoundEffectApi, EntrySEListIsReadAndWrittenByScripts) {
  ctx()->clearEntrySE();
  ctx()->addEntrySE("audio/se/hit.ogg", {1, 2, 3, 0}, 0.5f, 1);
  EXPECT_EQ(run(R"(
    check(getEntrySEDataSize() == 1, 'one record')
    same(values(getEntrySEData(0.9)), {'audio/se/hit.ogg', 1, 2, 3, 0.5, true}, 1e-6, 'record 0')
    setEntrySEData('se/b.ogg', 4, '5', 'x', 9, false)
    same(values(getEntrySEData(1)), {'se/b.ogg', 4, 5, 0, 1, false}, 1e-6, 'appended with volume 1')
    same(values(getEntrySEData(2)), {}, 0, 'past the end')
    same(values(getEntrySEData(-1)), {}, 0, 'before the start')
    setEntrySEData()
    check(getEntrySEDataSize() == 2, 'nothing appended without a name')
  )"), "");
  ctx()->clearEntrySE();
  EXPECT_EQ(run("check(getEntrySEDataSize() == 0)"), "");
}

TEST_F(SoundEffectApi, ListenerCameraIsTruncated) {
  EXPECT_EQ(run("setListnenerCamera(2.9)"), "");
  EXPECT_EQ(ctx()->listenerCameraNumber(), 2);
  EXPECT_EQ(run("setListnenerCamera(-2.9)"), "");
  EXPECT_EQ(ctx()->listenerCameraNumber(), -2);
}

TEST_F(SoundEffectApi, PlayCacheIsATaskThatNeverPlays) {
  EXPECT_EQ(run(R"(
    cache = createSoundEffectPlayCache()
    cache:play3D('se/a.ogg', 1, 2, 3, true, 1, false)
    cache:play3D(nil)
    cache:release('se/a.ogg')
    cache:releaseAll()
  )"), "");
  EXPECT_EQ(log_.entries("rk::audio::SoundEffectPlayCache::Impl::calcHash"), 1u);
  rk::task::TaskManager* tasks = rk::task::TaskManager::getInstance();
  ASSERT_EQ(tasks->tasks().size(), 1u);
  EXPECT_EQ(tasks->tasks()[0]->priority(), 8);
  EXPECT_EQ(tasks->tasks()[0]->name(), "SoundEffectPlayCashe");
  tasks->update(1.0f / 60);
  {
    Guard guard(ctx()->lock());
    for (int i = 0; i < 64; ++i) EXPECT_FALSE(status(ctx()->soundEffects3D(), i).active);
  }
  // Collected: the task manager deletes the task on its next pass.
  EXPECT_EQ(run("cache = nil collectgarbage()"), "");
  tasks->update(1.0f / 60);
  EXPECT_TRUE(tasks->tasks().empty());

  // The other way round: the task is deleted while a script still holds it.
  EXPECT_EQ(run("cache = createSoundEffectPlayCache()"), "");
  tasks->deleteTasks(true);
  EXPECT_EQ(run("cache:releaseAll() cache = nil collectgarbage()"), "");
  EXPECT_EQ(log_.entries("rk::audio::`anonymous-namespace'::lua_SoundEffectPlayCache_releaseAll"), 1u);
}

}  // namespace
