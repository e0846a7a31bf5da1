// The initial font over its generated texture: fifty full-width characters in
// 32 x 32 cells drawn at half a cell per byte; a screen print draws textured
// strips, a window print colour strips mirrored into the window's upward y.
// Scripts get font objects that share the one initial font.
#include <gtest/gtest.h>

#include <filesystem>

#include <lua.hpp>

#include "font/game_font_adapter.h"
#include "font/initial_font_adapter.h"
#include "font_rig.h"
#include "gfx/gfx_model_command/rk_window_context.h"
#include "support/lua_run.h"

namespace fonttest {
namespace {

using InitialFont = FontRig;

std::uint32_t codeOf(const char* character) {
  return font::characterCode(character, 0, font::characterLength(character, 0));
}

void expectFloats(const std::vector<float>& actual, const std::vector<float>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i) EXPECT_NEAR(actual[i], expected[i], 1e-5f) << "component " << i;
}

TEST_F(InitialFont, AScreenPrintDrawsTheTableCharactersAndSkipsTheRest) {
  font::InitialFontAdapter adapter;
  EXPECT_TRUE(adapter.initUpdate("any name"));
  EXPECT_EQ(adapter.getFontName(), nullptr);
  EXPECT_EQ(adapter.glyphs().size(), 50u);
  ASSERT_NE(adapter.texture(), nullptr);
  EXPECT_EQ(adapter.texture()->info().name_, "textures/initialfont.dds");
  showOverlay([&] { adapter.print(0, 0, "ＡＢ", 0xFFFFFFFFu, 0, 0); });
  EXPECT_TRUE(draws().empty());  // not on the GPU yet
  ASSERT_TRUE(runUntil([&] { return adapter.isReady(); }));

  // Cell (1, 0) of 16 x 32: "A" and "B" are not in the table (16 each), the
  // byte 8 halves the next glyph's red, green and blue and keeps its alpha.
  showOverlay([&] { adapter.print(1, 0, "AB\bＡ\nＢ", 0x80FF4020u, 0, 0); });
  EXPECT_EQ(context->currentTexture(), nullptr);
  ASSERT_EQ(draws().size(), 2u);
  struct Expected {
    const char* character;
    float x0, y0;
    std::uint32_t argb;
  } expected[] = {{"Ａ", 48, 0, 0x807F2010u}, {"Ｂ", 16, 32, 0x80FF4020u}};
  for (std::size_t i = 0; i < 2; ++i) {
    const Expected& e = expected[i];
    SCOPED_TRACE(e.character);
    const gpu::TraceDraw& d = draws()[i];
    const font::Glyph& g = adapter.glyphs().at(codeOf(e.character));
    EXPECT_EQ(d.pipeline, "PIPELINE_TRIANGLE_COLOR_UV");
    EXPECT_EQ(d.topology, gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
    EXPECT_EQ(d.texture, idOf(adapter.texture()));
    expectFloats(positionOf(d, 0), {e.x0, e.y0, 0});
    expectFloats(positionOf(d, 3), {e.x0 + 32, e.y0 + 32, 0});
    expectFloats(uvOf(d, 0), {g.left, g.top});
    expectFloats(uvOf(d, 3), {g.right, g.bottom});
    const rk::gfx::Color c = rk::gfx::colorFromArgb(e.argb);
    expectFloats(colourOf(d, 0), {c.getR(), c.getG(), c.getB(), c.getA()});
  }
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(InitialFont, AWindowPrintDrawsColourStripsFromTheWindowOrigin) {
  font::InitialFontAdapter adapter;
  adapter.initUpdate("initial font");
  ASSERT_TRUE(runUntil([&] { return adapter.isReady(); }));
  rk::gfx::gfx_model_command::WindowContext window;
  window.origin = rk::math::Vector4{4, 2, 0, 0};
  window.font_color = rk::gfx::Color(1.0f, 1.0f, 1.0f, 0.5f);
  window.base_color = rk::gfx::Color(0.0f, 1.0f, 1.0f, 1.0f);
  window.clip = true;  // the initial font has no masked drawing
  showOverlay([&] { adapter.stringPrint(&window, 0, 0, "Ａ\nＢ", 0); });
  EXPECT_EQ(context->currentTexture(), nullptr);
  ASSERT_EQ(draws().size(), 2u);
  for (const gpu::TraceDraw& d : draws()) {
    EXPECT_EQ(d.pipeline, "PIPELINE_TRIANGLE_COLOR_UV");
    EXPECT_EQ(d.texture, idOf(adapter.texture()));
    EXPECT_NEAR(colourOf(d, 0)[0], 0.0f, 1e-6f);
    EXPECT_NEAR(colourOf(d, 0)[3], 0.5f, 1.0f / 255);
  }
  // "Ａ" from x = 4, top edge at y = 2; "Ｂ" one line (32) lower, again at x = 4.
  expectFloats(positionOf(draws()[0], 0), {4, -30, 0});
  expectFloats(positionOf(draws()[0], 3), {36, 2, 0});
  expectFloats(positionOf(draws()[1], 0), {4, -62, 0});
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(InitialFont, AMissingTextureIsReportedOnceAndNothingIsDrawn) {
  std::filesystem::remove(data.file("textures/initialfont.dds"));
  font::InitialFontAdapter adapter;
  EXPECT_TRUE(adapter.initUpdate("initial font"));
  ASSERT_TRUE(runUntilTexturesSetUp({adapter.texture()}));
  EXPECT_EQ(log.entries("rk::gfx::RkTextureManager::loadTexture"), 1u) << log.text();
  EXPECT_FALSE(adapter.isReady());
  rk::gfx::gfx_model_command::WindowContext window;
  showOverlay([&] {
    adapter.print(0, 0, "ＡＢ", 0xFFFFFFFFu, 0, 0);
    adapter.stringPrint(&window, 0, 0, "ＡＢ", 0);
  });
  EXPECT_TRUE(draws().empty());
  rk::font::FontRect rect;
  adapter.calcSize(&rect, 0, 0, "ＡＢ");
  EXPECT_EQ(rect.right, 64);
  EXPECT_EQ(rect.bottom, 32);
}

// Cells from a pixel size: the game font halves it exactly, the initial font
// in whole pixels.
TEST(FontSizes, CellsFollowThePixelSize) {
  struct Case {
    bool initial;
    int pixels;
    float width, height;
  } cases[] = {
      {false, 40, 20, 40}, {false, 33, 16.5f, 33}, {true, 33, 16, 33}, {true, 40, 20, 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.initial ? "initial " : "game ") << c.pixels);
    std::unique_ptr<rk::font::FontAdapter> adapter;
    if (c.initial)
      adapter = std::make_unique<font::InitialFontAdapter>();
    else
      adapter = std::make_unique<font::GameFontAdapter>();
    adapter->setFontSizePx(c.pixels);
    EXPECT_FLOAT_EQ(adapter->getFontSize()->x, c.width);
    EXPECT_FLOAT_EQ(adapter->getFontSize()->y, c.height);
  }
}

// "createInitialFont": each call a new font object sharing the initial font;
// collecting the objects leaves the adapter to the initial font pointer.
TEST(InitialFontScript, FontObjectsShareTheInitialFont) {
  rktest::ErrorLogCapture log;
  font::createInitialFont();
  boost::shared_ptr<font::InitialFontAdapter> adapter = font::initialFont();
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  lua_register(L, "createInitialFont", font::lua_createInitialFont);
  EXPECT_EQ(rktest::runLua(L, R"(
    first = createInitialFont(1, 2, 3)
    second = createInitialFont()
    assert(first ~= second)
    first:setFontSize(40)
    local w, h = second:calcSize("ＡＢ")
    assert(w == 80 and h == 40, w .. " " .. h)
  )"), "");
  EXPECT_EQ(adapter.use_count(), 4);  // the pointer, this test and the two objects
  EXPECT_EQ(rktest::runLua(L, "first = nil second = nil collectgarbage('collect')"), "");
  EXPECT_EQ(adapter.use_count(), 2);
  EXPECT_FLOAT_EQ(adapter->getFontSize()->y, 40.0f);

  // With no initial font the object shares nothing: its methods report and do nothing.
  font::initialFont().reset();
  EXPECT_EQ(rktest::runLua(L, R"(
    local empty = createInitialFont()
    assert(type(empty) == "userdata")
    assert(empty:calcSize("ＡＢ") == nil)
  )"), "");
  EXPECT_FALSE(log.empty());
  lua_close(L);
}

}  // namespace
}  // namespace fonttest
