// The window object: its method table, the settings its methods write, the
// font arithmetic of setFontSize, and the item list its creators fill.
#include "script_gfx_model/window_api_fixture.h"

namespace gfxmodelapitest {
namespace {

namespace gph = rk::script::gph;
using rk::gfx::gfx_model_command::WindowItemAdapter;

TEST_F(WindowApi, MethodTableInOrderWithTheGaugeCreatorTwice) {
  const std::vector<std::string> expected = {
      "setOrg",         "setSize",        "getSize",          "setFrameSize", "setFontColor",  "setFrameColor",
      "setFrameDrawMode", "setBGColor",   "setTitle",         "setWindowColor", "setBaseColor", "getBaseColor",
      "isVisible",      "setVisible",     "createGauge",      "createMenu",   "createLocate",  "createFontAdapter",
      "createString",   "cls",            "setFontSize",      "setTitleFontSize", "createGauge", "setFontAdapter",
      "popFontAdapter"};
  EXPECT_EQ(namesOf(gph::kWindowMethods), expected);
  EXPECT_EQ(gph::kWindowMethods[14].func, gph::kWindowMethods[22].func);
  ASSERT_NE(window(), nullptr);
  EXPECT_EQ(gfxModel("g")->commands().back(), window());
  ASSERT_EQ(run("local n = 0 for k in pairs(getmetatable(w).__index) do n = n + 1 end\n"
                "check(n == 24, 'twenty-four names')\n"
                "check(getmetatable(w).__gc == getmetatable(g:createLaser()).__gc, 'releaseGfxCommand')"),
            "");
}

TEST_F(WindowApi, MethodsWriteTheSettings) {
  const std::vector<LuaCase> cases = {
      {"fresh", "check(join(w:getSize()) == '1,1') check(w:isVisible() == 1)"},
      {"hidden answers the number 0", "w:setVisible(false) check(w:isVisible() == 0) w:setVisible(0)\n"
                                      "check(w:isVisible() == 1)"},
      {"size", "w:setSize(120, '24') check(join(w:getSize()) == '120,24')"},
      {"base colour round trip", "w:setBaseColor(128, 255, 0, 64) check(join(w:getBaseColor()) == '128,255,0,64')"},
      {"low byte of each channel", "w:setBaseColor(261, -1, 256, 0) check(join(w:getBaseColor()) == '5,255,0,0')"},
      {"every byte round trips", "for v = 0, 255 do w:setBaseColor(v, v, 255 - v, v)\n"
                                 "  check(join(w:getBaseColor()) == join(v, v, 255 - v, v), v) end"},
      {"method on another command", "w.setOrg(g:createLaser(), 1, 2)", GPH("lua_GfxModel_Window_setOrg")},
      {"getter on nil", "check(join(w.getSize()) == '0,0')", GPH("lua_GfxModel_Window_getSize")},
      {"creator on a released window", "local x = g:createWindow() getmetatable(x).__gc(x)\n"
                                       "local s = x:createString() s:setString('still works')",
       GPH("lua_GfxModel_Window_createString")},
  };
  runCases(cases, "w = g:createWindow() ");

  ASSERT_EQ(run("w:setOrg(3, 4) w:setFrameSize(0.5) w:setFontColor(0x80, 1, 2, 3) w:setFrameColor(255, 255, 0, 0)\n"
                "w:setFrameDrawMode(4294967295) w:setBGColor(0, 0, 255, 0) w:setTitle(12)\n"
                "w:setWindowColor(1, 2, 3, 4) w:setBaseColor(255, 16, 32, 48) w:setTitleFontSize(7)"),
            "");
  auto& s = settings();
  EXPECT_EQ(s.org_.x, 3.0f);
  EXPECT_EQ(s.org_.y, 4.0f);
  EXPECT_EQ(s.frame_size_, 0.5f);
  EXPECT_EQ(s.font_color_, 0x80010203u);
  EXPECT_EQ(rk::gfx::colorToArgb(s.frame_color_), 0xFFFF0000u);
  EXPECT_EQ(s.frame_draw_mode_, -1);
  EXPECT_EQ(rk::gfx::colorToArgb(s.bg_color_), 0x0000FF00u);
  EXPECT_EQ(s.title_, "12") << "a number is taken in its string form";
  EXPECT_EQ(s.window_color_, 0x01020304u);
  EXPECT_EQ(s.base_color_, 0xFF102030u);
  EXPECT_EQ(s.title_font_size_, 7);
  ASSERT_EQ(run("w:setTitle({})"), "");
  EXPECT_EQ(s.title_, "12") << "no text: the title stays";
}

TEST_F(WindowApi, SetFontSizeDividesByQualityAndHalvesTheTitle) {
  struct Case {
    const char* call;
    std::int32_t height, pen, quality, title;
  };
  const Case cases[] = {
      {"w:setFontSize(20)", 20, 1, 1, 10},
      {"w:setFontSize(33, 3)", 32, 3, 1, 16},
      {"w:setFontSize(40, 4, 2)", 18, 4, 2, 20},
      {"w:setFontSize(40, nil, nil)", 40, 0, 0, 20},  // present arguments count, whatever their values
      {"w:setFontSize(21, 1, 0)", 21, 1, 0, 10},       // a quality of 0 divides as 1
      {"w:setFontSize(-7)", -7, 1, 1, 0x7FFFFFFC},     // the title's shift is unsigned
      {"w:setFontSize(-2147483648, 0, -1)", -2147483648, 0, -1, 0x40000000},
  };
  for (const Case& c : cases) {
    text->calls.clear();
    ASSERT_EQ(run(c.call), "") << c.call;
    auto& s = settings();
    EXPECT_EQ(s.item_font_size_, c.height) << c.call;
    EXPECT_EQ(s.item_pen_size_, c.pen) << c.call;
    EXPECT_EQ(s.item_quality_, c.quality) << c.call;
    EXPECT_EQ(s.title_font_size_, c.title) << c.call;
    ASSERT_FALSE(text->calls.empty()) << c.call;
    EXPECT_EQ(text->calls.back(), "changeFont") << "the text font is rebuilt: " << c.call;
  }
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(WindowApi, CreatorsAppendItemsInOrderAndClsLeavesThemAlive) {
  ASSERT_EQ(run("font = getUserFontAdapter()\n"
                "items = {w:createGauge(), w:createMenu(), w:createLocate(), w:createFontAdapter('DejaVu Sans', 2, 0),\n"
                "         w:createString(), w:setFontAdapter(font), w:popFontAdapter()}\n"
                "check(#items == 7, 'seven items')\n"
                "local gc = getmetatable(items[1]).__gc\n"
                "for i = 2, 7 do check(getmetatable(items[i]).__gc == gc, 'one release for all') end\n"
                "local pushed = getmetatable(items[6]).__index\n"
                "check(next(pushed) == nil and next(getmetatable(items[7]).__index) == nil, 'no methods')"),
            "");
  std::vector<WindowItemAdapter*> made;
  lua_getglobal(L, "items");
  for (int i = 1; i <= 7; ++i) {
    lua_rawgeti(L, -1, i);
    made.push_back(rk::script::toLuaObject<WindowItemAdapter>(L, -1, gph::kWindowItemClass));
    lua_pop(L, 1);
  }
  lua_settop(L, 0);
  EXPECT_EQ(settings().items_, made);

  // The second gauge creator and an item given up: it leaves the list.
  ASSERT_EQ(run("extra = w:createGauge() table.remove(items, 3)"), "");
  collect();
  ASSERT_EQ(settings().items_.size(), 7u);
  EXPECT_EQ(settings().items_[2], made[3]) << "the locate item left the list";
  EXPECT_EQ(settings().items_.back(), item("extra"));

  ASSERT_EQ(run("w:cls()"), "");
  EXPECT_TRUE(settings().items_.empty());
  ASSERT_EQ(run("items[4]:setString('kept') items = nil extra = nil"), "");
  collect();  // items released after cls are still destroyed (the sanitizers see any leak)
  EXPECT_TRUE(log.empty()) << log.text();

  ASSERT_EQ(run("check(w:setFontAdapter(12) == nil)"), "");
  EXPECT_EQ(log.entries(GPH("lua_GfxModel_Window_setFontAdapter")), 1u);
  EXPECT_TRUE(settings().items_.empty());
}

TEST_F(WindowApi, ItemsOutliveTheirWindow) {
  ASSERT_EQ(run("s, m, loc = w:createString(), w:createMenu(), w:createLocate() c = m:addColumn('row')\n"
                "w = nil"),
            "");
  collect();
  EXPECT_EQ(item("s")->owner(), nullptr);
  ASSERT_EQ(run("s:setString('x') s:calcSize() loc:setLocate(1, 2) check(join(loc:getLocate()) == '1,2')\n"
                "m:setCursor(2) check(m:getCursor() == 2) check(m:movingCursor(1))\n"
                "m:setCursor(2147483647) m:setCursor(-2) check(m:getCursor() == 4294967294)\n"
                "s, m, loc = nil, nil, nil"),
            "");
  collect();
  EXPECT_TRUE(log.empty()) << log.text();
  ASSERT_EQ(run("c:setSelectMode(1)"), "");
  EXPECT_EQ(log.entries(GPH("lua_GfxModel_Window_Menu_Column_setSelectMode")), 1u) << "the menu deleted its column";
}

}  // namespace
}  // namespace gfxmodelapitest
