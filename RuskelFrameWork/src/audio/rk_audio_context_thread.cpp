// The audio thread of the audio context and its tick.
#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <thread>

#include "audio/rk_audio_context.h"
#include "host/text.h"
#include "kernel/rk_error_log.h"

namespace rk::audio {

namespace {

constexpr const char* kSource = "src/audio/rk_audio_context";

// Text for whoever watches the process's debug output.
void debugOutput(const std::string& text) {
  std::fputs(host::text::cp932ToUtf8(text).c_str(), stderr);
}

}  // namespace

void AudioContext::tick() {
  boost::lock_guard<boost::mutex> guard(lock_);
  ticks_.fetch_add(1);
  for (MusicChannel* channel : {&main_music_, &sub_music_}) {
    for (AudioPlayer& player : channel->players) {
      player.notify();
      player.update(kTickStep);
    }
  }
  for (int i = 0; i < SoundEffectPool::kSize; ++i) normal_.tick(i, kTickStep);
  const math::Matrix listener = listener_matrix_;
  for (int i = 0; i < SoundEffectPool::kSize; ++i) {
    three_d_.tick(i, kTickStep);
    three_d_.pan3D(i, listener);
  }
  for (int i = 0; i < SystemSoundPool::kSize; ++i) system_.tick(i, kTickStep);
  processLoadRequest();
}

void AudioContext::bindPlayers() {
  for (MusicChannel* channel : {&main_music_, &sub_music_})
    for (int i = 0; i < 2; ++i) channel->players[i].bind(&channel->decoders[i], &channel->outputs[i]);
  normal_.bind();
  three_d_.bind();
  system_.bind();
}

void AudioContext::stopAllPlayers() {
  for (MusicChannel* channel : {&main_music_, &sub_music_})
    for (AudioPlayer& player : channel->players) player.stop();
  normal_.stopPlayers();
  three_d_.stopPlayers();
  system_.stopPlayers();
}

void AudioContext::AudioTrhead() {
  try {
    {
      boost::lock_guard<boost::mutex> guard(lock_);
      bindPlayers();
      // A load request posted before the thread ran is dropped.
      load_request_ = false;
    }
    while (running_) {
      tick();
      std::this_thread::sleep_for(std::chrono::milliseconds(kTickSleepMs));
    }
    boost::lock_guard<boost::mutex> guard(lock_);
    stopAllPlayers();
  } catch (const std::exception& e) {
    reportThreadFailure(e.what());
  } catch (...) {
    reportThreadFailure("");
  }
}

// Sound stops being serviced while the game goes on. The running flag is cleared
// so that nobody waits for this thread to take a request.
void AudioContext::reportThreadFailure(const char* what) {
  running_ = false;
  debugOutput("Application hit a problem: ");
  debugOutput(what ? what : "");
  debugOutput("\nTerminating.\n");
  debug::writeErrorLog(kSource, 300, "rk::audio::AudioContext::AudioTrhead");
}

}  // namespace rk::audio
