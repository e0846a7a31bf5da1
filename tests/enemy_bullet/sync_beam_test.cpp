// Model-synced beams: a capsule laid along a model frame after every
// collision pass, and a box set from the frame (with an offset) and carried
// from the model's camera into camera 2's space. Both follow the model while
// it animates and forget a model that is destroyed.
#include "enemy_bullet/bullet_fixture.h"

#include "gfx/rk_camera.h"
#include "gfx/rk_gmodel.h"
#include "sync/sync_beam.h"

namespace {

using rk::math::Matrix;
using rk::math::Vector4;

// A model with one frame, "muzzle", whose node matrix the test sets.
class FrameModel : public rk::gfx::GModel {
 public:
  bool getFrameMatrix(Matrix& out, const char* frame) override {
    if (frame && std::string(frame) == "muzzle") {
      out = node;
      return true;
    }
    out = rk::math::matrixIdentity();
    return !frame || !*frame;
  }
  void draw(int, bool) override {}
  bool isShadow() override { return false; }
  bool isShadowCast() override { return false; }
  void setShadowColor(std::uint32_t) override {}
  std::uint32_t getShadowColor() override { return 0; }

  Matrix node = rk::math::matrixIdentity();
};

const rk::script::LuaClass kFrameModelClass{"FrameModel", rk::script::castGModel<FrameModel>};

class SyncBeams : public bullettest::BulletScript {
 protected:
  SyncBeams() {
    reg("createSyncBeamCapsule", qv21::sync::lua_createSyncBeamCapsule);
    reg("createSyncBeamOBB", qv21::sync::lua_createSyncBeamOBB);
    cameras_ = rk::gfx::CameraManager::createInstance();
    cameras_->createCamera(0);
    cameras_->createCamera(2);
  }
  ~SyncBeams() override {
    lua_close(L);
    L = luaL_newstate();
    model_.reset();
    rk::gfx::CameraManager::destroyInstance();
  }
  void SetUp() override {
    model_ = std::make_unique<FrameModel>();
    static const luaL_Reg none[] = {{nullptr, nullptr}};
    rk::script::pushLuaObject(L, model_.get(), kFrameModelClass, none, [](lua_State* L) {
      lua_settop(L, 0);
      return 0;
    });
    lua_setglobal(L, "model");
  }
  // The model placed at `position`, turned by `yaw` about y.
  void place(const Vector4& position, float yaw) {
    Matrix m = rk::math::matrixRotationAxis({0, 1, 0, 0}, yaw);
    m.m[3][0] = position.x, m.m[3][1] = position.y, m.m[3][2] = position.z;
    model_->setMatrix(m);
  }

