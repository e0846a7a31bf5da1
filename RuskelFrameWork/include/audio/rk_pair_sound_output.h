// A fixed pool of sound-effect players that play from memory: N players, N
// memory decoders and N panning outputs, player i joined to decoder i and
// output i. The audio context holds three: normal (64), 3D (64, panned every
// tick from the listener) and system (32). A player index names the triple;
// index operations ignore indices outside 0..N-1 and queries answer false there.
// Every operation needs the audio lock.
#pragma once
#include <cstddef>

#include "audio/ogg_decoder/rk_oggmemorydecoder.h"
#include "audio/rk_audio_player.h"
#include "audio/xaudio/rk_xaudio_pan_output.h"
#include "math/rk_matrix.h"
#include "math/rk_vector.h"

namespace rk::audio {

struct SoundSlot;

template <std::size_t N>
class PairSoundOutput {
 public:
  static constexpr int kSize = static_cast<int>(N);

  // Which players the free-player choice may cut off once none is idle.
  enum class Reuse {
    NotLoopingNorLocked,  // the 64-player pools
    NotLocked,            // the system pool: the loop flag is not looked at
  };

  PairSoundOutput() = default;
  PairSoundOutput(const PairSoundOutput&) = delete;
  PairSoundOutput& operator=(const PairSoundOutput&) = delete;

  // Joins each player to its decoder and output (done when the audio thread starts).
  void bind();
  void setStaticStatus(float* total);

  AudioPlayer* player(int index) { return inRange(index) ? &players_[index] : nullptr; }
  OggMemoryDecoder* decoder(int index) { return inRange(index) ? &decoders_[index] : nullptr; }
  XAudioPanOutput* output(int index) { return inRange(index) ? &outputs_[index] : nullptr; }

  // The first idle player, else the first that `reuse` allows to cut off; -1.
  int chooseFreePlayer(Reuse reuse = Reuse::NotLoopingNorLocked);
  // A one-shot on a free player; the sound opens on the next tick. The index or -1.
  // Only `reserve` makes it a reservation (lock count + 1) that a release must
  // drop; a fire-and-forget one-shot holds none.
  int playOneShot(SoundSlot* slot, float volume, float pan, bool reserve);
  int playOneShot3D(SoundSlot* slot, const math::Vector4& position, float volume, bool reserve);
  void setupOneShotPlay(int index, SoundSlot* slot, float volume, float pan);
  void setupOneShotPlay3D(int index, SoundSlot* slot, const math::Vector4& position, float volume);

  void prepare(int index);
  // true: the voice stops and the play flag is cleared; false: play.
  void pause(int index, bool pause);
  // Drops one reservation; the last one stops and clears the player.
  void releasePlayer(int index);
  // Ends a fire-and-forget one-shot: stops and clears the player unless a
  // reservation has taken it over since.
  void endOneShot(int index);
  void setVolume(int index, float volume);
  void fadeOut(int index, float seconds);
  // Loops the whole sound (loop points cleared), or stops looping.
  void setLoop(int index, bool loop);
  // Gives the player another sound, opened on the next tick with its status.
  void setSound(int index, SoundSlot* slot);
  bool isPlay(int index);
  bool isLocked(int index);

  void stopAll();
  void pushStatusAll();
  void popStatusAll();
  void resetStatus();
  void applyVolumeAll();

  // The audio thread's step for one player; the 3D pool adds the pan.
  void tick(int index, float step);
  // Pans a playing player by its position in the listener's clip space.
  void pan3D(int index, const math::Matrix& listener);
  // Full stop of every player (the audio thread's end).
  void stopPlayers();
  // Every player stopped, unreserved and without a sound, as at construction.
  void resetPlayers();
  // Stops every player that plays, or could resume, the slot's bytes.
  void releaseSlot(const SoundSlot* slot);

 private:
  static bool inRange(int index) { return index >= 0 && index < kSize; }
  static void report(int line, const char* operation);
  // Stops the player and clears its sound, loop and lock flag.
  void clearPlayer(int index);

  AudioPlayer players_[N];
  OggMemoryDecoder decoders_[N];
  XAudioPanOutput outputs_[N];
};

extern template class PairSoundOutput<64>;
extern template class PairSoundOutput<32>;

}  // namespace rk::audio
