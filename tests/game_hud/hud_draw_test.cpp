// The status display drawn through the renderer (trace back end): the score
// digits and the bar gauges as one indexed draw of textured, coloured
// triangles with their atlas, the combo banner's own model on the status
// camera, and atlases that are missing or broken.
#include <filesystem>
#include <iterator>
#include <regex>

#include "gfx/gfx_model_command/rk_gfx_model_state.h"
#include "gfx/gfx_model_command/window_items/rk_window_item.h"
#include "gfx/rk_model.h"
#include "gfx_model/gfx_model_rig.h"
#include "status/gauge_display.h"
#include "status/score_display.h"
#include "status/status_unit.h"
#include "support/error_log_capture.h"

namespace {

using namespace gfxmodeltest;

class HudDraw : public ModelRig {
 protected:
  void SetUp() override {
    ModelRig::SetUp();
    std::filesystem::create_directories(data.file("textures"));
  }

  // Draws the model and answers its one draw of the textured pipeline.
  const gpu::TraceDraw* drawnQuads() {
    drawModel();
    const gpu::TraceDraw* found = nullptr;
    for (const gpu::TraceDraw& d : draws())
      if (d.pipeline == "PIPELINE_TRIANGLE_COLOR_UV") {
        EXPECT_EQ(found, nullptr) << "one draw";
        found = &d;
      }
    return found;
  }

  // Frames until the atlas requested by the piece has had its set-up.
  void settle(int frames = 4) {
    for (int i = 0; i < frames; ++i) {
      drawModel();
      rk::fs::FileManager::getInstance()->notify();
      rk::task::TaskManager::getInstance()->update(1.0f / 60.0f);
    }
  }
};

// Entries begin with a line "source(line)".
std::size_t entryCount(const rktest::ErrorLogCapture& log) {
  const std::string text = log.text();
  const std::regex head(R"((^|\n)[^\n]*\(\d+\)\n)");
  return std::distance(std::sregex_iterator(text.begin(), text.end(), head), std::sregex_iterator());
}

struct Expected {
  float x, y, u, v;
};

void expectQuad(const gpu::TraceDraw& d, std::uint32_t quad, const Expected (&corners)[4], float grey) {
  for (std::uint32_t k = 0; k < 4; ++k) {
    SCOPED_TRACE(testing::Message() << "quad " << quad << " vertex " << k);
    const std::uint32_t i = 4 * quad + k;
    const std::vector<float> p = positionOf(d, i), uv = uvOf(d, i), c = colourOf(d, i);
    EXPECT_FLOAT_EQ(p[0], corners[k].x);
    EXPECT_FLOAT_EQ(p[1], corners[k].y);
    EXPECT_FLOAT_EQ(p[2], 0.0f);
    EXPECT_FLOAT_EQ(uv[0], corners[k].u);
    EXPECT_FLOAT_EQ(uv[1], corners[k].v);
    EXPECT_NEAR(c[0], grey, 1e-6);
    EXPECT_NEAR(c[3], 1.0f, 1e-6);
  }
}

TEST_F(HudDraw, TheScoreDrawsNineDigitCellsOfTheAtlas) {
  rk::gfx::RkTexture* atlas = loadedTexture("textures/score_font.dds", 7);
  status::ScoreDisplay display(model.get());
  display.score_ = 12345;
  settle();
  const gpu::TraceDraw* d = drawnQuads();
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->texture, idOf(atlas));
  EXPECT_TRUE(d->indexed);
  EXPECT_EQ(d->topology, gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
  ASSERT_EQ(d->count, 54u);
  EXPECT_EQ(std::vector<std::uint32_t>(d->indices.begin(), d->indices.begin() + 12),
            (std::vector<std::uint32_t>{0, 1, 2, 2, 1, 3, 4, 5, 6, 6, 5, 7}));
  EXPECT_EQ(d->indices[53], 35u);
  // "000012345": grey zeros, then the digits' cells, 64 units each.
  const float g = 64.0f / 255.0f;
  struct Cell {
    int position;
    float u, v, grey;
  } cells[] = {{0, 0, 0, g},          {3, 0, 0, g},        {4, 0.25f, 0, 1},  {5, 0.5f, 0, 1},
               {6, 0.75f, 0, 1},      {7, 0, 0.25f, 1},    {8, 0.25f, 0.25f, 1}};
  for (const Cell& c : cells) {
    const float x = 64.0f * c.position;
    expectQuad(*d, c.position,
               {{x, 0, c.u, c.v}, {x, -64, c.u, c.v + 0.25f}, {x + 64, 0, c.u + 0.25f, c.v},
                {x + 64, -64, c.u + 0.25f, c.v + 0.25f}},
               c.grey);
  }
}

// Each frame index has buffers of its own: a score changed between two
// frames shows in the second without touching the first's vertices.
TEST_F(HudDraw, TheScoreIsRebuiltEveryFrameIntoThatFramesBuffer) {
  loadedTexture("textures/score_font.dds");
  status::ScoreDisplay display(model.get());
  settle();
  const unsigned first = context->currentFrame();
  display.score_ = 9;
  const gpu::TraceDraw* d = drawnQuads();
  ASSERT_NE(d, nullptr);
  EXPECT_FLOAT_EQ(uvOf(*d, 32)[1], 0.5f) << "a 9 in the last cell";
  EXPECT_NE(context->currentFrame(), first);
  display.score_ = 4;
  d = drawnQuads();
  ASSERT_NE(d, nullptr);
  EXPECT_FLOAT_EQ(uvOf(*d, 32)[0], 0.0f) << "a 4 in the last cell";
  EXPECT_FLOAT_EQ(uvOf(*d, 32)[1], 0.25f);
  EXPECT_NE(display.vertex_buffers_[0], display.vertex_buffers_[1]);
  EXPECT_NE(display.index_buffers_[0], display.index_buffers_[1]);
}

TEST_F(HudDraw, AGaugeDrawsTitleFrameAndFillFromTheGaugeAtlas) {
  rk::gfx::RkTexture* atlas = loadedTexture("textures/gauge.dds", 3);
  status::GaugeDisplay gauge(model.get(), 2);
  gauge.value().max_ = 200.0f;
  gauge.value().setNow(50.0f);
  gauge.value().setColor(255, 255, 0, 0);
  settle();
  const gpu::TraceDraw* d = drawnQuads();
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->texture, idOf(atlas));
  ASSERT_EQ(d->count, 18u);
  const float t = 1.0f / 512.0f;
  // The red tint shows in the first channel; the colour check compares red.
  expectQuad(*d, 0, {{0, 0, 0, 192 * t}, {0, -16, 0, 224 * t}, {256, 0, 1, 192 * t}, {256, -16, 1, 224 * t}}, 1);
  expectQuad(*d, 1,
             {{0, -16, 0, 320 * t}, {0, -32, 0, 336 * t}, {256, -16, 256 * t, 320 * t}, {256, -32, 256 * t, 336 * t}},
             1);
  expectQuad(*d, 2,
             {{0, -16, 0, 384 * t}, {0, -32, 0, 400 * t}, {64, -16, 64 * t, 384 * t}, {64, -32, 64 * t, 400 * t}}, 1);
  EXPECT_FLOAT_EQ(colourOf(*d, 0)[1], 0.0f) << "green is off";
}

