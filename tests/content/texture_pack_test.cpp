// The texture pack the build makes answers every texture the HUD and the fonts
// ask for: the requested ".tga" name maps to its ".dds" entry, which the pack
// holds (no file is read), and the entry is a DDS image of the right size.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fs/load_fixture.h"
#include "host/dds.h"

namespace {

class TexturePack : public rktest::LoadFixture {};

TEST_F(TexturePack, HoldsEveryHudAndFontTextureUnderItsRequestedName) {
  rk::res::RomPack pack;
  ASSERT_TRUE(pack.load(RK_BINARY_DIR "/data/textures.pkp"));
  ASSERT_TRUE(pumpUntilLoaded(pack.pack()));
  pack.setup(false);

  std::vector<std::pair<std::string, unsigned>> requested = {
      {"textures/score_font.tga", 256}, {"textures/gauge.tga", 512}, {"textures/initialfont.tga", 256}};
  for (int i = 1; i <= 20; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "textures/font%02d.tga", i);
    requested.push_back({name, 256});
  }
  for (const char* kanji : {"01_01", "01_02", "02_01", "02_02", "03_01", "03_02"})
    requested.push_back({std::string("textures/kanji") + kanji + ".tga", 256});
  ASSERT_EQ(requested.size(), 29u);

  for (const auto& [name, size] : requested) {
    SCOPED_TRACE(name);
    std::string stored, mode;
    const bool compressed = rk::fs::FileManager::mapAssetName(stored, mode, name);
    rk::res::ResourcePtr resource = files_->loadFile(stored, mode.c_str(), compressed, nullptr);
    ASSERT_TRUE(resource);
    EXPECT_TRUE(resource->isView()) << "answered from the pack";
    const rktest::Bytes bytes = rktest::resourceBytes(*resource);
    host::dds::Image image;
    ASSERT_EQ(host::dds::parse(bytes.data(), bytes.size(), &image), host::S_OK);
    EXPECT_EQ(image.width, size);
    EXPECT_EQ(image.height, size);
  }
  EXPECT_EQ(files_->queuedCount(), 0u);
  EXPECT_TRUE(log_.empty()) << log_.text();
}

}  // namespace
