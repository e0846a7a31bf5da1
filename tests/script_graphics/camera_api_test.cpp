// The camera object: defaults, setters read back through getters, shared
// cameras and their references, movers over task frames, conversions and
// view-volume tests, fog and flare settings in the scene's camera, and the
// null-object convention. The rig's frame buffer is 64 x 48.
#include "gfx/rk_camera.h"
#include "script_graphics/graphics_fixture.h"

namespace graphicstest {
namespace {

TEST_F(GraphicsApi, CameraMethodsReadBackWhatTheySet) {
  const LuaCase cases[] = {
      {"defaults of a new camera",
       R"(local c = createCamera()
          check(c:getPriority() == 0 and c:getPriorityBit() == 1, 'camera 0')
          check(join(c:getEye()) == '0,0,10', 'eye')
          check(join(c:getAt()) == '0,0,0' and join(c:getUp()) == '0,1,0', 'at, up')
          check(near(c:getFovy(), 0.8552113) and near(c:getAspect(), 16 / 9), 'fovy, aspect')
          check(near(c:getDepthMin(), 0.001) and c:getDepthMax() == 1000, 'depth')
          check(join(c:getViewport()) == '0,0,64,48,0,1', 'viewport'))"},
      {"numbers are truncated and priorities wrap to 32 bits",
       R"(check(createCamera(2.9):getPriority() == 2, '2.9 is 2')
          check(createCamera('5'):getPriority() == 5, 'numeric string')
          local c = createCamera(-1)
          check(c:getPriority() == 4294967295 and c:getPriorityBit() == 2147483648, 'camera -1'))"},
      {"setters and getters",
       R"(local c = createCamera(1)
          c:setEye(1, 2, 3) c:setAt(4, 5, 6) c:setUp(0, 2, 0)
          c:setEyeOffset(0.5, 0, 0) c:setAtOffset(0, 0.25, 0) c:setViewOffset(1, 1, 1)
          c:setFovy(1.5) c:setAspect(2) c:setZDepth(0.5, 50)
          check(join(c:getEye()) == '1,2,3' and join(c:getAt()) == '4,5,6', 'eye/at')
          check(join(c:getUp()) == '0,2,0', 'up not normalised')
          check(join(c:getEyeOffset()) == '0.5,0,0', 'eye offset')
          check(join(c:getAtOffset()) == '0,0.25,0', 'at offset')
          check(join(c:getViewOffset()) == '1,1,1', 'view offset')
          check(c:getFovy() == 1.5 and c:getAspect() == 2, 'fovy, aspect')
          check(c:getDepthMin() == 0.5 and c:getDepthMax() == 50, 'z depth')
          c:setDepthMin(2) c:setDepthMax(20)
          check(c:getDepthMin() == 2 and c:getDepthMax() == 20, 'depth min/max')
          c:setViewport(-1, 2.7, 100, 50, 0.25, 0.75)
          check(join(c:getViewport()) == '4294967295,2,100,50,0.25,0.75', 'viewport')
          c:setFreeCameraMode(1) c:clean(1))"},
      {"two objects share one camera and count references",
       R"(local a, b = createCamera(3), createCamera(3)
          check(a:getRef() == 2, 'two references')
          a:setEye(7, 8, 9)
          check(join(b:getEye()) == '7,8,9', 'shared'))"},
      {"normal set-up fits the frame-buffer width",
       R"(local c = createCamera(1)
          c:setViewport(0, 0, 32, 16, 0, 1) c:normalSetup()
          check(join(c:getViewport()) == '0,8,64,32,0,1', 'fitted')
          check(c:getAspect() == 2, 'aspect from the old viewport')
          c:setViewport(0, 0, 64, 48, 0, 1) c:normalSetup()
          check(join(c:getViewport()) == '0,0,64,48,0,1', 'full height unchanged')
          check(near(c:getAspect(), 64 / 48), 'aspect'))"},
      {"yaw orbits the eye about the at point",
       R"(local c = createCamera(1)
          c:addYawPitchRoll(math.pi / 2, 0, 0)
          local x, y, z = c:getEye()
          check(near(x, 10, 1e-4) and near(y, 0, 1e-4) and near(z, 0, 1e-4), 'eye at (10, 0, 0)'))"},
      {"project and unproject through the same ray",
       R"(local c = createCamera(1)
          local x, y, d = c:calc3DTo2D(0, 0, 0)
          check(near(x, 32, 1e-3) and near(y, 24, 1e-3) and d > 0 and d < 1, 'centre of the screen')
          local r = values(c:calc2DTo3D(32, 24))
          check(r.n == 6 and near(r[1], 0, 1e-3) and near(r[2], 0, 1e-3) and near(r[3], 10 - 0.001, 1e-3), 'near point')
          check(near(r[4], 0, 1e-2) and near(r[6], 10 - 1000, 30), 'far point (float depth at a 1e6 depth ratio)')
          c:setViewport(0, 0, 0, 0, 0, 1)
          check(select('#', c:calc2DTo3D(1, 1)) == 0, 'no answer from an empty viewport'))"},
      {"view-volume tests",
       R"(local c = createCamera(1)
          check(c:isDisplaySphere(1, 0, 0, 0) == true, 'sphere at the origin')
          check(c:isDisplaySphere(1, 0, 0, 50) == false, 'sphere behind the eye')
          check(c:isDisplaySphere() == true, 'missing numbers read as 0')
          check(c:isDisplayCapsule(1, 2, 0, 1, 0, 0, 0, 0) == true, 'capsule')
          check(c:isDisplayCapsule(1, 2, 0, 1, 0, 500, 0, 0) == false, 'capsule far aside')
          check(c:isDisplayOBB(1, 1, 1, 0, 0, 0, 1, 0, 0, 0) == true, 'box')
          check(c:isDisplayOBB(1, 1, 1, 0, 0, 0, 1, 0, 0, 20) == false, 'box behind'))"},
      {"a view matrix stays in camera mode 1 only",
       R"(local c = createCamera(1)
          local m = createMatrix()
          c:setViewMatrix(m) c:calc()
          check(join(c:calc3DTo2D(0, 0, 0)) ~= '', 'conversions use eye, at, up'))"},
  };
  for (const LuaCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(run(c.code), "");
    collect();
  }
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(GraphicsApi, CameraStateReachesTheSceneCamera) {
  ASSERT_EQ(run(R"(c = createCamera(6)
    c:setFogEnable(0) c:setFogColor(0xFF808080) c:setFogStartLength(3) c:setFogEndLength(30)
    c:setFogTableMode(1.9) c:setFogVertexMode(2)
    c:set3DSoundDistanceFactor(2) c:set3DSoundRollOffFactor(3) c:set3DSoundZoomParam(4)
    c:setValidFlare(true) c:setFlarePosition(1, 2, 3) c:setFlareScale(0.5)
    c:setCameraMode(1))"),
            "");
  rk::gfx::Camera* camera = rk::gfx::CameraManager::getInstance()->getCamera(6);
  ASSERT_NE(camera, nullptr);
  EXPECT_TRUE(camera->fogEnable()) << "0 is a true flag";
  EXPECT_EQ(camera->fogColor(), 0xFF808080u);
  EXPECT_EQ(camera->fogStart(), 3.0f);
  EXPECT_EQ(camera->fogEnd(), 30.0f);
  EXPECT_EQ(camera->fogTableMode(), 1);
  EXPECT_EQ(camera->fogVertexMode(), 2);
  EXPECT_EQ(camera->soundDistanceFactor(), 2.0f);
  EXPECT_EQ(camera->soundRolloffFactor(), 3.0f);
  EXPECT_EQ(camera->soundZoomParam(), 4.0f);
  EXPECT_TRUE(camera->flareValid());
  EXPECT_EQ(camera->lenseFlare().position().z, 3.0f);
  EXPECT_EQ(camera->lenseFlare().scale(), 0.5f);
  EXPECT_EQ(camera->cameraMode(), 1);

  // A script view matrix stays in mode 1; the view offset does not apply.
  ASSERT_EQ(run("local m = createMatrix() m:translation(5, 6, 7) c:setViewMatrix(m) c:setViewOffset(1, 1, 1) c:calc()"),
            "");
  EXPECT_EQ(camera->viewMatrix().m[3][0], 5.0f);
  EXPECT_EQ(camera->viewMatrix().m[3][2], 7.0f);
  ASSERT_EQ(run("c:setCameraMode(0) c:calc()"), "");
  EXPECT_NE(camera->viewMatrix().m[3][0], 5.0f) << "mode 0 recomputes the view";

  ASSERT_EQ(run("c:initFog()"), "");
  EXPECT_FALSE(camera->fogEnable());
  EXPECT_EQ(camera->fogColor(), 0xFF000000u);
  EXPECT_EQ(camera->fogStart(), 1.0f);
  EXPECT_EQ(camera->fogEnd(), 100.0f);
  EXPECT_EQ(camera->fogVertexMode(), 0);
  EXPECT_EQ(camera->fogTableMode(), 3);
}

// The last collected object destroys the camera; the number then makes a
// fresh one with the defaults.
TEST_F(GraphicsApi, CollectedCameraObjectsReleaseTheCamera) {
  ASSERT_EQ(run("a, b = createCamera(3), createCamera(3) a:setEye(1, 1, 1)"), "");
  auto* cameras = rk::gfx::CameraManager::getInstance();
  ASSERT_NE(cameras->getCamera(3), nullptr);
  ASSERT_EQ(run("a = nil"), "");
  collect();
  ASSERT_NE(cameras->getCamera(3), nullptr);
  EXPECT_EQ(cameras->getCamera(3)->count(), 1);
  ASSERT_EQ(run("b = nil"), "");
  collect();
  EXPECT_EQ(cameras->getCamera(3), nullptr);
  ASSERT_EQ(run("check(join(createCamera(3):getEye()) == '0,0,10', 'defaults again')"), "");
  EXPECT_TRUE(log.empty()) << log.text();

  // A collector run by hand releases once; on an empty object it reports.
  ASSERT_EQ(run("c = createCamera(4) local gc = getmetatable(c).__gc gc(c) gc(c) gc(createLight(0))"), "");
  EXPECT_EQ(cameras->getCamera(4), nullptr);
  EXPECT_EQ(log.entries("rk::script::gph::`anonymous-namespace'::lua_CameraDestructor"), 2u);
  ASSERT_EQ(run("c:setEye(1, 1, 1) c = nil"), "");
  collect();
  EXPECT_EQ(log.entries("rk::script::gph::`anonymous-namespace'::lua_Camera_setVector"), 1u);
}

TEST_F(GraphicsApi, CameraMoversRunOverFrames) {
  ASSERT_EQ(run("c = createCamera(2) c:moveToAt(10, 0, 0, 1.0) c:trackingEye(0, 0, 20, 1.0)"), "");
  frames(30);  // half a second
  ASSERT_EQ(run(R"(local x = c:getAt()
    check(near(x, 10 * math.sin(math.pi / 4), 0.05), 'ease-out at half time: ' .. x)
    local _, _, z = c:getEye()
    check(z > 10 and z < 20, 'the spring closes part of the gap'))"),
            "");
  frames(40);
  ASSERT_EQ(run("check(join(c:getAt()) == '10,0,0', 'the timed move lands on its goal') "
                "c:stopTrackingEye() e1 = select(3, c:getEye())"),
            "");
  frames(10);
  ASSERT_EQ(run("check(select(3, c:getEye()) == e1, 'stopped') c:runTrackingEye()"), "");
  frames(10);
  ASSERT_EQ(run("check(select(3, c:getEye()) > e1, 'resumed towards the same goal')"), "");
}

TEST_F(GraphicsApi, CameraMethodsOnOtherObjectsReportAndDoNothing) {
  const LuaCase cases[] = {
      {"a light as self", "local c = createCamera(1) c.setEye(createLight(0), 1, 2, 3)",
       "rk::script::gph::`anonymous-namespace'::lua_Camera_setVector"},
      {"nil as self", "local c = createCamera(1) check(c.getFovy(nil) == nil, 'no result')",
       "rk::script::gph::`anonymous-namespace'::lua_Camera_getFovy"},
      {"a light userdata", "local c = createCamera(1) c.setFovy(createLight(0), 1)",
       "rk::script::gph::`anonymous-namespace'::lua_Camera_setFovy"},
      {"not a matrix", "local c = createCamera(1) c:setViewMatrix(c)",
       "rk::script::gph::`anonymous-namespace'::lua_Camera_setViewMatrix"},
  };
  for (const LuaCase& c : cases) {
    SCOPED_TRACE(c.name);
    log.clear();
    EXPECT_EQ(run(c.code), "");
    EXPECT_EQ(log.entries(c.logEntry), 1u) << log.text();
  }
  ASSERT_EQ(run("check(join(createCamera(1):getEye()) == '0,0,10', 'untouched')"), "");
}

}  // namespace
}  // namespace graphicstest
