#include "fs/rk_compressed_container.h"

#include <zlib.h>

#include <cstring>
#include <limits>

namespace rk::fs {

namespace {

std::uint32_t readU32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

void writeU32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Deflate's best ratio is 1032:1; the slack covers the stream's own framing.
constexpr std::uint64_t kMaxInflateRatio = 1032;
constexpr std::uint64_t kRatioSlack = 1032;

}  // namespace

bool readContainerHeader(const void* bytes, std::size_t available, ContainerHeader& header) {
  if (!bytes || available < kContainerHeaderSize) return false;
  const auto* p = static_cast<const std::uint8_t*>(bytes);
  header.uncompressedSize = readU32(p);
  header.compressedSize = readU32(p + 4);
  return true;
}

bool isPlausibleContainer(const ContainerHeader& header, std::uint64_t bytesAfterHeader) {
  if (header.compressedSize > bytesAfterHeader) return false;
  return header.uncompressedSize <= std::uint64_t(header.compressedSize) * kMaxInflateRatio + kRatioSlack;
}

int compressContainer(const void* data, std::size_t size, std::vector<std::uint8_t>& out) {
  out.clear();
  if (size > std::numeric_limits<std::uint32_t>::max() || (!data && size)) return Z_BUF_ERROR;
  uLongf length = compressBound(static_cast<uLong>(size));
  out.resize(kContainerHeaderSize + length);
  static const Bytef kNothing = 0;
  int result = compress(out.data() + kContainerHeaderSize, &length,
                        data ? static_cast<const Bytef*>(data) : &kNothing, static_cast<uLong>(size));
  if (result != Z_OK) {
    out.clear();
    return result;
  }
  out.resize(kContainerHeaderSize + length);
  writeU32(out.data(), static_cast<std::uint32_t>(size));
  writeU32(out.data() + 4, static_cast<std::uint32_t>(length));
  writeU32(out.data() + 8, 0);
  writeU32(out.data() + 12, 0);
  return Z_OK;
}

bool inflateStream(const void* stream, std::size_t streamSize, std::uint8_t* out, std::size_t outSize) {
  if (!stream || streamSize > std::numeric_limits<uLong>::max() || outSize > std::numeric_limits<uLong>::max())
    return false;
  // uncompress wants somewhere to write even for an empty result; it then checks
  // that the stream really inflates to nothing.
  std::uint8_t spare = 0;
  uLongf length = static_cast<uLongf>(outSize);
  int result = uncompress(outSize ? out : &spare, &length, static_cast<const Bytef*>(stream),
                          static_cast<uLong>(streamSize));
  return result == Z_OK && length == outSize;
}

bool inflateContainer(const void* bytes, std::size_t size, std::vector<std::uint8_t>& content) {
  content.clear();
  ContainerHeader header;
  if (!readContainerHeader(bytes, size, header)) return false;
  if (!isPlausibleContainer(header, size - kContainerHeaderSize)) return false;
  content.resize(header.uncompressedSize);
  const auto* stream = static_cast<const std::uint8_t*>(bytes) + kContainerHeaderSize;
  if (!inflateStream(stream, header.compressedSize, content.data(), content.size())) {
    content.clear();
    return false;
  }
  return true;
}

}  // namespace rk::fs
