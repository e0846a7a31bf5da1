// Writing packs and compressed files: used by the build's pack tool and by tests
// that need fixtures. The game itself only reads them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace rk::res {

struct PackEntry {
  std::string name;  // the resource name the entry is found under
  std::vector<std::uint8_t> bytes;
};

// The uncompressed content: u32 count, 12 zero bytes, the directory (each entry
// {u32 offset, u32 size, name, zero, padding to 16}), then the entries' bytes,
// each starting on a multiple of 16.
std::vector<std::uint8_t> buildPackContent(const std::vector<PackEntry>& entries);

// The pack file: the content as one compressed container. False when zlib fails.
bool buildPackFile(const std::vector<PackEntry>& entries, std::vector<std::uint8_t>& file);

}  // namespace rk::res
