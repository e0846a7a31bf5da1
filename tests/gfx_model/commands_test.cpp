// The gfx model commands as the trace records them: state commands, ribbons,
// lines, lasers, the stretch blit and the wipe (pipeline, topology, vertices,
// constants, texture, depth clears), with their checks on empty input.
#include <cmath>

#include "gfx/gfx_model_command/rk_gfx_billboard.h"
#include "gfx/gfx_model_command/rk_gfx_laser.h"
#include "gfx/gfx_model_command/rk_gfx_model_state.h"
#include "gfx/gfx_model_command/rk_gfx_strech_blt.h"
#include "gfx/gfx_model_command/rk_gfx_wipe.h"
#include "gfx_model_rig.h"
#include "math/rk_counter.h"

namespace gfxmodeltest {
namespace {

using namespace rk::gfx::gfx_model_command;
using rk::math::Vector4;

class Commands : public ModelRig {
 protected:
  template <class T, class... Args>
  T* add(Args&&... args) {
    T* command = new T(model.get(), std::forward<Args>(args)...);
    owned.emplace_back(command);
    return command;
  }
  void TearDown() override {
    owned.clear();
    ModelRig::TearDown();
  }
  int depthClears() const {
    int n = 0;
    for (const gpu::Command& c : commandsOf("command_list_[0]"))
      if (const auto* d = as<gpu::cmd::ClearDepthStencil>(c)) n += d->flags == gpu::D3D12_CLEAR_FLAG_DEPTH;
    return n;
  }
  std::vector<std::unique_ptr<rk::gfx::GfxModelList>> owned;
};

TEST_F(Commands, SettingsThePipelinesKeepFixedDrawExactlyAsWithoutThem) {
  auto* line = add<LineDraw>();
  line->params().points = {{0, 0, 0, 0}, {1, 1, 0, 0}};
  drawModel();
  const std::vector<std::uint8_t> plain = draws().at(0).vertices;
  owned.clear();
  add<TextureBlendAdd>(1);
  add<TextureBlendSub>(1);
  add<TextureBlendMul>(1);
  add<TextureBlendDefault>(1);
  add<SamplerStateAddressU>()->setAddress(3, 3);
  add<MultiTextureDisable>();
  add<LineDraw>()->params().points = {{0, 0, 0, 0}, {1, 1, 0, 0}};
  drawModel();
  ASSERT_EQ(draws().size(), 1u);
  EXPECT_EQ(draws()[0].vertices, plain);
}

TEST_F(Commands, ColourCommandsColourTheCommandsAfterThem) {
  add<SetColor>()->setColor(rk::gfx::Color(1, 0, 0, 1));
  add<LineDraw>()->params().points = {{0, 0, 0, 0}, {1, 0, 0, 0}, {1, 1, 0, 0}};
  add<SetColor>()->setColor(rk::gfx::Color(0, 0, 1, 1));
  drawModel();
  ASSERT_EQ(draws().size(), 1u);
  EXPECT_EQ(draws()[0].pipeline, "PIPELINE_DEFAULT2D_LINE");
  EXPECT_EQ(draws()[0].topology, gpu::D3D_PRIMITIVE_TOPOLOGY_LINESTRIP);
  EXPECT_EQ(draws()[0].count, 3u);
  EXPECT_EQ(colourOf(draws()[0], 2), (std::vector<float>{1, 0, 0, 1}));
}

TEST_F(Commands, AmbientEnablesTheQuantisedColourStateForTheRestOfThePass) {
  add<SettingAmbient>()->setAmbient(rk::gfx::Color(0.5f, 1.0f, 0.25f, 1.0f));
  drawModel();
  EXPECT_TRUE(context->isUseColor());
  EXPECT_EQ(context->colorState().getR(), 127.0f / 255.0f);
  EXPECT_EQ(context->colorState().getB(), 63.0f / 255.0f);
  context->setColorState(false, 0);
}

TEST_F(Commands, TextureStagesAboveOneAreReportedAndSetNoSlot) {
  rk::gfx::RkTexture* texture = loadedTexture("t.dds");
  auto* set = add<GfxModelTexture>();
  set->setTexture(2, texture);
  EXPECT_EQ(log.entries("rk::gfx::gfx_model_command::GfxModelTexture::setTexture"), 1u);
  struct SlotProbe : rk::gfx::GfxModelCommand {
    rk::gfx::RkTexture** seen;
    SlotProbe(rk::gfx::GfxModel* m, rk::gfx::RkTexture** s) : GfxModelCommand(m), seen(s) {}
    void execute(rk::gfx::GfxDeviceContext& c, std::int32_t) override { seen[0] = c.textures_[0], seen[1] = c.textures_[1]; }
  };
  rk::gfx::RkTexture* slots[2] = {texture, texture};
  add<SlotProbe>(slots);
  drawModel();
  drawModel();
  EXPECT_EQ(slots[0], nullptr);
  EXPECT_EQ(slots[1], nullptr);
  EXPECT_EQ(log.entries("rk::gfx::GfxDeviceContext::setTexture"), 2u);

  // Replacing a texture with itself keeps it alive; stage 1 fills slot 1.
  const int count = texture->count();
  set->setTexture(1, texture);
  set->setTexture(1, texture);
  EXPECT_EQ(texture->count(), count);
  drawModel();
  EXPECT_EQ(slots[1], texture);
}

TEST_F(Commands, DepthCommandsSetTheFlagAndClearTheDepthBuffer) {
  struct FlagProbe : rk::gfx::GfxModelCommand {
    std::string* seen;
    FlagProbe(rk::gfx::GfxModel* m, std::string* s) : GfxModelCommand(m), seen(s) {}
    void execute(rk::gfx::GfxDeviceContext& c, std::int32_t) override { *seen += std::to_string(c.depth_test_); }
  };
  std::string seen;
  model->setZTest(0x100);  // the low byte: off
  add<FlagProbe>(&seen);
  add<TestZBuffer>();
  add<FlagProbe>(&seen);
  add<TestZBuffer>()->setTestZBuffer(false);
  add<FlagProbe>(&seen);
  add<ClearZBuffer>();
  drawModel();
  EXPECT_EQ(seen, "010");
  EXPECT_EQ(depthClears(), 1);
}

TEST_F(Commands, ABillboardTransformationKeepsPlaceAndScaleButCancelsTheCameraTurn) {
  camera->setEye({5, 4, -6, 0});
  camera->updateMatrices();
  auto* transform = add<GfxTransformation>();
  transform->transform().setPos({1, 2, 3, 0});
  transform->transform().setScale({2, 2, 2, 0});
  transform->setBillboard(true);
  add<LineDraw>()->params().points = {{0, 0, 0, 0}, {1, 0, 0, 0}};
  drawModel();
  ASSERT_EQ(draws().size(), 1u);
  rk::math::Matrix world;
  ASSERT_TRUE(draws()[0].constant(0, 0, &world));
  EXPECT_NEAR(world.m[3][0], 1.0f, 1e-5f);
  EXPECT_NEAR(world.m[3][1], 2.0f, 1e-5f);
  EXPECT_NEAR(world.m[3][2], 3.0f, 1e-5f);
  // Its turn times the view's turn is the scale alone.
  const rk::math::Matrix product = rk::math::matrixMultiply(world, camera->viewMatrix());
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(product.m[r][c], r == c ? 2.0f : 0.0f, 1e-4f) << r << c;
}

TEST_F(Commands, CapsulesDrawThreeStripsOrTwoWithoutLength) {
  auto* capsule = add<CapsuleLaser>();
  drawModel();
  EXPECT_TRUE(draws().empty()) << "a new capsule is hidden";
  capsule->params().visible = true;
  capsule->setAxis(0, 0, 0);
  EXPECT_EQ(capsule->params().axis.x + capsule->params().axis.y + capsule->params().axis.z, 0.0f);
  capsule->setAxis(0, 5, 0);
  drawModel();
  ASSERT_EQ(draws().size(), 3u);
  for (const gpu::TraceDraw& d : draws()) {
    EXPECT_EQ(d.pipeline, "PIPELINE_TRIANGLE_COLOR_UV");
    EXPECT_EQ(d.topology, gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
    EXPECT_EQ(d.count, 4u);
  }
  // The lead cap runs from y = 2 (length 1 + radius 1) to y = 1, the body to -1.
  EXPECT_NEAR(positionOf(draws()[0], 0)[1], 2.0f, 1e-5f);
  EXPECT_NEAR(positionOf(draws()[1], 3)[1], -1.0f, 1e-5f);
  capsule->params().length = 0;
  drawModel();
  EXPECT_EQ(draws().size(), 2u);
}

TEST_F(Commands, PolyLinesCapBothEndsAndAlternateVAlongTheBody) {
  rk::gfx::RkTexture* texture = loadedTexture("line.dds");
  auto* line = add<PolyLineDraw>();
  line->params().texture = texture;
  line->params().center_uv[0] = {0, 0.25f, 0, 0};
  line->params().center_uv[1] = {1, 0.75f, 0, 0};
  line->addPos(0, 0, 0);
  drawModel();
  EXPECT_TRUE(draws().empty()) << "one point";
  line->addPos(0, 1, 0);
  line->addPos(0, 2, 0);
  drawModel();
  ASSERT_EQ(draws().size(), 3u);
  EXPECT_EQ(draws()[0].count, 4u);
  EXPECT_EQ(draws()[1].count, 6u);
  EXPECT_EQ(draws()[2].count, 4u);
  EXPECT_EQ(draws()[1].texture, idOf(texture));
  const float vs[6] = {0.25f, 0.25f, 0.75f, 0.75f, 0.25f, 0.25f};
  for (std::uint32_t i = 0; i < 6; ++i) EXPECT_EQ(uvOf(draws()[1], i)[1], vs[i]) << i;
  // Half the width on each side, across the line as seen from the eye.
  EXPECT_NEAR(std::fabs(positionOf(draws()[1], 0)[0] - positionOf(draws()[1], 1)[0]), 1.0f, 1e-5f);
}

struct LaserCase {
  const char* name;
  std::vector<Vector4> points;
  float start, total;
  bool loop;
  std::vector<float> ys;  // the y of each drawn pair; empty: no draw
};

TEST_F(Commands, LasersWalkTheirPathBetweenStartAndTotalLength) {
  const std::vector<Vector4> path = {{0, 0, 0, 0}, {0, 2, 0, 0}, {0, 2, 0, 0}, {0, 5, 0, 0}};
  const LaserCase cases[] = {
      {"one point", {{0, 0, 0, 0}}, 0, 1, true, {}},
      {"no length", {{0, 0, 0, 0}, {0, 0, 0, 0}}, 0, 1, true, {}},
      {"start at total", path, 3, 3, true, {}},
      {"ends inside a segment", path, 0, 3, true, {0, 2, 3}},
      {"longer than the path", path, 0, 9, true, {0, 2, 5}},
      {"a negative start draws nothing", path, -1, 3, true, {}},
      {"no loop: the first two points", path, 0.5f, 1, false, {0, 0, 2, 2}},
  };
  for (const LaserCase& c : cases) {
    SCOPED_TRACE(c.name);
    owned.clear();
    Laser* laser = model->createLaser();
    owned.emplace_back(laser);
    laser->params().visible = true;
    laser->params().points = c.points;
    laser->params().eye = {0, 0, -10, 0};
    laser->params().width = 0.5f;
    laser->params().start_length = c.start;
    laser->params().total_length = c.total;
    laser->params().loop = c.loop;
    drawModel();
    if (c.ys.empty()) {
      EXPECT_TRUE(draws().empty());
      continue;
    }
    ASSERT_EQ(draws().size(), 1u);
    const gpu::TraceDraw& d = draws()[0];
    EXPECT_EQ(d.topology, gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
    const std::size_t expected = c.loop ? c.ys.size() * 2 : 4;
    ASSERT_EQ(d.count, expected);
    for (std::uint32_t i = 0; i < d.count; ++i) {
      const float y = c.loop ? c.ys[i / 2] : c.ys[i];
      EXPECT_NEAR(positionOf(d, i)[1], y, 1e-5f) << i;
      EXPECT_NEAR(std::fabs(positionOf(d, i)[0]), 0.5f, 1e-5f) << "full width on each side " << i;
    }
  }
  EXPECT_EQ(owned.size(), 1u);
  auto* hidden = static_cast<Laser*>(owned[0].get());
  hidden->params().visible = false;
  drawModel();
  EXPECT_TRUE(draws().empty());
}

TEST_F(Commands, LaserLengthSkipsDegenerateSegmentsAndTwoStagesDrawNothing) {
  Laser* laser = model->createLaser();
  owned.emplace_back(laser);
  EXPECT_EQ(laser->calcLength(), 0.0f);
  laser->params().points = {{0, 0, 0, 0}, {3, 4, 0, 0}, {3, 4, 0, 0}, {3, 5, 0, 0}};
  EXPECT_EQ(laser->calcLength(), 6.0f);
  laser->params().visible = true;
  laser->params().stages = 2;
  laser->params().total_length = 6;
  drawModel();
  EXPECT_TRUE(draws().empty());
  EXPECT_EQ(log.entries("rk::gfx::GfxHelper::drawTriangleStrip"), 1u);
  EXPECT_GE(log.entries("rk::gfx::GfxDeviceContext::lineTo"), 3u);
}

TEST_F(Commands, TheStretchBlitMapsItsSourceOntoItsScreenRectangleAndRestoresTheView) {
  auto* blit = add<GfxModelStrechBlt>();
  drawModel();
  EXPECT_TRUE(draws().empty());
  EXPECT_EQ(depthClears(), 0) << "no texture: no depth clear either";

  rk::gfx::RkTexture* texture = loadedTexture("blit.dds");
  blit->setTexture(texture);
  blit->setSrcXY(1, 0);
  blit->setSrcSize(2, 4);
  blit->setDstXY(8, 6);
  blit->setDstSize(16, 12);
  const rk::math::Matrix view = camera->viewMatrix();
  drawModel();
  ASSERT_EQ(draws().size(), 1u);
  const gpu::TraceDraw& d = draws()[0];
  EXPECT_EQ(d.pipeline, "PIPELINE_TRIANGLE_COLOR_UV");
  EXPECT_EQ(d.topology, gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
  EXPECT_EQ(d.texture, idOf(texture));
  const float corners[4][4] = {{8, 6, 0.25f, 0}, {24, 6, 0.75f, 0}, {8, 18, 0.25f, 1}, {24, 18, 0.75f, 1}};
  for (std::uint32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(positionOf(d, i), (std::vector<float>{corners[i][0], corners[i][1], 0})) << i;
    EXPECT_EQ(uvOf(d, i), (std::vector<float>{corners[i][2], corners[i][3]})) << i;
  }
  EXPECT_EQ(colourConstantOf(d).flag, 0) << "the sprite is not tinted";
  EXPECT_EQ(depthClears(), 1);
  EXPECT_EQ(std::memcmp(&context->viewMatrix(), &view, sizeof view), 0);
  blit->setTexture(nullptr);
  blit->setTexture(nullptr);
  EXPECT_EQ(blit->texture(), nullptr);
}

class Wipes : public Commands {
 protected:
  void SetUp() override {
    Commands::SetUp();
    rk::math::CounterManager::createInstance();
  }
  void TearDown() override {
    owned.clear();
    rk::math::CounterManager::destroyInstance();
    Commands::TearDown();
  }
  GfxWipe* wipe() {
    GfxWipe* w = model->createWipe(5, "wipe");
    owned.emplace_back(w);
    return w;
  }
};

TEST_F(Wipes, AFadeOutCoversTheScreenFromAlphaZeroToOne) {
  GfxWipe* w = wipe();
  w->fadeOut(255, 0, 0, 1.0f);
  EXPECT_FALSE(w->isEndOfWipe());
  drawModel();
  ASSERT_EQ(draws().size(), 1u);
  const gpu::TraceDraw& d = draws()[0];
  EXPECT_EQ(d.pipeline, "PIPELINE_DEFAULT2D_TRIANGLE");
  EXPECT_EQ(d.topology, gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
  EXPECT_TRUE(d.indexed);
  EXPECT_EQ(d.count, 4u);
  EXPECT_EQ(positionOf(d, 3), (std::vector<float>{float(kWidth), float(kHeight), 0}));
  EXPECT_EQ(colourOf(d, 0), (std::vector<float>{1, 0, 0, 0}));

  w->counter()->setValue(0.25f);
  drawModel();
  EXPECT_EQ(colourOf(draws()[0], 0)[3], 0.25f);
  w->counter()->setValue(2.0f);
  EXPECT_TRUE(w->isEndOfWipe());
  drawModel();
  EXPECT_EQ(colourOf(draws()[0], 0)[3], 1.0f);
  EXPECT_TRUE(model->isVisible()) << "only a fade-in hides its model";
  EXPECT_TRUE(w->buffersMade());
}

TEST_F(Wipes, AZeroDurationEndsAtOnceAndAFinishedFadeInHidesItsModel) {
  GfxWipe* w = wipe();
  w->fadeIn(0, 0, 0, 0.0f);
  EXPECT_TRUE(w->isEndOfWipe());
  EXPECT_EQ(w->currentColor().getA(), 0.0f);
  w->start();
  EXPECT_TRUE(w->counter()->isRunning());
  drawModel();  // notify sees the end: the model is hidden, the counter stopped
  EXPECT_FALSE(model->isVisible());
  EXPECT_FALSE(w->counter()->isRunning());
  EXPECT_TRUE(draws().empty());
}

}  // namespace
}  // namespace gfxmodeltest
