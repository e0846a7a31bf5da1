// The beam shot and the reflect vulcan: fixed speed, orientation, spin, the
// per-step hit and reflect flags and the reflect sound queued once per run.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "audio/rk_audio_context.h"
#include "game_player/player_fixture.h"
#include "gfx/gfx_model_command/rk_gfx_laser.h"
#include "gfx/rk_camera.h"
#include "kernel/rk_device_context.h"
#include "rigidbody/rk_rigidbody_hooks.h"

namespace {

constexpr const char* kReflect = "audio/se/common01/reflect.ogg";

// Sets a shot's hit flag in every substep, as a hit rule touching an enemy would.
struct HitEverySubstep : rk::rigidbody::ISyncSimConst {
  PlayerBulletBase* shot = nullptr;
  void syncSimConst(rk::rigidbody::RigidBody*) override { shot->setHitFlag(true); }
};

class Shots : public playertest::PlayerScript {
 protected:
  Shots() {
    rk::DeviceContext::getInstance();  // the audio context lives in it
    audio_ = rk::audio::AudioContext::getInstance();
    audio_->clearEntrySE();
    rk::gfx::CameraManager::createInstance();
    // Cameras 1 and 2 see the same: positions map onto themselves.
    rk::gfx::CameraManager::getInstance()->createCamera(1);
    rk::gfx::CameraManager::getInstance()->createCamera(2);
  }
  ~Shots() override {
    rk::gfx::CameraManager::destroyInstance();
  }
  std::size_t reflectEntries() {
    std::size_t n = 0;
    for (const rk::audio::SEEntry& e : audio_->entrySE()) n += e.name == kReflect;
    return n;
  }
  PlayerBulletBeamShotRigidBody* shot(const char* g) { return object<PlayerBulletBeamShotRigidBody>(g, kBeamShotClass); }
  PlayerBulletVulcanRigidBody* vulcan(const char* g) {
    return object<PlayerBulletVulcanRigidBody>(g, kReflectVulcanClass);
  }

