#include "dds_writer/lib/dds_file.h"

#include "lib/dds_writer.h"

#include <cstdlib>
#include <sstream>

namespace ddsfile {

namespace {

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

// Packed ARGB pixels become the RGBA bytes of the shared DDS writer.
std::vector<std::uint8_t> encode(const Image& image) {
  rktools::Image rgba(image.width, image.height);
  std::uint8_t* p = rgba.rgba.data();
  for (std::uint32_t argb : image.pixels) {
    *p++ = channel(argb, 16), *p++ = channel(argb, 8), *p++ = channel(argb, 0), *p++ = channel(argb, 24);
  }
  return rktools::ddsRgba8(rgba);
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
  return rktools::writeBinaryFile(path, bytes);
}

}  // namespace ddsfile
