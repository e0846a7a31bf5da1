#include "kernel/rk_hr_exception.h"

#include <cstdio>

#include "host/text.h"
#include "kernel/rk_error_log.h"

namespace {

std::string formatMessage(host::HResult code, const char* file, int line, const wchar_t* text) {
  // The name is cut at 511 bytes like the runtime's 512-character buffer; text the
  // code page cannot hold ends the name where it starts.
  std::string name = text ? host::text::wideToCp932Prefix(text) : std::string();
  if (name.size() > 511) name.resize(511);
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "HRESULT of 0x%08X\n%s (%d) \n name = %s",
                static_cast<unsigned>(code), file ? file : "", line, name.c_str());
  rk::debug::writeErrorLog(file, line, buffer);
  return buffer;
}

}  // namespace

HrException::HrException(host::HResult code, const char* file, int line, const wchar_t* text)
    : std::runtime_error(formatMessage(code, file, line, text)), code_(code) {}

namespace rk {

void throwIfFailed(host::HResult code, const char* file, int line, const wchar_t* text) {
  if (code < 0) throw HrException(code, file, line, text);
}

}  // namespace rk