  rk::audio::AudioContext* audio_ = nullptr;
};

TEST_F(Shots, ABeamShotIsAnInUseCapsuleAtTwelve) {
  ASSERT_EQ(run("s = createBulletBeamShot() return s:getFixVelocity(), s:isUse(), s:getCollisionKind(), "
                "s:getRadius(), s:getHeight(), s:getHp()"),
            "12,true,2,1,1,1");
  EXPECT_EQ(shot("s")->owner()->kind(), 3);
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(Shots, BeamShotQueuesTheReflectSoundOncePerRunOfReflectingSteps) {
  ASSERT_EQ(run("s = createBulletBeamShot() s:setValid(true) s:setGravity(0, 0, 0) s:setPos(1, 2, 3)"), "");
  PlayerBulletBeamShotRigidBody* s = shot("s");
  std::vector<std::size_t> queued;
  for (bool reflect : {true, true, true, false, true}) {
    s->setReflectFlag(reflect);
    step();
    queued.push_back(reflectEntries());
    EXPECT_FALSE(s->reflectFlag()) << "consumed by the step";
  }
  EXPECT_EQ(queued, (std::vector<std::size_t>{1, 0, 0, 0, 1}));
  // Cameras that see alike leave the position as it is.
  const rk::audio::SEEntry& entry = audio_->entrySE().back();
  EXPECT_NEAR(entry.position.x, 1.0f, 1e-3f);
  EXPECT_NEAR(entry.position.y, 2.0f, 1e-3f);
  EXPECT_NEAR(entry.position.z, 3.0f, 1e-3f);
  EXPECT_EQ(entry.volume, 1.0f);
  EXPECT_EQ(entry.flag, 1);

  // An invalid shot queues nothing and drops the pending reflection.
  ASSERT_EQ(run("s:setValid(false)"), "");
  s->setReflectFlag(true);
  step();
  EXPECT_EQ(reflectEntries(), 0u);
  EXPECT_FALSE(s->reflectFlag());
  EXPECT_FALSE(s->reflectSoundQueued());
}

TEST_F(Shots, BeamShotLiesAlongItsHorizontalTravel) {
  ASSERT_EQ(run("s = createBulletBeamShot() s:setValid(true) s:setGravity(0, 0, 0) s:setVelocity(5, 0, 0)"), "");
  PlayerBulletBeamShotRigidBody* s = shot("s");
  step();
  const float h = std::sqrt(0.5f);
  EXPECT_NEAR(s->getQuat().x, 0.0f, 1e-5f);
  EXPECT_NEAR(s->getQuat().y, 0.0f, 1e-5f);
  EXPECT_NEAR(s->getQuat().z, -h, 1e-5f) << "a quarter turn about (0, 0, -1)";
  EXPECT_NEAR(s->getQuat().w, h, 1e-5f);
  EXPECT_NEAR(s->getVelocity().x, 12.0f, 1e-4f);

  // Straight up: the orientation stays, the speed is renormalised.
  ASSERT_EQ(run("s:setVelocity(0, 3, 0)"), "");
  step();
  EXPECT_NEAR(s->getQuat().z, -h, 1e-5f);
  EXPECT_NEAR(s->getVelocity().y, 12.0f, 1e-4f);

  // A base axis along the travel gives the identity.
  ASSERT_EQ(run("s:setBaseAxis(0, 0, 1) s:setVelocity(0, 0, 2)"), "");
  step();
  EXPECT_NEAR(s->getQuat().w, 1.0f, 1e-6f);
  EXPECT_NEAR(s->getVelocity().z, 12.0f, 1e-4f);
}

TEST_F(Shots, BeamShotNeverSpinsAndKeepsABounceWhileItHits) {
  ASSERT_EQ(run("s = createBulletBeamShot() s:setValid(true) s:setGravity(0, 0, 0) s:setOmega(1, 2, 3) "
                "s:setVelocity(3, 0, 0)"),
            "");
  PlayerBulletBeamShotRigidBody* s = shot("s");
  HitEverySubstep hit;
  hit.shot = s;
  s->setSyncSimConst(&hit);
  step();
  EXPECT_EQ(rk::math::vec3Length(s->getOmega()), 0.0f);
  EXPECT_LT(s->getVelocity().x, 3.0f) << "not brought back to 12 in a step with a hit";
  s->setSyncSimConst(nullptr);
  step();
  EXPECT_NEAR(s->getVelocity().x, 12.0f, 1e-4f);

  // Neither in use nor with an owner in use: not turned, not renormalised.
  ASSERT_EQ(run("s:setUse(false) s:setVelocity(0, 0, 1)"), "");
  const rk::math::Vector4 q = s->getQuat();
  step();
  EXPECT_EQ(s->getQuat().z, q.z);
  EXPECT_LT(s->getVelocity().z, 1.0f);
}

TEST_F(Shots, VulcanReflectsOncePerRunOnlyWhileItsOwnerLives) {
  ASSERT_EQ(run("v = createReflectVulcan() v:setValid(true) v:setGravity(0, 0, 0)"), "");
  PlayerBulletVulcanRigidBody* v = vulcan("v");
  std::vector<std::size_t> queued;
  for (bool reflect : {true, true, false, true}) {
    v->setReflectFlag(reflect);
    step();
    queued.push_back(reflectEntries());
  }
  EXPECT_EQ(queued, (std::vector<std::size_t>{1, 0, 0, 1}));

  // A dead owner: nothing queued, the reflection stays pending.
  step();  // a step without reflection ends the run
  ASSERT_EQ(run("v:setHp(0)"), "");
  v->setReflectFlag(true);
  step();
  EXPECT_EQ(reflectEntries(), 0u);
  EXPECT_TRUE(v->reflectFlag());
  ASSERT_EQ(run("v:setHp(1)"), "");
  step();
  EXPECT_EQ(reflectEntries(), 1u);
  EXPECT_FALSE(v->reflectFlag());
}

TEST_F(Shots, VulcanUseStartPositionAndShape) {
  ASSERT_EQ(run("v = createReflectVulcan() return v:getFixVelocity(), v:isUse(), v:getCollisionKind(), "
                "v:initialize()"),
            "12,true,1,true");
  PlayerBulletVulcanRigidBody* v = vulcan("v");
  ASSERT_EQ(run("v:setUse(false)"), "");
  v->owner()->setUse(true);
  EXPECT_EQ(run("return v:isUse()"), "false") << "the owner is not consulted";

  ASSERT_EQ(run("v:setStartPos(1, 2, 3) v:setStartPos(1, 2, 3)"), "");
  ASSERT_EQ(v->trail().size(), 1u);
  EXPECT_EQ(v->trail()[0].z, 3.0f);
  EXPECT_EQ(v->trail()[0].w, 0.0f);

  ASSERT_EQ(run("v:finalize()"), "");
  EXPECT_EQ(v->getCollisionBody(), nullptr);
  EXPECT_TRUE(v->trail().empty());
  EXPECT_FALSE(v->owner()->isUse());
  ASSERT_EQ(run("v:initialize()"), "");
  EXPECT_NE(v->getCollisionBody(), nullptr);
}

TEST_F(Shots, VulcanSpeedReturnsAfterAStepWithAHit) {
  ASSERT_EQ(run("v = createReflectVulcan() v:setValid(true) v:setGravity(0, 0, 0) v:setVelocity(2, 0, 0)"), "");
  PlayerBulletVulcanRigidBody* v = vulcan("v");
  HitEverySubstep hit;
  hit.shot = v;
  v->setSyncSimConst(&hit);
  step();
  EXPECT_LT(v->getVelocity().x, 2.0f);
  EXPECT_FALSE(v->hitFlag()) << "the flush clears it";
  v->setSyncSimConst(nullptr);
  step();
  EXPECT_NEAR(v->getVelocity().x, 12.0f, 1e-4f);
}

TEST_F(Shots, VulcanLaserHandlesBorrowTheLaser) {
  rk::gfx::GfxModel model;
  rk::gfx::gfx_model_command::Laser laser(&model);
  ASSERT_EQ(run("v = createReflectVulcan() w = createReflectVulcan() return v:getGfxLaser() ~= nil"), "true");
  static const luaL_Reg none[] = {{nullptr, nullptr}};
  rk::script::pushLuaObject(L, &laser, kVulcanLaserHandleClass, none, [](lua_State* S) {
    lua_settop(S, 0);
    return 0;
  });
  lua_setglobal(L, "laser");
  ASSERT_EQ(run("v:setGfxLaser(laser) a = v:getGfxLaser() b = v:getGfxLaser() w:setGfxLaser(a) "
                "return rawequal(a, b)"),
            "false");
  EXPECT_EQ(vulcan("v")->laser(), &laser);
  EXPECT_EQ(vulcan("w")->laser(), &laser);
  ASSERT_EQ(run("a = nil b = nil laser = nil"), "");
  collect();
  EXPECT_EQ(vulcan("v")->laser(), &laser) << "collecting the handles leaves the laser";
  ASSERT_EQ(run("v:setGfxLaser(nil)"), "");
  EXPECT_EQ(vulcan("v")->laser(), nullptr);
}

}  // namespace
