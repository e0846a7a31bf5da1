// The growing laser: a capsule dragged out behind its lead sphere until it
// reaches its total length, shrinking while its owner is in the no-damage
// state (after a hit), and handing its shape to a capsule-laser command.
#include "enemy_bullet/bullet_fixture.h"

#include "gfx/gfx_model_command/rk_gfx_billboard.h"
#include "script/rk_script_gfx_parts.h"

#include "RuskelFrameWork/src/script/rk_script_gfx_model_internal.h"

namespace {

using rk::math::Vector4;

class GrowingLasers : public bullettest::BulletScript {
 protected:
  void SetUp() override {
    ASSERT_EQ(run("laser = createEnemyBulletRigidBodyLaserCapsule() lead = laser:getLeadSphere()"), "");
    laser_ = global<EnemyBulletRigidBodyLaserCapsule>("laser");
    ASSERT_NE(laser_, nullptr);
    lead_ = laser_->leadSphere();
    ASSERT_NE(lead_, nullptr);
    ASSERT_EQ(global<EnemyBulletRigidBodySphere>("lead"), lead_);
  }
  Vector4 centre() const { return rk::collision::centerOf(static_cast<const rk::collision::Capsule&>(*laser_)); }
  static float distance(const Vector4& a, const Vector4& b) { return rk::math::vec3Length(a.minus(b)); }

