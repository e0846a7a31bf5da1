// Text helpers used wherever text meets a wide-character interface.
#pragma once
#include <string>

namespace rk::util {

// Multibyte (CP932) text to wide text; empty when the conversion fails.
std::wstring toWideString(const std::string& text);

// Pixels to points at 96 dpi: pixels × 72 ÷ 96, halves rounded away from zero.
int pixelToPoint(int pixels);

}  // namespace rk::util
