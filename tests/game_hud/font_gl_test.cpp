// The fonts on the OpenGL back end: a CP932 line of one- and two-byte
// characters lands on the screen cell by cell, each cell showing its own
// glyph in the text colour, and nothing is drawn outside the measured line.
#include <gtest/gtest.h>

#include "font/game_font_adapter.h"
#include "font/initial_font_adapter.h"
#include "font_rig.h"

namespace fonttest {
namespace {

class FontGl : public FontGlRig {
 protected:
  static constexpr int kScreenW = kW, kScreenH = kH;
  // The pixels of a rectangle, as lit (1) or dark (0), row by row.
  static std::vector<int> pattern(const std::vector<std::uint32_t>& pixels, int x0, int y0, int x1, int y1) {
    std::vector<int> out;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) out.push_back((pixels[y * kW + x] & 0x00FFFFFFu) != 0);
    return out;
  }
};

int lit(const std::vector<int>& cell) {
  int count = 0;
  for (int p : cell) count += p;
  return count;
}

TEST_F(FontGl, TheGameFontDrawsALineOfSingleAndDoubleByteCharacters) {
  font::GameFontAdapter adapter;
  adapter.setFontSizePx(24);  // cells 12 x 24
  adapter.initUpdate("org font");
  ASSERT_TRUE(runUntil([&] { return adapter.isReady(); }));
  // Cells: "A" 0..12, "A" 12..24, "あ" 24..48, the space 48..60, "B" from 60
  // (outside the 64-pixel screen but for four columns).
  const char* line = "AAあ B";
  rk::font::FontRect measured;
  adapter.calcSize(&measured, 0, 0, "AAあ");
  EXPECT_EQ(measured.right, 48);
  EXPECT_EQ(measured.bottom, 24);
  const std::vector<std::uint32_t> pixels = frame([&] { adapter.print(0, 0, line, 0xFFFF0000u, 0, 0); });

  const std::vector<int> a1 = pattern(pixels, 0, 0, 12, 24), a2 = pattern(pixels, 12, 0, 24, 24);
  const std::vector<int> kana = pattern(pixels, 24, 0, 48, 24);
  EXPECT_GT(lit(a1), 20);
  EXPECT_EQ(a1, a2) << "the same glyph in the next cell";
  EXPECT_GT(lit(kana), 40);
  EXPECT_EQ(lit(pattern(pixels, 48, 0, 60, 24)), 0) << "a space draws nothing";
  EXPECT_EQ(lit(pattern(pixels, 0, 24, kScreenW, kScreenH)), 0) << "nothing below the line";
  // Red text on black: only the red channel lights up, fully at the strokes.
  std::uint32_t brightest = 0;
  for (std::uint32_t p : pixels) {
    EXPECT_EQ(p & 0x00FFFF00u, 0u);
    brightest = std::max(brightest, p & 0xFFu);
  }
  EXPECT_EQ(brightest, 0xFFu);
}

TEST_F(FontGl, TheGameFontShowsEachCharactersOwnGlyph) {
  font::GameFontAdapter adapter;
  adapter.setFontSizePx(24);
  adapter.initUpdate("org font");
  ASSERT_TRUE(runUntil([&] { return adapter.isReady(); }));
  const std::vector<std::uint32_t> pixels = frame([&] { adapter.print(0, 0, "AB\nアイ", 0xFFFFFFFFu, 0, 0); });
  const std::vector<int> a = pattern(pixels, 0, 0, 12, 24), b = pattern(pixels, 12, 0, 24, 24);
  const std::vector<int> ka = pattern(pixels, 0, 24, 24, 48), ki = pattern(pixels, 24, 24, 48, 48);
  EXPECT_GT(lit(a), 20);
  EXPECT_GT(lit(b), 20);
  EXPECT_NE(a, b);
  EXPECT_GT(lit(ka), 20);
  EXPECT_GT(lit(ki), 20);
  EXPECT_NE(ka, ki);
}

TEST_F(FontGl, TheInitialFontDrawsItsFullWidthCharacters) {
  font::InitialFontAdapter adapter;
  adapter.initUpdate("initial font");
  ASSERT_TRUE(runUntil([&] { return adapter.isReady(); }));
  const std::vector<std::uint32_t> pixels = frame([&] { adapter.print(0, 0, "Ａ１", 0xFFFFFFFFu, 0, 0); });
  const std::vector<int> a = pattern(pixels, 0, 0, 32, 32), one = pattern(pixels, 32, 0, 64, 32);
  EXPECT_GT(lit(a), 40);
  EXPECT_GT(lit(one), 20);
  EXPECT_NE(a, one);
  EXPECT_EQ(lit(pattern(pixels, 0, 32, kScreenW, kScreenH)), 0);
}

}  // namespace
}  // namespace fonttest
