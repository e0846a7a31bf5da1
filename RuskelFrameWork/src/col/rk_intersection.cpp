// Closed-form tests for round shapes and the body-against-plane test.
#include "col/rk_intersection.h"
#include "rk_clamp.h"

#include <algorithm>
#include <cmath>

namespace rk::collision {

using math::vec3Cross;
using math::vec3Dot;
using math::vec3LengthSq;

namespace {

// num / den, or 0 for a zero denominator (a degenerate segment or axis then
// yields its start point instead of NaN).
float ratioOrZero(float num, float den) { return den != 0.0f ? num / den : 0.0f; }

bool isZeroXYZ(const Vector4& v) { return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f; }

Vector4 nearestOnSegment(const Vector4& p, const Vector4& s, const Vector4& e) {
  const Vector4 d = e.minus(s);
  return s.plus(d.scaled(clampTo(ratioOrZero(vec3Dot(p.minus(s), d), vec3LengthSq(d)), 0.0f, 1.0f)));
}

// The nearest point of the triangle's three edges (for faces without area).
Vector4 nearestOnEdges(const Vector4& p, const Vector4& a, const Vector4& b, const Vector4& c) {
  const Vector4 candidates[3] = {nearestOnSegment(p, a, b), nearestOnSegment(p, b, c), nearestOnSegment(p, c, a)};
  Vector4 closest = candidates[0];
  for (const Vector4& q : candidates)
    if (vec3LengthSq(p.minus(q)) < vec3LengthSq(p.minus(closest))) closest = q;
  return closest;
}

// A unit direction across d: up unless d runs (nearly) along it, then x. Up
// for a zero d. A sphere whose centre lies exactly on a segment, in a triangle
// or at a point still needs a direction to be pushed out along.
Vector4 acrossDirection(const Vector4& d) {
  const Vector4 up{0.0f, 1.0f, 0.0f, 0.0f};
  const float lengthSq = vec3LengthSq(d);
  if (!(lengthSq > 0.0f)) return up;
  for (const Vector4& candidate : {up, Vector4{1.0f, 0.0f, 0.0f, 0.0f}}) {
    const Vector4 v = candidate.minus(d.scaled(vec3Dot(candidate, d) / lengthSq));
    const float vSq = vec3LengthSq(v);
    if (vSq > 1e-6f) return v.divided(std::sqrt(vSq));
  }
  return up;
}

}  // namespace

bool hitSphereSphere(Vector4& normal, Vector4& pointA, Vector4& pointB, const Vector4& centerA, float radiusA,
                     const Vector4& centerB, float radiusB) {
  const Vector4 d = centerA.minus(centerB);
  const float r = radiusA + radiusB;
  const float lengthSq = vec3LengthSq(d);
  if (!(lengthSq < r * r)) return false;
  // Coincident centres have no direction: push A upwards.
  normal = lengthSq < math::kFloatEpsilon ? Vector4{0.0f, 1.0f, 0.0f, 0.0f} : d.divided(std::sqrt(lengthSq));
  pointA = centerA.minus(normal.scaled(radiusA));
  pointB = centerB.plus(normal.scaled(radiusB));
  return true;
}

bool checkSphereSphere(Vector4& normal, Vector4& pointA, Vector4& pointB, const Sphere& a, const Sphere& b) {
  return hitSphereSphere(normal, pointA, pointB, centerOf(a), a.getRadius(), centerOf(b), b.getRadius());
}

// A segment of no length is a point, so a capsule of height 0 behaves as its
// sphere; a centre on the segment is pushed straight across it.
bool checkSphereSegment(Vector4& normal, Vector4& pointA, Vector4& pointB, const Vector4& center, float radius,
                        const Vector4& s, const Vector4& e, float segRadius) {
  const Vector4 se = e.minus(s);
  const float t = clampTo(ratioOrZero(vec3Dot(center.minus(s), se), vec3LengthSq(se)), 0.0f, 1.0f);
  const Vector4 c = s.plus(se.scaled(t));
  const Vector4 d = center.minus(c);
  const float r = radius + segRadius;
  const float distanceSq = vec3LengthSq(d);
  if (!(distanceSq < r * r)) return false;
  normal = distanceSq == 0.0f ? acrossDirection(se) : d.divided(std::sqrt(distanceSq));
  pointA = center.minus(normal.scaled(radius));
  pointB = c.plus(normal.scaled(segRadius));
  return true;
}

bool checkSphereCapsule(Vector4& normal, Vector4& pointA, Vector4& pointB, const Sphere& a, const Capsule& b) {
  const Vector4 c = centerOf(b);
  const Vector4 half = b.getAxisVector().scaled(b.getHeight());
  return checkSphereSegment(normal, pointA, pointB, centerOf(a), a.getRadius(), c.plus(half), c.minus(half),
                            b.getRadius());
}

// A centre outside the box touches it at the nearest point of the box. A
// centre inside (or on the surface) always overlaps: it is pushed out through
// the nearest face, so a fast sphere that ends a substep inside still hits.
bool checkSphereBox(Vector4& normal, Vector4& pointA, Vector4& pointB, const Vector4& center, float radius,
                    const OBB& b) {
  const Vector4 boxCenter = centerOf(b);
  const Vector4 offset = center.minus(boxCenter);
  const float size[3] = {b.getSize().x, b.getSize().y, b.getSize().z};
  Vector4 u[3];
  Vector4 q = boxCenter;
  for (std::uint32_t i = 0; i < 3; ++i) {
    u[i] = math::vec3Normalize(b.getAxis(i));
    q = q.plus(u[i].scaled(clampTo(vec3Dot(offset, u[i]), -size[i], size[i])));
  }
  const Vector4 d = center.minus(q);
  const float distanceSq = vec3LengthSq(d);
  if (distanceSq != 0.0f) {
    if (!(distanceSq < radius * radius)) return false;
    normal = d.divided(std::sqrt(distanceSq));
    pointA = center.minus(normal.scaled(radius));
    pointB = q;
    return true;
  }
  int nearest = -1;
  float nearestGap = 0.0f, nearestAlong = 0.0f;
  for (int i = 0; i < 3; ++i) {
    if (isZeroXYZ(u[i])) continue;
    const float along = vec3Dot(offset, u[i]);
    const float gap = size[i] - std::fabs(along);
    if (nearest < 0 || gap < nearestGap) {
      nearest = i;
      nearestGap = gap;
      nearestAlong = along;
    }
  }
  if (nearest < 0) {  // a box without axes is its centre
    normal = acrossDirection({0.0f, 0.0f, 0.0f, 0.0f});
    pointB = boxCenter;
  } else {
    normal = nearestAlong < 0.0f ? u[nearest].scaled(-1.0f) : u[nearest];
    pointB = center.plus(normal.scaled(nearestGap));
  }
  pointA = center.minus(normal.scaled(radius));
  return true;
}

// The parameter along A's axis where the two axis lines come closest; for
// (nearly) parallel axes the middle of the overlap of B's extent with A's.
// Then one projection onto B's segment and back onto A's gives the two
// closest points.
bool checkCapsuleCapsule(Vector4& normal, Vector4& pointA, Vector4& pointB, const Capsule& a, const Capsule& b) {
  const Vector4 axisA = a.getAxisVector(), axisB = b.getAxisVector();
  const Vector4 centerA = centerOf(a), centerB = centerOf(b);
  const float hA = a.getHeight(), hB = b.getHeight();
  const float e = vec3LengthSq(axisA), f = vec3LengthSq(axisB), g = vec3Dot(axisA, axisB);
  const float det = e * f - g * g;  // |axisA × axisB|²
  float s;
  if (det <= 1e-6f * e * f) {
    const float o = vec3Dot(centerB.minus(centerA), axisA);
    s = (std::max(-hA, o - hB) + std::min(hA, o + hB)) / 2.0f;
  } else {
    const Vector4 r = centerA.minus(centerB);
    s = (g * vec3Dot(axisB, r) - f * vec3Dot(axisA, r)) / det;
  }
  s = clampTo(s, -hA, hA);
  Vector4 pa = centerA.plus(axisA.scaled(s));
  const float tB = clampTo(ratioOrZero(vec3Dot(pa.minus(centerB), axisB), f), -hB, hB);
  const Vector4 pb = centerB.plus(axisB.scaled(tB));
  s = clampTo(ratioOrZero(vec3Dot(pb.minus(centerA), axisA), e), -hA, hA);
  pa = centerA.plus(axisA.scaled(s));
  return hitSphereSphere(normal, pointA, pointB, pa, a.getRadius(), pb, b.getRadius());
}

bool calcOnGeoSphere(Vector4& normal, Vector4& pointA, Vector4& pointB, const Sphere& a, const Triangle& b) {
  const Vector4 center = centerOf(a);
  closestPointOnTriangle(pointA, pointB, center, b.vertex(0), b.vertex(1), b.vertex(2));
  const Vector4 d = center.minus(pointB);
  const float distanceSq = vec3LengthSq(d);
  const float radius = a.getRadius();
  if (!(distanceSq < radius * radius)) return false;
  if (distanceSq == 0.0f) {
    // A centre in the triangle is pushed out along the face normal (across
    // the longer edge for a face without area).
    const Vector4 v0 = b.vertex(0), ab = b.vertex(1).minus(v0), ac = b.vertex(2).minus(v0);
    const Vector4 face = vec3Cross(ab, ac);
    const float faceSq = vec3LengthSq(face);
    normal = faceSq > 0.0f ? face.divided(std::sqrt(faceSq))
                           : acrossDirection(vec3LengthSq(ab) >= vec3LengthSq(ac) ? ab : ac);
  } else {
    normal = d.divided(std::sqrt(distanceSq));
  }
  pointA = center.minus(normal.scaled(radius));
  return true;
}

// The vertex, edge and face regions of the triangle ABC in turn.
bool closestPointOnTriangle(Vector4& copyOfP, Vector4& closest, const Vector4& p, const Vector4& v0,
                            const Vector4& v1, const Vector4& v2) {
  copyOfP = p;
  const Vector4 &a = v0, &b = v1, &c = v2;
  const Vector4 ab = b.minus(a), ac = c.minus(a), ap = p.minus(a);
  // A face without area (corners repeated or in a line) has only its edges.
  if (vec3LengthSq(vec3Cross(ab, ac)) == 0.0f) return closest = nearestOnEdges(p, a, b, c), true;
  const float d1 = vec3Dot(ab, ap), d2 = vec3Dot(ac, ap);
  if (d1 <= 0.0f && d2 <= 0.0f) return closest = a, true;
  const Vector4 bp = p.minus(b);
  const float d3 = vec3Dot(ab, bp), d4 = vec3Dot(ac, bp);
  if (d3 >= 0.0f && d4 - d3 <= 0.0f) return closest = b, true;
  const Vector4 cp = p.minus(c);
  const float d5 = vec3Dot(ab, cp), d6 = vec3Dot(ac, cp);
  if (d6 >= 0.0f && d5 - d6 <= 0.0f) return closest = c, true;
  const float vc = d1 * d4 - d3 * d2;
  if (vc <= 0.0f && d1 >= 0.0f && d3 <= 0.0f) return closest = a.plus(ab.scaled(ratioOrZero(d1, d1 - d3))), true;
  const float vb = d5 * d2 - d1 * d6;
  if (vb <= 0.0f && d2 >= 0.0f && d6 <= 0.0f) return closest = a.plus(ac.scaled(ratioOrZero(d2, d2 - d6))), true;
  const float va = d3 * d6 - d5 * d4;
  if (va <= 0.0f && d4 - d3 >= 0.0f && d5 - d6 >= 0.0f) {
    closest = b.plus(c.minus(b).scaled(ratioOrZero(d4 - d3, (d4 - d3) + (d5 - d6))));
    return true;
  }
  const float sum = va + vb + vc;
  if (sum == 0.0f) return closest = nearestOnEdges(p, a, b, c), true;
  const float k = 1.0f / sum;
  closest = a.plus(ab.scaled(vb * k)).plus(ac.scaled(vc * k));
  return true;
}

int checkBodyPlane(Vector4& normal, Vector4* points, Vector4* projections, const CollisionBody& body,
                   const Plane& plane) {
  // The plane's d is scaled with its normal, so that an unnormalised plane
  // keeps its place: (0, 2, 0, -1) is y = 0.5.
  const Vector4 scaled = math::vec3Normalize({plane.a(), plane.b(), plane.c(), plane.d()});
  const bool flat = scaled.x == 0.0f && scaled.y == 0.0f && scaled.z == 0.0f;
  const Vector4 n{scaled.x, scaled.y, scaled.z, 0.0f};
  const float d = flat ? plane.d() : scaled.w;
  normal = n;
  std::vector<Vector4> support;
  body.getSupportPoints(support, n.scaled(-1.0f));
  int count = 0;
  for (const Vector4& q : support) {
    if (count == kMaxPlanePoints) break;  // the caller's arrays hold no more
    const float x = vec3Dot(n, q) + d;
    if (x < 0.0f) {
      points[count] = q;
      projections[count] = q.minus(n.scaled(x));
      ++count;
    }
  }
  return count;
}

}  // namespace rk::collision
