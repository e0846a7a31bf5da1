// A decoder that streams an Ogg file from disk (the music players'). The file is
// opened by name, relative to the current directory, and read only up to the size
// it had when it was opened.
#pragma once
#include <cstdint>
#include <cstdio>

#include "audio/ogg_decoder/rk_oggdecoder.h"

namespace rk::audio {

class OggStreamDecoder : public OggDecoder {
 public:
  ~OggStreamDecoder() override;

  // Another stream decoder gets the same range, position 0, without the file.
  void copySourceTo(OggDecoder& other) const override;

  std::FILE* file() const { return file_; }
  std::uint32_t size() const { return size_; }
  std::uint32_t position() const { return position_; }

  std::size_t oggVRRead(void* pointer, std::size_t size, std::size_t count) override;
  // Outside 0..size the position stops at the nearer end, the file is placed
  // there too, and -1 is returned.
  int oggVRSeek(ogg_int64_t offset, int whence) override;
  int oggVRClose() override;
  long oggVRTell() override { return static_cast<long>(position_); }

 protected:
  bool openSource(const char* name) override;

 private:
  std::FILE* file_ = nullptr;
  long base_ = 0;
  long end_ = 0;
  std::uint32_t size_ = 0;
  std::uint32_t position_ = 0;
};

}  // namespace rk::audio
