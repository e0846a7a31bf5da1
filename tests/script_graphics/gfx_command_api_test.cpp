// Drawing-command globals: commands appended to the display list, replayed
// on the trace back end's overlay list, and the locate and measuring queries
// against the display-list font (a recording adapter here).
#include <boost/make_shared.hpp>

#include "font/recording_adapter.h"
#include "font/rk_font.h"
#include "gfx/gfx_command/rk_gfx_list_command.h"
#include "script_graphics/graphics_fixture.h"

namespace graphicstest {
namespace {

using gfxlisttest::colourOf;
using gfxlisttest::positionOf;

class GfxCommandApi : public GraphicsApi {
 protected:
  void SetUp() override {
    GraphicsApi::SetUp();
    adapter = boost::make_shared<rktest::RecordingAdapter>();
    context->font(2)->swapFontAdapter(adapter);
    list()->setFont(context->font(2));
  }
  void TearDown() override {
    context->font(2)->swapFontAdapter({});
    GraphicsApi::TearDown();
  }
  rk::gfx::GfxListManager* list() { return rk::gfx::GfxListManager::getInstance(); }

  boost::shared_ptr<rktest::RecordingAdapter> adapter;
};

TEST_F(GfxCommandApi, LinesRectanglesAndColoursReachTheOverlay) {
  struct Case {
    const char* name;
    const char* code;
    std::vector<std::vector<float>> firstVertices;  // per draw: x, y of vertex 0
    std::vector<std::size_t> counts;
    std::vector<float> colour;  // of the first draw's first vertex
  };
  const Case cases[] = {
      {"2D polyline in a wrapped byte colour", "gfxSetColor(300, 0, 0, 255) gfxMoveTo2D(1, 2) gfxLineTo2D(3, 4) gfxFlashLine2D()",
       {{1, 2}}, {2}, {44.0f / 255.0f, 0, 0, 1}},
      {"three arguments: alpha 0", "gfxSetColor(255, 255, 255) gfxMoveTo2D(0, 0) gfxLineTo2D(1, 1) gfxFlashLine2D()",
       {{0, 0}}, {2}, {1, 1, 1, 0}},
      {"3D: one point draws nothing, three draw, twice",
       "gfxMoveTo(1, 2, 3) gfxFlashLine() gfxLineTo(4, 5, 6) gfxLineTo(7, 8, 9) gfxFlashLine() gfxFlashLine()",
       {{1, 2}, {1, 2}}, {3, 3}, {1, 1, 1, 1}},
      {"rectangle sides truncated toward zero", "gfxRect2D(1.9, 2.9, -1.5, 0)", {{1, 2}}, {5}, {1, 1, 1, 1}},
      {"filled rectangle", "gfxDefault() gfxRectFill2D('4', 5, 6, 7)", {{4, 5}}, {4}, {1, 1, 1, 1}},
      {"cleared list draws nothing", "gfxMoveTo2D(0, 0) gfxLineTo2D(1, 1) gfxFlashLine2D() gfxCls()", {}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    list()->clear();
    ASSERT_EQ(run(c.code), "");
    replayDisplayList();
    ASSERT_EQ(draws().size(), c.counts.size());
    for (std::size_t d = 0; d < c.counts.size(); ++d) {
      EXPECT_EQ(draws()[d].count, c.counts[d]);
      const std::vector<float> p = positionOf(draws()[d], 0);
      EXPECT_EQ((std::vector<float>{p[0], p[1]}), c.firstVertices[d]);
    }
    if (!c.colour.empty()) {
      const std::vector<float> colour = colourOf(draws()[0], 0);
      for (int i = 0; i < 4; ++i) EXPECT_NEAR(colour[i], c.colour[i], 1e-6) << i;
    }
  }
  ASSERT_EQ(run("gfxRect2D(1.9, 2.9, -1.5, 0)"), "");
  replayDisplayList();
  EXPECT_EQ(positionOf(draws().back(), 2), (std::vector<float>{-1, 0, 0})) << "right -1, bottom 0";
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(GfxCommandApi, LocateQueriesSeeTheNewestLocateCommand) {
  ASSERT_EQ(run(R"(check(join(gfxGetLocate2D()) == '0,0', 'empty list')
    gfxSetColor(1, 2, 3, 4)
    check(join(gfxGetLocate2D()) == '0,0', 'no locate command')
    gfxSetLocate2D(1.5, 2) gfxSetLocate2D(3, 4.25) gfxDefault()
    check(join(gfxGetLocate2D()) == '3,4.25', 'the later locate; a later default does not reset it')
    gfxCls()
    check(join(gfxGetLocate2D()) == '0,0', 'after gfxCls'))"),
            "");
  EXPECT_EQ(list()->commands().size(), 0u);
}

TEST_F(GfxCommandApi, MeasuringUsesTheDisplayListFontAtTheLocate) {
  ASSERT_EQ(run(R"(gfxSetLocate2D(2.9, 3.2)
    check(join(gfxGetStringRect('50%% done')) == '1,2,3,4', 'the font rectangle')
    check(join(gfxLocateToPos2D(2.7, 1.2)) == '1,2', 'left and top'))"),
            "");
  EXPECT_EQ(adapter->calls, (std::vector<std::string>{"calcSize 2 3 [50% done]", "calcSize 2 1 [ ]"}));
  ASSERT_EQ(run("check(select('#', gfxGetStringRect({})) == 0, 'no text, no rectangle')"), "");
  list()->setFont({});
  ASSERT_EQ(run("check(select('#', gfxGetStringRect('x')) == 0, 'no font, no rectangle')"), "");
}

TEST_F(GfxCommandApi, PrintfCopiesItsTextAndReportsAMissingOne) {
  ASSERT_EQ(run("gfxPrintf2D(12.5) gfxPrintf2D('100%% %d')"), "");
  ASSERT_EQ(list()->commands().size(), 2u);
  auto* first = dynamic_cast<rk::gfx::command::GfxPrintf2D*>(list()->commands().front());
  auto* second = dynamic_cast<rk::gfx::command::GfxPrintf2D*>(list()->commands().back());
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->text(), "12.5");
  EXPECT_EQ(second->text(), "100% %d") << "%% is one percent sign; other directives stay literal";
  EXPECT_TRUE(log.empty()) << log.text();
  ASSERT_EQ(run("gfxPrintf2D({}) gfxPrintf2D()"), "");
  EXPECT_EQ(list()->commands().size(), 2u);
  EXPECT_EQ(log.entries("rk::script::gfxcmd::`anonymous-namespace'::gfxPrintf2D"), 2u);
}

}  // namespace
}  // namespace graphicstest
