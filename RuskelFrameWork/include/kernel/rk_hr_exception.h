// Hard failures: an exception carrying an HRESULT, and the throw-if-failed helper
// used for every failed platform call.
#pragma once
#include <stdexcept>
#include <string>

#include "host/hresult.h"

class HrException : public std::runtime_error {
 public:
  // Formats "HRESULT of 0x%08X\n%s (%d) \n name = %s" and writes it to the error
  // log with the same file and line.
  HrException(host::HResult code, const char* file, int line, const wchar_t* text);
  HrException(const HrException&) = default;
  ~HrException() override = default;

  host::HResult code() const { return code_; }

 private:
  host::HResult code_;
};

namespace rk {

// Nothing when the code is not negative; otherwise throws HrException.
void throwIfFailed(host::HResult code, const char* file, int line, const wchar_t* text);

}  // namespace rk

// Throws for a failed expression, naming the expression as written.
#define RK_THROW_IF_FAILED(expr) \
  ::rk::throwIfFailed((expr), __FILE__, __LINE__, L## #expr)
