// Memory status. Stands in for GlobalMemoryStatusEx (its memory load).
// Also gives freed heap memory back to the system, as the Windows heap does
// by itself: the C library keeps what was freed for reuse, so without it a
// long-running game stays as large as its busiest frame ever made it.
#pragma once
#include <cstdint>

namespace host::memory {

// The share of physical memory in use, in percent (0..100). False, with errno
// telling why, when the system's figures cannot be read.
bool memoryLoad(unsigned* percent);

// Returns the free pages of every heap arena to the system; true when any
// memory was returned.
bool releaseFreedMemory();

// Calls releaseFreedMemory at most once per period of the host clock. The GL
// context raises the library's trim threshold so that a frame's freed blocks
// stay for the next frame; this hands them back now and then instead.
class PeriodicRelease {
 public:
  explicit PeriodicRelease(double seconds);
  // Releases when a period has passed since the last release (or on the
  // first call); true when it released now.
  bool tick();

 private:
  std::int64_t periodTicks_;
  std::int64_t lastTicks_ = 0;
  bool released_ = false;
};

// Test hook: makes memoryLoad fail (errno EIO) until switched off.
void setMemoryStatusFails(bool fails);

}  // namespace host::memory
