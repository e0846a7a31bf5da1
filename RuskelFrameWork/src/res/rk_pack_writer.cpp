#include "res/rk_pack_writer.h"

#include <zlib.h>

#include <algorithm>

#include "fs/rk_compressed_container.h"

namespace rk::res {

namespace {

std::size_t alignUp16(std::size_t n) { return (n + 15) & ~std::size_t(15); }

void putU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

std::vector<std::uint8_t> buildPackContent(const std::vector<PackEntry>& entries) {
  std::size_t directoryEnd = 16;
  for (const PackEntry& entry : entries) directoryEnd = alignUp16(directoryEnd + 8 + entry.name.size() + 1);

  std::size_t total = directoryEnd;
  for (const PackEntry& entry : entries) total = alignUp16(total) + entry.bytes.size();

  std::vector<std::uint8_t> content(total, 0);
  putU32(content, 0, static_cast<std::uint32_t>(entries.size()));
  std::size_t record = 16;
  std::size_t data = directoryEnd;
  for (const PackEntry& entry : entries) {
    data = alignUp16(data);
    putU32(content, record, static_cast<std::uint32_t>(data));
    putU32(content, record + 4, static_cast<std::uint32_t>(entry.bytes.size()));
    std::copy(entry.name.begin(), entry.name.end(), content.begin() + record + 8);
    record = alignUp16(record + 8 + entry.name.size() + 1);
    std::copy(entry.bytes.begin(), entry.bytes.end(), content.begin() + data);
    data += entry.bytes.size();
  }
  return content;
}

bool buildPackFile(const std::vector<PackEntry>& entries, std::vector<std::uint8_t>& file) {
  const std::vector<std::uint8_t> content = buildPackContent(entries);
  return fs::compressContainer(content.data(), content.size(), file) == Z_OK;
}

}  // namespace rk::res
