// The colour, lighting, line, ribbon, draw-flash and wipe command objects:
// method tables and collectors, the values their creators give, their
// setters, and what they draw or change for the commands after them.
#include "gfx/gfx_model_command/rk_gfx_billboard.h"
#include "gfx/gfx_model_command/rk_gfx_model_state.h"
#include "gfx/gfx_model_command/rk_gfx_wipe.h"
#include "gfx/rk_studio_info.h"
#include "gfx/rk_texture.h"
#include "math/rk_counter.h"
#include "math/rk_counter_manager.h"
#include "script_gfx_model/gfx_model_api_fixture.h"
#include "support/math_near.h"

namespace gfxmodelapitest {
namespace {

namespace cmd = rk::gfx::gfx_model_command;
namespace gph = rk::script::gph;
using rk::gfx::GfxModelList;
using rk::math::Vector4;

class DrawCommandApi : public GfxModelApi {
 protected:
  void SetUp() override {
    GfxModelApi::SetUp();
    rk::math::CounterManager::createInstance();
    ASSERT_EQ(run("g = createGfxModel() g:setVisible(true)"), "");
  }
  void TearDown() override {
    rk::script::ScriptStateManager::destroyInstance();
    rk::math::CounterManager::destroyInstance();
    GfxModelApi::TearDown();
  }
  template <class T>
  T* made(const char* name) {
    return dynamic_cast<T*>(command(name));
  }
  lua_CFunction collectorOf(const char* name) {
    lua_getglobal(L, name);
    lua_getmetatable(L, -1);
    lua_getfield(L, -1, "__gc");
    lua_CFunction f = lua_tocfunction(L, -1);
    lua_settop(L, 0);
    return f;
  }
  int methodCount(const char* name) {
    EXPECT_EQ(run(std::string("n = 0 for k in pairs(getmetatable(") + name + ").__index) do n = n + 1 end"), "");
    lua_getglobal(L, "n");
    const int n = static_cast<int>(lua_tointeger(L, -1));
    lua_settop(L, 0);
    return n;
  }
};

::testing::AssertionResult colourIs(const rk::gfx::Color& c, float r, float g, float b, float a) {
  return rktest::nearVector(Vector4{c.getR(), c.getG(), c.getB(), c.getA()}, Vector4{r, g, b, a}, 1e-6f);
}

TEST_F(DrawCommandApi, MethodTablesInOrder) {
  const std::pair<const luaL_Reg*, std::vector<std::string>> tables[] = {
      {gph::kLightingMethods, {"setValid", "setAmbientColor", "setLightValid", "setLight"}},
      {gph::kLineDrawMethods, {"lineTo", "moveTo", "setVisible", "isVisible", "clear"}},
      {gph::kCapsuleLaserMethods,
       {"setRadius", "setLength", "setAxis", "setLeadUV", "setCenterUV", "setTermUV", "setPos", "setVisible",
        "isVisible"}},
      {gph::kPolyLineDrawMethods,
       {"setWidth", "setTopUV", "setCenterUV", "setEndUV", "setTexture", "addPos", "clear", "setVisible"}},
      {gph::kDrawFlashMethods,
       {"setDrawType", "setVertexColorStruct", "create", "setVertexNum", "setIndex", "lock", "unlock", "writeIndex",
        "writeVertex", "writeDiffuse"}},
      {gph::kGfxWipeMethods, {"fadeOut", "fadeIn", "isEndOfWipe", "start", "stop"}},
  };
  for (const auto& [table, names] : tables) EXPECT_EQ(namesOf(table), names) << names.front();
}

TEST_F(DrawCommandApi, CreatorsAppendTheirCommandWithItsMethodsAndCollector) {
  enum Collector { kRelease, kDeleteList, kOwn };
  struct Case {
    const char* create;
    bool (*kind)(GfxModelList*);
    int methods;
    Collector collector;
  };
  const Case cases[] = {
      {"createAmbientColor()", [](GfxModelList* c) { return !!dynamic_cast<cmd::SettingAmbient*>(c); }, 1, kRelease},
      {"createSetColor()", [](GfxModelList* c) { return !!dynamic_cast<cmd::SetColor*>(c); }, 1, kRelease},
      {"createLighting()", [](GfxModelList* c) { return !!dynamic_cast<cmd::Lighting*>(c); }, 4, kRelease},
      {"createLineDraw()", [](GfxModelList* c) { return !!dynamic_cast<cmd::LineDraw*>(c); }, 5, kRelease},
      {"createCapsuleLaser()", [](GfxModelList* c) { return !!dynamic_cast<cmd::CapsuleLaser*>(c); }, 9, kOwn},
      {"createPolyLineDraw()", [](GfxModelList* c) { return !!dynamic_cast<cmd::PolyLineDraw*>(c); }, 8, kDeleteList},
      {"createDrawFlash()", [](GfxModelList* c) { return !!dynamic_cast<cmd::DrawFlash*>(c); }, 10, kOwn},
      {"createWipe(1, 'w')", [](GfxModelList* c) { return !!dynamic_cast<cmd::GfxWipe*>(c); }, 5, kOwn},
  };
  rk::gfx::GfxModel* model = gfxModel("g");
  ASSERT_EQ(run("keep = {}"), "");
  for (const Case& c : cases) {
    ASSERT_EQ(run(std::string("c = g:") + c.create + " keep[#keep + 1] = c"), "") << c.create;
    GfxModelList* command = this->command("c");
    ASSERT_NE(command, nullptr) << c.create;
    EXPECT_TRUE(c.kind(command)) << c.create;
    EXPECT_EQ(command->owner_, model) << c.create;
    EXPECT_EQ(model->commands().back(), command) << c.create;
    EXPECT_EQ(methodCount("c"), c.methods) << c.create;
    const lua_CFunction gc = collectorOf("c");
    EXPECT_EQ(gc == &gph::releaseGfxCommand, c.collector == kRelease) << c.create;
    EXPECT_EQ(gc == &rk::gfx::GfxModel::deleteList, c.collector == kDeleteList) << c.create;
  }
  EXPECT_EQ(model->commands().size(), std::size(cases));
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(DrawCommandApi, NewCommandsHoldTheirDefaults) {
  ASSERT_EQ(run("a = g:createAmbientColor() s = g:createSetColor() l = g:createLighting() d = g:createLineDraw()\n"
                "c = g:createCapsuleLaser() p = g:createPolyLineDraw() f = g:createDrawFlash()\n"
                "check(d:isVisible() == true and c:isVisible() == false, 'visible flags')"),
            "");
  EXPECT_TRUE(colourIs(made<cmd::SettingAmbient>("a")->color(), 1, 1, 1, 1));
  EXPECT_TRUE(colourIs(made<cmd::SetColor>("s")->color(), 1, 1, 1, 1));
  EXPECT_EQ(made<cmd::Lighting>("l")->studio().lightMode(), 2);
  EXPECT_TRUE(made<cmd::Lighting>("l")->studio().lights().empty());
  EXPECT_TRUE(made<cmd::LineDraw>("d")->params().points.empty());
  const cmd::CapsuleLaser::Params& capsule = made<cmd::CapsuleLaser>("c")->params();
  EXPECT_EQ(capsule.radius, 1.0f);
  EXPECT_EQ(capsule.length, 1.0f);
  EXPECT_TRUE(rktest::nearVector(capsule.axis, Vector4{0, 1, 0, 0}, 0));
  EXPECT_TRUE(rktest::nearVector(capsule.lead_uv[1], Vector4{1, 1, 0, 0}, 0));
  EXPECT_TRUE(rktest::nearVector(capsule.term_uv[0], Vector4{0, 0, 0, 0}, 0));
  const cmd::PolyLineDraw::Params& poly = made<cmd::PolyLineDraw>("p")->params();
  EXPECT_EQ(poly.width, 1.0f);
  EXPECT_TRUE(poly.visible);
  EXPECT_FALSE(poly.texture);
  EXPECT_TRUE(rktest::nearVector(poly.center_uv[1], Vector4{0, 0, 0, 0}, 0));
  EXPECT_EQ(made<cmd::DrawFlash>("f")->drawType(), 0);
}

TEST_F(DrawCommandApi, ColourNumbersBecomeFloatColours) {
  const struct {
    const char* code;
    float r, g, b, a;
  } cases[] = {
      {"c:setColor(0x80FF0000)", 1, 0, 0, 128 / 255.0f},
      {"c:setColor(4294967295)", 1, 1, 1, 1},
      {"c:setColor(-1)", 1, 1, 1, 1},
      {"c:setColor(4294967296 + 0x0000FF00)", 0, 1, 0, 0},
      {"c:setColor('0x400000FF')", 0, 0, 1, 64 / 255.0f},
      {"c:setColor()", 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(run(std::string("c = g:createSetColor() ") + c.code), "") << c.code;
    EXPECT_TRUE(colourIs(made<cmd::SetColor>("c")->color(), c.r, c.g, c.b, c.a)) << c.code;
    // The same number through the ambient command's setter.
    ASSERT_EQ(run(std::string(c.code).replace(0, 10, "c = g:createAmbientColor() c:setAmbient")), "") << c.code;
    EXPECT_TRUE(colourIs(made<cmd::SettingAmbient>("c")->color(), c.r, c.g, c.b, c.a)) << c.code;
  }
}

TEST_F(DrawCommandApi, LightingEditsItsOwnStudioRecord) {
  struct Case {
    const char* code;
    bool (*holds)(rk::gfx::StudioInfo&);
  };
  const Case cases[] = {
      {"l:setValid(5)", [](rk::gfx::StudioInfo& s) { return s.lightMode() == 5; }},
      {"l:setValid(4294967295)", [](rk::gfx::StudioInfo& s) { return s.lightMode() == -1; }},
      {"l:setAmbientColor(0xFF008000)",
       [](rk::gfx::StudioInfo& s) { return s.ambientColor().getG() == 128 / 255.0f && s.ambientColor().getR() == 0; }},
      {"l:setLightValid(3, false)", [](rk::gfx::StudioInfo& s) { return s.lights().empty(); }},
      {"l:setLightValid(3, 0)", [](rk::gfx::StudioInfo& s) { return s.lights().count(3) == 1; }},
      {"l:setLight(2, 1, 0xFFFF0000, 0, 0, 1, 2, 3, 0, -1, 0, 10, 1, 0.5, 0.25, 0.125, 0.3, 0.6)",
       [](rk::gfx::StudioInfo& s) {
         const rk::gfx::LightParameter& p = s.lights().at(2);
         return s.lights().size() == 1 && p.type == 1 && p.diffuse[0] == 1 && p.diffuse[3] == 1 &&
                p.specular[3] == 0 && p.position[2] == 3 && p.direction[1] == -1 && p.range == 10 &&
                p.falloff == 1 && p.attenuation0 == 0.5f && p.attenuation2 == 0.125f && p.theta == 0.3f &&
                p.phi == 0.6f;
       }},
      {"l:setLight(2, 1, 0, 0, 0, 1) l:setLight(2, 3, 0, 0, 0, 7)",
       [](rk::gfx::StudioInfo& s) {
         return s.lights().size() == 1 && s.lights().at(2).type == 3 && s.lights().at(2).position[0] == 7;
       }},
      {"l:setLight(4, 1, 0, 0, 0, 1) l:setLightValid(4, false) l:setLightValid(4, true)",
       [](rk::gfx::StudioInfo& s) {
         return s.lights().size() == 1 && s.lights().at(4).type == 0 && s.lights().at(4).position[0] == 0;
       }},
      {"l:setLight(4, 1) l:setLightValid(4, true)",
       [](rk::gfx::StudioInfo& s) { return s.lights().at(4).type == 1; }},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(run(std::string("l = g:createLighting() ") + c.code), "") << c.code;
    EXPECT_TRUE(c.holds(made<cmd::Lighting>("l")->studio())) << c.code;
  }
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(DrawCommandApi, LineDrawPointsAndVisibility) {
  const std::pair<const char*, std::size_t> cases[] = {
      {"d:lineTo(1, 2, 3) d:lineTo(4, 5, 6)", 2},
      {"d:lineTo(1, 2, 3) d:lineTo(4, 5, 6) d:moveTo(7, 8, 9)", 1},
      {"d:lineTo(1, 2, 3) d:clear()", 0},
      {"d:moveTo() d:lineTo('1', 2)", 2},
  };
  for (const auto& [code, points] : cases) {
    ASSERT_EQ(run(std::string("d = g:createLineDraw() ") + code), "") << code;
    EXPECT_EQ(made<cmd::LineDraw>("d")->params().points.size(), points) << code;
  }
  ASSERT_EQ(run("d = g:createLineDraw() d:lineTo(1, 2, 3) d:moveTo(7, 8, 9)"), "");
  EXPECT_TRUE(rktest::nearVector(made<cmd::LineDraw>("d")->params().points.at(0), Vector4{7, 8, 9, 0}, 0));
  ASSERT_EQ(run("d:setVisible(nil) check(d:isVisible() == false) d:setVisible(0) check(d:isVisible() == true)"), "");
}

// One point draws nothing; a second one makes a segment; hidden, nothing.
TEST_F(DrawCommandApi, LineDrawDrawsAStripFromTwoPoints) {
  ASSERT_EQ(run("d = g:createLineDraw() d:moveTo(0, 0, 0)"), "");
  drawModel(gfxModel("g"));
  EXPECT_TRUE(draws().empty());
  ASSERT_EQ(run("d:lineTo(1, 1, 0)"), "");
  drawModel(gfxModel("g"));
  ASSERT_EQ(draws().size(), 1u);
  EXPECT_EQ(draws()[0].count, 2u);
  ASSERT_EQ(run("d:setVisible(false)"), "");
  drawModel(gfxModel("g"));
  EXPECT_TRUE(draws().empty());
  ASSERT_EQ(run("d:setVisible(true) d = nil"), "");
  collect();
  drawModel(gfxModel("g"));
  EXPECT_TRUE(draws().empty()) << "a collected line is gone from the model";
}

TEST_F(DrawCommandApi, SetColorColoursTheCommandsAfterIt) {
  addProbe("g");
  ASSERT_EQ(run("s = g:createSetColor()"), "");
  addProbe("g");
  ASSERT_EQ(run("s2 = g:createSetColor() s2:setColor(0xFF0000FF)"), "");
  addProbe("g");
  drawModel(gfxModel("g"));
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_TRUE(colourIs(seen[1].color, 1, 1, 1, 1)) << "a new colour command: white";
  EXPECT_TRUE(colourIs(seen[2].color, 0, 0, 1, 1));
}

TEST_F(DrawCommandApi, CapsuleLaserSetters) {
  ASSERT_EQ(run("c = g:createCapsuleLaser()\n"
                "c:setRadius(2) c:setLength('3') c:setAxis(0, 0, 5) c:setLeadUV(0.1, 0.2, 0.3, 0.4)\n"
                "c:setCenterUV(1, 2, 3, 4) c:setTermUV(5, 6, 7, 8) c:setPos(1, 2, 3) c:setVisible(1)\n"
                "check(c:isVisible() == true)"),
            "");
  const cmd::CapsuleLaser::Params& p = made<cmd::CapsuleLaser>("c")->params();
  EXPECT_EQ(p.radius, 2.0f);
  EXPECT_EQ(p.length, 3.0f);
  EXPECT_TRUE(rktest::nearVector(p.axis, Vector4{0, 0, 1, 0}, 1e-6f));
  EXPECT_TRUE(rktest::nearVector(p.lead_uv[0], Vector4{0.1f, 0.2f, 0, 0}, 1e-6f));
  EXPECT_TRUE(rktest::nearVector(p.lead_uv[1], Vector4{0.3f, 0.4f, 0, 0}, 1e-6f));
  EXPECT_TRUE(rktest::nearVector(p.center_uv[1], Vector4{3, 4, 0, 0}, 0));
  EXPECT_TRUE(rktest::nearVector(p.term_uv[0], Vector4{5, 6, 0, 0}, 0));
  EXPECT_TRUE(rktest::nearVector(p.position, Vector4{1, 2, 3, 0}, 0));
  ASSERT_EQ(run("c:setAxis(0, 0, 0) c:setVisible(false) check(c:isVisible() == false)"), "");
  EXPECT_TRUE(rktest::nearVector(p.axis, Vector4{0, 0, 0, 0}, 0)) << "a zero axis stays zero";
}

TEST_F(DrawCommandApi, PolyLineSettersAndTexture) {
  ASSERT_EQ(run("t = createTexture('t', true) p = g:createPolyLineDraw()\n"
                "p:setWidth(4) p:setTopUV(1, 2, 3, 4) p:setCenterUV(5, 6, 7, 8) p:setEndUV(9, 10, 11, 12)\n"
                "p:addPos(1, 2, 3) p:addPos(4, 5, 6) p:setVisible(false) p:setTexture(t)"),
            "");
  const cmd::PolyLineDraw::Params& p = made<cmd::PolyLineDraw>("p")->params();
  rk::gfx::RkTexture* t = global<rk::gfx::RkTexture>("t", gph::kTextureClass);
  EXPECT_EQ(p.width, 4.0f);
  EXPECT_TRUE(rktest::nearVector(p.top_uv[1], Vector4{3, 4, 0, 0}, 0));
  EXPECT_TRUE(rktest::nearVector(p.center_uv[0], Vector4{5, 6, 0, 0}, 0));
  EXPECT_TRUE(rktest::nearVector(p.end_uv[1], Vector4{11, 12, 0, 0}, 0));
  ASSERT_EQ(p.points.size(), 2u);
  EXPECT_TRUE(rktest::nearVector(p.points[1], Vector4{4, 5, 6, 0}, 0));
  EXPECT_FALSE(p.visible);
  EXPECT_EQ(p.texture.get(), t);
  EXPECT_EQ(t->count(), 2);
  ASSERT_EQ(run("p:setTexture(createLight(0)) p:clear()"), "");
  EXPECT_FALSE(p.texture) << "anything but a texture object lets the texture go";
  EXPECT_EQ(t->count(), 1);
  EXPECT_TRUE(p.points.empty());
}

TEST_F(DrawCommandApi, DrawFlashKeepsItsDrawKindAndNothingElse) {
  ASSERT_EQ(run("f = g:createDrawFlash() f:setDrawType(3.7)\n"
                "check(f:lock() == true, 'lock')\n"
                "check(select('#', f:create()) == 0 and select('#', f:writeVertex(1)) == 0, 'no results')\n"
                "f:setVertexColorStruct(1) f:setVertexNum(4) f:setIndex(6) f:writeIndex(1, 2) f:writeDiffuse(1)\n"
                "f:unlock()"),
            "");
  EXPECT_EQ(made<cmd::DrawFlash>("f")->drawType(), 3);
  drawModel(gfxModel("g"));
  EXPECT_TRUE(draws().empty());
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(DrawCommandApi, WipeRunsOnItsNamedCounter) {
  ASSERT_EQ(run("w = g:createWipe(3.9, 'fade')"), "");
  auto* wipe = made<cmd::GfxWipe>("w");
  ASSERT_NE(wipe, nullptr);
  ASSERT_NE(wipe->counter(), nullptr);
  EXPECT_EQ(wipe->counter(), rk::math::CounterManager::getInstance()->getCounter(3, "fade"));
  wipe->counter()->release(__FILE__, __LINE__);  // the look-up's reference
  EXPECT_FALSE(wipe->counter()->isRunning());
  ASSERT_EQ(run("w:fadeOut(255, 0, 0, 0.5) check(w:isEndOfWipe() == false) w:start()"), "");
  EXPECT_TRUE(wipe->counter()->isRunning());
  frames(40);
  ASSERT_EQ(run("check(w:isEndOfWipe() == true) w:stop()"), "");
  EXPECT_FALSE(wipe->counter()->isRunning());
  ASSERT_EQ(run("w:fadeIn(0, 0, 0, 0) check(w:isEndOfWipe() == true, 'a zero duration ends at once')"), "");
  drawModel(gfxModel("g"));
  EXPECT_FALSE(gfxModel("g")->isVisible()) << "a finished fade-in hides its model";
  EXPECT_TRUE(log.empty()) << log.text();
}

// A number names the counter in its text form; any other value gives the
// wipe an unnamed counter of its own.
TEST_F(DrawCommandApi, WipeCounterNames) {
  ASSERT_EQ(run("w = g:createWipe(1, {}) w2 = g:createWipe(1) n = g:createWipe('2', 7)"), "");
  rk::math::Counter* seven = rk::math::CounterManager::getInstance()->getCounter(0, "7");
  EXPECT_EQ(made<cmd::GfxWipe>("n")->counter(), seven);
  EXPECT_EQ(seven->kind(), 2);
  seven->release(__FILE__, __LINE__);
  rk::math::Counter* own = made<cmd::GfxWipe>("w")->counter();
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(own->name(), "");
  EXPECT_NE(made<cmd::GfxWipe>("w2")->counter(), own);
}

TEST_F(DrawCommandApi, NullObjectsAreReportedUnderTheMethodsNames) {
  const std::vector<LuaCase> cases = {
      {"ambient", "local c = g:createAmbientColor() c.setAmbient(g, 1)",
       GPH("lua_GfxModel_SettingAmbient_setAmbient")},
      {"colour", "local c = g:createSetColor() c.setColor(nil, 1)", GPH("lua_GfxModel_SetColor_setColor")},
      {"lighting", "local c = g:createLighting() c.setLight(g:createSetColor(), 1, 1)",
       GPH("lua_GfxModel_Lighting_setLight")},
      {"line", "local c = g:createLineDraw() check(c.isVisible(g:createLighting()) == false)",
       GPH("lua_GfxModel_LineDraw_isVisible")},
      {"capsule", "local c = g:createCapsuleLaser() c.setRadius(g:createLineDraw(), 1)",
       "rk::gfx::gfx_model_command::`anonymous-namespace'::lua_CapsuleLaser_setRadius"},
      {"poly", "local c = g:createPolyLineDraw() c.addPos(1, 1, 2, 3)",
       "rk::gfx::gfx_model_command::`anonymous-namespace'::lua_PolyLineDraw_addPos"},
      {"flash", "local c = g:createDrawFlash() c.setDrawType(nil, 1)",
       "rk::gfx::gfx_model_command::`anonymous-namespace'::lua_DrawFlash_setDrawType"},
      {"wipe", "local c = g:createWipe(0, 'x') check(c.isEndOfWipe(g) == false)",
       "rk::gfx::gfx_model_command::`anonymous-namespace'::lua_GfxWipe_isEndOfWipe"},
      {"wipe released twice", "local c = g:createWipe(0, 'x') local gc = getmetatable(c).__gc gc(c) gc(c)",
       "rk::gfx::gfx_model_command::`anonymous-namespace'::lua_GfxWipe_releaseGfxWipe"},
      {"capsule released twice", "local c = g:createCapsuleLaser() local gc = getmetatable(c).__gc gc(c) gc(c)",
       "rk::gfx::gfx_model_command::`anonymous-namespace'::releaseCapsuleLaserCommand"},
      {"poly released twice", "local c = g:createPolyLineDraw() local gc = getmetatable(c).__gc gc(c) gc(c)",
       "rk::gfx::GfxModel::deleteList"},
      {"creator", "local c = g.createLineDraw(nil) c:lineTo(1, 2, 3) c:lineTo(1, 2, 4)",
       GPH("lua_GfxModel_createLineDraw")},
      {"wipe creator", "local c = g.createWipe(createLight(0), 0, 'x') c:start() c:stop()",
       GPH("lua_GfxModel_createWipe")},
  };
  runCases(cases);
}

// Commands of every kind outlive a collected gfx model and go quietly later.
TEST_F(DrawCommandApi, CommandsOutliveTheirCollectedGfxModel) {
  ASSERT_EQ(run("a = g:createAmbientColor() l = g:createLighting() d = g:createLineDraw() c = g:createCapsuleLaser()\n"
                "p = g:createPolyLineDraw() f = g:createDrawFlash() w = g:createWipe(0, 'x')\n"
                "g = nil"),
            "");
  collect();
  EXPECT_TRUE(manager->models().empty());
  ASSERT_EQ(run("l:setLight(1, 1) d:lineTo(1, 1, 1) c:setVisible(true) p:addPos(1, 1, 1) w:fadeOut(0, 0, 0, 1)\n"
                "a = nil l = nil d = nil c = nil p = nil f = nil w = nil"),
            "");
  collect();
  EXPECT_TRUE(log.empty()) << log.text();
}

}  // namespace
}  // namespace gfxmodelapitest
