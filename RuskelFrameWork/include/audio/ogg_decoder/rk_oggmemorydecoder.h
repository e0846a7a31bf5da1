// A decoder that reads a whole Ogg file held in memory (a sound slot's bytes),
// in place: the bytes must stay valid while the decoder is open.
#pragma once
#include <cstdint>

#include "audio/ogg_decoder/rk_oggdecoder.h"

namespace rk::audio {

struct SoundSlot;

class OggMemoryDecoder : public OggDecoder {
 public:
  ~OggMemoryDecoder() override;

  // The bytes to read from the next open, and the slot they belong to.
  void setSource(SoundSlot* slot, const std::uint8_t* data, std::uint32_t size);
  void clearSource() { setSource(nullptr, nullptr, 0); }
  // Another memory decoder gets the same bytes, read from the start.
  void copySourceTo(OggDecoder& other) const override;

  SoundSlot* soundSlot() const { return sound_slot_; }
  const std::uint8_t* data() const { return data_; }
  std::uint32_t size() const { return size_; }
  std::uint32_t position() const { return position_; }

  std::size_t oggVRRead(void* pointer, std::size_t size, std::size_t count) override;
  // Outside 0..size the position stops at the nearer end and -1 is returned.
  int oggVRSeek(ogg_int64_t offset, int whence) override;
  int oggVRClose() override { return 0; }
  long oggVRTell() override { return static_cast<long>(position_); }

 protected:
  bool openSource(const char*) override {
    position_ = 0;
    return true;
  }

 private:
  SoundSlot* sound_slot_ = nullptr;
  const std::uint8_t* data_ = nullptr;
  std::uint32_t size_ = 0;
  std::uint32_t position_ = 0;
};

}  // namespace rk::audio
