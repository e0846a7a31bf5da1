#include "audio/xaudio/rk_xaudio_normal_output.h"

#include "audio/rk_audio_context.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_hr_exception.h"

namespace rk::audio {

namespace {

constexpr const char* kSource = "src/audio/xaudio/rk_xaudio_normal_output";

}  // namespace

XAudioNormalOutput::~XAudioNormalOutput() {
  if (voice_) voice_->destroyVoice();
}

void XAudioNormalOutput::createSwapBuffer(const SwapBufferDesc& desc) {
  AudioContext* context = AudioContext::getInstance();
  if (!context) return;
  release();
  host::audio::Engine* engine = context->getAudio2();
  // Without an engine (not started, or shut down) there is no voice: the decoder
  // then sees the sound as over.
  if (!engine || !desc.format) return;
  host::audio::SourceVoice* voice = nullptr;
  const host::HResult hr = engine->createSourceVoice(&voice, desc.format, 0, host::audio::XAUDIO2_DEFAULT_FREQ_RATIO);
  throwIfFailed(hr, kSource, 96, L"ac.getAudio2()->CreateSourceVoice()");
  voice_ = voice;
  allocSwapBuffers(desc.bufferBytes / 2);
}

void XAudioNormalOutput::release() {
  if (voice_) {
    voice_->stop(0, 0);
    voice_->destroyVoice();
    voice_ = nullptr;
  }
  buffers_[0] = std::vector<std::uint8_t>();
  buffers_[1] = std::vector<std::uint8_t>();
  buffer_size_ = 0;
  current_ = 0;
}

void XAudioNormalOutput::stop() {
  if (voice_) voice_->stop(0, 0);
}

int XAudioNormalOutput::getQueuedBufferCount() {
  if (!voice_) return -1;
  host::audio::VoiceState state;
  voice_->getState(&state);
  return static_cast<int>(state.buffersQueued);
}

void XAudioNormalOutput::setVolume(float volume) {
  if (voice_) voice_->setVolume(volume * volume, 0);
}

void XAudioNormalOutput::start(std::uint32_t) {
  if (voice_) voice_->start(0, 0);
}

host::HResult XAudioNormalOutput::lockBuffer(std::uint32_t, std::uint32_t, void** pointer, std::uint32_t* length) {
  if (pointer) *pointer = nullptr;
  if (length) *length = 0;
  return host::E_FAIL;
}

void XAudioNormalOutput::allocSwapBuffers(std::uint32_t size) {
  buffers_[0].assign(size, 0);
  buffers_[1].assign(size, 0);
  buffer_size_ = size;
  current_ = 0;
}

std::uint32_t XAudioNormalOutput::getWriteBuffer(std::uint8_t** pointer) {
  if (pointer) *pointer = buffer_size_ ? buffers_[current_].data() : nullptr;
  return buffer_size_;
}

void XAudioNormalOutput::pushQueue(const std::uint8_t* data, std::uint32_t bytes) {
  if (!voice_) {
    debug::writeErrorLog(kSource, 191, "rk::audio::XAudioNormalOutput::pushQueue");
    return;
  }
  host::audio::Buffer buffer;
  buffer.flags = host::audio::XAUDIO2_END_OF_STREAM;
  buffer.audioBytes = bytes;
  buffer.audioData = data;
  voice_->submitSourceBuffer(&buffer, nullptr);
}

void XAudioNormalOutput::swapBuffer() { current_ = current_ + 1 > 1 ? 0 : current_ + 1; }

}  // namespace rk::audio