  EnemyBulletRigidBodyLaserCapsule* laser_ = nullptr;
  EnemyBulletRigidBodySphere* lead_ = nullptr;
};

TEST_F(GrowingLasers, AFreshLaserIsABallOfRadiusOne) {
  EXPECT_EQ(run("return laser:getCollisionKind(), laser:getHeight(), laser:getRadius(), lead:getRadius()"),
            "6,0,1,1");
  EXPECT_EQ(laser_->totalLength(), 1.0f);
  EXPECT_EQ(laser_->currentLength(), 0.0f);
  EXPECT_EQ(run("return laser:isNoDamage(), laser:isValid(), lead:isValid(), lead:isUse()"), "false,true,true,true");
  // Radius: the laser's reaches the lead sphere, the lead sphere's stays its own.
  EXPECT_EQ(run("laser:setRadius(0.5) return lead:getRadius()"), "0.5");
  EXPECT_EQ(run("lead:setRadius(0.25) return laser:getRadius(), lead:getRadius()"), "0.5,0.25");
  EXPECT_TRUE(log_.empty()) << log_.text();
}

// The capsule grows behind the flying sphere by half the distance travelled,
// its tail staying where the sphere started, until its height is the total
// length; then it trails the sphere at that length with the sphere's velocity.
// After a hit (no-damage state) it shrinks from the frozen start point. The
// physics step derives the capsule's axis from the body's pose at every
// substep, so the script lays the base axis along the flight.
TEST_F(GrowingLasers, GrowsToItsLengthThenShrinksAfterAHit) {
  ASSERT_EQ(run("laser:setTotalLength(2) laser:setBaseAxis(0, 0, 1) lead:setPos(0, 0, 0) lead:setVelocity(0, 0, 30)"),
            "");
  bool full = false;
  for (int i = 0; i < 14; ++i) {
    step();
    const Vector4 p = lead_->getPosition();
    const float expected = std::min(2.0f, 0.5f * p.z);
    SCOPED_TRACE("step " + std::to_string(i) + " lead z " + std::to_string(p.z));
    EXPECT_NEAR(laser_->getHeight(), expected, 1e-4f);
    EXPECT_NEAR(laser_->currentLength(), expected, 1e-4f);
    // Tip on the sphere, axis along the flight.
    const Vector4 c = centre();
    EXPECT_NEAR(c.z + laser_->getHeight(), p.z, 1e-4f);
    EXPECT_NEAR(laser_->getAxisVector().z, 1.0f, 1e-6f);
    if (expected < 2.0f) EXPECT_NEAR(c.z - laser_->getHeight(), 0.0f, 1e-4f) << "the tail stays at the start";
    if (expected >= 2.0f) {
      full = true;
      EXPECT_NEAR(laser_->getVelocity().z, lead_->getVelocity().z, 0.5f) << "the laser took the sphere's velocity";
    }
  }
  ASSERT_TRUE(full);

  // A hit: the owner enters its no-damage state and the start point freezes.
  run("laser:setNoDamageFlag(true)");
  const Vector4 start = laser_->startPoint();
  bool empty = false;
  for (int i = 0; i < 14 && !empty; ++i) {
    step();
    const float d = 0.5f * distance(lead_->getPosition(), start);
    SCOPED_TRACE("shrink step " + std::to_string(i));
    EXPECT_EQ(laser_->startPoint().z, start.z);
    EXPECT_EQ(laser_->currentLength(), 2.0f) << "shrinking never writes the current length";
    if (2.0f - d > 1e-6f) {
      EXPECT_NEAR(laser_->getHeight(), 2.0f - d, 1e-4f);
      EXPECT_NEAR(centre().z, start.z + (2.0f - d), 1e-3f);
    } else {
      EXPECT_EQ(laser_->getHeight(), 0.0f);
      empty = true;
    }
  }
  EXPECT_TRUE(empty) << "after the sphere travelled twice the length the capsule is empty";

  // The state ends: the next substep restores the stored length.
  run("laser:setNoDamageFlag(false)");
  step();
  EXPECT_NEAR(laser_->getHeight(), 2.0f, 1e-6f);
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(GrowingLasers, LoweringTheTotalLengthClampsTheNextGrowth) {
  run("laser:setTotalLength(5) lead:setVelocity(0, 60, 0)");
  for (int i = 0; i < 4; ++i) step();
  ASSERT_GT(laser_->getHeight(), 1.0f);
  run("laser:setTotalLength(0.5)");
  step();
  EXPECT_EQ(laser_->getHeight(), 0.5f);
  EXPECT_EQ(laser_->currentLength(), 0.5f);
}

TEST_F(GrowingLasers, AnInvalidLeadSphereStopsGrowthAndShrink) {
  run("laser:setTotalLength(5) lead:setVelocity(10, 0, 0)");
  step();
  const float height = laser_->getHeight();
  const Vector4 c = centre();
  run("lead:setValid(false)");
  for (int i = 0; i < 3; ++i) step();
  EXPECT_EQ(laser_->getHeight(), height);
  EXPECT_EQ(laser_->currentLength(), height);
  EXPECT_NEAR(centre().x, c.x + 0.0f, 0.05f) << "the laser body flies on only with its own velocity";
  // Finalising unhooks the lead sphere; initialising hooks it again.
  run("laser:finalize()");
  EXPECT_EQ(run("return laser:isValid(), lead:isValid(), lead:isUse()"), "false,false,false");
  EXPECT_EQ(lead_->getSyncSimExec(), nullptr);
  run("laser:initialize()");
  EXPECT_EQ(laser_->leadSphere(), lead_) << "the same lead sphere is reused";
  EXPECT_EQ(lead_->getSyncSimExeced(), static_cast<rk::rigidbody::ISyncSimExeced*>(laser_));
  EXPECT_EQ(laser_->getHeight(), 0.0f);
}

TEST_F(GrowingLasers, TheDrawingCommandTakesTheShapeAfterEveryStep) {
  rk::gfx::gfx_model_command::CapsuleLaser command(nullptr);
  static const luaL_Reg none[] = {{nullptr, nullptr}};
  rk::script::pushLuaObject(L, &command, rk::script::gph::kCapsuleLaserPartClass, none, [](lua_State* L) {
    lua_settop(L, 0);
    return 0;
  });
  lua_setglobal(L, "cmd");
  ASSERT_EQ(run("laser:setGfxCapsuleLaser(cmd) laser:setTotalLength(3) lead:setVelocity(0, 0, -40)"), "");
  for (int i = 0; i < 3; ++i) {
    step();
    const auto& p = command.params();
    EXPECT_EQ(p.radius, laser_->getRadius());
    EXPECT_EQ(p.length, laser_->getHeight());
    EXPECT_EQ(p.axis.z, laser_->getAxisVector().z);
    EXPECT_EQ(p.position.z, centre().z);
  }
  run("laser:setGfxCapsuleLaser(nil)");
  const float kept = command.params().length;
  step();
  EXPECT_EQ(command.params().length, kept);
  EXPECT_NE(laser_->getHeight(), kept);
  // A wrong object is refused and keeps the detached state.
  run("laser:setGfxCapsuleLaser(lead)");
  EXPECT_EQ(laser_->capsuleLaser(), nullptr);

  // The gfx model's own command objects are read as commands and must be
  // capsule lasers.
  rk::gfx::gfx_model_command::CapsuleLaser modelCommand(nullptr);
  rk::gfx::gfx_model_command::DrawFlash flash(nullptr);
  for (auto [name, object] : {std::pair<const char*, rk::gfx::GfxModelList*>{"own", &modelCommand}, {"flash", &flash}}) {
    rk::script::pushLuaObject(L, object, rk::script::gph::kGfxCommandClass, none, [](lua_State* L) {
      lua_settop(L, 0);
      return 0;
    });
    lua_setglobal(L, name);
  }
  run("laser:setGfxCapsuleLaser(own)");
  EXPECT_EQ(laser_->capsuleLaser(), &modelCommand);
  run("laser:setGfxCapsuleLaser(flash)");
  EXPECT_EQ(laser_->capsuleLaser(), &modelCommand) << "another kind of command is refused";

  // A command deleted while attached is forgotten.
  run("laser:setGfxCapsuleLaser(cmd)");
  auto* doomed = new rk::gfx::gfx_model_command::CapsuleLaser(nullptr);
  laser_->setCapsuleLaser(doomed);
  delete doomed;
  EXPECT_EQ(laser_->capsuleLaser(), nullptr);
  step();
}

TEST_F(GrowingLasers, TheLeadSphereOutlivesTheLaserOnlyWhileTheScriptHoldsIt) {
  run("laser = nil collectgarbage()");
  // The script's lead object keeps the sphere alive, unhooked and out of use.
  EXPECT_EQ(run("return lead:isUse(), lead:isValid()"), "false,false");
  EXPECT_EQ(lead_->getSyncSimExec(), nullptr);
  step();
  const std::size_t before = physics_->bodies().size();
  run("lead = nil collectgarbage()");
  EXPECT_EQ(physics_->bodies().size(), before - 1);
  EXPECT_TRUE(log_.empty()) << log_.text();
}

}  // namespace
