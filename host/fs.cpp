// Paths and folders. Program paths are CP932 with '\' or '/'; the operating
// system gets UTF-8 with '/', and names match case-insensitively as on Windows.
#include "host/fs.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "host/text.h"

namespace host::fs {
namespace {

std::mutex overrideMutex;
std::string appDataOverride;

bool isAbsolute(const char* path) { return path && path[0] == '/'; }

// Drops trailing '/' but keeps a lone root.
std::string withoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// The home folder: $HOME when absolute, else the account's entry.
std::string homeFolder() {
  const char* home = std::getenv("HOME");
  if (isAbsolute(home)) return home;
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd entry{};
  passwd* result = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result &&
      isAbsolute(result->pw_dir)) {
    return result->pw_dir;
  }
  return {};
}

// ASCII-only folding: names the program asks for are ASCII, and folding other
// letters would need the locale.
bool sameNameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool entryExists(const std::string& native) {
  struct stat st;
  return lstat(native.c_str(), &st) == 0;
}

// The entry of `folder` whose name equals `name` ignoring case; the smallest
// such name when there are several, so the choice does not depend on the
// directory's order. Empty when none.
std::string findIgnoringCase(const std::string& folder, const std::string& name) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return {};
  std::string best;
  while (dirent* entry = readdir(dir)) {
    std::string candidate = entry->d_name;
    if (sameNameIgnoringCase(candidate, name) && (best.empty() || candidate < best)) best = candidate;
  }
  closedir(dir);
  return best;
}

std::string appendComponent(const std::string& path, const std::string& name) {
  if (path.empty()) return name;
  if (path.back() == '/') return path + name;
  return path + '/' + name;
}

bool isStat(const std::string& path, mode_t type) {
  std::string native = nativePath(path);
  struct stat st;
  return !native.empty() && stat(native.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == type;
}

// True when `cp932` ends with a separator character rather than with the
// second byte of a double-byte character (0x5C is a valid trail byte).
bool endsWithSeparator(const std::string& cp932) {
  bool lastIsSeparator = false;
  for (size_t i = 0; i < cp932.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(cp932[i]);
    if (text::charLength(cp932, i) == 2) {
      ++i;
      lastIsSeparator = false;
    } else {
      lastIsSeparator = c == '\\' || c == '/';
    }
  }
  return lastIsSeparator;
}

}  // namespace

std::string appDataFolder() {
  {
    std::lock_guard<std::mutex> lock(overrideMutex);
    if (!appDataOverride.empty()) return appDataOverride;
  }
  std::vector<std::string> candidates;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (isAbsolute(xdg)) candidates.push_back(xdg);
  std::string home = homeFolder();
  if (!home.empty()) candidates.push_back(withoutTrailingSlash(home) + "/.local/share");
  for (const std::string& candidate : candidates) {
    // A folder the program cannot name in its code page is no use to it.
    std::string path = text::utf8ToCp932(withoutTrailingSlash(candidate));
    if (!path.empty()) return path;
  }
  return {};
}

void setAppDataFolderOverride(const std::string& path) {
  std::lock_guard<std::mutex> lock(overrideMutex);
  appDataOverride = path;
}

std::string nativePath(const std::string& path) {
  std::string utf8 = text::cp932ToUtf8(path);
  if (utf8.empty()) return {};
  // Only after the conversion: in CP932 a '\' byte may be half of a character.
  for (char& c : utf8) {
    if (c == '\\') c = '/';
  }

  std::string resolved = utf8[0] == '/' ? "/" : "";
  bool lookingUp = true;  // stops at the first component that does not exist
  size_t start = 0;
  while (start < utf8.size()) {
    size_t end = utf8.find('/', start);
    if (end == std::string::npos) end = utf8.size();
    std::string name = utf8.substr(start, end - start);
    start = end + 1;
    if (name.empty()) continue;
    std::string next = appendComponent(resolved, name);
    if (lookingUp && name != "." && name != ".." && !entryExists(next)) {
      std::string found = findIgnoringCase(resolved, name);
      if (found.empty()) {
        lookingUp = false;
      } else {
        next = appendComponent(resolved, found);
      }
    }
    resolved = next;
  }
  if (utf8.back() == '/' && !resolved.empty() && resolved.back() != '/') resolved += '/';
  return resolved;
}

bool exists(const std::string& path) {
  std::string native = nativePath(path);
  struct stat st;
  return !native.empty() && stat(native.c_str(), &st) == 0;
}

bool isDirectory(const std::string& path) { return isStat(path, S_IFDIR); }

bool makeDirectory(const std::string& path) {
  std::string native = nativePath(path);
  return !native.empty() && mkdir(native.c_str(), 0777) == 0;
}

bool makeDirectories(const std::string& path) {
  std::string native = withoutTrailingSlash(nativePath(path));
  if (native.empty()) return false;
  // Make every prefix in turn; existing levels fail with EEXIST and are fine.
  for (size_t pos = native.find('/', 1); pos != std::string::npos; pos = native.find('/', pos + 1)) {
    std::string prefix = native.substr(0, pos);
    if (mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return false;
  }
  mkdir(native.c_str(), 0777);
  struct stat st;
  return stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool removeFile(const std::string& path) {
  std::string native = nativePath(path);
  return !native.empty() && unlink(native.c_str()) == 0;
}

bool replaceFile(const std::string& from, const std::string& to) {
  std::string source = nativePath(from);
  std::string target = nativePath(to);
  return !source.empty() && !target.empty() && rename(source.c_str(), target.c_str()) == 0;
}

long long fileSize(const std::string& path) {
  std::string native = nativePath(path);
  struct stat st;
  if (native.empty() || stat(native.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  if (access(native.c_str(), R_OK) != 0) return -1;
  return static_cast<long long>(st.st_size);
}

std::string currentDirectory() {
  std::vector<char> buffer(4096);
  while (!getcwd(buffer.data(), buffer.size())) {
    if (errno != ERANGE || buffer.size() > (1u << 20)) return {};
    buffer.resize(buffer.size() * 2);
  }
  return text::utf8ToCp932(buffer.data());
}

bool setCurrentDirectory(const std::string& path) {
  std::string native = nativePath(path);
  return !native.empty() && chdir(native.c_str()) == 0;
}

std::string join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (endsWithSeparator(folder) || (!name.empty() && (name[0] == '\\' || name[0] == '/'))) return folder + name;
  return folder + '\\' + name;
}

}  // namespace host::fs
