// The audio engine of the process: one object embedded in the device context,
// singleton slot 7. It owns the engine and its mastering voice, the listener and
// the audio thread, and the one audio lock that guards the players' state.
// The main thread changes statuses and requests under the lock; the audio thread
// wakes every 16 ms, takes the lock for a whole tick and carries them out.
#pragma once
#include <atomic>
#include <cstdint>

#include <boost/thread/mutex.hpp>
#include <boost/thread/thread.hpp>

#include "host/audio.h"
#include "math/rk_matrix.h"

namespace rk::audio {

class AudioContext {
 public:
  static constexpr std::size_t kNameSize = 260;
  // The fixed step by which every tick advances fades, whatever time passed.
  static constexpr float kTickStep = 0.016f;
  static constexpr unsigned kTickSleepMs = 16;

  // Writes "rk::audio::AudioContext::getInstance" when there is none.
  static AudioContext* getInstance();

  // Opens nothing; takes slot 7 (reporting when it was already filled).
  AudioContext();
  // Stops the audio thread if it still runs, then releases what is still held.
  ~AudioContext();
  AudioContext(const AudioContext&) = delete;
  AudioContext& operator=(const AudioContext&) = delete;

  // Start, the last step of the framework's start-up: engine, mastering voice (at
  // most 8 channels), listener reset, audio thread. Throws HrException.
  void init();
  // Shut-down: clears the running flag under the lock, joins the thread (which
  // stops every player on its way out), destroys the mastering voice and releases
  // the engine. Does nothing that was not started.
  void stop();

  // One pass of the audio thread's loop, done under the lock. The thread calls it
  // every 16 ms; tests call it directly.
  void tick();

  host::audio::Engine* getAudio2() const { return xaudio2_; }
  host::audio::MasteringVoice* getMasteringVoice() const { return mastering_voice_; }
  // The audio lock.
  boost::mutex& lock() { return lock_; }
  // Set from the start until shut-down, or until the thread ended by a failure.
  bool isRunning() const { return running_.load(); }
  // Ticks done since construction.
  std::uint32_t tickCount() const { return ticks_.load(); }

  // Focus changes. Losing focus saves and stops main music, normal and 3D sound
  // effects; regaining it restores them. Each takes the lock.
  void pushMainMusicStatus();
  void popMainMusicStatus();
  void pushNormalSoundEffect();
  void popNormalSoundEffect();
  void push3DSoundStatus();
  void pop3DSoundStatus();
  void stopAllNormalSE();
  void allStop3DSound();
  void stopMusic();

  // Listener: the camera whose matrix the listener follows (main thread only), and
  // that camera's view-projection matrix, written by the frame update under the lock.
  int listenerCameraNumber() const { return listener_camera_; }
  void setListenerCameraNumber(int number) { listener_camera_ = number; }
  void setListenerMatrix(const math::Matrix& matrix);
  math::Matrix listenerMatrix();

  // The master volume as given; the mastering voice plays at its square. Main
  // thread only, without the lock.
  float masterVolume() const { return master_volume_; }
  void setMasterVolume(float volume);
  float musicTotalVolume() const { return music_total_volume_; }
  float soundEffectTotalVolume() const { return sound_effect_total_volume_; }

  // The pending sound-group load: posted under the lock, read without it.
  bool isLoadRequested() const { return load_request_.load(); }
  void postLoadRequest(const char* groupName);
  // Caller holds the lock.
  const char* loadRequestName() const { return load_request_name_; }
  void clearLoadRequest() { load_request_ = false; }

  // Folder of the sound files that sound groups name. Set under the lock.
  void setSoundEffectRootFolder(const char* folder);
  // Caller holds the lock.
  const char* soundEffectRootFolder() const { return sound_effect_root_; }

 private:
  // The audio thread's body.
  void AudioTrhead();
  void reportThreadFailure(const char* what);

  host::audio::Engine* xaudio2_ = nullptr;
  host::audio::MasteringVoice* mastering_voice_ = nullptr;
  int listener_camera_ = 0;
  math::Matrix listener_matrix_;
  boost::mutex lock_;
  float master_volume_ = 1.0f;
  float music_total_volume_ = 1.0f;
  float sound_effect_total_volume_ = 1.0f;
  std::atomic<bool> load_request_{false};
  char load_request_name_[kNameSize] = {};
  boost::thread thread_;
  std::atomic<bool> running_{false};
  char sound_effect_root_[kNameSize] = {};
  std::atomic<std::uint32_t> ticks_{0};
};

}  // namespace rk::audio
