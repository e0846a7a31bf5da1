// Stack capture and symbol names over glibc's backtrace and dladdr. Names come
// from the dynamic symbol tables, so executables export theirs (-rdynamic).
#include "host/debug.h"

#include <cxxabi.h>
#include <dlfcn.h>
#include <execinfo.h>

#include <algorithm>
#include <cstdlib>

namespace host::debug {

__attribute__((noinline)) std::vector<void*> captureStack(int maxFrames) {
  if (maxFrames <= 0) return {};
  // The caller does not want this function, nor any frame a sanitizer's
  // wrapper of backtrace adds: the stack starts where this call returns to.
  constexpr int kOwnFramesAtMost = 4;
  std::vector<void*> frames(static_cast<size_t>(maxFrames) + kOwnFramesAtMost);
  int count = backtrace(frames.data(), static_cast<int>(frames.size()));
  void* caller = __builtin_return_address(0);
  int first = 1;
  for (int i = 0; i < count && i <= kOwnFramesAtMost; ++i) {
    if (frames[i] == caller) {
      first = i;
      break;
    }
  }
  if (count <= first) return {};
  int last = std::min(count, first + maxFrames);
  return std::vector<void*>(frames.begin() + first, frames.begin() + last);
}

std::string symbolName(void* address) {
  Dl_info info{};
  if (!address || dladdr(address, &info) == 0 || !info.dli_sname) return {};
  int status = 0;
  char* demangled = abi::__cxa_demangle(info.dli_sname, nullptr, nullptr, &status);
  if (status != 0 || !demangled) return info.dli_sname;
  std::string name = demangled;
  std::free(demangled);
  return name;
}

}  // namespace host::debug
