// What a fade wipe records: one full-screen rectangle on the 2-D triangle
// pipeline, coloured with the wipe colour at its progress as alpha; the
// pipeline stack and the colour state are left as they were.
#include "gfx/rk_wipe.h"
#include "renderer/renderer_rig.h"

namespace {

using namespace rk::gfx;
using rendertest::RendererRig;

class WipeDraw : public RendererRig {
 protected:
  void SetUp() override {
    RendererRig::SetUp();
    buildScene();
  }
  void TearDown() override {
    context->drainDeferredRelease();
    RendererRig::TearDown();
  }
  void showOverlay(const std::function<void()>& draw) {
    trace()->clear();
    context->beginCommandList(nullptr, false, false);
    draw();
    context->closeNowCommandList();
    context->closeDraw();
    context->present(1);
  }
};

TEST_F(WipeDraw, FadesDrawTheScreenInTheirColourWithProgressAsAlpha) {
  const Color colour(1.0f, 0.5f, 0.0f, 0.2f);
  struct Case {
    const char* name;
    WipeObject* wipe;
    float advance;
    float alpha;
  };
  const Case cases[] = {
      {"fade out at a quarter", new WipeFadeOut(colour, 2.0f), 0.5f, 0.25f},
      {"fade in at a quarter", new WipeFadeIn(colour, 2.0f), 0.5f, 0.75f},
      {"fade out finished", new WipeFadeOut(colour, 2.0f), 3.0f, 1.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.wipe->start();
    c.wipe->update(c.advance);
    context->setColorStateRGBA(true, Color(0.1f, 0.2f, 0.3f, 0.4f));
    const auto saved = context->backupColorState();
    std::size_t depth = 0;
    showOverlay([&] {
      depth = context->pipelineStack().size();
      c.wipe->draw();
      EXPECT_EQ(context->pipelineStack().size(), depth);
    });
    EXPECT_EQ(context->isUseColor(), saved.use_color);
    EXPECT_EQ(context->colorState().getB(), 0.3f);
    ASSERT_EQ(trace()->draws.size(), 1u);
    const host::gpu::TraceDraw& d = trace()->draws[0];
    EXPECT_EQ(d.pipeline, "PIPELINE_DEFAULT2D_TRIANGLE");
    EXPECT_EQ(d.topology, host::gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
    EXPECT_EQ(d.vertexFloats(0, 0, 3), (std::vector<float>{0, 0, 0}));
    EXPECT_EQ(d.vertexFloats(3, 0, 3), (std::vector<float>{float(kWidth), float(kHeight), 0}));
    // The packed colour truncates each channel to a byte.
    const float a = float(static_cast<unsigned>(c.alpha * 255.0f)) / 255.0f;
    EXPECT_EQ(d.vertexFloats(0, 12, 4), (std::vector<float>{1.0f, 127 / 255.0f, 0.0f, a}));
    delete c.wipe;
  }
  context->setColorStateRGBA(false, Color(64 / 255.0f, 64 / 255.0f, 64 / 255.0f, 1.0f));
}

TEST_F(WipeDraw, DirectionalWipesDrawNothing) {
  WipeLeftToRightOut out(Color(1, 1, 1, 1), 1.0f);
  WipeTopToBottomIn in(Color(1, 1, 1, 1), 1.0f);
  showOverlay([&] {
    out.draw();
    in.draw();
  });
  EXPECT_TRUE(trace()->draws.empty());
}

}  // namespace
