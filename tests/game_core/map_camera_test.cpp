// The map-linked camera: following a source camera through its own
// transformation with the sideways shift by the source eye's x, the
// background camera's view without translation, the base-vector camera math,
// and its script object inside the framework's link-camera task.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include <lua.hpp>

#include "common/map_camera.h"
#include "gfx/rk_camera.h"
#include "gfx/rk_link_camera.h"
#include "math/rk_matrix.h"
#include "renderer_resources/resources_rig.h"
#include "script/rk_script_graphics.h"
#include "support/error_log_capture.h"

namespace {

using common::LinkMapCamera;
using rk::math::Vector4;

void expectVector(const Vector4& v, float x, float y, float z, float tolerance = 1e-5f) {
  EXPECT_NEAR(v.x, x, tolerance);
  EXPECT_NEAR(v.y, y, tolerance);
  EXPECT_NEAR(v.z, z, tolerance);
}

class MapCamera : public resourcetest::ResourceRig {
 protected:
  void SetUp() override {
    ResourceRig::SetUp();
    cameras = rk::gfx::CameraManager::getInstance();
    source = cameras->createCamera(1);
    driven = cameras->createCamera(4);
    background = cameras->createCamera(0);
  }
  void aim(rk::gfx::Camera* camera, const Vector4& eye, const Vector4& at, const Vector4& up) {
    camera->setEye(eye);
    camera->setAt(at);
    camera->setUp(up);
  }
  rk::gfx::CameraManager* cameras = nullptr;
  rk::gfx::Camera* source = nullptr;
  rk::gfx::Camera* driven = nullptr;
  rk::gfx::Camera* background = nullptr;
};

// The source's eye and look-at point move sideways (along up x view) by the
// eye's x, then through the transformation; up turns as a direction.
TEST_F(MapCamera, FollowsTheSourceShiftedByItsEyeXThroughItsTransformation) {
  struct Case {
    const char* what;
    Vector4 eye, at, up, position;
    Vector4 eyeSeen, atSeen;
  } cases[] = {
      {"eye x 0: no shift", {0, 2, -10, 0}, {0, 2, 0, 0}, {0, 1, 0, 0}, {1, 2, 3, 0}, {1, 4, -7, 0}, {1, 4, 3, 0}},
      {"eye x 2: shifted by 2 to the right", {2, 0, -10, 0}, {2, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 0, 0},
       {4, 0, -10, 0}, {4, 0, 0, 0}},
      {"a longer view: the shift stays 2", {2, 0, -10, 0}, {2, 0, 30, 0}, {0, 1, 0, 0}, {0, 0, 0, 0},
       {4, 0, -10, 0}, {4, 0, 30, 0}},
      {"up along the view: no shift", {2, 0, -10, 0}, {2, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 0},
       {2, 0, -10, 0}, {2, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LinkMapCamera link;
    link.setTarget(driven);
    link.transformation_.setPos(c.position);
    aim(source, c.eye, c.at, c.up);
    link.link(source);
    expectVector(driven->eye(), c.eyeSeen.x, c.eyeSeen.y, c.eyeSeen.z);
    expectVector(driven->at(), c.atSeen.x, c.atSeen.y, c.atSeen.z);
    expectVector(driven->up(), c.up.x, c.up.y, c.up.z);
    EXPECT_FALSE(driven->isValid()) << "marked for recomputation";
  }
}

TEST_F(MapCamera, ATurnOfItsTransformationTurnsTheFollowedView) {
  LinkMapCamera link;
  link.setTarget(driven);
  link.transformation_.setYawPitchRoll(0, 0, float(M_PI / 2));  // roll a quarter turn
  aim(source, {0, 0, -10, 0}, {0, 0, 0, 0}, {0, 1, 0, 0});
  link.link(source);
  expectVector(driven->eye(), 0, 0, -10);
  const Vector4 up = driven->up();
  EXPECT_NEAR(std::fabs(up.x), 1.0f, 1e-5) << "the up vector lies along x";
  EXPECT_NEAR(up.y, 0.0f, 1e-5);
}

// Game sync off or no driven camera: nothing moves; the background camera is
// touched only while set, and gets the driven view without its translation.
TEST_F(MapCamera, TheBackgroundGetsTheDrivenViewWithoutTranslation) {
  aim(source, {3, 1, -10, 0}, {0, 0, 0, 0}, {0, 1, 0, 0});
  aim(driven, {7, 7, 7, 0}, {0, 0, 0, 0}, {0, 1, 0, 0});
  driven->updateMatrices();
  background->updateMatrices();
  const rk::math::Matrix before = background->viewMatrix();

  LinkMapCamera link;
  link.link(source);  // no driven camera
  expectVector(driven->eye(), 7, 7, 7);
  link.setTarget(driven);
  link.game_sync_ = false;
  link.link(source);
  expectVector(driven->eye(), 7, 7, 7);
  link.game_sync_ = true;
  link.link(source);
  EXPECT_NE(driven->eye().x, 7.0f);
  EXPECT_EQ(std::memcmp(&background->viewMatrix(), &before, sizeof before), 0) << "no background set";

  link.bg_camera_ = background;
  link.link(source);
  const rk::math::Matrix& view = driven->viewMatrix();
  EXPECT_TRUE(driven->isValid()) << "recomputed at once";
  const rk::math::Matrix& bg = background->viewMatrix();
  for (int r = 0; r < 3; ++r)
    for (int k = 0; k < 4; ++k) EXPECT_FLOAT_EQ(bg.m[r][k], view.m[r][k]) << r << "," << k;
  EXPECT_FLOAT_EQ(bg.m[3][0], 0.0f);
  EXPECT_FLOAT_EQ(bg.m[3][1], 0.0f);
  EXPECT_FLOAT_EQ(bg.m[3][2], 0.0f);
  EXPECT_FLOAT_EQ(bg.m[3][3], view.m[3][3]);
  EXPECT_NE(view.m[3][2], 0.0f) << "the driven view itself is translated";
}

TEST_F(MapCamera, DeletedCamerasAreForgotten) {
  LinkMapCamera link;
  rk::gfx::Camera* doomedDriven = cameras->createCamera(7);
  rk::gfx::Camera* doomedBackground = cameras->createCamera(8);
  link.setTarget(doomedDriven);
  link.bg_camera_ = doomedBackground;
  doomedDriven->addRef();
  doomedDriven->release(__FILE__, __LINE__);
  doomedBackground->addRef();
  doomedBackground->release(__FILE__, __LINE__);
  EXPECT_EQ(link.target(), nullptr);
  EXPECT_EQ(link.bg_camera_, nullptr);
  link.link(source);  // nothing to drive
}

// The framework's link-camera task drives it every frame.
TEST_F(MapCamera, TheLinkCameraTaskDrivesIt) {
  rk::gfx::LinkCamera task;
  LinkMapCamera link;
  link.setTarget(driven);
  link.transformation_.setPos({0, 5, 0, 0});
  task.setCamera(source);
  task.push(&link);
  task.run();
  aim(source, {0, 0, -10, 0}, {0, 0, 0, 0}, {0, 1, 0, 0});
  rk::task::TaskManager::getInstance()->update(1.0f / 60.0f);
  expectVector(driven->eye(), 0, 5, -10);
}

TEST(MapCameraMath, TheBaseVectorsTurnAndAdvance) {
  LinkMapCamera link;
  expectVector(link.calcAdvanceVector(), 0, 0, -1);
  // Orbit a quarter turn about the look-at point: the eye goes round, up stays.
  link.calcAtRot(float(M_PI / 2), 0, 0);
  EXPECT_NEAR(std::fabs(link.base_eye_.x), 10.0f, 1e-4);
  EXPECT_NEAR(link.base_eye_.z, 0.0f, 1e-4);
  EXPECT_FLOAT_EQ(link.base_eye_.w, 1.0f);
  expectVector(link.base_up_, 0, 1, 0);
  expectVector(link.base_at_, 0, 0, 0);
  // Look around from the eye: the look-at point turns about it.
  LinkMapCamera look;
  look.calcEyeRot(float(M_PI), 0, 0);
  expectVector(look.base_at_, 0, 0, 20, 1e-4f);
  expectVector(look.base_eye_, 0, 0, 10);
  // Only the part of the view across up counts, and the result is normalised.
  LinkMapCamera tilted;
  tilted.base_at_ = {0, 5, 0, 0};
  expectVector(tilted.calcAdvanceVector(), 0, 0, -1);
  tilted.base_at_ = {0, 5, 10, 0};  // straight up: nothing across
  expectVector(tilted.calcAdvanceVector(), 0, 0, 0);
}

class MapCameraScript : public MapCamera {
 protected:
  void SetUp() override {
    MapCamera::SetUp();
    L = luaL_newstate();
    luaL_openlibs(L);
    const rk::script::LuaFunctionTable graphics = rk::script::graphicsFunctionTable();
    rk::script::registerLuaFunctions(L, graphics.pairs, graphics.count);
    lua_register(L, "createLinkMapCameraObject", common::lua_createLinkMapCameraObject);
  }
  void TearDown() override {
    lua_close(L);
    MapCamera::TearDown();
  }
  std::string run(const std::string& chunk) {
    if (luaL_dostring(L, chunk.c_str()) != 0) return std::string("error: ") + lua_tostring(L, -1);
    std::string out;
    const int results = lua_gettop(L);
    for (int i = 1; i <= results; ++i) out += (i > 1 ? " " : "") + std::string(luaL_tolstring(L, i, nullptr));
    lua_settop(L, 0);
    return out;
  }
  rktest::ErrorLogCapture log_;
  lua_State* L = nullptr;
};

TEST_F(MapCameraScript, MethodsReadAndWriteTheBaseVectorsAndTheTransformation) {
  run("m = createLinkMapCameraObject(1, 2)");
  struct Case {
    const char* chunk;
    const char* expected;
  } cases[] = {
      {"return m:getBaseEye()", "0 0 10"},
      {"m:addMove(1, 2, 3) return m:getBaseAt()", "1 2 3"},
      {"return m:getBaseEye()", "1 2 13"},
      {"return m:getBaseUp()", "0 1 0"},
      {"m:setBaseUp(0, 0, 1) return m:getBaseUp()", "0 0 1"},
      {"m:setPos(4, 5, 6) return m:getPos()", "4 5 6"},
      {"m:init() return m:getPos()", "0 0 0"},
      {"m:setRotCenter(7, 8, 9) return m:getRotCenter()", "7 8 9"},
      {"m:setRotQuat(0, 0, 0, 1) return m:getRotQuat()", "0 0 0 1"},
      {"m:setRotYawPitchRoll(0.5, 0.25, 0.125) return m:getRotYawPitchRoll()", "0.5 0.25 0.125"},
      {"m:initYaw() return m:getRotYawPitchRoll()", "0 0.25 0.125"},
      {"m:initPitch() return m:getRotYawPitchRoll()", "0 0 0.125"},
      {"m:initRoll() return m:getRotYawPitchRoll()", "0 0 0"},
      {"m:setBaseUp(0, 1, 0) m:setBaseAt(0, 0, 0) m:setBaseEye(0, 0, 10) return m:calcAdvaceVector()",
       "0 0 -1"},
      {"return m:calcUp()", "0 1 0"},
  };
  for (const Case& c : cases) EXPECT_EQ(run(c.chunk), c.expected) << c.chunk;
  const std::string angles = run("m:setRotYawPitchRoll(0.5, 0, 0) return m:calcFromMtxToYawPitchRoll()");
  double yaw = 0, pitch = 1, roll = 1;
  ASSERT_EQ(std::sscanf(angles.c_str(), "%lf %lf %lf", &yaw, &pitch, &roll), 3) << angles;
  EXPECT_NEAR(yaw, 0.5, 1e-5);
  EXPECT_NEAR(pitch, 0.0, 1e-5);
  EXPECT_NEAR(roll, 0.0, 1e-5);
  EXPECT_TRUE(log_.empty()) << log_.text();
}

// The sync camera's "push" takes the map camera's script object, which then
// drives its camera every frame; a cleared game sync stops it.
TEST_F(MapCameraScript, TheSyncCameraTakesItAndGameSyncStopsIt) {
  aim(source, {0, 0, -10, 0}, {0, 0, 0, 0}, {0, 1, 0, 0});
  EXPECT_EQ(run("src = createCamera(1) dst = createCamera(4) bg = createCamera(0)"
                " m = createLinkMapCameraObject() m:setCamera(dst) m:setBGCamera(bg) m:setPos(0, 3, 0)"
                " sync = createSyncCamera() sync:setCamera(src) sync:push(m) sync:run()"),
            "");
  rk::task::TaskManager::getInstance()->update(1.0f / 60.0f);
  expectVector(driven->eye(), 0, 3, -10);
  run("m:setGameSync(false) m:setPos(0, 9, 0)");
  rk::task::TaskManager::getInstance()->update(1.0f / 60.0f);
  expectVector(driven->eye(), 0, 3, -10);
  run("m:setGameSync(0)");  // 0 is true
  rk::task::TaskManager::getInstance()->update(1.0f / 60.0f);
  expectVector(driven->eye(), 0, 9, -10);
  EXPECT_TRUE(log_.empty()) << log_.text();
  run("m = nil collectgarbage()");  // leaves the sync camera's list
  run("sync = nil collectgarbage()");
}

// A method given another object reports and does nothing; a camera setter
// given something that is not a camera keeps its camera, and nil clears it.
TEST_F(MapCameraScript, SomethingElseReadsAsNothing) {
  run("m = createLinkMapCameraObject() m:setCamera(createCamera(4))");
  EXPECT_EQ(run("m:setCamera({}) m:setBGCamera(5)"), "");
  EXPECT_EQ(log_.entries("common::LinkMapCamera::lua_setCamera"), 1u);
  EXPECT_EQ(log_.entries("common::LinkMapCamera::lua_setBGCamera"), 1u);
  EXPECT_EQ(run("return m.getBaseEye({})"), "0 0 0");
  EXPECT_EQ(log_.entries("common::LinkMapCamera::lua_getBaseEye"), 1u);
  lua_getglobal(L, "m");
  auto* link = rk::script::toLuaObject<LinkMapCamera>(L, -1, common::kLinkMapCameraClass);
  lua_pop(L, 1);
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->target(), driven) << "kept";
  run("m:setCamera(nil)");  // nil clears
  EXPECT_EQ(link->target(), nullptr);
}

}  // namespace
