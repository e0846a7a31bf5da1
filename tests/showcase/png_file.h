// Writes 8-bit RGB images as PNG files (one IDAT chunk, no filtering), so the
// screenshots open in any viewer and CI can keep them as artifacts.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace showcase {

struct RgbImage {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;  // rows top to bottom, three bytes a pixel
  const std::uint8_t* at(int x, int y) const { return rgb.data() + (std::size_t(y) * width + x) * 3; }
};

inline void putBigEndian(std::string& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

inline void putChunk(std::string& out, const char* type, const std::string& data) {
  putBigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::string body = std::string(type, 4) + data;
  out += body;
  putBigEndian(out, static_cast<std::uint32_t>(
                        crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
}

// False when the file cannot be written.
inline bool writePng(const std::string& path, const RgbImage& image) {
  std::string raw;
  raw.reserve(std::size_t(image.height) * (image.width * 3 + 1));
  for (int y = 0; y < image.height; ++y) {
    raw.push_back(0);  // filter type: none
    raw.append(reinterpret_cast<const char*>(image.at(0, y)), std::size_t(image.width) * 3);
  }
  std::vector<Bytef> packed(compressBound(raw.size()));
  uLongf packedSize = packed.size();
  if (compress2(packed.data(), &packedSize, reinterpret_cast<const Bytef*>(raw.data()), raw.size(), 6) != Z_OK)
    return false;
  std::string header;
  putBigEndian(header, static_cast<std::uint32_t>(image.width));
  putBigEndian(header, static_cast<std::uint32_t>(image.height));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
  std::string file = "\x89PNG\r\n\x1a\n";
  putChunk(file, "IHDR", header);
  putChunk(file, "IDAT", std::string(reinterpret_cast<const char*>(packed.data()), packedSize));
  putChunk(file, "IEND", "");
  std::ofstream out(path, std::ios::binary);
  out.write(file.data(), static_cast<std::streamsize>(file.size()));
  return static_cast<bool>(out);
}

}  // namespace showcase
