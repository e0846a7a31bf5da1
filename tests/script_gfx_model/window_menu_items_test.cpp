// Menus, columns and control bars, and the string, font-adapter, locate and
// gauge items: method tables, what the methods write, the cursor rules
// (setCursor checked against the same path walked one completed move at a
// time), and who deletes what.
#include "font/directx_font/rk_directx_outline_font.h"
#include "gfx/rk_color.h"
#include "script_gfx_model/window_api_fixture.h"

namespace gfxmodelapitest {
namespace {

namespace gph = rk::script::gph;
namespace cmd = rk::gfx::gfx_model_command;

class MenuApi : public WindowApi {
 protected:
  void SetUp() override {
    WindowApi::SetUp();
    ASSERT_EQ(run("m = w:createMenu()"), "");
  }
  cmd::WindowItemMenu* menu(const char* name = "m") { return static_cast<cmd::WindowItemMenu*>(item(name)); }
  cmd::WindowItemMenuColumn* column(const char* name) {
    return global<cmd::WindowItemMenuColumn>(name, gph::kMenuColumnClass);
  }
};

TEST_F(MenuApi, MethodTablesInOrder) {
  EXPECT_EQ(namesOf(gph::kMenuMethods),
            (std::vector<std::string>{"addColumn", "addControlBar", "calcSize", "moveCursor", "movingCursor",
                                      "setCursor", "getCursor", "setCursorColor", "init"}));
  const std::vector<std::string> columnMethods = {"setBackName",    "setCenterName", "setSelectMode",
                                                  "getSelectMode", "setColumnColor", "setColumnName"};
  EXPECT_EQ(namesOf(gph::kMenuColumnMethods), columnMethods);
  std::vector<std::string> barMethods = {"getValue", "getMaxValue", "getMinValue",
                                         "setValue", "setMaxValue", "setMinValue"};
  barMethods.insert(barMethods.end(), columnMethods.begin(), columnMethods.end());
  EXPECT_EQ(namesOf(gph::kControlBarMethods), barMethods);
  ASSERT_EQ(run("c, bar = m:addColumn('a'), m:addControlBar('b')\n"
                "check(getmetatable(c).__gc == getmetatable(bar).__gc, 'one column release')\n"
                "check(getmetatable(m).__gc == getmetatable(w:createString()).__gc, 'the window-item release')"),
            "");
  EXPECT_EQ(menu()->state().columns.size(), 2u);
  EXPECT_EQ(settings().items_.front(), menu());
}

TEST_F(MenuApi, CursorMovesAnimatesAndScrolls) {
  const std::vector<LuaCase> cases = {
      {"idle menu", "check(m:movingCursor(1) == true) check(m:getCursor() == 0)"},
      {"half way, then the end",
       "m:moveCursor(2, 0.5) check(m:movingCursor(0.25) == false) check(m:movingCursor(0.25) == true)\n"
       "check(m:getCursor() == 2)"},
      {"same line", "m:setCursor(2) m:moveCursor(2, 1) check(m:movingCursor(0) == true)"},
      {"minus one wraps", "m:setCursor(-1) check(m:getCursor() == 4294967295) m:init(0) check(m:getCursor() == 0)"},
      {"far and back", "m:setCursor(2147483647) check(m:getCursor() == 2147483647)\n"
                       "m:setCursor(1) check(m:getCursor() == 1)"},
      {"method on another item", "m.setCursor(w:createString(), 1)", GPH("lua_GfxModel_Window_Menu_setCursor")},
      {"cursor colour", "m:setCursorColor(0x80FF00FF)"},
  };
  runCases(cases, "m = w:createMenu() for i = 1, 6 do m:addColumn('row' .. i) end ");

  ASSERT_EQ(run("m = w:createMenu() m:moveCursor(2, 0.5) m:movingCursor(0.25)"), "");
  EXPECT_FLOAT_EQ(menu()->state().cursor_pos, 1.0f);
  ASSERT_EQ(run("m:movingCursor(0.25)"), "");
  EXPECT_FLOAT_EQ(menu()->state().cursor_pos, 2.0f);
  ASSERT_EQ(run("m:setCursor(3)"), "");
  EXPECT_EQ(menu()->state().previous, 2u) << "passed lines 2 and 3 one at a time";
  ASSERT_EQ(run("m:setCursor(0)"), "");
  EXPECT_EQ(menu()->state().previous, 1u);
  ASSERT_EQ(run("m:setCursorColor(0x180FF00FF)"), "");
  EXPECT_EQ(menu()->state().cursor_color, 0x80FF00FFu) << "the low 32 bits";
}

// setCursor crosses stretches of lines that scroll nothing at once; the
// result must be what walking every line gives.
TEST_F(MenuApi, SetCursorEndsAsWalkingEveryLineDoes) {
  struct Case {
    int columns;
    float height, orgY;
    std::uint32_t from, to;
  };
  const Case cases[] = {
      {6, 30, 0, 0, 5},      {6, 30, 0, 5, 0},     {6, 30, 0, 0, 40},     {6, 30, 30, 40, 2},
      {6, 30, 0, 40, 0},     {6, 30, 20, 3, 60},   {3, 30, 0, 0, 50},     {3, 30, 10, 50, 1},
      {10, 25, 70, 90, 4},   {10, 25, -30, 90, 4}, {10, 25, 500, 90, 30}, {10, 25, 0, 4294967290u, 20},
      {10, 25, 0, 20, 4294967290u}, {0, 30, 0, 5, 80}, {10, 0, 0, 3, 70}, {8, 35, 40, 0, 0},
  };
  for (const Case& c : cases) {
    auto build = [&](cmd::GfxWindow& window) {
      window.impl().size_.y = c.height;
      auto* m = new cmd::WindowItemMenu(&window);
      window.addItem(m);
      for (int i = 0; i < c.columns; ++i) m->addColumn()->name = "row";
      m->state().cursor = c.from;
      window.impl().org_.y = c.orgY;
      return m;
    };
    cmd::GfxWindow fast, slow;
    cmd::WindowItemMenu* a = build(fast);
    cmd::WindowItemMenu* b = build(slow);
    a->setCursor(c.to);
    // The same path, one completed move per line.
    const bool up = static_cast<std::int32_t>(c.to - c.from) > 0;
    for (std::uint32_t line = c.from;; line = up ? line + 1 : line - 1) {
      b->moveCursor(line, 1.0f);
      b->state().elapsed = b->state().duration;
      b->animateCursor(0.0f);
      if (line == c.to) break;
    }
    const std::string name = std::to_string(c.columns) + " columns, " + std::to_string(c.from) + " to " +
                             std::to_string(c.to) + " from org " + std::to_string(c.orgY);
    EXPECT_EQ(a->state().cursor, b->state().cursor) << name;
    EXPECT_EQ(a->state().previous, b->state().previous) << name;
    EXPECT_EQ(a->state().cursor_pos, b->state().cursor_pos) << name;
    EXPECT_EQ(fast.impl().org_.y, slow.impl().org_.y) << name;
    EXPECT_FALSE(a->state().animating) << name;
    delete a;
    delete b;
  }
}

TEST_F(MenuApi, ColumnsAndControlBars) {
  ASSERT_EQ(run("c = m:addColumn(12) bar = m:addControlBar('volume')"), "");
  cmd::WindowItemMenuColumn* c = column("c");
  auto* bar = static_cast<cmd::WindowItemControlBar*>(column("bar"));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->name, "12");
  EXPECT_EQ(bar->name, "volume");

