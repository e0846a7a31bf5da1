// What the range scope and the range attack record when they draw, on the
// trace back end: over the scene (no depth-stencil view), the scope's magenta
// bands, the beam's textured ribbon, and the colour state put back.
#include <gtest/gtest.h>

#include <cmath>
#include <chrono>
#include <filesystem>
#include <thread>

#include "col/rk_collision_sphere.h"
#include "gfx_list/gfx_list_rig.h"
#include "player/player_wepon/range_attack.h"
#include "player/player_wepon/range_scope.h"

namespace {

using rk::math::Vector4;

class RangeDraw : public gfxlisttest::GfxListRig {
 protected:
  void SetUp() override {
    GfxListRig::SetUp();
  }
  // Draws as a camera pass does: the view of the camera being drawn (its eye
  // at (0, 10, -10); the bands turn toward it) and a colour state in force.
  void drawPass(const std::function<void()>& draw) {
    showOverlay([&] {
      context->setViewMatrix(rk::math::matrixInverse(rk::math::matrixTranslation(0.0f, 10.0f, -10.0f)));
      context->setColorState(true, 0x80102030u);
      draw();
      colour_after_ = context->isUseColor();
    });
  }
  bool colour_after_ = false;
  float length(const std::vector<float>& p) { return std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]); }
};

TEST_F(RangeDraw, TheOpenScopeDrawsTwoEdgesAndTwoDiamondsInMagentaOverTheScene) {
  range_scope::RangeScope scope(5);
  scope.initStep(0.0f);
  scope.open();
  scope.update(0.1f);  // opening -> active
  ASSERT_TRUE(scope.isActive());
  drawPass([&] { scope.draw(0, false); });
  ASSERT_EQ(draws().size(), 4u);
  const std::uint32_t counts[] = {4, 4, 10, 10};
  for (std::size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const host::gpu::TraceDraw& d = draws()[i];
    EXPECT_EQ(d.pipeline, "PIPELINE_DEFAULT2D_TRIANGLE");
    EXPECT_EQ(d.count, counts[i]);
    EXPECT_EQ(d.depthStencil, 0u) << "drawn over the scene";
    const std::vector<float> c = gfxlisttest::colourOf(d, 0);
    EXPECT_NEAR(c[0], 1.0f, 1e-6f);
    EXPECT_NEAR(c[1], 0.0f, 1e-6f);
    EXPECT_NEAR(c[2], 1.0f, 1e-6f);
    EXPECT_NEAR(c[3], 200.0f / 255.0f, 1e-6f);
  }
  // The arms are length² long: 12.25 with the default length, half the cone apart.
  const host::gpu::TraceDraw& left = draws()[0];
  std::vector<float> a = gfxlisttest::positionOf(left, 0), b = gfxlisttest::positionOf(left, 1);
  const std::vector<float> tip = {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2};
  EXPECT_NEAR(length(tip), 12.25f, 1e-3f);
  EXPECT_NEAR(std::atan2(tip[0], tip[2]), -0.3926991f, 1e-4f);
  const std::vector<float> apex = gfxlisttest::positionOf(left, 2);
  EXPECT_NEAR(length(apex), 0.025f, 1e-4f) << "a band 0.05 wide around the apex";

  EXPECT_TRUE(colour_after_) << "the colour state is put back";
  EXPECT_EQ(context->pipelineStack().size(), 0u);

  // Nothing in the shadow pass, nothing once closed.
  drawPass([&] { scope.draw(0, true); });
  EXPECT_TRUE(draws().empty());
  scope.close();
  drawPass([&] { scope.draw(0, false); });
  EXPECT_TRUE(draws().empty());
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(RangeDraw, TheBeamIsOneRibbonTexturedAlongItsLength) {
  std::filesystem::create_directories(data.file("textures"));
  // The ".tga" the attack asks for is stored as ".dds".
  resourcetest::writeFile(data.file("textures/player_shot.dds"), resourcetest::makeDds(7));
  rk::gfx::Camera* camera = rk::gfx::CameraManager::getInstance()->createCamera(2);
  camera->setEye({0.0f, 10.0f, -10.0f, 0.0f});  // looking down the beam at 45 degrees
  camera->setAt({0.0f, 0.0f, 0.0f, 0.0f});
  PlayerRangeAttack attack;
  attack.setRenderCameraBit(1 << 2);
  int ready = 1;
  for (int i = 0; i < 2000 && ready != 0; ++i) {
    rk::fs::FileManager::getInstance()->notify();
    rk::task::TaskManager::getInstance()->update(1.0f / 60.0f);
    ready = attack.initStep(0.0f);
    if (ready) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_EQ(ready, 0) << "the texture is set up";

  rk::collision::Sphere target({0.0f, 0.0f, 10.0f, 0.0f}, 1.0f);
  PlayerRangeAttack::Record& r = attack.record();
  for (int i = 0; i <= 10; ++i) r.beam.push_back({0.0f, 0.0f, static_cast<float>(i), 0.0f});
  r.target_shape = &target;
  drawPass([&] { attack.draw(0, false); });
  EXPECT_TRUE(draws().empty()) << "not in attack mode";

  r.attack_mode = true;
  drawPass([&] { attack.draw(0, false); });
  ASSERT_EQ(draws().size(), 1u);
  const host::gpu::TraceDraw& d = draws()[0];
  EXPECT_EQ(d.pipeline, "PIPELINE_TRIANGLE_COLOR_UV");
  EXPECT_EQ(d.count, 22u);
  EXPECT_EQ(d.depthStencil, 0u);
  EXPECT_NE(gfxlisttest::idOf(r.texture), 0u);
  EXPECT_EQ(d.texture, gfxlisttest::idOf(r.texture));
  const float step = 0.375f / 11.0f;
  for (std::uint32_t i = 0; i < 22; ++i) {
    SCOPED_TRACE(i);
    const std::vector<float> uv = gfxlisttest::uvOf(d, i);
    EXPECT_EQ(uv[0], i % 2 ? 0.5f : 0.125f);
    EXPECT_NEAR(uv[1], 0.5625f + static_cast<float>(i / 2) * step, 1e-6f);
    const std::vector<float> p = gfxlisttest::positionOf(d, i);
    EXPECT_NEAR(std::fabs(p[0]), 0.05f * std::sin(std::acos(std::sqrt(0.5f))), 2e-3f)
        << "half-width 0.05 scaled by the sine between the beam and the view";
  }
  EXPECT_EQ(context->pipelineStack().size(), 0u);
  EXPECT_EQ(context->currentTexture(), nullptr);
  EXPECT_TRUE(log.empty()) << log.text();
}

}  // namespace
