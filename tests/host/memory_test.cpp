#include "host/memory.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/clock.h"

namespace {

// Anonymous resident memory of this process in KiB (0 when unreadable).
long residentAnonKb() {
  std::FILE* file = std::fopen("/proc/self/status", "r");
  if (!file) return 0;
  long kb = 0;
  char line[256];
  while (std::fgets(line, sizeof line, file))
    if (std::sscanf(line, "RssAnon: %ld", &kb) == 1) break;
  std::fclose(file);
  return kb;
}

// Freed blocks under a block still in use stay resident: the C library cannot
// shrink its heap past the live block and keeps the rest for reuse. Releasing
// hands those pages back.
TEST(FreedMemory, PagesFreedUnderALiveBlockAreGivenBack) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer's allocator keeps its own heap";
#endif
  constexpr std::size_t kBlocks = 4096, kBlockSize = 16 * 1024;  // 64 MiB
  std::vector<char*> blocks;
  blocks.reserve(kBlocks);
  for (std::size_t i = 0; i < kBlocks; ++i) {
    blocks.push_back(static_cast<char*>(std::malloc(kBlockSize)));
    ASSERT_NE(blocks.back(), nullptr);
    std::memset(blocks.back(), 0x5a, kBlockSize);
  }
  char* live = static_cast<char*>(std::malloc(kBlockSize));
  ASSERT_NE(live, nullptr);
  std::memset(live, 1, kBlockSize);
  for (char* block : blocks) std::free(block);

  const long before = residentAnonKb();
  ASSERT_GT(before, 0);
  EXPECT_TRUE(host::memory::releaseFreedMemory());
  const long after = residentAnonKb();
  EXPECT_GT(before - after, 32 * 1024) << "before " << before << " kB, after " << after << " kB";
  EXPECT_EQ(live[kBlockSize - 1], 1);
  std::free(live);
}

TEST(FreedMemory, PeriodicReleaseRunsAtMostOncePerPeriod) {
  host::clock::useManualClock(true);
  host::memory::PeriodicRelease release(5.0);
  EXPECT_TRUE(release.tick()) << "the first call releases";
  EXPECT_FALSE(release.tick());
  host::clock::advanceManualClock(4.9);
  EXPECT_FALSE(release.tick());
  host::clock::advanceManualClock(0.2);
  EXPECT_TRUE(release.tick());
  EXPECT_FALSE(release.tick());
  // A clock that restarts (another manual clock) begins a new period.
  host::clock::useManualClock(true);
  EXPECT_TRUE(release.tick());
  host::clock::useManualClock(false);
}

}  // namespace
