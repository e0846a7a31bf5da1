// Gfx models read back from the OpenGL back end: a billboard stands square to
// an oblique camera, a stretch blit covers its screen rectangle, a wipe at half
// time covers the screen at half strength, and an ambient colour tints what the
// model's own drawing code draws.
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

class ModelGl : public GlModelRig {
 protected:
  std::vector<std::uint32_t> drawModelFrame() {
    return frame([&] { model->drawCommands(0); }, rk::gfx::Color(0, 0, 0, 1), camera);
  }
  rk::gfx::RkTexture* white() {
    static const std::uint8_t kWhite[4] = {255, 255, 255, 255};
    return loadedTexture("white.dds", 0, kWhite);
  }
  void TearDown() override {
    owned.clear();
    GlModelRig::TearDown();
  }
  std::vector<std::unique_ptr<rk::gfx::GfxModelList>> owned;
};

// Seen from (4, 2, -4), a 4x4 chip at the origin stands square to the line of
// sight: on screen it is a rectangle whose half sizes follow from the
// projection alone (a chip lying in a world plane would be narrowed).
TEST_F(ModelGl, ABillboardFacesTheCamera) {
  camera->setEye({4, 2, -4, 0});
  camera->updateMatrices();
  auto* board = new BillBoard(model.get());
  owned.emplace_back(board);
  board->setTexture(white());
  BillboardChip* chip = board->createBillboardChip();
  chip->setWidthHeight(4, 4);
  chip->setUV(0, 0, 1, 1);
  chip->visible = true;
  const auto pixels = drawModelFrame();

  const float distance = std::sqrt(16.0f + 4.0f + 16.0f);
  const rk::math::Matrix& p = camera->projectionMatrix();
  const float hx = 2.0f * p.m[0][0] / distance * kW / 2, hy = 2.0f * p.m[1][1] / distance * kH / 2;
  const int cx = kW / 2, cy = kH / 2;
  for (float k : {0.0f, 0.85f}) {
    EXPECT_EQ(at(pixels, cx + int(k * hx), cy), rgba(255, 255, 255)) << k;
    EXPECT_EQ(at(pixels, cx - int(k * hx), cy), rgba(255, 255, 255)) << k;
    EXPECT_EQ(at(pixels, cx, cy + int(k * hy)), rgba(255, 255, 255)) << k;
    EXPECT_EQ(at(pixels, cx, cy - int(k * hy)), rgba(255, 255, 255)) << k;
    EXPECT_EQ(at(pixels, cx + int(k * hx), cy - int(k * hy)), rgba(255, 255, 255)) << "a corner " << k;
  }
  EXPECT_EQ(at(pixels, cx + int(1.2f * hx), cy), rgba(0, 0, 0));
  EXPECT_EQ(at(pixels, cx, cy + int(1.25f * hy)), rgba(0, 0, 0));
}

TEST_F(ModelGl, AStretchBlitCoversItsScreenRectangle) {
  auto* blit = new GfxModelStrechBlt(model.get());
  owned.emplace_back(blit);
  blit->setTexture(white());
  blit->setSrcSize(4, 4);
  blit->setDstXY(10, 6);
  blit->setDstSize(20, 30);
  const auto pixels = drawModelFrame();
  EXPECT_EQ(at(pixels, 10, 6), rgba(255, 255, 255));
  EXPECT_EQ(at(pixels, 29, 35), rgba(255, 255, 255));
  EXPECT_EQ(at(pixels, 30, 20), rgba(0, 0, 0));
  EXPECT_EQ(at(pixels, 20, 36), rgba(0, 0, 0));
  EXPECT_EQ(at(pixels, 9, 6), rgba(0, 0, 0));
  EXPECT_EQ(at(pixels, 10, 5), rgba(0, 0, 0));
}

TEST_F(ModelGl, AWipeAtHalfTimeCoversTheScreenAtHalfStrength) {
  rk::math::CounterManager::createInstance();
  GfxWipe* wipe = model->createWipe(5, "fade");
  owned.emplace_back(wipe);
  wipe->fadeOut(255, 255, 255, 2.0f);
  wipe->counter()->setValue(1.0f);
  const auto pixels = drawModelFrame();
  for (auto [x, y] : {std::pair{0, 0}, std::pair{kW - 1, kH - 1}, std::pair{kW / 2, kH / 2}}) {
    const std::uint32_t p = at(pixels, x, y);
    EXPECT_NEAR(double(p & 0xFF), 127.5, 1.5) << x << "," << y;
    EXPECT_EQ(p & 0xFF, (p >> 8) & 0xFF);
  }
  owned.clear();
  rk::math::CounterManager::destroyInstance();
}

// A model's own drawing code (as a head-up display draws) is tinted by the
// ambient colour the model sets before it; the batch context's ribbons keep
// their vertex colour.
TEST_F(ModelGl, AnAmbientColourTintsTheModelsOwnDrawing) {
  struct WhiteQuad : rk::gfx::GfxModelCommand {
    using GfxModelCommand::GfxModelCommand;
    void execute(rk::gfx::GfxDeviceContext&, std::int32_t) override {
      const rk::gfx::LineVertex quad[4] = {
          {1, 1, 0, 0xFFFFFFFFu}, {3, 1, 0, 0xFFFFFFFFu}, {1, -1, 0, 0xFFFFFFFFu}, {3, -1, 0, 0xFFFFFFFFu}};
      rk::DeviceContext::getInstance()->drawColorStrip(quad, 4, rk::PIPELINE_DEFAULT2D_TRIANGLE);
    }
  };
  auto* ambient = new SettingAmbient(model.get());
  ambient->setAmbient(rk::gfx::Color(1, 0, 0, 1));
  owned.emplace_back(ambient);
  owned.emplace_back(new WhiteQuad(model.get()));
  auto* colour = new SetColor(model.get());
  colour->setColor(rk::gfx::Color(0, 1, 0, 1));
  owned.emplace_back(colour);
  Laser* laser = model->createLaser();
  owned.emplace_back(laser);
  laser->params().visible = true;
  laser->params().loop = false;
  laser->params().points = {{-2, -1, 0, 0}, {-2, 1, 0, 0}};
  laser->params().eye = camera->eye();
  const auto pixels = drawModelFrame();
  int red = 0, green = 0, other = 0;
  for (std::uint32_t p : pixels) {
    if (p == rgba(255, 0, 0)) ++red;
    else if (p == rgba(0, 255, 0)) ++green;
    else if (p != rgba(0, 0, 0)) ++other;
  }
  EXPECT_GT(red, 20);
  EXPECT_GT(green, 20);
  EXPECT_EQ(other, 0) << "nothing white: the quad was tinted, the ribbon kept its colour";
}

}  // namespace
}  // namespace gfxmodeltest
