// Time. Stands in for QueryPerformanceFrequency / QueryPerformanceCounter,
// timeGetTime, timeBeginPeriod / timeEndPeriod and Sleep.
// Tests may replace the time source: a manual clock that only moves when told.
#pragma once
#include <cstdint>

namespace host::clock {

// Counts per second of the high-resolution counter; false when it cannot be read.
bool queryPerformanceFrequency(std::int64_t* frequency);
bool queryPerformanceCounter(std::int64_t* counter);
// Milliseconds since an arbitrary start, wrapping at 2^32.
std::uint32_t timeGetTime();
void timeBeginPeriod(unsigned periodMs);
void timeEndPeriod(unsigned periodMs);
// Sleeps; under the manual clock it advances the manual time instead.
void sleepMs(unsigned ms);

// --- test hooks ---
// Switches to a manual clock starting at 0 (frequency 10 MHz) or back to real time.
void useManualClock(bool manual);
// Moves the manual clock forward.
void advanceManualClock(double seconds);
// Makes queryPerformanceFrequency fail, to exercise the millisecond fallback.
void setPerformanceFrequencyFails(bool fails);

}  // namespace host::clock
