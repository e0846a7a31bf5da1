// Code-page conversion. Stands in for MultiByteToWideChar / WideCharToMultiByte
// with the ANSI code page of the original program, CP932 (Shift-JIS).
// Narrow strings inside the program are CP932; the operating system wants UTF-8.
// Wide strings are wchar_t strings holding Unicode code points (every CP932
// character lies in the Basic Multilingual Plane, so they equal UTF-16 units).
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace host::text {

// Each conversion returns the whole converted text, or an empty string when the
// input holds a sequence that cannot be converted (as MultiByteToWideChar fails
// with MB_ERR_INVALID_CHARS). Empty input gives empty output.
std::wstring cp932ToWide(std::string_view cp932);
std::string wideToCp932(std::wstring_view wide);
std::string cp932ToUtf8(std::string_view cp932);
std::string utf8ToCp932(std::string_view utf8);

// Lossy variant for the runtime's wide-to-multibyte conversion (wcstombs): converts
// up to the first character that cannot be converted and stops there.
std::string wideToCp932Prefix(std::wstring_view wide);

// CP932 byte classes: a lead byte opens a double-byte character (0x81-0x9F,
// 0xE0-0xFC); a trail byte may close one (0x40-0x7E, 0x80-0xFC).
constexpr bool isLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
constexpr bool isTrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// Byte length of the character at `at`: 2 for a lead byte with a byte after
// it, else 1 (a lead byte that ends the text stands alone).
std::size_t charLength(std::string_view cp932, std::size_t at);

// The longest prefix of at most `limit` bytes that does not split a
// double-byte character.
std::size_t fitLength(std::string_view cp932, std::size_t limit);

}  // namespace host::text
