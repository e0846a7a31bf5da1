// Source voices: a queue of 16-bit PCM buffers played in place, resampled
// linearly to the mastering rate and added through volume and output matrix.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/audio_mixer.h"

namespace host::audio::detail {

namespace {

bool isLevel(float value) { return std::isfinite(value) && std::fabs(value) <= XAUDIO2_MAX_VOLUME_LEVEL; }

}  // namespace

SourceVoiceImpl::SourceVoiceImpl(std::shared_ptr<Mixer> mixer, const WaveFormat& format)
    : mixer_(std::move(mixer)), channels_(format.channels), rate_(format.samplesPerSec) {
  resetMatrixLocked(mixer_->channels);
  mixer_->sources.push_back(this);
}

void SourceVoiceImpl::resetMatrixLocked(std::uint32_t destinations) {
  matrix_.assign(static_cast<std::size_t>(destinations) * channels_, 0.0f);
  auto at = [&](std::uint32_t d, std::uint32_t s) -> float& { return matrix_[d * channels_ + s]; };
  if (destinations == 0) return;
  if (channels_ == destinations) {
    for (std::uint32_t c = 0; c < channels_; ++c) at(c, c) = 1.0f;
  } else if (channels_ == 1) {
    // Mono goes to the front pair, or to the one speaker there is.
    at(0, 0) = 1.0f;
    if (destinations >= 2) at(1, 0) = 1.0f;
  } else if (destinations == 1) {
    for (std::uint32_t s = 0; s < channels_; ++s) at(0, s) = 1.0f / static_cast<float>(channels_);
  } else {
    for (std::uint32_t c = 0; c < std::min(channels_, destinations); ++c) at(c, c) = 1.0f;
  }
}

void SourceVoiceImpl::getVoiceDetails(VoiceDetails* details) const {
  if (!details) return;
  *details = VoiceDetails{};
  details->inputChannels = channels_;
  details->inputSampleRate = rate_;
}

HResult SourceVoiceImpl::setVolume(float volume, std::uint32_t) {
  if (!isLevel(volume)) return E_INVALIDARG;
  std::lock_guard<std::mutex> guard(mixer_->lock);
  volume_ = volume;
  return S_OK;
}

void SourceVoiceImpl::getVolume(float* volume) const {
  if (!volume) return;
  std::lock_guard<std::mutex> guard(mixer_->lock);
  *volume = volume_;
}

HResult SourceVoiceImpl::setOutputMatrix(Voice* destination, std::uint32_t sourceChannels,
                                         std::uint32_t destinationChannels, const float* levelMatrix, std::uint32_t) {
  if (!levelMatrix) return E_INVALIDARG;
  std::lock_guard<std::mutex> guard(mixer_->lock);
  if (!mixer_->master) return XAUDIO2_E_INVALID_CALL;
  if ((destination && destination != static_cast<Voice*>(mixer_->master)) || sourceChannels != channels_ ||
      destinationChannels != mixer_->channels)
    return E_INVALIDARG;
  const std::size_t count = static_cast<std::size_t>(sourceChannels) * destinationChannels;
  if (!std::all_of(levelMatrix, levelMatrix + count, isLevel)) return E_INVALIDARG;
  matrix_.assign(levelMatrix, levelMatrix + count);
  return S_OK;
}

void SourceVoiceImpl::getOutputMatrix(Voice*, std::uint32_t sourceChannels, std::uint32_t destinationChannels,
                                      float* levelMatrix) const {
  if (!levelMatrix) return;
  std::lock_guard<std::mutex> guard(mixer_->lock);
  const std::size_t count = static_cast<std::size_t>(sourceChannels) * destinationChannels;
  if (sourceChannels != channels_ || count != matrix_.size()) return;
  std::copy(matrix_.begin(), matrix_.end(), levelMatrix);
}

void SourceVoiceImpl::destroyVoice() {
  {
    std::lock_guard<std::mutex> guard(mixer_->lock);
    auto& sources = mixer_->sources;
    sources.erase(std::remove(sources.begin(), sources.end(), this), sources.end());
  }
  delete this;
}

HResult SourceVoiceImpl::start(std::uint32_t, std::uint32_t) {
  std::lock_guard<std::mutex> guard(mixer_->lock);
  started_ = true;
  return S_OK;
}

HResult SourceVoiceImpl::stop(std::uint32_t, std::uint32_t) {
  std::lock_guard<std::mutex> guard(mixer_->lock);
  started_ = false;
  return S_OK;
}

HResult SourceVoiceImpl::submitSourceBuffer(const Buffer* buffer, const void*) {
  if (!buffer || !buffer->audioData || buffer->audioBytes == 0) return XAUDIO2_E_INVALID_CALL;
  if (buffer->loopCount != 0) return XAUDIO2_E_INVALID_CALL;
  const std::uint32_t blockAlign = channels_ * 2;
  if (buffer->audioBytes % blockAlign != 0) return XAUDIO2_E_INVALID_CALL;
  const std::uint64_t total = buffer->audioBytes / blockAlign;
  const std::uint64_t begin = buffer->playBegin;
  const std::uint64_t length = buffer->playLength ? buffer->playLength : (total > begin ? total - begin : 0);
  if (length == 0 || begin + length > total) return XAUDIO2_E_INVALID_CALL;

  std::lock_guard<std::mutex> guard(mixer_->lock);
  if (!mixer_->engineAlive || count_ >= XAUDIO2_MAX_QUEUED_BUFFERS) return XAUDIO2_E_INVALID_CALL;
  Queued& slot = queue_[(head_ + count_) % XAUDIO2_MAX_QUEUED_BUFFERS];
  slot.data = buffer->audioData + begin * blockAlign;
  slot.frames = static_cast<std::uint32_t>(length);
  slot.context = buffer->context;
  ++count_;
  return S_OK;
}

void SourceVoiceImpl::getState(VoiceState* state, std::uint32_t) const {
  if (!state) return;
  std::lock_guard<std::mutex> guard(mixer_->lock);
  state->buffersQueued = count_;
  state->currentBufferContext = count_ ? queue_[head_].context : nullptr;
  state->samplesPlayed = played_ + (count_ ? static_cast<std::uint64_t>(position_) : 0);
}

float SourceVoiceImpl::sampleAt(const Queued& buffer, std::uint32_t frame, std::uint32_t channel) const {
  std::int16_t value;
  std::memcpy(&value, buffer.data + (static_cast<std::size_t>(frame) * channels_ + channel) * 2, sizeof value);
  return static_cast<float>(value) / 32768.0f;
}

void SourceVoiceImpl::popFront() {
  played_ += queue_[head_].frames;
  position_ -= queue_[head_].frames;
  head_ = (head_ + 1) % XAUDIO2_MAX_QUEUED_BUFFERS;
  if (--count_ == 0) position_ = 0.0;
}

// Mono or stereo voices into a stereo mix, the common case, with the channel
// counts fixed so that the loops unroll; the same arithmetic as the general
// loop below, value for value.
template <std::uint32_t Channels>
void SourceVoiceImpl::mixIntoStereo(float* out, std::uint32_t frames, double step) {
  float m[2][Channels];
  for (std::uint32_t d = 0; d < 2; ++d)
    for (std::uint32_t c = 0; c < Channels; ++c) m[d][c] = matrix_[d * Channels + c];
  const float volume = volume_;
  for (std::uint32_t f = 0; f < frames && count_ > 0; ++f) {
    const Queued& front = queue_[head_];
    const auto index = static_cast<std::uint32_t>(position_);
    const float frac = static_cast<float>(position_ - index);
    const Queued* next = &front;
    std::uint32_t nextFrame = index + 1;
    if (nextFrame >= front.frames) {
      next = count_ > 1 ? &queue_[(head_ + 1) % XAUDIO2_MAX_QUEUED_BUFFERS] : nullptr;
      nextFrame = 0;
    }
    std::int16_t a[Channels], b[Channels];
    std::memcpy(a, front.data + static_cast<std::size_t>(index) * Channels * 2, sizeof a);
    if (next)
      std::memcpy(b, next->data + static_cast<std::size_t>(nextFrame) * Channels * 2, sizeof b);
    else
      std::memcpy(b, a, sizeof b);
    float in[Channels];
    for (std::uint32_t c = 0; c < Channels; ++c) {
      const float fa = static_cast<float>(a[c]) / 32768.0f, fb = static_cast<float>(b[c]) / 32768.0f;
      in[c] = fa + (fb - fa) * frac;
    }
    float* o = out + static_cast<std::size_t>(f) * 2;
    for (std::uint32_t d = 0; d < 2; ++d) {
      float sum = 0.0f;
      for (std::uint32_t c = 0; c < Channels; ++c) sum += m[d][c] * in[c];
      o[d] += sum * volume;
    }
    position_ += step;
    while (count_ > 0 && position_ >= queue_[head_].frames) popFront();
  }
}

void SourceVoiceImpl::mixInto(float* out, std::uint32_t frames, std::uint32_t outChannels, std::uint32_t outRate) {
  if (!started_ || count_ == 0 || outRate == 0 || matrix_.size() != static_cast<std::size_t>(outChannels) * channels_)
    return;
  const double step = static_cast<double>(rate_) / outRate;
  if (outChannels == 2 && channels_ == 2) return mixIntoStereo<2>(out, frames, step);
  if (outChannels == 2 && channels_ == 1) return mixIntoStereo<1>(out, frames, step);
  float in[kMaxSourceChannels];
  for (std::uint32_t f = 0; f < frames && count_ > 0; ++f) {
    const Queued& front = queue_[head_];
    const auto index = static_cast<std::uint32_t>(position_);
    const float frac = static_cast<float>(position_ - index);
    for (std::uint32_t c = 0; c < channels_; ++c) {
      const float a = sampleAt(front, index, c);
      float b = a;
      if (index + 1 < front.frames)
        b = sampleAt(front, index + 1, c);
      else if (count_ > 1)
        b = sampleAt(queue_[(head_ + 1) % XAUDIO2_MAX_QUEUED_BUFFERS], 0, c);
      in[c] = a + (b - a) * frac;
    }
    float* o = out + static_cast<std::size_t>(f) * outChannels;
    for (std::uint32_t d = 0; d < outChannels; ++d) {
      const float* row = &matrix_[static_cast<std::size_t>(d) * channels_];
      float sum = 0.0f;
      for (std::uint32_t c = 0; c < channels_; ++c) sum += row[c] * in[c];
      o[d] += sum * volume_;
    }
    position_ += step;
    while (count_ > 0 && position_ >= queue_[head_].frames) popFront();
  }
}

}  // namespace host::audio::detail
