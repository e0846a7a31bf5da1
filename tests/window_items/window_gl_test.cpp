// Gfx windows drawn on the OpenGL back end and read back: background and
// frame where the window lies, items kept inside the window by the stencil,
// the title tab above it and the menu's cursor bar over the chosen row.
#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include "font/directx_font/rk_directx_outline_font.h"
#include "font/gl_screen_rig.h"
#include "gfx/gfx_model_command/rk_gfx_window.h"
#include "gfx/gfx_model_command/window_items/rk_window_item.h"
#include "gfx/gfx_model_command/window_items/rk_window_item_menu.h"
#include "gfx/rk_gfx_list_device_context.h"
#include "gfx/rk_gfx_model.h"
#include "math/rk_matrix.h"

namespace {

using namespace rk::gfx::gfx_model_command;

class WindowGl : public fonttest::GlScreen {
 protected:
  static constexpr int kLeft = 20, kTop = 26, kW = 100, kH = 50;

  void SetUp() override {
    GlScreen::SetUp();
    font = boost::make_shared<rk::font::DirectXOutlineFont>();
    font->setFontSizePx(16);
    font->setPenSize(0);
    font->initUpdate("MS Gothic");
    context->setFontAdapter(2, font);
    context->setFontAdapter(0, font);
  }
  void TearDown() override {
    context->setFontAdapter(0, nullptr);
    context->setFontAdapter(2, nullptr);
    font.reset();
    GlScreen::TearDown();
  }

  // A window at (kLeft, kTop) on the screen, kW × kH, opaque green, with a red frame 4 wide.
  std::unique_ptr<GfxWindow> makeWindow(rk::gfx::GfxModel* model = nullptr) {
    auto window = std::make_unique<GfxWindow>(model);
    GfxWindow::Impl& w = window->impl();
    w.size_ = rk::math::Vector4{kW, kH, 0, 0};
    window->setColor(0xFF00FF00u);
    w.frame_size_ = 4.0f;
    w.frame_color_ = rk::gfx::Color(1, 0, 0, 1);
    w.item_font_size_ = 16;
    return window;
  }

  // Window units (y up) onto the screen (y down) at the window's place.
  void placeWindow() {
    context->setWorldMatrix(rk::math::matrixMultiply(rk::math::matrixScaling(1, -1, 1),
                                                     rk::math::matrixTranslation(kLeft, kTop, 0)));
  }

  // One pass of a batch context, as a gfx model runs its commands.
  void draw(GfxWindow& window) {
    rk::gfx::GfxDeviceContext batch(nullptr);
    window.execute(batch, 0);
  }

  static std::uint32_t at(const std::vector<std::uint32_t>& p, int x, int y) { return p[y * kWidth + x] & 0xFFFFFFu; }

