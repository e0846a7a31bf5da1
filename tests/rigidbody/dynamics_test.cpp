// Integration, damping, the contact-force model, forces at points and the
// derived matrices of a rigid body.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "col/rk_collision_sphere.h"
#include "math/rk_quaternion.h"
#include "physics_fixture.h"

namespace {

using rk::math::Matrix;
using rk::math::Vector4;
using rk::rigidbody::RigidBody;
using rk::rigidbody::RigidBodyManager;

using rktest::nearMatrix;
using rktest::nearVector;
using rktest::v3;

class Dynamics : public rktest::PhysicsFixture {};

float quatLength(const Vector4& q) { return std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w); }

bool finite(const Vector4& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.w);
}

TEST_F(Dynamics, OneSubstepOfFreeFallFromRest) {
  RigidBody* body = make<RigidBody>();
  physics_->setCalcCount(1);
  physics_->update(0.1f);
  EXPECT_NEAR(body->getPosition().y, -0.5f * 9.8f * 0.01f, 1e-7f);
  EXPECT_NEAR(body->getVelocity().y, -0.98f, 1e-6f);
  EXPECT_EQ(body->getPosition().x, 0.0f);
  EXPECT_EQ(body->getWorldMatrix().m[3][1], body->getPosition().y);
}

// Each substep: a = g − dl·v/m, x += h·v + ½h²·a, v += h·a.
TEST_F(Dynamics, FreeFallOverAFrameFollowsTheSubstepRecurrence) {
  for (std::uint32_t count : {1u, 4u, 32u}) {
    RigidBody* body = make<RigidBody>();
    body->setMass(2.0f);
    physics_->setCalcCount(count);
    const float dt = 1.0f / 60;
    for (int frame = 0; frame < 30; ++frame) physics_->update(dt);

    double y = 0, v = 0;
    const double h = dt / count;
    for (std::uint32_t i = 0; i < 30 * count; ++i) {
      const double a = -9.8 - 0.2 * v / 2.0;
      y += h * v + 0.5 * h * h * a;
      v += h * a;
    }
    EXPECT_NEAR(body->getPosition().y, y, 1e-4) << count << " substeps";
    EXPECT_NEAR(body->getVelocity().y, v, 1e-4) << count << " substeps";
    drop(body);
  }
}

TEST_F(Dynamics, LinearDampingOpposesTheVelocity) {
  RigidBody* body = make<RigidBody>();
  body->setMass(2.0f);
  body->setVelocity(v3(1, 0, 0));
  body->beginSubstep();
  EXPECT_NEAR(body->getForce().x, -0.2f, 1e-7f);
  EXPECT_NEAR(body->getForce().y, -19.6f, 1e-5f);
  body->integrate(0.01f);
  EXPECT_NEAR(body->getVelocity().x, 1.0f - 0.1f * 0.01f, 1e-7f);
}

TEST_F(Dynamics, AConstantSpinTurnsTheOrientationAndKeepsItUnitLength) {
  RigidBody* body = make<RigidBody>();
  body->setAngularDamping(0.0f);
  body->setOmega(v3(0, 2, 0));
  for (int frame = 0; frame < 60; ++frame) {
    physics_->update(1.0f / 60);
    ASSERT_NEAR(quatLength(body->getQuat()), 1.0f, 1e-6f) << "frame " << frame;
  }
  // One second at 2 rad/s about y.
  EXPECT_TRUE(nearVector(body->getQuat(), Vector4{0, std::sin(1.0f), 0, std::cos(1.0f)}, 1e-4f));
  EXPECT_TRUE(nearMatrix(body->getRotation(), rk::math::matrixFromQuaternion(body->getQuat()), 1e-6f));

  // Angular damping with unit inertia and mass: ω decays as e^(−0.7·t).
  body->setAngularDamping(0.7f);
  for (int frame = 0; frame < 60; ++frame) physics_->update(1.0f / 60);
  EXPECT_NEAR(body->getOmega().y, 2.0f * std::exp(-0.7f), 2e-3f);
}

TEST_F(Dynamics, NoForceAndNoSpinLeavesTheOrientationAlone) {
  RigidBody* body = make<RigidBody>();
  body->setQuat({0.1f, 0.2f, 0.3f, 0.9f});
  const Vector4 q = body->getQuat();
  body->setGravity(v3(0, 0, 0));
  physics_->update(1.0f / 60);
  EXPECT_TRUE(nearVector(body->getQuat(), q, 1e-6f));
}

