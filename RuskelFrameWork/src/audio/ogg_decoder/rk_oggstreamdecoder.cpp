#include "audio/ogg_decoder/rk_oggstreamdecoder.h"

#include <algorithm>
#include <cstdint>

#include "host/fs.h"

namespace rk::audio {

OggStreamDecoder::~OggStreamDecoder() {
  clearStream();
  oggVRClose();
}

void OggStreamDecoder::copySourceTo(OggDecoder& other) const {
  if (auto* stream = dynamic_cast<OggStreamDecoder*>(&other)) {
    stream->base_ = base_;
    stream->end_ = end_;
    stream->size_ = size_;
    stream->position_ = 0;
  }
}

bool OggStreamDecoder::openSource(const char* name) {
  oggVRClose();
  file_ = host::fs::open(name, "rb");
  if (!file_) return false;
  base_ = std::ftell(file_);
  long end = -1;
  if (base_ >= 0 && std::fseek(file_, 0, SEEK_END) == 0) end = std::ftell(file_);
  // Sizes are 32-bit: a file that does not fit is not opened.
  if (end < base_ || static_cast<unsigned long long>(end - base_) > UINT32_MAX ||
      std::fseek(file_, base_, SEEK_SET) != 0) {
    oggVRClose();
    return false;
  }
  size_ = static_cast<std::uint32_t>(end - base_);
  end_ = base_ + static_cast<long>(size_);
  position_ = 0;
  return true;
}

std::size_t OggStreamDecoder::oggVRRead(void* pointer, std::size_t size, std::size_t count) {
  if (!file_ || !pointer || size == 0 || position_ >= size_) return 0;
  const std::size_t wanted = std::min(count, static_cast<std::size_t>(size_ - position_) / size);
  const std::size_t items = std::fread(pointer, size, wanted, file_);
  position_ += static_cast<std::uint32_t>(size * items);
  return items;
}

// The range is checked before the file moves, so that the file and the position
// never disagree.
int OggStreamDecoder::oggVRSeek(ogg_int64_t offset, int whence) {
  if (!file_) return -1;
  ogg_int64_t target;
  switch (whence) {
    case SEEK_SET: target = offset; break;
    case SEEK_CUR: target = static_cast<ogg_int64_t>(position_) + offset; break;
    case SEEK_END: target = static_cast<ogg_int64_t>(size_) + offset; break;
    default: return -1;
  }
  int result = 0;
  if (target < 0) {
    target = 0;
    result = -1;
  } else if (target > static_cast<ogg_int64_t>(size_)) {
    target = size_;
    result = -1;
  }
  position_ = static_cast<std::uint32_t>(target);
  if (std::fseek(file_, base_ + static_cast<long>(target), SEEK_SET) != 0) return -1;
  return result;
}

int OggStreamDecoder::oggVRClose() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  return 0;
}

}  // namespace rk::audio
