// The separating-axis test for convex shapes and the hit functions built on it.
#include <cfloat>
#include <cmath>

#include "col/rk_intersection.h"
#include "rk_clamp.h"

namespace rk::collision {

using math::vec3Dot;
using math::vec3LengthSq;

namespace {

}  // namespace

bool testAxisOverlap(Vector4& minPush, const CollisionBody& a, const CollisionBody& b, const Vector4& axis) {
  float centerA = 0.0f, radiusA = 0.0f, minB = 0.0f, maxB = 0.0f;
  a.project(centerA, radiusA, axis);
  b.getInterval(minB, maxB, axis);
  const float lo = minB - radiusA - centerA;
  const float hi = maxB + radiusA - centerA;
  if (!(lo < 0.0f && hi > 0.0f)) return false;
  // The shorter way out; on equal lengths the push along +axis.
  const float push = std::fabs(hi) > std::fabs(lo) ? lo : hi;
  const Vector4 v = axis.scaled(push);
  if (vec3LengthSq(minPush) > vec3LengthSq(v)) minPush = v;
  return true;
}

bool testSeparatingAxes(Vector4& normal, const CollisionBody& a, const CollisionBody& b) {
  Vector4 push{FLT_MAX, FLT_MAX, FLT_MAX, 0.0f};
  const std::uint32_t countA = a.getAxisCount(), countB = b.getAxisCount();
  for (std::uint32_t i = 0; i < countA; ++i)
    if (!testAxisOverlap(push, a, b, math::vec3Normalize(a.getAxis(i)))) return false;
  for (std::uint32_t j = 0; j < countB; ++j)
    if (!testAxisOverlap(push, a, b, math::vec3Normalize(b.getAxis(j)))) return false;
  for (std::uint32_t i = 0; i < countA; ++i) {
    for (std::uint32_t j = 0; j < countB; ++j) {
      const Vector4 c = math::vec3Cross(a.getAxis(i), b.getAxis(j));
      if (vec3LengthSq(c) < 1e-6f) continue;  // parallel axes add nothing new
      if (!testAxisOverlap(push, a, b, math::vec3Normalize(c))) return false;
    }
  }
  if (push.x == FLT_MAX) return false;  // no axis was tested
  const float lengthSq = vec3LengthSq(push);
  if (lengthSq < math::kFloatEpsilon) return false;
  normal = push.divided(std::sqrt(lengthSq));
  return true;
}

// Dispatch on the kinds of the two support features: 1 a vertex, 2 an edge,
// anything else a face.
bool calcContactPoints(Vector4& pointA, Vector4& pointB, const CollisionBody& a, const CollisionBody& b,
                       const Vector4& normal) {
  const Vector4 towardsB = normal.scaled(-1.0f);
  std::vector<Vector4> sa, sb;
  const std::uint32_t countA = a.getSupportPoints(sa, towardsB);
  const std::uint32_t countB = b.getSupportPoints(sb, normal);
  // A shape may report a count without filling the list; only what is there is used.
  if (sa.empty() || sb.empty()) return false;
  const bool vertexA = countA == 1, edgeA = countA == 2 && sa.size() >= 2;
  const bool vertexB = countB == 1, edgeB = countB == 2 && sb.size() >= 2;
  if (vertexA) {
    if (vertexB) {
      pointA = pointB = sa[0];
      return false;
    }
    if (edgeB) return contactPointSegment(pointA, pointB, sa[0], sb[0], sb[1]);
    return contactPointFace(pointA, pointB, towardsB, sa[0], sb);
  }
  if (edgeA) {
    if (vertexB) return contactPointSegment(pointB, pointA, sb[0], sa[0], sa[1]);
    if (edgeB) return contactSegmentSegment(pointA, pointB, sa[0], sa[1], sb[0], sb[1]);
    return contactFaceFace(pointA, pointB, towardsB, sa, sb);
  }
  if (vertexB) return contactPointFace(pointB, pointA, normal, sb[0], sa);
  if (edgeB) return contactFaceFace(pointB, pointA, normal, sb, sa);
  return contactFaceFace(pointA, pointB, towardsB, sa, sb);
}

bool hitConvexBodies(Vector4& normal, Vector4& pointA, Vector4& pointB, const CollisionBody& a,
                     const CollisionBody& b) {
  return testSeparatingAxes(normal, a, b) && calcContactPoints(pointA, pointB, a, b, normal);
}

// The separating-axis contact, then the capsule's true surface point: the core
// segment's point nearest B's contact, moved out by the radius towards it.
bool hitCapsuleConvex(Vector4& normal, Vector4& pointA, Vector4& pointB, const Capsule& a, const CollisionBody& b) {
  if (!testSeparatingAxes(normal, a, b) || !calcContactPoints(pointA, pointB, a, b, normal)) return false;
  const Vector4 center = centerOf(a);
  const Vector4& axis = a.getAxisVector();
  const float axisSq = vec3LengthSq(axis);
  const float m = axisSq != 0.0f ? clampTo(vec3Dot(pointB.minus(center), axis) / axisSq, -a.getHeight(), a.getHeight())
                                 : 0.0f;
  pointA = center.plus(axis.scaled(m));
  const Vector4 q = pointB.minus(pointA);
  const float qSq = vec3LengthSq(q);
  const float radius = a.getRadius();
  if (!(qSq < radius * radius)) return false;
  const Vector4 w = qSq == 0.0f ? q : q.divided(std::sqrt(qSq));
  pointA = pointA.plus(w.scaled(radius));
  return true;
}

}  // namespace rk::collision
