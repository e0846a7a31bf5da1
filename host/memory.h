// Memory status. Stands in for GlobalMemoryStatusEx (its memory load).
#pragma once

namespace host::memory {

// The share of physical memory in use, in percent (0..100). False, with errno
// telling why, when the system's figures cannot be read.
bool memoryLoad(unsigned* percent);

// Test hook: makes memoryLoad fail (errno EIO) until switched off.
void setMemoryStatusFails(bool fails);

}  // namespace host::memory
