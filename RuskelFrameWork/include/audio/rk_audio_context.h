// The audio engine of the process: one object embedded in the device context,
// singleton slot 7. It owns the engine and its mastering voice, the two music
// channels, the three sound-effect pools, the 128 sound slots and 64 sound
// groups, the listener, the entry-SE list, the audio thread, and the one audio
// lock that guards the players, slots, groups and the load request.
// The main thread changes statuses and requests under the lock; the audio thread
// wakes every 16 ms, takes the lock for a whole tick and carries them out.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include <boost/thread/mutex.hpp>
#include <boost/thread/thread.hpp>

#include "audio/ogg_decoder/rk_oggstreamdecoder.h"
#include "audio/rk_audio_player.h"
#include "audio/rk_pair_sound_output.h"
#include "audio/rk_se_entry.h"
#include "audio/rk_sound_slot.h"
#include "audio/xaudio/rk_xaudio_normal_output.h"
#include "host/audio.h"
#include "math/rk_matrix.h"
#include "math/rk_vector.h"

namespace rk::audio {

// Music streamed from files: two players, so that a new piece can start while
// the old one fades out, and the index of the one that plays the newest piece.
struct MusicChannel {
  AudioPlayer players[2];
  OggStreamDecoder decoders[2];
  XAudioNormalOutput outputs[2];
  int index = 0;
};

class AudioContext {
 public:
  static constexpr std::size_t kNameSize = 260;
  static constexpr int kSoundSlotCount = 128;
  static constexpr int kSoundGroupCount = 64;
  using SoundEffectPool = PairSoundOutput<64>;
  using SystemSoundPool = PairSoundOutput<32>;
  // How init runs the ticks: on the audio thread, or by whoever calls tick()
  // (tests that must be deterministic).
  enum class TickMode { Thread, Manual };
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
  // most 8 channels), listener reset, audio thread (which binds the players to
  // their decoders and outputs; with manual ticks they are bound at once).
  // Throws HrException.
  void init(TickMode mode = TickMode::Thread);
  // Shut-down: clears the running flag under the lock, joins the thread (which
  // stops every player on its way out), destroys the mastering voice and releases
  // the engine. Does nothing that was not started. A started context is left as
  // it was built: players cleared and unreserved, channels back to their first
  // player, sound slots and groups free, no pending load, no root folder, the
  // listener back to camera 0 and the identity, tick count 0 (the volumes and
  // the entry-SE list stay).
  void stop();

  // One pass of the audio thread's loop, done under the lock: every player in the
  // order main music, sub music, normal, 3D (then panned), system, then at most
  // one sound-group load. The thread calls it every 16 ms; tests call it directly.
  void tick();

  host::audio::Engine* getAudio2() const { return xaudio2_; }
  host::audio::MasteringVoice* getMasteringVoice() const { return mastering_voice_; }
  // The audio lock.
  boost::mutex& lock() { return lock_; }
  // Set from the start until shut-down, or until the thread ended by a failure.
  bool isRunning() const { return running_.load(); }
  // Ticks done since the start.
  std::uint32_t tickCount() const { return ticks_.load(); }

  // ------------------------------------------------------------ music
  // Each takes the lock unless it says the caller holds it.

  // Starts a piece on a channel (caller holds the lock): the channel moves to its
  // other player when the current one holds a piece, which then fades out over
  // `fade` seconds; the new piece fades from 1.0 to `volume` and opens on the
  // next tick. Returns the channel's new index. A name longer than the status
  // keeps is refused with an error-log entry.
  int playMusicOnChannel(const char* name, float fade, AudioPlayer (&players)[2], int index, float volume);
  void playMusic(const char* name, float fade, float volume);
  // The sub channel, without fade, at volume 1.
  void playSubMusic(const char* name);
  // Pauses both main players (voices stopped, play flags cleared); restartMusic resumes them.
  void stopMusic();
  void restartMusic();
  // Status stacks of both main players (focus changes, scripts).
  void pushMainMusicStatus();
  void popMainMusicStatus();
  void clearMainMusicStatus();
  // The current main piece fades to 0 and stops.
  void fadeoutMusic(float seconds);
  void setMusicTotalVolume(float volume);
  // The volume of the main players that hold a piece.
  void setMusicVolume(float volume);
  void stopSubMusic();
  // The current sub piece fades to 0 and stops; the sub channel moves on.
  void fadeOutSubMusic(float seconds);
  // A main player has its play flag set.
  bool isPlayMusic();
  // Caller holds the lock.
  MusicChannel& mainMusic() { return main_music_; }
  MusicChannel& subMusic() { return sub_music_; }

  // ----------------------------------------------------- sound effects
  // Sounds are found by the path their group read them from. Creators return
  // the player index, or -1 when no slot holds the name or no player is free.

