// The audio context: embedded in the device context, started and stopped with
// the framework, its thread's tick under the audio lock, and its start failures.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "audio/rk_audio_context.h"
#include "audio_test_support.h"
#include "host/clock.h"
#include "kernel/framework_test_support.h"
#include "kernel/rk_framework.h"
#include "kernel/rk_hr_exception.h"
#include "kernel/rk_instance_table.h"
#include "kernel/rk_window_proc.h"
#include "platform/driver/rk_stopwatch.h"
#include "support/error_log_capture.h"

namespace {

using rk::InstanceSlot;
using rk::audio::AudioContext;

bool waitFor(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

TEST(AudioContext, LivesInTheDeviceContextAndOpensNothingBeforeItsStart) {
  rk::DeviceContext* device = rk::DeviceContext::getInstance();
  AudioContext* audio = rktest::audioContext();
  ASSERT_NE(audio, nullptr);
  EXPECT_EQ(rk::instanceSlot(InstanceSlot::AudioContext), audio);
  const char* at = reinterpret_cast<const char*>(audio);
  const char* begin = reinterpret_cast<const char*>(device);
  EXPECT_TRUE(at >= begin && at < begin + sizeof(rk::DeviceContext));

  EXPECT_FALSE(audio->isRunning());
  EXPECT_EQ(audio->getAudio2(), nullptr);
  EXPECT_EQ(audio->getMasteringVoice(), nullptr);
  EXPECT_EQ(audio->listenerCameraNumber(), 0);
  const rk::math::Matrix m = audio->listenerMatrix();
  const rk::math::Matrix identity = rk::math::matrixIdentity();
  EXPECT_EQ(std::memcmp(&m, &identity, sizeof m), 0);
  EXPECT_EQ(audio->masterVolume(), 1.0f);
  EXPECT_EQ(audio->musicTotalVolume(), 1.0f);
  EXPECT_EQ(audio->soundEffectTotalVolume(), 1.0f);
}

TEST(AudioContext, SecondContextIsReportedAndTakesTheSlot) {
  rktest::ErrorLogCapture log;
  void* embedded = rk::instanceSlot(InstanceSlot::AudioContext);
  {
    auto second = std::make_unique<AudioContext>();
    EXPECT_EQ(log.entries("rk::audio::AudioContext::AudioContext"), 1u);
    EXPECT_EQ(AudioContext::getInstance(), second.get());
  }
  EXPECT_EQ(rk::instanceSlot(InstanceSlot::AudioContext), nullptr);
  EXPECT_EQ(AudioContext::getInstance(), nullptr);
  EXPECT_EQ(log.entries("rk::audio::AudioContext::getInstance"), 1u);
  rk::instanceSlot(InstanceSlot::AudioContext) = embedded;
}

TEST(AudioContext, StartsTicksAndStopsCleanlyAgainAndAgain) {
  rktest::ErrorLogCapture log;
  AudioContext* audio = rktest::audioContext();
  rktest::useManualAudio(2, 48000);
  for (int round = 0; round < 2; ++round) {
    audio->init();
    EXPECT_TRUE(audio->isRunning());
    EXPECT_NE(audio->getAudio2(), nullptr);
    ASSERT_NE(audio->getMasteringVoice(), nullptr);
    const std::uint32_t before = audio->tickCount();
    EXPECT_TRUE(waitFor([&] { return audio->tickCount() >= before + 3; })) << "the thread ticks";
    if (round == 1) audio->init();  // a second start while running restarts cleanly

    audio->stop();
    EXPECT_FALSE(audio->isRunning());
    EXPECT_EQ(audio->getAudio2(), nullptr);
    EXPECT_EQ(audio->getMasteringVoice(), nullptr);
    const std::uint32_t after = audio->tickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(audio->tickCount(), after) << "the thread has been joined";
    audio->stop();
  }
  EXPECT_TRUE(log.empty()) << log.text();
  host::audio::resetTestOptions();
}

TEST(AudioContext, StartFailuresThrowAndLeaveNothingRunning) {
  struct Case {
    const char* name;
    host::audio::TestOptions options;
    host::HResult code;
    std::string text;
    bool initEntry;
  };
  auto with = [](auto change) {
    host::audio::TestOptions o;
    o.sink = host::audio::SinkMode::Manual;
    change(o);
    return o;
  };
  const Case cases[] = {
      {"engine", with([](auto& o) { o.createResult = host::E_FAIL; }), host::E_FAIL, "XAudio2Create", false},
      {"mastering voice", with([](auto& o) { o.masteringResult = host::XAUDIO2_E_DEVICE_INVALIDATED; }),
       host::XAUDIO2_E_DEVICE_INVALIDATED, "xaudio2_->CreateMasteringVoice", false},
      {"nine speakers", with([](auto& o) { o.channels = 9; }), host::E_FAIL, "チャンネル数が足りない", true},
  };
  AudioContext* audio = rktest::audioContext();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rktest::ErrorLogCapture log;
    host::audio::setTestOptions(c.options);
    try {
      audio->init();
      ADD_FAILURE() << "no exception";
    } catch (const HrException& e) {
      EXPECT_EQ(e.code(), c.code);
      EXPECT_NE(std::string(e.what()).find(c.text), std::string::npos) << e.what();
    }
    EXPECT_FALSE(audio->isRunning());
    EXPECT_EQ(log.entries("rk::audio::AudioContext::init"), c.initEntry ? 1u : 0u);
    audio->stop();
    EXPECT_EQ(audio->getAudio2(), nullptr);
  }
  // Eight speakers are accepted.
  host::audio::setTestOptions(with([](auto& o) { o.channels = 8; }));
  audio->init();
  EXPECT_TRUE(audio->isRunning());
  audio->stop();
  host::audio::resetTestOptions();
}

TEST(AudioContext, EveryLockedCallWaitsWhileTheLockIsHeld) {
  rktest::StartedAudio started;
  AudioContext* audio = started.context();
  const struct Case {
    const char* name;
    std::function<void()> call;
  } cases[] = {
      {"tick", [&] { audio->tick(); }},
      {"listener matrix", [&] { audio->setListenerMatrix(rk::math::matrixScaling(2, 2, 2)); }},
      {"load request", [&] { audio->postLoadRequest("se/group.bsp"); }},
      {"root folder", [&] { audio->setSoundEffectRootFolder("se"); }},
      {"losing focus", [] { rk::setAudioActive(false); }},
      {"regaining focus", [] { rk::setAudioActive(true); }},
  };
  ASSERT_TRUE(waitFor([&] { return audio->tickCount() > 0; }));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::atomic<bool> done{false};
    std::thread caller;
    {
      boost::lock_guard<boost::mutex> guard(audio->lock());
      const std::uint32_t ticks = audio->tickCount();
      caller = std::thread([&] {
        c.call();
        done = true;
      });
      std::this_thread::sleep_for(std::chrono::milliseconds(60));
      EXPECT_FALSE(done);
      EXPECT_EQ(audio->tickCount(), ticks) << "the audio thread waits too";
    }
    caller.join();
    EXPECT_TRUE(done);
  }
  EXPECT_EQ(audio->listenerMatrix().m[0][0], 2.0f);
  audio->setListenerMatrix(rk::math::matrixIdentity());  // the context outlives this test
}

