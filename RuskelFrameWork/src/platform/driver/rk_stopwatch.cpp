#include "platform/driver/rk_stopwatch.h"

#include <cstdint>

#include "host/clock.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"

namespace rk::driver {

namespace {

constexpr const char* kFile = "src/platform/driver/rk_stopwatch";
const SingletonReport kReport{kFile, "rk::driver::StopWatchImpl", 539, 0, 0};

// Marks of both paths; a pause mark of 0 means no pause is in force.
struct Clock {
  bool frequencyQueried = false;
  bool highResolution = false;
  std::int64_t frequency = 0;
  bool paused = false;
  std::int64_t hStart = 0, hLap = 0, hPause = 0;
  double mStart = 0, mLap = 0, mPause = 0;
};

Clock& clock() {
  static Clock c;
  return c;
}

bool highResolution() {
  Clock& c = clock();
  if (!c.frequencyQueried) {
    c.frequencyQueried = true;
    c.highResolution = host::clock::queryPerformanceFrequency(&c.frequency) && c.frequency > 0;
  }
  return c.highResolution;
}

std::int64_t counterNow() {
  std::int64_t v = 0;
  host::clock::queryPerformanceCounter(&v);
  return v;
}

double millisecondNow() { return host::clock::timeGetTime() * 0.001; }

std::int64_t hMarkOrNow() { return clock().hPause != 0 ? clock().hPause : counterNow(); }
double mMarkOrNow() { return clock().mPause != 0 ? clock().mPause : millisecondNow(); }

double toSeconds(std::int64_t counts) { return static_cast<double>(counts) / static_cast<double>(clock().frequency); }

}  // namespace

void StopWatchImpl::start() {
  Clock& c = clock();
  if (highResolution()) {
    std::int64_t now = counterNow();
    if (c.paused) c.hStart += now - c.hPause;
    c.hLap = now;
    c.hPause = 0;
  } else {
    double now = millisecondNow();
    if (c.paused) c.mStart += now - c.mPause;
    c.mLap = now;
    c.mPause = 0;
  }
  c.paused = false;
}

void StopWatchImpl::reset() {
  Clock& c = clock();
  if (highResolution()) {
    c.hStart = c.hLap = hMarkOrNow();
    c.hPause = 0;
  } else {
    c.mStart = c.mLap = mMarkOrNow();
    c.mPause = 0;
  }
  c.paused = false;
}

// The lap mark stays where it was, so the first lap read while paused still
// counts the time up to the pause moment; later laps read 0.
void StopWatchImpl::pause() {
  Clock& c = clock();
  if (highResolution()) {
    c.hPause = hMarkOrNow();
  } else {
    c.mPause = mMarkOrNow();
  }
  c.paused = true;
}

void StopWatchImpl::stepPaused() {
  Clock& c = clock();
  if (highResolution()) {
    c.hPause += c.frequency / 10;
  } else {
    c.mPause += 0.1;
  }
}

double StopWatchImpl::getAbsoluteTime() {
  if (highResolution()) return toSeconds(counterNow());
  return static_cast<double>(static_cast<float>(millisecondNow()));
}

double StopWatchImpl::getElapsedTime() {
  Clock& c = clock();
  if (highResolution()) return toSeconds(hMarkOrNow() - c.hStart);
  return mMarkOrNow() - c.mStart;
}

double StopWatchImpl::getLapTime() {
  Clock& c = clock();
  if (highResolution()) {
    std::int64_t x = hMarkOrNow();
    std::int64_t lap = x - c.hLap;
    c.hLap = x;
    return toSeconds(lap);
  }
  double x = mMarkOrNow();
  double lap = x - c.mLap;
  c.mLap = x;
  return lap;
}

bool StopWatchImpl::isPaused() const { return clock().paused; }

StopWatchImpl* StopWatchImpl::getInstance() {
  return static_cast<StopWatchImpl*>(instanceSlot(InstanceSlot::StopWatchCounter));
}

void StopWatchImpl::destroyInstance() {
  if (singletonExists(InstanceSlot::StopWatchCounter))
    singletonDestroy<StopWatchImpl>(InstanceSlot::StopWatchCounter, kReport);
}

void StopWatchImpl::resetSharedStateForTests() { clock() = Clock(); }

StopWatchNormalCounter::StopWatchNormalCounter() { host::clock::timeBeginPeriod(1); }
StopWatchNormalCounter::~StopWatchNormalCounter() { host::clock::timeEndPeriod(1); }

StopWatch::StopWatch() {
  if (!StopWatchImpl::getInstance()) debug::writeErrorLog(kFile, 520, "rk::driver::StopWatch::StopWatch");
}

boost::shared_ptr<StopWatch> StopWatch::initialize() {
  if (singletonExists(InstanceSlot::StopWatchCounter)) debug::writeErrorLog(kFile, 539, "rk::driver::StopWatch::initialize");

  // The performance counter is trusted when two frequency queries 100 ms apart
  // agree in their low 32 bits (and those are not zero).
  std::int64_t first = 0, second = 0;
  host::clock::queryPerformanceFrequency(&first);
  host::clock::sleepMs(100);
  bool secondOk = host::clock::queryPerformanceFrequency(&second);
  std::uint32_t low1 = static_cast<std::uint32_t>(first), low2 = static_cast<std::uint32_t>(second);
  StopWatchImpl* counter = nullptr;
  if (secondOk && low2 != 0 && low2 == low1) {
    counter = new StopWatchPerformanceCounter();
  } else {
    counter = new StopWatchNormalCounter();
  }
  instanceSlot(InstanceSlot::StopWatchCounter) = counter;
  counter->resume();
  counter->pause();
  return boost::shared_ptr<StopWatch>(new StopWatch());
}

void StopWatch::start() {
  if (StopWatchImpl* counter = StopWatchImpl::getInstance()) counter->resume();
}

StopWatchImpl* StopWatch::counter() const { return StopWatchImpl::getInstance(); }

}  // namespace rk::driver
