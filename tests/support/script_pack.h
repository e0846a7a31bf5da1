// Writes a pack file as the data folder holds them: stored names ("script/autoexec.a")
// with their bytes, built by the pack-writing library.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "res/rk_pack_writer.h"
#include "support/temp_dir.h"

namespace rktest {

using PackSources = std::vector<std::pair<std::string, std::string>>;

inline bool writePack(const std::string& path, const PackSources& sources) {
  std::vector<rk::res::PackEntry> entries;
  for (const auto& source : sources)
    entries.push_back({source.first, std::vector<std::uint8_t>(source.second.begin(), source.second.end())});
  std::vector<std::uint8_t> file;
  if (!rk::res::buildPackFile(entries, file)) return false;
  writeBytes(path, std::string(file.begin(), file.end()));
  return true;
}

}  // namespace rktest
