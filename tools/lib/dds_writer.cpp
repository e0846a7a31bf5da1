#include "lib/dds_writer.h"

#include <cstring>
#include <filesystem>
#include <fstream>

namespace rktools {

namespace {

enum : std::uint32_t {
  kMagic = 0x20534444,                // "DDS "
  kHeaderSize = 124,
  kFlagsCapsHeightWidthFormat = 0x1007,
  kFlagPitch = 0x8,
  kPixelFormatSize = 32,
  kPixelRgbWithAlpha = 0x41,
  kCapsTexture = 0x1000,
};

}  // namespace

std::vector<std::uint8_t> ddsRgba8(const Image& image) {
  std::uint32_t header[32] = {};
  header[0] = kMagic;
  header[1] = kHeaderSize;
  header[2] = kFlagsCapsHeightWidthFormat | kFlagPitch;
  header[3] = image.height;
  header[4] = image.width;
  header[5] = image.width * 4;  // bytes per row
  header[7] = 1;                // one mip
  header[19] = kPixelFormatSize;
  header[20] = kPixelRgbWithAlpha;
  header[22] = 32;  // bits per pixel
  header[23] = 0x000000ff;
  header[24] = 0x0000ff00;
  header[25] = 0x00ff0000;
  header[26] = 0xff000000;
  header[27] = kCapsTexture;
  std::vector<std::uint8_t> out(sizeof header + image.rgba.size());
  // The format is little-endian; so is every machine this builds on.
  std::memcpy(out.data(), header, sizeof header);
  std::memcpy(out.data() + sizeof header, image.rgba.data(), image.rgba.size());
  return out;
}

bool writeBinaryFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  const std::filesystem::path target(path);
  std::error_code ec;
  if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), ec);
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace rktools
