// The gfx model object: its method table, defaults and switches, the camera
// number it answers, its place in the draw order, its release (by the script
// or by the scene first) and the null-object rule.
#include <set>

#include "RuskelFrameWork/src/script/rk_script_gfx_model_internal.h"
#include "script_gfx_model/gfx_model_api_fixture.h"

namespace gfxmodelapitest {
namespace {

using rk::gfx::GfxModel;

// The gfx model's methods in the order its table is filled.
const std::vector<std::string> kGfxModelMethodNames = {
    "cls", "setShadowPlaneOnly", "setVisible", "isVisible", "createBillBoard", "setZBufferWrite", "setZBuffer",
    "clearZBuffer", "setRenderCameraBit", "setRenderPriority", "getRenderCameraNo", "createSetTexture",
    "createLaser", "createTextureStageDefault", "createAlphaBlend", "createAddBlend", "createSubBlend",
    "createMulBlend", "createSamplerAddressU", "createSamplerAddressV", "createMultiTextureDefault",
    "disableMultiTexture", "createWorldMatrix", "createWindow", "createAmbientColor", "createLighting",
    "createLineDraw", "createSetColor", "createCapsuleLaser", "createTestZBuffer", "createStrechBlt",
    "createDrawFlash", "createWipe", "createPolyLineDraw"};

// Creators whose command objects the build does not have yet.
const std::set<std::string> kNotYetBound = {};

TEST_F(GfxModelApi, MethodTableHoldsTheMethodsInOrderAndNothingElse) {
  std::vector<std::string> expected;
  for (const std::string& name : kGfxModelMethodNames)
    if (!kNotYetBound.count(name)) expected.push_back(name);
  EXPECT_EQ(namesOf(rk::script::gph::kGfxModelMethods), expected);

  ASSERT_EQ(run("g = createGfxModel()\n"
                "names = {} for k, v in pairs(getmetatable(g).__index) do\n"
                "  check(type(v) == 'function', k) names[#names + 1] = k end\n"
                "check(getmetatable(g).__gc ~= nil, 'collector')\n"
                "check(g.setPosition == nil and g.load == nil and g.setRevSync == nil, 'no model methods')"),
            "");
  std::set<std::string> names;
  lua_getglobal(L, "names");
  for (int i = 1; i <= static_cast<int>(lua_rawlen(L, -1)); ++i) {
    lua_rawgeti(L, -1, i);
    names.insert(lua_tostring(L, -1));
    lua_pop(L, 1);
  }
  lua_settop(L, 0);
  EXPECT_EQ(names, std::set<std::string>(expected.begin(), expected.end()));
}

TEST_F(GfxModelApi, NewGfxModelIsListedHiddenOnCameraZeroWithDepthOn) {
  ASSERT_EQ(run("g = createGfxModel(5, 'ignored', true)\n"
                "check(g:isVisible() == false, 'hidden')\n"
                "check(g:getRenderCameraNo() == 0, 'camera 0')"),
            "");
  GfxModel* model = gfxModel("g");
  ASSERT_NE(model, nullptr);
  EXPECT_TRUE(manager->contains(model));
  EXPECT_EQ(model->getManager(), manager);
  EXPECT_EQ(model->getRenderCameraBit(), 1);
  EXPECT_EQ(model->getRenderPriority(), 0);
  EXPECT_TRUE(model->isZWrite());
  EXPECT_EQ(model->zTest(), 1);
  EXPECT_FALSE(model->isShadowPlaneOnly());
  EXPECT_TRUE(model->commands().empty());
  EXPECT_TRUE(log.empty()) << log.text();
}

// Each case runs on a fresh gfx model `g`; its check reads the scene model.
TEST_F(GfxModelApi, SwitchesReachTheSceneModel) {
  struct Case {
    const char* code;
    bool (*holds)(GfxModel&);
  };
  const Case cases[] = {
      {"g:setVisible(0)", [](GfxModel& m) { return m.isVisible(); }},
      {"g:setVisible(true) g:setVisible()", [](GfxModel& m) { return !m.isVisible(); }},
      {"g:setZBuffer(false)", [](GfxModel& m) { return m.zTest() == 0; }},
      {"g:setZBuffer(false) g:setZBuffer('yes')", [](GfxModel& m) { return m.zTest() == 1; }},
      {"g:setZBufferWrite(nil)", [](GfxModel& m) { return !m.isZWrite(); }},
      {"g:setShadowPlaneOnly(1)", [](GfxModel& m) { return m.isShadowPlaneOnly(); }},
      {"g:setRenderCameraBit(4294967295)", [](GfxModel& m) { return m.getRenderCameraBit() == -1; }},
      {"g:setRenderCameraBit(-1)", [](GfxModel& m) { return m.getRenderCameraBit() == -1; }},
      {"g:setRenderCameraBit(4294967296 + 6.9)", [](GfxModel& m) { return m.getRenderCameraBit() == 6; }},
      {"g:setRenderCameraBit('12')", [](GfxModel& m) { return m.getRenderCameraBit() == 12; }},
      {"g:setRenderPriority(-3.5)", [](GfxModel& m) { return m.getRenderPriority() == -3; }},
      {"g:setRenderPriority(2147483648)", [](GfxModel& m) { return m.getRenderPriority() == INT32_MIN; }},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(run(std::string("g = createGfxModel() ") + c.code), "") << c.code;
    GfxModel* model = gfxModel("g");
    ASSERT_NE(model, nullptr) << c.code;
    EXPECT_TRUE(c.holds(*model)) << c.code;
    EXPECT_TRUE(manager->contains(model)) << c.code;
  }
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(GfxModelApi, RenderCameraNumberIsTheLowestOfTheSixteenLowBits) {
  const std::pair<const char*, int> cases[] = {
      {"0", 16},          {"0xFFFF0000", 16}, {"65536", 16}, {"12", 2},  {"1", 0},
      {"4294967295", 0},  {"-1", 0},          {"32768", 15}, {"0x18000", 15},
  };
  for (const auto& [bits, number] : cases) {
    ASSERT_EQ(run(std::string("g = createGfxModel() g:setRenderCameraBit(") + bits + ")\n" +
                  "local n = g:getRenderCameraNo() check(n == " + std::to_string(number) +
                  ", 'got ' .. tostring(n))"),
              "")
        << bits;
  }
}

TEST_F(GfxModelApi, SetRenderPriorityMovesTheModelBehindItsPriorityGroup) {
  ASSERT_EQ(run("a = createGfxModel() b = createGfxModel() c = createGfxModel()\n"
                "c:setRenderPriority(-1)\n"
                "a:setRenderPriority(0)"),
            "");
  GfxModel *a = gfxModel("a"), *b = gfxModel("b"), *c = gfxModel("c");
  const std::vector<rk::gfx::GModel*> expected = {c, b, a};
  EXPECT_EQ(manager->models(), expected);
}

TEST_F(GfxModelApi, CollectedGfxModelLeavesTheDrawOrder) {
  ASSERT_EQ(run("g = createGfxModel() keep = createGfxModel()"), "");
  GfxModel* keep = gfxModel("keep");
  ASSERT_EQ(manager->models().size(), 2u);
  ASSERT_EQ(run("g = nil"), "");
  collect();
  const std::vector<rk::gfx::GModel*> expected = {keep};
  EXPECT_EQ(manager->models(), expected);
  EXPECT_TRUE(log.empty()) << log.text();
}

// A collector run again (a resurrected object or a script calling it) finds
// nothing: the first release cleared the object.
TEST_F(GfxModelApi, ReleasedGfxModelReadsAsTheNullObject) {
  ASSERT_EQ(run("g = createGfxModel()\n"
                "getmetatable(g).__gc(g)"),
            "");
  EXPECT_TRUE(manager->models().empty());
  EXPECT_TRUE(log.empty()) << log.text();
  const std::vector<LuaCase> cases = {
      {"visible", "g:setVisible(true) check(g:isVisible() == false)", GPH("lua_GfxModel_setVisible")},
      {"camera", "check(g:getRenderCameraNo() == 16)", GPH("lua_GfxModel_getRenderCameraNo")},
      {"cls", "g:cls()", GPH("lua_GfxModel_cls")},
      {"again", "getmetatable(g).__gc(g)", GPH("releaseGfxModel")},
  };
  runCases(cases);
}

// A model the scene deletes first (the shut-down deletes every listed model)
// leaves its object reading null, and the later collection deletes nothing.
TEST_F(GfxModelApi, GfxModelDeletedByTheSceneFirstReadsAsTheNullObject) {
  ASSERT_EQ(run("g = createGfxModel()"), "");
  manager->deleteModels();
  EXPECT_EQ(gfxModel("g"), nullptr);
  ASSERT_EQ(run("g:setZBuffer(false) check(g:isVisible() == false)"), "");
  EXPECT_EQ(log.entries(GPH("lua_GfxModel_setZBuffer")), 1u);
  ASSERT_EQ(run("g = nil"), "");
  collect();
}

// The model manager's pass of camera 0 over one gfx model holding a line.
TEST_F(GfxModelApi, TheSceneDrawsAVisibleGfxModelForItsCameras) {
  const std::pair<const char*, std::size_t> cases[] = {
      {"", 0},
      {"g:setVisible(true)", 1},
      {"g:setVisible(true) g:setRenderCameraBit(2)", 0},
      {"g:setVisible(true) g:setRenderCameraBit(0x10001)", 1},
      {"g:setVisible(true) g:setShadowPlaneOnly(true)", 1},
      {"g:setVisible(true) g:cls()", 0},
      {"g:setVisible(true) g:setVisible(false)", 0},
  };
  for (const auto& [code, drawCount] : cases) {
    ASSERT_EQ(run(std::string("g = createGfxModel() d = g:createLineDraw() d:moveTo(0, 0, 0) d:lineTo(1, 1, 0) ") +
                  code),
              "")
        << code;
    trace()->clear();
    context->beginCommandList(camera, false, false);
    manager->drawForCamera(*camera);
    context->closeNowCommandList();
    context->closeDraw();
    context->present(1);
    EXPECT_EQ(draws().size(), drawCount) << code;
    ASSERT_EQ(run("g = nil d = nil"), "");
    collect();
  }
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(GfxModelApi, MethodsGivenAnotherKindOfObjectReportAndDoNothing) {
  const std::vector<LuaCase> cases = {
      {"light", "local g = createGfxModel() g.setVisible(createLight(0), true)", GPH("lua_GfxModel_setVisible")},
      {"nil", "local g = createGfxModel() g.isVisible()", GPH("lua_GfxModel_isVisible")},
      {"number", "local g = createGfxModel() g.setRenderPriority(3, 1)", GPH("lua_GfxModel_setRenderPriority")},
      {"model", "local g = createGfxModel() g.setZBufferWrite(createModel(), false)",
       GPH("lua_GfxModel_setZBufferWrite")},
  };
  runCases(cases);
}

}  // namespace
}  // namespace gfxmodelapitest
