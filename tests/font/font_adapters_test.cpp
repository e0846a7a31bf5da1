// The fixed-pitch GDI-style adapter and the outline font: sizes, rebuilds,
// glyph caches and layout, measured without a device.
#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include "font/directx_font/rk_directx_outline_font.h"
#include "font/directx_font/rk_poly_font.h"
#include "font/rk_font_leaf.h"
#include "gfx/gfx_model_command/rk_window_context.h"
#include "gfx/rk_color_ops.h"
#include "host/ui.h"
#include "kernel/rk_device_context.h"
#include "support/error_log_capture.h"

namespace {

using rk::font::DirectXOutlineFont;
using rk::font::FFontAdapter;
using rk::font::FontRect;

class FontAdapters : public ::testing::Test {
 protected:
  void SetUp() override {
    host::ui::setMessageBoxSink([this](const std::string&, const std::string& caption, unsigned) {
      captions.push_back(caption);
      return host::ui::IDOK;
    });
  }
  void TearDown() override { host::ui::setMessageBoxSink(nullptr); }

  rktest::ErrorLogCapture log;
  std::vector<std::string> captions;
};

TEST_F(FontAdapters, GdiAdapterSizesFollowTheSettersAndARebuildGivesEightBySixteenCells) {
  FFontAdapter font;
  EXPECT_EQ(font.getFontSize()->x, 32.0f);
  EXPECT_EQ(font.getFontSize()->y, 64.0f);
  EXPECT_EQ(font.points(), 48);

  font.setFontSizePt(24);
  EXPECT_EQ(font.height(), -32);
  EXPECT_EQ(font.width(), -16);
  EXPECT_EQ(font.getFontSize()->x, -16.0f);
  EXPECT_EQ(font.getFontSize()->y, -32.0f);

  font.setFontSizePx(20);
  EXPECT_EQ(font.points(), 15);
  EXPECT_EQ(font.getFontSize()->x, 10.0f);
  EXPECT_EQ(font.getFontSize()->y, 20.0f);
  EXPECT_FALSE(font.hasFont());  // the setters never rebuild

  EXPECT_TRUE(font.initUpdate("ＭＳ ゴシック"));
  EXPECT_STREQ(font.getFontName(), "ＭＳ ゴシック");
  EXPECT_TRUE(font.hasFont());
  EXPECT_EQ(font.getFontSize()->x, 8.0f);
  EXPECT_EQ(font.getFontSize()->y, 16.0f);
  EXPECT_EQ(font.glyphCount(), 1u);  // the space

  font.setFontName(nullptr);
  EXPECT_STREQ(font.getFontName(), "");
  font.release();
  EXPECT_FALSE(font.hasFont());
}

TEST_F(FontAdapters, GdiAdapterLaysTextOutInCellsAndLeavesTheColourStateAlone) {
  FFontAdapter font;
  ASSERT_TRUE(font.initUpdate("MS Gothic"));
  rk::DeviceContext* context = rk::DeviceContext::getInstance();
  const rk::ColorStateBackup before = context->backupColorState();
  context->setColorState(true, 0x80112233u);

  // Two characters at cell (1, 2): the pen starts at (8, 32) and moves 8 per
  // character; each glyph's rectangle is (0, 0, 16, 32) from the pen.
  FontRect rect{};
  font.calcSize(&rect, 1, 2, "あb");
  EXPECT_EQ(rect.left, 8);
  EXPECT_EQ(rect.top, 32);
  EXPECT_EQ(rect.right, 8 + 8 + 16);
  EXPECT_EQ(rect.bottom, 64);
  EXPECT_EQ(font.glyphCount(), 3u);  // space, あ, b: one leaf per code unit

  font.print(0, 0, "xyz", 0xFFFFFFFFu, 0, 0);
  EXPECT_EQ(font.glyphCount(), 6u);
  EXPECT_TRUE(context->isUseColor());
  EXPECT_EQ(rk::gfx::colorToArgb(context->colorState()), 0x80112233u);
  context->restoreColorState(before);
}

TEST_F(FontAdapters, OutlineFontStartsAtItsDefaultsAndRebuildsWithTheSpaceAdvance) {
  DirectXOutlineFont font;
  EXPECT_EQ(font.getFontSize()->x, 21.0f);
  EXPECT_EQ(font.getFontSize()->y, 42.0f);
  EXPECT_EQ(font.penSize(), 1);
  EXPECT_EQ(font.quality(), 1);

  font.setFontSizePx(32);
  EXPECT_EQ(font.getFontSize()->x, 16.0f);
  EXPECT_EQ(font.getFontSize()->y, 32.0f);
  font.setFontSizePt(24);  // 32 pixels
  EXPECT_EQ(font.getFontSize()->y, 32.0f);

  font.setPenSize(2);
  font.setQuarity(2);
  EXPECT_TRUE(font.initUpdate("ＭＳ ゴシック"));
  ASSERT_NE(font.glyph(u' '), nullptr);
  EXPECT_EQ(font.getFontSize()->x, font.glyph(u' ')->advance());
  EXPECT_GT(font.getFontSize()->x, 0.0f);
  EXPECT_EQ(font.getFontSize()->y, 32.0f);

  FontRect rect{};
  font.calcSize(&rect, 0, 0, "Aあ");
  EXPECT_EQ(font.glyphCount(), 3u);
  EXPECT_TRUE(font.changeFont());
  EXPECT_EQ(font.glyphCount(), 1u);  // only the space again
  EXPECT_TRUE(captions.empty());
}

TEST_F(FontAdapters, OutlineFontMeasuresFullWidthJapaneseTwiceAsWideAsLatin) {
  DirectXOutlineFont font;
  font.setFontSizePx(32);
  font.setPenSize(0);
  ASSERT_TRUE(font.initUpdate("ＭＳ ゴシック"));
  const float latin = font.glyph(u' ')->advance();
  FontRect a{}, ja{}, both{};
  font.calcSize(&a, 0, 0, "A");
  font.calcSize(&ja, 0, 0, "あ");
  font.calcSize(&both, 0, 0, "AAあ");
  ASSERT_NE(font.glyph(u'あ'), nullptr);
  EXPECT_NEAR(font.glyph(u'あ')->advance(), 2 * latin, 1.0f);
  EXPECT_NEAR(font.glyph(u'A')->advance(), latin, 1.0f);
  EXPECT_GT(a.right, a.left);
  EXPECT_GT(ja.right - ja.left, a.right - a.left);
  // The union: starts with the first A, ends with あ two advances further.
  EXPECT_EQ(both.left, a.left);
  EXPECT_EQ(both.right, ja.right + 2 * static_cast<int>(latin));
  EXPECT_GE(both.bottom - both.top, ja.bottom - ja.top);

  // A cell offset moves the measurement by whole cells.
  FontRect moved{};
  font.calcSize(&moved, 2, 1, "A");
  EXPECT_EQ(moved.left, a.left + 2 * static_cast<int>(font.getFontSize()->x));
  EXPECT_EQ(moved.top, a.top + 32);
}

TEST_F(FontAdapters, OutlineFontSkipsCharactersItCannotRenderByTheSpaceAdvance) {
  DirectXOutlineFont font;
  font.setFontSizePx(20);
  ASSERT_TRUE(font.initUpdate("Courier New"));
  FontRect plain{}, gap{};
  font.calcSize(&plain, 0, 0, "AB");
  font.calcSize(&gap, 0, 0, "A\xEE\x80\x80");  // one glyph the face lacks, then nothing
  EXPECT_EQ(font.glyph(u'\uE000'), nullptr);
  EXPECT_EQ(captions.size(), 0u);  // that byte pair is no CP932 character: nothing to render
  std::string text = "A";
  text += static_cast<char>(0x82), text += static_cast<char>(0xA0);  // あ, which the Latin face lacks
  text += "B";
  font.calcSize(&gap, 0, 0, text.c_str());
  ASSERT_EQ(captions.size(), 1u);
  EXPECT_EQ(captions[0], "フォントエラー");
  EXPECT_EQ(font.glyph(u'あ'), nullptr);
  // A, then one space advance for あ, then B.
  const int advance = static_cast<int>(font.glyph(u' ')->advance());
  EXPECT_EQ(gap.right - plain.right, advance);
  // Tried once: drawing it again shows no second box; a rebuild tries again.
  font.calcSize(&gap, 0, 0, text.c_str());
  font.print(0, 0, text.c_str(), 0xFFFFFFFFu, 0, 0);
  EXPECT_EQ(captions.size(), 1u);
  font.changeFont();
  font.calcSize(&gap, 0, 0, text.c_str());
  EXPECT_EQ(captions.size(), 2u);
}

TEST_F(FontAdapters, OutlineFontInAWindowContextUsesTheContextFontsCellHeight) {
  DirectXOutlineFont font;
  font.setFontSizePx(16);
  ASSERT_TRUE(font.initUpdate("MS Gothic"));
  rk::gfx::gfx_model_command::WindowContext context;
  context.font = boost::make_shared<rk::font::RKFont>();
  // Without an adapter the context font answers a zero size and logs.
  font.stringPrint(&context, 1, 1, "A", 0);
  EXPECT_EQ(log.entries("rk::font::RKFont::getFontSize"), 1u);
}

}  // namespace

namespace {

TEST(FontLeaf12Test, AnImagelessGlyphHasFixedMetricsAndNoTexels) {
  auto* leaf = new rk::font::FontLeaf12();
  leaf->addRef();
  rk::font::FontRect r{};
  leaf->getRect(&r);
  EXPECT_EQ(r.right, 16);
  EXPECT_EQ(r.bottom, 32);
  EXPECT_EQ(leaf->advance(), 8.0f);
  EXPECT_EQ(leaf->height(), 16);
  EXPECT_FALSE(leaf->isCreated());
  EXPECT_FALSE(leaf->isReady());
  rk::math::Vector4 uv{9, 9, 9, 9};
  leaf->getUV(&uv);  // without a texture: zeros, not a division by zero
  EXPECT_EQ(uv.x, 0.0f);
  EXPECT_EQ(uv.w, 0.0f);
  leaf->release("font_adapters_test", 1);
}

}  // namespace
