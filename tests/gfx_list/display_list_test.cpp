// The display list: commands replayed in order on the overlay list through a
// batch context, flushes as the only draws, locate lookups, literal text with
// the display-list font, and the debug font's print list drawn after it.
#include <boost/make_shared.hpp>

#include "font/recording_adapter.h"
#include "font/rk_font.h"
#include "gfx/gfx_command/rk_gfx_list_command.h"
#include "gfx/rk_camera.h"
#include "gfx/rk_gfx_list_device_context.h"
#include "gfx_list_rig.h"

namespace gfxlisttest {
namespace {

namespace cmd = rk::gfx::command;
using rk::math::Vector4;

using DisplayList = GfxListRig;

TEST_F(DisplayList, AnEmptyListStillRecordsAndClosesTheOverlay) {
  replayDisplayList();
  EXPECT_EQ(executedLists(), std::vector<std::string>{"command_list_top_"});
  EXPECT_TRUE(draws().empty());
  EXPECT_TRUE(trace()->errors.empty());
}

// Each case builds a list; the draws it records are compared by kind,
// topology and vertex positions.
TEST_F(DisplayList, OnlyFlushesDrawAndEachDrawsItsWholeBatch) {
  struct Case {
    const char* name;
    std::function<void()> build;
    std::vector<std::vector<std::pair<float, float>>> lines;  // per draw, the vertex positions
  };
  const Case cases[] = {
      {"move, line, flush: one line",
       [] {
         new cmd::GfxMoveTo2D(10, 10);
         new cmd::GfxLineTo2D(100, 10);
         new cmd::GfxFlashLine2D;
       },
       {{{10, 10}, {100, 10}}}},
      {"no flush: nothing", [] {
         new cmd::GfxMoveTo2D(10, 10);
         new cmd::GfxLineTo2D(100, 10);
       },
       {}},
      {"rectangle: a closed outline", [] { new cmd::GfxRect2D(0, 0, 10, 10); },
       {{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}}},
      {"two flushes draw the same polyline twice",
       [] {
         new cmd::GfxMoveTo2D(1, 2);
         new cmd::GfxLineTo2D(3, 4);
         new cmd::GfxFlashLine2D;
         new cmd::GfxFlashLine2D;
       },
       {{{1, 2}, {3, 4}}, {{1, 2}, {3, 4}}}},
      {"a move starts a new polyline",
       [] {
         new cmd::GfxMoveTo2D(1, 1);
         new cmd::GfxLineTo2D(2, 2);
         new cmd::GfxMoveTo2D(5, 5);
         new cmd::GfxLineTo2D(6, 6);
         new cmd::GfxFlashLine2D;
       },
       {{{5, 5}, {6, 6}}}},
      {"one 2-D vertex draws nothing",
       [] {
         new cmd::GfxMoveTo2D(1, 1);
         new cmd::GfxFlashLine2D;
       },
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rk::gfx::GfxListManager::getInstance()->clear();
    c.build();
    replayDisplayList();
    ASSERT_EQ(draws().size(), c.lines.size());
    for (std::size_t d = 0; d < c.lines.size(); ++d) {
      const gpu::TraceDraw& draw = draws()[d];
      EXPECT_EQ(draw.pipeline, "PIPELINE_DEFAULT2D_LINE");
      EXPECT_EQ(draw.topology, gpu::D3D_PRIMITIVE_TOPOLOGY_LINESTRIP);
      ASSERT_EQ(draw.count, c.lines[d].size());
      for (std::uint32_t i = 0; i < draw.count; ++i)
        EXPECT_EQ(positionOf(draw, i), (std::vector<float>{c.lines[d][i].first, c.lines[d][i].second, 0.0f})) << i;
    }
  }
}

TEST_F(DisplayList, ThreeDimensionalLinesNeedTwoVerticesAndTakeTheCurrentColour) {
  new cmd::GfxSetColor(rk::gfx::Color(1.0f, 0.0f, 0.0f, 0.5f));
  new cmd::GfxMoveTo({1, 2, 3, 1});
  new cmd::GfxFlashLine;  // one vertex: nothing
  new cmd::GfxLineTo({4, 5, 6, 1});
  new cmd::GfxFlashLine;
  replayDisplayList();
  ASSERT_EQ(draws().size(), 1u);
  EXPECT_EQ(draws()[0].pipeline, "PIPELINE_DEFAULT2D_LINE");
  EXPECT_EQ(draws()[0].topology, gpu::D3D_PRIMITIVE_TOPOLOGY_LINESTRIP);
  ASSERT_EQ(draws()[0].count, 2u);
  EXPECT_EQ(positionOf(draws()[0], 1), (std::vector<float>{4, 5, 6}));
  // 0.5 packs as 127: the batch colour goes through ARGB.
  EXPECT_EQ(colourOf(draws()[0], 0), (std::vector<float>{1, 0, 0, 127.0f / 255.0f}));
}

TEST_F(DisplayList, AFilledRectangleIsOneStripInTheCurrentColourWithTheWorldReset) {
  showOverlay([&] { context->setWorldMatrix(rk::math::matrixTranslation(5, 5, 0)); });
  new cmd::GfxSetColor(rk::gfx::Color(0.0f, 1.0f, 0.0f, 1.0f));
  new cmd::GfxRectFill2D(2, 3, 12, 13);
  replayDisplayList();
  ASSERT_EQ(draws().size(), 1u);
  const gpu::TraceDraw& d = draws()[0];
  EXPECT_EQ(d.pipeline, "PIPELINE_DEFAULT2D_TRIANGLE");
  EXPECT_EQ(d.topology, gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
  ASSERT_EQ(d.count, 4u);
  EXPECT_EQ(positionOf(d, 0), (std::vector<float>{2, 3, 0}));
  EXPECT_EQ(positionOf(d, 3), (std::vector<float>{12, 13, 0}));
  EXPECT_EQ(colourOf(d, 2), (std::vector<float>{0, 1, 0, 1}));
  rk::math::Matrix world;
  ASSERT_TRUE(d.constant(0, 0, &world));
  EXPECT_EQ(world.m[3][0], 0.0f);
  EXPECT_EQ(colourConstantOf(d).flag, 0) << "the batch colour does not tint through the colour state";
}

TEST_F(DisplayList, FindLastLocateAndClear) {
  rk::gfx::GfxListManager* list = rk::gfx::GfxListManager::getInstance();
  EXPECT_EQ(list->findLastLocate(), nullptr);
  new cmd::GfxSetLocate2D({1, 2, 3, 4});
  auto* second = new cmd::GfxSetLocate2D({5, 6, 7, 8});
  new cmd::GfxSetColor(rk::gfx::Color(1, 1, 1, 1));
  EXPECT_EQ(list->findLastLocate(), second);
  float x, y, z, w;
  list->findLastLocate()->getLocate(&x, &y, &z, &w);
  EXPECT_EQ((std::vector<float>{x, y, z, w}), (std::vector<float>{5, 6, 7, 8}));
  list->commands().back()->getLocate(&x, &y, &z, &w);
  EXPECT_EQ((std::vector<float>{x, y, z, w}), (std::vector<float>{0, 0, 0, 0}));

  delete second;  // a deleted command leaves the list
  EXPECT_EQ(list->commands().size(), 2u);
  EXPECT_NE(list->findLastLocate(), nullptr);
  list->clear();
  EXPECT_TRUE(list->commands().empty());
  EXPECT_EQ(list->findLastLocate(), nullptr);
}

TEST_F(DisplayList, ACommandMadeWithoutTheManagerIsReportedAndListedNowhere) {
  rk::gfx::GfxListManager::destroyInstance();
  auto command = std::make_unique<cmd::GfxSetColor>(rk::gfx::Color(1, 1, 1, 1));
  EXPECT_EQ(log.entries("rk::gfx::GfxListManager::getInstance"), 1u);
  command.reset();  // touches no manager
  rk::gfx::GfxListManager::createInstance();
  EXPECT_TRUE(rk::gfx::GfxListManager::getInstance()->commands().empty());
}

// Text goes to the display-list font literally at the locate position (cut to
// integers) in the current colour; the debug font's list follows the commands.
TEST_F(DisplayList, TextPrintsLiterallyAndTheDebugPrintListIsDrawnAfterTheCommands) {
  auto listAdapter = boost::make_shared<rktest::RecordingAdapter>();
  auto debugAdapter = boost::make_shared<rktest::RecordingAdapter>();
  context->font(2)->swapFontAdapter(listAdapter);
  context->font(0)->swapFontAdapter(debugAdapter);
  rk::gfx::GfxListManager::getInstance()->setFont(context->font(2));  // the rig made the list before the fonts
  context->font(0)->printf(3, 4, 0xFF112233u, "%s", "debug %d");

  new cmd::GfxSetLocate2D({10.9f, 20.2f, 0, 0});
  new cmd::GfxSetColor(rk::gfx::Color(1.0f, 0.0f, 0.0f, 1.0f));
  new cmd::GfxPrintf2D("HP %d %s %n");
  replayDisplayList();
  EXPECT_EQ(listAdapter->calls,
            (std::vector<std::string>{"setFontSizePx 32", "print 10 20 [HP %d %s %n] FFFF0000 0 0"}));
  EXPECT_EQ(debugAdapter->calls, (std::vector<std::string>{"print 3 4 [debug %d] FF112233 0 0"}));
  EXPECT_EQ(context->font(0)->prints().size(), 1u) << "drawing keeps the queue until it is cleared";
  context->font(0)->swapFontAdapter({});
  context->font(2)->swapFontAdapter({});
}

TEST_F(DisplayList, TextWithoutTheListFontIsReportedAndSkipped) {
  rk::gfx::GfxListManager::getInstance()->setFont({});
  new cmd::GfxPrintf2D("x");
  replayDisplayList();
  EXPECT_EQ(log.entries("rk::gfx::GfxDeviceContext::printMessage2D"), 1u);
}

TEST_F(DisplayList, TheCameraCommandChoosesACameraOrNone) {
  rk::gfx::Camera* camera = rk::gfx::CameraManager::getInstance()->createCamera(3);
  struct Probe : cmd::GfxListCommand {
    rk::gfx::Camera** seen;
    explicit Probe(rk::gfx::Camera** s) : seen(s) {}
    void execute(rk::gfx::GfxDeviceContext& c) override { *seen = c.camera_; }
  };
  rk::gfx::Camera *afterFound = nullptr, *afterMissing = camera;
  new cmd::GfxSetCameraNo(3);
  new Probe(&afterFound);
  new cmd::GfxSetCameraNo(9);
  new Probe(&afterMissing);
  replayDisplayList();
  EXPECT_EQ(afterFound, camera);
  EXPECT_EQ(afterMissing, nullptr);
}

TEST_F(DisplayList, DefaultSetsWhiteAndTheFlagsAndTheFrameDrawReplaysTheList) {
  struct Probe : cmd::GfxListCommand {
    std::string* out;
    explicit Probe(std::string* o) : out(o) {}
    void execute(rk::gfx::GfxDeviceContext& c) override {
      *out = std::to_string(c.packedColor()) + " " + std::to_string(c.alpha_blend_) + std::to_string(c.depth_test_) +
             std::to_string(c.depth_write_) + " " + std::to_string(c.packed_color_) + " " + std::to_string(c.locate_.x);
    }
  };
  std::string seen;
  new cmd::GfxSetColor(rk::gfx::Color(0, 0, 0, 0));
  new cmd::GfxSetLocate2D({7, 7, 7, 7});
  new cmd::GfxSetDefault;
  new Probe(&seen);
  trace()->clear();
  context->drawFrame();
  EXPECT_EQ(seen, std::to_string(0xFFFFFFFFu) + " 100 " + std::to_string(0xFFFFFFFFu) + " 0.000000");
  EXPECT_EQ(executedLists().back(), "command_list_top_");
}

}  // namespace
}  // namespace gfxlisttest
