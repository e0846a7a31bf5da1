#include "audio/ogg_decoder/rk_oggmemorydecoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "kernel/rk_error_log.h"

namespace rk::audio {

namespace {

constexpr const char* kSource = "src/audio/ogg_decoder/rk_oggmemorydecoder";

}  // namespace

// vorbisfile's state is freed with the decoder, not left behind.
OggMemoryDecoder::~OggMemoryDecoder() { clearStream(); }

void OggMemoryDecoder::setSource(SoundSlot* slot, const std::uint8_t* data, std::uint32_t size) {
  sound_slot_ = slot;
  data_ = data;
  size_ = data ? size : 0;
  position_ = 0;
}

void OggMemoryDecoder::copySourceTo(OggDecoder& other) const {
  if (auto* memory = dynamic_cast<OggMemoryDecoder*>(&other)) {
    memory->data_ = data_;
    memory->size_ = size_;
    memory->position_ = 0;
  }
}

std::size_t OggMemoryDecoder::oggVRRead(void* pointer, std::size_t size, std::size_t count) {
  if (!pointer || size == 0 || !data_) return 0;
  if (position_ > size_) {
    debug::writeErrorLog(kSource, 52, "rk::audio::OggMemoryDecoder::oggVRRead");
    return 0;
  }
  const std::size_t items = std::min(count, static_cast<std::size_t>(size_ - position_) / size);
  const std::size_t bytes = items * size;
  std::memcpy(pointer, data_ + position_, bytes);
  position_ += static_cast<std::uint32_t>(bytes);
  return items;
}

int OggMemoryDecoder::oggVRSeek(ogg_int64_t offset, int whence) {
  ogg_int64_t target;
  switch (whence) {
    case SEEK_SET: target = offset; break;
    case SEEK_CUR: target = static_cast<ogg_int64_t>(position_) + offset; break;
    case SEEK_END: target = static_cast<ogg_int64_t>(size_) + offset; break;
    default: return -1;
  }
  if (target < 0) {
    position_ = 0;
    return -1;
  }
  if (target > static_cast<ogg_int64_t>(size_)) {
    position_ = size_;
    return -1;
  }
  position_ = static_cast<std::uint32_t>(target);
  return 0;
}

}  // namespace rk::audio