// Integration keeps the rotation matrix of a body that stops turning: after
// every substep it must still be, bit for bit, the matrix of its quaternion,
// for spinning, still, stopped and re-oriented bodies.
TEST_F(Dynamics, TheRotationIsAlwaysExactlyTheMatrixOfTheQuaternion) {
  struct Case {
    Vector4 quat, omega;
    float damping;
  };
  const Case cases[] = {
      {{0, 0, 0, 1}, v3(0, 0, 0), 0.7f},        // never turns
      {{0.1f, 0.2f, 0.3f, 0.9f}, v3(0, 0, 0), 0.0f},  // tilted, still
      {{0, 0, 0, 1}, v3(0.3f, 2, -1), 0.0f},    // spins throughout
      {{0.5f, -0.5f, 0.5f, 0.5f}, v3(1e-3f, 0, 0), 0.7f},  // slows to a stop
  };
  for (const Case& c : cases) {
    RigidBody* body = make<RigidBody>();
    body->setQuat(c.quat);
    body->setOmega(c.omega);
    body->setAngularDamping(c.damping);
    for (int step = 0; step < 200; ++step) {
      if (step == 100) body->setOmega(v3(0, 0, 0));     // stops turning
      if (step == 150) body->setQuat({0.0f, 0.6f, 0.0f, 0.8f});  // placed anew
      body->beginSubstep();
      body->integrate(1.0f / 240);
      const Matrix expected = rk::math::matrixFromQuaternion(body->getQuat());
      ASSERT_EQ(0, std::memcmp(&expected, &body->getRotation(), sizeof expected)) << "step " << step;
      for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 3; ++k)
          ASSERT_EQ(0, std::memcmp(&expected.m[r][k], &body->getWorldMatrix().m[r][k], sizeof(float)))
              << "world, step " << step;
    }
    drop(body);
  }
}

TEST_F(Dynamics, AZeroMassBodyCoastsInsteadOfTurningIntoNaN) {
  RigidBody* body = make<RigidBody>();
  body->setMass(0.0f);
  body->setVelocity(v3(1, 0, 0));
  body->setOmega(v3(0, 1, 0));
  physics_->update(0.5f);
  EXPECT_TRUE(finite(body->getPosition()));
  EXPECT_TRUE(finite(body->getOmega()));
  EXPECT_TRUE(finite(body->getQuat()));
  EXPECT_NEAR(body->getPosition().x, 0.5f, 1e-5f);
  EXPECT_NEAR(body->getVelocity().y, 0.0f, 0.0f);
}

TEST_F(Dynamics, ASingularTensorGivesNoAngularAcceleration) {
  RigidBody* body = make<RigidBody>();
  Matrix zero{};
  body->setInertiaTensor(zero);
  EXPECT_TRUE(nearMatrix(body->getInverseInertia(), Matrix{}, 0));
  body->addForceAt(v3(1, 0, 0), v3(0, 10, 0));
  body->integrate(0.1f);
  EXPECT_TRUE(finite(body->getOmega()));
  EXPECT_TRUE(finite(body->getQuat()));
}

TEST_F(Dynamics, SetQuatNormalisesAndPlacesTheShape) {
  RigidBody* body = make<RigidBody>();
  rk::collision::Sphere shape;
  body->setCollisionBody(&shape);
  body->setPosition(v3(1, 2, 3));
  body->setQuat({0, 0, 0, 2});
  EXPECT_TRUE(nearVector(body->getQuat(), Vector4{0, 0, 0, 1}, 0));
  EXPECT_TRUE(nearVector(rk::collision::centerOf(shape), v3(1, 2, 3), 0));

  body->setQuat({0, 0, 0, 0});  // stays zero, and the rotation is the identity
  EXPECT_TRUE(nearVector(body->getQuat(), Vector4{0, 0, 0, 0}, 0));
  EXPECT_TRUE(nearMatrix(body->getRotation(), rk::math::matrixIdentity(), 0));
}

struct ImpactCase {
  const char* name;
  Vector4 velocityA;
  Vector4 velocityB;
  bool staticB;
  float depth;
  float flic;
  float flicMax;
  Vector4 force;
};

