#include "lib/sound_group_writer.h"

#include "fs/rk_compressed_container.h"

namespace rktools {

std::string soundGroupContent(const std::vector<std::string>& names) {
  std::string out(8 + 4 * names.size(), '\0');
  auto put = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>(v >> (8 * i));
  };
  put(0, 8);
  put(4, static_cast<std::uint32_t>(names.size()));
  for (std::size_t i = 0; i < names.size(); ++i) {
    put(8 + 4 * i, static_cast<std::uint32_t>(out.size()));
    out += names[i];
    out += '\0';
  }
  return out;
}

std::vector<std::uint8_t> soundGroupFile(const std::vector<std::string>& names) {
  const std::string content = soundGroupContent(names);
  std::vector<std::uint8_t> out;
  if (rk::fs::compressContainer(content.data(), content.size(), out) != 0) out.clear();
  return out;
}

}  // namespace rktools
