#include "audio/ogg_decoder/rk_oggdecoder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "audio/rk_audio_context.h"
#include "kernel/rk_error_log.h"

namespace rk::audio {

namespace {

constexpr const char* kSource = "src/audio/ogg_decoder/rk_oggdecoder";

std::size_t readCallback(void* pointer, std::size_t size, std::size_t count, void* source) {
  return static_cast<OggDecoder*>(source)->oggVRRead(pointer, size, count);
}
int seekCallback(void* source, ogg_int64_t offset, int whence) {
  return static_cast<OggDecoder*>(source)->oggVRSeek(offset, whence);
}
int closeCallback(void* source) { return static_cast<OggDecoder*>(source)->oggVRClose(); }
long tellCallback(void* source) { return static_cast<OggDecoder*>(source)->oggVRTell(); }

// Reads "<key><number>" the way sscanf's "%d" would (leading blanks, a sign,
// decimal digits), without its undefined result on overflow: the number is kept
// modulo 2^32. False when the comment is not of that form.
bool readTagNumber(const char* comment, const char* key, std::uint32_t& value) {
  const std::size_t keyLength = std::strlen(key);
  if (std::strncmp(comment, key, keyLength) != 0) return false;
  const char* digits = comment + keyLength;
  char* end = nullptr;
  const long long number = std::strtoll(digits, &end, 10);
  if (end == digits) return false;
  value = static_cast<std::uint32_t>(static_cast<unsigned long long>(number));
  return true;
}

}  // namespace

OggDecoder::OggDecoder() { std::memset(&vorbis_file_, 0, sizeof vorbis_file_); }

OggDecoder::~OggDecoder() {
  // Subclasses close their source; whatever is left is freed without it.
  if (open_) {
    vorbis_file_.callbacks.close_func = nullptr;
    ov_clear(&vorbis_file_);
  }
}

void OggDecoder::clearStream() {
  if (!open_) return;
  ov_clear(&vorbis_file_);
  open_ = 0;
  info_ = nullptr;
}

bool OggDecoder::open(const char* name) {
  if (open_) close();
  const bool sourceOpen = name && openSource(name);
  saved_queue_count_ = 0;
  started_ = 1;
  if (sourceOpen) {
    const ov_callbacks callbacks = {readCallback, seekCallback, closeCallback, tellCallback};
    if (ov_open_callbacks(this, &vorbis_file_, nullptr, 0, callbacks) == 0)
      open_ = 1;
    else
      oggVRClose();  // a failed open leaves the source to its owner
  }
  if (!open_ || !acceptStream()) {
    close();
    debug::writeErrorLog(kSource, 230, "rk::audio::OggDecoder::open");
    return false;
  }
  readLoopPoints();
  bitstream_ = 0;
  ov_time_seek(&vorbis_file_, 0.0);
  return true;
}

// The voices take 1 to 8 channels at 1 kHz to 200 kHz; anything else is refused
// here rather than failing the voice's creation on the audio thread.
bool OggDecoder::acceptStream() {
  info_ = ov_info(&vorbis_file_, -1);
  return info_ && info_->channels >= 1 && info_->channels <= kMaxChannels &&
         info_->rate >= static_cast<long>(host::audio::XAUDIO2_MIN_SAMPLE_RATE) &&
         info_->rate <= static_cast<long>(host::audio::XAUDIO2_MAX_SAMPLE_RATE);
}

void OggDecoder::readLoopPoints() {
  const vorbis_comment* comments = ov_comment(&vorbis_file_, -1);
  if (!comments || !comments->user_comments) return;
  bool haveStart = false, haveLength = false;
  std::uint32_t start = 0, length = 0;
  for (int i = 0; i < comments->comments; ++i) {
    const char* comment = comments->user_comments[i];
    if (!comment) continue;
    if (!haveStart) haveStart = readTagNumber(comment, "LOOPSTART=", start);
    if (!haveLength) haveLength = readTagNumber(comment, "LOOPLENGTH=", length);
  }
  if (!haveStart || !haveLength) return;
  const double rate = static_cast<double>(info_->rate);
  loop_ = 1;
  loop_start_ = start / rate;
  loop_end_ = loop_start_ + length / rate;
}

void OggDecoder::setLoop(bool loop) {
  loop_ = loop ? 1 : 0;
  loop_start_ = 0.0;
  loop_end_ = 0.0;
}

void OggDecoder::stop() {
  playing_ = 0;
  close();
}

void OggDecoder::close() {
  if (open_) ov_clear(&vorbis_file_);
  info_ = nullptr;
  ended_ = 0;
  open_ = 0;
  started_ = 0;
  loop_ = 0;
  if (output_) {
    output_->stop();
    output_->restore(0);
    saved_queue_count_ = 0;
  }
}

void OggDecoder::getSwapBufferDesc(SwapBufferDesc* desc, std::uint32_t seconds) {
  if (!desc) return;
  *desc = SwapBufferDesc{};
  desc->bufferBytes = seconds * wave_format_.avgBytesPerSec;
  desc->format = &wave_format_;
}

void OggDecoder::setup() {
  if (!AudioContext::getInstance()) return;
  // A decoder whose open failed has no stream to describe.
  if (!output_ || !open_ || !info_) {
    debug::writeErrorLog(kSource, 290, "rk::audio::OggDecoder::setup");
    return;
  }
  const auto channels = static_cast<std::uint16_t>(info_->channels);
  const auto rate = static_cast<std::uint32_t>(info_->rate);
  wave_format_ = host::audio::WaveFormat{};
  wave_format_.formatTag = host::audio::WAVE_FORMAT_PCM;
  wave_format_.channels = channels;
  wave_format_.samplesPerSec = rate;
  wave_format_.bitsPerSample = 16;
  wave_format_.blockAlign = static_cast<std::uint16_t>(channels * 2);
  wave_format_.avgBytesPerSec = rate * channels * 2;
  SwapBufferDesc desc;
  getSwapBufferDesc(&desc, 2);
  output_->createSwapBuffer(desc);
  output_->stop();
  output_->restore(0);
  ended_ = 0;
  saved_queue_count_ = 0;
}

bool OggDecoder::formatChanged() {
  if (vorbis_file_.links <= 1) return false;
  const vorbis_info* now = ov_info(&vorbis_file_, -1);
  return !now || now->channels != info_->channels || now->rate != info_->rate;
}

std::uint32_t OggDecoder::getPCM(std::uint8_t* buffer, std::uint32_t length, bool loop, std::uint8_t& ended) {
  if (!buffer) {
    ended = 1;
    return 0;
  }
  std::memset(buffer, 0, length);
  ended = 0;
  if (!open_ || !info_) {
    ended = 1;
    return 0;
  }
  std::uint32_t chunk = std::min(length, kReadChunk);
  std::uint32_t total = 0;
  // Set by a jump back to the loop start until data follows it: a loop that gives
  // no data (a loop start past the end, a stream that fails there) ends the sound
  // instead of spinning here for ever.
  bool jumpedWithoutData = false;
  while (total < length) {
    long n = ov_read(&vorbis_file_, reinterpret_cast<char*>(buffer + total), static_cast<int>(chunk), 0, 2, 1,
                     &bitstream_);
    if (n > 0 && formatChanged()) {
      std::memset(buffer + total, 0, static_cast<std::size_t>(n));
      n = 0;
    }
    if (n <= 0) {
      if (!loop || jumpedWithoutData || ov_time_seek(&vorbis_file_, loop_start_) != 0) {
        ended = 1;
        return total;
      }
      jumpedWithoutData = true;
      continue;
    }
    jumpedWithoutData = false;
    if (loop && loop_end_ > 0.0 && ov_time_tell(&vorbis_file_) >= loop_end_) ov_time_seek(&vorbis_file_, loop_start_);
    total += static_cast<std::uint32_t>(n);
    if (total >= length) break;
    chunk = std::min(length - total, kReadChunk);
  }
  if (total > length) debug::writeErrorLog(kSource, 380, "rk::audio::OggDecoder::getPCM");
  return total;
}

bool OggDecoder::play() {
  if (!output_) return false;
  const int queued = output_->getQueuedBufferCount();
  if (queued < 0) return false;
  if (queued > 1) return true;
  if (ended_) return queued != 0;
  std::uint8_t* buffer = nullptr;
  const std::uint32_t size = output_->getWriteBuffer(&buffer);
  const std::uint32_t bytes = getPCM(buffer, size, loop_ != 0, ended_);
  if (bytes == 0) {
    ended_ = 0;
    return false;
  }
  output_->pushQueue(buffer, bytes);
  output_->swapBuffer();
  return true;
}

void OggDecoder::pause() {
  if (!output_) return;
  output_->stop();
  saved_queue_count_ = output_->getQueuedBufferCount();
}

void OggDecoder::resume() {
  if (ended_ || !output_) return;
  output_->start(start_flags_);
  output_->restore(saved_queue_count_);
  started_ = 1;
}

void OggDecoder::playFromTime(double seconds) {
  bitstream_ = 0;
  if (open_) ov_time_seek(&vorbis_file_, seconds);
  if (output_) {
    output_->stop();
    output_->restore(0);
  }
  void* locked = nullptr;
  std::uint32_t length = 0;
  if (output_ && host::failed(output_->lockBuffer(0, 0, &locked, &length))) locked = nullptr;
  getPCM(static_cast<std::uint8_t*>(locked), length, loop_ != 0, ended_);
  if (output_) {
    output_->unlockBuffer();
    output_->start(start_flags_);
  }
  saved_queue_count_ = 0;
  started_ = 1;
}

}  // namespace rk::audio
