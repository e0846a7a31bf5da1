// The game font adapter over the generated pages: it loads its 26 pages and
// enters the row strings, draws nothing until every page is on the GPU, then
// draws each glyph of a screen print as its own textured strip and batches a
// window print into one indexed draw per page; a missing or damaged page is
// reported once and leaves the font drawing nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "font/game_font_adapter.h"
#include "font_rig.h"
#include "gfx/gfx_model_command/rk_window_context.h"

namespace fonttest {
namespace {

using GameFont = FontRig;

std::uint32_t codeOf(const char* character) {
  return font::characterCode(character, 0, font::characterLength(character, 0));
}

std::string storedName(const char* requested) {
  const std::string name = requested;
  return name.substr(0, name.rfind('.')) + ".dds";
}

std::vector<rk::gfx::RkTexture*> pagesOf(const font::GameFontAdapter& adapter) {
  std::vector<rk::gfx::RkTexture*> pages;
  for (int n = 0; n < 26; ++n) pages.push_back(adapter.page(n));
  return pages;
}

void expectFloats(const std::vector<float>& actual, const std::vector<float>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i) EXPECT_NEAR(actual[i], expected[i], 1e-5f) << "component " << i;
}

TEST_F(GameFont, InitUpdateLoadsTheTwentySixPagesAndEntersTheirCharacters) {
  font::GameFontAdapter adapter;
  EXPECT_EQ(adapter.getFontSize()->x, 32.0f);
  EXPECT_EQ(adapter.getFontSize()->y, 64.0f);
  EXPECT_TRUE(adapter.initUpdate("org font"));
  EXPECT_STREQ(adapter.getFontName(), "org font");
  EXPECT_EQ(adapter.glyphs().size(), 407u);
  for (int n = 0; n < 26; ++n) {
    ASSERT_NE(adapter.page(n), nullptr) << n;
    EXPECT_EQ(adapter.page(n)->info().name_, storedName(font::gameFontPages()[n].texture));
  }
  EXPECT_EQ(adapter.page(26), nullptr);

  // Again: each page is replaced by the same cached texture, and the old
  // reference is given back (no page is held twice).
  rk::gfx::RkTexture* first = adapter.page(0);
  const int references = first->count();
  EXPECT_TRUE(adapter.initUpdate("again"));
  EXPECT_EQ(adapter.page(0), first);
  EXPECT_EQ(first->count(), references);
  EXPECT_EQ(adapter.glyphs().size(), 407u);
  adapter.setFontName(nullptr);
  EXPECT_STREQ(adapter.getFontName(), "");
  EXPECT_TRUE(adapter.changeFont());
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(GameFont, NothingIsDrawnUntilEveryPageIsOnTheGpu) {
  font::GameFontAdapter adapter;
  adapter.initUpdate("org font");
  EXPECT_FALSE(adapter.isReady());
  rk::gfx::gfx_model_command::WindowContext window;
  showOverlay([&] {
    adapter.print(0, 0, "AB", 0xFFFFFFFFu, 0, 0);
    adapter.stringPrint(&window, 0, 0, "AB", 0);
  });
  EXPECT_TRUE(draws().empty());
  ASSERT_TRUE(runUntil([&] { return adapter.isReady(); }));
  showOverlay([&] { adapter.print(0, 0, "AB", 0xFFFFFFFFu, 0, 0); });
  EXPECT_EQ(draws().size(), 2u);
}

// Each drawn glyph: one four-vertex strip with its page's texture, at the pen,
// one or two cells wide; the byte 8 halves the next glyph's red, green and blue.
TEST_F(GameFont, AScreenPrintDrawsEachGlyphAsAStripOnItsPage) {
  font::GameFontAdapter adapter;
  adapter.initUpdate("org font");
  ASSERT_TRUE(runUntil([&] { return adapter.isReady(); }));
  const rk::ColorStateBackup before = context->backupColorState();
  // Cell (1, 1): the pen starts at (32, 64); a space takes one cell, "ｙ" (not on
  // any page) two, a line feed returns to x = 32 one line lower.
  showOverlay([&] { adapter.print(1, 1, "A\bあ ｙB\nC", 0x80FF4020u, 0, 0); });
  EXPECT_TRUE(context->pipelineStack().empty());
  EXPECT_EQ(context->isUseColor(), before.use_color);

  const rk::gfx::Color full(1.0f, 64 / 255.0f, 32 / 255.0f, 128 / 255.0f);
  const rk::gfx::Color half(0.5f, 32 / 255.0f, 16 / 255.0f, 128 / 255.0f);
  struct Expected {
    const char* character;
    float x0, y0, x1, y1;
    rk::gfx::Color color;
  } expected[] = {
      {"A", 32, 64, 64, 128, full},
      {"あ", 64, 64, 128, 128, half},
      {"B", 224, 64, 256, 128, full},
      {"C", 32, 128, 64, 192, full},
  };
  ASSERT_EQ(draws().size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    const Expected& e = expected[i];
    SCOPED_TRACE(e.character);
    const gpu::TraceDraw& d = draws()[i];
    const font::Glyph& g = adapter.glyphs().at(codeOf(e.character));
    EXPECT_EQ(d.pipeline, "PIPELINE_TRIANGLE_COLOR_UV");
    EXPECT_EQ(d.topology, gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
    EXPECT_FALSE(d.indexed);
    EXPECT_EQ(d.count, 4u);
    EXPECT_EQ(d.texture, idOf(adapter.page(g.page)));
    expectFloats(positionOf(d, 0), {e.x0, e.y0, 0});
    expectFloats(positionOf(d, 1), {e.x1, e.y0, 0});
    expectFloats(positionOf(d, 2), {e.x0, e.y1, 0});
    expectFloats(positionOf(d, 3), {e.x1, e.y1, 0});
    expectFloats(uvOf(d, 0), {g.left, g.top});
    expectFloats(uvOf(d, 3), {g.right, g.bottom});
    for (std::uint32_t v = 0; v < 4; ++v)
      expectFloats(colourOf(d, v), {e.color.getR(), e.color.getG(), e.color.getB(), e.color.getA()});
  }
  // The glyph buffers wait for the frame's end and are then given back.
  EXPECT_EQ(context->deferredReleaseCount(), 0u);
  EXPECT_TRUE(log.empty()) << log.text();
}

// A window print mirrors the pen into the window's upward y from the
// context's origin, tints with the product of the context's colours and draws
// each page's glyphs in one indexed draw; a clipped window draws masked.
TEST_F(GameFont, AWindowPrintBatchesTheGlyphsOfEachPage) {
  font::GameFontAdapter adapter;
  adapter.initUpdate("org font");
  ASSERT_TRUE(runUntil([&] { return adapter.isReady(); }));
  for (bool clip : {false, true}) {
    SCOPED_TRACE(clip);
    rk::gfx::gfx_model_command::WindowContext window;
    window.origin = rk::math::Vector4{10, 5, 0, 0};
    window.font_color = rk::gfx::Color(1.0f, 0.5f, 1.0f, 1.0f);
    window.base_color = rk::gfx::Color(1.0f, 1.0f, 0.5f, 1.0f);
    window.clip = clip;
    showOverlay([&] { adapter.stringPrint(&window, 0, 0, "AB\nあ\bC", 0); });
    EXPECT_TRUE(context->pipelineStack().empty());
    ASSERT_EQ(draws().size(), 2u);
    const gpu::TraceDraw& a = draws()[0].texture == idOf(adapter.page(0)) ? draws()[0] : draws()[1];
    const gpu::TraceDraw& kana = &a == &draws()[0] ? draws()[1] : draws()[0];
    EXPECT_EQ(kana.texture, idOf(adapter.page(8)));
    for (const gpu::TraceDraw* d : {&a, &kana}) {
      EXPECT_EQ(d->pipeline, clip ? "PIPELINE_STENCIL_VCUV_MASK" : "PIPELINE_TRIANGLE_COLOR_UV");
      EXPECT_TRUE(d->indexed);
      EXPECT_EQ(d->topology, gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    }
    // "A", "B" and "C" share page 0: three quads, indices b, b+1, b+2, b+2, b+1, b+3.
    EXPECT_EQ(a.indices, (std::vector<std::uint32_t>{0, 1, 2, 2, 1, 3, 4, 5, 6, 6, 5, 7, 8, 9, 10, 10, 9, 11}));
    EXPECT_EQ(kana.indices, (std::vector<std::uint32_t>{0, 1, 2, 2, 1, 3}));
    const font::Glyph& gA = adapter.glyphs().at('A');
    // "A": x from 10, top edge at y = 5, one cell (64) lower at -59.
    expectFloats(positionOf(a, 0), {10, -59, 0});
    expectFloats(positionOf(a, 1), {42, -59, 0});
    expectFloats(positionOf(a, 2), {10, 5, 0});
    expectFloats(positionOf(a, 3), {42, 5, 0});
    expectFloats(uvOf(a, 0), {gA.left, gA.bottom});
    expectFloats(uvOf(a, 3), {gA.right, gA.top});
    // The second line starts again at the origin's x: "あ" at 10, "C" after it.
    expectFloats(positionOf(kana, 0), {10, -123, 0});
    expectFloats(positionOf(kana, 3), {74, -59, 0});
    expectFloats(positionOf(a, 8), {74, -123, 0});
    // Tint (1, 0.5, 0.5, 1); "C" after the byte 8 at half brightness.
    const std::vector<float> tint = colourOf(a, 0), dim = colourOf(a, 8);
    expectFloats({tint[0], tint[3]}, {1.0f, 1.0f});
    EXPECT_NEAR(tint[1], 0.5f, 1.0f / 255);
    EXPECT_NEAR(dim[0], 0.5f, 1.0f / 255);
    EXPECT_NEAR(dim[1], 0.25f, 1.0f / 255);
    EXPECT_FLOAT_EQ(dim[3], 1.0f);
  }
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(GameFont, SizesAndMeasuresFollowTheCells) {
  font::GameFontAdapter adapter;
  rk::font::FontRect rect;
  adapter.calcSize(&rect, 0, 0, "AB");
  EXPECT_EQ(rect.right, 64);
  EXPECT_EQ(rect.bottom, 64);
  adapter.calcSize(&rect, 0, 0, "AB\nC");
  EXPECT_EQ(rect.bottom, 128);
  adapter.setFontSizePx(40);
  EXPECT_FLOAT_EQ(adapter.getFontSize()->x, 20.0f);
  EXPECT_FLOAT_EQ(adapter.getFontSize()->y, 40.0f);
  adapter.calcSize(&rect, 0, 0, "ア");
  EXPECT_EQ(rect.right, 40);
  adapter.setFontSizePt(12);  // not used by a bitmap font
  EXPECT_FLOAT_EQ(adapter.getFontSize()->y, 40.0f);
}

void damage(const std::string& path) {
  std::filesystem::resize_file(path, 100);  // cut inside the header
}

// A page that cannot be read is reported once by the texture layer; the font
// never becomes ready and draws nothing, while measuring goes on.
TEST_F(GameFont, AMissingOrDamagedPageIsReportedOnceAndTheFontDrawsNothing) {
  struct Case {
    const char* page;
    bool missing;
    const char* entry;
  } cases[] = {
      {"font03.dds", true, "rk::gfx::RkTextureManager::loadTexture"},
      {"kanji02_01.dds", false, "rk::DeviceContext::setupTexture"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    log.clear();
    const std::string path = data.file("textures/") + c.page;
    if (c.missing)
      std::filesystem::remove(path);
    else
      damage(path);
    {
      font::GameFontAdapter adapter;
      EXPECT_TRUE(adapter.initUpdate("org font"));
      ASSERT_TRUE(runUntilTexturesSetUp(pagesOf(adapter)));
      EXPECT_EQ(log.entries("rk::gfx::RkTextureManager::loadTexture") + log.entries("rk::DeviceContext::setupTexture"),
                1u) << log.text();
      EXPECT_EQ(log.entries(c.entry), 1u) << log.text();
      EXPECT_FALSE(adapter.isReady());
      rk::gfx::gfx_model_command::WindowContext window;
      showOverlay([&] {
        adapter.print(0, 0, "ABあ", 0xFFFFFFFFu, 0, 0);
        adapter.stringPrint(&window, 0, 0, "ABあ", 0);
      });
      EXPECT_TRUE(draws().empty());
      rk::font::FontRect rect;
      adapter.calcSize(&rect, 0, 0, "ABあ");
      EXPECT_EQ(rect.right, 128);
    }
    copyFontPages(data.path());  // whole again for the next case
  }
}

}  // namespace
}  // namespace fonttest
