// Stack capture and symbol names for the error log. Stands in for
// RtlCaptureStackBackTrace, SymInitialize and SymFromAddr (glibc backtrace, dladdr).
#pragma once
#include <string>
#include <vector>

namespace host::debug {

// Return addresses of the calling thread, innermost first, at most maxFrames.
std::vector<void*> captureStack(int maxFrames);
// The demangled symbol name for an address, or an empty string when none is known.
std::string symbolName(void* address);

}  // namespace host::debug
