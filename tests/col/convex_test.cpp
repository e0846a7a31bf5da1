// The separating-axis test and the contact search over support features.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <functional>

#include "col/col_expect.h"
#include "col/rk_intersection.h"
#include "math/rk_matrix.h"

namespace {

using namespace rk::collision;
using rk::math::Vector4;
using rktest::nearVector;
using rktest::v3;

const Vector4 kUnset{7, 7, 7, 7};

OBB boxAt(Vector4 center) {
  OBB box;
  box.setCenter(center);
  return box;
}

// A unit box turned 45° about z: an edge along z points down.
OBB diamondAt(Vector4 center) {
  OBB box;
  rk::math::Matrix m = rk::math::matrixRotationAxis(v3(0, 0, 1), 0.78539816f);
  m.m[3][0] = center.x, m.m[3][1] = center.y, m.m[3][2] = center.z;
  box.setFromMatrix(m);
  return box;
}

// A large floor triangle at y = 0 with its normal up.
Triangle floorTriangle() {
  Triangle t;
  t.setVertices(v3(-5, 0, -5), v3(0, 0, 5), v3(5, 0, -5));
  return t;
}

Capsule capsule(Vector4 center, Vector4 axis, float height, float radius) {
  Capsule c;
  c.setCenter(center);
  c.setAxisVector(axis);
  c.setHeight(height);
  c.setRadius(radius);
  return c;
}

struct ConvexCase {
  const char* what;
  std::function<bool(Vector4&, Vector4&, Vector4&)> test;
  bool hit;
  Vector4 normal, pointA, pointB;
};

std::function<bool(Vector4&, Vector4&, Vector4&)> convex(const CollisionBody& a, const CollisionBody& b) {
  return [&a, &b](Vector4& n, Vector4& pa, Vector4& pb) { return hitConvexBodies(n, pa, pb, a, b); };
}

std::function<bool(Vector4&, Vector4&, Vector4&)> capsuleConvex(const Capsule& a, const CollisionBody& b) {
  return [&a, &b](Vector4& n, Vector4& pa, Vector4& pb) { return hitCapsuleConvex(n, pa, pb, a, b); };
}

TEST(ConvexTests, HitsBetweenBoxesTrianglesAndCapsules) {
  const OBB origin = boxAt(v3(0, 0, 0));
  const OBB deep = boxAt(v3(1.5f, 0, 0)), touching = boxAt(v3(2, 0, 0)), apart = boxAt(v3(3, 0, 0));
  const OBB shifted = boxAt(v3(1.5f, 1.2f, 0));
  const OBB diamond = diamondAt(v3(0, 2.3f, 0));
  const OBB resting = boxAt(v3(0, 0.9f, 0));
  const Triangle floor = floorTriangle();
  const Capsule upright = capsule(v3(0, 2.3f, 0), v3(0, 1, 0), 1, 0.5f);
  const Capsule lying = capsule(v3(0, 1.3f, 0), v3(1, 0, 0), 0.5f, 0.5f);
  const Capsule high = capsule(v3(0, 3, 0), v3(0, 1, 0), 1, 0.5f);
  const ConvexCase cases[] = {
      // Face against face: the middle of the overlap on A, its projection on B.
      {"boxes, deep", convex(origin, deep), true, v3(-1, 0, 0), v3(1, 0, 0), v3(0.5f, 0, 0)},
      {"boxes, touching", convex(origin, touching), false, {}, {}, {}},
      {"boxes, apart", convex(origin, apart), false, {}, {}, {}},
      {"boxes, partly over each other", convex(origin, shifted), true, v3(-1, 0, 0), v3(1, 0.6f, 0),
       v3(0.5f, 0.6f, 0)},
      // Edge against face.
      {"box edge on a box face", convex(diamond, origin), true, v3(0, 1, 0), v3(0, 2.3f - std::sqrt(2.0f), 0),
       v3(0, 1, 0)},
      {"box on a triangle", convex(resting, floor), true, v3(0, 1, 0), v3(0, -0.1f, 0), v3(0, 0, 0)},
      // The capsule's true surface point, not its support point.
      {"capsule end on a box", capsuleConvex(upright, origin), true, v3(0, 1, 0), v3(0, 0.8f, 0), v3(0, 1, 0)},
      {"capsule side on a box", capsuleConvex(lying, origin), true, v3(0, 1, 0), v3(0, 0.8f, 0), v3(0, 1, 0)},
      {"capsule above a box", capsuleConvex(high, origin), false, {}, {}, {}},
  };
  for (const ConvexCase& c : cases) {
    SCOPED_TRACE(c.what);
    Vector4 n = kUnset, a = kUnset, b = kUnset;
    ASSERT_EQ(c.test(n, a, b), c.hit);
    if (!c.hit) continue;
    EXPECT_TRUE(nearVector(n, c.normal, 1e-5f));
    EXPECT_TRUE(nearVector(a, c.pointA, 1e-5f));
    EXPECT_TRUE(nearVector(b, c.pointB, 1e-5f));
  }
}

TEST(ConvexTests, AxisOverlapPushesTheShorterWayOutAndKeepsTheShortestPush) {
  const Sphere ball(v3(0, 0, 0), 1);
  const Plane flat;  // projects to the single value 0
  // lo = -1 and hi = 1: equal lengths take the push along +axis.
  Vector4 push{FLT_MAX, FLT_MAX, FLT_MAX, 0};
  EXPECT_TRUE(testAxisOverlap(push, ball, flat, v3(0, 1, 0)));
  EXPECT_TRUE(nearVector(push, v3(0, 1, 0), 0));
  // A longer push leaves the shorter one in place.
  EXPECT_TRUE(testAxisOverlap(push, Sphere(v3(0, 0, 0), 2), flat, v3(1, 0, 0)));
  EXPECT_TRUE(nearVector(push, v3(0, 1, 0), 0));
  // A shorter one replaces it.
  EXPECT_TRUE(testAxisOverlap(push, Sphere(v3(0, 0, 0.75f), 1), flat, v3(0, 0, 1)));
  EXPECT_TRUE(nearVector(push, v3(0, 0, 0.25f), 1e-6f));
  // A separating axis leaves the push unwritten.
  EXPECT_FALSE(testAxisOverlap(push, Sphere(v3(0, 0, 2), 1), flat, v3(0, 0, 1)));
  EXPECT_TRUE(nearVector(push, v3(0, 0, 0.25f), 1e-6f));
}

TEST(ConvexTests, ShapesWithoutAxesNeverPassTheSeparatingAxisTest) {
  Vector4 n = kUnset;
  EXPECT_FALSE(testSeparatingAxes(n, Sphere(v3(0, 0, 0), 1), Sphere(v3(0.5f, 0, 0), 1)));
  EXPECT_TRUE(nearVector(n, kUnset, 0));
}

TEST(ConvexTests, TwoSinglePointFeaturesGiveNoContact) {
  Vector4 a = kUnset, b = kUnset;
  EXPECT_FALSE(calcContactPoints(a, b, Sphere(v3(0, 0, 0), 1), Sphere(v3(1.5f, 0, 0), 1), v3(-1, 0, 0)));
  EXPECT_TRUE(nearVector(a, v3(1, 0, 0), 1e-6f));
  EXPECT_TRUE(nearVector(b, v3(1, 0, 0), 1e-6f));
  // A plane has no feature at all: no contact instead of reading an empty list.
  Vector4 c = kUnset, d = kUnset;
  EXPECT_FALSE(calcContactPoints(c, d, OBB(), Plane(), v3(0, 1, 0)));
}

TEST(ContactHelpers, PointAgainstSegment) {
  const Vector4 p{0.5f, 1, 0, 7};
  Vector4 a, b;
  ASSERT_TRUE(contactPointSegment(a, b, p, v3(0, 0, 0), v3(1, 0, 0)));
  EXPECT_TRUE(nearVector(a, p, 0));  // P whole
  EXPECT_TRUE(nearVector(b, v3(0.5f, 0, 0), 0));
  ASSERT_TRUE(contactPointSegment(a, b, v3(2, 1, 0), v3(0, 0, 0), v3(1, 0, 0)));
  EXPECT_TRUE(nearVector(b, v3(1, 0, 0), 0));
  EXPECT_FALSE(contactPointSegment(a, b, p, v3(1, 1, 1), v3(1, 1, 1)));
}

TEST(ContactHelpers, SegmentAgainstSegment) {
  Vector4 a, b;
  ASSERT_TRUE(contactSegmentSegment(a, b, v3(-1, 0, 0), v3(1, 0, 0), v3(0, 1, -1), v3(0, 1, 1)));
  EXPECT_TRUE(nearVector(a, v3(0, 0, 0), 1e-6f));
  EXPECT_TRUE(nearVector(b, v3(0, 1, 0), 1e-6f));
  // Each parameter is clamped on its own.
  ASSERT_TRUE(contactSegmentSegment(a, b, v3(-1, 0, 0), v3(1, 0, 0), v3(3, 1, -1), v3(3, 1, 1)));
  EXPECT_TRUE(nearVector(a, v3(1, 0, 0), 1e-6f));
  EXPECT_TRUE(nearVector(b, v3(3, 1, 0), 1e-6f));
  EXPECT_FALSE(contactSegmentSegment(a, b, v3(0, 0, 0), v3(1, 0, 0), v3(0, 1, 0), v3(2, 1, 0)));
}

// The top face of a unit box seen with the inward normal, as the contact
// search hands it over.
const std::vector<Vector4> kSquare{v3(-1, 0, 1), v3(1, 0, 1), v3(1, 0, -1), v3(-1, 0, -1)};
const Vector4 kDown = v3(0, -1, 0);

TEST(ContactHelpers, PointAgainstFace) {
  Vector4 a, b;
  ASSERT_TRUE(contactPointFace(a, b, kDown, v3(0.2f, 0.5f, 0.3f), kSquare));
  EXPECT_TRUE(nearVector(a, v3(0.2f, 0.5f, 0.3f), 0));
  EXPECT_TRUE(nearVector(b, v3(0.2f, 0, 0.3f), 1e-6f));
  // Outside an edge: the nearest point on the edges walked so far.
  ASSERT_TRUE(contactPointFace(a, b, kDown, v3(3, 0.5f, 0), kSquare));
  EXPECT_TRUE(nearVector(b, v3(1, 0, 0), 1e-6f));
  EXPECT_FALSE(contactPointFace(a, b, kDown, v3(0, 1, 0), {}));
}

TEST(ContactHelpers, FaceAgainstFace) {
  Vector4 a, b;
  // A smaller square half over the big one: the middle of the part over it.
  const std::vector<Vector4> half{v3(0.5f, 0.5f, 0.5f), v3(1.5f, 0.5f, 0.5f), v3(1.5f, 0.5f, -0.5f),
                                  v3(0.5f, 0.5f, -0.5f)};
  ASSERT_TRUE(contactFaceFace(a, b, kDown, half, kSquare));
  EXPECT_TRUE(nearVector(a, v3(0.75f, 0.5f, 0), 1e-6f));
  EXPECT_TRUE(nearVector(b, v3(0.75f, 0, 0), 1e-6f));
  // Nothing over the face: the closest vertex pair, the first on ties.
  const std::vector<Vector4> beside{v3(3, 0.5f, -0.5f), v3(4, 0.5f, -0.5f), v3(4, 0.5f, 0.5f), v3(3, 0.5f, 0.5f)};
  ASSERT_TRUE(contactFaceFace(a, b, kDown, beside, kSquare));
  EXPECT_TRUE(nearVector(a, v3(3, 0.5f, -0.5f), 0));
  EXPECT_TRUE(nearVector(b, v3(1, 0, -0.5f), 1e-6f));
  EXPECT_FALSE(contactFaceFace(a, b, kDown, {}, kSquare));
}

}  // namespace
