// The audio context's sound-effect operations over its three pools: one-shots,
// reserved players, 3D positions and the pools' status stacks.
#include "audio/rk_audio_context.h"

namespace rk::audio {

namespace {

using Guard = boost::lock_guard<boost::mutex>;

}  // namespace

void AudioContext::setSoundEffectTotalVolume(float volume) {
  Guard guard(lock_);
  sound_effect_total_volume_ = volume;
  normal_.applyVolumeAll();
  three_d_.applyVolumeAll();
  system_.applyVolumeAll();
}

// ------------------------------------------------------------------ normal

int AudioContext::playOneShotSoundEffect(const char* name, float pan, float volume) {
  Guard guard(lock_);
  SoundSlot* slot = findSoundFile(name);
  return slot ? normal_.playOneShot(slot, volume, pan, false) : -1;
}

int AudioContext::createSoundEffect(const char* name) {
  Guard guard(lock_);
  SoundSlot* slot = findSoundFile(name);
  if (!slot) return -1;
  const int index = normal_.playOneShot(slot, 1.0f, 0.0f, true);
  if (index >= 0) {
    normal_.prepare(index);
    normal_.pause(index, true);
  }
  return index;
}

bool AudioContext::isNormalSEPlay(int index) {
  Guard guard(lock_);
  return normal_.isPlay(index);
}

void AudioContext::releaseNormalSoundEffect(int index) {
  Guard guard(lock_);
  normal_.releasePlayer(index);
}

void AudioContext::endNormalOneShot(int index) {
  Guard guard(lock_);
  normal_.endOneShot(index);
}

void AudioContext::pushNormalSoundEffect() {
  Guard guard(lock_);
  normal_.pushStatusAll();
}

void AudioContext::popNormalSoundEffect() {
  Guard guard(lock_);
  normal_.popStatusAll();
}

void AudioContext::clearNormalSoundEffectStatus() {
  Guard guard(lock_);
  normal_.resetStatus();
}

void AudioContext::stopAllNormalSE() {
  Guard guard(lock_);
  normal_.stopAll();
}

// ------------------------------------------------------------------ system

int AudioContext::createSystemSoundEffect(const char* name) {
  Guard guard(lock_);
  SoundSlot* slot = findSoundFile(name);
  if (!slot) return -1;
  const int index = system_.chooseFreePlayer(SystemSoundPool::Reuse::NotLocked);
  if (index < 0) return -1;
  system_.setupOneShotPlay(index, slot, 1.0f, 0.0f);
  system_.player(index)->addLock();
  system_.prepare(index);
  system_.pause(index, true);
  return index;
}

void AudioContext::controlSystemSoundEffect(int index, bool pause) {
  Guard guard(lock_);
  system_.pause(index, pause);
}

void AudioContext::releaseSystemSoundEffect(int index) {
  Guard guard(lock_);
  system_.releasePlayer(index);
}

// ---------------------------------------------------------------------- 3D

int AudioContext::playOneShot3DSoundEffect(const char* name, const math::Vector4& position, float volume,
                                           bool reserve) {
  Guard guard(lock_);
  SoundSlot* slot = findSoundFile(name);
  if (!slot) return -1;
  const int index = three_d_.playOneShot3D(slot, position, volume, reserve);
  if (index >= 0) three_d_.player(index)->status().request = kRequestOpenMemory;
  return index;
}

int AudioContext::create3DSoundEffect(const char* name) {
  Guard guard(lock_);
  SoundSlot* slot = findSoundFile(name);
  if (!slot) return -1;
  const int index = three_d_.playOneShot3D(slot, {0.0f, 0.0f, 0.0f, 0.0f}, 1.0f, true);
  if (index >= 0) {
    three_d_.prepare(index);
    three_d_.pause(index, true);
  }
  return index;
}

void AudioContext::set3DSoundEffectPos(int index, const math::Vector4& position) {
  Guard guard(lock_);
  if (AudioPlayer* player = three_d_.player(index)) player->setPos(position);
}

void AudioContext::lock3DSoundEffect(int index) {
  Guard guard(lock_);
  if (AudioPlayer* player = three_d_.player(index)) player->status().lock = 1;
}

void AudioContext::control3DSoundEffect(int index, bool pause) {
  Guard guard(lock_);
  three_d_.pause(index, pause);
}

void AudioContext::set3DSoundEffectLoop(int index, bool loop) {
  Guard guard(lock_);
  three_d_.setLoop(index, loop);
}

void AudioContext::stop3DSoundEffect(int index) {
  Guard guard(lock_);
  if (AudioPlayer* player = three_d_.player(index)) {
    player->status().lock = 0;
    player->setActive(false);
  }
}

void AudioContext::release3DSoundEffect(int index) {
  Guard guard(lock_);
  three_d_.releasePlayer(index);
}

bool AudioContext::is3DSoundEffectPlaying(int index) {
  Guard guard(lock_);
  return three_d_.isPlay(index);
}

void AudioContext::push3DSoundStatus() {
  Guard guard(lock_);
  three_d_.pushStatusAll();
}

void AudioContext::pop3DSoundStatus() {
  Guard guard(lock_);
  three_d_.popStatusAll();
}

void AudioContext::clear3DSoundStatus() {
  Guard guard(lock_);
  three_d_.resetStatus();
}

void AudioContext::allStop3DSound() {
  Guard guard(lock_);
  three_d_.stopAll();
}

}  // namespace rk::audio
