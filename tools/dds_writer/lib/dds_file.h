// Uncompressed 32-bit DDS textures (no mip maps) from packed ARGB pixels or
// from a short pattern description, for fixtures and sample data; the file
// itself is written by the shared DDS writer of tools/lib.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace ddsfile {

// Pixels row after row, each packed ARGB (alpha in the top byte).
struct Image {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint32_t> pixels;
};

// The whole file: the 128-byte header and the pixels as B, G, R, A bytes.
std::vector<std::uint8_t> encode(const Image& image);

// A pattern: "solid <argb>", "checker <argb> <argb> <cell>" or
// "gradient <argb> <argb>" (top to bottom), colours in hexadecimal.
// Returns false with a message for a description it cannot read.
bool makePattern(const std::string& description, std::uint32_t width, std::uint32_t height, Image& out,
                 std::string& error);

// Writes the bytes to a file; false when it cannot be written.
bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace ddsfile
