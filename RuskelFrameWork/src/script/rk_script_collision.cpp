// The collision table: shape creators, one-off tests and queries, and the
// registration of collision groups.
#include "script/rk_script_collision.h"

#include <vector>

#include "col/rk_collision_group.h"
#include "col/rk_geo_collision.h"
#include "col/rk_intersection.h"
#include "rk_script_collision_internal.h"
#include "script/rk_script_math.h"

namespace rk::script {

namespace collision {

using rk::collision::BoundingBox;
using rk::collision::CollisionGroupManager;
using rk::collision::GeoCollision;
using rk::collision::ICollisionExec;
using rk::collision::Triangle;
using rk::math::Vector4;

namespace {

// On a hit the three vectors receive the normal (from B to A) and the two
// contact points; on a miss they keep their values.
int checkSphereSphere(lua_State* L) {
  Vector4* normal = math::toVec3(L, 1);
  Vector4* pointA = math::toVec3(L, 2);
  Vector4* pointB = math::toVec3(L, 3);
  auto* a = toLuaObject<rk::collision::Sphere>(L, 4, kCollisionSphereClass);
  auto* b = toLuaObject<rk::collision::Sphere>(L, 5, kCollisionSphereClass);
  lua_settop(L, 0);
  if (!normal || !pointA || !pointB || !a || !b) {
    reportNullObject(RK_COLLISION_BINDING("checkSphereSphere"));
    lua_pushboolean(L, 0);
    return 1;
  }
  Vector4 n, pa, pb;
  const bool hit = rk::collision::checkSphereSphere(n, pa, pb, *a, *b);
  if (hit) *normal = n, *pointA = pa, *pointB = pb;
  lua_pushboolean(L, hit);
  return 1;
}

void pushXYZTable(lua_State* L, const Vector4& v) {
  lua_createtable(L, 0, 3);
  setFieldNumber(L, "x_", v.x);
  setFieldNumber(L, "y_", v.y);
  setFieldNumber(L, "z_", v.z);
}

// The plane's unit normal, then one entry {ans1_ = point below the plane,
// ans2_ = its projection onto the plane} per support point of the sphere below it.
int checkPlaneSphereDirect(lua_State* L) {
  auto* plane = toLuaObject<rk::collision::Plane>(L, 1, kCollisionPlaneClass);
  const rk::collision::Sphere sphere(toXYZArgs(L, 2), toFloatArg(L, 5));
  lua_settop(L, 0);
  if (!plane) {
    reportNullObject(RK_COLLISION_BINDING("checkPlaneSphereDirect"));
    return 0;
  }
  Vector4 normal, points[rk::collision::kMaxPlanePoints], projections[rk::collision::kMaxPlanePoints];
  const int count = rk::collision::checkBodyPlane(normal, points, projections, sphere, *plane);
  pushXYZTable(L, normal);
  lua_createtable(L, count, 0);
  for (int i = 0; i < count; ++i) {
    lua_createtable(L, 0, 2);
    pushXYZTable(L, points[i]);
    lua_setfield(L, -2, "ans1_");
    pushXYZTable(L, projections[i]);
    lua_setfield(L, -2, "ans2_");
    lua_rawseti(L, -2, i + 1);
  }
  return 2;
}

ICollisionExec* groupArg(lua_State* L, const char* name) {
  ICollisionExec* group = toCollisionGroup(L, 1);
  if (!group) reportNullObject(name);
  return group;
}

int addCollisionGroup(lua_State* L) {
  ICollisionExec* group = groupArg(L, RK_COLLISION_BINDING("addCollisionGroup"));
  lua_settop(L, 0);
  if (group)
    if (CollisionGroupManager* manager = CollisionGroupManager::getInstance()) manager->addCollisionGroup(group);
  return 0;
}

int clearCollisionGroup(lua_State* L) {
  lua_settop(L, 0);
  if (CollisionGroupManager* manager = CollisionGroupManager::getInstance()) manager->clearCollisionGroup();
  return 0;
}

int removeCollisionGroup(lua_State* L) {
  ICollisionExec* group = groupArg(L, RK_COLLISION_BINDING("removeCollisionGroup"));
  lua_settop(L, 0);
  if (group)
    if (CollisionGroupManager* manager = CollisionGroupManager::getInstance()) manager->removeCollisionGroup(group);
  return 0;
}

// Rests a sphere on the mesh: every candidate triangle that the sphere
// overlaps pushes it out along the triangle's contact normal, and the next
// triangles see the moved sphere. The candidates come from a box around the
// starting centre.
int calcOnGeoSphere(lua_State* L) {
  GeoCollision* mesh = toCollisionGeo(L, 1);
  Vector4 center = toXYZArgs(L, 2);
  const float radius = toFloatArg(L, 5);
  lua_settop(L, 0);
  if (!mesh) {
    reportNullObject(RK_COLLISION_BINDING("calcOnGeoSphere"));
    return pushXYZ(L, center);
  }
  const float reach = 1.25f * radius;
  const BoundingBox box{{center.x - reach, center.y, center.z - reach, 0.0f},
                        {center.x + reach, center.y, center.z + reach, 0.0f}};
  std::vector<const Triangle*> candidates;
  if (rk::collision::ITriangleSearchStrategy* strategy = mesh->getSearchStrategy()) strategy->search(candidates, box);
  rk::collision::Sphere sphere(center, radius);
  for (const Triangle* triangle : candidates) {
    Vector4 n, pa, pb;
    if (rk::collision::calcOnGeoSphere(n, pa, pb, sphere, *triangle)) {
      center = pb.plus(n.scaled(radius));
      sphere.setCenter(center);
    }
  }
  return pushXYZ(L, center);
}

// How many of a capsule's extreme points lie below the plane (0, 1 or 2).
int calcClosetCapsulePlane(lua_State* L) {
  rk::collision::Capsule capsule;
  capsule.setRadius(toFloatArg(L, 1));
  capsule.setHeight(toFloatArg(L, 2));
  capsule.setAxisVector(rk::math::vec3Normalize(toXYZArgs(L, 3)));
  capsule.setCenter(toXYZArgs(L, 6));
  const rk::collision::Plane plane(toFloatArg(L, 9), toFloatArg(L, 10), toFloatArg(L, 11), toFloatArg(L, 12));
  lua_settop(L, 0);
  Vector4 normal, points[rk::collision::kMaxPlanePoints], projections[rk::collision::kMaxPlanePoints];
  const int below = rk::collision::checkBodyPlane(normal, points, projections, capsule, plane);
  return pushNumbers(L, {static_cast<double>(below)});
}

int getCollisionUserKind(lua_State* L) {
  lua_settop(L, 0);
  lua_pushinteger(L, rk::collision::kUserKind);
  return 1;
}

const LuaFunctionPair kCollisionFunctions[] = {
    {checkSphereSphere, "checkSphereSphere"},
    {checkPlaneSphereDirect, "checkPlaneSphereDirect"},
    {createCollisionPlane, "createCollisionPlane"},
    {createCollisionGeo, "createCollisionGeo"},
    {addCollisionGroup, "addCollisionGroup"},
    {clearCollisionGroup, "clearCollisionGroup"},
    {removeCollisionGroup, "removeCollisionGroup"},
    {createCollisionSphere, "createCollisionSphere"},
    {createCollisionCapsule, "createCollisionCapsule"},
    {createCollisionOBB, "createCollisionOBB"},
    {calcOnGeoSphere, "calcOnGeoSphere"},
    {createRigidBodySphereList, "createRigidBodySphereList"},
    {createRigidBodyCapsuleList, "createRigidBodyCapsuleList"},
    {createRigidBodyOBBList, "createRigidBodyOBBList"},
    {calcClosetCapsulePlane, "calcClosetCapsulePlane"},
    {getCollisionUserKind, "getCollisionUserKind"},
};

}  // namespace

}  // namespace collision

LuaFunctionTable collisionFunctionTable() {
  return {collision::kCollisionFunctions,
          static_cast<int>(sizeof collision::kCollisionFunctions / sizeof collision::kCollisionFunctions[0])};
}

}  // namespace rk::script
