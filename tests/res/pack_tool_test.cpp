#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "fs/rk_compressed_container.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Entry {
  std::string name;
  std::string bytes;
};

// Reads a pack file back into its entries (test-side parser of the layout).
std::vector<Entry> readPack(const std::string& path) {
  const std::string file = rktest::readBytes(path);
  Bytes content;
  EXPECT_TRUE(rk::fs::inflateContainer(file.data(), file.size(), content)) << path;
  auto u32 = [&](std::size_t at) {
    return content[at] | content[at + 1] << 8 | content[at + 2] << 16 | std::uint32_t(content[at + 3]) << 24;
  };
  std::vector<Entry> entries;
  if (content.size() < 16) return entries;
  std::size_t cursor = 16;
  for (std::uint32_t i = 0, n = u32(0); i < n; ++i) {
    Entry e;
    e.name = reinterpret_cast<const char*>(&content[cursor + 8]);
    e.bytes.assign(reinterpret_cast<const char*>(&content[u32(cursor)]), u32(cursor + 4));
    entries.push_back(e);
    cursor = (cursor + 8 + e.name.size() + 1 + 15) / 16 * 16;
  }
  return entries;
}

int runPack(const std::string& arguments) {
  return std::system((std::string(RK_BINARY_DIR) + "/tools/pack " + arguments + " 2>/dev/null").c_str());
}

TEST(PackTool, TheBuildWritesTheThreePacksOfTheDataFolder) {
  const std::string data = std::string(RK_BINARY_DIR) + "/data/";
  const std::vector<Entry> script = readPack(data + "script.pkp");
  bool autoexec = false;
  for (const Entry& e : script) autoexec |= e.name == "script/autoexec.a";
  EXPECT_TRUE(autoexec);
  for (const Entry& e : script) EXPECT_EQ(e.name.substr(0, 7), "script/");
  for (const Entry& e : readPack(data + "textures.pkp")) EXPECT_EQ(e.name.substr(0, 9), "textures/");
  for (const Entry& e : readPack(data + "shaders.pkp")) EXPECT_EQ(e.name.substr(0, 8), "shaders/");
}

TEST(PackTool, ConvertsScriptsToCp932AndWritesContainers) {
  rktest::TempDir dir;
  // The sources are UTF-8; string literals here are CP932.
  rktest::writeBytes(dir.file("script/autoexec.lua"), "\xEF\xBB\xBFprint(\"\xE3\x82\xA8\xE3\x83\xA9\xE3\x83\xBC\")\n");
  rktest::writeBytes(dir.file("script/modules/math.lua"), "return 1\n");
  rktest::writeBytes(dir.file("script/readme.txt"), "\xE3\x82\xA8");
  rktest::writeBytes(dir.file("script/.hidden"), "skipped");
  ASSERT_EQ(runPack("--lua -o " + dir.file("script.pkp") + " " + dir.file("script")), 0);
  const std::vector<Entry> entries = readPack(dir.file("script.pkp"));
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "script/autoexec.a");
  EXPECT_EQ(entries[0].bytes, "print(\"エラー\")\n");
  EXPECT_EQ(entries[1].name, "script/modules/math.a");
  EXPECT_EQ(entries[2].name, "script/readme.txt");  // not a script: unchanged bytes
  EXPECT_EQ(entries[2].bytes, "\xE3\x82\xA8");

  rktest::writeBytes(dir.file("bad/broken.lua"), "\xFF\xFE");
  EXPECT_NE(runPack("--lua -o " + dir.file("bad.pkp") + " " + dir.file("bad")), 0);

  rktest::writeBytes(dir.file("model.obj"), "vertex data");
  ASSERT_EQ(runPack("--container -o " + dir.file("model.oba") + " " + dir.file("model.obj")), 0);
  const std::string file = rktest::readBytes(dir.file("model.oba"));
  Bytes content;
  ASSERT_TRUE(rk::fs::inflateContainer(file.data(), file.size(), content));
  EXPECT_EQ(std::string(content.begin(), content.end()), "vertex data");
}

}  // namespace
