// Single instance: an advisory lock on a file in the runtime folder, named after
// the window class and caption. The lock lives as long as the process.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>

#include "host/text.h"
#include "host/ui.h"

namespace host::ui {
namespace {

std::string runtimeFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/') return runtime;
  std::error_code error;
  std::filesystem::path temp = std::filesystem::temp_directory_path(error);
  return error ? std::string("/tmp") : temp.string();
}

// Keeps the file name to one path component.
std::string fileSafe(std::string name) {
  for (char& c : name) {
    if (c == '/' || static_cast<unsigned char>(c) < 0x20) c = '_';
  }
  return name;
}

std::string utf8(const std::string& cp932) {
  std::string converted = text::cp932ToUtf8(cp932);
  return converted.empty() ? cp932 : converted;
}

struct HeldLocks {
  std::mutex mutex;
  std::map<std::string, pid_t> paths;  // the process that took each lock (forks do not inherit it)
};

HeldLocks& heldLocks() {
  static HeldLocks h;
  return h;
}

}  // namespace

std::string singleInstanceLockPath(const std::string& className, const std::string& caption) {
  return runtimeFolder() + "/" + fileSafe(utf8(className) + "-" + utf8(caption) + ".lock");
}

bool acquireSingleInstanceLock(const std::string& className, const std::string& caption) {
  const std::string path = singleInstanceLockPath(className, caption);
  HeldLocks& held = heldLocks();
  std::lock_guard<std::mutex> guard(held.mutex);
  auto it = held.paths.find(path);
  if (it != held.paths.end() && it->second == getpid()) return true;

  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  // A folder we cannot write to cannot tell us about other copies: let this one run.
  if (fd < 0) return true;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool heldElsewhere = errno == EWOULDBLOCK;
    ::close(fd);
    return !heldElsewhere;  // a file system without locks cannot refuse either
  }
  held.paths[path] = getpid();  // the descriptor stays open until exit
  return true;
}

}  // namespace host::ui
