// Billboard, billboard-chip and laser objects: their method tables, what
// their methods write, who deletes what when objects are collected in any
// order, and what they draw.
#include "gfx/gfx_model_command/rk_gfx_billboard.h"
#include "gfx/gfx_model_command/rk_gfx_laser.h"
#include "script/rk_script_gfx_parts.h"
#include "script_gfx_model/gfx_model_api_fixture.h"

namespace gfxmodelapitest {
namespace {

using rk::gfx::gfx_model_command::BillBoard;
using rk::gfx::gfx_model_command::BillboardChip;
using rk::gfx::gfx_model_command::Laser;
namespace gph = rk::script::gph;

std::string xyzw(const rk::math::Vector4& v) {
  char text[96];
  std::snprintf(text, sizeof text, "%g,%g,%g,%g", v.x, v.y, v.z, v.w);
  return text;
}

class BillboardApi : public GfxModelApi {
 protected:
  void SetUp() override {
    GfxModelApi::SetUp();
    ASSERT_EQ(run("g = createGfxModel() g:setVisible(true) b = g:createBillBoard()"), "");
  }
  BillBoard* billboard(const char* name = "b") { return dynamic_cast<BillBoard*>(command(name)); }
  BillboardChip* chip(const char* name) { return global<BillboardChip>(name, gph::kBillboardChipClass); }
};

TEST_F(BillboardApi, MethodTablesInOrderAndTheCommandAtTheEndOfTheList) {
  EXPECT_EQ(namesOf(gph::kBillboardMethods),
            (std::vector<std::string>{"setTexture", "createBillboardChip", "setZBufferWirte", "setZBuffer"}));
  EXPECT_EQ(namesOf(gph::kBillboardChipMethods),
            (std::vector<std::string>{"setWidthHeight", "setUV", "setPos", "setVisible", "isVisible"}));
  ASSERT_NE(billboard(), nullptr);
  EXPECT_EQ(gfxModel("g")->commands().back(), billboard());
  ASSERT_EQ(run("c = b:createBillboardChip()\n"
                "check(getmetatable(b).__gc == getmetatable(g:createWorldMatrix()).__gc, 'releaseGfxCommand')\n"
                "check(getmetatable(c).__gc ~= getmetatable(b).__gc, 'the chip has its own release')\n"
                "check(getmetatable(c).__index ~= getmetatable(b:createBillboardChip()).__index, 'own tables')"),
            "");
  EXPECT_EQ(billboard()->chips().size(), 2u);
  EXPECT_TRUE(billboard()->zBuffer());
  EXPECT_TRUE(billboard()->zBufferWrite());
}

TEST_F(BillboardApi, ChipMethodsWriteTheChip) {
  ASSERT_EQ(run("c = b:createBillboardChip()"), "");
  BillboardChip* c = chip("c");
  ASSERT_NE(c, nullptr);
  EXPECT_FALSE(c->visible);
  EXPECT_EQ(xyzw(c->corners[3]), "0,0,0,0") << "no size until setWidthHeight";
  ASSERT_EQ(run("c:setWidthHeight(2, 4) c:setUV(0, 0, 1, 1) c:setPos(1, '2', 3)"), "");
  const char* corners[] = {"-1,2,0,0", "1,2,0,0", "-1,-2,0,0", "1,-2,0,0"};
  const char* uvs[] = {"0,0,0,0", "1,0,0,0", "0,1,0,0", "1,1,0,0"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(xyzw(c->corners[i]), corners[i]) << i;
    EXPECT_EQ(xyzw(c->uvs[i]), uvs[i]) << i;
  }
  EXPECT_EQ(xyzw(c->position), "1,2,3,0");
  ASSERT_EQ(run("c:setWidthHeight(3, 1) c:setUV(0.25, 0.5, 0.75, 1)"), "");
  EXPECT_EQ(xyzw(c->corners[1]), "1.5,0.5,0,0");
  EXPECT_EQ(xyzw(c->corners[2]), "-1.5,-0.5,0,0");
  EXPECT_EQ(xyzw(c->uvs[2]), "0.25,1,0,0");

  const std::vector<LuaCase> cases = {
      {"visible flag", "c:setVisible(0) check(c:isVisible() == true) c:setVisible() check(c:isVisible() == false)"},
      {"depth switches", "b:setZBufferWirte(false) b:setZBuffer(nil)"},
      {"chip method on the billboard", "c.setPos(b, 1, 2, 3)", GPH("lua_GfxModel_BillboardChip_setPos")},
      {"chip method on nil", "check(c.isVisible(nil) == false)", GPH("lua_GfxModel_BillboardChip_isVisible")},
      {"billboard method on a chip", "check(b.createBillboardChip(c) == nil)",
       GPH("lua_GfxModel_Billboard_createBillboardChip")},
      {"texture that is not one", "b:setTexture(g)", GPH("lua_GfxModel_Billboard_setTexture")},
      {"no texture at all", "b:setTexture()", GPH("lua_GfxModel_Billboard_setTexture")},
  };
  runCases(cases);
  EXPECT_FALSE(billboard()->zBuffer());
  EXPECT_FALSE(billboard()->zBufferWrite());
  EXPECT_EQ(xyzw(c->position), "1,2,3,0") << "the misdirected setPos changed nothing";
}

TEST_F(BillboardApi, CollectingChipsKeepsTheOrderAndTheBillboardMayGoFirst) {
  ASSERT_EQ(run("c1, c2, c3 = b:createBillboardChip(), b:createBillboardChip(), b:createBillboardChip()"), "");
  BillboardChip* c1 = chip("c1");
  BillboardChip* c3 = chip("c3");
  ASSERT_EQ(run("c2 = nil"), "");
  collect();
  EXPECT_EQ(billboard()->chips(), (std::vector<BillboardChip*>{c1, c3}));
  // A chip made from a billboard object that nothing else holds: the
  // billboard is kept alive while the chip's object is built.
  ASSERT_EQ(run("lone = g:createBillBoard():createBillboardChip() collectgarbage() collectgarbage()"), "");
  // The billboard collected before its chips: their objects read null, and
  // their own collection touches nothing.
  ASSERT_EQ(run("b = nil"), "");
  collect();
  EXPECT_EQ(gfxModel("g")->commands().size(), 0u);
  EXPECT_EQ(chip("c1"), nullptr);
  log.clear();
  ASSERT_EQ(run("c1:setVisible(true) check(c3:isVisible() == false)"), "");
  EXPECT_EQ(log.entries(GPH("lua_GfxModel_BillboardChip_setVisible")), 1u);
  EXPECT_EQ(log.entries(GPH("lua_GfxModel_BillboardChip_isVisible")), 1u);
  ASSERT_EQ(run("c1, c3, lone = nil, nil, nil"), "");
  collect();
  EXPECT_EQ(log.entries(GPH("lua_GfxModel_Billboard_releaseChip")), 3u);
}

TEST_F(BillboardApi, DrawsVisibleChipsOnlyWithAReadyTextureThatItHoldsOnce) {
  rk::gfx::RkTexture* texture = loadedTexture("chip.dds");
  const int before = texture->count();
  ASSERT_EQ(run("c = b:createBillboardChip() c:setWidthHeight(2, 2) c:setUV(0, 0, 1, 1) c:setVisible(true)\n"
                "hidden = b:createBillboardChip() hidden:setWidthHeight(2, 2)"),
            "");
  drawModel(gfxModel("g"));
  EXPECT_TRUE(draws().empty()) << "no texture: nothing drawn";

  ASSERT_EQ(run("t = createTexture('chip.dds') b:setTexture(t) b:setTexture(t)"), "");
  EXPECT_EQ(texture->count(), before + 2) << "the object's reference and one of the billboard";
  drawModel(gfxModel("g"));
  ASSERT_EQ(draws().size(), 1u);
  EXPECT_EQ(draws()[0].count, 6u) << "one quad of two triangles: the hidden chip is left out";

  ASSERT_EQ(run("c:setVisible(false)"), "");
  drawModel(gfxModel("g"));
  EXPECT_TRUE(draws().empty());
  ASSERT_EQ(run("b, t = nil, nil"), "");
  collect();
  EXPECT_EQ(texture->count(), before) << "both references went";
  EXPECT_TRUE(log.empty()) << log.text();
}

// ------------------------------------------------------------------ laser

class LaserApi : public GfxModelApi {
 protected:
  void SetUp() override {
    GfxModelApi::SetUp();
    ASSERT_EQ(run("g = createGfxModel() g:setVisible(true) l = g:createLaser()"), "");
  }
  Laser* laser(const char* name = "l") { return dynamic_cast<Laser*>(command(name)); }
};

const std::vector<std::string> kLaserMethodNames = {
    "setTextureStageNum", "setWidth",       "setEye",          "setUV",            "setUVOffset",
    "clearPoint",         "pushPos",        "isVisible",       "setVisible",       "setTotalLength",
    "setStartLength",     "calcPointLength", "setLaserEndPoint", "setLoopLaser",     "isLoopLaser"};

TEST_F(LaserApi, RegistrationFillsTheTableAtIndexThreeAndLeavesTheStack) {
  EXPECT_EQ(namesOf(gph::kLaserMethods), kLaserMethodNames);
  lua_settop(L, 0);
  lua_pushnil(L);
  lua_newtable(L);
  lua_newtable(L);
  lua_pushinteger(L, 7);
  gph::lua_GfxModel_Laser_registerMethods(L);
  ASSERT_EQ(lua_gettop(L), 4);
  EXPECT_EQ(lua_tointeger(L, 4), 7);
  int count = 0;
  for (lua_pushnil(L); lua_next(L, 3); lua_pop(L, 1)) ++count;
  EXPECT_EQ(count, 15);
  lua_getfield(L, 3, "isLoopLaser");
  EXPECT_TRUE(lua_iscfunction(L, -1));
  lua_settop(L, 0);
  ASSERT_NE(laser(), nullptr);
  EXPECT_EQ(gfxModel("g")->commands().back(), laser());
}

TEST_F(LaserApi, MethodsWriteTheParameters) {
  const std::vector<LuaCase> cases = {
      {"fresh", "check(l:isVisible() == false) check(l:isLoopLaser() == true) check(l:calcPointLength() == 0)"},
      {"length skips repeated points", "l:pushPos(0, 0, 0) l:pushPos(3, 4, 0) l:pushPos(3, 4, 0)\n"
                                       "check(l:calcPointLength() == 5) l:clearPoint() check(l:calcPointLength() == 0)"},
      {"switches", "l:setVisible(0) check(l:isVisible()) l:setLoopLaser(false) check(l:isLoopLaser() == false)"},
      {"method on another command", "l.setWidth(g:createWorldMatrix(), 2)", GPH("lua_GfxModel_Laser_setWidth")},
      {"length of nil", "check(l.calcPointLength() == 0)", GPH("lua_GfxModel_Laser_calcPointLength")},
  };
  runCases(cases, "l = g:createLaser() ");

  ASSERT_EQ(run("l:setTextureStageNum(4294967298) l:setWidth('2.5') l:setEye(1, 2, 3)\n"
                "l:setUV(1.9, 0.1, 0.2, 0.3, 0.4) l:setUV(-0.5, 1, 2, 3, 4) l:setUV(2, 9, 9, 9, 9) l:setUV(-1, 9, 9, 9, 9)\n"
                "l:setUVOffset(1, 0.5, 0.25) l:setUVOffset(7, 9, 9)\n"
                "l:setTotalLength(8) l:setStartLength(2) l:setLaserEndPoint(4, 5, 6)\n"
                "l:clearPoint() l:pushPos(1, 1, 1)"),
            "");
  Laser::Params& p = laser()->params();
  EXPECT_EQ(p.stages, 2) << "the low 32 bits";
  EXPECT_EQ(p.width, 2.5f);
  EXPECT_EQ(xyzw(p.eye), "1,2,3,0");
  EXPECT_EQ(xyzw(p.uv0[1]), "0.1,0.2,0,0") << "1.9 is stage 1";
  EXPECT_EQ(xyzw(p.uv1[1]), "0.3,0.4,0,0");
  EXPECT_EQ(xyzw(p.uv0[0]), "1,2,0,0") << "-0.5 truncates to stage 0; 2 and -1 are no stage";
  EXPECT_EQ(xyzw(p.uv1[0]), "3,4,0,0");
  EXPECT_EQ(xyzw(p.uv_offset[1]), "0.5,0.25,0,0");
  EXPECT_EQ(xyzw(p.uv_offset[0]), "0,0,0,0");
  EXPECT_EQ(p.total_length, 8.0f);
  EXPECT_EQ(p.start_length, 2.0f);
  EXPECT_EQ(xyzw(p.end_point), "4,5,6,0");
  ASSERT_EQ(p.points.size(), 1u);
  EXPECT_EQ(xyzw(p.points[0]), "1,1,1,0");
}

TEST_F(LaserApi, DrawsOnlyWhenVisibleWithTwoPointsAndALengthToDraw) {
  struct Case {
    const char* name;
    const char* code;
    std::size_t draws;
  };
  const Case cases[] = {
      {"fresh", "", 0},
      {"visible, one point", "l:setVisible(true) l:pushPos(0, 0, 0)", 0},
      {"a quad", "l:setVisible(true) l:setLoopLaser(false) l:pushPos(0, 0, 0) l:pushPos(0, 1, 0)", 1},
      {"a strip", "l:setVisible(true) l:pushPos(0, 0, 0) l:pushPos(0, 1, 0) l:setTotalLength(1)", 1},
      {"start at the end", "l:setVisible(true) l:pushPos(0, 0, 0) l:pushPos(0, 1, 0) l:setStartLength(1)", 0},
      {"hidden", "l:pushPos(0, 0, 0) l:pushPos(0, 1, 0)", 0},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(run(std::string("g:cls() l = g:createLaser() l:setEye(0, 0, -10) l:setWidth(0.5) ") + c.code), "")
        << c.name;
    collect();
    drawModel(gfxModel("g"));
    EXPECT_EQ(draws().size(), c.draws) << c.name;
  }
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(LaserApi, ALaserLentByItsOwnerKeepsLivingWhenItsObjectIsCollected) {
  Laser owned(gfxModel("g"));
  gph::pushBorrowedLaser(L, &owned);
  lua_setglobal(L, "lent");
  ASSERT_EQ(run("lent:setVisible(true) lent:pushPos(0, 0, 0) lent:pushPos(3, 4, 0)\n"
                "check(lent:calcPointLength() == 5) lent = nil"),
            "");
  collect();
  EXPECT_TRUE(owned.params().visible);
  EXPECT_EQ(owned.params().points.size(), 2u);
  EXPECT_EQ(gfxModel("g")->commands().back(), &owned) << "still listed";
  EXPECT_TRUE(log.empty()) << log.text();
}

}  // namespace
}  // namespace gfxmodelapitest
