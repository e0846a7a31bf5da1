// Writes the data folder's shader pack: the GLSL sources of data/shaders under
// the names the renderer loads ("shaders/rk_easy_poly_vs.cso").
#pragma once
#include <filesystem>
#include <string>

#include "support/script_pack.h"
#include "support/temp_dir.h"

namespace rktest {

// The pack's entries, to change or leave out some before writing it.
inline PackSources shaderSources() {
  PackSources sources;
  const std::filesystem::path folder = std::filesystem::path(RK_SOURCE_DIR) / "data" / "shaders";
  for (const auto& file : std::filesystem::directory_iterator(folder))
    sources.push_back({"shaders/" + file.path().filename().string(), readBytes(file.path().string())});
  return sources;
}

inline bool writeShaderPack(const std::string& path, const PackSources& sources = shaderSources()) {
  return writePack(path, sources);
}

}  // namespace rktest
