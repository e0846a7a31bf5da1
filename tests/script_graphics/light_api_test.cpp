// Light globals and the Light object: parameters read back from the light
// record, pushes and pops in the light manager's slots, the lighting state,
// and what an upload hands the device context.
#include "gfx/rk_light.h"
#include "script/rk_script_graphics.h"
#include "script_graphics/graphics_fixture.h"

namespace graphicstest {
namespace {

// The light record a Lua global holds.
class LightApi : public GraphicsApi {
 protected:
  rk::gfx::Light* light(const char* global) {
    lua_getglobal(L, global);
    auto* l = rk::script::toLuaObject<rk::gfx::Light>(L, -1, rk::script::gph::kLightClass);
    lua_settop(L, 0);
    return l;
  }
  rk::gfx::LightManager* manager() { return rk::gfx::LightManager::getInstance(); }
};

TEST_F(LightApi, LightMethodsWriteTheParameterBlock) {
  ASSERT_EQ(run("a = createLight(2.9)"), "");
  rk::gfx::Light* a = light("a");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->number_, 2);
  EXPECT_FALSE(a->enabled_);
  EXPECT_EQ(a->param_.type, 3);
  EXPECT_EQ(a->param_.diffuse[0], 0.5f);
  EXPECT_EQ(a->param_.diffuse[3], 0.0f);
  EXPECT_NEAR(a->param_.direction[2], 0.57735f, 1e-5);
  EXPECT_EQ(a->param_.range, 0.0f);

  ASSERT_EQ(run("a:setDiffuse(255, 128, 0, 255) a:setAmbient(510, 0, 0, 0) a:setSpecular(1, 2, 3, 4)"), "");
  EXPECT_EQ(a->param_.diffuse[0], 1.0f);
  EXPECT_NEAR(a->param_.diffuse[1], 0.50196f, 1e-5);
  EXPECT_EQ(a->param_.ambient[0], 2.0f) << "scaled channels are not clamped";
  EXPECT_NEAR(a->param_.specular[3], 4.0f / 255.0f, 1e-7);

  ASSERT_EQ(run("a:setType(0)"), "");
  EXPECT_EQ(a->param_.type, 1);
  EXPECT_EQ(a->param_.diffuse[0], 0.0f) << "a point light gets no defaults";
  EXPECT_EQ(a->param_.direction[0], 0.0f);
  for (const char* code : {"a:setType(1)", "a:setType(2)", "a:setType(7)"}) {
    ASSERT_EQ(run(code), "");
    EXPECT_EQ(a->param_.type, std::string(code) == "a:setType(1)" ? 2 : 3) << code;
  }
  EXPECT_EQ(a->param_.diffuse[0], 0.5f) << "directional defaults again";

  ASSERT_EQ(run("a:setPosition(1, 2, 3)"), "");
  EXPECT_EQ(a->param_.position[0], 0.0f) << "the position comes from arguments 6 to 8";
  ASSERT_EQ(run("a:setPosition(0, 0, 0, 0, 1, 2, 3) a:setDirection(0, 3, 4)"), "");
  EXPECT_EQ(a->param_.position[2], 3.0f);
  EXPECT_NEAR(a->param_.direction[1], 0.6f, 1e-6);
  EXPECT_NEAR(a->param_.direction[2], 0.8f, 1e-6);
  ASSERT_EQ(run("a:setDirection(0, 0, 0)"), "");
  EXPECT_EQ(a->param_.direction[2], 0.0f);