// A missing atlas is reported once however many frames draw; that piece
// draws nothing while its neighbour with an atlas still draws.
struct MissingCase {
  const char* present;
  const char* report;
  std::uint32_t drawnIndices;
};

class MissingAtlas : public HudDraw, public testing::WithParamInterface<MissingCase> {};

TEST_P(MissingAtlas, IsReportedOnceAndThatPieceDrawsNothing) {
  rktest::ErrorLogCapture log;
  loadedTexture(GetParam().present);
  status::ScoreDisplay display(model.get());
  status::GaugeDisplay gauge(model.get(), 0);
  settle(6);
  const gpu::TraceDraw* d = drawnQuads();
  ASSERT_NE(d, nullptr) << "the other piece still draws";
  EXPECT_EQ(d->count, GetParam().drawnIndices);
  EXPECT_EQ(entryCount(log), 1u) << log.text();
  EXPECT_EQ(log.entries(GetParam().report), 1u);
}

INSTANTIATE_TEST_SUITE_P(HudPieces, MissingAtlas,
                         testing::Values(MissingCase{"textures/gauge.dds", "status::ScoreDisplay::notify", 18},
                                         MissingCase{"textures/score_font.dds", "status::GaugeDisplay::notify", 54}));

TEST_F(HudDraw, ABrokenGaugeAtlasIsReportedOnceAndDrawsNothing) {
  rktest::ErrorLogCapture log;
  loadedTexture("textures/score_font.dds");
  writeFile(data.file("textures/gauge.dds"), {'D', 'D', 'S', ' ', 1, 2, 3});
  status::GaugeDisplay gauge(model.get(), 1);
  status::ScoreDisplay display(model.get());
  settle(1);
  ASSERT_NE(gauge.texture_, nullptr) << "the file is there";
  ASSERT_TRUE(runUntilSetUp(gauge.texture_));
  settle(3);
  const gpu::TraceDraw* d = drawnQuads();
  ASSERT_NE(d, nullptr) << "the score still draws";
  EXPECT_EQ(d->count, 54u);
  EXPECT_EQ(entryCount(log), 1u) << log.text();
}

