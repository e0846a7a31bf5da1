#include "util/rk_text.h"

#include "host/text.h"

namespace rk::util {

std::wstring toWideString(const std::string& text) { return host::text::cp932ToWide(text); }

int pixelToPoint(int pixels) {
  // Exact integer rounding of pixels * 3 / 4 (= * 72 / 96), halves away from zero.
  long long scaled = static_cast<long long>(pixels) * 72;
  long long q = scaled / 96, r = scaled % 96;
  if (2 * r >= 96) ++q;
  if (2 * r <= -96) --q;
  return static_cast<int>(q);
}

}  // namespace rk::util
