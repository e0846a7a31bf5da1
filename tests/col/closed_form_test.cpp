// Closed-form tests of round shapes: overlap, normal (from B towards A) and
// the two contact points; touching is not overlapping.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "col/col_expect.h"
#include "col/rk_intersection.h"

namespace {

using namespace rk::collision;
using rk::math::Vector4;
using rktest::nearVector;
using rktest::v3;

struct HitCase {
  const char* what;
  std::function<bool(Vector4&, Vector4&, Vector4&)> test;
  bool hit;
  Vector4 normal, pointA, pointB;
};

const Vector4 kUnset{7, 7, 7, 7};
const float kR2 = 1.0f / std::sqrt(2.0f);

void runCases(const std::vector<HitCase>& cases) {
  for (const HitCase& c : cases) {
    SCOPED_TRACE(c.what);
    Vector4 n = kUnset, a = kUnset, b = kUnset;
    ASSERT_EQ(c.test(n, a, b), c.hit);
    if (!c.hit) continue;
    EXPECT_TRUE(nearVector(n, c.normal, 1e-5f));
    EXPECT_TRUE(nearVector(a, c.pointA, 1e-5f));
    EXPECT_TRUE(nearVector(b, c.pointB, 1e-5f));
  }
}

std::function<bool(Vector4&, Vector4&, Vector4&)> spheres(Vector4 ca, float ra, Vector4 cb, float rb) {
  return [=](Vector4& n, Vector4& a, Vector4& b) { return checkSphereSphere(n, a, b, Sphere(ca, ra), Sphere(cb, rb)); };
}

Capsule capsule(Vector4 center, Vector4 axis, float height, float radius) {
  Capsule c;
  c.setCenter(center);
  c.setAxisVector(axis);
  c.setHeight(height);
  c.setRadius(radius);
  return c;
}

std::function<bool(Vector4&, Vector4&, Vector4&)> sphereCapsule(Vector4 cs, float rs, Capsule cap) {
  return [=](Vector4& n, Vector4& a, Vector4& b) { return checkSphereCapsule(n, a, b, Sphere(cs, rs), cap); };
}

std::function<bool(Vector4&, Vector4&, Vector4&)> sphereBox(Vector4 cs, float rs, OBB box) {
  return [=](Vector4& n, Vector4& a, Vector4& b) { return checkSphereBox(n, a, b, cs, rs, box); };
}

std::function<bool(Vector4&, Vector4&, Vector4&)> capsules(Capsule ca, Capsule cb) {
  return [=](Vector4& n, Vector4& a, Vector4& b) { return checkCapsuleCapsule(n, a, b, ca, cb); };
}

TEST(ClosedFormTests, SphereAgainstSphere) {
  runCases({
      {"deep", spheres(v3(0, 0, 0), 1, v3(1.5f, 0, 0), 1), true, v3(-1, 0, 0), v3(1, 0, 0), v3(0.5f, 0, 0)},
      {"touching", spheres(v3(0, 0, 0), 1, v3(2, 0, 0), 1), false, {}, {}, {}},
      {"apart", spheres(v3(0, 0, 0), 1, v3(0, 3, 0), 1), false, {}, {}, {}},
      // Coincident centres push A upwards.
      {"same centre", spheres(v3(0, 0, 0), 1, v3(0, 0, 0), 2), true, v3(0, 1, 0), v3(0, -1, 0), v3(0, 2, 0)},
  });
}

TEST(ClosedFormTests, SphereAgainstCapsuleAndSegment) {
  const Capsule upright = capsule(v3(0, 0, 0), v3(0, 1, 0), 1, 1);
  runCases({
      {"beside the core", sphereCapsule(v3(1.5f, 0.5f, 0), 1, upright), true, v3(1, 0, 0), v3(0.5f, 0.5f, 0),
       v3(1, 0.5f, 0)},
      {"over the end cap", sphereCapsule(v3(0, 2.5f, 0), 1, upright), true, v3(0, 1, 0), v3(0, 1.5f, 0), v3(0, 2, 0)},
      {"touching", sphereCapsule(v3(2, 0, 0), 1, upright), false, {}, {}, {}},
      // A centre on the core is pushed straight across it.
      {"centre on the core", sphereCapsule(v3(0, 0.3f, 0), 1, upright), true, v3(1, 0, 0), v3(-1, 0.3f, 0),
       v3(1, 0.3f, 0)},
      {"centre on a level core", sphereCapsule(v3(0.5f, 0, 0), 1, capsule(v3(0, 0, 0), v3(1, 0, 0), 1, 1)), true,
       v3(0, 1, 0), v3(0.5f, -1, 0), v3(0.5f, 1, 0)},
      // A core of no length is a point: the capsule is its sphere.
      {"height 0", sphereCapsule(v3(0.5f, 0, 0), 1, capsule(v3(0, 0, 0), v3(0, 1, 0), 0, 1)), true, v3(1, 0, 0),
       v3(-0.5f, 0, 0), v3(1, 0, 0)},
      {"height 0, same centre", sphereCapsule(v3(0, 0, 0), 1, capsule(v3(0, 0, 0), v3(0, 1, 0), 0, 1)), true,
       v3(0, 1, 0), v3(0, -1, 0), v3(0, 1, 0)},
      {"height 0, apart", sphereCapsule(v3(2, 0, 0), 1, capsule(v3(0, 0, 0), v3(0, 1, 0), 0, 1)), false, {}, {}, {}},
      {"segment", [](Vector4& n, Vector4& a, Vector4& b) {
         return checkSphereSegment(n, a, b, v3(2, 1, 0), 0.5f, v3(0, 0, 0), v3(4, 0, 0), 0.75f);
       },
       true, v3(0, 1, 0), v3(2, 0.5f, 0), v3(2, 0.75f, 0)},
  });
}

TEST(ClosedFormTests, SphereAgainstBox) {
  OBB box;
  // Axes of length 2 are normalised: the half extents stay 1.
  OBB stretched;
  stretched.setFromMatrix(rk::math::matrixScaling(2, 2, 2));
  runCases({
      {"face", sphereBox(v3(1.5f, 0, 0), 1, box), true, v3(1, 0, 0), v3(0.5f, 0, 0), v3(1, 0, 0)},
      {"edge", sphereBox(v3(1.5f, 1.5f, 0), 1, box), true, v3(kR2, kR2, 0), v3(1.5f - kR2, 1.5f - kR2, 0),
       v3(1, 1, 0)},
      {"unnormalised axes", sphereBox(v3(1.5f, 0, 0), 1, stretched), true, v3(1, 0, 0), v3(0.5f, 0, 0), v3(1, 0, 0)},
      {"touching", sphereBox(v3(2, 0, 0), 1, box), false, {}, {}, {}},
      // A centre inside always overlaps: out through the nearest face.
      {"centre inside", sphereBox(v3(0.2f, 0, 0), 1, box), true, v3(1, 0, 0), v3(-0.8f, 0, 0), v3(1, 0, 0)},
      {"small sphere inside, near the floor", sphereBox(v3(0, -0.7f, 0.1f), 0.01f, box), true, v3(0, -1, 0),
       v3(0, -0.69f, 0.1f), v3(0, -1, 0.1f)},
      {"centre at the box centre", sphereBox(v3(0, 0, 0), 0.5f, box), true, v3(1, 0, 0), v3(-0.5f, 0, 0),
       v3(1, 0, 0)},
      {"centre on a face", sphereBox(v3(0, 0, -1), 0.5f, box), true, v3(0, 0, -1), v3(0, 0, -0.5f), v3(0, 0, -1)},
  });
}

TEST(ClosedFormTests, CapsuleAgainstCapsule) {
  const Capsule upright = capsule(v3(0, 0, 0), v3(0, 1, 0), 1, 1);
  runCases({
      {"crossing", capsules(upright, capsule(v3(0, 0, 1.5f), v3(1, 0, 0), 1, 1)), true, v3(0, 0, -1), v3(0, 0, 1),
       v3(0, 0, 0.5f)},
      // Side by side: the middle of the shared stretch of the two cores.
      {"parallel, offset", capsules(upright, capsule(v3(1.5f, 1.5f, 0), v3(0, 1, 0), 1, 1)), true, v3(-1, 0, 0),
       v3(1, 0.75f, 0), v3(0.5f, 0.75f, 0)},
      {"anti-parallel", capsules(upright, capsule(v3(1.5f, 0, 0), v3(0, -1, 0), 1, 1)), true, v3(-1, 0, 0),
       v3(1, 0, 0), v3(0.5f, 0, 0)},
      {"end to end, caps overlap", capsules(upright, capsule(v3(0, 3.5f, 0), v3(0, 1, 0), 1, 1)), true,
       v3(0, -1, 0), v3(0, 2, 0), v3(0, 1.5f, 0)},
      {"end to end, apart", capsules(upright, capsule(v3(0, 4.5f, 0), v3(0, 1, 0), 1, 1)), false, {}, {}, {}},
      {"skew, touching", capsules(upright, capsule(v3(0, 0, 2), v3(1, 0, 0), 1, 1)), false, {}, {}, {}},
      // A zero axis makes a capsule a ball at its centre.
      {"zero axis", capsules(capsule(v3(0, 0, 0), v3(0, 0, 0), 1, 1), capsule(v3(1.5f, 0, 0), v3(0, 1, 0), 1, 1)),
       true, v3(-1, 0, 0), v3(1, 0, 0), v3(0.5f, 0, 0)},
  });
}

// A floor triangle at y = 0, counter-clockwise seen from above (normal up).
Triangle floorTriangle() {
  Triangle t;
  t.setVertices(v3(-5, 0, -5), v3(0, 0, 5), v3(5, 0, -5));
  return t;
}

std::function<bool(Vector4&, Vector4&, Vector4&)> sphereTriangle(Vector4 c, float r, Triangle t) {
  return [=](Vector4& n, Vector4& a, Vector4& b) { return calcOnGeoSphere(n, a, b, Sphere(c, r), t); };
}

TEST(ClosedFormTests, SphereAgainstTriangle) {
  const Triangle floor = floorTriangle();
  Triangle sliver;  // two corners in one place: a face without area
  sliver.setVertices(v3(0, 0, 0), v3(0, 0, 0), v3(2, 0, 0));
  runCases({
      {"above the face", sphereTriangle(v3(0, 0.5f, 0), 1, floor), true, v3(0, 1, 0), v3(0, -0.5f, 0), v3(0, 0, 0)},
      // The push follows the side of the centre, not the triangle's normal.
      {"below the face", sphereTriangle(v3(0, -0.5f, 0), 1, floor), true, v3(0, -1, 0), v3(0, 0.5f, 0),
       v3(0, 0, 0)},
      {"over an edge", sphereTriangle(v3(0, 0.3f, -5.4f), 1, floor), true, v3(0, 0.6f, -0.8f), v3(0, -0.3f, -4.6f),
       v3(0, 0, -5)},
      {"off a corner, short", sphereTriangle(v3(6, 0, -6), 1, floor), false, {}, {}, {}},
      {"off a corner", sphereTriangle(v3(6, 0, -6), 2, floor), true, v3(kR2, 0, -kR2), v3(6 - 2 * kR2, 0, -6 + 2 * kR2),
       v3(5, 0, -5)},
      // A centre in the face is pushed out along the face normal.
      {"centre on the face", sphereTriangle(v3(0, 0, 0), 1, floor), true, v3(0, 1, 0), v3(0, -1, 0), v3(0, 0, 0)},
      {"sliver", sphereTriangle(v3(1, 0.5f, 0), 1, sliver), true, v3(0, 1, 0), v3(1, -0.5f, 0), v3(1, 0, 0)},
  });
}

TEST(ClosedFormTests, SphereAgainstTriangleWritesCentreAndClosestPointEvenOnAMiss) {
  Vector4 n = kUnset, a = kUnset, b = kUnset;
  EXPECT_FALSE(calcOnGeoSphere(n, a, b, Sphere(v3(1, 3, 0), 1), floorTriangle()));
  EXPECT_TRUE(nearVector(n, kUnset, 0));
  EXPECT_TRUE(nearVector(a, v3(1, 3, 0), 0));
  EXPECT_TRUE(nearVector(b, v3(1, 0, 0), 1e-6f));
}

TEST(ClosedFormTests, ClosestPointOnTriangleRegions) {
  const Vector4 v0{0, 0, 0, 1}, v1{4, 0, 0, 1}, v2{0, 4, 0, 1};  // w 1 marks whole vertices
  struct Case {
    const char* what;
    Vector4 p, want;
  } cases[] = {
      {"vertex 0", v3(-1, -1, 3), v0},
      {"vertex 1", v3(5, -1, 0), v1},
      {"vertex 2", v3(-1, 5, 0), v2},
      {"edge 01", v3(2, -3, 1), v3(2, 0, 0)},
      {"edge 02", v3(-3, 2, 1), v3(0, 2, 0)},
      {"edge 12", v3(3, 3, 0), v3(2, 2, 0)},
      {"face", v3(1, 1, 5), v3(1, 1, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Vector4 copy, closest;
    EXPECT_TRUE(closestPointOnTriangle(copy, closest, c.p, v0, v1, v2));
    EXPECT_TRUE(nearVector(copy, c.p, 0));
    EXPECT_TRUE(nearVector(closest, c.want, 1e-5f));
  }
}

TEST(ClosedFormTests, BodyAgainstPlane) {
  const Sphere low(v3(0, 0.5f, 0), 1), high(v3(0, 2, 0), 1);
  const Capsule upright = capsule(v3(0, 0, 0), v3(0, 1, 0), 1, 0.5f);
  const OBB box;
  const Plane planeShape;
  struct Case {
    const char* what;
    const CollisionBody& body;
    Plane plane;
    Vector4 normal;
    std::vector<Vector4> points, projections;
  } cases[] = {
      {"sphere below", low, Plane(0, 1, 0, 0), v3(0, 1, 0), {v3(0, -0.5f, 0)}, {v3(0, 0, 0)}},
      // d is scaled with the normal: (0, 2, 0, -1) is the plane y = 0.5.
      {"unnormalised plane", low, Plane(0, 2, 0, -1), v3(0, 1, 0), {v3(0, -0.5f, 0)}, {v3(0, 0.5f, 0)}},
      {"unnormalised plane above", high, Plane(0, 4, 0, -6), v3(0, 1, 0), {v3(0, 1, 0)}, {v3(0, 1.5f, 0)}},
      {"sphere above", high, Plane(0, 1, 0, 0), v3(0, 1, 0), {}, {}},
      {"capsule end", upright, Plane(0, 1, 0, 0), v3(0, 1, 0), {v3(0, -1.5f, 0)}, {v3(0, 0, 0)}},
      {"capsule side", upright, Plane(1, 0, 0, 0), v3(1, 0, 0), {v3(-0.5f, 1, 0), v3(-0.5f, -1, 0)},
       {v3(0, 1, 0), v3(0, -1, 0)}},
      {"box face", box, Plane(0, 1, 0, 0.5f), v3(0, 1, 0),
       {v3(-1, -1, -1), v3(1, -1, -1), v3(1, -1, 1), v3(-1, -1, 1)},
       {v3(-1, -0.5f, -1), v3(1, -0.5f, -1), v3(1, -0.5f, 1), v3(-1, -0.5f, 1)}},
      {"plane shape", planeShape, Plane(0, 1, 0, 5), v3(0, 1, 0), {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Vector4 normal = kUnset, points[kMaxPlanePoints], projections[kMaxPlanePoints];
    const int count = checkBodyPlane(normal, points, projections, c.body, c.plane);
    EXPECT_TRUE(nearVector(normal, c.normal, 1e-6f));
    ASSERT_EQ(count, static_cast<int>(c.points.size()));
    EXPECT_TRUE(rktest::nearPoints({points, points + count}, c.points));
    EXPECT_TRUE(rktest::nearPoints({projections, projections + count}, c.projections));
  }
}

}  // namespace