  rk::gfx::CameraManager* cameras_ = nullptr;
  std::unique_ptr<FrameModel> model_;
};

Vector4 centreOf(const rk::collision::CollisionBody& shape) { return rk::collision::centerOf(shape); }

TEST_F(SyncBeams, AFreshBeamFollowsNothing) {
  ASSERT_EQ(run("c = createSyncBeamCapsule() b = createSyncBeamOBB()"), "");
  EXPECT_EQ(run("return c:getCollisionKind(), c:getRadius(), c:getHeight(), b:getCollisionKind(), b:getSize()"),
            "2,1,0,3,1,1,1");
  run("c:setPos(1, 2, 3) b:setPos(4, 5, 6)");
  step();
  EXPECT_EQ(run("return c:getColPos()"), "1,2,3");
  EXPECT_EQ(run("return b:getColPos()"), "4,5,6");
  EXPECT_TRUE(log_.empty()) << log_.text();
}

// The capsule starts at the frame's origin and runs along the frame's turned
// y axis (its negated z axis), 2h long; it follows the model as it moves.
TEST_F(SyncBeams, TheCapsuleLiesAlongTheFrameWhileTheModelAnimates) {
  ASSERT_EQ(run("c = createSyncBeamCapsule() c:setHeight(2) c:setModelFrame(model, 'muzzle')"), "");
  auto* beam = global<qv21::sync::SyncBeamCapsule>("c");
  struct Case {
    const char* name;
    Vector4 position;
    float yaw;
  } cases[] = {
      {"at the origin", {0, 0, 0, 0}, 0.0f},
      {"moved", {5, 1, -2, 0}, 0.0f},
      {"turned a quarter about y", {5, 1, -2, 0}, 1.5707964f},
      {"turned back and moved on", {-3, 0, 4, 0}, 3.1415927f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    place(c.position, c.yaw);
    step();
    // The frame's -z in the world.
    const Vector4 expected = rk::math::vec3TransformNormal({0, 0, -1, 0}, model_->getMatrix());
    const Vector4 axis = beam->getAxisVector();
    const Vector4 centre = centreOf(static_cast<const rk::collision::Capsule&>(*beam));
    EXPECT_NEAR(axis.x, expected.x, 1e-5f);
    EXPECT_NEAR(axis.y, expected.y, 1e-5f);
    EXPECT_NEAR(axis.z, expected.z, 1e-5f);
    // The near end of the segment is the frame's origin.
    EXPECT_NEAR(centre.x - 2.0f * axis.x, c.position.x, 1e-4f);
    EXPECT_NEAR(centre.y - 2.0f * axis.y, c.position.y, 1e-4f);
    EXPECT_NEAR(centre.z - 2.0f * axis.z, c.position.z, 1e-4f);
  }
  // A named frame is carried by the model: its node offset moves the beam.
  model_->node = rk::math::matrixTranslation(0, 3, 0);
  place({0, 0, 0, 0}, 0.0f);
  step();
  EXPECT_NEAR(centreOf(static_cast<const rk::collision::Capsule&>(*beam)).y, 3.0f, 1e-4f);
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(SyncBeams, AScaledFrameScalesTheOffsetButNotTheAxis) {
  ASSERT_EQ(run("c = createSyncBeamCapsule() c:setHeight(1.5) c:setModelFrame(model, '')"), "");
  auto* beam = global<qv21::sync::SyncBeamCapsule>("c");
  model_->setMatrix(rk::math::matrixScaling(2, 2, 2));
  step();
  EXPECT_NEAR(beam->getPosition().z, -3.0f, 1e-4f) << "s × h along the axis";
  EXPECT_NEAR(beam->getBaseAxis().z, -2.0f, 1e-5f) << "the base axis keeps the scale";
  // The follow lays a unit axis; the end-of-step flush derives it again from
  // the unnormalised base axis.
  beam->afterCollision();
  EXPECT_NEAR(rk::math::vec3Length(beam->getAxisVector()), 1.0f, 1e-6f);
}

TEST_F(SyncBeams, ABeamOutOfUseDoesNotFollowButStillFlies) {
  ASSERT_EQ(run("c = createSyncBeamCapsule() c:setHeight(1) c:setModelFrame(model, 'muzzle')"
                "c:setUse(false) c:setValid(true) c:setVelocity(0, 6, 0)"),
            "");
  step(0.5f);
  auto* beam = global<qv21::sync::SyncBeamCapsule>("c");
  EXPECT_GT(beam->getPosition().y, 2.0f);
  EXPECT_EQ(beam->getPosition().z, 0.0f);
}

TEST_F(SyncBeams, TheBoxFollowsTheFrameIntoCameraTwo) {
  ASSERT_EQ(run("b = createSyncBeamOBB() b:setSize(0.5, 3, 0.5) b:setModelFrame(model, 'muzzle')"
                "b:setOffset(0, 1, 0) b:setFromCamera(7) b:setVelocity(10, 10, 10)"),
            "");
  auto* beam = global<qv21::sync::SyncBeamOBB>("b");
  EXPECT_EQ(beam->cameraNo(), 2);
  model_->setRenderCameraBit(1);  // drawn by camera 0, which shows what camera 2 shows
  place({2, 0, 0, 0}, 0.0f);
  step();
  // The offset runs along the frame's turned y axis: the frame's -z.
  const Vector4 centre = centreOf(static_cast<const rk::collision::OBB&>(*beam));
  // (The round trip through a perspective projection and its inverse keeps
  // about two decimals.)
  EXPECT_NEAR(centre.x, 2.0f, 2e-2f);
  EXPECT_NEAR(centre.y, 0.0f, 2e-2f);
  EXPECT_NEAR(centre.z, -1.0f, 2e-2f);
  EXPECT_NEAR(beam->getAxis(1).z, -1.0f, 2e-2f);
  EXPECT_EQ(beam->getPosition().x, 0.0f) << "the body never moves by itself";
  EXPECT_EQ(run("return b:getSize()"), "0.5,3,0.5");

  // Camera 2 looks from elsewhere: the pose is the one camera 2 shows where
  // camera 0 shows the frame.
  rk::gfx::Camera* two = cameras_->getCamera(2);
  two->setEye({0, 0, -20, 0});
  Matrix expected = rk::math::matrixMultiply(
      rk::math::matrixMultiply(rk::math::matrixTranslation(0, 1, 0), rk::math::matrixRotationX(-1.5707964f)),
      model_->getMatrix());
  expected = rk::math::matrixBetweenCameras(*cameras_->getCamera(0), *two, expected);
  step();
  const Vector4 mapped = centreOf(static_cast<const rk::collision::OBB&>(*beam));
  EXPECT_NEAR(mapped.x, expected.m[3][0], 1e-3f);
  EXPECT_NEAR(mapped.z, expected.m[3][2], 1e-3f);
  EXPECT_GT(std::fabs(mapped.z - centre.z), 1e-2f) << "the mapping moved it";

  // Without camera 2 there is no mapping: the box keeps its pose.
  two->release("sync beam test", 1);
  place({9, 9, 9, 0}, 0.0f);
  step();
  EXPECT_GT(std::fabs(centreOf(static_cast<const rk::collision::OBB&>(*beam)).x - 9.0f), 1.0f);
}

TEST_F(SyncBeams, ADestroyedModelIsForgotten) {
  ASSERT_EQ(run("c = createSyncBeamCapsule() b = createSyncBeamOBB()"
                "c:setModelFrame(model, 'muzzle') b:setModelFrame(model, 'muzzle')"),
            "");
  model_.reset();
  EXPECT_EQ(global<qv21::sync::SyncBeamCapsule>("c")->model(), nullptr);
  EXPECT_EQ(global<qv21::sync::SyncBeamOBB>("b")->model(), nullptr);
  step();  // nothing reads the deleted model
}

}  // namespace
