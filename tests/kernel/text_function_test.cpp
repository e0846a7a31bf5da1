#include <gtest/gtest.h>

#include "font/rk_font_function.h"
#include "util/rk_text.h"

namespace {

TEST(TextFunctions, FontHeight) {
  struct Case {
    int size, pen, quality, expected;
  } cases[] = {{33, 3, 2, 15}, {64, 1, 1, 64}, {-7, 3, 2, -4}, {10, 0, 0, 10}, {10, 2, -1, 9}};
  for (const auto& c : cases)
    EXPECT_EQ(rk::font::calcFontHeight(c.size, c.pen, c.quality), c.expected) << c.size << " " << c.pen << " " << c.quality;
}

TEST(TextFunctions, PixelToPointRoundsHalvesAwayFromZero) {
  struct Case {
    int pixels, points;
  } cases[] = {{16, 12}, {2, 2}, {64, 48}, {1, 1}, {0, 0}, {-2, -2}, {-1, -1}, {6, 5}};
  for (const auto& c : cases) EXPECT_EQ(rk::util::pixelToPoint(c.pixels), c.points) << c.pixels;
}

TEST(TextFunctions, ToWideString) {
  EXPECT_EQ(rk::util::toWideString("abc"), L"abc");
  EXPECT_EQ(rk::util::toWideString("エラー"), L"\u30A8\u30E9\u30FC");
  EXPECT_EQ(rk::util::toWideString(std::string("\x82", 1)), L"");  // cut in the middle of a character
}

}  // namespace
