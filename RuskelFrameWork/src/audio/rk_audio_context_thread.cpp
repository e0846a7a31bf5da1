// The audio thread of the audio context, its tick, and the focus operations that
// the main thread calls under the same lock.
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

// The players join this tick, in the order main music, sub music, normal, 3D
// (panned from a copy of the listener matrix) and system, each notified and
// advanced by kTickStep, followed by at most one sound-group load.
void AudioContext::tick() {
  boost::lock_guard<boost::mutex> guard(lock_);
  ticks_.fetch_add(1);
}

void AudioContext::AudioTrhead() {
  try {
    {
      // A load request posted before the thread ran is dropped.
      boost::lock_guard<boost::mutex> guard(lock_);
      load_request_ = false;
    }
    while (running_) {
      tick();
      std::this_thread::sleep_for(std::chrono::milliseconds(kTickSleepMs));
    }
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

void AudioContext::pushMainMusicStatus() { boost::lock_guard<boost::mutex> guard(lock_); }
void AudioContext::popMainMusicStatus() { boost::lock_guard<boost::mutex> guard(lock_); }
void AudioContext::pushNormalSoundEffect() { boost::lock_guard<boost::mutex> guard(lock_); }
void AudioContext::popNormalSoundEffect() { boost::lock_guard<boost::mutex> guard(lock_); }
void AudioContext::push3DSoundStatus() { boost::lock_guard<boost::mutex> guard(lock_); }
void AudioContext::pop3DSoundStatus() { boost::lock_guard<boost::mutex> guard(lock_); }
void AudioContext::stopAllNormalSE() { boost::lock_guard<boost::mutex> guard(lock_); }
void AudioContext::allStop3DSound() { boost::lock_guard<boost::mutex> guard(lock_); }
void AudioContext::stopMusic() { boost::lock_guard<boost::mutex> guard(lock_); }

}  // namespace rk::audio
