// Contact points between support features: vertex, edge and face.
#include <cfloat>
#include <cmath>

#include "col/rk_intersection.h"
#include "rk_clamp.h"

namespace rk::collision {

using math::vec3Cross;
using math::vec3Dot;
using math::vec3LengthSq;

namespace {

// A fixed buffer of polygon points; points beyond its capacity are dropped.
struct PointBuffer {
  Vector4 points[kMaxPolygonPoints];
  int count = 0;
  void push(const Vector4& p) {
    if (count < kMaxPolygonPoints) points[count++] = p;
  }
};

// Keeps the part of the polygon behind the plane p·x = d, walking it in order:
// each kept point, then the crossing on the edge to the next point.
void clipByPlane(PointBuffer& out, const PointBuffer& in, const Vector4& p, float d) {
  out.count = 0;
  for (int k = 0; k < in.count; ++k) {
    const Vector4& q = in.points[k];
    if (vec3Dot(p, q) - d < FLT_MIN) out.push(q);
    if (in.count == 2 && k == 1) break;  // a segment has no closing edge
    const Vector4 g = in.points[(k + 1) % in.count].minus(q);
    const float along = vec3Dot(p, g);
    if (along == 0.0f) continue;
    const float h = (d - vec3Dot(p, q)) / along;
    if (h >= FLT_MIN && h < 1.0f) out.push(q.plus(g.scaled(h)));
  }
}

}  // namespace

bool contactPointSegment(Vector4& pointA, Vector4& pointB, const Vector4& p, const Vector4& s, const Vector4& e) {
  const Vector4 d = e.minus(s);
  const float lengthSq = vec3LengthSq(d);
  if (lengthSq == 0.0f) return false;
  const float t = clampTo(vec3Dot(p.minus(s), d) / lengthSq, 0.0f, 1.0f);
  pointA = p;
  pointB = s.plus(d.scaled(t));
  return true;
}

bool contactPointFace(Vector4& pointA, Vector4& pointB, const Vector4& normal, const Vector4& p,
                      const std::vector<Vector4>& polygon) {
  pointA = p;
  const std::size_t n = polygon.size();
  if (n == 0) return false;
  // The first edge that P lies outside of, if any.
  std::size_t outside = n;
  for (std::size_t i = 0; i < n; ++i) {
    const Vector4 w = p.minus(polygon[i]);
    const Vector4 e = polygon[(i + 1) % n].minus(polygon[i]);
    if (vec3Dot(normal, vec3Cross(w, e)) < 0.0f) {
      outside = i;
      break;
    }
  }
  if (outside == n) {
    pointB = p.minus(normal.scaled(vec3Dot(p, normal) - vec3Dot(normal, polygon[0])));
    return true;
  }
  // The nearest point on the edges walked so far.
  float best = FLT_MAX;
  for (std::size_t j = 0; j <= outside; ++j) {
    const Vector4 w = p.minus(polygon[j]);
    const Vector4 e = polygon[(j + 1) % n].minus(polygon[j]);
    const float lengthSq = vec3LengthSq(e);
    const float t = lengthSq != 0.0f ? clampTo(vec3Dot(w, e) / lengthSq, 0.0f, 1.0f) : 0.0f;
    const Vector4 q = polygon[j].plus(e.scaled(t));
    const float distanceSq = vec3LengthSq(p.minus(q));
    if (j == 0 || distanceSq < best) {
      best = distanceSq;
      pointB = q;
    }
  }
  return true;
}

bool contactSegmentSegment(Vector4& pointA, Vector4& pointB, const Vector4& a0, const Vector4& a1,
                           const Vector4& b0, const Vector4& b1) {
  const Vector4 d1 = a1.minus(a0), d2 = b1.minus(b0);
  const float e = vec3LengthSq(d1), f = vec3LengthSq(d2), g = vec3Dot(d1, d2);
  const float det = e * f - g * g;
  if (std::fabs(det) < math::kFloatEpsilon) return false;
  const Vector4 r = b0.minus(a0);
  const float r1 = vec3Dot(r, d1), r2 = vec3Dot(r, d2);
  const float s = clampTo((f * r1 - g * r2) / det, 0.0f, 1.0f);
  const float t = clampTo((g * r1 - e * r2) / det, 0.0f, 1.0f);
  pointA = a0.plus(d1.scaled(s));
  pointB = b0.plus(d2.scaled(t));
  return true;
}

bool contactFaceFace(Vector4& pointA, Vector4& pointB, const Vector4& normal, const std::vector<Vector4>& polygonA,
                     const std::vector<Vector4>& polygonB) {
  if (polygonA.empty() || polygonB.empty()) return false;
  PointBuffer buffers[2];
  for (const Vector4& q : polygonA) buffers[0].push(q);
  int current = 0;
  const std::size_t edges = std::min<std::size_t>(polygonB.size(), kMaxPolygonPoints);
  for (std::size_t i = 0; i < edges && buffers[current].count > 0; ++i) {
    const Vector4& from = polygonB[i];
    const Vector4 side = vec3Cross(normal, polygonB[(i + 1) % polygonB.size()].minus(from));
    const float sideSq = vec3LengthSq(side);
    if (sideSq == 0.0f) continue;  // an edge of no length, or along the normal, bounds nothing
    const Vector4 p = side.divided(std::sqrt(sideSq));
    clipByPlane(buffers[1 - current], buffers[current], p, vec3Dot(p, from));
    current = 1 - current;
  }
  const PointBuffer& kept = buffers[current];
  if (kept.count > 0) {
    Vector4 average{0.0f, 0.0f, 0.0f, 0.0f};
    for (int k = 0; k < kept.count; ++k) average.addAssign(kept.points[k]);
    average.x /= kept.count, average.y /= kept.count, average.z /= kept.count;
    return contactPointFace(pointA, pointB, normal, average, polygonB);
  }
  // Nothing of A lies over B: the closest pair of A's vertices and B.
  float best = FLT_MAX;
  bool found = false;
  for (const Vector4& vertex : polygonA) {
    Vector4 a, b;
    if (!contactPointFace(a, b, normal, vertex, polygonB)) continue;
    const float distanceSq = vec3LengthSq(a.minus(b));
    if (!found || distanceSq < best) {
      best = distanceSq;
      pointA = a;
      pointB = b;
      found = true;
    }
  }
  return found;
}

}  // namespace rk::collision
