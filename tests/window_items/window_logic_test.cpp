// Window, item and menu logic that needs no device: scrolling and the cursor
// animation, the font stack, gauge geometry, and who outlives whom.
#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include "font/recording_adapter.h"
#include "gfx/gfx_model_command/rk_gfx_window.h"
#include "gfx/gfx_model_command/window_items/rk_window_item.h"
#include "gfx/gfx_model_command/window_items/rk_window_item_menu.h"
#include "gfx/rk_gfx_list_device_context.h"
#include "kernel/rk_device_context.h"
#include "support/error_log_capture.h"

namespace {

using namespace rk::gfx::gfx_model_command;

class WindowLogic : public ::testing::Test {
 protected:
  void SetUp() override {
    text->cell = rk::math::Vector4{5, 10, 0, 0};  // rows of 10
    rk::DeviceContext::getInstance()->setFontAdapter(2, text);
  }
  void TearDown() override { rk::DeviceContext::getInstance()->setFontAdapter(2, nullptr); }

  // A menu of `n` columns in a window three rows high.
  WindowItemMenu* makeMenu(GfxWindow& window, int n) {
    window.impl().size_ = rk::math::Vector4{100, 30, 0, 0};
    auto* menu = new WindowItemMenu(&window);
    window.addItem(menu);
    for (int i = 0; i < n; ++i) menu->addColumn()->name = "row";
    return menu;
  }

