// The script pack of a game run in a test: the test's autoexec beside the
// game's preloaded modules, read from the data sources (ASCII, so their bytes
// are already CP932).
#pragma once
#include <string>

#include "qv21_game_libraries.h"
#include "support/script_pack.h"
#include "support/temp_dir.h"

namespace rktest {

inline PackSources gameScripts(const std::string& autoexec) {
  PackSources scripts = {{"script/autoexec.a", autoexec}};
  for (const std::string& module : qv21::preloadedModules())
    scripts.push_back({module + ".a", readBytes(std::string(RK_SOURCE_DIR) + "/data/" + module + ".lua")});
  return scripts;
}

}  // namespace rktest
