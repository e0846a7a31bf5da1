// The compressed container: a 16-byte little-endian header {uncompressed size,
// compressed size, 0, 0} followed by one zlib stream. Packs, models, effects,
// sound groups, collision meshes and the high scores are stored this way.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace rk::fs {

constexpr std::size_t kContainerHeaderSize = 16;

struct ContainerHeader {
  std::uint32_t uncompressedSize = 0;
  std::uint32_t compressedSize = 0;
};

// Reads the header from the first 16 bytes; false when fewer are given.
bool readContainerHeader(const void* bytes, std::size_t available, ContainerHeader& header);

// True when the header can describe a real stream: the compressed bytes fit in
// what follows the header, and the stated size is reachable by deflate (which
// expands at most 1032:1). Guards every allocation made from a header.
bool isPlausibleContainer(const ContainerHeader& header, std::uint64_t bytesAfterHeader);

// Writes header and stream for `size` bytes into `out`. Returns zlib's result
// (Z_OK on success); the output buffer is sized by compressBound, so small or
// incompressible data is stored too.
int compressContainer(const void* data, std::size_t size, std::vector<std::uint8_t>& out);

// Inflates one zlib stream into exactly `outSize` bytes. False on any zlib error,
// and when the stream inflates to a different length.
bool inflateStream(const void* stream, std::size_t streamSize, std::uint8_t* out, std::size_t outSize);

// A whole container in memory to its content; false when it is truncated,
// implausible or corrupt.
bool inflateContainer(const void* bytes, std::size_t size, std::vector<std::uint8_t>& content);

}  // namespace rk::fs
