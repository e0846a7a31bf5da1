// Code-page conversion. Stands in for MultiByteToWideChar / WideCharToMultiByte
// with the ANSI code page of the original program, CP932 (Shift-JIS).
// Narrow strings inside the program are CP932; the operating system wants UTF-8.
// Wide strings are wchar_t strings holding Unicode code points (every CP932
// character lies in the Basic Multilingual Plane, so they equal UTF-16 units).
#pragma once
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

}  // namespace host::text
