// The colour state tints the 2-D pipelines only while it is enabled: its
// constant carries the flag beside the colour. Packing and unpacking ARGB.
#include <cmath>

#include "gfx_list_rig.h"

namespace gfxlisttest {
namespace {

TEST(Argb, PacksByTruncatingEachChannelAndUnpacksByteOver255) {
  struct Case {
    rk::gfx::Color colour;
    std::uint32_t argb;
  };
  const Case cases[] = {
      {{1, 1, 1, 1}, 0xFFFFFFFFu},
      {{1, 0.5f, 0, 0.25f}, 0x3FFF7F00u},  // 127.5 and 63.75 truncate
      {{0.999f, 0.004f, 0.0039f, 1}, 0xFFFE0100u},
      {{std::nanf(""), 0, 1, 1}, 0xFF0000FFu},  // NaN packs as 0
      {{2, -1, 0, 1}, 0xFFFF0000u},             // channels are clamped when stored
  };
  for (const Case& c : cases) EXPECT_EQ(rk::gfx::colorToArgb(c.colour), c.argb) << std::hex << c.argb;
  const rk::gfx::Color back = rk::gfx::colorFromArgb(0x80FF4000u);
  EXPECT_EQ(back.getR(), 1.0f);
  EXPECT_EQ(back.getG(), 64.0f / 255.0f);
  EXPECT_EQ(back.getB(), 0.0f);
  EXPECT_EQ(back.getA(), 128.0f / 255.0f);
  EXPECT_EQ(rk::gfx::colorToArgb(rk::gfx::colorFromArgb(0x12345678u)), 0x12345678u);
}

using ColourStateTrace = GfxListRig;

// What each draw's b4 carries: the flag follows enable and disable, a disable
// with nothing enabled binds nothing, and a new list starts with the flag clear
// whatever the list before it left bound.
TEST_F(ColourStateTrace, TheConstantCarriesTheFlagAndEveryListStartsWithItClear) {
  trace()->clear();
  const gpu::Rect rect{0, 0, 4, 4};
  auto ambientBinds = [&] {
    int n = 0;
    for (const gpu::Command& c : commandsOf("command_list_top_"))
      if (const auto* bind = as<gpu::cmd::SetRootConstantBufferView>(c)) n += bind->rootIndex == 4;
    return n;
  };
  context->beginCommandList(nullptr, false, false);
  context->drawRect2D(rect, 0xFFFFFFFFu);
  context->setColorState(false, 0xFF123456u);  // nothing enabled: nothing bound
  context->setColorState(true, 0xFF00FF00u);
  context->drawRect2D(rect, 0xFFFFFFFFu);
  context->setColorState(false, 0xFF00FF00u);
  context->drawRect2D(rect, 0xFFFFFFFFu);
  context->setColorState(true, 0xFFFF0000u);
  context->closeNowCommandList();
  context->closeDraw();
  const int bindsInFirstList = ambientBinds();
  trace()->clear();
  context->beginCommandList(nullptr, false, false);
  context->drawRect2D(rect, 0xFFFFFFFFu);
  context->closeNowCommandList();
  context->closeDraw();
  context->present(1);

  // The list's start, the enable, the disable and the last enable.
  EXPECT_EQ(bindsInFirstList, 4);
  ASSERT_EQ(draws().size(), 1u);
  EXPECT_EQ(colourConstantOf(draws()[0]).flag, 0) << "a colour left enabled by an earlier list tints nothing";
  EXPECT_TRUE(context->isUseColor()) << "the state itself is kept";
  context->setColorState(false, 0xFF000000u);
}

TEST_F(ColourStateTrace, EachDrawSeesTheFlagItWasDrawnWith) {
  const gpu::Rect rect{0, 0, 4, 4};
  showOverlay([&] {
    context->drawRect2D(rect, 0xFFFFFFFFu);
    context->setColorState(true, 0x8000FF00u);
    context->drawRect2D(rect, 0xFFFFFFFFu);
    context->setColorState(false, 0);
    context->drawRect2D(rect, 0xFFFFFFFFu);
  });
  ASSERT_EQ(draws().size(), 3u);
  const ColourConstant before = colourConstantOf(draws()[0]), on = colourConstantOf(draws()[1]),
                       off = colourConstantOf(draws()[2]);
  EXPECT_EQ(before.flag, 0);
  EXPECT_EQ(on.flag, 1);
  EXPECT_EQ((std::vector<float>(on.rgba, on.rgba + 4)), (std::vector<float>{0, 1, 0, 128.0f / 255.0f}));
  EXPECT_EQ(off.flag, 0);
}

// On the GL back end: a white rectangle drawn while green is enabled comes out
// green; after the disable the next one is white again; the overlay list of the
// next frame is not tinted by a colour a list before it left enabled.
using ColourStateGl = GlRig;

TEST_F(ColourStateGl, OnlyAnEnabledColourStateTintsTheTwoDimensionalPipelines) {
  auto pixels = frame([&] {
    context->setColorState(true, 0xFF00FF00u);
    context->drawRect2D({0, 0, 16, 16}, 0xFFFFFFFFu);
    context->setColorState(false, 0xFF00FF00u);
    context->drawRect2D({32, 0, 48, 16}, 0xFFFFFFFFu);
    context->setColorState(true, 0xFFFF0000u);  // left enabled at the list's end
  });
  EXPECT_EQ(at(pixels, 8, 8), rgba(0, 255, 0));
  EXPECT_EQ(at(pixels, 40, 8), rgba(255, 255, 255));
  EXPECT_EQ(at(pixels, 60, 40), rgba(0, 0, 0));

  pixels = frame([&] { context->drawRect2D({0, 0, 16, 16}, 0xFFFFFFFFu); });
  EXPECT_EQ(at(pixels, 8, 8), rgba(255, 255, 255));
  context->setColorState(false, 0);
}

}  // namespace
}  // namespace gfxlisttest
