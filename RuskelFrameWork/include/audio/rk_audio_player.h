// One playing channel of the audio engine: a decoder joined to an output, and a
// small stack of statuses whose top is the player's current state. The main
// thread changes a player only by editing its top status; the audio thread then
// calls notify and update once per tick, which turn the request into decoder and
// voice actions and advance the volume fade. Every operation needs the audio lock.
#pragma once
#include <cstddef>
#include <cstdint>

#include "math/rk_vector.h"
#include "policy/rk_max_fix_vector.h"
#include "util/rk_fader.h"

namespace rk::audio {

class OggDecoder;
class IAudiodDstination;
struct SoundSlot;

// What notify does next with a player's sound.
enum AudioRequest : std::uint32_t {
  kRequestNone = 0,        // clears the play flag
  kRequestPrepared = 1,    // waits: play turns it into an open of the slot
  kRequestEnded = 2,       // the sound has ended
  kRequestOpenFile = 3,    // streams the named file
  kRequestOpenMemory = 4,  // decodes the sound slot's bytes
  kRequestPlaying = 5,     // keeps the voice fed until the data ends
};

struct AudioPlayerStatus {
  static constexpr std::size_t kFileNameSize = 256;

  std::uint8_t active = 0;  // the player holds a sound
  char file_name[kFileNameSize] = {};  // music file, or the slot's name
  SoundSlot* sound_slot = nullptr;     // the sound a memory player plays
  std::uint8_t play = 0;  // meant to be audible now
  std::uint8_t lock = 0;  // reserved: kept out of one-shot reuse, survives the end
  std::uint32_t request = kRequestNone;
  util::Fader fader;
  float volume = 1.0f;  // the voice gets volume x the group's total volume
  std::uint8_t stop_at_fade_end = 1;

  // Copies the name, cut to the field; false when it had to be cut.
  bool setFileName(const char* name);
};

class AudioPlayer {
 public:
  static constexpr std::size_t kStackCapacity = 20;
  using StatusStack = policy::MaxFixVector<AudioPlayerStatus, kStackCapacity>;

  AudioPlayer();
  AudioPlayer(const AudioPlayer&) = delete;
  AudioPlayer& operator=(const AudioPlayer&) = delete;

  // Joins the player to its decoder and output, then setup.
  void bind(OggDecoder* decoder, IAudiodDstination* output);
  // Gives the output to the decoder and resets the decoder.
  void setup();
  // The total volume of the player's group (music or sound effects).
  void setStaticStatus(float* total) { static_status_ = total; }
  float* getStaticStatus();

  // Gives the player a loaded sound, to open on the next tick.
  void openMemory(SoundSlot* slot);
  // Starts a prepared player, or resumes a paused one where it stopped.
  void play();
  // Makes the voice follow the top status after the stack changed.
  void applyStatus();
  // Fades from the current volume to `target` over `seconds`, not stopping at the end.
  void startFade(float target, float seconds);
  // Voice destroyed, decoder closed, stack back to one default status.
  void stop();
  // Drops one reservation; the last one stops the player.
  void unlock();
  void resetOutput();
  // Reopens the top status's sound from its start on the next tick.
  void reset();
  void setPos(const math::Vector4& position);

  // The audio thread's steps, once per tick.
  void notify();
  void update(float step);

  void pushStatus();
  void popStatus();
  void clearStatus();

  // A pause: the voice stops where it is and the play flag is cleared.
  void stopVoice();
  // The voice's volume := status volume x total volume.
  void applyVolume();
  void setVolume(float volume);
  // The active flag of the top status, mirrored into the decoder's playing flag.
  void setActive(bool active);

  AudioPlayerStatus& status() { return stack_[stack_.size() - 1]; }
  const AudioPlayerStatus& status() const { return stack_[stack_.size() - 1]; }
  const StatusStack& stack() const { return stack_; }
  OggDecoder* decoder() const { return decoder_; }
  IAudiodDstination* output() const { return output_; }
  // Reservations of the player: each handle that will release it holds one.
  int lockCount() const { return lock_count_; }
  void addLock() { ++lock_count_; }
  void clearLocks() { lock_count_ = 0; }
  // True when a current or saved status, or the decoder's source, is the slot.
  bool usesSlot(const SoundSlot* slot) const;

 private:
  void openFile();
  void openSlot();
  void feed();
  // The data ran out (or could not be opened): the player goes idle, or stays
  // reserved with its sound when it was locked.
  void endSound();

  OggDecoder* decoder_ = nullptr;
  IAudiodDstination* output_ = nullptr;
  int lock_count_ = 0;
  float* static_status_ = nullptr;
  StatusStack stack_;
};

}  // namespace rk::audio
