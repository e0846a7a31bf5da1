// fopen with the Windows runtime's modes. Binary streams are plain stdio files;
// text streams wrap one with glibc's fopencookie and translate line ends, so a
// text file reads and writes the same bytes as in the original program.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "host/fs.h"

namespace host::fs {
namespace {

struct Mode {
  char access = 0;  // 'r', 'w' or 'a'
  bool update = false;
  bool binary = false;
};

// Accepts "r", "w", "a", each optionally followed by '+' and one of 'b' or 't',
// in either order. Anything else is refused, as the Windows runtime does.
bool parseMode(const char* text, Mode& mode) {
  if (!text || (text[0] != 'r' && text[0] != 'w' && text[0] != 'a')) return false;
  mode.access = text[0];
  bool sawKind = false;
  for (const char* p = text + 1; *p; ++p) {
    if (*p == '+' && !mode.update) {
      mode.update = true;
    } else if ((*p == 'b' || *p == 't') && !sawKind) {
      sawKind = true;
      mode.binary = *p == 'b';
    } else {
      return false;
    }
  }
  return true;
}

// The raw file under a text stream.
struct TextFile {
  std::FILE* raw;
};

// Reads with CR LF turned into LF; a CR not followed by LF stays.
ssize_t readText(void* cookie, char* buffer, size_t size) {
  std::FILE* raw = static_cast<TextFile*>(cookie)->raw;
  size_t count = 0;
  while (count < size) {
    int c = getc_unlocked(raw);
    if (c == EOF) break;
    if (c == '\r') {
      int next = getc_unlocked(raw);
      if (next == '\n') {
        c = '\n';
      } else if (next != EOF) {
        ungetc(next, raw);
      }
    }
    buffer[count++] = static_cast<char>(c);
  }
  if (count == 0 && ferror(raw)) return -1;
  return static_cast<ssize_t>(count);
}

// Writes with every LF turned into CR LF.
ssize_t writeText(void* cookie, const char* data, size_t size) {
  std::FILE* raw = static_cast<TextFile*>(cookie)->raw;
  size_t start = 0;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] != '\n') continue;
    if (fwrite(data + start, 1, i - start, raw) != i - start || fwrite("\r\n", 1, 2, raw) != 2) return 0;
    start = i + 1;
  }
  if (fwrite(data + start, 1, size - start, raw) != size - start) return 0;
  return static_cast<ssize_t>(size);
}

// Positions are those of the raw file, as the Windows runtime reports them.
int seekText(void* cookie, off64_t* offset, int whence) {
  std::FILE* raw = static_cast<TextFile*>(cookie)->raw;
  if (fseeko(raw, static_cast<off_t>(*offset), whence) != 0) return -1;
  off_t position = ftello(raw);
  if (position < 0) return -1;
  *offset = position;
  return 0;
}

int closeText(void* cookie) {
  auto* file = static_cast<TextFile*>(cookie);
  int rc = fclose(file->raw);
  delete file;
  return rc == 0 ? 0 : EOF;
}

}  // namespace

std::FILE* open(const std::string& path, const char* mode) {
  Mode parsed;
  if (!parseMode(mode, parsed)) return nullptr;
  std::string native = nativePath(path);
  if (native.empty()) return nullptr;

  std::string rawMode(1, parsed.access);
  if (parsed.update) rawMode += '+';
  rawMode += "be";  // binary underneath; close-on-exec
  std::FILE* raw = std::fopen(native.c_str(), rawMode.c_str());
  if (!raw || parsed.binary) return raw;

  auto* cookie = new (std::nothrow) TextFile{raw};
  if (!cookie) {
    fclose(raw);
    return nullptr;
  }
  cookie_io_functions_t functions{readText, writeText, seekText, closeText};
  std::string cookieMode(1, parsed.access);
  if (parsed.update) cookieMode += '+';
  std::FILE* stream = fopencookie(cookie, cookieMode.c_str(), functions);
  if (!stream) {
    fclose(raw);
    delete cookie;
    return nullptr;
  }
  // Unbuffered, so that ftell and fseek see the raw positions; the raw file
  // underneath keeps its own buffer.
  setvbuf(stream, nullptr, _IONBF, 0);
  return stream;
}

}  // namespace host::fs
