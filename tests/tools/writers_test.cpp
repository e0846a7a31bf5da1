// The sample-data writers: DDS files the texture loader reads back pixel for
// pixel, and model descriptions that build the node tree, meshes and keys they
// say, or are refused with the line at fault.
#include <gtest/gtest.h>

#include <cstring>

#include "dds_writer/lib/dds_file.h"
#include "host/dds.h"
#include "model_writer/lib/model_file.h"

namespace {

TEST(DdsWriter, PatternsEncodeToFilesTheLoaderReadsBack) {
  ddsfile::Image image;
  std::string error;
  ASSERT_TRUE(ddsfile::makePattern("checker FF102030 80FFFFFF 2", 4, 3, image, error)) << error;
  EXPECT_EQ(image.pixels[0], 0xFF102030u);
  EXPECT_EQ(image.pixels[2], 0x80FFFFFFu);      // x 2: the next cell
  EXPECT_EQ(image.pixels[2 * 4], 0x80FFFFFFu);  // y 2: the next cell
  const std::vector<std::uint8_t> file = ddsfile::encode(image);
  host::dds::Image parsed;
  ASSERT_EQ(host::dds::parse(file.data(), file.size(), &parsed), host::S_OK);
  EXPECT_EQ(parsed.format, host::gpu::DXGI_FORMAT_R8G8B8A8_UNORM);
  EXPECT_EQ(parsed.width, 4u);
  EXPECT_EQ(parsed.height, 3u);
  ASSERT_EQ(parsed.surfaces.size(), 1u);
  const std::uint8_t* first = file.data() + parsed.surfaces[0].offset;
  EXPECT_EQ(first[0], 0x10);  // red, green, blue, alpha
  EXPECT_EQ(first[1], 0x20);
  EXPECT_EQ(first[2], 0x30);
  EXPECT_EQ(first[3], 0xFF);

  ASSERT_TRUE(ddsfile::makePattern("gradient FF000000 FFFFFFFF", 1, 3, image, error));
  EXPECT_EQ(image.pixels[1], 0xFF808080u);
  for (const char* bad : {"stripes FF000000", "solid XYZ", "checker FF000000 FFFFFFFF 0", "solid"})
    EXPECT_FALSE(ddsfile::makePattern(bad, 4, 4, image, error)) << bad;
  EXPECT_FALSE(ddsfile::makePattern("solid FF000000", 0, 4, image, error));
}

TEST(ModelWriter, ADescriptionBuildsTheTreeMeshesAndKeysItNames) {
  modelfile::ModelFile model;
  std::vector<modelfile::TextureSource> textures;
  std::string error;
  ASSERT_TRUE(modelfile::parseDescription(R"(
    # comment lines and trailing comments are ignored
    texture skin.tga 8 4 solid FF00FF00
    material 1 0.5 0.25 1 specular 0.1 0.2 0.3 1 texture 0
    box 0 2 4 6 at 1 0 0
    sphere 0 1 8 4
    node root mesh 0 1       # the root
    node arm parent root translate 0 1 0 rotate 0 1 0 90
    node hand parent arm scale 2 2 2
    take wave 30
    pos wave arm 0 0 1 0
    quat wave arm 30 0 0 1 180
  )", model, textures, error)) << error;

  ASSERT_EQ(textures.size(), 1u);
  EXPECT_EQ(textures[0].stored, "skin.dds");
  EXPECT_EQ(textures[0].width, 8u);
  EXPECT_EQ(model.textures, std::vector<std::string>{"skin.tga"});
  ASSERT_EQ(model.materials.size(), 1u);
  EXPECT_EQ(model.materials[0].textures[0], 0);
  EXPECT_EQ(model.materials[0].specular[2], 0.3f);
  ASSERT_EQ(model.meshes.size(), 2u);
  const modelfile::ModelFileMesh& box = model.meshes[0];
  EXPECT_EQ(box.vertices.size(), 24u * 11);
  EXPECT_EQ(box.indices.size(), 36u);
  EXPECT_EQ(box.boxMin[0], 0.0f);
  EXPECT_EQ(box.boxMax[0], 2.0f);
  EXPECT_EQ(box.boxMax[2], 3.0f);
  EXPECT_EQ(model.meshes[1].vertices.size(), 9u * 5 * 11);

  EXPECT_EQ(model.root.name, "root");
  EXPECT_EQ(model.root.meshes, (std::vector<std::uint32_t>{0, 1}));
  ASSERT_EQ(model.root.children.size(), 1u);
  const modelfile::ModelFileNode& arm = model.root.children[0];
  EXPECT_NEAR(arm.rotation[1], 0.70710677f, 1e-6f);
  EXPECT_NEAR(arm.rotation[3], 0.70710677f, 1e-6f);
  ASSERT_EQ(arm.children.size(), 1u);
  EXPECT_EQ(arm.children[0].scale[1], 2.0f);

  ASSERT_EQ(model.takes.size(), 1u);
  ASSERT_EQ(model.takes[0].tracks.size(), 1u);
  const modelfile::ModelFileTrack& track = model.takes[0].tracks[0];
  EXPECT_EQ(track.pos, (std::vector<std::vector<float>>{{0, 1, 0, 0}}));
  ASSERT_EQ(track.quat.size(), 1u);
  EXPECT_NEAR(track.quat[0][2], 1.0f, 1e-6f);
  EXPECT_EQ(track.quat[0][4], 30.0f);

  // The file: header offsets point at the node and animation parts.
  const std::vector<std::uint8_t> bytes = model.bytes();
  std::uint32_t node = 0, anime = 0;
  std::memcpy(&node, bytes.data() + 16, 4);
  std::memcpy(&anime, bytes.data() + 20, 4);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + node)), "NODE");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + anime)), "ANIME-START");
  EXPECT_EQ(node % 16, 0u);
}

TEST(ModelWriter, MistakesAreRefusedWithTheirLine) {
  struct Case {
    const char* text;
    const char* line;
  };
  const Case cases[] = {
      {"node a\nwobble 1", "line 2"},
      {"material 1 1 1 1 texture 0\nnode a", "line 1"},  // no such texture
      {"box 0 1 1 1\nnode a", "line 1"},                  // no such material
      {"node a\nnode b parent c", "line 2"},
      {"node a parent b", "line 1"},  // the root has no parent
      {"material 1 1 1 1\nbox 0 1 1 1\nnode a mesh 1", "line 3"},
      {"node a\nquat walk a 0 0 1 0 90", "line 2"},  // no such take
      {"node a\ntake walk 0", "line 2"},
      {"", "no node"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    modelfile::ModelFile model;
    std::vector<modelfile::TextureSource> textures;
    std::string error;
    EXPECT_FALSE(modelfile::parseDescription(c.text, model, textures, error));
    EXPECT_EQ(error.rfind(c.line, 0), 0u) << error;
  }
}

}  // namespace
