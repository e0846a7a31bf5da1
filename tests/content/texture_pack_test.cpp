// The texture pack the build makes answers every texture the HUD, the fonts
// and the range attack's beam ask for: the requested ".tga" name maps to its
// ".dds" entry, which the pack holds (no file is read), and the entry is a DDS
// image of the right size. The beam glows where its ribbon samples it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fs/load_fixture.h"
#include "host/dds.h"

namespace {

class TexturePack : public rktest::LoadFixture {
 protected:
  // The bytes of a texture the game asks for, answered from the built pack.
  rktest::Bytes packedTexture(rk::res::RomPack& pack, const std::string& name) {
    EXPECT_TRUE(pack.load(RK_BINARY_DIR "/data/textures.pkp"));
    EXPECT_TRUE(pumpUntilLoaded(pack.pack()));
    pack.setup(false);
    std::string stored, mode;
    const bool compressed = rk::fs::FileManager::mapAssetName(stored, mode, name);
    rk::res::ResourcePtr resource = files_->loadFile(stored, mode.c_str(), compressed, nullptr);
    if (!resource) return {};
    EXPECT_TRUE(resource->isView()) << "answered from the pack";
    return rktest::resourceBytes(*resource);
  }
};

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
  requested.push_back({"textures/player_shot.tga", 128});
  ASSERT_EQ(requested.size(), 30u);

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

// The beam's ribbon samples u 0.125..0.5 across and v 0.5625..0.9375 along.
// Across, the band is brightest and most opaque at its centre line and fades
// evenly to clear at its edges; outside it the texture is clear, so the
// ribbon shows a soft beam and no hard rectangle.
TEST_F(TexturePack, BeamGlowsAcrossTheBandItsRibbonSamples) {
  rk::res::RomPack pack;
  const rktest::Bytes bytes = packedTexture(pack, "textures/player_shot.tga");
  host::dds::Image image;
  ASSERT_EQ(host::dds::parse(bytes.data(), bytes.size(), &image), host::S_OK);
  ASSERT_EQ(image.format, host::gpu::DXGI_FORMAT_R8G8B8A8_UNORM);
  ASSERT_EQ(image.surfaces.size(), 1u);
  const host::dds::Surface& surface = image.surfaces[0];
  ASSERT_EQ(surface.width, 128u);
  ASSERT_GE(bytes.size(), surface.offset + surface.bytes);
  auto texel = [&](float u, float v, int channel) {
    const std::uint32_t x = static_cast<std::uint32_t>(u * surface.width);
    const std::uint32_t y = static_cast<std::uint32_t>(v * surface.height);
    return static_cast<int>(bytes[surface.offset + y * surface.rowBytes + x * 4 + channel]);
  };
  const float centre = 0.3125f;
  for (float v : {0.5625f, 0.7f, 0.9f}) {
    SCOPED_TRACE(v);
    EXPECT_GE(texel(centre, v, 3), 160) << "the centre line is nearly opaque";
    EXPECT_GE(texel(centre, v, 0), 240) << "and white";
    int previous = texel(centre, v, 3);
    for (float off : {0.04f, 0.08f, 0.12f, 0.16f}) {
      const int right = texel(centre + off, v, 3), left = texel(centre - off, v, 3);
      EXPECT_LE(right, previous) << off;
      EXPECT_NEAR(left, right, 24) << "the glow is even on both sides, " << off;
      previous = right;
    }
    EXPECT_LT(texel(0.49f, v, 3), 24) << "the band's edge is nearly clear";
    for (float u : {0.02f, 0.1f, 0.52f, 0.8f, 0.99f}) EXPECT_EQ(texel(u, v, 3), 0) << "outside the band, " << u;
    EXPECT_GT(texel(0.45f, v, 2), texel(0.45f, v, 0)) << "the halo is blue";
  }
  EXPECT_TRUE(log_.empty()) << log_.text();
}

// The enemies' laser strip: 64 x 64, glowing across the whole width its
// ribbons sample, green (green high, red and blue low) in its halo and
// brightest at the centre line.
TEST_F(TexturePack, EnemyLaserStripIsAGreenGlowAcrossItsWidth) {
  rk::res::RomPack pack;
  const rktest::Bytes bytes = packedTexture(pack, "textures/enemy_laser.tga");
  host::dds::Image image;
  ASSERT_EQ(host::dds::parse(bytes.data(), bytes.size(), &image), host::S_OK);
  ASSERT_EQ(image.format, host::gpu::DXGI_FORMAT_R8G8B8A8_UNORM);
  ASSERT_EQ(image.surfaces.size(), 1u);
  const host::dds::Surface& surface = image.surfaces[0];
  ASSERT_EQ(surface.width, 64u);
  ASSERT_EQ(surface.height, 64u);
  ASSERT_GE(bytes.size(), surface.offset + surface.bytes);
  auto texel = [&](float u, float v, int channel) {
    const std::uint32_t x = static_cast<std::uint32_t>(u * surface.width);
    const std::uint32_t y = static_cast<std::uint32_t>(v * surface.height);
    return static_cast<int>(bytes[surface.offset + y * surface.rowBytes + x * 4 + channel]);
  };
  for (float v : {0.1f, 0.5f, 0.9f}) {
    SCOPED_TRACE(v);
    EXPECT_GE(texel(0.5f, v, 3), 160) << "the centre line is nearly opaque";
    EXPECT_GT(texel(0.5f, v, 3), texel(0.2f, v, 3)) << "and brighter than the glow beside it";
    for (float u : {0.3f, 0.7f}) {
      EXPECT_GT(texel(u, v, 3), 0) << "the glow covers the width, " << u;
      EXPECT_GT(texel(u, v, 1), texel(u, v, 0) + 60) << "green over red, " << u;
      EXPECT_GT(texel(u, v, 1), texel(u, v, 2) + 60) << "green over blue, " << u;
    }
  }
  EXPECT_TRUE(log_.empty()) << log_.text();
}

}  // namespace
