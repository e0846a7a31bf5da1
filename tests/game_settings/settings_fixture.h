// Shared helpers of the settings and high-score tests: a recorder of message
// boxes and CR LF conversion.
#pragma once
#include <string>
#include <vector>

#include "host/ui.h"

namespace rktest {

struct Box {
  std::string text;
  std::string caption;
  unsigned type;
};

class BoxRecorder {
 public:
  BoxRecorder() {
    host::ui::setMessageBoxSink([this](const std::string& text, const std::string& caption, unsigned type) {
      boxes.push_back({text, caption, type});
      return host::ui::IDOK;
    });
  }
  ~BoxRecorder() { host::ui::setMessageBoxSink({}); }
  BoxRecorder(const BoxRecorder&) = delete;
  BoxRecorder& operator=(const BoxRecorder&) = delete;
  std::vector<Box> boxes;
};

inline std::string crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace rktest
