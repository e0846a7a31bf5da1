#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "res/rk_data_chank_buffer.h"
#include "support/error_log_capture.h"

namespace {

using rk::res::DataChankBuffer;
using rk::res::DataChankReader;
using Bytes = std::vector<std::uint8_t>;

Bytes le16(std::uint16_t v) { return {std::uint8_t(v), std::uint8_t(v >> 8)}; }
Bytes le32(std::uint32_t v) { return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)}; }
Bytes record(std::uint16_t kind, std::uint32_t size, std::uint32_t name, std::uint32_t value) {
  Bytes r = le16(kind);
  for (const Bytes& part : {le16(16), le32(size), le32(name), le32(value)}) r.insert(r.end(), part.begin(), part.end());
  return r;
}
Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
Bytes text(const char* s) { return Bytes(s, s + std::strlen(s) + 1); }

TEST(DataChankBuffer, WritesTheTreeByteForByte) {
  DataChankBuffer save("save");
  save.addDataChankInt("score", 100);
  const Bytes file = save.buildFile();
  // "save" sorts before "score": the string table holds save at 32, score at 37.
  EXPECT_EQ(file, record(4, 32, 32, 1) + record(0, 16, 37, 100) + text("save") + text("score"));
  EXPECT_EQ(file.size(), 43u);

  DataChankBuffer empty("root");
  EXPECT_EQ(empty.buildFile(), record(4, 16, 16, 0) + text("root"));

  // A text used as a name and as a value is stored once.
  DataChankBuffer shared("b");
  shared.addDataChankString("a", "b");
  EXPECT_EQ(shared.buildFile(), record(4, 32, 34, 1) + record(3, 16, 32, 34) + text("a") + text("b"));
}

TEST(DataChankBuffer, NumbersAreStoredAsScriptsExpect) {
  DataChankBuffer root("r");
  const double numbers[] = {2.9, -2.9, 4294967297.0, -4294967297.0, 2147483648.0,
                            std::numeric_limits<double>::quiet_NaN(), 1e300};
  const std::int32_t stored[] = {2, -2, 1, -1, -2147483648, 0, 0};
  for (double n : numbers) root.addDataChankInt("i", n);
  root.addDataChankFloat("f", 0.1);
  root.addDataChankBoolean("t", true);
  for (std::size_t i = 0; i < std::size(stored); ++i)
    EXPECT_EQ(static_cast<const rk::res::DataChankInt&>(*root.children()[i]).value(), stored[i]) << numbers[i];
  EXPECT_EQ(static_cast<const rk::res::DataChankFloat&>(*root.children()[7]).value(), 0.1f);
  const Bytes file = root.buildFile();
  EXPECT_EQ(Bytes(file.begin() + 16 * 9 + 12, file.begin() + 16 * 9 + 16), Bytes({1, 0, 0, 0}));
}

TEST(DataChankBuffer, ABufferCannotHaveTwoOwnersOrContainItself) {
  rktest::ErrorLogCapture log;
  DataChankBuffer root("root");
  auto* child = new DataChankBuffer("child");
  auto* grandchild = new DataChankBuffer("grandchild");
  EXPECT_TRUE(root.addDataChankBuffer(child));
  EXPECT_TRUE(child->addDataChankBuffer(grandchild));
  EXPECT_FALSE(root.addDataChankBuffer(grandchild));   // already owned
  EXPECT_FALSE(root.addDataChankBuffer(&root));        // itself
  EXPECT_FALSE(grandchild->addDataChankBuffer(&root)); // an ancestor
  EXPECT_EQ(log.entries("rk::res::DataChankBuffer::addDataChankBuffer"), 3u);
  EXPECT_EQ(root.getSize(), 48u);
}