  void setSoundEffectTotalVolume(float volume);
  // A fire-and-forget one-shot: it reserves nothing, and its player is free
  // again once the sound ends.
  int playOneShotSoundEffect(const char* name, float pan, float volume);
  // Reserves a normal player, prepared and paused; releaseNormalSoundEffect
  // drops the reservation.
  int createSoundEffect(const char* name);
  bool isNormalSEPlay(int index);
  void releaseNormalSoundEffect(int index);
  // Stops a one-shot's player unless a reservation has taken it over since.
  void endNormalOneShot(int index);
  void pushNormalSoundEffect();
  void popNormalSoundEffect();
  void clearNormalSoundEffectStatus();
  void stopAllNormalSE();

  // Reserves a system player, prepared and paused.
  int createSystemSoundEffect(const char* name);
  void controlSystemSoundEffect(int index, bool pause);
  void releaseSystemSoundEffect(int index);

  int playOneShot3DSoundEffect(const char* name, const math::Vector4& position, float volume, bool reserve);
  // Reserves a 3D player, prepared and paused.
  int create3DSoundEffect(const char* name);
  void set3DSoundEffectPos(int index, const math::Vector4& position);
  void lock3DSoundEffect(int index);
  void control3DSoundEffect(int index, bool pause);
  void set3DSoundEffectLoop(int index, bool loop);
  // The player counts as free at once; what its voice has queued plays out.
  void stop3DSoundEffect(int index);
  void release3DSoundEffect(int index);
  bool is3DSoundEffectPlaying(int index);
  void push3DSoundStatus();
  void pop3DSoundStatus();
  void clear3DSoundStatus();
  void allStop3DSound();

  // The pools; caller holds the lock.
  SoundEffectPool& normalSoundEffects() { return normal_; }
  SoundEffectPool& soundEffects3D() { return three_d_; }
  SystemSoundPool& systemSoundEffects() { return system_; }

  // ------------------------------------------------------ sound groups
  // Posts a group load for the audio thread: waits (4 ms polls) while another
  // is pending and the thread runs; drops the request when it does not run.
  void loadSEGroup(const char* groupName);
  // The audio thread's step (caller holds the lock): loads the requested group
  // file's sounds into free slots, or adds a reference to a loaded group.
  void processLoadRequest();
  // Drops one reference; the last frees the group's slots. Always true.
  bool releaseSoundEffectGroup(const char* groupName);
  // Appends the names of a loaded group's sounds, in slot order.
  void getSoundEffectName(std::vector<std::string>& names, const char* groupName);
  // Caller holds the lock. Null when nothing holds the name.
  SoundSlot* findSoundFile(const char* name);
  BspData* findBspData(const char* storedName);
  SoundSlot& soundSlot(int index) { return slots_[index]; }
  BspData& soundGroup(int index) { return groups_[index]; }

  // ---------------------------------------------------------- entry SE
  // Main thread only, never under the lock.
  void clearEntrySE() { entry_se_.clear(); }
  void addEntrySE(const char* name, const math::Vector4& position, float volume, std::uint8_t flag);
  const std::vector<SEEntry>& entrySE() const { return entry_se_; }

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
  // Joins every player to its decoder and output (caller holds the lock).
  void bindPlayers();
  // Full stop of all 164 players (caller holds the lock).
  void stopAllPlayers();
  // What stop leaves behind (caller holds the lock).
  void resetState();
  // Reads a group file into free slots, or adds a reference to a loaded group.
  void loadGroup(const std::string& requested);
  // Frees a group and its slots, stopping every player that uses them.
  void freeGroup(BspData& group);

  host::audio::Engine* xaudio2_ = nullptr;
  host::audio::MasteringVoice* mastering_voice_ = nullptr;
  int listener_camera_ = 0;
  math::Matrix listener_matrix_;
  boost::mutex lock_;
  float master_volume_ = 1.0f;
  float music_total_volume_ = 1.0f;
  float sound_effect_total_volume_ = 1.0f;
  MusicChannel main_music_;
  MusicChannel sub_music_;
  SoundEffectPool normal_;
  SoundEffectPool three_d_;
  SystemSoundPool system_;
  std::atomic<bool> load_request_{false};
  char load_request_name_[kNameSize] = {};
  SoundSlot slots_[kSoundSlotCount];
  BspData groups_[kSoundGroupCount];
  boost::thread thread_;
  std::atomic<bool> running_{false};
  // Set by init until stop: the players may hold voices of the engine.
  bool started_ = false;
  char sound_effect_root_[kNameSize] = {};
  std::vector<SEEntry> entry_se_;
  std::atomic<std::uint32_t> ticks_{0};
};

}  // namespace rk::audio
