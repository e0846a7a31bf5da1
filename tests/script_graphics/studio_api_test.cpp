// Studio settings, spot-light data and shadow planes: the views that a
// camera's getStudioInfo hands out, read back through their getters and in
// the camera's current studio entry.
#include "gfx/rk_camera.h"
#include "script_graphics/graphics_fixture.h"

namespace graphicstest {
namespace {

class StudioApi : public GraphicsApi {
 protected:
  void SetUp() override {
    GraphicsApi::SetUp();
    ASSERT_EQ(run("cam = createCamera(5) st = cam:getStudioInfo()"), "");
    studio = rk::gfx::CameraManager::getInstance()->getCamera(5)->studioInfo().top();
  }
  rk::gfx::StudioInfo* studio = nullptr;
};

TEST_F(StudioApi, StudioInfoWritesTheCamerasCurrentEntry) {
  EXPECT_EQ(studio->lightMode(), 2) << "a new studio keeps the current lighting";
  const struct {
    const char* code;
    int mode;
  } modes[] = {{"st:setValid(1)", 1}, {"st:setValid(0)", 0}, {"st:setValid(5)", 2}, {"st:setValid(1.7)", 1},
               {"st:setValid()", 0}};
  for (const auto& m : modes) {
    ASSERT_EQ(run(m.code), "");
    EXPECT_EQ(studio->lightMode(), m.mode) << m.code;
  }

  ASSERT_EQ(run("st:setAmbientColor(64, 64, 64, 255)"), "");
  EXPECT_NEAR(studio->ambientColor().getR(), 0.2509804f, 1e-6);
  EXPECT_EQ(studio->ambientColor().getA(), 1.0f);
  ASSERT_EQ(run("st:setAmbientColor(256, -1, 0, 255)"), "");
  EXPECT_EQ(studio->ambientColor().getR(), 0.0f) << "256 wraps to 0";
  EXPECT_EQ(studio->ambientColor().getG(), 1.0f) << "-1 wraps to 255";

  ASSERT_EQ(run("check(st:getLightMax() == 16, 'max') "
                "st:setLight(0, 3, 0xFFFFFFFF, 0, 0xFF404040, 0, 0, 0, 0, -1, 0, 100, 1, 1, 0, 0, 0, 0)"),
            "");
  ASSERT_EQ(studio->lights().count(0), 1u);
  const rk::gfx::LightParameter& l = studio->lights().at(0);
  EXPECT_EQ(l.type, 3);
  EXPECT_EQ(l.diffuse[0], 1.0f);
  EXPECT_EQ(l.diffuse[3], 1.0f);
  EXPECT_EQ(l.specular[3], 0.0f);
  EXPECT_NEAR(l.ambient[0], 64.0f / 255.0f, 1e-6);
  EXPECT_EQ(l.ambient[3], 1.0f);
  EXPECT_EQ(l.direction[1], -1.0f);
  EXPECT_EQ(l.range, 100.0f);
  EXPECT_EQ(l.falloff, 1.0f);
  EXPECT_EQ(l.attenuation0, 1.0f);
  ASSERT_EQ(run("st:setLight(0, 1, 0, 0, 0, 1, 2, 3, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0)"), "");
  EXPECT_EQ(studio->lights().size(), 1u) << "the same index is overwritten";
  EXPECT_EQ(studio->lights().at(0).type, 1);
  EXPECT_EQ(studio->lights().at(0).position[2], 3.0f);

  ASSERT_EQ(run("st:setLightValid(2, true) st:setLightValid(0, true) st:setLightValid(16, 1)"), "");
  EXPECT_EQ(studio->lights().at(2).type, 0) << "an all-zero record";
  EXPECT_EQ(studio->lights().at(0).type, 1) << "a present record is left alone";
  EXPECT_EQ(studio->lights().count(16), 1u) << "any index is stored";
  ASSERT_EQ(run("st:setLightValid(2, false) st:setLightValid(9, nil)"), "");
  EXPECT_EQ(studio->lights().count(2), 0u);

  // Two views on the same entry.
  ASSERT_EQ(run("cam:getStudioInfo():setValid(1)"), "");
  EXPECT_EQ(studio->lightMode(), 1);
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(StudioApi, SpotLightDataReadsBackWhatItStores) {
  ASSERT_EQ(run(R"(sp = st:getShaderSpotLightData()
    check(sp:isValid() == false, 'invalid')
    check(join(sp:getEye()) == '0,10,10' and join(sp:getAt()) == '0,0,0' and join(sp:getUp()) == '0,1,0', 'defaults')
    check(near(sp:getFov(), math.pi / 2) and near(sp:getTheta(), math.pi / 4) and near(sp:getPhi(), math.pi / 4), 'angles')
    sp:setValid(0) check(sp:isValid() == true, '0 is true')
    sp:setEye(1, 2, 3) sp:setAt(4, 5, 6) sp:setUp(0, 2, 0)
    check(join(sp:getEye()) == '1,2,3' and join(sp:getAt()) == '4,5,6', 'eye, at')
    check(join(sp:getUp()) == '0,1,0', 'up normalised')
    sp:setUp(0, 0, 0) check(join(sp:getUp()) == '0,0,0', 'zero up stays zero')
    sp:setFov(1) sp:setTheta(0.5) sp:setPhi(0.25)
    check(sp:getFov() == 1 and sp:getTheta() == 0.5 and sp:getPhi() == 0.25, 'angles set')
    sp:setAmbientColor(0xFF102030) sp:setDiffuseColor(0x80FF0000))"),
            "");
  const rk::gfx::ShaderSpotLightData& spot = studio->spotLight();
  EXPECT_TRUE(spot.valid);
  EXPECT_NEAR(spot.ambient.getR(), 16.0f / 255.0f, 1e-6);
  EXPECT_NEAR(spot.ambient.getB(), 48.0f / 255.0f, 1e-6);
  EXPECT_EQ(spot.diffuse.getR(), 1.0f);
  EXPECT_NEAR(spot.diffuse.getA(), 128.0f / 255.0f, 1e-6);
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(StudioApi, ShadowPlanesAreCreatedOnceAndEditedThroughTheirObjects) {
  ASSERT_EQ(run(R"(empty = st:getShadowPlane(7)
    st:createShadowPlane(7)
    p = st:getShadowPlane(7)
    st:createShadowPlane(2)
    p:setPlane(0, 1, 0, -2) p:setDir(0, -3, 4) p:setValid(true)
    st:createShadowPlane(7))"),
            "");
  ASSERT_EQ(studio->shadowPlanes().size(), 2u);
  const rk::gfx::ShadowPlane& plane7 = studio->shadowPlanes().at(7);
  EXPECT_TRUE(plane7.valid);
  EXPECT_EQ(plane7.plane.w, -2.0f) << "a present plane is left alone by createShadowPlane";
  EXPECT_NEAR(plane7.light.y, -0.6f, 1e-6);
  EXPECT_NEAR(plane7.light.z, 0.8f, 1e-6);
  EXPECT_EQ(plane7.light.w, 0.0f);
  const rk::gfx::ShadowPlane& plane2 = studio->shadowPlanes().at(2);
  EXPECT_FALSE(plane2.valid);
  EXPECT_EQ(plane2.plane.y, 1.0f);
  EXPECT_EQ(plane2.light.y, -1.0f);

  ASSERT_EQ(run("p:setLightPos(1, 2, 3)"), "");
  EXPECT_EQ(plane7.light.x, 1.0f);
  EXPECT_EQ(plane7.light.w, 1.0f) << "a position";
  ASSERT_EQ(run("p:setDir(0, 0, 0)"), "");
  EXPECT_EQ(plane7.light.x, 0.0f);
  EXPECT_EQ(plane7.light.y, 0.0f);
  EXPECT_TRUE(log.empty()) << log.text();

  // The object made before the plane existed stays empty: reported, no effect.
  ASSERT_EQ(run("empty:setPlane(9, 9, 9, 9) empty:setValid(false)"), "");
  EXPECT_EQ(log.entries("rk::script::gph::`anonymous-namespace'::lua_ShadowPlane_setPlane"), 1u);
  EXPECT_EQ(log.entries("rk::script::gph::`anonymous-namespace'::lua_setValid"), 1u);
  EXPECT_TRUE(plane7.valid);
}

// Borrowed views: collecting them leaves the studio alone; a view of the
// wrong kind is the null object.
TEST_F(StudioApi, ViewsBorrowAndCheckTheirKind) {
  ASSERT_EQ(run("st:createShadowPlane(1) local sp = st:getShaderSpotLightData() sp = nil st = nil"), "");
  collect();
  EXPECT_EQ(studio->shadowPlanes().size(), 1u);
  ASSERT_EQ(run("local s = cam:getStudioInfo() s.setValid(cam, 1) s.getLightMax(cam)"), "");
  EXPECT_EQ(log.entries("rk::script::gph::`anonymous-namespace'::lua_StudioInfo_setValid"), 1u);
  EXPECT_EQ(studio->lightMode(), 2);
}

// Views outliving their camera read as null objects: reported, no effect.
TEST_F(StudioApi, ViewsOfADestroyedCameraAreNullObjects) {
  ASSERT_EQ(run("st:createShadowPlane(0) sp = st:getShaderSpotLightData() pl = st:getShadowPlane(0) cam = nil"), "");
  collect();
  ASSERT_EQ(rk::gfx::CameraManager::getInstance()->getCamera(5), nullptr);
  ASSERT_EQ(run("st:setValid(1) sp:setEye(1, 2, 3) pl:setPlane(1, 2, 3, 4) check(sp:getFov() == nil, 'no answer')"), "");
  EXPECT_EQ(log.entries("rk::script::gph::`anonymous-namespace'::lua_StudioInfo_setValid"), 1u);
  EXPECT_EQ(log.entries("rk::script::gph::`anonymous-namespace'::lua_ShaderSpotLightData_setVector"), 1u);
  EXPECT_EQ(log.entries("rk::script::gph::`anonymous-namespace'::lua_ShadowPlane_setPlane"), 1u);
  ASSERT_EQ(run("st, sp, pl = nil, nil, nil"), "");
  collect();
}

}  // namespace
}  // namespace graphicstest
