// The pair loops and contact tests of the twelve rigid-body collision groups.
// Loops walk the lists by index and re-read their sizes, so a list that
// shrinks under them (a body destroyed by a response) is never overrun.
#include "rigidbody/rk_rigidbody_group.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "col/rk_intersection.h"
#include "col/rk_triangle_search.h"
#include "kernel/rk_error_log.h"

namespace rk::rigidbody {

namespace {

using collision::Capsule;
using collision::CollisionBody;
using collision::GeoCollision;
using collision::OBB;
using collision::Plane;
using collision::Sphere;
using collision::Triangle;

// Opposite forces on the two bodies of a contact.
void respondPair(const ImpactParameter& p, RigidBody& a, RigidBody& b, const Vector4& n, const Vector4& pointA,
                 const Vector4& pointB) {
  Vector4 force{0.0f, 0.0f, 0.0f, 0.0f};
  a.calcImpact(force, &b, n, pointA, pointB, p.getSpring(), p.getDamper(), p.getFlic(), p.getFlicMax());
  a.addForceAt(pointA, force);
  b.addForceAt(pointB, {-force.x, -force.y, -force.z, 0.0f});
}

// A contact with static geometry: only the body receives a force.
void respondStatic(const ImpactParameter& p, RigidBody& a, const Vector4& n, const Vector4& pointA,
                   const Vector4& pointB) {
  Vector4 force{0.0f, 0.0f, 0.0f, 0.0f};
  a.calcImpact(force, nullptr, n, pointA, pointB, p.getSpring(), p.getDamper(), p.getFlic(), p.getFlicMax());
  a.addForceAt(pointA, force);
}

// Every valid pair of list A and list B (each unordered pair once when the two
// are one list) through `test`, which writes normal and points on contact.
// With `resume` set the walk continues a row already begun: row i0 (whose
// body was found valid when the row began) from column j0 on.
template <class A, class B, class Test>
void respondToBodyPairs(const ImpactParameter& p, std::vector<A*>& listA, std::vector<B*>& listB, Test test,
                        bool resume = false, std::size_t i0 = 0, std::size_t j0 = 0) {
  Vector4 n, pointA, pointB;
  const bool aliased = static_cast<void*>(&listA) == static_cast<void*>(&listB);
  for (std::size_t i = i0; i < listA.size(); ++i) {
    const bool resumed = resume && i == i0;
    if (!resumed && !listA[i]->isValid()) continue;
    for (std::size_t j = resumed ? j0 : (aliased ? i + 1 : 0); j < listB.size() && i < listA.size(); ++j) {
      A& a = *listA[i];
      B& b = *listB[j];
      if (b.isValid() && test(n, pointA, pointB, a, b)) respondPair(p, a, b, n, pointA, pointB);
    }
  }
}

bool g_pair_broad_phase = true;

// ------------------------------------------------ sphere pairs: sweep on one axis
//
// The spheres of list B that are valid and can touch anything (finite centre,
// radius not NaN) are sorted along the axis on which their centres spread
// most; each row of list A then looks only at the stretch of that order whose
// coordinate lies within its reach. A pair passing the squared-distance
// reject goes to the same hitSphereSphere the plain walk calls, and the pairs
// of a row are answered in list order, so contacts, their order and the
// forces are those of the plain walk. Centres and radii are read once per
// body per substep; a response that changes the lists or moves one of its two
// bodies hands the rest of the walk to the plain loop, which then sees the
// change as it would have. (A response that moves some third body, or makes a
// body of list B valid that was not, is seen from the next substep on.)

struct SphereShot {
  Vector4 c;
  float r;
};

struct SweepEntry {
  float key;
  std::uint32_t index;
};

struct SphereSweepScratch {
  std::vector<SphereShot> shots;
  std::vector<SweepEntry> order;
  std::vector<std::uint32_t> row;
};

SphereSweepScratch& sphereScratch() {
  static SphereSweepScratch scratch;
  return scratch;
}

SphereShot shotOf(const RigidBodySphere& body) {
  return {collision::centerOf(static_cast<const Sphere&>(body)), body.getRadius()};
}

// Bit for bit (NaN equals itself), field by field: the record has padding.
bool sameShot(const SphereShot& a, const SphereShot& b) {
  return std::memcmp(&a.c, &b.c, sizeof a.c) == 0 && std::memcmp(&a.r, &b.r, sizeof a.r) == 0;
}

// A centre with a non-finite coordinate or a NaN radius makes the squared
// distance test fail against every partner.
bool canTouch(const SphereShot& s) {
  return std::isfinite(s.c.x) && std::isfinite(s.c.y) && std::isfinite(s.c.z) && !std::isnan(s.r);
}

float axisOf(const Vector4& c, int axis) { return axis == 0 ? c.x : axis == 1 ? c.y : c.z; }

// Slightly wider than hitSphereSphere's own test, so rounding never drops a
// pair the test would accept; the test itself decides.
constexpr float kReachSlack = 1.0f + 1.0f / 1024.0f;

// Up to this many rows of list A the plain walk is faster than sorting list B.
constexpr std::size_t kPlainWalkRows = 4;

bool mayTouch(const SphereShot& a, const SphereShot& b) {
  const float dx = a.c.x - b.c.x, dy = a.c.y - b.c.y, dz = a.c.z - b.c.z;
  const float r = a.r + b.r;
  return dx * dx + dy * dy + dz * dz < r * r * kReachSlack;
}

void sweepSpherePairs(const ImpactParameter& p, std::vector<RigidBodySphere*>& listA,
                      std::vector<RigidBodySphere*>& listB) {
  auto test = [](Vector4& n, Vector4& pa, Vector4& pb, RigidBodySphere& a, RigidBodySphere& b) {
    return collision::hitSphereSphere(n, pa, pb, collision::centerOf(static_cast<const Sphere&>(a)), a.getRadius(),
                                      collision::centerOf(static_cast<const Sphere&>(b)), b.getRadius());
  };
  const bool aliased = &listA == &listB;
  const std::size_t countA = listA.size(), countB = listB.size();
  if (countA == 0 || countB == 0) return;
  // A few rows (the player against a list of bullets) walk list B once each:
  // cheaper than sorting it, and the plain walk is what the sweep reproduces.
  if (!aliased && countA <= kPlainWalkRows) {
    respondToBodyPairs(p, listA, listB, test);
    return;
  }
  SphereSweepScratch& s = sphereScratch();

  s.shots.resize(countB);
  float lo[3] = {INFINITY, INFINITY, INFINITY}, hi[3] = {-INFINITY, -INFINITY, -INFINITY};
  float reachB = 0.0f;
  for (std::size_t j = 0; j < countB; ++j) {
    const SphereShot shot = shotOf(*listB[j]);
    s.shots[j] = shot;
    if (!listB[j]->isValid() || !canTouch(shot)) continue;
    for (int k = 0; k < 3; ++k) {
      lo[k] = std::min(lo[k], axisOf(shot.c, k));
      hi[k] = std::max(hi[k], axisOf(shot.c, k));
    }
    reachB = std::max(reachB, std::fabs(shot.r));
  }
  int axis = 0;
  for (int k = 1; k < 3; ++k)
    if (hi[k] - lo[k] > hi[axis] - lo[axis]) axis = k;
  s.order.clear();
  for (std::size_t j = 0; j < countB; ++j)
    if (listB[j]->isValid() && canTouch(s.shots[j]))
      s.order.push_back({axisOf(s.shots[j].c, axis), static_cast<std::uint32_t>(j)});
  std::sort(s.order.begin(), s.order.end(), [](const SweepEntry& x, const SweepEntry& y) { return x.key < y.key; });

  Vector4 n, pointA, pointB;
  for (std::size_t i = 0; i < countA; ++i) {
    RigidBodySphere& a = *listA[i];
    if (!a.isValid()) continue;
    const SphereShot shotA = aliased ? s.shots[i] : shotOf(a);
    if (!canTouch(shotA)) continue;
    // Every partner it can touch has |key − ka| < |ra| + |rb| ≤ reach; the
    // differences below grow with the key, so the stretch is contiguous.
    const float ka = axisOf(shotA.c, axis);
    const float reach = (std::fabs(shotA.r) + reachB) * kReachSlack;
    auto first = std::partition_point(s.order.begin(), s.order.end(),
                                      [ka, reach](const SweepEntry& e) { return ka - e.key >= reach; });
    s.row.clear();
    for (auto e = first; e != s.order.end() && e->key - ka < reach; ++e)
      if ((!aliased || e->index > i) && mayTouch(shotA, s.shots[e->index])) s.row.push_back(e->index);
    if (s.row.empty()) continue;
    std::sort(s.row.begin(), s.row.end());
    for (std::size_t k = 0; k < s.row.size(); ++k) {
      const std::size_t j = s.row[k];
      RigidBodySphere& b = *listB[j];
      if (!b.isValid() || !test(n, pointA, pointB, a, b)) continue;
      respondPair(p, a, b, n, pointA, pointB);
      const bool unchanged = listA.size() == countA && listB.size() == countB && listA[i] == &a &&
                             listB[j] == &b && sameShot(shotOf(a), shotA) && sameShot(shotOf(b), s.shots[j]);
      if (!unchanged) {
        respondToBodyPairs(p, listA, listB, test, true, i, j + 1);
        return;
      }
    }
  }
}

// Points of the body's shape below the plane, each against its projection.
template <class A>
void respondToPlane(const ImpactParameter& p, A& body, const Plane& plane) {
  if (!body.isValid()) return;
  Vector4 n, points[collision::kMaxPlanePoints], projections[collision::kMaxPlanePoints];
  const int count = collision::checkBodyPlane(n, points, projections, static_cast<const CollisionBody&>(body), plane);
  for (int i = 0; i < count; ++i) respondStatic(p, body, n, points[i], projections[i]);
}

// Candidate triangles of every ready mesh near the body, each through `test`.
template <class A, class Test>
void respondToMeshes(const ImpactParameter& p, std::vector<A*>& bodies, std::vector<GeoCollision*>& meshes,
                     float (*extent)(A&), Test test) {
  Vector4 n, pointA, pointB;
  std::vector<const Triangle*> candidates;
  for (std::size_t i = 0; i < bodies.size(); ++i) {
    A& a = *bodies[i];
    if (!a.isValid()) continue;
    const Vector4 c = collision::centerOf(static_cast<const CollisionBody&>(a));
    const float e = extent(a);
    const collision::BoundingBox box{{c.x - e, c.y - e, c.z - e, c.w}, {c.x + e, c.y + e, c.z + e, c.w}};
    for (std::size_t g = 0; g < meshes.size(); ++g) {
      GeoCollision* mesh = meshes[g];
      if (!mesh->isReady()) continue;
      candidates.clear();
      mesh->getSearchStrategy()->search(candidates, box);
      for (const Triangle* t : candidates)
        if (test(n, pointA, pointB, a, *t)) respondStatic(p, a, n, pointA, pointB);
    }
  }
}

float sphereExtent(RigidBodySphere& a) { return 1.25f * a.getRadius(); }
float capsuleExtent(RigidBodyCapsule& a) { return a.getHeight() + a.getRadius(); }
float boxExtent(RigidBodyOBB& a) {
  const Vector4& s = *a.getSize();
  return static_cast<float>(std::sqrt(static_cast<double>(s.x * s.x + s.y * s.y + s.z * s.z)));
}

const Sphere& sphereOf(const RigidBodySphere& a) { return a; }
const Capsule& capsuleOf(const RigidBodyCapsule& a) { return a; }
const OBB& boxOf(const RigidBodyOBB& a) { return a; }

}  // namespace

// ------------------------------------------------------ bodies against bodies

void setPairBroadPhase(bool enabled) { g_pair_broad_phase = enabled; }
bool isPairBroadPhase() { return g_pair_broad_phase; }

void CollisionGroupRigidBodySphereSphere::exec() {
  if (g_pair_broad_phase) {
    sweepSpherePairs(*this, *group_a_, *group_b_);
    return;
  }
  respondToBodyPairs(*this, *group_a_, *group_b_,
                     [](Vector4& n, Vector4& pa, Vector4& pb, RigidBodySphere& a, RigidBodySphere& b) {
                       return collision::hitSphereSphere(n, pa, pb, collision::centerOf(sphereOf(a)), a.getRadius(),
                                                         collision::centerOf(sphereOf(b)), b.getRadius());
                     });
}

void CollisionGroupRigidBodySphereSphere::addGroupB(RigidBodySphere* member) {
  if (!isGroupAEqGroupB()) {
    RigidBodyCollisionGroup::addGroupB(member);
    return;
  }
  debug::writeErrorLog("src/rigidbody/rk_rigidbody_group", 101,
                       "rk::rigidbody::CollisionGroupRigidBodySphereSphere::addGroupB");
  own_b_.push_back(member);
}

void CollisionGroupRigidBodySphereCapsule::exec() {
  respondToBodyPairs(*this, *group_a_, *group_b_,
                     [](Vector4& n, Vector4& pa, Vector4& pb, RigidBodySphere& a, RigidBodyCapsule& b) {
                       return collision::checkSphereCapsule(n, pa, pb, sphereOf(a), capsuleOf(b));
                     });
}

void CollisionGroupRigidBodySphereOBB::exec() {
  respondToBodyPairs(
      *this, *group_a_, *group_b_, [](Vector4& n, Vector4& pa, Vector4& pb, RigidBodySphere& a, RigidBodyOBB& b) {
        return collision::checkSphereBox(n, pa, pb, collision::centerOf(sphereOf(a)), a.getRadius(), boxOf(b));
      });
}

void CollisionGroupRigidBodyCapsuleCapsule::exec() {
  respondToBodyPairs(*this, *group_a_, *group_b_,
                     [](Vector4& n, Vector4& pa, Vector4& pb, RigidBodyCapsule& a, RigidBodyCapsule& b) {
                       return collision::checkCapsuleCapsule(n, pa, pb, capsuleOf(a), capsuleOf(b));
                     });
}

void CollisionGroupRigidBodyCapsuleOBB::exec() {
  respondToBodyPairs(*this, *group_a_, *group_b_,
                     [](Vector4& n, Vector4& pa, Vector4& pb, RigidBodyCapsule& a, RigidBodyOBB& b) {
                       return collision::hitCapsuleConvex(n, pa, pb, capsuleOf(a), boxOf(b));
                     });
}

void CollisionGroupRigidBodyOBBOBB::exec() {
  respondToBodyPairs(*this, *group_a_, *group_b_,
                     [](Vector4& n, Vector4& pa, Vector4& pb, RigidBodyOBB& a, RigidBodyOBB& b) {
                       return collision::testSeparatingAxes(n, boxOf(a), boxOf(b)) &&
                              collision::calcContactPoints(pa, pb, boxOf(a), boxOf(b), n);
                     });
}

// ------------------------------------------------------ bodies against planes

void CollisionGroupRigidBodySpherePlane::exec() {
  for (std::size_t p = 0; p < group_b_->size(); ++p)
    for (std::size_t i = 0; i < group_a_->size(); ++i) respondToPlane(*this, *(*group_a_)[i], *(*group_b_)[p]);
}

void CollisionGroupRigidBodyCapsulePlane::exec() {
  for (std::size_t p = 0; p < group_b_->size(); ++p)
    for (std::size_t i = 0; i < group_a_->size(); ++i) respondToPlane(*this, *(*group_a_)[i], *(*group_b_)[p]);
}

void CollisionGroupRigidBodyOBBPlane::exec() {
  for (std::size_t i = 0; i < group_a_->size(); ++i)
    for (std::size_t p = 0; p < group_b_->size() && i < group_a_->size(); ++p)
      respondToPlane(*this, *(*group_a_)[i], *(*group_b_)[p]);
}

// ------------------------------------------------------ bodies against meshes

void CollisionGroupRigidBodySphereGeo::exec() {
  respondToMeshes<RigidBodySphere>(*this, *group_a_, *group_b_, sphereExtent,
                                   [](Vector4& n, Vector4& pa, Vector4& pb, RigidBodySphere& a, const Triangle& t) {
                                     return collision::calcOnGeoSphere(n, pa, pb, sphereOf(a), t);
                                   });
}

void CollisionGroupRigidBodyCapsuleGeo::exec() {
  respondToMeshes<RigidBodyCapsule>(*this, *group_a_, *group_b_, capsuleExtent,
                                    [](Vector4& n, Vector4& pa, Vector4& pb, RigidBodyCapsule& a, const Triangle& t) {
                                      return collision::hitConvexBodies(n, pa, pb, capsuleOf(a), t);
                                    });
}

// The test runs triangle first; normal and points are turned to the body's side.
void CollisionGroupRigidBodyOBBGeo::exec() {
  respondToMeshes<RigidBodyOBB>(*this, *group_a_, *group_b_, boxExtent,
                                [](Vector4& n, Vector4& pa, Vector4& pb, RigidBodyOBB& a, const Triangle& t) {
                                  Vector4 reversed, on_triangle, on_box;
                                  if (!collision::hitConvexBodies(reversed, on_triangle, on_box, t, boxOf(a)))
                                    return false;
                                  n = {-reversed.x, -reversed.y, -reversed.z, 0.0f};
                                  pa = on_box;
                                  pb = on_triangle;
                                  return true;
                                });
}

}  // namespace rk::rigidbody
