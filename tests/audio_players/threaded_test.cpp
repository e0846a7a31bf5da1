// The audio thread servicing requests while the main thread keeps calling every
// kind of audio operation: everything shared must go through the audio lock
// (the thread sanitizer build checks), and nothing may hang.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "audio_players_support.h"
#include "kernel/rk_window_proc.h"
#include "math/rk_matrix.h"

namespace {

using rk::audio::AudioContext;

TEST(ThreadedAudio, MainThreadCallsWhileTheAudioThreadTicks) {
  rktest::InTempFolder folder;
  rktest::ErrorLogCapture log;
  rktest::BoxRecorder boxes;
  rktest::writeFileAt("se/a.ogg", rktest::toneOgg(4410));
  rktest::writeFileAt("se/b.ogg", rktest::toneOgg(44100));
  rktest::writeFileAt("bgm/a.ogg", rktest::toneOgg(44100, 2));
  rktest::writeGroup("se", {"se/a.ogg", "se/b.ogg"});

  rktest::StartedAudio started;  // the real audio thread, on the manual sink
  AudioContext* audio = started.context();
  rktest::mustFinishWithin(60, [&] {
    audio->loadSEGroup("se.bsp");
    audio->loadSEGroup("se.bsp");  // waits for the thread to take the first
    while (audio->isLoadRequested()) std::this_thread::sleep_for(std::chrono::milliseconds(1));

    for (int round = 0; round < 150; ++round) {
      const int shot = audio->playOneShotSoundEffect(round % 2 ? "se/a.ogg" : "se/b.ogg", 0.0f, 1.0f);
      const int reserved = audio->createSoundEffect("se/b.ogg");
      const int shot3D = audio->playOneShot3DSoundEffect("se/a.ogg", {round * 0.01f, 0, 1, 0}, 1.0f, true);
      const int system = audio->createSystemSoundEffect("se/a.ogg");
      audio->controlSystemSoundEffect(system, false);
      audio->isNormalSEPlay(shot);
      audio->is3DSoundEffectPlaying(shot3D);
      audio->setListenerMatrix(rk::math::matrixScaling(1.0f + round * 0.01f, 1, 1));
      if (round % 10 == 0) audio->playMusic("bgm/a.ogg", 0.1f, 0.8f);
      if (round % 15 == 0) audio->playSubMusic("bgm/a.ogg");
      if (round % 20 == 5) {
        rk::setAudioActive(false);
        rk::setAudioActive(true);
      }
      audio->setMusicTotalVolume(0.9f);
      audio->setSoundEffectTotalVolume(0.9f);
      started.render(441);  // the mix runs beside the thread, as a device would
      audio->releaseNormalSoundEffect(reserved);
      audio->release3DSoundEffect(shot3D);
      audio->releaseSystemSoundEffect(system);
      audio->isPlayMusic();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    audio->releaseSoundEffectGroup("se.bsp");
    audio->releaseSoundEffectGroup("se.bsp");
  });
  EXPECT_TRUE(audio->isRunning()) << "the thread did not fail";
  EXPECT_TRUE(boxes.texts.empty());
  std::vector<std::string> names;
  audio->getSoundEffectName(names, "se.bsp");
  EXPECT_TRUE(names.empty());
  EXPECT_TRUE(log.empty()) << log.text();
}

}  // namespace

namespace {

// A voice the engine refuses ends the audio thread: it is reported, the game
// goes on, and nobody waits for the thread any more.
TEST(ThreadedAudio, RefusedVoiceEndsTheThreadAndIsReported) {
  rktest::ErrorLogCapture log;
  rktest::StartedAudio started;
  AudioContext* audio = started.context();
  rktest::fillSlot(audio, 0, "se/a.ogg", rktest::toneOgg(4410));
  host::audio::TestOptions options;
  options.sink = host::audio::SinkMode::Manual;
  options.sourceVoiceResult = host::E_OUTOFMEMORY;
  host::audio::setTestOptions(options);
  // The thread binds its players when it starts; a request posted before that
  // would be reset by the binding, so wait for the first tick.
  const std::uint32_t ticks = audio->tickCount();
  const auto started_by = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (audio->tickCount() == ticks && std::chrono::steady_clock::now() < started_by)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_GE(audio->playOneShotSoundEffect("se/a.ogg", 0.0f, 1.0f), 0);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (audio->isRunning() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_FALSE(audio->isRunning());
  audio->loadSEGroup("late.bsp");  // with the request slot free it is posted ...
  rktest::mustFinishWithin(10, [&] { audio->loadSEGroup("later.bsp"); });  // ... and this one must not wait
  audio->clearLoadRequest();
  audio->stop();  // joins the ended thread
  EXPECT_EQ(log.entries("rk::audio::AudioContext::AudioTrhead"), 1u);
}

}  // namespace
