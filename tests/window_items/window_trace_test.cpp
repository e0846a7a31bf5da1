// What a window records, on the trace back end: the stencil area, the masked
// item draws, the frame and tab only when asked for, the item font rebuilt
// only when its size changes, and a string item's measured size.
#include <gtest/gtest.h>

#include <algorithm>
#include <boost/make_shared.hpp>

#include "font/recording_adapter.h"
#include "gfx/gfx_model_command/rk_gfx_window.h"
#include "gfx/gfx_model_command/window_items/rk_window_item.h"
#include "gfx/rk_gfx_list_device_context.h"
#include "renderer/renderer_rig.h"

namespace {

using namespace rk::gfx::gfx_model_command;

class WindowTrace : public rendertest::RendererRig {
 protected:
  void SetUp() override {
    RendererRig::SetUp();
    buildDevice();
    context->setFontAdapter(0, title);
    context->setFontAdapter(2, text);
  }
  void TearDown() override {
    context->setFontAdapter(0, nullptr);
    context->setFontAdapter(2, nullptr);
    if (context->font(2)) context->font(2)->swapFontAdapter(nullptr);
    RendererRig::TearDown();
  }

  // Records one pass of the window on the overlay list and executes it.
  std::vector<host::gpu::TraceDraw> drawOnce(GfxWindow& window) {
    trace()->clear();
    context->beginCommandList(nullptr, false, false);
    {
      rk::gfx::GfxDeviceContext batch(nullptr);
      window.execute(batch, 0);
    }
    context->closeNowCommandList();
    context->closeDraw();
    context->waitForGpu();
    return trace()->draws;
  }

  static std::size_t count(const std::vector<host::gpu::TraceDraw>& draws, const std::string& pipeline) {
    return static_cast<std::size_t>(std::count_if(draws.begin(), draws.end(),
                                                  [&](const host::gpu::TraceDraw& d) { return d.pipeline == pipeline; }));
  }

  boost::shared_ptr<rktest::RecordingAdapter> title = boost::make_shared<rktest::RecordingAdapter>();
  boost::shared_ptr<rktest::RecordingAdapter> text = boost::make_shared<rktest::RecordingAdapter>();
};

TEST_F(WindowTrace, TheAreaGoesToTheStencilAndItemsDrawMaskedByIt) {
  GfxWindow window;
  window.impl().frame_size_ = 0.0f;
  auto* gauge = new WindowItemGauge(&window);
  window.addItem(gauge);
  const auto draws = drawOnce(window);
  ASSERT_EQ(draws.size(), 3u);  // area, background, gauge
  EXPECT_EQ(draws[0].pipeline, "PIPELINE_STENCIL_CLIP");
  EXPECT_EQ(draws[0].stencilRef, 1u);
  for (int i : {1, 2}) {
    EXPECT_EQ(draws[i].pipeline, "PIPELINE_STENCIL_VCUV_MASK") << i;
    EXPECT_TRUE(draws[i].stencilTest) << i;
    EXPECT_EQ(draws[i].stencilRef, 0u) << i;  // passes where the area wrote its 1
    EXPECT_NE(draws[i].texture, 0u) << i;     // the white texture: the colour shows as it is
  }
  EXPECT_TRUE(trace()->errors.empty());
  delete gauge;
}

TEST_F(WindowTrace, FrameAndTitleTabAreDrawnOnlyWhenAskedFor) {
  GfxWindow window;
  window.impl().frame_size_ = 0.0f;
  EXPECT_EQ(count(drawOnce(window), "PIPELINE_DEFAULT2D_TRIANGLE"), 0u);
  window.impl().frame_size_ = 2.0f;
  EXPECT_EQ(count(drawOnce(window), "PIPELINE_DEFAULT2D_TRIANGLE"), 4u);
  window.impl().title_ = "T";
  EXPECT_EQ(count(drawOnce(window), "PIPELINE_DEFAULT2D_TRIANGLE"), 5u);
  EXPECT_NE(std::find(title->calls.begin(), title->calls.end(), "stringPrint ctx 0 0 [T] 0"), title->calls.end());
  // Invisible: nothing at all.
  window.impl().visible_ = false;
  EXPECT_TRUE(drawOnce(window).empty());
}

TEST_F(WindowTrace, TheItemFontIsRebuiltOnlyWhenItsSizeChanges) {
  GfxWindow window;
  auto rebuilds = [&] { return std::count(text->calls.begin(), text->calls.end(), "changeFont"); };
  drawOnce(window);
  EXPECT_EQ(rebuilds(), 1);  // 42 → 64
  drawOnce(window);
  EXPECT_EQ(rebuilds(), 1);
  window.impl().item_font_size_ = 20;
  window.impl().item_pen_size_ = 3;
  drawOnce(window);
  EXPECT_EQ(rebuilds(), 2);
  EXPECT_NE(std::find(text->calls.begin(), text->calls.end(), "setPenSize 3"), text->calls.end());
  drawOnce(window);
  EXPECT_EQ(rebuilds(), 2);
}

TEST_F(WindowTrace, AStringMeasuresWithTheListFontAtTheWindowsTextSize) {
  GfxWindow window;
  context->font(2)->swapFontAdapter(text);
  WindowItemString* item = window.addString();
  item->record().text = "hello";
  window.impl().item_font_size_ = 24;
  item->calcSize();
  EXPECT_NE(std::find(text->calls.begin(), text->calls.end(), "setFontSizePx 24"), text->calls.end());
  EXPECT_NE(std::find(text->calls.begin(), text->calls.end(), "calcSize 0 0 [hello]"), text->calls.end());
  EXPECT_EQ(item->record().size.x, 2.0f);  // (1, 2, 3, 4) measured
  EXPECT_EQ(item->record().size.y, 2.0f);
  EXPECT_EQ(window.impl().size_.x, 2.0f);
  EXPECT_EQ(window.impl().size_.y, 2.0f);
  window.removeString(item);
}

}  // namespace