TEST(AudioContext, LoadRequestPostedBeforeTheThreadRunsIsDropped) {
  AudioContext* audio = rktest::audioContext();
  const std::string longName(400, 'a');
  audio->postLoadRequest(longName.c_str());
  EXPECT_TRUE(audio->isLoadRequested());
  EXPECT_EQ(std::strlen(audio->loadRequestName()), AudioContext::kNameSize - 1);
  {
    rktest::StartedAudio started;
    ASSERT_TRUE(waitFor([&] { return audio->tickCount() > 0; }));
    EXPECT_FALSE(audio->isLoadRequested());
  }
  audio->clearLoadRequest();
}

TEST(AudioContext, DestroyingARunningContextJoinsItsThreadFirst) {
  void* embedded = rk::instanceSlot(InstanceSlot::AudioContext);
  rk::instanceSlot(InstanceSlot::AudioContext) = nullptr;
  rktest::useManualAudio(2, 48000);
  auto own = std::make_unique<AudioContext>();
  own->init();
  ASSERT_TRUE(waitFor([&] { return own->tickCount() > 0; }));
  own.reset();
  EXPECT_EQ(rk::instanceSlot(InstanceSlot::AudioContext), nullptr);
  rk::instanceSlot(InstanceSlot::AudioContext) = embedded;
  host::audio::resetTestOptions();
}

TEST(AudioContext, MasterVolumeIsSquaredOnTheMasteringVoice) {
  rktest::StartedAudio started;
  started.context()->setMasterVolume(0.5f);
  EXPECT_EQ(started.context()->masterVolume(), 0.5f);
  float volume = 0.0f;
  started.context()->getMasteringVoice()->getVolume(&volume);
  EXPECT_FLOAT_EQ(volume, 0.25f);
}

TEST(AudioContext, FrameworkStartUpStartsItAndShutDownStopsIt) {
  rktest::ErrorLogCapture log;
  rktest::resetDeviceContext();
  host::clock::useManualClock(true);
  rk::driver::StopWatchImpl::resetSharedStateForTests();
  rktest::useManualAudio(2, 48000);
  AudioContext* audio = rktest::audioContext();

  rk::startupFramework();
  EXPECT_TRUE(audio->isRunning());
  EXPECT_NE(audio->getMasteringVoice(), nullptr);
  rk::DeviceContext::getInstance()->shutdown();
  EXPECT_FALSE(audio->isRunning());
  EXPECT_EQ(audio->getAudio2(), nullptr);
  EXPECT_TRUE(log.empty()) << log.text();
  host::clock::useManualClock(false);
  host::audio::resetTestOptions();
}

}  // namespace
