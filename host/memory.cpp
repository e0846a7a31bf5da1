#include "host/memory.h"

#include <malloc.h>
#include <sys/sysinfo.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/clock.h"

namespace host::memory {

namespace {

std::atomic<bool> failing{false};

// MemTotal and MemAvailable in KiB from /proc/meminfo; false when either is missing.
bool readMemInfo(unsigned long long* total, unsigned long long* available) {
  std::FILE* file = std::fopen("/proc/meminfo", "r");
  if (!file) return false;
  bool haveTotal = false, haveAvailable = false;
  char line[256];
  while (std::fgets(line, sizeof line, file)) {
    unsigned long long value = 0;
    if (std::sscanf(line, "MemTotal: %llu", &value) == 1) {
      *total = value;
      haveTotal = true;
    } else if (std::sscanf(line, "MemAvailable: %llu", &value) == 1) {
      *available = value;
      haveAvailable = true;
    }
  }
  std::fclose(file);
  return haveTotal && haveAvailable;
}

}  // namespace

bool memoryLoad(unsigned* percent) {
  if (failing.load()) {
    errno = EIO;
    return false;
  }
  unsigned long long total = 0, available = 0;
  if (!readMemInfo(&total, &available)) {
    // Older kernels lack MemAvailable: free and buffer memory count as available.
    struct sysinfo info {};
    if (sysinfo(&info) != 0) return false;
    total = static_cast<unsigned long long>(info.totalram) * info.mem_unit;
    available = static_cast<unsigned long long>(info.freeram + info.bufferram) * info.mem_unit;
  }
  if (total == 0) {
    errno = EIO;
    return false;
  }
  if (available > total) available = total;
  if (percent) *percent = static_cast<unsigned>((total - available) * 100 / total);
  return true;
}

bool releaseFreedMemory() { return malloc_trim(0) != 0; }

PeriodicRelease::PeriodicRelease(double seconds) {
  std::int64_t frequency = 0;
  if (!clock::queryPerformanceFrequency(&frequency) || frequency <= 0) frequency = 10'000'000;
  periodTicks_ = std::llround(std::max(seconds, 0.0) * static_cast<double>(frequency));
}

bool PeriodicRelease::tick() {
  std::int64_t now = 0;
  clock::queryPerformanceCounter(&now);
  // A clock that went back (a test's manual clock restarting) starts a new period.
  if (released_ && now >= lastTicks_ && now - lastTicks_ < periodTicks_) return false;
  released_ = true;
  lastTicks_ = now;
  releaseFreedMemory();
  return true;
}

void setMemoryStatusFails(bool fails) { failing.store(fails); }

}  // namespace host::memory
