// Code-page conversion over iconv. Each thread keeps its own converters, so the
// functions are safe to call from the load and audio threads.
#include "host/text.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <utility>

namespace host::text {
namespace {

constexpr const char* kCp932 = "CP932";
constexpr const char* kWide = "WCHAR_T";
constexpr const char* kUtf8 = "UTF-8";

// Converters of one thread, opened on first use and closed with the thread.
class Converters {
 public:
  ~Converters();
  // Null when the system lacks the pair.
  iconv_t get(const char* to, const char* from) {
    auto key = std::make_pair(to, from);
    auto it = open_.find(key);
    if (it != open_.end()) return it->second;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
    open_.emplace(key, cd);
    return cd;
  }

 private:
  std::map<std::pair<const char*, const char*>, iconv_t> open_;
};

thread_local Converters converters;
// Set once the thread's cache is gone: conversions from later destructors of
// the same thread then open a converter of their own.
thread_local bool convertersGone = false;

Converters::~Converters() {
  convertersGone = true;
  for (auto& entry : open_) iconv_close(entry.second);
}

// A converter for one conversion.
class Converter {
 public:
  Converter(const char* to, const char* from) {
    if (!convertersGone) {
      cd_ = converters.get(to, from);
      return;
    }
    iconv_t cd = iconv_open(to, from);
    if (cd != reinterpret_cast<iconv_t>(-1)) {
      cd_ = cd;
      owned_ = true;
    }
  }
  ~Converter() {
    if (owned_) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_ = nullptr;
  bool owned_ = false;
};

// Converts `size` bytes. Returns false on an invalid or incomplete sequence;
// with `stopAtInvalid` it keeps what was converted before it and returns true.
bool convert(const char* to, const char* from, const char* data, size_t size, std::string& out,
             bool stopAtInvalid) {
  out.clear();
  if (size == 0) return true;
  Converter converter(to, from);
  iconv_t cd = converter.get();
  if (!cd) return false;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // reset the shift state

  char* in = const_cast<char*>(data);
  size_t inLeft = size;
  std::string buffer(size * 4 + 16, '\0');
  size_t used = 0;
  while (inLeft > 0) {
    char* outPtr = &buffer[used];
    size_t outLeft = buffer.size() - used;
    size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    used = buffer.size() - outLeft;
    if (rc != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    // EILSEQ or EINVAL: an unconvertible or truncated sequence.
    if (!stopAtInvalid) return false;
    break;
  }
  // The encodings used here keep no shift state; the flush only makes that explicit.
  buffer.resize(used + 16);
  char* outPtr = &buffer[used];
  size_t outLeft = buffer.size() - used;
  iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
  used = buffer.size() - outLeft;
  buffer.resize(used);
  out = std::move(buffer);
  return true;
}

std::string bytesOf(std::wstring_view wide) {
  return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}

std::wstring wideOf(const std::string& bytes) {
  std::wstring wide(bytes.size() / sizeof(wchar_t), L'\0');
  if (!wide.empty()) std::memcpy(&wide[0], bytes.data(), wide.size() * sizeof(wchar_t));
  return wide;
}

}  // namespace

std::wstring cp932ToWide(std::string_view cp932) {
  std::string out;
  if (!convert(kWide, kCp932, cp932.data(), cp932.size(), out, false)) return {};
  return wideOf(out);
}

std::string wideToCp932(std::wstring_view wide) {
  std::string in = bytesOf(wide);
  std::string out;
  if (!convert(kCp932, kWide, in.data(), in.size(), out, false)) return {};
  return out;
}

std::string cp932ToUtf8(std::string_view cp932) {
  std::string out;
  if (!convert(kUtf8, kCp932, cp932.data(), cp932.size(), out, false)) return {};
  return out;
}

std::string utf8ToCp932(std::string_view utf8) {
  std::string out;
  if (!convert(kCp932, kUtf8, utf8.data(), utf8.size(), out, false)) return {};
  return out;
}

std::string wideToCp932Prefix(std::wstring_view wide) {
  std::string in = bytesOf(wide);
  std::string out;
  if (!convert(kCp932, kWide, in.data(), in.size(), out, true)) return {};
  return out;
}

std::size_t charLength(std::string_view cp932, std::size_t at) {
  return at + 1 < cp932.size() && isLeadByte(static_cast<unsigned char>(cp932[at])) ? 2 : 1;
}

std::size_t fitLength(std::string_view cp932, std::size_t limit) {
  std::size_t length = 0;
  while (length < cp932.size()) {
    const std::size_t step = charLength(cp932, length);
    if (length + step > limit) break;
    length += step;
  }
  return length;
}

}  // namespace host::text
