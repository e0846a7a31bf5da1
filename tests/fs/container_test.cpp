#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fs/load_fixture.h"
#include "host/ui.h"

namespace {

using rktest::Bytes;

struct Box {
  std::string text, caption;
  unsigned type;
};

class BoxRecorder {
 public:
  BoxRecorder() {
    host::ui::setMessageBoxSink([this](const std::string& text, const std::string& caption, unsigned type) {
      boxes.push_back({text, caption, type});
      return host::ui::IDOK;
    });
  }
  ~BoxRecorder() { host::ui::setMessageBoxSink({}); }
  std::vector<Box> boxes;
};

std::uint32_t u32At(const Bytes& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24;
}

TEST(CompressFile, SmallAndIncompressibleDataIsSavedAndReadsBack) {
  rktest::TempDir dir;
  BoxRecorder boxes;
  const Bytes inputs[] = {Bytes{}, Bytes{'x'}, Bytes{1, 2, 3}, rktest::randomBytes(70000, 7),
                          Bytes(300000, 'a')};
  for (const Bytes& input : inputs) {
    const std::string requested = dir.file("score_data.sco");
    rk::fs::FileManager::compressFile(requested.c_str(), input.data(), static_cast<std::uint32_t>(input.size()));
    const Bytes file = rktest::toBytes(rktest::readBytes(dir.file("score_data.sca")));
    ASSERT_GE(file.size(), 16u) << input.size();
    EXPECT_EQ(u32At(file, 0), input.size());
    EXPECT_EQ(u32At(file, 4), file.size() - 16);
    EXPECT_EQ(u32At(file, 8), 0u);
    EXPECT_EQ(u32At(file, 12), 0u);
    Bytes content;
    ASSERT_TRUE(rk::fs::inflateContainer(file.data(), file.size(), content));
    EXPECT_EQ(content, input);
  }
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_FALSE(std::filesystem::exists(dir.file("score_data.sca.tmp")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("score_data.sco")));
}

TEST(CompressFile, UnwritableTargetShowsTheBoxAndKeepsTheOldFile) {
  rktest::TempDir dir;
  BoxRecorder boxes;
  rktest::writeBytes(dir.file("score_data.sca"), "previous");
  // A folder where the temporary file would go makes the write fail.
  std::filesystem::create_directory(dir.file("score_data.sca.tmp"));
  const std::string requested = dir.file("score_data.sco");
  const Bytes data(120, 'z');
  rk::fs::FileManager::compressFile(requested.c_str(), data.data(), 120);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "「" + requested + "」の作成に失敗しました。");
  EXPECT_EQ(boxes.boxes[0].caption, "圧縮に失敗");
  EXPECT_EQ(boxes.boxes[0].type, host::ui::MB_OK);
  EXPECT_EQ(rktest::readBytes(dir.file("score_data.sca")), "previous");
}

// Every cut and every flipped byte of a container is caught, except flips in the
// two unused header words.
TEST(Container, TruncatedOrCorruptedContainersAreRejected) {
  const Bytes content = rktest::toBytes("the quick brown fox jumps over the lazy dog, twice: the quick brown fox");
  const Bytes good = rktest::containerOf(content);
  Bytes out;
  ASSERT_TRUE(rk::fs::inflateContainer(good.data(), good.size(), out));
  ASSERT_EQ(out, content);

  for (std::size_t cut = 0; cut < good.size(); ++cut)
    EXPECT_FALSE(rk::fs::inflateContainer(good.data(), cut, out)) << "cut at " << cut;

  for (std::size_t at = 0; at < good.size(); ++at) {
    Bytes bad = good;
    bad[at] ^= 0xFF;
    const bool unusedWord = at >= 8 && at < 16;
    EXPECT_EQ(rk::fs::inflateContainer(bad.data(), bad.size(), out), unusedWord) << "flip at " << at;
  }
}

TEST(Container, HeaderSizesAreCheckedBeforeAnythingIsAllocated) {
  using rk::fs::ContainerHeader;
  EXPECT_TRUE(rk::fs::isPlausibleContainer(ContainerHeader{1032 * 10, 10}, 10));
  EXPECT_FALSE(rk::fs::isPlausibleContainer(ContainerHeader{0xFFFFFFFFu, 10}, 10));  // beyond deflate's ratio
  EXPECT_FALSE(rk::fs::isPlausibleContainer(ContainerHeader{100, 11}, 10));          // stream longer than the file
  EXPECT_TRUE(rk::fs::isPlausibleContainer(ContainerHeader{0, 8}, 8));
}

}  // namespace
