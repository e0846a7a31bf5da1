// Collision shapes: support features, projections and placement by a matrix.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

#include "col/col_expect.h"
#include "col/rk_collision_capsule.h"
#include "col/rk_collision_obb.h"
#include "col/rk_collision_plane.h"
#include "col/rk_collision_sphere.h"
#include "col/rk_collision_triangle.h"
#include "math/rk_matrix.h"

namespace {

using rk::collision::Capsule;
using rk::collision::CollisionBody;
using rk::collision::OBB;
using rk::collision::Plane;
using rk::collision::Sphere;
using rk::collision::Triangle;
using rk::math::Vector4;
using rktest::nearPoints;
using rktest::nearVector;
using rktest::v3;

std::unique_ptr<CollisionBody> defaultBox() { return std::make_unique<OBB>(); }

std::unique_ptr<CollisionBody> movedBox() {
  auto box = std::make_unique<OBB>();
  box->setCenter(v3(5, 0, 0));
  box->setSize(v3(2, 1, 0.5f));
  return box;
}

// Normal (0, -1, 0): the corners run counter-clockwise seen from below.
std::unique_ptr<CollisionBody> floorTriangleFacingDown() {
  auto t = std::make_unique<Triangle>();
  t->setVertices(v3(0, 0, 0), v3(1, 0, 0), v3(0, 0, 1));
  return t;
}

// Normal (0, 1, 0).
std::unique_ptr<CollisionBody> floorTriangleFacingUp() {
  auto t = std::make_unique<Triangle>();
  t->setVertices(v3(0, 0, 0), v3(0, 0, 1), v3(1, 0, 0));
  return t;
}

struct SupportCase {
  const char* what;
  std::function<std::unique_ptr<CollisionBody>()> make;
  Vector4 d;
  std::vector<Vector4> want;
};

const float kR2 = 1.0f / std::sqrt(2.0f);
const float kR3 = 1.0f / std::sqrt(3.0f);

TEST(CollisionShapes, SupportFeaturesComeInTheirFixedOrder) {
  const SupportCase cases[] = {
      {"box face +y", defaultBox, v3(0, 1, 0), {v3(-1, 1, 1), v3(1, 1, 1), v3(1, 1, -1), v3(-1, 1, -1)}},
      {"box face -y", defaultBox, v3(0, -1, 0), {v3(-1, -1, -1), v3(1, -1, -1), v3(1, -1, 1), v3(-1, -1, 1)}},
      {"box edge across z", defaultBox, v3(kR2, kR2, 0), {v3(1, 1, 1), v3(1, 1, -1)}},
      {"box edge across x", defaultBox, v3(0, -kR2, kR2), {v3(1, -1, 1), v3(-1, -1, 1)}},
      {"box corner", defaultBox, v3(kR3, kR3, kR3), {v3(1, 1, 1)}},
      {"box corner, negative", defaultBox, v3(-kR3, -kR3, -kR3), {v3(-1, -1, -1)}},
      {"moved box face -z", movedBox, v3(0, 0, -1),
       {v3(7, 1, -0.5f), v3(7, -1, -0.5f), v3(3, -1, -0.5f), v3(3, 1, -0.5f)}},
      {"capsule across its axis", [] { return std::make_unique<Capsule>(); }, v3(1, 0, 0), {v3(1, 1, 0), v3(1, -1, 0)}},
      {"capsule down its axis", [] { return std::make_unique<Capsule>(); }, v3(0, -1, 0), {v3(0, -2, 0)}},
      {"capsule slanted", [] { return std::make_unique<Capsule>(); }, v3(kR2, kR2, 0), {v3(kR2, 1 + kR2, 0)}},
      {"sphere", [] { return std::make_unique<Sphere>(v3(1, 2, 3), 2.0f); }, v3(0, 0, 1), {v3(1, 2, 5)}},
      {"triangle front face", floorTriangleFacingDown, v3(0, -1, 0), {v3(0, 0, 0), v3(1, 0, 0), v3(0, 0, 1)}},
      {"triangle back face", floorTriangleFacingDown, v3(0, 1, 0), {v3(0, 0, 0), v3(0, 0, 1), v3(1, 0, 0)}},
      // The edge on the side d points to, never the one behind the face.
      {"triangle edge ahead", floorTriangleFacingUp, v3(0, 0.5f, -0.8660254f), {v3(1, 0, 0), v3(0, 0, 0)}},
      {"triangle vertex ahead", floorTriangleFacingUp, v3(0, 0.5f, 0.8660254f), {v3(0, 0, 1)}},
      {"triangle edge along the ground", floorTriangleFacingUp, v3(0, 0, -1), {v3(1, 0, 0), v3(0, 0, 0)}},
      {"triangle far vertex", floorTriangleFacingUp, v3(0.8f, 0, 0.6f), {v3(1, 0, 0)}},
  };
  for (const SupportCase& c : cases) {
    SCOPED_TRACE(c.what);
    const auto shape = c.make();
    std::vector<Vector4> out;
    const std::uint32_t count = shape->getSupportPoints(out, c.d);
    EXPECT_EQ(count, c.want.size());
    EXPECT_TRUE(nearPoints(out, c.want));
  }
}

TEST(CollisionShapes, SphereCountsOnePointWhateverTheListHeldAndAPlaneHasNone) {
  std::vector<Vector4> out{v3(9, 9, 9)};
  EXPECT_EQ(Sphere(v3(0, 0, 0), 1.0f).getSupportPoints(out, v3(1, 0, 0)), 1u);
  EXPECT_EQ(out.size(), 2u);
  std::vector<Vector4> none;
  EXPECT_EQ(Plane().getSupportPoints(none, v3(0, -1, 0)), 0u);
  EXPECT_TRUE(none.empty());
}

TEST(CollisionShapes, AxesAndProjections) {
  Capsule capsule;
  EXPECT_TRUE(nearVector(capsule.getAxis(5), v3(0, 1, 0), 0));
  EXPECT_EQ(capsule.getAxisCount(), 1u);

  const auto triangle = floorTriangleFacingDown();
  EXPECT_EQ(triangle->getAxisCount(), 4u);
  EXPECT_TRUE(nearVector(triangle->getAxis(7), v3(0, -1, 0), 1e-6f));
  EXPECT_TRUE(nearVector(triangle->getAxis(1), v3(-kR2, 0, kR2), 1e-6f));

  OBB box;
  box.setCenter(v3(1, 0, 0));
  box.setSize(v3(2, 3, 4));
  float c = 0, r = 0, lo = 0, hi = 0;
  box.project(c, r, v3(kR2, kR2, 0));
  EXPECT_NEAR(c, kR2, 1e-6f);
  EXPECT_NEAR(r, 5 * kR2, 1e-5f);
  box.getInterval(lo, hi, v3(1, 0, 0));
  EXPECT_FLOAT_EQ(lo, -1);
  EXPECT_FLOAT_EQ(hi, 3);

  triangle->project(c, r, v3(1, 0, 0));
  EXPECT_FLOAT_EQ(c, 0.5f);
  EXPECT_FLOAT_EQ(r, 0.5f);
  // A plane has no axes and projects to nothing.
  Plane plane;
  plane.project(c, r, v3(0, 1, 0));
  EXPECT_EQ(c, 0);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(plane.getAxisCount(), 0u);
}

TEST(CollisionShapes, SetFromMatrixMovesAndTurnsButNeverRescalesTheShape) {
  // Scale 2, then a quarter turn about z, then a move to (1, 2, 3).
  const rk::math::Matrix turn = rk::math::matrixRotationAxis(v3(0, 0, 1), 1.5707964f);
  const rk::math::Matrix m = rk::math::matrixMultiply(
      rk::math::matrixScaling(2, 2, 2), rk::math::matrixMultiply(turn, rk::math::matrixTranslation(1, 2, 3)));
  Capsule capsule;
  capsule.setFromMatrix(m);
  EXPECT_TRUE(nearVector(capsule.getAxisVector(), v3(-2, 0, 0), 1e-5f));
  EXPECT_TRUE(nearVector(rk::collision::centerOf(capsule), v3(1, 2, 3), 1e-5f));
  float c = 0, r = 0;
  capsule.project(c, r, v3(1, 0, 0));
  EXPECT_NEAR(r, 2 * 1 + 1, 1e-5f);  // |axis·d|·height doubles; the radius stays 1

  OBB box;
  box.setFromMatrix(m);
  EXPECT_TRUE(nearVector(box.getAxis(0), v3(0, 2, 0), 1e-5f));
  EXPECT_TRUE(nearVector(box.getAxis(1), v3(-2, 0, 0), 1e-5f));
  EXPECT_TRUE(nearVector(box.getSize(), v3(1, 1, 1), 0));

  Sphere sphere;
  sphere.setFromMatrix(m);
  EXPECT_TRUE(nearVector(rk::collision::centerOf(sphere), v3(1, 2, 3), 1e-5f));
  EXPECT_EQ(sphere.getRadius(), 1.0f);
}

TEST(CollisionShapes, PlaneThroughAPointWithANormal) {
  Plane plane;
  plane.calcFromPointNormal(v3(0, 2, 0), v3(0, 3, 0));
  EXPECT_FLOAT_EQ(plane.a(), 0);
  EXPECT_FLOAT_EQ(plane.b(), 1);
  EXPECT_FLOAT_EQ(plane.c(), 0);
  EXPECT_FLOAT_EQ(plane.d(), -2);
  plane.calcFromPointNormal(v3(1, 2, 3), v3(0, 0, 0));
  EXPECT_EQ(plane.a(), 0);
  EXPECT_EQ(plane.b(), 0);
  EXPECT_EQ(plane.c(), 0);
  EXPECT_EQ(plane.d(), 0);
}

TEST(CollisionShapes, TriangleKeepsItsVerticesWholeAndDerivesPlaneAndEdges) {
  Triangle t;
  t.setVertices({0, 0, 0, 1}, {1, 0, 0, 1}, {0, 0, 1, 1});
  EXPECT_TRUE(nearVector(t.vertex(1), Vector4{1, 0, 0, 1}, 0));
  EXPECT_TRUE(nearVector(t.getNormal(), v3(0, -1, 0), 1e-6f));
  EXPECT_EQ(t.getD(), 0);
  EXPECT_TRUE(nearVector(t.getEdge(0), v3(1, 0, 0), 1e-6f));
  EXPECT_TRUE(nearVector(t.getEdge(1), v3(-kR2, 0, kR2), 1e-6f));
  EXPECT_TRUE(nearVector(t.getEdge(2), v3(0, 0, -1), 1e-6f));

  Triangle raised;
  raised.setVertices(v3(0, 2, 0), v3(0, 2, 1), v3(1, 2, 0));
  EXPECT_TRUE(nearVector(raised.getNormal(), v3(0, 1, 0), 1e-6f));
  EXPECT_FLOAT_EQ(raised.getD(), -2);
}

}  // namespace