  rktest::ErrorLogCapture log;
  boost::shared_ptr<rktest::RecordingAdapter> text = boost::make_shared<rktest::RecordingAdapter>();
};

TEST_F(WindowLogic, MenuScrollsOneRowAtTheBottomEdgeAndToTheEndsAtTheEnds) {
  GfxWindow window;
  WindowItemMenu* menu = makeMenu(window, 6);
  struct Step {
    std::uint32_t to;
    float org;  // the window's scroll offset once the move has completed
  };
  const Step steps[] = {
      {1, 0},   // still above the last visible row
      {2, 10},  // onto the last visible row: one row down
      {3, 20},  // again
      {3, 20},  // the same index: no move, no scroll
      {5, 30},  // the last column becomes the bottom row
      {4, 30},  // within the visible rows
      {3, 20},  // onto the top visible row: one row up
      {0, 0},   // the first column: back to the top
  };
  for (const Step& s : steps) {
    menu->moveCursor(s.to, 0.25f);
    EXPECT_TRUE(menu->animateCursor(1.0f)) << s.to;
    EXPECT_EQ(menu->getCursor(), s.to);
    EXPECT_FLOAT_EQ(window.impl().org_.y, s.org) << "to " << s.to;
  }
  delete menu;
}

TEST_F(WindowLogic, MenuWhoseRowsFitNeverScrolls) {
  GfxWindow window;
  WindowItemMenu* menu = makeMenu(window, 3);
  for (std::uint32_t to : {2u, 0u, 1u, 2u}) {
    menu->moveCursor(to, 0.1f);
    menu->animateCursor(1.0f);
    EXPECT_EQ(window.impl().org_.y, 0.0f);
  }
  delete menu;
}

TEST_F(WindowLogic, CursorGlidesAndStopsExactlyAtItsTarget) {
  GfxWindow window;
  WindowItemMenu* menu = makeMenu(window, 6);
  menu->setCursor(1);
  menu->moveCursor(2, 1.0f);  // scrolls from 0 to 10
  EXPECT_TRUE(menu->state().animating);
  EXPECT_FALSE(menu->animateCursor(0.5f));
  EXPECT_FLOAT_EQ(menu->state().cursor_pos, 1.5f);
  EXPECT_FLOAT_EQ(window.impl().org_.y, 5.0f);
  EXPECT_TRUE(menu->animateCursor(7.0f));  // more than the remaining time
  EXPECT_FLOAT_EQ(menu->state().cursor_pos, 2.0f);
  EXPECT_FLOAT_EQ(window.impl().org_.y, 10.0f);
  EXPECT_TRUE(menu->animateCursor(0.1f));  // resting
  delete menu;
}

TEST_F(WindowLogic, SetCursorOverSeveralRowsScrollsLikeSingleMoves) {
  GfxWindow jump, walk;
  WindowItemMenu* a = makeMenu(jump, 8);
  WindowItemMenu* b = makeMenu(walk, 8);
  a->setCursor(6);
  for (std::uint32_t i = 1; i <= 6; ++i) {
    b->moveCursor(i, 0.2f);
    b->animateCursor(1.0f);
  }
  EXPECT_EQ(a->getCursor(), 6u);
  EXPECT_FALSE(a->state().animating);
  EXPECT_EQ(jump.impl().org_.y, walk.impl().org_.y);
  EXPECT_EQ(jump.impl().org_.y, 50.0f);  // rows 5 to 7 visible: one row of look-ahead
  a->setCursor(1);
  EXPECT_EQ(jump.impl().org_.y, 0.0f);
  delete a;
  delete b;
}

TEST_F(WindowLogic, ColumnsLeaveTheirMenuAndDieWithIt) {
  GfxWindow window;
  WindowItemMenu* menu = makeMenu(window, 2);
  WindowItemMenuColumn* first = menu->state().columns[0];
  WindowItemControlBar* bar = menu->addControlBar();
  EXPECT_EQ(bar->value.value, 100.0f);
  EXPECT_EQ(bar->value.max, 100.0f);
  EXPECT_TRUE(menu->removeColumn(first));
  EXPECT_FALSE(menu->removeColumn(first));  // not listed any more
  EXPECT_EQ(menu->state().columns.size(), 2u);
  bar->setColumnColor(1, 0x11111111u);
  bar->setColumnColor(2, 0x22222222u);
  bar->setColumnColor(7, 0x33333333u);
  EXPECT_EQ(bar->selected_color, 0x11111111u);
  EXPECT_EQ(bar->disabled_color, 0x22222222u);
  EXPECT_EQ(bar->normal_color, 0x33333333u);
  // The menu's layout: one row per column, widths from the font's measurement.
  rk::font::FontRect extent{};
  menu->layout(&extent);
  EXPECT_EQ(extent.top, 0);
  EXPECT_EQ(extent.bottom, 20);
  EXPECT_EQ(extent.right, 3);  // the recording adapter measures (1, 2, 3, 4)
  delete menu;  // destroys the columns still listed (checked by the sanitizer build)
}

TEST_F(WindowLogic, FontStackPopsWhatWasPushedAndReportsAnEmptyPop) {
  WindowContext context;
  context.font = boost::make_shared<rk::font::RKFont>();
  auto base = boost::make_shared<rktest::RecordingAdapter>();
  auto pushed = boost::make_shared<rktest::RecordingAdapter>();
  context.font->swapFontAdapter(base);
  context.pushFontAdapter(pushed);
  EXPECT_EQ(context.font->adapter(), pushed);
  context.popFontAdapter();
  EXPECT_EQ(context.font->adapter(), base);
  context.popFontAdapter();  // one more than pushed
  EXPECT_EQ(context.font->adapter(), base);
  EXPECT_EQ(log.entries("rk::gfx::gfx_model_command::WindowContext::popFontAdapter"), 1u);
}

TEST_F(WindowLogic, FontResolutionFollowsTheFontItemsBeforeTheMenu) {
  GfxWindow window;
  auto other = boost::make_shared<rktest::RecordingAdapter>();
  auto* early = new WindowItemFontAdapter(&window, other);
  window.addItem(early);
  auto* menu = new WindowItemMenu(&window);
  window.addItem(menu);
  auto* late = new WindowItemPopFont(&window);
  window.addItem(late);
  EXPECT_EQ(window.resolveFontAt(menu), other);
  EXPECT_EQ(window.resolveFontAt(early), text);
  EXPECT_EQ(window.resolveFontAt(nullptr), nullptr);  // through the pop item at the end
  EXPECT_EQ(window.impl().font_->adapter(), text);    // the text font is installed
  delete early;
  delete menu;
  delete late;
}

TEST_F(WindowLogic, ItemsOutliveTheirWindowAndClsKeepsThemAlive) {
  auto window = std::make_unique<GfxWindow>();
  WindowItemString* a = window->addString();
  WindowItemString* b = window->addString();
  auto* locate = new WindowItemLocate(window.get());
  window->addItem(locate);
  EXPECT_EQ(window->impl().items_.size(), 3u);
  window->cls();
  EXPECT_TRUE(window->impl().items_.empty());
  window->removeString(a);  // not listed any more: only destroyed
  window->addItem(b);
  window->removeString(b);
  EXPECT_TRUE(window->impl().items_.empty());
  window.reset();
  EXPECT_EQ(locate->owner(), nullptr);
  delete locate;  // leaves no window to touch
}

TEST_F(WindowLogic, InvisibleWindowsCallNoSyncHook) {
  struct Hook : ISyncWindowItem {
    int calls = 0;
    void sync() override { ++calls; }
  } hook;
  GfxWindow window;
  window.addSyncItem(&hook);
  rk::gfx::GfxDeviceContext batch(nullptr);
  window.impl().visible_ = false;
  window.execute(batch, 0);
  EXPECT_EQ(hook.calls, 0);
  window.impl().visible_ = true;
  window.execute(batch, 0);  // no list is recording: the hooks still run first
  EXPECT_EQ(hook.calls, 1);
}

TEST_F(WindowLogic, GaugeBarsGrowWithTheirValueAndTurnWithTheirType) {
  struct Case {
    float now;
    int type;
    float x0, y0, x1, y1;  // the bar's first and second vertex
  };
  const Case cases[] = {
      {50, 2, 0, 0, 50, 0},        // half full, to the right
      {-5, 2, 0, 0, 0, 0},         // below zero: no length
      {250, 2, 0, 0, 100, 0},      // above max: display_max long
      {100, 3, 100, -10, 0, -10},  // turned half round about (50, -5)
      {100, 0, 45, -55, 45, 45},   // upright, a quarter turn about (50, -5)
  };
  for (const Case& c : cases) {
    WindowItemGauge gauge(nullptr);
    gauge.record().now = c.now;
    gauge.record().type = c.type;
    gauge.record().width = 10.0f;
    WindowContext context;
    context.base_color = rk::gfx::Color(1, 1, 1, 1);
    rk::gfx::LineVertex v[6];
    gauge.vertices(context, v);
    EXPECT_NEAR(v[0].x, c.x0, 1e-3) << c.now << " type " << c.type;
    EXPECT_NEAR(v[0].y, c.y0, 1e-3) << c.now << " type " << c.type;
    EXPECT_NEAR(v[1].x, c.x1, 1e-3) << c.now << " type " << c.type;
    EXPECT_NEAR(v[1].y, c.y1, 1e-3) << c.now << " type " << c.type;
  }
  // Colours: lower at the start, the mix at the end, the shade on the middle line.
  WindowItemGauge gauge(nullptr);
  gauge.record().now = 50;
  gauge.record().shade_color = rk::gfx::Color(0.5f, 0.5f, 0.5f, 1);
  WindowContext context;
  context.base_color = rk::gfx::Color(1, 1, 1, 1);
  context.origin = rk::math::Vector4{7, -3, 0, 0};
  rk::gfx::LineVertex v[6];
  gauge.vertices(context, v);
  EXPECT_EQ(v[0].color, 0xFF0000FFu);
  EXPECT_EQ(v[1].color, 0xFF7F007Fu);
  EXPECT_EQ(v[2].color, 0xFF00007Fu);
  EXPECT_EQ(v[4].color, v[0].color);
  EXPECT_FLOAT_EQ(v[0].x, 7.0f);  // moved by the origin
  EXPECT_FLOAT_EQ(v[0].y, -3.0f);
}

}  // namespace

namespace {

const rk::script::LuaClass kColumnClass{"rk::gfx::gfx_model_command::WindowItemMenuColumn"};
int noCollector(lua_State* L) {
  rk::script::LuaObjectLinks::release(rk::script::luaObjectBlock(L, 1));
  return 0;
}
const luaL_Reg kNoMethods[] = {{nullptr, nullptr}};

TEST_F(WindowLogic, AColumnsScriptObjectReadsNullOnceItsMenuDestroyedIt) {
  lua_State* L = luaL_newstate();
  GfxWindow window;
  WindowItemMenu* menu = makeMenu(window, 1);
  WindowItemMenuColumn* column = menu->state().columns[0];
  rk::script::LuaObjectBlock* block = nullptr;
  rk::script::pushLuaObject(L, column, kColumnClass, kNoMethods, noCollector, &block);
  column->links.link(block);
  lua_setglobal(L, "column");
  lua_getglobal(L, "column");
  EXPECT_EQ(rk::script::toLuaObject(L, -1, kColumnClass), column);
  delete menu;
  EXPECT_EQ(rk::script::toLuaObject(L, -1, kColumnClass), nullptr);
  lua_close(L);  // the collector lets go of the cell
}

}  // namespace
