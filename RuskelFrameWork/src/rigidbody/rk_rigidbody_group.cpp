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
#include "rk_sphere_pair_search.h"

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

// ------------------------------------------------ sphere pairs: a search on copies
//
// Each pass reads every body's validity, centre and radius once, in a loop
// with no branch on their values so the reads of many bodies overlap; the
// pair search (rk_sphere_pair_search) then works on those copies alone and
// hands back the pairs that may touch in the plain walk's order. Only those
// pairs reach the bodies again: the same hitSphereSphere the plain walk
// calls, on the bodies' own centres, so contacts, their order and the forces
// are those of the plain walk.
//
// Nothing changes between the reads and the first response. After each
// response the lists and its two bodies are checked: if a list changed or one
// of the two moved, the rest of the walk goes to the plain loop, which then
// sees the change as it would have. Validity is read again before each pair
// (the row's body at its row's first pair, as the plain walk reads it when
// the row begins). A response that moves some third body, or makes a body
// valid that was not, is seen from the next substep on.

struct SphereSearchScratch {
  SphereRows a, b;
  SpherePairSearch search;
};

SphereSearchScratch& sphereScratch() {
  static SphereSearchScratch scratch;
  return scratch;
}

SphereShot shotOf(const RigidBodySphere& body) {
  return {collision::centerOf(static_cast<const Sphere&>(body)), body.getRadius()};
}

// Bit for bit (NaN equals itself), field by field: the record has padding.
bool sameShot(const SphereShot& a, const SphereShot& b) {
  return std::memcmp(&a.c, &b.c, sizeof a.c) == 0 && std::memcmp(&a.r, &b.r, sizeof a.r) == 0;
}

// Every body's centre, radius and validity, and the count and largest
// |radius| of the valid ones. Nothing branches on a body's data, so the reads
// of many bodies overlap; the buffer is held in a local so that the stores
// through it do not make the loop reload it.
void readSpheres(const std::vector<RigidBodySphere*>& list, SphereRows& rows) {
  const std::size_t count = list.size();
  rows.reserveFor(count);
  RigidBodySphere* const* bodies = list.data();
  SphereShot* shots = rows.shots.data();
  std::size_t valid = 0;
  float reach = 0.0f;
  for (std::size_t j = 0; j < count; ++j) {
    const RigidBodySphere& body = *bodies[j];
    const Vector4 c = collision::centerOf(static_cast<const Sphere&>(body));
    const float r = body.getRadius();
    const bool isValid = body.isValid();
    // Field by field: copying a whole record would store the radius alone
    // and load it back with the padding, a store the load cannot forward from.
    shots[j].c = c;
    shots[j].r = r;
    shots[j].valid = isValid;
    valid += isValid;
    // Times 0 or 1 rather than a choice, which would be a branch. std::max
    // keeps `reach` against a NaN: a NaN radius, or an infinite one times 0.
    reach = std::max(reach, std::fabs(r) * static_cast<float>(isValid));
  }
  rows.count = count;
  rows.validCount = valid;
  rows.reach = reach;
}

// The plain walk costs about one pair test per pair; the search about half a
// test per body it reads, plus a fixed part worth this many tests. With no
// more pairs than that the walk is cheaper (a few spheres among themselves).
constexpr std::size_t kSearchOverhead = 32;

bool fewPairs(std::size_t countA, std::size_t countB, bool aliased) {
  const std::size_t pairs = aliased ? countA * (countA - 1) / 2 : countA * countB;
  const std::size_t bodies = aliased ? countA : countA + countB;
  return pairs <= bodies / 2 + kSearchOverhead;
}

template <class Test>
void answerSpherePairs(const ImpactParameter& p, std::vector<RigidBodySphere*>& listA,
                       std::vector<RigidBodySphere*>& listB, const SphereRows& rowsA, const SphereRows& rowsB,
                       const std::vector<SpherePair>& pairs, Test test) {
  const std::size_t countA = listA.size(), countB = listB.size();
  Vector4 n, pointA, pointB;
  std::size_t row = countA;
  bool rowValid = false;
  for (const SpherePair& q : pairs) {
    const std::size_t i = q.a, j = q.b;
    RigidBodySphere& a = *listA[i];
    if (i != row) {
      row = i;
      rowValid = a.isValid();
    }
    if (!rowValid) continue;
    RigidBodySphere& b = *listB[j];
    if (!b.isValid() || !test(n, pointA, pointB, a, b)) continue;
    respondPair(p, a, b, n, pointA, pointB);
    const bool unchanged = listA.size() == countA && listB.size() == countB && listA[i] == &a && listB[j] == &b &&
                           sameShot(shotOf(a), rowsA.shots[i]) && sameShot(shotOf(b), rowsB.shots[j]);
    if (!unchanged) {
      respondToBodyPairs(p, listA, listB, test, true, i, j + 1);
      return;
    }
  }
}

void searchSpherePairs(const ImpactParameter& p, std::vector<RigidBodySphere*>& listA,
                       std::vector<RigidBodySphere*>& listB) {
  auto test = [](Vector4& n, Vector4& pa, Vector4& pb, RigidBodySphere& a, RigidBodySphere& b) {
    return collision::hitSphereSphere(n, pa, pb, collision::centerOf(static_cast<const Sphere&>(a)), a.getRadius(),
                                      collision::centerOf(static_cast<const Sphere&>(b)), b.getRadius());
  };
  const bool aliased = &listA == &listB;
  if (listA.empty() || listB.empty()) return;
  if (fewPairs(listA.size(), listB.size(), aliased)) {
    respondToBodyPairs(p, listA, listB, test);
    return;
  }
  SphereSearchScratch& s = sphereScratch();
  readSpheres(listA, s.a);
  if (!aliased) readSpheres(listB, s.b);
  const SphereRows& rowsB = aliased ? s.a : s.b;
  const std::vector<SpherePair>& pairs = s.search.find(s.a, rowsB, aliased);
  answerSpherePairs(p, listA, listB, s.a, rowsB, pairs, test);
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
    searchSpherePairs(*this, *group_a_, *group_b_);
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
