// The sphere, capsule and box bodies: their inertia, the shape part they
// carry and the way its centre and the body's position follow each other.
#include <gtest/gtest.h>

#include "physics_fixture.h"

namespace {

using rk::math::Matrix;
using rk::math::Vector4;
using rk::rigidbody::RigidBody;
using rk::rigidbody::RigidBodyManager;

using rk::rigidbody::RigidBodyCapsule;
using rk::rigidbody::RigidBodyOBB;
using rk::rigidbody::RigidBodySphere;
using rktest::nearVector;
using rktest::v3;

class Shapes : public rktest::PhysicsFixture {};

Vector4 diagonalOf(const Matrix& m) { return {m.m[0][0], m.m[1][1], m.m[2][2], m.m[3][3]}; }

TEST_F(Shapes, InertiaOfEachShape) {
  RigidBodySphere* sphere = make<RigidBodySphere>();
  RigidBodyCapsule* capsule = make<RigidBodyCapsule>();
  RigidBodyOBB* box = make<RigidBodyOBB>();
  EXPECT_EQ(sphere->getCollisionKind(), 1);
  EXPECT_EQ(capsule->getCollisionKind(), 2);
  EXPECT_EQ(box->getCollisionKind(), 3);
  // Mass 1 after initialize: sphere 2r²/5, capsule as a cylinder of length 2(r + h), box (b² + c²)/12.
  EXPECT_TRUE(nearVector(diagonalOf(sphere->getInertia()), {0.4f, 0.4f, 0.4f, 1}, 1e-6f));
  EXPECT_TRUE(nearVector(diagonalOf(capsule->getInertia()), {4.0f / 3 + 0.25f, 0.5f, 4.0f / 3 + 0.25f, 1}, 1e-6f));
  EXPECT_TRUE(nearVector(diagonalOf(box->getInertia()), {1.0f / 6, 1.0f / 6, 1.0f / 6, 1}, 1e-6f));
  EXPECT_TRUE(nearVector(diagonalOf(sphere->getInverseInertia()), {2.5f, 2.5f, 2.5f, 1}, 1e-5f));

  // Other sizes and masses, after setupTensor.
  sphere->setMass(3);
  sphere->setRadius(2);
  sphere->setupTensor();
  EXPECT_TRUE(nearVector(diagonalOf(sphere->getInertia()), {4.8f, 4.8f, 4.8f, 1}, 1e-5f));
  capsule->setMass(3);
  capsule->setRadius(0.5f);
  capsule->setHeight(2);
  capsule->setupTensor();
  const float across = 3 * (2.5f * 2.5f / 3 + 0.25f / 4);
  EXPECT_TRUE(nearVector(diagonalOf(capsule->getInertia()), {across, 3 * 0.25f / 2, across, 1}, 1e-5f));
  box->setSize(v3(1, 2, 3));
  EXPECT_TRUE(nearVector(diagonalOf(box->getInertia()), {13.0f / 12, 10.0f / 12, 5.0f / 12, 1}, 1e-6f));
}

TEST_F(Shapes, OnlyTheBoxKeepsItsTensorInStepWithTheMass) {
  RigidBodySphere* sphere = make<RigidBodySphere>();
  RigidBodyOBB* box = make<RigidBodyOBB>();
  sphere->setMass(2);
  box->setMass(2);
  EXPECT_NEAR(sphere->getInertia().m[0][0], 0.4f, 1e-6f);  // until setupTensor
  EXPECT_NEAR(box->getInertia().m[0][0], 2.0f / 6, 1e-6f);
  sphere->setRadius(3);
  EXPECT_NEAR(sphere->getInertia().m[0][0], 0.4f, 1e-6f);
}

TEST_F(Shapes, TheShapeCentreMovesSphereAndCapsuleBodiesButNotABox) {
  RigidBodySphere* sphere = make<RigidBodySphere>();
  RigidBodyCapsule* capsule = make<RigidBodyCapsule>();
  RigidBodyOBB* box = make<RigidBodyOBB>();
  sphere->setCenter(v3(1, 2, 3));
  capsule->setCenter(v3(4, 5, 6));
  box->setCenter(v3(7, 8, 9));
  EXPECT_TRUE(nearVector(sphere->getPosition(), v3(1, 2, 3), 0));
  EXPECT_EQ(sphere->getWorldMatrix().m[3][2], 3.0f);
  EXPECT_TRUE(nearVector(capsule->getPosition(), v3(4, 5, 6), 0));
  EXPECT_TRUE(nearVector(box->getPosition(), v3(0, 0, 0), 0));
  EXPECT_TRUE(nearVector(rk::collision::centerOf(*box), v3(7, 8, 9), 0));

  box->setGravity(v3(0, 0, 0));
  physics_->update(1.0f / 60);  // the step puts the shape back at the body
  EXPECT_TRUE(nearVector(rk::collision::centerOf(*box), v3(0, 0, 0), 0));
}

TEST_F(Shapes, FinalizeUnlinksOnlyTheSphereShape) {
  RigidBodySphere* sphere = make<RigidBodySphere>();
  RigidBodyCapsule* capsule = make<RigidBodyCapsule>();
  RigidBodyOBB* box = make<RigidBodyOBB>();
  EXPECT_EQ(sphere->getCollisionBody(), static_cast<rk::collision::CollisionBody*>(sphere));
  box->setSize(v3(3, 3, 3));
  sphere->finalize();
  capsule->finalize();
  box->finalize();
  EXPECT_EQ(sphere->getCollisionBody(), nullptr);
  EXPECT_EQ(capsule->getCollisionBody(), static_cast<rk::collision::CollisionBody*>(capsule));
  EXPECT_EQ(box->getCollisionBody(), static_cast<rk::collision::CollisionBody*>(box));
  EXPECT_TRUE(nearVector(*box->getSize(), v3(1, 1, 1), 0));
}

// The step places the shape at the world pose; a child body's position must
// stay relative to its parent instead of taking that world translation.
TEST_F(Shapes, AChildSphereStaysWhereItsParentCarriesIt) {
  RigidBodySphere* parent = make<RigidBodySphere>(false);
  RigidBodySphere* child = make<RigidBodySphere>();
  place(*parent, v3(0, 10, 0));
  ASSERT_TRUE(child->setParent(parent));
  child->setGravity(v3(0, 0, 0));
  place(*child, v3(1, 0, 0));
  for (int frame = 0; frame < 10; ++frame) physics_->update(1.0f / 60);
  EXPECT_TRUE(nearVector(child->getPosition(), v3(1, 0, 0), 1e-6f));
  EXPECT_TRUE(nearVector(rk::collision::centerOf(*child), v3(1, 10, 0), 1e-6f));
  EXPECT_EQ(child->getWorldMatrix().m[3][1], 10.0f);
}

TEST_F(Shapes, ThePlaneTestUsesTheShapeWhereTheStepLastPutIt) {
  RigidBodySphere* sphere = make<RigidBodySphere>();
  RigidBodyOBB* box = make<RigidBodyOBB>();
  auto* plain = new RigidBody;
  const rk::collision::Plane ground(0, 1, 0, 0);
  Vector4 normal, points[4], projections[4];

  place(*sphere, v3(0, 0.5f, 0));
  EXPECT_EQ(sphere->checkPlane(normal, points, projections, ground), 1);
  EXPECT_TRUE(nearVector(points[0], v3(0, -0.5f, 0), 1e-6f));
  EXPECT_TRUE(nearVector(projections[0], v3(0, 0, 0), 1e-6f));
  sphere->setPosition(v3(0, 2, 0));  // the shape has not followed yet
  EXPECT_EQ(sphere->checkPlane(normal, points, projections, ground), 1);
  place(*sphere, v3(0, 2, 0));
  EXPECT_EQ(sphere->checkPlane(normal, points, projections, ground), 0);

  place(*box, v3(0, 0.5f, 0));  // the bottom face's four corners
  EXPECT_EQ(box->checkPlane(normal, points, projections, ground), 4);
  EXPECT_EQ(plain->checkPlane(normal, points, projections, ground), 0);
  delete plain;
}

}  // namespace