// Without a texture manager nothing can be loaded: the score display says so
// at each draw and draws nothing.
TEST_F(HudDraw, WithoutATextureManagerTheScoreReportsAndDrawsNothing) {
  rk::gfx::RkTextureManager::destroyInstance();
  rktest::ErrorLogCapture log;
  status::ScoreDisplay display(model.get());
  EXPECT_EQ(drawnQuads(), nullptr);
  EXPECT_EQ(log.entries("status::ScoreDisplay::notify"), 1u) << log.text();
}

class ComboBanner : public HudDraw {
 protected:
  void SetUp() override {
    HudDraw::SetUp();
    rk::gfx::ModelManager::createInstance();
  }
  void TearDown() override {
    rk::gfx::ModelManager::destroyInstance();
    HudDraw::TearDown();
  }
};

// The banner is a window of a model of its own, drawn by the status camera
// only: scaled to 1/100, hidden at x 8 until a chain of two slides it in to
// x 4.5 over one second, showing the kills beyond the first.
TEST_F(ComboBanner, SlidesInOnItsOwnModelOnTheStatusCamera) {
  status::ComboGauge combo(model.get(), 40);
  ASSERT_NE(combo.model_, nullptr);
  EXPECT_EQ(combo.model_->getRenderCameraBit(), 64);
  EXPECT_TRUE(combo.model_->isVisible());
  const auto& commands = combo.model_->commands();
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands.front(), combo.transformation_);
  EXPECT_EQ(commands.back(), combo.window_);
  const rk::math::Vector4& scale = combo.transformation_->transform().getScale();
  EXPECT_FLOAT_EQ(scale.x, 0.01f);
  EXPECT_FLOAT_EQ(scale.y, 0.01f);
  EXPECT_FLOAT_EQ(scale.z, 1.0f);
  EXPECT_EQ(combo.string_item_->record().text, "999Chain");
  EXPECT_EQ(combo.window_->impl().font_color_, 0xFFFFFF00u);
  EXPECT_FLOAT_EQ(combo.window_->impl().bg_color_.getA(), 0.0f);
  EXPECT_FLOAT_EQ(combo.transformation_->transform().getPos().x, 8.0f);
  // The chain-time gauge is a type-3 gauge on the creator's model.
  ASSERT_NE(combo.gauge_, nullptr);
  EXPECT_EQ(combo.gauge_->owner_, model.get());
  EXPECT_EQ(combo.gauge_->value().gauge_type_, 3u);

  combo.addCombo();
  combo.addCombo();
  combo.addCombo();
  for (int i = 0; i < 10; ++i) combo.update(0.1f);
  EXPECT_EQ(combo.string_item_->record().text, "  2Chain");
  EXPECT_NEAR(combo.transformation_->transform().getPos().x, 4.5f, 1e-4);
  EXPECT_FLOAT_EQ(combo.transformation_->transform().getPos().y, 2.5f);
  EXPECT_NEAR(combo.gauge_->value().now_, 3.0f, 1e-4) << "the bar shows the chain time left";
}

TEST_F(ComboBanner, LeavesTheModelManagerWhenDeleted) {
  auto* combo = new status::ComboGauge(nullptr, 40);
  rk::gfx::GfxModel* banner = combo->model_;
  ASSERT_NE(banner, nullptr);
  EXPECT_EQ(combo->gauge_->owner_, nullptr) << "no model for the gauge: it draws nowhere";
  EXPECT_EQ(rk::gfx::ModelManager::getInstance()->models().size(), 1u);
  EXPECT_TRUE(rk::gfx::ModelManager::getInstance()->contains(banner));
  delete combo;
  EXPECT_TRUE(rk::gfx::ModelManager::getInstance()->models().empty());
}

}  // namespace
