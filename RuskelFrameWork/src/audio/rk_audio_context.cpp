#include "audio/rk_audio_context.h"

#include <cstring>
#include <utility>

#include "kernel/rk_error_log.h"
#include "kernel/rk_hr_exception.h"
#include "kernel/rk_instance_table.h"

namespace rk::audio {

namespace {

constexpr const char* kSource = "src/audio/rk_audio_context";
const SingletonReport kReport{kSource, "rk::audio::AudioContext", 86, 110, 0};

// The pan matrices of the sound-effect outputs hold eight speakers.
constexpr std::uint32_t kMaxMasteringChannels = 8;

void copyName(char (&to)[AudioContext::kNameSize], const char* from) {
  std::strncpy(to, from ? from : "", AudioContext::kNameSize - 1);
  to[AudioContext::kNameSize - 1] = '\0';
}

}  // namespace

AudioContext* AudioContext::getInstance() { return singletonGet<AudioContext>(InstanceSlot::AudioContext, kReport); }

AudioContext::AudioContext() : listener_matrix_(math::matrixIdentity()) {
  if (instanceSlot(InstanceSlot::AudioContext)) debug::writeErrorLog(kSource, kReport.createLine, "rk::audio::AudioContext::AudioContext");
  instanceSlot(InstanceSlot::AudioContext) = this;
  // Each player scales its voice by its group's total volume.
  for (MusicChannel* channel : {&main_music_, &sub_music_})
    for (AudioPlayer& player : channel->players) player.setStaticStatus(&music_total_volume_);
  normal_.setStaticStatus(&sound_effect_total_volume_);
  three_d_.setStaticStatus(&sound_effect_total_volume_);
  system_.setStaticStatus(&sound_effect_total_volume_);
  music_total_volume_ = 1.0f;
  sound_effect_total_volume_ = 1.0f;
}

AudioContext::~AudioContext() {
  // A thread left running would go on using this object after it is gone.
  stop();
  if (instanceSlot(InstanceSlot::AudioContext) == this) instanceSlot(InstanceSlot::AudioContext) = nullptr;
}

void AudioContext::init(TickMode mode) {
  // A second start begins from a clean state instead of leaking the first engine
  // and thread.
  stop();
  host::audio::Engine* engine = nullptr;
  host::HResult hr = host::audio::create(&engine, 0, host::audio::XAUDIO2_DEFAULT_PROCESSOR);
  if (host::failed(hr)) throw HrException(hr, kSource, 165, L"XAudio2Create");
  xaudio2_ = engine;

  host::audio::MasteringVoice* master = nullptr;
  hr = xaudio2_->createMasteringVoice(&master, host::audio::XAUDIO2_DEFAULT_CHANNELS,
                                      host::audio::XAUDIO2_DEFAULT_SAMPLERATE, 0, nullptr, nullptr,
                                      host::audio::AudioCategory_GameEffects);
  if (host::failed(hr)) throw HrException(hr, kSource, 174, L"xaudio2_->CreateMasteringVoice");
  mastering_voice_ = master;

  host::audio::VoiceDetails details;
  mastering_voice_->getVoiceDetails(&details);
  if (details.inputChannels > kMaxMasteringChannels) {
    debug::writeErrorLog(kSource, 183, "rk::audio::AudioContext::init");
    throw HrException(host::E_FAIL, kSource, 184, L"チャンネル数が足りない");
  }

  setListenerMatrix(math::matrixIdentity());
  started_ = true;
  if (mode == TickMode::Manual) {
    boost::lock_guard<boost::mutex> guard(lock_);
    bindPlayers();
    return;
  }
  running_ = true;
  try {
    boost::thread thread(&AudioContext::AudioTrhead, this);
    thread_.swap(thread);
  } catch (...) {
    running_ = false;
    throw;
  }
}

void AudioContext::stop() {
  {
    boost::lock_guard<boost::mutex> guard(lock_);
    running_ = false;
  }
  if (thread_.joinable()) thread_.join();
  // The thread stops the players on its way out; one that ended by a failure, or
  // manual ticks, left them playing. No voice outlives the engine.
  if (started_) {
    boost::lock_guard<boost::mutex> guard(lock_);
    stopAllPlayers();
    resetState();
    started_ = false;
  }
  if (mastering_voice_) {
    mastering_voice_->destroyVoice();
    mastering_voice_ = nullptr;
  }
  if (xaudio2_) {
    xaudio2_->release();
    xaudio2_ = nullptr;
  }
}

void AudioContext::resetState() {
  for (MusicChannel* channel : {&main_music_, &sub_music_}) {
    for (int i = 0; i < 2; ++i) {
      channel->players[i].stop();
      channel->players[i].clearLocks();
      channel->decoders[i].close();
      channel->decoders[i].setLoop(false);
    }
    channel->index = 0;
  }
  normal_.resetPlayers();
  three_d_.resetPlayers();
  system_.resetPlayers();
  for (BspData& group : groups_) {
    group.sounds.clear();
    group.reference_count = 0;
    group.hash = 0;
    group.name.clear();
  }
  for (SoundSlot& slot : slots_) slot.clear();
  load_request_ = false;
  load_request_name_[0] = '\0';
  sound_effect_root_[0] = '\0';
  listener_camera_ = 0;
  listener_matrix_ = math::matrixIdentity();
  ticks_ = 0;
}

void AudioContext::setListenerMatrix(const math::Matrix& matrix) {
  boost::lock_guard<boost::mutex> guard(lock_);
  listener_matrix_ = matrix;
}

math::Matrix AudioContext::listenerMatrix() {
  boost::lock_guard<boost::mutex> guard(lock_);
  return listener_matrix_;
}

void AudioContext::setMasterVolume(float volume) {
  master_volume_ = volume;
  if (mastering_voice_) mastering_voice_->setVolume(volume * volume);
}

void AudioContext::postLoadRequest(const char* groupName) {
  boost::lock_guard<boost::mutex> guard(lock_);
  copyName(load_request_name_, groupName);
  load_request_ = true;
}

void AudioContext::setSoundEffectRootFolder(const char* folder) {
  boost::lock_guard<boost::mutex> guard(lock_);
  copyName(sound_effect_root_, folder);
}

void AudioContext::addEntrySE(const char* name, const math::Vector4& position, float volume, std::uint8_t flag) {
  SEEntry entry;
  entry.name = name ? name : "";
  entry.position = position;
  entry.volume = volume;
  entry.flag = flag;
  entry_se_.push_back(std::move(entry));
}

}  // namespace rk::audio
