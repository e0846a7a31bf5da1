// The capture beam's body: pulled toward its gravity point in the horizontal
// plane, held below its speed limit and kept inside its move-limit sphere.
#include <gtest/gtest.h>

#include <cmath>

#include "game_player/player_fixture.h"

namespace {

using playertest::PlayerScript;

class Capture : public PlayerScript {
 protected:
  // An initialised, valid capture `c` at the origin.
  PlayerBeamCapture* make() {
    EXPECT_EQ(run("c = createBeamCapture() c:initialize() c:setValid(true)"), "");
    return object<PlayerBeamCapture>("c", kPlayerBeamCaptureClass);
  }
  // One substep's force on the capture, as the collision groups leave it.
  rk::math::Vector4 substepForce(PlayerBeamCapture* c) {
    c->beginSubstep();
    c->afterCollision();
    return c->getForce();
  }
};

TEST_F(Capture, ANewCaptureIsNeitherValidNorInUseAndItsObjectOwnsIt) {
  EXPECT_EQ(run("c = createBeamCapture() return c:isValid(), c:isUse(), c:getRadius()"), "false,false,1");
  const std::size_t bodies = rk::rigidbody::RigidBodyManager::getInstance()->bodies().size();
  ASSERT_EQ(run("c = nil"), "");
  collect();
  EXPECT_EQ(rk::rigidbody::RigidBodyManager::getInstance()->bodies().size(), bodies - 1);
}

TEST_F(Capture, IsPulledTowardItsPointInTheHorizontalPlaneBelowItsSpeedLimit) {
  PlayerBeamCapture* c = make();
  ASSERT_EQ(run("c:setPower(30) c:setGravityPoint(20, 7, 0) c:setMoveLimit(0, 0, 0, 100)"), "");
  for (int i = 0; i < 10; ++i) step();
  // The cap applies before each substep's integration, so what remains is
  // at most one substep's pull: 30 / (60 × 32) per substep.
  const float substepGain = 30.0f / (60.0f * 32.0f);
  EXPECT_LT(c->getPosition().x, 10 * substepGain / 60.0f) << "with the default speed limit of 0 it stays put";

  ASSERT_EQ(run("c:setLimitSpeed(4)"), "");
  for (int i = 0; i < 60; ++i) {
    step();
    const rk::math::Vector4 v = c->getVelocity();
    EXPECT_LE(std::sqrt(v.x * v.x + v.z * v.z), 4.0f + substepGain + 1e-4f);
  }
  EXPECT_GT(c->getPosition().x, 3.0f);
  EXPECT_EQ(c->getPosition().y, 0.0f) << "the vertical pull is dropped";
  EXPECT_EQ(c->getVelocity().y, 0.0f);

  // A body on its gravity point feels no pull (no division by zero).
  ASSERT_EQ(run("c:setPos(1, 2, 3) c:setGravityPoint(1, 2, 3) c:setVelocity(0, 0, 0)"), "");
  c->beginSubstep();
  EXPECT_EQ(c->getGravity().x, 0.0f);
  EXPECT_EQ(c->getGravity().y, 0.0f);
  EXPECT_EQ(c->getGravity().z, 0.0f);
}

TEST_F(Capture, MoveLimitPushesBackOnlyFromItsEdgeWithSpringAndDamper) {
  PlayerBeamCapture* c = make();
  ASSERT_EQ(run("c:setMoveLimit(0, 0, 0, 10) c:setLimitSpeed(100) c:setGravityPoint(0, 0, 0)"), "");
  EXPECT_EQ(c->moveLimit().getRadius(), 9.0f) << "the body's own radius is taken off";

  const struct {
    const char* setup;
    float force;  // x component; the limit centre lies toward -x
  } cases[] = {
      {"c:setPos(9.5, 0, 0) c:setVelocity(0, 0, 0)", 0.0f},           // inside
      {"c:setPos(10, 0, 0) c:setVelocity(0, 0, 0)", -5000.0f},        // at the edge: depth 1
      {"c:setPos(11, 0, 0) c:setVelocity(0, 0, 0)", -10000.0f},       // depth 2
      {"c:setPos(10, 0, 0) c:setVelocity(2, 0, 0)", -5100.0f},        // moving out: damped harder
      {"c:setLimitDumper(0) c:setPos(10, 0, 0) c:setVelocity(2, 0, 0)", -5000.0f},
      {"c:setLimitSpring(0) c:setLimitDumper(50) c:setPos(10, 0, 0) c:setVelocity(2, 0, 0)", -100.0f},
      {"c:setPos(10, 0, 0) c:setVelocity(-2, 0, 0)", 0.0f},           // moving in: no push
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.setup);
    ASSERT_EQ(run(k.setup), "");
    const rk::math::Vector4 f = substepForce(c);
    EXPECT_NEAR(f.x, k.force, 0.5f);
    EXPECT_EQ(f.y, 0.0f);
    EXPECT_NEAR(c->getTorque().z, 0.0f, 1e-3f) << "the force acts through the centre";
  }
}

TEST_F(Capture, PulledFromOutsideItIsHeldInsideItsSphere) {
  PlayerBeamCapture* c = make();
  ASSERT_EQ(run("c:setMoveLimit(0, 0, 0, 5) c:setLimitSpeed(3) c:setPower(20) c:setGravityPoint(30, 0, 10)"), "");
  float farthest = 0.0f;
  for (int i = 0; i < 240; ++i) {
    step();
    farthest = std::max(farthest, rk::math::vec3Length(c->getPosition()));
  }
  EXPECT_GT(farthest, 4.5f) << "it reaches the edge";
  EXPECT_LT(farthest, 5.5f) << "and is held there";
  const rk::math::Vector4 p = c->getPosition();
  EXPECT_GT(p.x, 0.0f);
  EXPECT_GT(p.z, 0.0f);
}

}  // namespace
