// The GDI-style font factory and the outlined-glyph renderer over host/glyph:
// face names, the fallback face, bitmap sizes and colours for single- and
// double-byte characters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "font/rk_font.h"
#include "font/rk_font_function.h"
#include "host/ui.h"
#include "support/error_log_capture.h"
#include "util/rk_text.h"

namespace {

using rk::font::createGdiFont;
using rk::font::createOutlineGlyphBitmap;
using rk::font::OutlineGlyphRecord;

struct Box {
  std::string text, caption;
  unsigned type;
};

class GlyphTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::ui::setMessageBoxSink([this](const std::string& text, const std::string& caption, unsigned type) {
      boxes.push_back({text, caption, type});
      return host::ui::IDOK;
    });
  }
  void TearDown() override { host::ui::setMessageBoxSink(nullptr); }

  // The one UTF-16 unit of a CP932 character.
  static char16_t unitOf(const char* cp932) { return static_cast<char16_t>(rk::util::toWideString(cp932).at(0)); }

  static std::uint32_t pixel(const host::glyph::Bitmap24& b, int x, int y) {
    const std::uint8_t* p = &b.pixels[static_cast<std::size_t>(y) * b.pitch + x * 3];
    return std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];  // 0xRRGGBB
  }

  rktest::ErrorLogCapture log;
  std::vector<Box> boxes;
};

TEST_F(GlyphTest, WindowsFaceNamesMapToInstalledFacesAndUnknownOnesFallBackWithALogEntry) {
  struct Case {
    const char* face;
    const char* family;  // expected installed family
    bool logged;
  };
  const Case cases[] = {
      {"ＭＳ ゴシック", "IPAGothic", false},
      {"MS Gothic", "IPAGothic", false},
      {"Courier New", "DejaVu Sans Mono", false},
      {"DejaVu Sans", "DejaVu Sans", false},
      {"", nullptr, false},  // no name asked: the default Japanese face, no complaint
      {"No Such Face At All", "IPAGothic", true},
      {"存在しない書体", "IPAGothic", true},
  };
  for (const Case& c : cases) {
    log.clear();
    rk::font::GdiFont font = createGdiFont(-16, c.face, 1);
    ASSERT_NE(font, nullptr) << c.face;
    if (c.family) EXPECT_EQ(host::glyph::familyName(*font), c.family) << c.face;
    EXPECT_EQ(log.text().find("rk::font::createGdiFont") != std::string::npos, c.logged) << c.face << log.text();
  }
}

TEST_F(GlyphTest, AFaceNameLongerThanALogicalFontHoldsIsCutNotOverrun) {
  // 40 bytes, with a double-byte character straddling byte 31.
  const std::string face = std::string(30, 'x') + "あ" + std::string(8, 'y');
  rk::font::GdiFont font = createGdiFont(-16, face.c_str(), 1);
  ASSERT_NE(font, nullptr);
  const std::string text = log.text();
  EXPECT_NE(text.find("\"" + std::string(30, 'x') + "\""), std::string::npos) << text;
}

TEST_F(GlyphTest, HeightIsMultipliedByTheQuality) {
  rk::font::GdiFont one = createGdiFont(-20, "MS Gothic", 1), two = createGdiFont(-20, "MS Gothic", 2);
  ASSERT_TRUE(one && two);
  const auto m1 = host::glyph::textMetrics(*one), m2 = host::glyph::textMetrics(*two);
  EXPECT_NEAR(m2.height, 2 * m1.height, 2);
}

