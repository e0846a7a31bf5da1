#include "audio/rk_pair_sound_output.h"

#include <cmath>
#include <string>

#include "kernel/rk_error_log.h"

namespace rk::audio {

template <std::size_t N>
void PairSoundOutput<N>::report(int line, const char* operation) {
  const std::string text = "rk::audio::PairSoundOutput<" + std::to_string(N) + ">::" + operation;
  debug::writeErrorLog("include/audio/rk_pair_sound_output", line, text.c_str());
}

template <std::size_t N>
void PairSoundOutput<N>::bind() {
  for (int i = 0; i < kSize; ++i) players_[i].bind(&decoders_[i], &outputs_[i]);
}

template <std::size_t N>
void PairSoundOutput<N>::setStaticStatus(float* total) {
  for (AudioPlayer& p : players_) p.setStaticStatus(total);
}

template <std::size_t N>
int PairSoundOutput<N>::chooseFreePlayer(Reuse reuse) {
  for (int i = 0; i < kSize; ++i)
    if (!players_[i].status().active) return i;
  for (int i = 0; i < kSize; ++i) {
    const bool looping = reuse == Reuse::NotLoopingNorLocked && decoders_[i].isLoop();
    if (!looping && !players_[i].status().lock) return i;
  }
  return -1;
}

template <std::size_t N>
int PairSoundOutput<N>::playOneShot(SoundSlot* slot, float volume, float pan, bool reserve) {
  const int index = chooseFreePlayer();
  if (index < 0) return -1;
  setupOneShotPlay(index, slot, volume, pan);
  if (reserve) players_[index].addLock();
  return index;
}

template <std::size_t N>
int PairSoundOutput<N>::playOneShot3D(SoundSlot* slot, const math::Vector4& position, float volume, bool reserve) {
  const int index = chooseFreePlayer();
  if (index < 0) return -1;
  setupOneShotPlay3D(index, slot, position, volume);
  if (reserve) players_[index].addLock();
  return index;
}

template <std::size_t N>
void PairSoundOutput<N>::setupOneShotPlay(int index, SoundSlot* slot, float volume, float pan) {
  AudioPlayer* p = player(index);
  if (!p || !slot || !p->decoder() || !p->output()) {
    report(120, "setupOneShotPlay");
    return;
  }
  p->openMemory(slot);
  p->decoder()->close();
  p->status().play = 1;
  p->setActive(true);
  p->output()->setPan(pan);
  p->setVolume(volume);
  p->status().request = kRequestOpenMemory;
}

template <std::size_t N>
void PairSoundOutput<N>::setupOneShotPlay3D(int index, SoundSlot* slot, const math::Vector4& position, float volume) {
  AudioPlayer* p = player(index);
  if (!p || !slot || !p->decoder() || !p->output()) {
    report(150, "setupOneShotPlay3D");
    return;
  }
  p->openMemory(slot);
  p->output()->setPosition(position);
  p->setVolume(volume);
  p->status().lock = 0;
  p->setActive(true);
  p->status().request = kRequestOpenMemory;
}

template <std::size_t N>
void PairSoundOutput<N>::prepare(int index) {
  if (AudioPlayer* p = player(index)) p->status().request = kRequestPrepared;
}

template <std::size_t N>
void PairSoundOutput<N>::pause(int index, bool pause) {
  AudioPlayer* p = player(index);
  if (!p) return;
  if (pause) {
    p->stopVoice();
  } else {
    p->play();
    p->status().play = 1;
  }
}

template <std::size_t N>
void PairSoundOutput<N>::releasePlayer(int index) {
  AudioPlayer* p = player(index);
  if (!p) return;
  p->unlock();
  if (p->lockCount() > 0) return;
  clearPlayer(index);
}

template <std::size_t N>
void PairSoundOutput<N>::endOneShot(int index) {
  AudioPlayer* p = player(index);
  if (!p || p->lockCount() > 0) return;
  clearPlayer(index);
}

template <std::size_t N>
void PairSoundOutput<N>::clearPlayer(int index) {
  AudioPlayer& p = players_[index];
  p.status().lock = 0;
  p.stop();
  OggMemoryDecoder& d = decoders_[index];
  d.close();
  d.clearSource();
  d.setLoop(false);
}

template <std::size_t N>
void PairSoundOutput<N>::setVolume(int index, float volume) {
  if (AudioPlayer* p = player(index)) p->setVolume(volume);
}

template <std::size_t N>
void PairSoundOutput<N>::fadeOut(int index, float seconds) {
  AudioPlayer* p = player(index);
  if (!p) return;
  p->startFade(0.0f, seconds);
  p->status().stop_at_fade_end = 1;
}

template <std::size_t N>
void PairSoundOutput<N>::setLoop(int index, bool loop) {
  if (inRange(index)) decoders_[index].setLoop(loop);
}

template <std::size_t N>
void PairSoundOutput<N>::setSound(int index, SoundSlot* slot) {
  AudioPlayer* p = player(index);
  if (!p) return;
  decoders_[index].close();
  p->openMemory(slot);
  outputs_[index].setPosition({0.0f, 0.0f, 0.0f, 0.0f});
}

template <std::size_t N>
bool PairSoundOutput<N>::isPlay(int index) {
  AudioPlayer* p = player(index);
  return p && p->status().play != 0;
}

template <std::size_t N>
bool PairSoundOutput<N>::isLocked(int index) {
  AudioPlayer* p = player(index);
  return p && p->status().lock != 0;
}

template <std::size_t N>
void PairSoundOutput<N>::stopAll() {
  for (AudioPlayer& p : players_) p.stopVoice();
}

template <std::size_t N>
void PairSoundOutput<N>::pushStatusAll() {
  for (AudioPlayer& p : players_) p.pushStatus();
}

template <std::size_t N>
void PairSoundOutput<N>::popStatusAll() {
  for (AudioPlayer& p : players_) p.popStatus();
}

template <std::size_t N>
void PairSoundOutput<N>::resetStatus() {
  for (AudioPlayer& p : players_) p.clearStatus();
}

template <std::size_t N>
void PairSoundOutput<N>::applyVolumeAll() {
  for (AudioPlayer& p : players_)
    if (p.status().active) p.applyVolume();
}

template <std::size_t N>
void PairSoundOutput<N>::tick(int index, float step) {
  if (AudioPlayer* p = player(index)) {
    p->notify();
    p->update(step);
  }
}

// The pan is the sound's horizontal place in the listener camera's clip space:
// x and w of (x, y, z, 1) times the listener matrix. There is no distance
// attenuation; a sound behind the camera pans to the side opposite its own.
template <std::size_t N>
void PairSoundOutput<N>::pan3D(int index, const math::Matrix& m) {
  AudioPlayer* p = player(index);
  if (!p) return;
  const AudioPlayerStatus& s = p->status();
  if (!s.active || !s.play || !p->output()) return;
  math::Vector4 at;
  if (!p->output()->getPosition(&at)) {
    p->output()->setPan(0.0f);
    return;
  }
  const float xc = at.x * m.m[0][0] + at.y * m.m[1][0] + at.z * m.m[2][0] + m.m[3][0];
  const float wc = at.x * m.m[0][3] + at.y * m.m[1][3] + at.z * m.m[2][3] + m.m[3][3];
  float pan = xc / wc;
  // A sound at the eye itself has no side: the centre, rather than a NaN
  // that would reach the voice's matrix every tick.
  if (std::isnan(pan)) pan = 0.0f;
  pan = pan < -1.0f ? -1.0f : std::fmin(1.0f, pan);
  p->output()->setPan(pan);
}

template <std::size_t N>
void PairSoundOutput<N>::stopPlayers() {
  for (AudioPlayer& p : players_) p.stop();
}

template <std::size_t N>
void PairSoundOutput<N>::resetPlayers() {
  for (int i = 0; i < kSize; ++i) {
    clearPlayer(i);
    players_[i].clearLocks();
    outputs_[i].setPosition({0.0f, 0.0f, 0.0f, 0.0f});
    outputs_[i].setPan(0.0f);
  }
}

template <std::size_t N>
void PairSoundOutput<N>::releaseSlot(const SoundSlot* slot) {
  for (int i = 0; i < kSize; ++i) {
    if (!players_[i].usesSlot(slot)) continue;
    players_[i].stop();
    decoders_[i].clearSource();
  }
}

template class PairSoundOutput<64>;
template class PairSoundOutput<32>;

}  // namespace rk::audio
