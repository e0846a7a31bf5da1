// Rig for the game's fonts: the renderer rig with the texture manager (trace
// back end, or OpenGL for read-back), a data folder holding the font pages the
// build draws, and helpers that run the texture set-up until a font is ready.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <thread>

#include "font/initial_font_adapter.h"
#include "gfx_list/gfx_list_rig.h"

namespace fonttest {

using namespace gfxlisttest;

// Copies the generated font pages into the data folder's "textures/", all but
// the ones named in `leaveOut` (stored names, "font03.dds").
inline void copyFontPages(const std::string& folder, const std::set<std::string>& leaveOut = {}) {
  namespace fsys = std::filesystem;
  const fsys::path from = fsys::path(RK_BINARY_DIR) / "data-gen/hud/textures";
  const fsys::path to = fsys::path(folder) / "textures";
  fsys::create_directories(to);
  for (const auto& entry : fsys::directory_iterator(from))
    if (!leaveOut.count(entry.path().filename().string()))
      fsys::copy_file(entry.path(), to / entry.path().filename(), fsys::copy_options::overwrite_existing);
}

// Runs the file manager's main-thread step and task passes until `done`
// holds (at most about three seconds).
inline bool runUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 3000 && !done(); ++i) {
    rk::fs::FileManager::getInstance()->notify();
    rk::task::TaskManager::getInstance()->update(1.0f / 60.0f);
    if (!done()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return done();
}

// Runs passes until every texture the manager holds has been set up.
inline bool runUntilTexturesSetUp(const std::vector<rk::gfx::RkTexture*>& textures) {
  return runUntil([&] {
    for (rk::gfx::RkTexture* t : textures)
      if (t && !t->info().loaded_) return false;
    return true;
  });
}

template <class Base>
class FontRigOf : public Base {
 protected:
  void SetUp() override {
    Base::SetUp();
    font::initialFont().reset();
    if (!this->IsSkipped()) copyFontPages(this->data.path());
  }
  void TearDown() override {
    font::initialFont().reset();
    Base::TearDown();
  }
};

using FontRig = FontRigOf<GfxListRig>;
using FontGlRig = FontRigOf<GlRig>;

}  // namespace fonttest