TEST_F(GlyphTest, SingleAndDoubleByteCharactersGiveOutlinedBitmapsOfTheExpectedSizes) {
  struct Case {
    const char* character;
    int pen, quality;
  };
  const Case cases[] = {{"A", 1, 1}, {"A", 3, 2}, {"あ", 2, 1}, {"漢", 2, 3}, {"ア", 0, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.character) + " pen " + std::to_string(c.pen) + " q " + std::to_string(c.quality));
    rk::font::GdiFont font = createGdiFont(-24, "ＭＳ ゴシック", c.quality);
    ASSERT_NE(font, nullptr);
    const char16_t unit = unitOf(c.character);
    host::glyph::GlyphMetrics metrics;
    ASSERT_TRUE(host::glyph::glyphMetrics(*font, unit, &metrics));
    const auto text = host::glyph::textMetrics(*font);

    OutlineGlyphRecord record;
    rk::font::FontRect cell;
    auto bitmap = createOutlineGlyphBitmap(unit, font, nullptr, c.pen, 0, 0, c.quality, &cell, &record);
    ASSERT_NE(bitmap, nullptr);
    const int q = c.quality;
    const int w = q * ((static_cast<int>(metrics.blackBoxX) + c.pen + q - 1) / q);
    const int h = q * ((static_cast<int>(metrics.blackBoxY) + c.pen + q - 1) / q);
    EXPECT_EQ(bitmap->width, w);
    EXPECT_EQ(bitmap->height, h);
    EXPECT_EQ(bitmap->pitch, (w * 3 + 3) & ~3);

    EXPECT_EQ(record.width, w / q);
    EXPECT_EQ(record.height, h / q);
    EXPECT_EQ(record.quality, q);
    EXPECT_EQ(record.pixels, bitmap->pixels.data());
    EXPECT_EQ(record.pitch, bitmap->pitch);
    EXPECT_EQ(record.outlineMask, 0xFF000000u);
    EXPECT_EQ(record.fillMask, 0xFFFFFFFFu);
    const int half = c.pen / 2;
    EXPECT_EQ(record.originX, metrics.originX - half);
    EXPECT_EQ(record.originY, text.ascent - half - metrics.originY);
    EXPECT_EQ(record.extentX, metrics.originX + static_cast<int>(metrics.blackBoxX) + half);
    EXPECT_EQ(record.extentY, text.ascent - metrics.originY + static_cast<int>(metrics.blackBoxY) + half);
    EXPECT_EQ(record.glyph.cellIncX, metrics.cellIncX);

    EXPECT_EQ(cell.left, record.originX / q);
    EXPECT_EQ(cell.top, record.originY / q);
    EXPECT_EQ(cell.right, record.originX / q + (metrics.cellIncX + c.pen) / q);
    EXPECT_EQ(cell.bottom, record.originY / q + (text.height + c.pen) / q);

    // Only the three colours: blue background, red inside, green outline (with a pen).
    int blue = 0, red = 0, green = 0, other = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const std::uint32_t p = pixel(*bitmap, x, y);
        (p == 0x0000FF ? blue : p == 0xFF0000 ? red : p == 0x00FF00 ? green : other)++;
      }
    EXPECT_EQ(other, 0);
    EXPECT_GT(blue, 0);
    EXPECT_GT(red + green, w * h / 20);
    if (c.pen > 0) EXPECT_GT(green, 0);
  }
  EXPECT_TRUE(boxes.empty());
}

TEST_F(GlyphTest, ACharacterTheFaceCannotRenderShowsTheFontErrorBoxAndGivesNoBitmap) {
  rk::font::GdiFont font = createGdiFont(-16, "Courier New", 1);
  ASSERT_NE(font, nullptr);
  OutlineGlyphRecord record;
  rk::font::FontRect cell{7, 7, 7, 7};
  EXPECT_EQ(createOutlineGlyphBitmap(u'\uE000', font, nullptr, 1, 0, 0, 1, &cell, &record), nullptr);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "フォントエラー");
  EXPECT_EQ(boxes[0].text, "アウトラインフォントに対応していません。");
  EXPECT_EQ(boxes[0].type, host::ui::MB_ICONINFORMATION);
  EXPECT_EQ(cell.left, 7);  // untouched
  EXPECT_EQ(record.pixels, nullptr);

  // A null font is the same failure, never a crash.
  EXPECT_EQ(createOutlineGlyphBitmap(u'A', nullptr, nullptr, 1, 0, 0, 1, nullptr, nullptr), nullptr);
  EXPECT_EQ(boxes.size(), 2u);
}

}  // namespace
