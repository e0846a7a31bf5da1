// Test helpers: a temporary folder removed at the end of the test, and a guard
// that restores the current directory.
#pragma once
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace rktest {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "rktest-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    path_ = made ? made : "";
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

class CurrentDirGuard {
 public:
  explicit CurrentDirGuard(const std::string& to) : before_(std::filesystem::current_path()) {
    std::filesystem::current_path(to);
  }
  ~CurrentDirGuard() {
    std::error_code ec;
    std::filesystem::current_path(before_, ec);
  }

 private:
  std::filesystem::path before_;
};

inline std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

inline std::size_t countOf(const std::string& haystack, const std::string& needle) {
  std::size_t n = 0;
  for (std::size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) ++n;
  return n;
}

}  // namespace rktest
