#include "dds_writer/lib/dds_file.h"

#include <cstring>
#include <fstream>
#include <sstream>

namespace ddsfile {

namespace {

constexpr std::uint32_t kMagic = 0x20534444;  // "DDS "
constexpr std::uint32_t kHeaderSize = 124;
constexpr std::uint32_t kFlags = 0x1007 | 0x8;  // caps, height, width, pixel format, pitch
constexpr std::uint32_t kPixelFormatSize = 32;
constexpr std::uint32_t kRgbWithAlpha = 0x41;
constexpr std::uint32_t kCapsTexture = 0x1000;

std::uint8_t channel(std::uint32_t argb, int shift) { return static_cast<std::uint8_t>((argb >> shift) & 0xFF); }

std::uint32_t mix(std::uint32_t a, std::uint32_t b, float t) {
  std::uint32_t out = 0;
  for (int shift : {0, 8, 16, 24}) {
    const float v = channel(a, shift) + (channel(b, shift) - channel(a, shift)) * t;
    out |= static_cast<std::uint32_t>(v + 0.5f) << shift;
  }
  return out;
}

bool readColour(std::istream& in, std::uint32_t& out) {
  std::string text;
  if (!(in >> text)) return false;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text.c_str(), &end, 16);
  if (!end || *end || text.size() > 8) return false;
  out = static_cast<std::uint32_t>(value);
  return true;
}

}  // namespace

std::vector<std::uint8_t> encode(const Image& image) {
  std::uint32_t header[32] = {};
  header[0] = kMagic;
  header[1] = kHeaderSize;
  header[2] = kFlags;
  header[3] = image.height;
  header[4] = image.width;
  header[5] = image.width * 4;  // pitch
  header[7] = 1;                // mip levels
  header[19] = kPixelFormatSize;
  header[20] = kRgbWithAlpha;
  header[22] = 32;  // bits per pixel
  header[23] = 0x00FF0000, header[24] = 0x0000FF00, header[25] = 0x000000FF, header[26] = 0xFF000000;
  header[27] = kCapsTexture;
  std::vector<std::uint8_t> out(sizeof header + image.pixels.size() * 4);
  std::memcpy(out.data(), header, sizeof header);
  std::uint8_t* p = out.data() + sizeof header;
  for (std::uint32_t argb : image.pixels) {
    *p++ = channel(argb, 0), *p++ = channel(argb, 8), *p++ = channel(argb, 16), *p++ = channel(argb, 24);
  }
  return out;
}

bool makePattern(const std::string& description, std::uint32_t width, std::uint32_t height, Image& out,
                 std::string& error) {
  if (width == 0 || height == 0 || width > 4096 || height > 4096) {
    error = "texture size out of range";
    return false;
  }
  std::istringstream in(description);
  std::string kind;
  in >> kind;
  std::uint32_t a = 0, b = 0;
  out.width = width, out.height = height;
  out.pixels.assign(std::size_t{width} * height, 0);
  if (kind == "solid" && readColour(in, a)) {
    for (auto& p : out.pixels) p = a;
    return true;
  }
  if (kind == "checker" && readColour(in, a) && readColour(in, b)) {
    std::uint32_t cell = 0;
    if (!(in >> cell) || cell == 0) {
      error = "checker needs a cell size above 0";
      return false;
    }
    for (std::uint32_t y = 0; y < height; ++y)
      for (std::uint32_t x = 0; x < width; ++x) out.pixels[y * width + x] = ((x / cell + y / cell) % 2) ? b : a;
    return true;
  }
  if (kind == "gradient" && readColour(in, a) && readColour(in, b)) {
    for (std::uint32_t y = 0; y < height; ++y)
      for (std::uint32_t x = 0; x < width; ++x)
        out.pixels[y * width + x] = mix(a, b, height > 1 ? float(y) / float(height - 1) : 0.0f);
    return true;
  }
  error = "unknown texture pattern: " + description;
  return false;
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace ddsfile
