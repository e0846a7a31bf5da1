// Read back from the OpenGL back end: text queued by debugPrintf is drawn on
// the overlay by the debug font's adapter, and display-list drawing lands on
// its screen rectangle.
#include <boost/make_shared.hpp>
#include <lua.hpp>

#include "font/rk_font.h"
#include "gfx/gfx_command/rk_gfx_list_command.h"
#include "gfx_list_rig.h"
#include "script/rk_script_debug.h"
#include "support/lua_run.h"

namespace gfxlisttest {
namespace {

// Draws every character as a 6x8 block in the print's colour, 8 pixels apart.
class BlockFont : public rk::font::FontAdapter {
 public:
  bool initUpdate(const char*) override { return true; }
  void release() override {}
  void print(int x, int y, const char* text, std::uint32_t argb, int, int) override {
    for (int i = 0; text[i]; ++i)
      rk::DeviceContext::getInstance()->drawRect2D({x + 8 * i, y, x + 8 * i + 6, y + 8}, argb);
  }
  void stringPrint(DrawContext*, int, int, const char*, int) override {}
  void calcSize(rk::font::FontRect*, int, int, const char*) override {}
  const rk::math::Vector4* getFontSize() override { return &cell_; }
  void setFontSizePt(int) override {}
  void setFontSizePx(int) override {}
  void setFontName(const char*) override {}
  const char* getFontName() override { return ""; }
  bool changeFont() override { return true; }
  void setPenSize(int) override {}
  void setQuarity(int) override {}

 private:
  rk::math::Vector4 cell_{8, 8, 0, 0};
};

class OverlayGl : public GlRig {
 protected:
  void SetUp() override {
    GlRig::SetUp();
    if (IsSkipped()) return;
    L = luaL_newstate();
    const rk::script::LuaFunctionTable table = rk::script::debugFunctionTable();
    for (int i = 0; i < table.count; ++i) lua_register(L, table.pairs[i].name, table.pairs[i].function);
    context->font(0)->swapFontAdapter(boost::make_shared<BlockFont>());
  }
  void TearDown() override {
    if (L) lua_close(L);
    if (context->font(0)) context->font(0)->swapFontAdapter({});
    GlRig::TearDown();
  }
  lua_State* L = nullptr;
};

TEST_F(OverlayGl, DebugPrintfTextAppearsOnTheOverlayUntilDebugCls) {
  ASSERT_EQ(rktest::runLua(L, "debugPrintf(8, 4, 255, 255, 0, 0, 'A%d', 7)"), "");
  auto pixels = frame();
  // "A7": two red blocks at x 8..13 and 16..21, rows 4..11.
  EXPECT_EQ(at(pixels, 10, 6), rgba(255, 0, 0));
  EXPECT_EQ(at(pixels, 18, 10), rgba(255, 0, 0));
  EXPECT_EQ(at(pixels, 14, 6), rgba(0, 0, 0)) << "the gap between the characters";
  EXPECT_EQ(at(pixels, 26, 6), rgba(0, 0, 0)) << "two characters only";
  EXPECT_EQ(at(pixels, 10, 20), rgba(0, 0, 0));

  ASSERT_EQ(rktest::runLua(L, "debugCLS()"), "");
  pixels = frame();
  EXPECT_EQ(at(pixels, 10, 6), rgba(0, 0, 0));
}

TEST_F(OverlayGl, AFilledDisplayListRectangleCoversItsPixels) {
  new rk::gfx::command::GfxSetColor(rk::gfx::Color(0.0f, 0.0f, 1.0f, 1.0f));
  new rk::gfx::command::GfxRectFill2D(10, 20, 30, 40);
  const auto pixels = frame();
  EXPECT_EQ(at(pixels, 10, 20), rgba(0, 0, 255));
  EXPECT_EQ(at(pixels, 29, 39), rgba(0, 0, 255));
  EXPECT_EQ(at(pixels, 30, 39), rgba(0, 0, 0));
  EXPECT_EQ(at(pixels, 29, 40), rgba(0, 0, 0));
  EXPECT_EQ(at(pixels, 9, 20), rgba(0, 0, 0));
}

}  // namespace
}  // namespace gfxlisttest