// A above B along n = +y; the points lie `depth` into each other.
TEST_F(Dynamics, ImpactForceFollowsSpringDamperAndCappedFriction) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const ImpactCase cases[] = {
      {"touching at rest", v3(0, 0, 0), v3(0, 0, 0), false, 0.0f, 0.7f, 40000, v3(0, 0, 0)},
      {"overlap at rest", v3(0, 0, 0), v3(0, 0, 0), false, 0.1f, 0.7f, 40000, v3(0, 500, 0)},
      {"approaching", v3(0, -1, 0), v3(0, 1, 0), false, 0.1f, 0.7f, 40000, v3(0, 600, 0)},
      {"separating fast: never pulls", v3(0, 2, 0), v3(0, 0, 0), false, 0.01f, 0.7f, 40000, v3(0, 0, 0)},
      {"sliding", v3(1, 0, 0), v3(0, 0, 0), false, 0.1f, 0.7f, 40000, v3(-350, 500, 0)},
      {"other body slides", v3(0, 0, 0), v3(0, 0, 2), false, 0.1f, 0.7f, 40000, v3(0, 500, 350)},
      {"friction capped", v3(1, 0, 0), v3(0, 0, 0), false, 0.1f, 0.7f, 100, v3(-100, 500, 0)},
      {"NaN coefficient takes the cap", v3(1, 0, 0), v3(0, 0, 0), false, 0.1f, nan, 100, v3(-100, 500, 0)},
      {"static other side", v3(1, -1, 0), v3(5, 5, 5), true, 0.1f, 0.7f, 40000, v3(-385, 550, 0)},
  };
  for (const ImpactCase& c : cases) {
    RigidBody* a = make<RigidBody>();
    RigidBody* b = make<RigidBody>();
    place(*a, v3(0, 1, 0));
    place(*b, v3(0, -1, 0));
    a->setVelocity(c.velocityA);
    b->setVelocity(c.velocityB);
    Vector4 force{9, 9, 9, 9};
    a->calcImpact(force, c.staticB ? nullptr : b, v3(0, 1, 0), v3(0, 0, 0), v3(0, c.depth, 0), 5000, 50, c.flic,
                  c.flicMax);
    EXPECT_TRUE(nearVector(force, c.force, 1e-3f)) << c.name;
    drop(a);
    drop(b);
  }
}

TEST_F(Dynamics, ForcesAtPointsAddTorqueAboutTheWorldPosition) {
  RigidBody* body = make<RigidBody>();
  place(*body, v3(1, 0, 0));
  const float justBelow = std::sqrt(1.1920928955078125e-7f) * 0.999f;
  body->addForceAt(v3(0, 0, 0), v3(justBelow, 0, 0));
  EXPECT_TRUE(nearVector(body->getForce(), v3(0, 0, 0), 0));

  body->addForceAt(v3(1, 0, 0), v3(0, 3, 0));  // at the body's own position
  EXPECT_TRUE(nearVector(body->getForce(), v3(0, 3, 0), 0));
  EXPECT_TRUE(nearVector(body->getTorque(), v3(0, 0, 0), 0));

  body->addForceAt(v3(2, 0, 0), v3(0, 1, 0));  // r = (1, 0, 0): τ = r × F = (0, 0, 1)
  EXPECT_TRUE(nearVector(body->getForce(), v3(0, 4, 0), 0));
  EXPECT_TRUE(nearVector(body->getTorque(), v3(0, 0, 1), 0));
}

// With a translated parent the arm only turns into the parent's frame; an
// arm whose dot product with the parent's translation is −1 stays finite.
TEST_F(Dynamics, ForcesOnAChildBodyUseTheParentsRotationOnly) {
  RigidBody* parent = make<RigidBody>(false);
  RigidBody* child = make<RigidBody>(false);
  place(*parent, v3(0, 1, 0));
  parent->setQuat(rk::math::quaternionFromYawPitchRoll(1.5707964f, 0, 0));  // a quarter turn about y
  ASSERT_TRUE(child->setParent(parent));
  child->updateWorldMatrix();

  const Matrix& w = child->getWorldMatrix();
  const Vector4 at{w.m[3][0], w.m[3][1] - 1.0f, w.m[3][2], 0};  // world arm (0, −1, 0)
  child->addForceAt(at, v3(1, 0, 0));
  EXPECT_TRUE(finite(child->getTorque()));
  // In the parent's frame the world +x force is +z, and the arm stays −y.
  EXPECT_TRUE(nearVector(child->getForce(), v3(0, 0, 1), 1e-6f));
  EXPECT_TRUE(nearVector(child->getTorque(), v3(-1, 0, 0), 1e-6f));
}

TEST_F(Dynamics, PointVelocityAddsSpinAndTheParentsMotion) {
  RigidBody* parent = make<RigidBody>(false);
  RigidBody* body = make<RigidBody>(false);
  place(*body, v3(0, 0, 0));
  body->setOmega(v3(0, 0, 1));
  EXPECT_TRUE(nearVector(body->calcPointVelocity(v3(1, 0, 0)), v3(0, 1, 0), 1e-6f));

  parent->setVelocity(v3(5, 0, 0));
  ASSERT_TRUE(body->setParent(parent));
  body->updateWorldMatrix();
  EXPECT_TRUE(nearVector(body->calcPointVelocity(v3(1, 0, 0)), v3(5, 1, 0), 1e-6f));
}

}  // namespace