class ChankReaderTest : public ::testing::Test {
 protected:
  void SetUp() override { manager_ = rk::res::ResourceManager::createInstance(); }
  void TearDown() override { rk::res::ResourceManager::destroyInstance(); }
  rk::res::ResourcePtr resourceOf(const Bytes& bytes) {
    rk::res::ResourcePtr r = manager_->getResourceData("chanks" + std::to_string(++n_));
    r->ownedBytes() = bytes;
    r->setReady(true);
    return r;
  }
  // root{ name="ship", stats{ hp=3, speed=1.5 }, alive=true }
  static Bytes sample() {
    DataChankBuffer root("root");
    root.addDataChankString("name", "ship");
    auto* stats = new DataChankBuffer("stats");
    stats->addDataChankInt("hp", 3);
    stats->addDataChankFloat("speed", 1.5);
    root.addDataChankBuffer(stats);
    root.addDataChankBoolean("alive", true);
    return root.buildFile();
  }
  rktest::ErrorLogCapture log_;
  rk::res::ResourceManager* manager_ = nullptr;
  int n_ = 0;
};

TEST_F(ChankReaderTest, NextChankVisitsEveryChunkInPreOrder) {
  rktest::TempDir dir;
  DataChankBuffer root("root");
  root.addDataChankString("name", "ship");
  ASSERT_TRUE(root.outputDataChankBuffer(dir.file("save.chk")));
  const std::string written = rktest::readBytes(dir.file("save.chk"));
  EXPECT_EQ(Bytes(written.begin(), written.end()), root.buildFile());
  EXPECT_FALSE(root.outputDataChankBuffer(dir.file("no/such/folder/save.chk")));

  rk::res::ResourcePtr r = resourceOf(sample());
  DataChankReader reader(r.get());
  std::vector<std::string> seen;
  while (!reader.isEnd()) {
    DataChankReader::Value v = reader.getData();
    std::string value = v.kind == rk::res::kDataChankString ? v.text
                        : v.kind == rk::res::kDataChankFloat ? std::to_string(v.number)
                        : v.kind == rk::res::kDataChankBoolean ? (v.boolean ? "true" : "false")
                        : v.kind == rk::res::kDataChankBuffer ? std::to_string(v.children)
                                                                : std::to_string(v.integer);
    seen.push_back(reader.getChankName() + ":" + reader.getDataType() + "=" + value);
    reader.nextChank();
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"root:buffer=3", "name:string=ship", "stats:buffer=2", "hp:int=3",
                                            "speed:float=1.500000", "alive:boolean=true"}));
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(ChankReaderTest, InChankAndOutChankStepOverASubtree) {
  rk::res::ResourcePtr r = resourceOf(sample());
  DataChankReader reader(r.get());
  reader.inChank();  // into root: at its first child
  EXPECT_EQ(reader.getChankName(), "name");
  reader.nextChank();
  EXPECT_EQ(reader.getChankName(), "stats");
  reader.inChank();
  EXPECT_EQ(reader.getChankName(), "hp");
  reader.outChank();  // just after the stats subtree, whatever was read inside
  EXPECT_EQ(reader.getChankName(), "alive");
  reader.outChank();  // after root: the end
  EXPECT_TRUE(reader.isEnd());
  reader.outChank();  // nothing left to pop: reported, no move
  EXPECT_TRUE(reader.isEnd());
  EXPECT_EQ(log_.entries("rk::res::DataChankReader::outChank"), 1u);
}

// Every cut and every flipped byte: the walk ends and reads nothing outside the
// file (the sanitizer build checks the second part).
TEST_F(ChankReaderTest, DamagedFilesNeverHangOrReadOutside) {
  const Bytes good = sample();
  std::vector<Bytes> damaged;
  for (std::size_t cut = 0; cut < good.size(); ++cut) damaged.emplace_back(good.begin(), good.begin() + cut);
  for (std::size_t at = 0; at < good.size(); ++at) {
    for (std::uint8_t pattern : {0xFF, 0x80, 0x01}) {
      damaged.push_back(good);
      damaged.back()[at] ^= pattern;
    }
  }
  for (const Bytes& bytes : damaged) {
    rk::res::ResourcePtr r = resourceOf(bytes);
    DataChankReader reader(r.get());
    int steps = 0;
    for (; !reader.isEnd() && steps < 1000; ++steps) {
      (void)reader.getChankName();
      (void)reader.getDataType();
      (void)reader.getData();
      if (steps % 3 == 1) {
        reader.inChank();
        reader.outChank();
      } else {
        reader.nextChank();
      }
    }
    EXPECT_LT(steps, 1000);
    EXPECT_LE(reader.end(), bytes.size());
  }
}

}  // namespace
