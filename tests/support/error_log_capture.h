// Points the error log at a temporary folder for the length of a test and reads
// back what was written (CR LF folded to LF).
#pragma once
#include <string>

#include "host/fs.h"
#include "kernel/rk_error_log.h"
#include "support/temp_dir.h"

namespace rktest {

class ErrorLogCapture {
 public:
  ErrorLogCapture() {
    host::fs::setAppDataFolderOverride(dir_.path());
    rk::debug::setErrorLogFolder("log");
  }
  ~ErrorLogCapture() {
    host::fs::setAppDataFolderOverride("");
    rk::debug::setErrorLogFolder("");
  }

  std::string path() const { return dir_.path() + "/log/error_log.txt"; }
  std::string raw() const { return readBytes(path()); }
  std::string text() const {
    std::string s = raw(), out;
    for (std::size_t i = 0; i < s.size(); ++i)
      if (!(s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')) out += s[i];
    return out;
  }
  // How many entries carry exactly this text line.
  std::size_t entries(const std::string& entryText) const { return countOf(text(), ")\n" + entryText + "\n"); }
  bool empty() const { return raw().empty(); }
  void clear() const { writeBytes(path(), ""); }

 private:
  TempDir dir_;
};

}  // namespace rktest
