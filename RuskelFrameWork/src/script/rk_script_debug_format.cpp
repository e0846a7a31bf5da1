// The formatter of debugPrintf. Script text is never handed to printf as a
// format: each conversion is parsed here, checked and rebuilt before one value
// is formatted with it.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "host/text.h"
#include "script/rk_lua_arg.h"
#include "script/rk_script_debug.h"

namespace rk::script {

namespace {

struct Conversion {
  std::string flags;
  int width = -1;      // -1: none
  int precision = -1;  // -1: none
  char type = 0;       // 'd', 'f' or 's'; 0 when the text after '%' is no conversion
  std::size_t end = 0; // index after the conversion character
};

// A field wider than the buffer fills it whatever precedes it, so wider
// widths and longer precisions only add text that is cut off.
constexpr int kMaxField = static_cast<int>(kDebugTextLimit) + 1;

int readNumber(const std::string& s, std::size_t& i) {
  int value = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
    value = value * 10 + (s[i] - '0');
    if (value > kMaxField) value = kMaxField;
    ++i;
  }
  return value;
}

// Parses the conversion whose '%' is at `start`.
Conversion parseConversion(const std::string& s, std::size_t start) {
  Conversion c;
  std::size_t i = start + 1;
  while (i < s.size() && std::strchr("-+ #0", s[i]) && s[i] != '\0') c.flags += s[i++];
  if (i < s.size() && s[i] >= '0' && s[i] <= '9') c.width = readNumber(s, i);
  if (i < s.size() && s[i] == '.') {
    ++i;
    c.precision = readNumber(s, i);
  }
  if (i < s.size() && (s[i] == 'd' || s[i] == 'f' || s[i] == 's')) {
    c.type = s[i];
    c.end = i + 1;
  }
  return c;
}

// The printf format of a numeric conversion, with only the flags it allows.
std::string numericFormat(const Conversion& c) {
  std::string format = "%";
  for (char flag : c.flags)
    if (c.type == 'f' || flag != '#') format += flag;
  if (c.width >= 0) format += std::to_string(c.width);
  if (c.precision >= 0) format += "." + std::to_string(c.precision);
  format += c.type;
  return format;
}

std::string formatNumber(const Conversion& c, lua_Number number) {
  const float single = static_cast<float>(number);
  char buffer[2048];
  const std::string format = numericFormat(c);
  int length = c.type == 'd' ? std::snprintf(buffer, sizeof buffer, format.c_str(), truncateWrapToInt32(single))
                             : std::snprintf(buffer, sizeof buffer, format.c_str(), static_cast<double>(single));
  if (length < 0) return std::string();
  return std::string(buffer, std::min(static_cast<std::size_t>(length), sizeof buffer - 1));
}

// %s by hand: the text up to a zero byte, cut to the precision, padded to the width.
std::string formatText(const Conversion& c, const char* text, std::size_t length) {
  std::string_view value(text ? text : "", text ? length : 0);
  value = value.substr(0, value.find('\0'));
  if (c.precision >= 0) value = value.substr(0, static_cast<std::size_t>(c.precision));
  const std::size_t width = c.width > 0 ? static_cast<std::size_t>(c.width) : 0;
  const std::string padding(width > value.size() ? width - value.size() : 0, ' ');
  const bool left = c.flags.find('-') != std::string::npos;
  return left ? std::string(value) + padding : padding + std::string(value);
}

// The longest prefix within the limit that does not split a double-byte character.
void cutToLimit(std::string& text) { text.resize(host::text::fitLength(text, kDebugTextLimit)); }

// Keeps one byte past the limit, so that the final cut sees whether the last
// character fits.
void append(std::string& out, std::string_view piece) {
  const std::size_t room = kDebugTextLimit + 1 > out.size() ? kDebugTextLimit + 1 - out.size() : 0;
  out.append(piece.substr(0, room));
}

}  // namespace

std::string formatDebugText(lua_State* L, const std::string& format, int firstValue) {
  std::string out;
  int next = firstValue;
  for (std::size_t i = 0; i < format.size() && out.size() <= kDebugTextLimit;) {
    if (format[i] != '%') {
      append(out, std::string_view(&format[i], 1));
      ++i;
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '%') {
      append(out, "%");
      i += 2;
      continue;
    }
    const Conversion c = parseConversion(format, i);
    if (!c.type) {  // not a conversion: the '%' is plain text
      append(out, "%");
      ++i;
      continue;
    }
    // Only values that were passed are read: a format may ask for more.
    const int value = next++;
    const bool present = value <= lua_gettop(L);
    if (c.type == 's') {
      std::size_t length = 0;
      const char* text = present && toTextArg(L, value) ? lua_tolstring(L, value, &length) : nullptr;
      append(out, formatText(c, text, length));
    } else {
      append(out, formatNumber(c, present ? lua_tonumberx(L, value, nullptr) : 0.0));
    }
    i = c.end;
  }
  cutToLimit(out);
  return out;
}

}  // namespace rk::script
