#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "fs/load_fixture.h"
#include "kernel/rk_hr_exception.h"

namespace {

using rk::res::ResourcePtr;
using rktest::Bytes;
using FileManagerTest = rktest::LoadFixture;

constexpr std::size_t kChunk = rk::fs::FileManager::kTransferBufferSize;

TEST_F(FileManagerTest, QueuedFilesArriveOneAfterAnotherInRequestOrder) {
  const Bytes a = rktest::toBytes("first"), b = rktest::randomBytes(3000, 1), c = rktest::toBytes("third");
  ResourcePtr ra = files_->loadFile(write("a.bin", a), "rb", false, nullptr);
  ResourcePtr rb = files_->loadFile(write("b.bin", b), "rb", false, nullptr);
  ResourcePtr rc = files_->loadFile(write("c.bin", c), "rb", false, nullptr);
  EXPECT_EQ(files_->queuedCount(), 3u);
  // Buffers are sized when the load is queued.
  EXPECT_EQ(rb->size(), b.size());
  EXPECT_FALSE(ra->isLoaded());

  std::vector<std::string> arrivals;
  for (int i = 0; i < 100 && arrivals.size() < 3; ++i) {
    pass();
    for (auto* r : {&ra, &rb, &rc})
      if ((*r)->isLoaded() && std::find(arrivals.begin(), arrivals.end(), (*r)->name()) == arrivals.end())
        arrivals.push_back((*r)->name());
  }
  EXPECT_EQ(arrivals, (std::vector<std::string>{ra->name(), rb->name(), rc->name()}));
  EXPECT_EQ(rktest::resourceBytes(*ra), a);
  EXPECT_EQ(rktest::resourceBytes(*rb), b);
  EXPECT_EQ(rktest::resourceBytes(*rc), c);
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(FileManagerTest, AKnownNameIsReturnedAtOnceEvenWhileLoading) {
  const std::string name = write("once.bin", rktest::toBytes("data"));
  ResourcePtr first = files_->loadFile(name, "rb", false, nullptr);
  ResourcePtr again = files_->loadFile(name, "rb", false, nullptr);
  EXPECT_EQ(first, again);
  EXPECT_EQ(files_->queuedCount(), 1u);
  ASSERT_TRUE(pumpUntilLoaded(first));
  std::filesystem::remove(name);  // known names never touch the file again
  EXPECT_EQ(files_->loadFile(name, "rb", false, nullptr), first);
}

TEST_F(FileManagerTest, LargeFilesTravelInOneMebibyteChunks) {
  const Bytes plain = rktest::randomBytes(2 * kChunk + 12345, 3);
  Bytes packed(5 * kChunk / 2);
  for (std::size_t i = 0; i < packed.size(); ++i) packed[i] = static_cast<std::uint8_t>(i / 1000);
  ResourcePtr rp = files_->loadFile(write("big.bin", plain), "rb", false, nullptr);
  ResourcePtr rz = files_->loadFile(write("big.a", rktest::containerOf(packed)), "rb", true, nullptr);
  EXPECT_EQ(rz->size(), packed.size());  // a container is sized by its uncompressed size

  // One chunk per notify: three copies for each file.
  int copies = 0;
  for (int i = 0; i < 100 && !rp->isLoaded(); ++i) {
    files_->loadStep();
    if (files_->transferState() == rk::fs::kTransferChunkReady) ++copies;
    files_->notify();
  }
  EXPECT_EQ(copies, 3);
  ASSERT_TRUE(pumpUntilLoaded(rz));
  EXPECT_EQ(rktest::resourceBytes(*rp), plain);
  EXPECT_EQ(rktest::resourceBytes(*rz), packed);
}

// Text mode reads CR LF as LF and ends with a zero byte, also when the text
// fills a chunk exactly.
TEST_F(FileManagerTest, TextModeTranslatesLineEndsAndAppendsAZero) {
  const std::size_t lengths[] = {0, 7, kChunk - 1, kChunk, kChunk + 3};
  int n = 0;
  for (std::size_t length : lengths) {
    std::string text, disk;
    for (std::size_t i = 0; i < length; ++i) {
      char c = i % 10 == 9 ? '\n' : static_cast<char>('a' + i % 26);
      text += c;
      disk += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    const std::string name = "text" + std::to_string(n++) + ".dat";
    ResourcePtr r = files_->loadFile(write(name, rktest::toBytes(disk)), "r", false, nullptr);
    ASSERT_TRUE(pumpUntilLoaded(r)) << length;
    Bytes expected = rktest::toBytes(text);
    expected.push_back(0);
    EXPECT_EQ(rktest::resourceBytes(*r), expected) << length;
  }
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(FileManagerTest, AMissingFileThrowsNamingItAndLeavesNoResource) {
  const std::string name = path("missing.a");
  try {
    files_->loadFile(name, "rb", true, "script/stage1");
    FAIL() << "no exception";
  } catch (const HrException& e) {
    EXPECT_EQ(static_cast<unsigned>(e.code()), 0x80070005u);
    const std::string what = e.what();
    EXPECT_NE(what.find("「script/stage1」のincludeModuleで\n「" + name + "」が見つかりません。\nqueue = 0"),
              std::string::npos)
        << what;
  }
  EXPECT_EQ(resources_->count(), 0u);
  EXPECT_EQ(files_->queuedCount(), 0u);
  // A folder is not a file either.
  EXPECT_THROW(files_->loadFile(dir_.path(), "rb", false, nullptr), HrException);
}

TEST_F(FileManagerTest, AFileGoneBeforeItIsOpenedFailsTheLoad) {
  const std::string name = write("gone.bin", rktest::toBytes("soon gone"));
  ResourcePtr r = files_->loadFile(name, "rb", false, nullptr);
  std::filesystem::remove(name);
  files_->notify();  // starts the load
  EXPECT_EQ(files_->loadStep(), rk::fs::kTransferOpenFailed);  // after one retry
  try {
    files_->notify();
    FAIL() << "no exception";
  } catch (const HrException& e) {
    EXPECT_NE(std::string(e.what()).find("name = ファイルロードエラー"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(files_->isStop());
  EXPECT_FALSE(r->isLoaded());
}

// Damaged containers are reported and never delivered as good data.
TEST_F(FileManagerTest, DamagedContainersFailTheLoad) {
  const Bytes good = rktest::containerOf(rktest::toBytes(std::string(500, 'q') + "tail"));
  auto with = [&](std::size_t at, std::uint8_t value) {
    Bytes b = good;
    b[at] = value;
    return b;
  };
  const std::vector<Bytes> damaged = {
      Bytes(good.begin(), good.begin() + 10),               // header cut
      Bytes(good.begin(), good.begin() + good.size() - 3),  // stream cut
      with(good.size() - 1, good.back() ^ 0x55),            // checksum
      with(20, good[20] ^ 0x10),                            // deflate data
      with(3, 0x7F),                                        // huge uncompressed size
      with(0, good[0] + 1),                                 // size one too big
      with(5, 0x40),                                        // stream longer than the file
  };
  int n = 0;
  for (const Bytes& bytes : damaged) {
    // A failed load stops its manager: each case gets a fresh one.
    rk::fs::FileManager::destroyInstance();
    files_ = rk::fs::FileManager::createInstance(resources_, false);
    log_.clear();
    ResourcePtr r = files_->loadFile(write("bad" + std::to_string(n++) + ".a", bytes), "rb", true, nullptr);
    bool threw = false;
    for (int i = 0; i < 20 && !threw && !r->isLoaded(); ++i) {
      try {
        pass();
      } catch (const HrException&) {
        threw = true;
      }
    }
    EXPECT_TRUE(threw) << n;
    EXPECT_FALSE(r->isLoaded()) << n;
    EXPECT_GE(log_.entries("rk::fs::FileManager::loadThread"), 1u) << n;
  }
}

TEST_F(FileManagerTest, EmptyFilesCompleteEmptyAndLaterLoadsGoOn) {
  ResourcePtr empty = files_->loadFile(write("empty.bin", {}), "rb", false, nullptr);
  ResourcePtr emptyPacked = files_->loadFile(write("empty.a", rktest::containerOf({})), "rb", true, nullptr);
  ResourcePtr next = files_->loadFile(write("next.bin", rktest::toBytes("next")), "rb", false, nullptr);
  EXPECT_EQ(log_.entries("rk::fs::FileQueue::loadFile"), 2u);
  ASSERT_TRUE(pumpUntilLoaded(next));
  EXPECT_TRUE(empty->isLoaded());
  EXPECT_TRUE(emptyPacked->isLoaded());
  EXPECT_EQ(empty->size(), 0u);
  EXPECT_EQ(emptyPacked->size(), 0u);
  EXPECT_EQ(rktest::toString(rktest::resourceBytes(*next)), "next");
}

// A file that changes between queueing and reading never writes past the
// buffer sized at queue time.
TEST_F(FileManagerTest, AFileThatGrewOrShrankStaysInsideItsBuffer) {
  const std::string grows = write("grows.bin", rktest::toBytes("0123456789"));
  const std::string shrinks = write("shrinks.bin", rktest::toBytes("0123456789"));
  const std::string packed = write("grows.a", rktest::containerOf(rktest::toBytes("abc")));
  ResourcePtr g = files_->loadFile(grows, "rb", false, nullptr);
  ResourcePtr s = files_->loadFile(shrinks, "rb", false, nullptr);
  ResourcePtr p = files_->loadFile(packed, "rb", true, nullptr);
  const Bytes big = rktest::randomBytes(kChunk + 100, 9);
  write("grows.bin", big);
  write("shrinks.bin", rktest::toBytes("0123"));
  write("grows.a", rktest::containerOf(rktest::randomBytes(50000, 4)));
  drain();
  EXPECT_EQ(rktest::resourceBytes(*g), Bytes(big.begin(), big.begin() + 10));
  EXPECT_EQ(rktest::toString(rktest::resourceBytes(*s)), std::string("0123\0\0\0\0\0\0", 10));
  EXPECT_EQ(p->size(), 3u);
  EXPECT_TRUE(g->isLoaded() && s->isLoaded() && p->isLoaded());
  // The short read and the container's new size are reported by the load
  // thread; the chunk too big for its buffer by notify.
  EXPECT_EQ(log_.entries("rk::fs::FileManager::loadThread"), 2u);
  EXPECT_EQ(log_.entries("rk::fs::FileManager::notify"), 1u);
}

TEST_F(FileManagerTest, ReloadRefillsTheSameResource) {
  const std::string name = write("config.dat", rktest::toBytes("a=1\r\n"));
  ResourcePtr r = files_->loadFile(name, "r", false, nullptr);
  ASSERT_TRUE(pumpUntilLoaded(r));
  write("config.dat", rktest::toBytes("a=22\r\nb=3\r\n"));
  r->reload();
  EXPECT_FALSE(r->isLoaded());
  ASSERT_TRUE(pumpUntilLoaded(r));
  EXPECT_EQ(rktest::toString(rktest::resourceBytes(*r)), std::string("a=22\nb=3\n\0", 10));

  std::filesystem::remove(name);
  try {
    r->reload();
    FAIL() << "no exception";
  } catch (const HrException& e) {
    EXPECT_NE(std::string(e.what()).find("「" + name + "」のリロードに失敗しました。"), std::string::npos);
  }
}

// A container is inflated straight into its resource and handed over in one
// pass, however large. A reload of that resource before the hand-over clears
// the inflated bytes: the resource is not ready until the reload has
// delivered, and then holds the file's content.
TEST_F(FileManagerTest, AContainerIsInflatedInPlaceAndAReloadBeforeItsHandOverWins) {
  const Bytes content = rktest::randomBytes(2 * kChunk + 7, 11);
  ResourcePtr r = files_->loadFile(write("mid.a", rktest::containerOf(content)), "rb", true, nullptr);
  files_->notify();    // starts the load
  files_->loadStep();  // opens
  files_->loadStep();  // inflates and hands everything over
  ASSERT_EQ(files_->transferState(), rk::fs::kTransferChunkReady);
  r->reload();
  EXPECT_EQ(r->size(), content.size());
  files_->notify();
  EXPECT_FALSE(r->isLoaded()) << "the cleared bytes are not delivered as the file's";
  drain();
  ASSERT_TRUE(r->isLoaded());
  EXPECT_EQ(rktest::resourceBytes(*r), content);

  ResourcePtr again = files_->loadFile(write("again.a", rktest::containerOf(content)), "rb", true, nullptr);
  int handOvers = 0;
  for (int i = 0; i < 20 && !again->isLoaded(); ++i) {
    files_->loadStep();
    if (files_->transferState() == rk::fs::kTransferChunkReady) ++handOvers;
    files_->notify();
  }
  EXPECT_EQ(handOvers, 1);
  EXPECT_EQ(rktest::resourceBytes(*again), content);
  EXPECT_TRUE(log_.empty()) << log_.text();
}

// The real thread: loads complete through notify alone, and shut-down with loads
// still queued drops them cleanly.
TEST(FileManagerThread, LoadsCompleteAndShutDownDropsQueuedLoads) {
  rktest::ErrorLogCapture log;
  rktest::TempDir dir;
  auto* resources = rk::res::ResourceManager::createInstance();
  auto* files = rk::fs::FileManager::createInstance(resources);
  std::vector<ResourcePtr> loads;
  for (int i = 0; i < 6; ++i) {
    const std::string name = dir.file("f" + std::to_string(i) + ".bin");
    rktest::writeBytes(name, rktest::toString(rktest::randomBytes(i == 1 ? 3 * kChunk : 100, i)));
    loads.push_back(files->loadFile(name, "rb", false, nullptr));
  }
  for (int i = 0; i < 2000 && !loads[0]->isLoaded(); ++i) {
    files->notify();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_TRUE(loads[0]->isLoaded());
  for (int i = 0; i < 3; ++i) files->notify();  // the big file is on its way

  rk::fs::FileManager::destroyInstance();
  EXPECT_FALSE(loads.back()->isLoaded());
  for (const ResourcePtr& r : loads) EXPECT_EQ(r->count(), 1);  // only ours remain
  loads.clear();
  EXPECT_EQ(resources->count(), 0u);
  rk::res::ResourceManager::destroyInstance();
}

}  // namespace
