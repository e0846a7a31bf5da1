#include "host/glyph.h"

#include <gtest/gtest.h>

namespace {

using namespace host::glyph;

std::shared_ptr<Font> make(const char* face, int height) {
  FontDesc desc;
  desc.faceName = face;
  desc.height = height;
  return createFont(desc);
}

TEST(GlyphTest, FaceNamesAreLookedUpFromTheirCp932Spelling) {
  struct Case { const char* face; const char* family; };
  for (Case c : {Case{"IPAGothic", "IPAGothic"}, Case{"IPAゴシック", "IPAGothic"},
                 Case{"DejaVu Sans", "DejaVu Sans"}, Case{"NoSuchFaceAnywhere", "IPAGothic"}}) {
    auto font = make(c.face, -16);
    ASSERT_TRUE(font) << c.face;
    EXPECT_EQ(familyName(*font), c.family) << c.face;
    EXPECT_FALSE(fileName(*font).empty());
  }
}

TEST(GlyphTest, NegativeHeightIsTheEmPositiveHeightTheCell) {
  for (const char* face : {"IPAGothic", "DejaVu Sans"}) {
    auto em = make(face, -32);
    ASSERT_TRUE(em);
    TextMetrics t = textMetrics(*em);
    EXPECT_EQ(t.height, t.ascent + t.descent);
    EXPECT_EQ(t.height - t.internalLeading, 32) << face;
    EXPECT_GT(t.aveCharWidth, 0);
    EXPECT_GE(t.maxCharWidth, t.aveCharWidth);

    auto cell = make(face, 40);
    ASSERT_TRUE(cell);
    EXPECT_NEAR(textMetrics(*cell).height, 40, 1) << face;
  }
}

TEST(GlyphTest, GlyphMetricsFollowTheOutline) {
  auto font = make("IPAGothic", -32);
  ASSERT_TRUE(font);
  GlyphMetrics wide, narrow, blank;
  ASSERT_TRUE(glyphMetrics(*font, u'あ', &wide));
  ASSERT_TRUE(glyphMetrics(*font, u'i', &narrow));
  ASSERT_TRUE(glyphMetrics(*font, u' ', &blank));
  EXPECT_EQ(wide.cellIncX, 32);  // full width
  EXPECT_EQ(narrow.cellIncX, 16);  // half width
  EXPECT_GT(wide.blackBoxX, narrow.blackBoxX);
  EXPECT_GT(wide.originY, 0);
  EXPECT_LE(static_cast<int>(wide.blackBoxY), 32);
  EXPECT_EQ(blank.blackBoxX, 1u);
  EXPECT_EQ(blank.blackBoxY, 1u);
  EXPECT_EQ(blank.cellIncX, 16);
  EXPECT_FALSE(glyphMetrics(*font, char16_t(0xE123), &blank));  // private use: no glyph
}

struct Counts { int background = 0, stroke = 0, fill = 0, other = 0; };

Counts count(const Bitmap24& b) {
  Counts c;
  for (int row = 0; row < b.height; ++row)
    for (int col = 0; col < b.width; ++col) {
      const std::uint8_t* p = &b.pixels[row * b.pitch + col * 3];
      if (p[0] == 0xFF && p[1] == 0 && p[2] == 0) ++c.background;
      else if (p[0] == 0 && p[1] == 0xFF && p[2] == 0) ++c.stroke;
      else if (p[0] == 0 && p[1] == 0 && p[2] == 0xFF) ++c.fill;
      else ++c.other;
    }
  return c;
}

TEST(GlyphTest, OutlineGlyphIsStrokedInGreenAndFilledInRedOnBlue) {
  auto font = make("IPAGothic", -64);
  ASSERT_TRUE(font);
  Bitmap24 thin, thick;
  thin.width = thick.width = 70;
  thin.height = thick.height = 70;
  ASSERT_TRUE(drawOutlineGlyph(*font, u'■', 1, 0, 0, 0xFF0000, 0x00FF00, 0x0000FF, &thin));
  ASSERT_TRUE(drawOutlineGlyph(*font, u'■', 6, 0, 0, 0xFF0000, 0x00FF00, 0x0000FF, &thick));
  EXPECT_EQ(thin.pitch, 212);  // 70 × 3 rounded up to four bytes
  ASSERT_EQ(thin.pixels.size(), 212u * 70u);
  Counts a = count(thin), b = count(thick);
  EXPECT_EQ(a.other, 0);
  EXPECT_GT(a.fill, 1000);
  EXPECT_GT(a.stroke, 0);
  EXPECT_GT(b.stroke, 2 * a.stroke);  // a wider pen covers more
  EXPECT_LT(b.fill, a.fill);
  // Top-left corner stays background; the square's centre is filled.
  const std::uint8_t* corner = &thin.pixels[0];
  EXPECT_EQ(corner[0], 0xFF);
  int centre = 0;
  for (int row = 20; row < 40; ++row)
    for (int col = 20; col < 40; ++col) centre += thin.pixels[row * thin.pitch + col * 3 + 2] == 0xFF;
  EXPECT_GT(centre, 300);
}

TEST(GlyphTest, TheCellPositionMovesTheGlyphAndAMissingGlyphLeavesBackground) {
  auto font = make("IPAGothic", -32);
  ASSERT_TRUE(font);
  Bitmap24 left, right;
  left.width = right.width = 80;
  left.height = right.height = 40;
  ASSERT_TRUE(drawOutlineGlyph(*font, u'■', 1, 0, 0, 0xFF0000, 0x00FF00, 0x0000FF, &left));
  ASSERT_TRUE(drawOutlineGlyph(*font, u'■', 1, 40, 0, 0xFF0000, 0x00FF00, 0x0000FF, &right));
  auto redIn = [](const Bitmap24& b, int from, int to) {
    int n = 0;
    for (int row = 0; row < b.height; ++row)
      for (int col = from; col < to; ++col) n += b.pixels[row * b.pitch + col * 3 + 2] == 0xFF;
    return n;
  };
  EXPECT_GT(redIn(left, 0, 40), 0);
  EXPECT_EQ(redIn(left, 40, 80), 0);
  EXPECT_EQ(redIn(right, 0, 40), 0);
  EXPECT_GT(redIn(right, 40, 80), 0);

  Bitmap24 none;
  none.width = none.height = 8;
  EXPECT_FALSE(drawOutlineGlyph(*font, char16_t(0xE123), 1, 0, 0, 0xFF0000, 0x00FF00, 0x0000FF, &none));
  EXPECT_EQ(count(none).background, 64);
}

TEST(GlyphTest, RowsRunTopDownWithTheBaselineOneAscentBelowTheCellTop) {
  auto font = make("IPAGothic", -48);
  ASSERT_TRUE(font);
  const TextMetrics t = textMetrics(*font);
  for (char16_t unit : {u'▲', u'g', u'ー'}) {
    GlyphMetrics g;
    ASSERT_TRUE(glyphMetrics(*font, unit, &g));
    Bitmap24 b;
    b.width = 60;
    b.height = 60;
    ASSERT_TRUE(drawOutlineGlyph(*font, unit, 1, 0, 0, 0xFF0000, 0x0000FF, 0x0000FF, &b));
    int first = -1, last = -1;
    for (int row = 0; row < b.height; ++row)
      for (int col = 0; col < b.width; ++col)
        if (b.pixels[row * b.pitch + col * 3 + 2] == 0xFF) {
          if (first < 0) first = row;
          last = row;
        }
    EXPECT_NEAR(first, t.ascent - g.originY, 1) << int(unit);
    EXPECT_NEAR(last + 1, t.ascent - g.originY + static_cast<int>(g.blackBoxY), 1) << int(unit);
  }
}

}  // namespace