  const std::vector<LuaCase> cases = {
      {"select mode reads unsigned", "c:setSelectMode(-1) check(c:getSelectMode() == 4294967295)\n"
                                     "c:setSelectMode(2) check(c:getSelectMode() == 2)"},
      {"bar values", "check(join(bar:getValue(), bar:getMinValue(), bar:getMaxValue()) == '100,0,100')\n"
                     "bar:setValue(25) bar:setMinValue(-5) bar:setMaxValue(50)\n"
                     "check(join(bar:getValue(), bar:getMinValue(), bar:getMaxValue()) == '25,-5,50')"},
      {"bar has the column methods", "bar:setSelectMode(1) check(bar:getSelectMode() == 1)"},
      {"names", "c:setBackName('back') c:setCenterName(3) c:setColumnName('front')"},
      {"bar method on a column", "check(bar.getValue(c) == 0)", GPH("lua_GfxModel_Window_Menu_ControlBar_getValue")},
      {"name that is none", "c:setColumnName({})", "rk::gfx::gfx_model_command::WindowItemMenuColumn::setColumnName"},
      {"column without a name", "m:addColumn()", "rk::gfx::gfx_model_command::WindowItemMenuColumn::setColumnName"},
  };
  runCases(cases);
  EXPECT_EQ(c->name, "front") << "the nameless call kept the name";
  EXPECT_EQ(c->back_name, "back");
  EXPECT_EQ(c->center_name, "3");