  boost::shared_ptr<rk::font::DirectXOutlineFont> font;
};

constexpr std::uint32_t kGreen = 0x00FF00u, kRed = 0x0000FFu, kBlack = 0;

TEST_F(WindowGl, BackgroundAndFrameDrawWhereTheWindowLies) {
  rk::gfx::GfxModel model;
  model.setVisible(true);
  auto window = makeWindow(&model);
  ASSERT_EQ(model.commands().size(), 1u);
  beginOverlay();
  placeWindow();
  model.drawCommands(0);
  const auto pixels = readBack();
  EXPECT_EQ(at(pixels, kLeft + 50, kTop + 25), kGreen);
  EXPECT_EQ(at(pixels, kLeft + 1, kTop + 1), kGreen);
  EXPECT_EQ(at(pixels, kLeft - 2, kTop + 25), kRed);        // left bar
  EXPECT_EQ(at(pixels, kLeft + kW + 2, kTop + 25), kRed);   // right bar
  EXPECT_EQ(at(pixels, kLeft + 50, kTop - 2), kRed);        // top bar
  EXPECT_EQ(at(pixels, kLeft + 50, kTop + kH + 2), kRed);   // bottom bar
  EXPECT_EQ(at(pixels, kLeft - 6, kTop + 25), kBlack);
  EXPECT_EQ(at(pixels, kLeft + 50, kTop + kH + 6), kBlack);
  EXPECT_EQ(litIn(pixels, 0, 0, kWidth, kHeight), (kW + 8) * (kH + 8));
}

TEST_F(WindowGl, ItemsAreClippedToTheWindow) {
  auto window = makeWindow();
  window->impl().frame_size_ = 0.0f;
  auto* gauge = new WindowItemGauge(window.get());
  window->addItem(gauge);
  gauge->record().display_max = 300.0f;  // three times the window's width
  gauge->record().width = 10.0f;
  gauge->record().lower_color = gauge->record().upper_color = rk::gfx::Color(1, 1, 1, 1);
  WindowItemString* text = window->addString();
  text->record().text = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  auto* locate = new WindowItemLocate(window.get());
  window->impl().items_.insert(window->impl().items_.begin() + 1, locate);
  locate->locate = rk::math::Vector4{0, -1, 0, 0};  // the text one row lower, clear of the gauge

  beginOverlay();
  placeWindow();
  draw(*window);
  const auto pixels = readBack();
  // The gauge: white inside the window, nothing to its right.
  EXPECT_EQ(at(pixels, kLeft + 50, kTop + 4), 0xFFFFFFu);
  EXPECT_EQ(litIn(pixels, kLeft + kW, 0, kWidth, kHeight), 0);
  // The text runs past the right edge: its glyphs (dark outlines, white
  // insides) cover the window's width and stop at its edge.
  int glyph = 0;
  for (int y = kTop + 16; y < kTop + 34; ++y)
    for (int x = kLeft; x < kLeft + kW; ++x) glyph += at(pixels, x, y) != kGreen;
  EXPECT_GT(glyph, 200);
  EXPECT_EQ(litIn(pixels, 0, 0, kLeft, kHeight), 0);
  delete gauge;
  delete locate;
  window->removeString(text);
}

TEST_F(WindowGl, TheTitleTabSitsAboveTheWindowWithBlackText) {
  auto window = makeWindow();
  window->impl().title_ = "AB";
  window->impl().title_font_size_ = 16;
  beginOverlay();
  placeWindow();
  draw(*window);
  const auto pixels = readBack();
  // The tab: frame-coloured, from the frame's top (4 above the window) up one row.
  int red = 0, black = 0;
  for (int y = kTop - 4 - 16; y < kTop - 4; ++y)
    for (int x = kLeft; x < kLeft + 16; ++x) {
      red += at(pixels, x, y) == kRed;
      black += at(pixels, x, y) == kBlack;
    }
  EXPECT_GT(red, 100);
  EXPECT_GT(black, 20);  // the title's glyphs
}

TEST_F(WindowGl, TheMenuCursorBarCoversTheChosenRow) {
  auto window = makeWindow();
  window->impl().frame_size_ = 0.0f;
  window->setColor(0xFF000000u);  // black background: only the bar and the names show
  auto* menu = new WindowItemMenu(window.get());
  window->addItem(menu);
  for (const char* name : {"one", "two", "three"}) menu->addColumn()->name = name;
  menu->state().cursor_color = 0xFF0000FFu;  // blue
  menu->setCursor(2);
  EXPECT_EQ(menu->getCursor(), 2u);

  beginOverlay();
  placeWindow();
  draw(*window);
  const auto pixels = readBack();
  auto blueRow = [&](int y) {
    int blue = 0;
    for (int x = kLeft + 1; x < kLeft + kW - 1; ++x) blue += (at(pixels, x, y) & 0xFF0000u) > 0x800000u;
    return blue;
  };
  // Row 2 spans 32..48 below the window's top; the bar's solid edges are at 33 and 49.
  EXPECT_GT(blueRow(kTop + 33), kW / 2);
  EXPECT_EQ(blueRow(kTop + 1), 0);
  EXPECT_EQ(blueRow(kTop + 17), 0);
  delete menu;
}

}  // namespace