  ASSERT_EQ(run("a:setRange(10) a:setFalloff(1) a:setTheta(0.5) a:setPhi(0.75) "
                "a:setAttenuation0(1) a:setAttenuation1(2) a:setAttenuation2(3) a:setValid(0)"),
            "");
  EXPECT_EQ(a->param_.range, 10.0f);
  EXPECT_EQ(a->param_.falloff, 1.0f);
  EXPECT_EQ(a->param_.theta, 0.5f);
  EXPECT_EQ(a->param_.phi, 0.75f);
  EXPECT_EQ(a->param_.attenuation0, 1.0f);
  EXPECT_EQ(a->param_.attenuation1, 2.0f);
  EXPECT_EQ(a->param_.attenuation2, 3.0f);
  EXPECT_TRUE(a->enabled_);
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(LightApi, PushPopAndCollectionKeepSlotsAndManagersInStep) {
  ASSERT_EQ(run("a, b = createLight(1), createLight(1) pushLight(a) pushLight(b) pushLight(a)"), "");
  rk::gfx::Light* a = light("a");
  rk::gfx::Light* b = light("b");
  EXPECT_EQ(manager()->lights(1), (std::vector<rk::gfx::Light*>{a, b, a}));
  EXPECT_EQ(a->owners_.size(), 2u);
  ASSERT_EQ(run("popLight(1)"), "");
  EXPECT_EQ(manager()->lights(1), (std::vector<rk::gfx::Light*>{b, a})) << "the newest light's first entry leaves";
  ASSERT_EQ(run("popLight(1)"), "");
  EXPECT_EQ(manager()->lights(1), (std::vector<rk::gfx::Light*>{b}));
  EXPECT_TRUE(a->owners_.empty());
  ASSERT_EQ(run("popLight(1) pushLight(a) pushLight(b) popLight(1)"), "");
  EXPECT_EQ(manager()->lastLight(1), a) << "popping B leaves A current";
  ASSERT_EQ(run("popLight(1) popLight(1) popLight(1) popLight(9) popLight(-1)"), "") << "empty and foreign slots pop nothing";
  EXPECT_TRUE(manager()->lights(1).empty());

  ASSERT_EQ(run("pushLight(a) pushLight(a) a = nil"), "");
  collect();
  EXPECT_TRUE(manager()->lights(1).empty()) << "a collected light leaves every slot";

  ASSERT_EQ(run("pushLight(createLight(0).setValid)"), "");
  EXPECT_EQ(log.entries("rk::script::gph::`anonymous-namespace'::pushLight"), 1u);
}

TEST_F(LightApi, LightingStateDecidesWhatTheUploadHandsTheDevice) {
  const rk::ColorStateBackup saved = context->backupColorState();
  ASSERT_EQ(run("setAmbientColor(300, 0, 0, 255) l = createLight(3) l:setValid(true) l:setRange(42) pushLight(l)"), "");
  EXPECT_EQ(manager()->lightingState().ambient, 0xFF2C0000u) << "red 300 keeps its low byte, 44";
  EXPECT_FALSE(manager()->lightingState().lighting);
  context->setLightingNo(3, false);
  manager()->uploadLights();
  EXPECT_FALSE(context->isLightInUse(3)) << "lighting off: nothing uploaded";

  ASSERT_EQ(run("setEnableLighting(0)"), "");
  EXPECT_TRUE(manager()->lightingState().lighting);
  manager()->uploadLights();
  EXPECT_TRUE(context->isLightInUse(3));
  EXPECT_EQ(context->lightParameter(3).range, 42.0f);
  EXPECT_NEAR(context->colorState().getR(), 44.0f / 255.0f, 1e-6);

  ASSERT_EQ(run("l:setRange(7) setEnableLighting()"), "");
  EXPECT_FALSE(manager()->lightingState().lighting);
  ASSERT_EQ(run("setEnableLighting(true)"), "");
  manager()->uploadLights();
  EXPECT_EQ(context->lightParameter(3).range, 7.0f) << "changes after the push reach the next upload";
  context->setLightingNo(3, false);
  context->restoreColorState(saved);
}

TEST_F(LightApi, ShadowAndShaderGlobalsTakeArgumentsAndDoNothing) {
  ASSERT_EQ(run(R"(
    for _, name in ipairs({'setShadowDir', 'setShadowLightLength', 'setShadowTheta', 'getShadowViewUp',
                           'calcShadowView', 'releaseMainShader', 'setShadowEye', 'setShadowViewUp',
                           'setShadowType', 'setupMainShader'}) do
      check(select('#', _G[name](1, 2, 3)) == 0, name)
    end
    calcPositionFromHitPlaneCenter(createLight(0), 1, 2, 3, 4))"),
            "");
  EXPECT_TRUE(log.empty()) << log.text();
  ASSERT_EQ(run("calcPositionFromHitPlaneCenter(nil, 1, 2, 3, 4)"), "");
  EXPECT_EQ(log.entries("rk::script::gph::`anonymous-namespace'::calcPositionFromHitPlaneCenter"), 1u);
}

}  // namespace
}  // namespace graphicstest
