// DDS files of uncompressed 32-bit pixels, the layout the game's textures use:
// one surface, no mips, bytes R G B A in memory.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace rktools {

// An RGBA image, rows top to bottom, four bytes a pixel.
struct Image {
  std::uint32_t width = 0, height = 0;
  std::vector<std::uint8_t> rgba;

  Image() = default;
  Image(std::uint32_t w, std::uint32_t h) : width(w), height(h), rgba(std::size_t(w) * h * 4, 0) {}
  std::uint8_t* at(std::uint32_t x, std::uint32_t y) { return rgba.data() + (std::size_t(y) * width + x) * 4; }
  const std::uint8_t* at(std::uint32_t x, std::uint32_t y) const {
    return rgba.data() + (std::size_t(y) * width + x) * 4;
  }
};

// The whole file: the 128-byte header (magic, size 124, caps, pixel format with
// the R, G, B and A masks of byte order R G B A) followed by the pixels.
std::vector<std::uint8_t> ddsRgba8(const Image& image);

// Writes bytes to a native path, making the missing folders; false on failure.
bool writeBinaryFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace rktools
