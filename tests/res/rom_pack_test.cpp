#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "fs/load_fixture.h"
#include "kernel/rk_hr_exception.h"
#include "res/rk_pack_writer.h"

namespace {

using rk::res::PackEntry;
using rk::res::ResourcePtr;
using rk::res::RomPack;
using rktest::Bytes;

std::uint32_t u32At(const Bytes& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24;
}

void putU32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

class RomPackTest : public rktest::LoadFixture {
 protected:
  // Writes the content as a pack file and loads it through the file manager.
  std::unique_ptr<RomPack> loadPack(const std::string& name, const Bytes& content) {
    auto pack = std::make_unique<RomPack>();
    EXPECT_TRUE(pack->load(write(name, rktest::containerOf(content)).c_str()));
    EXPECT_TRUE(pumpUntilLoaded(pack->pack()));
    EXPECT_TRUE(pack->isReady());
    return pack;
  }
};

TEST(PackWriter, DirectoryEntriesStartOnMultiplesOfSixteen) {
  const Bytes content = rk::res::buildPackContent(
      {{"seven77", rktest::toBytes("A")}, {"eight888", rktest::toBytes("BB")}, {"x", rktest::toBytes("CCC")}});
  EXPECT_EQ(u32At(content, 0), 3u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&content[16 + 8])), "seven77");
  // 16 + 8 + 7 + 1 = 32: the next entry follows without padding.
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&content[32 + 8])), "eight888");
  // 32 + 8 + 8 + 1 = 49, padded to 64.
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&content[64 + 8])), "x");
  const std::uint32_t offset = u32At(content, 32);
  EXPECT_EQ(u32At(content, 36), 2u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&content[offset]), 2), "BB");
}

TEST_F(RomPackTest, EntriesBecomeViewsAndKnownNamesNeedNoFile) {
  const Bytes content = rk::res::buildPackContent({{"script/autoexec.a", rktest::toBytes("print(1)")},
                                                   {"seven77", rktest::toBytes("seven")},
                                                   {"eight888", rktest::toBytes("eight")}});
  auto pack = loadPack("script.pkp", content);
  pack->setup(true);
  ASSERT_EQ(pack->entries().size(), 3u);
  for (const ResourcePtr& entry : pack->entries()) {
    EXPECT_TRUE(entry->isView());
    EXPECT_TRUE(entry->isLoaded());
    EXPECT_TRUE(entry->isRunnable());
  }
  // No such file exists: the request is answered from the pack.
  ResourcePtr script = files_->loadFile("script/autoexec.a", "rb", true, nullptr);
  EXPECT_EQ(rktest::toString(rktest::resourceBytes(*script)), "print(1)");
  EXPECT_EQ(rktest::toString(rktest::resourceBytes(*resources_->findResource("eight888"))), "eight");
  EXPECT_EQ(files_->queuedCount(), 0u);
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(RomPackTest, AResourceWithBytesKeepsThemAnEmptyOneBecomesAView) {
  ResourcePtr loaded = resources_->getResourceData("tex/a.dds");
  loaded->ownedBytes() = rktest::toBytes("from file");
  loaded->setReady(true);
  ResourcePtr empty = resources_->getResourceData("tex/b.dds");
  auto pack = loadPack("textures.pkp", rk::res::buildPackContent({{"tex/a.dds", rktest::toBytes("from pack a")},
                                                                  {"tex/b.dds", rktest::toBytes("from pack b")}}));
  pack->setup(false);
  EXPECT_FALSE(loaded->isView());
  EXPECT_EQ(rktest::toString(rktest::resourceBytes(*loaded)), "from file");
  EXPECT_TRUE(empty->isView());
  EXPECT_FALSE(empty->isRunnable());
  EXPECT_EQ(rktest::toString(rktest::resourceBytes(*empty)), "from pack b");
  EXPECT_EQ(loaded->count(), 2);  // ours and the pack's list
}

TEST_F(RomPackTest, AViewKeepsThePackBytesAliveAfterThePackIsGone) {
  auto pack = loadPack("shaders.pkp", rk::res::buildPackContent({{"shaders/a.vs", rktest::toBytes("void main(){}")}}));
  pack->setup(false);
  ResourcePtr shader = resources_->findResource("shaders/a.vs");
  const std::string packName = pack->name();
  pack.reset();
  EXPECT_TRUE(resources_->findResource(packName));  // held by the view
  EXPECT_EQ(rktest::toString(rktest::resourceBytes(*shader)), "void main(){}");
  shader.reset();
  EXPECT_EQ(resources_->count(), 0u);
}

TEST_F(RomPackTest, APackWithViewsIsNotReloadedUnderThem) {
  auto pack = loadPack("script.pkp", rk::res::buildPackContent({{"m.a", rktest::toBytes("module")}}));
  pack->setup(true);
  pack->pack()->reload();
  EXPECT_TRUE(pack->pack()->isLoaded());
  EXPECT_EQ(files_->queuedCount(), 0u);
  EXPECT_EQ(log_.entries("rk::fs::FileManager::reloadFile"), 1u);
  EXPECT_EQ(rktest::toString(rktest::resourceBytes(*pack->entries()[0])), "module");
}

// Damaged directories: bad entries are reported and skipped, nothing outside the
// content is read (the sanitizer build checks that).
TEST_F(RomPackTest, DamagedDirectoriesAreReportedAndSkipped) {
  const Bytes good = rk::res::buildPackContent(
      {{"one", rktest::toBytes("1111")}, {"two", rktest::toBytes("2222")}, {"three", rktest::toBytes("3333")}});
  // Directory records at 16, 32, 48; data from 64.
  struct Case {
    const char* what;
    Bytes content;
    std::vector<std::string> kept;
  };
  auto patched = [&](std::size_t at, std::uint32_t value) {
    Bytes b = good;
    putU32(b, at, value);
    return b;
  };
  Bytes unterminated = good;  // "three" runs into bytes that never end it
  std::fill(unterminated.begin() + 48 + 8, unterminated.end(), 'z');
  const std::vector<Case> cases = {
      {"count far too large", patched(0, 0xFFFFFFFFu), {"one", "two", "three"}},
      {"offset past the end", patched(32, 0x7FFFFFFFu), {"one", "three"}},
      {"size past the end", patched(36, 0xFFFFFFF0u), {"one", "three"}},
      {"offset of all ones", patched(16, 0xFFFFFFFFu), {"two", "three"}},
      {"name without terminator", unterminated, {"one", "two"}},
      {"directory cut mid-record", Bytes(good.begin(), good.begin() + 36), {}},
      {"shorter than the head", Bytes(good.begin(), good.begin() + 12), {}},
  };
  int n = 0;
  for (const Case& c : cases) {
    log_.clear();
    auto pack = loadPack("bad" + std::to_string(n++) + ".pkp", c.content);
    pack->setup(false);
    std::vector<std::string> kept;
    for (const ResourcePtr& entry : pack->entries()) {
      kept.push_back(entry->name());
      EXPECT_EQ(entry->size(), 4u) << c.what;
    }
    EXPECT_EQ(kept, c.kept) << c.what;
    EXPECT_GE(log_.entries("rk::res::RomPack::setup"), 1u) << c.what;
  }
}

}  // namespace
