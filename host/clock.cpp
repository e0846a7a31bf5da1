// Time over CLOCK_MONOTONIC, counted in 100 ns ticks like the Windows counter.
// Tests switch to a manual clock that only moves when told to.
#include "host/clock.h"

#include <sched.h>
#include <time.h>

#include <atomic>
#include <cerrno>
#include <cmath>

namespace host::clock {
namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kTicksPerMs = kTicksPerSecond / 1000;
// Longest single step of the manual clock, far beyond any test, so that the
// tick count can never overflow from one call.
constexpr double kMaxAdvanceSeconds = 1e9;

std::atomic<bool> manual{false};
std::atomic<std::int64_t> manualTicks{0};
std::atomic<bool> frequencyFails{false};

std::int64_t ticksNow() {
  if (manual.load()) return manualTicks.load();
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * kTicksPerSecond + ts.tv_nsec / 100;
}

void advanceTicks(std::int64_t ticks) { manualTicks.fetch_add(ticks); }

}  // namespace

bool queryPerformanceFrequency(std::int64_t* frequency) {
  if (!frequency) return false;
  if (frequencyFails.load()) {
    *frequency = 0;
    return false;
  }
  *frequency = kTicksPerSecond;
  return true;
}

bool queryPerformanceCounter(std::int64_t* counter) {
  if (!counter) return false;
  *counter = ticksNow();
  return true;
}

std::uint32_t timeGetTime() { return static_cast<std::uint32_t>(ticksNow() / kTicksPerMs); }

void timeBeginPeriod(unsigned) {}
void timeEndPeriod(unsigned) {}

void sleepMs(unsigned ms) {
  if (manual.load()) {
    advanceTicks(static_cast<std::int64_t>(ms) * kTicksPerMs);
    return;
  }
  timespec request{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1'000'000L};
  if (ms == 0) {
    sched_yield();
    return;
  }
  timespec remaining{};
  while (nanosleep(&request, &remaining) != 0 && errno == EINTR) request = remaining;  // resumes after signals
}

void useManualClock(bool on) {
  manualTicks.store(0);
  manual.store(on);
}

void advanceManualClock(double seconds) {
  // Time never runs backwards; NaN and negative steps are ignored.
  if (!(seconds > 0)) return;
  if (seconds > kMaxAdvanceSeconds) seconds = kMaxAdvanceSeconds;
  advanceTicks(std::llround(seconds * static_cast<double>(kTicksPerSecond)));
}

void setPerformanceFrequencyFails(bool fails) { frequencyFails.store(fails); }

}  // namespace host::clock
