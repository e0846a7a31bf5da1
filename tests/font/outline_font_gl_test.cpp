// Text drawn through the outline font lands on the screen where its layout
// puts it: Latin and Japanese glyphs, in the text colour.
#include <gtest/gtest.h>

#include "font/directx_font/rk_directx_outline_font.h"
#include "font/rk_font_leaf.h"
#include "gl_screen_rig.h"

namespace {

using fonttest::GlScreen;
using OutlineFontGl = GlScreen;

TEST_F(OutlineFontGl, LatinAndJapaneseTextAppearsInsideItsMeasuredRectangle) {
  rk::font::DirectXOutlineFont font;
  font.setFontSizePx(32);
  font.setPenSize(0);
  ASSERT_TRUE(font.initUpdate("ＭＳ ゴシック"));
  // Cell (1, 1): the pen starts one cell in and one row (32 pixels) down.
  rk::font::FontRect all{}, latin{};
  font.calcSize(&all, 1, 1, "Hあ");
  font.calcSize(&latin, 1, 1, "H");
  const int cellX = static_cast<int>(font.getFontSize()->x);
  ASSERT_GT(cellX, 0);

  beginOverlay();
  font.print(1, 1, "Hあ", 0xFFFFFFFFu, 0, 0);
  const auto pixels = readBack();

  const int inside = litIn(pixels, all.left, all.top, all.right, all.bottom);
  EXPECT_GT(inside, 60);
  EXPECT_EQ(litIn(pixels, 0, 0, kWidth, kHeight), inside);  // nothing outside the measured rectangle
  // Both halves carry their glyph: H left of where あ's cell starts, あ right of it.
  const int split = latin.left + static_cast<int>(font.glyph(u'H')->advance()) - font.glyph(u'H')->rect()->left;
  EXPECT_GT(litIn(pixels, all.left, all.top, split, all.bottom), 20);
  EXPECT_GT(litIn(pixels, split, all.top, all.right, all.bottom), 40);
  // The glyph rows start below the first text row (y ≥ 32).
  EXPECT_EQ(litIn(pixels, 0, 0, kWidth, 32), 0);
  // White text: the brightest pixel is white.
  std::uint32_t brightest = 0;
  for (std::uint32_t p : pixels) brightest = std::max(brightest, p & 0x00FFFFFFu);
  EXPECT_EQ(brightest, 0x00FFFFFFu);
}

TEST_F(OutlineFontGl, TheOutlineIsDrawnDarkAroundATintedInside) {
  rk::font::DirectXOutlineFont font;
  font.setFontSizePx(48);
  font.setPenSize(3);
  ASSERT_TRUE(font.initUpdate("MS Gothic"));
  context->beginCommandList(nullptr, false, false);
  context->drawRect2D({0, 0, kWidth, kHeight}, 0xFFFFFFFFu);  // white screen: the black outline shows
  font.print(0, 0, "■", 0xFFFF0000u, 0, 0);                      // a red square inside
  const auto pixels = readBack();
  int red = 0, black = 0;
  for (std::uint32_t p : pixels) {
    const std::uint32_t rgb = p & 0x00FFFFFFu;
    red += rgb == 0x000000FFu;  // read back as R in the low byte
    black += rgb == 0;
  }
  EXPECT_GT(red, 200);
  EXPECT_GT(black, 40);
}

}  // namespace
