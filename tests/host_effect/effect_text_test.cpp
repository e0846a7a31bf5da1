// The readable effect description and the writer tool: a description becomes
// the file the reader reads back, faults name their line, and the data
// folder's effects are all well-formed files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "fs/rk_compressed_container.h"
#include "host/effect.h"
#include "support/temp_dir.h"

namespace {

using namespace host::effect;
namespace fsys = std::filesystem;

const char* const kDescription = R"(# two emitters
emitter   # first
  blend additive
  texture ring
  burst 12
  life 20 4
  radius 0.5
  velocity 0 0.1 0
  spread 0.05 0 0
  acceleration 0 -0.01 0
  colour 0.25 1 1 1 -> 1 1 1 0
  size 0.5 -> 2
end

emitter
  texture spark
  rate 2.5
  emit 30
  delay 10
  colour 1 1 1 1 1 1 1 0.5
  size 1 1
end
)";

std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(EffectText, ADescriptionBecomesTheFileTheReaderReadsBack) {
  EffectDesc parsed;
  std::string error;
  ASSERT_TRUE(parseEffectText(kDescription, &parsed, &error)) << error;
  const std::vector<std::uint8_t> bytes = writeEffect(parsed);
  EffectDesc read;
  ASSERT_TRUE(readEffect(bytes.data(), bytes.size(), &read, &error)) << error;
  ASSERT_EQ(read.emitters.size(), 2u);
  const EmitterDesc& a = read.emitters[0];
  EXPECT_EQ(a.flags, std::uint32_t(kFlagAdditive));
  EXPECT_EQ(a.texture, std::uint32_t(kTextureRing));
  EXPECT_EQ(a.burst, 12u);
  EXPECT_FLOAT_EQ(a.life, 20.0f);
  EXPECT_FLOAT_EQ(a.lifeSpread, 4.0f);
  EXPECT_FLOAT_EQ(a.velocity[1], 0.1f);
  EXPECT_FLOAT_EQ(a.velocitySpread[0], 0.05f);
  EXPECT_FLOAT_EQ(a.acceleration[1], -0.01f);
  EXPECT_FLOAT_EQ(a.colourStart[0], 0.25f);
  EXPECT_FLOAT_EQ(a.colourEnd[3], 0.0f);
  EXPECT_FLOAT_EQ(a.sizeEnd, 2.0f);
  const EmitterDesc& b = read.emitters[1];
  EXPECT_EQ(b.flags, 0u);
  EXPECT_FLOAT_EQ(b.rate, 2.5f);
  EXPECT_FLOAT_EQ(b.emitFrames, 30.0f);
  EXPECT_FLOAT_EQ(b.delayFrames, 10.0f);
  EXPECT_FLOAT_EQ(b.colourEnd[3], 0.5f) << "the arrow is optional";
}

TEST(EffectText, FaultsNameTheirLine) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"", "no emitter"},
      {"burst 3\n", "line 1: 'burst' outside an emitter"},
      {"emitter\nburst 3\n", "emitter without end"},
      {"emitter\nemitter\n", "line 2: emitter inside"},
      {"emitter\n burst 3\n wobble 2\nend\n", "line 3: unknown setting 'wobble'"},
      {"emitter\n burst -3\nend\n", "line 2: bad values for 'burst'"},
      {"emitter\n burst 3x\nend\n", "bad values for 'burst'"},
      {"emitter\n burst 3\n velocity 1 2\nend\n", "line 3: bad values for 'velocity'"},
      {"emitter\n burst 3\n size 1 -> 2 3\nend\n", "bad values for 'size'"},
      {"emitter\n burst 3\n texture star\nend\n", "bad values for 'texture'"},
      {"emitter\n burst 3\n blend add\nend\n", "bad values for 'blend'"},
      {"emitter\n burst 3\n colour 2 1 1 1 -> 1 1 1 1\nend\n", "line 4: colour out of 0..1"},
      {"emitter\n life 10\nend\n", "line 3: emitter spawns nothing"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(parseEffectText(c.text, nullptr, &error)) << c.text;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.text << " -> " << error;
  }
}

TEST(EffectText, TheToolWritesPlainAndContainedFilesAndRefusesBadDescriptions) {
  rktest::TempDir dir;
  {
    std::ofstream(dir.file("good.txt")) << kDescription;
    std::ofstream(dir.file("bad.txt")) << "emitter\n burst 1\n";
  }
  const std::string tool = std::string(RK_BINARY_DIR) + "/tools/effect ";
  ASSERT_EQ(std::system((tool + "-o " + dir.file("plain.ea") + " " + dir.file("good.txt")).c_str()), 0);
  ASSERT_EQ(std::system((tool + "--container -o " + dir.file("packed.ea") + " " + dir.file("good.txt")).c_str()), 0);
  EXPECT_NE(std::system((tool + "-o " + dir.file("bad.ea") + " " + dir.file("bad.txt") + " 2>/dev/null").c_str()), 0);
  EXPECT_FALSE(fsys::exists(dir.file("bad.ea")));

  EffectDesc parsed;
  ASSERT_TRUE(parseEffectText(kDescription, &parsed, nullptr));
  EXPECT_EQ(readFile(dir.file("plain.ea")), writeEffect(parsed));
  std::vector<std::uint8_t> content;
  ASSERT_TRUE(rk::fs::inflateContainer(readFile(dir.file("packed.ea")).data(), readFile(dir.file("packed.ea")).size(),
                                       content));
  EXPECT_EQ(content, writeEffect(parsed));
}

TEST(EffectText, TheDataFolderHoldsTheGamesSevenEffects) {
  for (const char* name :
       {"bomb01", "spark01", "power_up_mes", "recovery_mes", "item_bonus", "lighting01", "lighting02"}) {
    const std::vector<std::uint8_t> file = readFile(std::string(RK_BINARY_DIR) + "/data/effect/" + name + ".ea");
    std::vector<std::uint8_t> content;
    ASSERT_TRUE(rk::fs::inflateContainer(file.data(), file.size(), content)) << name;
    std::string error;
    EXPECT_TRUE(readEffect(content.data(), content.size(), nullptr, &error)) << name << ": " << error;
  }
}

}  // namespace