  struct Colour {
    const char* call;
    std::uint32_t normal, selected, disabled;
  };
  const Colour colours[] = {
      {"c:setColumnColor(5, 255, 0, 255, 0)", 0xFF00FF00u, 0xFFFF0000u, 0xFF404040u},
      {"c:setColumnColor(1, 128, 1, 2, 3)", 0xFF00FF00u, 0x80010203u, 0xFF404040u},
      {"c:setColumnColor(2, 255, 9, 9, 9)", 0xFF00FF00u, 0x80010203u, 0xFF090909u},
      {"c:setColumnColor(0, 0, 0, 0, 0)", 0x00000000u, 0x80010203u, 0xFF090909u},
  };
  for (const Colour& k : colours) {
    ASSERT_EQ(run(k.call), "") << k.call;
    EXPECT_EQ(c->normal_color, k.normal) << k.call;
    EXPECT_EQ(c->selected_color, k.selected) << k.call;
    EXPECT_EQ(c->disabled_color, k.disabled) << k.call;
  }
}

TEST_F(MenuApi, CalcSizeMeasuresTheWidestNameAndOneLinePerColumn) {
  ASSERT_EQ(run("check(join(m:calcSize()) == '0,0')\n"
                "m:addColumn('ab') m:addColumn('abcdef') m:addColumn('abc')\n"
                "check(join(m:calcSize()) == '30,30', join(m:calcSize()))"),
            "");
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(MenuApi, ColumnObjectsAndTheirMenuGoInAnyOrder) {
  ASSERT_EQ(run("a, b, c = m:addColumn('a'), m:addColumn('b'), m:addControlBar('c')"), "");
  cmd::WindowItemMenuColumn* a = column("a");
  cmd::WindowItemMenuColumn* c = column("c");
  ASSERT_EQ(run("b = nil"), "");
  collect();
  EXPECT_EQ(menu()->state().columns, (std::vector<cmd::WindowItemMenuColumn*>{a, c}));
  ASSERT_EQ(run("lone = w:createMenu():addColumn('x') collectgarbage() collectgarbage()"), "");
  ASSERT_EQ(run("m = nil"), "");
  collect();
  EXPECT_EQ(column("a"), nullptr);
  EXPECT_EQ(column("c"), nullptr);
  ASSERT_EQ(run("a:setColumnName('gone') check(c:getValue() == 0) a, c, lone = nil, nil, nil"), "");
  collect();
  EXPECT_EQ(log.entries(GPH("lua_GfxModel_Window_Menu_Column_setColumnName")), 1u);
  EXPECT_EQ(log.entries(GPH("lua_GfxModel_Window_Menu_ControlBar_getValue")), 1u);
}

// ------------------------------------------------------------------ items

TEST_F(WindowApi, ItemMethodTablesInOrder) {
  EXPECT_EQ(namesOf(gph::kStringItemMethods),
            (std::vector<std::string>{"setString", "getSize", "setSize", "calcSize"}));
  EXPECT_EQ(namesOf(gph::kFontAdapterItemMethods),
            (std::vector<std::string>{"changeFont", "getFontName", "setFontName", "setQuarity", "setPenSize",
                                      "setSizePt", "setSize"}));
  EXPECT_EQ(namesOf(gph::kLocateItemMethods), (std::vector<std::string>{"setLocate", "getLocate"}));
  EXPECT_EQ(namesOf(gph::kGaugeMethods),
            (std::vector<std::string>{"setGaugeType", "getGaugeType", "setMaxGauge", "getMaxGauge", "setNowGauge",
                                      "getNowGauge", "setGaugeWidth", "getGaugeWidth", "setDisplayGaugeMax",
                                      "getDisplayGaugeMax", "setLowerColor", "setUpperColor", "setDrawMode"}));
}

TEST_F(WindowApi, StringLocateAndGaugeMethods) {
  const std::vector<LuaCase> cases = {
      {"string size", "local s = w:createString() check(join(s:getSize()) == '0,0,1')\n"
                      "s:setSize(120, 24) check(join(s:getSize()) == '120,24,1')"},
      {"measured string sizes the window", "local s = w:createString() s:setString(1234) s:calcSize()\n"
                                           "local x, y = s:getSize() check(join(x, y) == join(w:getSize()))\n"
                                           "check(join(x, y) == '20,10', join(x, y))"},
      {"locate", "local p = w:createLocate() check(join(p:getLocate()) == '0,0')\n"
                 "p:setLocate(3, '4.5') check(join(p:getLocate()) == '3,4.5')"},
      {"gauge defaults", "local q = w:createGauge()\n"
                         "check(join(q:getGaugeType(), q:getMaxGauge(), q:getNowGauge(), q:getGaugeWidth(),\n"
                         "           q:getDisplayGaugeMax()) == '2,100,100,5,100')"},
      {"gauge values", "local q = w:createGauge() q:setGaugeType(3) q:setMaxGauge(50) q:setNowGauge(25)\n"
                       "q:setGaugeWidth(0.5) q:setDisplayGaugeMax(200)\n"
                       "check(join(q:getGaugeType(), q:getMaxGauge(), q:getNowGauge(), q:getGaugeWidth(),\n"
                       "           q:getDisplayGaugeMax()) == '3,50,25,0.5,200')"},
      {"string method on a locate", "local p, s = w:createLocate(), w:createString() s.setString(p, 'x')",
       GPH("lua_GfxWindow_Item_String_setString")},
      {"locate method on a string", "local s, p = w:createString(), w:createLocate() check(join(p.getLocate(s)) == '0,0')",
       GPH("lua_Gfx_Window_Locate_getLocate")},
      {"gauge method on nil", "local q = w:createGauge() check(q.getMaxGauge() == 0)",
       GPH("lua_GfxWindow_Item_Gauge_getMaxGauge")},
  };
  runCases(cases);

  ASSERT_EQ(run("q = w:createGauge() q:setLowerColor(255, 0, 255, 0) q:setUpperColor(128, 255, 0, 0) q:setDrawMode(1)\n"
                "s = w:createString() s:setString('hello')"),
            "");
  auto* gauge = static_cast<cmd::WindowItemGauge*>(item("q"));
  EXPECT_EQ(rk::gfx::colorToArgb(gauge->record().lower_color), 0xFF00FF00u);
  EXPECT_EQ(rk::gfx::colorToArgb(gauge->record().upper_color), 0x80FF0000u);
  EXPECT_EQ(gauge->record().draw_mode, 1);
  EXPECT_EQ(static_cast<cmd::WindowItemString*>(item("s"))->record().text, "hello");
}

TEST_F(WindowApi, FontAdapterItemForwardsToItsOwnOutlineFont) {
  ASSERT_EQ(run("f = w:createFontAdapter('DejaVu Sans', 3, 0)"), "");
  auto* fontItem = static_cast<cmd::WindowItemFontAdapter*>(item("f"));
  ASSERT_NE(fontItem, nullptr);
  auto* outline = dynamic_cast<rk::font::DirectXOutlineFont*>(fontItem->adapter().get());
  ASSERT_NE(outline, nullptr);
  EXPECT_EQ(outline->penSize(), 3);
  EXPECT_EQ(outline->quality(), 1) << "a quality of 0 is taken as 1";
  EXPECT_EQ(outline->getFontSize()->y, 1.0f) << "pixel size 1 until the script sizes it";
  ASSERT_EQ(run("check(f:getFontName() == 'DejaVu Sans')\n"
                "f:setFontName(7) check(f:getFontName() == '7')\n"
                "f:setQuarity(0) f:setPenSize(2) f:setSize(24) f:changeFont() f:setSizePt(12)"),
            "");
  EXPECT_EQ(outline->quality(), 1);
  EXPECT_EQ(outline->penSize(), 2);
  EXPECT_EQ(outline->getFontSize()->y, 16.0f) << "12 points at 96 pixels per 72";
  ASSERT_EQ(run("f.changeFont(w:createString())"), "");
  EXPECT_EQ(log.entries(GPH("lua_GfxWindow_Item_FontAdapter_changeFont")), 1u);
}

}  // namespace
}  // namespace gfxmodelapitest
