#include <vector>

#include "script/rk_script_resource.h"

#include "host/text.h"

namespace rk::script {

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// ASCII letters folded; the trail bytes of double-byte characters stay as they are.
std::string folded(const std::string& text) {
  std::string out = text;
  for (std::size_t i = 0; i < out.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(out[i]);
    if (host::text::isLeadByte(c)) {
      ++i;
    } else if (c >= 'A' && c <= 'Z') {
      out[i] = static_cast<char>(c - 'A' + 'a');
    }
  }
  return out;
}

struct SplitPath {
  std::string root;  // "\" for an absolute path, "c:" for a drive, "" for a relative one
  std::vector<std::string> parts;
};

SplitPath split(const std::string& path) {
  SplitPath out;
  std::size_t i = 0;
  if (!path.empty() && isSeparator(path[0])) {
    out.root = "\\";
  } else if (path.size() >= 2 && path[1] == ':') {
    out.root = folded(path.substr(0, 2));
    i = 2;
  }
  std::string part;
  auto flush = [&] {
    if (part == "..") {
      if (!out.parts.empty() && out.parts.back() != "..") out.parts.pop_back();
      else if (out.root.empty()) out.parts.push_back(part);
    } else if (!part.empty() && part != ".") {
      out.parts.push_back(part);
    }
    part.clear();
  };
  for (; i < path.size(); ++i) {
    if (isSeparator(path[i])) {
      flush();
    } else {
      part += path[i];
      if (host::text::charLength(path, i) == 2) part += path[++i];
    }
  }
  flush();
  return out;
}

}  // namespace

std::string relativePathTo(const std::string& from, const std::string& to) {
  const SplitPath base = split(from);
  const SplitPath target = split(to);
  if (base.root != target.root) return std::string();
  std::size_t common = 0;
  while (common < base.parts.size() && common < target.parts.size() &&
         folded(base.parts[common]) == folded(target.parts[common]))
    ++common;
  std::string out;
  if (common == base.parts.size()) {
    out = ".";
  } else {
    for (std::size_t i = common; i < base.parts.size(); ++i) out += i == common ? ".." : "\\..";
  }
  for (std::size_t i = common; i < target.parts.size(); ++i) out += "\\" + target.parts[i];
  return out;
}

}  // namespace rk::script
