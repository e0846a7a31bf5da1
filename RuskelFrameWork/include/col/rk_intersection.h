// Intersection and contact tests between collision shapes.
//
// Every test answers whether two shapes overlap and, when they do, writes a
// unit normal pointing from shape B towards shape A (moving A along it
// separates them), a point on A and a point on B. Touching is not
// overlapping. Unless noted, outputs are written only on a true result.
//
// Two families: closed forms for round shapes, and a separating-axis test for
// any two convex shapes followed by a contact search over their support
// features.
#pragma once
#include <cstdint>
#include <vector>

#include "col/rk_collision_capsule.h"
#include "col/rk_collision_obb.h"
#include "col/rk_collision_plane.h"
#include "col/rk_collision_sphere.h"
#include "col/rk_collision_triangle.h"

namespace rk::collision {

// The most points a shape's support feature has (a box face).
constexpr int kMaxPlanePoints = 4;
// The contact search clips polygons of at most this many points.
constexpr int kMaxPolygonPoints = 32;

// ----------------------------------------------------------- closed forms

bool hitSphereSphere(Vector4& normal, Vector4& pointA, Vector4& pointB, const Vector4& centerA, float radiusA,
                     const Vector4& centerB, float radiusB);
bool checkSphereSphere(Vector4& normal, Vector4& pointA, Vector4& pointB, const Sphere& a, const Sphere& b);
// A sphere against the segment S-E widened by segRadius. A zero-length segment
// and a centre lying on the segment give no overlap.
bool checkSphereSegment(Vector4& normal, Vector4& pointA, Vector4& pointB, const Vector4& center, float radius,
                        const Vector4& s, const Vector4& e, float segRadius);
bool checkSphereCapsule(Vector4& normal, Vector4& pointA, Vector4& pointB, const Sphere& a, const Capsule& b);
// A centre inside the box gives no overlap (there is no normal to push along).
bool checkSphereBox(Vector4& normal, Vector4& pointA, Vector4& pointB, const Vector4& center, float radius,
                    const OBB& b);
bool checkCapsuleCapsule(Vector4& normal, Vector4& pointA, Vector4& pointB, const Capsule& a, const Capsule& b);
// A sphere against one triangle; point A and point B are written whatever the
// result (the centre and the triangle's closest point).
bool calcOnGeoSphere(Vector4& normal, Vector4& pointA, Vector4& pointB, const Sphere& a, const Triangle& b);
// Writes P whole into copyOfP and the triangle's point closest to P into
// closest. Always true.
bool closestPointOnTriangle(Vector4& copyOfP, Vector4& closest, const Vector4& p, const Vector4& v0,
                            const Vector4& v1, const Vector4& v2);

// ------------------------------------------------------------ convex path

// One candidate axis: false when it separates A and B. Otherwise replaces
// minPush by the push of A out of B along the axis when that push is shorter.
bool testAxisOverlap(Vector4& minPush, const CollisionBody& a, const CollisionBody& b, const Vector4& axis);
// A's axes, B's axes and their cross products; the normal is the shortest push.
bool testSeparatingAxes(Vector4& normal, const CollisionBody& a, const CollisionBody& b);
// Contact points from A's support feature towards −normal and B's towards
// +normal; two single points give no contact (false, both outputs A's point).
bool calcContactPoints(Vector4& pointA, Vector4& pointB, const CollisionBody& a, const CollisionBody& b,
                       const Vector4& normal);
bool hitConvexBodies(Vector4& normal, Vector4& pointA, Vector4& pointB, const CollisionBody& a,
                     const CollisionBody& b);
bool hitCapsuleConvex(Vector4& normal, Vector4& pointA, Vector4& pointB, const Capsule& a, const CollisionBody& b);

// Which of the shape's extreme points towards the plane lie below it. Writes
// the plane's unit normal always, then up to kMaxPlanePoints points below the
// plane and their projections onto it; returns how many.
int checkBodyPlane(Vector4& normal, Vector4* points, Vector4* projections, const CollisionBody& body,
                   const Plane& plane);

// -------------------------------------------------------- contact helpers
// Point A is the first feature's point, point B the second's.

// P against the segment S-E: point A ← P, point B ← the segment's nearest point.
bool contactPointSegment(Vector4& pointA, Vector4& pointB, const Vector4& p, const Vector4& s, const Vector4& e);
// P against a convex polygon with normal N: the nearest edge point when P lies
// outside an edge, else P projected onto the polygon's plane. False for an
// empty polygon.
bool contactPointFace(Vector4& pointA, Vector4& pointB, const Vector4& normal, const Vector4& p,
                      const std::vector<Vector4>& polygon);
// The closest points of two segments; false when they are parallel.
bool contactSegmentSegment(Vector4& pointA, Vector4& pointB, const Vector4& a0, const Vector4& a1,
                           const Vector4& b0, const Vector4& b1);
// Polygon A clipped by B's edges; the average of what remains against B.
bool contactFaceFace(Vector4& pointA, Vector4& pointB, const Vector4& normal, const std::vector<Vector4>& polygonA,
                     const std::vector<Vector4>& polygonB);

}  // namespace rk::collision
