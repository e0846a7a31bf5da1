// The two music channels of the audio context: main music (with pause, status
// stack, volume and fade-out) and sub music (start, stop and fade-out). Files are
// streamed from the current directory by the audio thread.
#include <cstring>

#include "audio/rk_audio_context.h"
#include "kernel/rk_error_log.h"

namespace rk::audio {

namespace {

constexpr const char* kSource = "src/audio/rk_audio_context";

using Guard = boost::lock_guard<boost::mutex>;

int nextIndex(int index) { return index + 1 >= 2 ? 0 : index + 1; }

void fadeToSilenceAndStop(AudioPlayer& player, float seconds) {
  player.startFade(0.0f, seconds);
  player.status().stop_at_fade_end = 1;
}

}  // namespace

int AudioContext::playMusicOnChannel(const char* name, float fade, AudioPlayer (&players)[2], int index, float volume) {
  // A cut name would open some other file: the channel is left as it is.
  if (!name || std::strlen(name) >= AudioPlayerStatus::kFileNameSize) {
    debug::writeErrorLog(kSource, 520, "rk::audio::AudioContext::playMusicOnChannel");
    return index;
  }
  if (index < 0 || index > 1) index = 0;
  if (players[index].status().active) index = nextIndex(index);
  AudioPlayer& old = players[index == 0 ? 1 : index - 1];
  // A paused piece keeps its state; a sounding one fades out under the new one.
  if (old.status().active && old.status().play) fadeToSilenceAndStop(old, fade);
  AudioPlayer& player = players[index];
  player.stop();
  AudioPlayerStatus& s = player.status();
  s.setFileName(name);
  player.setActive(true);
  s.play = 1;
  s.request = kRequestOpenFile;
  player.startFade(volume, fade);
  return index;
}

void AudioContext::playMusic(const char* name, float fade, float volume) {
  Guard guard(lock_);
  main_music_.index = playMusicOnChannel(name, fade, main_music_.players, main_music_.index, volume);
}

void AudioContext::playSubMusic(const char* name) {
  Guard guard(lock_);
  sub_music_.index = playMusicOnChannel(name, 0.0f, sub_music_.players, sub_music_.index, 1.0f);
}

void AudioContext::stopMusic() {
  Guard guard(lock_);
  for (AudioPlayer& player : main_music_.players) player.stopVoice();
}

void AudioContext::restartMusic() {
  Guard guard(lock_);
  for (AudioPlayer& player : main_music_.players) player.play();
}

void AudioContext::pushMainMusicStatus() {
  Guard guard(lock_);
  for (AudioPlayer& player : main_music_.players) player.pushStatus();
}

void AudioContext::popMainMusicStatus() {
  Guard guard(lock_);
  for (AudioPlayer& player : main_music_.players) player.popStatus();
}

void AudioContext::clearMainMusicStatus() {
  Guard guard(lock_);
  for (AudioPlayer& player : main_music_.players) player.clearStatus();
}

void AudioContext::fadeoutMusic(float seconds) {
  Guard guard(lock_);
  fadeToSilenceAndStop(main_music_.players[main_music_.index], seconds);
}

void AudioContext::setMusicTotalVolume(float volume) {
  Guard guard(lock_);
  music_total_volume_ = volume;
  for (MusicChannel* channel : {&main_music_, &sub_music_})
    for (AudioPlayer& player : channel->players) player.applyVolume();
}

void AudioContext::setMusicVolume(float volume) {
  Guard guard(lock_);
  for (AudioPlayer& player : main_music_.players)
    if (player.status().active) player.setVolume(volume);
}

void AudioContext::stopSubMusic() {
  Guard guard(lock_);
  for (AudioPlayer& player : sub_music_.players) player.stopVoice();
}

void AudioContext::fadeOutSubMusic(float seconds) {
  Guard guard(lock_);
  fadeToSilenceAndStop(sub_music_.players[sub_music_.index], seconds);
  sub_music_.index = nextIndex(sub_music_.index);
}

bool AudioContext::isPlayMusic() {
  Guard guard(lock_);
  for (const AudioPlayer& player : main_music_.players)
    if (player.status().play) return true;
  return false;
}

}  // namespace rk::audio
