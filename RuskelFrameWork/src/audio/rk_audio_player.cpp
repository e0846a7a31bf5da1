#include "audio/rk_audio_player.h"

#include <algorithm>
#include <cstring>

#include "audio/ogg_decoder/rk_oggmemorydecoder.h"
#include "audio/rk_sound_slot.h"
#include "audio/xaudio/rk_audio_destination.h"
#include "kernel/rk_error_log.h"

namespace rk::audio {

namespace {

constexpr const char* kSource = "src/audio/rk_audio_player";
constexpr const char* kStackName = "rk::policy::MaxFixVector<class rk::audio::AudioPlayerStatus,20>";

}  // namespace

bool AudioPlayerStatus::setFileName(const char* name) {
  const char* from = name ? name : "";
  const std::size_t length = std::strlen(from);
  const std::size_t kept = std::min(length, kFileNameSize - 1);
  std::memcpy(file_name, from, kept);
  file_name[kept] = '\0';
  return kept == length;
}

AudioPlayer::AudioPlayer() : stack_(kStackName) { stack_.push_back(AudioPlayerStatus()); }

void AudioPlayer::bind(OggDecoder* decoder, IAudiodDstination* output) {
  decoder_ = decoder;
  output_ = output;
  setup();
}

void AudioPlayer::setup() {
  if (!decoder_) debug::writeErrorLog(kSource, 60, "rk::audio::AudioPlayer::setup");
  if (!output_) debug::writeErrorLog(kSource, 64, "rk::audio::AudioPlayer::setup");
  if (!decoder_) return;
  decoder_->setOutput(output_);
  decoder_->stop();
}

float* AudioPlayer::getStaticStatus() {
  if (!static_status_) debug::writeErrorLog(kSource, 75, "rk::audio::AudioPlayer::getStaticStatus");
  return static_status_;
}

void AudioPlayer::setActive(bool active) {
  status().active = active ? 1 : 0;
  if (decoder_) decoder_->setPlaying(active);
}

void AudioPlayer::applyVolume() {
  const float* total = getStaticStatus();
  if (total && output_) output_->setVolume(status().volume * *total);
}

void AudioPlayer::setVolume(float volume) {
  status().volume = volume;
  applyVolume();
}

void AudioPlayer::openMemory(SoundSlot* slot) {
  if (!slot) {
    debug::writeErrorLog(kSource, 110, "rk::audio::AudioPlayer::openMemory");
    return;
  }
  if (decoder_) decoder_->close();
  AudioPlayerStatus& s = status();
  s.setFileName(slot->name.c_str());
  s.sound_slot = slot;
  setActive(true);
  s.play = 1;
  s.request = kRequestOpenMemory;
}

void AudioPlayer::play() {
  AudioPlayerStatus& s = status();
  if (s.request == kRequestPrepared) {
    s.request = kRequestOpenMemory;
  } else {
    if (!output_) return;
    if (decoder_) decoder_->resume();
    output_->start(0);
  }
  setActive(true);
  s.play = 1;
}

void AudioPlayer::applyStatus() {
  AudioPlayerStatus& s = status();
  if (s.active && s.play == 1) {
    play();
    return;
  }
  if (output_) output_->stop();
  s.play = 0;
}

void AudioPlayer::startFade(float target, float seconds) {
  AudioPlayerStatus& s = status();
  s.fader = util::Fader();
  s.fader.start(s.volume, target, seconds);
  s.stop_at_fade_end = 0;
}

void AudioPlayer::stop() {
  if (output_) output_->release();
  if (decoder_) decoder_->stop();
  stack_.clear();
  stack_.push_back(AudioPlayerStatus());
}

void AudioPlayer::unlock() {
  // Never below zero: a release without a reservation must not swallow the
  // next reservation's count.
  if (lock_count_ > 0) --lock_count_;
  if (lock_count_ != 0) return;
  setActive(false);
  stop();
}

void AudioPlayer::resetOutput() {
  if (decoder_) decoder_->setPlaying(false);
  if (output_) output_->setPosition({0.0f, 0.0f, 0.0f, 0.0f});
}

void AudioPlayer::reset() {
  AudioPlayerStatus& s = status();
  if (!s.sound_slot) {
    debug::writeErrorLog(kSource, 190, "rk::audio::AudioPlayer::reset");
    return;
  }
  s.request = kRequestOpenMemory;
}

void AudioPlayer::setPos(const math::Vector4& position) {
  if (!output_) {
    debug::writeErrorLog(kSource, 200, "rk::audio::AudioPlayer::setPos");
    return;
  }
  output_->setPosition(position);
}

void AudioPlayer::stopVoice() {
  if (output_) output_->stop();
  status().play = 0;
}

// ------------------------------------------------------------------ the tick

void AudioPlayer::notify() {
  AudioPlayerStatus& s = status();
  if (!s.active) return;
  switch (s.request) {
    case kRequestPrepared:
    case kRequestEnded:
      return;
    case kRequestOpenFile:
      openFile();
      return;
    case kRequestOpenMemory:
      openSlot();
      return;
    case kRequestPlaying:
      feed();
      return;
    default:  // kRequestNone and anything unknown
      s.play = 0;
      return;
  }
}

// Unbound players (before the audio thread starts) keep their request for later.
void AudioPlayer::openFile() {
  if (!decoder_ || !output_) return;
  AudioPlayerStatus& s = status();
  decoder_->close();
  if (!decoder_->open(s.file_name)) {
    endSound();
    return;
  }
  s.request = kRequestPlaying;
  decoder_->setup();
  s.play = 1;
  notify();  // the first buffer is decoded and queued at once
  output_->start(0);
}

void AudioPlayer::openSlot() {
  if (!decoder_ || !output_) return;
  AudioPlayerStatus& s = status();
  decoder_->close();
  SoundSlot* slot = s.sound_slot;
  auto* memory = dynamic_cast<OggMemoryDecoder*>(decoder_);
  if (!slot || !memory) {
    debug::writeErrorLog(kSource, 260, "rk::audio::AudioPlayer::notify");
    // Ended rather than retried every tick: nothing will give it a sound.
    endSound();
    return;
  }
  memory->setSource(slot, slot->bytes.data(), static_cast<std::uint32_t>(slot->bytes.size()));
  if (!decoder_->open(slot->name.c_str())) {
    endSound();
    return;
  }
  s.request = kRequestPlaying;
  decoder_->setup();
  s.play = 1;
  applyVolume();
  notify();
  output_->start(0);
}

void AudioPlayer::feed() {
  applyVolume();
  if (!status().play) return;
  if (decoder_ && decoder_->play()) return;
  endSound();
}

void AudioPlayer::endSound() {
  AudioPlayerStatus& s = status();
  const bool locked = s.lock != 0;
  SoundSlot* slot = s.sound_slot;
  s.request = kRequestEnded;
  s.play = 0;
  setActive(false);
  stop();
  if (decoder_) decoder_->close();
  if (!locked) return;
  // A reserved player keeps its sound, so that reset can start it again.
  AudioPlayerStatus& kept = status();
  setActive(true);
  kept.lock = 1;
  kept.sound_slot = slot;
  kept.setFileName(slot ? slot->name.c_str() : "");
}

void AudioPlayer::update(float step) {
  AudioPlayerStatus& s = status();
  if (!s.active || !s.play || !s.fader.isFading()) return;
  s.fader.update(step);
  s.volume = s.fader.getValue();
  applyVolume();
  if (s.fader.isFading()) return;

  const bool locked = s.lock != 0;
  s.fader = util::Fader();
  if (s.stop_at_fade_end) {
    setActive(false);
    s.stop_at_fade_end = 0;
    stop();
    resetOutput();
    setup();
  }
  if (locked) {
    // A reserved player stays reserved after its fade-out, without its sound.
    setActive(true);
    status().lock = 1;
  }
}

// ------------------------------------------------------------ status stack

void AudioPlayer::pushStatus() {
  const AudioPlayerStatus top = status();
  stack_.push_back(top);
}

void AudioPlayer::popStatus() {
  if (stack_.size() > 1) stack_.pop_back();
  applyStatus();
}

void AudioPlayer::clearStatus() {
  stack_.clear();
  stack_.push_back(AudioPlayerStatus());
  applyStatus();
}

bool AudioPlayer::usesSlot(const SoundSlot* slot) const {
  if (!slot) return false;
  for (const AudioPlayerStatus& s : stack_)
    if (s.sound_slot == slot) return true;
  const auto* memory = dynamic_cast<const OggMemoryDecoder*>(decoder_);
  return memory && memory->soundSlot() == slot;
}

}  // namespace rk::audio
