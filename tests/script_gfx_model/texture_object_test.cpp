// The texture object: the texture manager's texture under the name (loaded
// from its file or registered in memory), the reference each object holds,
// the loader flags the fifth argument chooses, and readiness and size once
// the file has been set up.
#include "gfx/rk_texture.h"
#include "gfx/rk_texture_manager.h"
#include "script_gfx_model/gfx_model_api_fixture.h"

namespace gfxmodelapitest {
namespace {

using rk::gfx::RkTexture;
using rk::script::gph::kTextureClass;

class TextureApi : public GfxModelApi {
 protected:
  RkTexture* texture(const char* name) { return global<RkTexture>(name, kTextureClass); }
  rk::gfx::RkTextureManager* textures() { return rk::gfx::RkTextureManager::getInstance(); }
  void writeTexture(const char* name) { resourcetest::writeFile(data.file(name), resourcetest::makeDds()); }
};

TEST_F(TextureApi, MethodTableAndCollector) {
  ASSERT_EQ(run("t = createTexture('a.dds', true)\n"
                "local n = 0 for k, v in pairs(getmetatable(t).__index) do n = n + 1 end\n"
                "check(n == 2 and type(t.isReady) == 'function' and type(t.getTexutreSize) == 'function', 'methods')\n"
                "check(type(getmetatable(t).__gc) == 'function', 'collector')"),
            "");
}

TEST_F(TextureApi, SameNameGivesObjectsOnOneTextureThatLivesUntilTheLastIsCollected) {
  struct Case {
    const char* name;
    const char* code;
  };
  const Case cases[] = {
      {"from file", "a = createTexture('same.dds') b = createTexture('same.dds', false)"},
      {"from memory", "a = createTexture('same', true) b = createTexture('same', 1)"},
  };
  writeTexture("same.dds");
  for (const Case& c : cases) {
    ASSERT_EQ(run(c.code), "") << c.name;
    RkTexture* t = texture("a");
    ASSERT_NE(t, nullptr) << c.name;
    EXPECT_EQ(texture("b"), t) << c.name;
    EXPECT_EQ(t->count(), 2) << c.name;
    const std::size_t listed = textures()->count();
    ASSERT_EQ(run("a = nil"), "");
    collect();
    EXPECT_EQ(t->count(), 1) << c.name;
    ASSERT_EQ(run("b = nil"), "");
    collect();
    EXPECT_EQ(textures()->count(), listed - 1) << c.name << ": the last release removes it";
  }
  EXPECT_TRUE(log.empty()) << log.text();
}

// A memory texture requests no file; under the name of a loaded file it is
// that file's texture.
TEST_F(TextureApi, MemoryTexturesRequestNoFileAndShareTheRegisteredName) {
  writeTexture("pic.dds");
  ASSERT_EQ(run("f = createTexture('pic.dds') m = createTexture('canvas', true) s = createTexture('pic.dds', true)"),
            "");
  RkTexture* file = texture("f");
  RkTexture* memory = texture("m");
  ASSERT_NE(file, nullptr);
  ASSERT_NE(memory, nullptr);
  EXPECT_TRUE(file->info().resource_) << "a file texture requests its file";
  EXPECT_FALSE(memory->info().resource_) << "a memory texture requests nothing";
  EXPECT_EQ(texture("s"), file);
  EXPECT_EQ(file->count(), 2);
}

// The fifth argument: a boolean true loads without forcing sRGB (flags 0);
// anything else leaves the default 1. The flags are stored on a cached
// texture too.
TEST_F(TextureApi, LinearFlagChoosesTheLoaderFlags) {
  const std::pair<const char*, std::uint32_t> cases[] = {
      {"createTexture('f.dds')", 1},
      {"createTexture('f.dds', false, 0, 0, false)", 1},
      {"createTexture('f.dds', false, 0, 0, true)", 0},
      {"createTexture('f.dds', false, 0, 0, 1)", 1},
      {"createTexture('f.dds', nil, 0, 0, 'yes')", 1},
      {"createTexture('f.dds', false, 0, 0, true) t = createTexture('f.dds')", 1},
      {"createTexture('f.dds') t = createTexture('f.dds', false, 0, 0, true)", 0},
  };
  writeTexture("f.dds");
  for (const auto& [code, flags] : cases) {
    ASSERT_EQ(run(std::string("t = ") + code), "") << code;
    RkTexture* t = texture("t");
    ASSERT_NE(t, nullptr) << code;
    EXPECT_EQ(t->info().load_flags_, flags) << code;
    ASSERT_EQ(run("t = nil"), "");
    collect();
  }
}

TEST_F(TextureApi, ReadyAndSizedOnceTheFileIsSetUp) {
  writeTexture("tex.dds");
  ASSERT_EQ(run("t = createTexture('tex.dds')\n"
                "check(t:isReady() == false, 'not yet')\n"
                "check(join(t:getTexutreSize()) == '0,0', 'no size yet')"),
            "");
  ASSERT_TRUE(runUntilSetUp(texture("t")));
  ASSERT_EQ(run("check(t:isReady() == true, 'ready')\n"
                "check(join(t:getTexutreSize()) == '4,4', join(t:getTexutreSize()))"),
            "");
  EXPECT_TRUE(log.empty()) << log.text();
}

// A missing file is reported by the texture manager once; the object stays
// usable and never becomes ready.
TEST_F(TextureApi, MissingFileGivesATextureThatIsNeverReady) {
  ASSERT_EQ(run("t = createTexture('absent.dds')"), "");
  ASSERT_TRUE(runUntilSetUp(texture("t")));
  ASSERT_EQ(run("check(t:isReady() == false) check(join(t:getTexutreSize()) == '0,0')"), "");
}

TEST_F(TextureApi, NameThatIsNoTextGivesAnObjectHoldingNoTexture) {
  const std::size_t listed = textures()->count();
  const std::vector<LuaCase> cases = {
      {"nil", "local t = createTexture() check(t:isReady() == false) check(join(t:getTexutreSize()) == '0,0')",
       GPH("createTexture")},
      {"table", "local t = createTexture({}, true) check(t:isReady() == false)", GPH("createTexture")},
      {"number", "local t = createTexture(12, true) check(t:isReady() == false)", nullptr},
  };
  runCases(cases);
  EXPECT_EQ(textures()->count(), listed) << "the number names a texture that has gone again";
}

TEST_F(TextureApi, MethodsOnOtherValuesAnswerNothingReady) {
  ASSERT_EQ(run("local t = createTexture('x', true)\n"
                "check(t.isReady(createLight(0)) == false and t.isReady() == false, 'not ready')\n"
                "check(join(t.getTexutreSize(nil)) == '0,0', 'no size')\n"
                "getmetatable(t).__gc(t) getmetatable(t).__gc(t)\n"
                "check(t:isReady() == false, 'released')"),
            "");
  EXPECT_TRUE(log.empty()) << log.text();
}

}  // namespace
}  // namespace gfxmodelapitest
