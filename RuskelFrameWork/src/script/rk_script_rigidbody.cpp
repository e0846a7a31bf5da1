// The rigid-body table: substep count and pause of the physics step, body and
// group creators, and the shape-against-plane test.
#include "script/rk_script_rigidbody.h"

#include <cmath>
#include <cstdint>

#include "col/rk_intersection.h"
#include "rigidbody/rk_rigidbody_manager.h"
#include "rigidbody/rk_rigidbody_shapes.h"
#include "rk_script_rigidbody_internal.h"
#include "script/rk_lua_arg.h"
#include "script/rk_script_collision.h"

namespace rk::script {

namespace rigidbody {

namespace {

using rk::rigidbody::RigidBodyManager;

int dumpRigidBody(lua_State* L) {
  lua_settop(L, 0);
  return 0;
}

// The count as an unsigned 32-bit number, fraction dropped. Negative and NaN
// give 0 and larger values the largest count; the manager then holds any count
// past the most a step runs.
std::uint32_t toCalcCount(double n) {
  if (!(n > 0.0)) return 0;
  if (n >= 4294967295.0) return 0xFFFFFFFFu;
  return static_cast<std::uint32_t>(n);
}

int setPhysicalCalcCount(lua_State* L) {
  const double n = lua_tonumber(L, 1);
  lua_settop(L, 0);
  if (RigidBodyManager* manager = RigidBodyManager::getInstance()) manager->setCalcCount(toCalcCount(n));
  return 0;
}

int getPhysicalCalcCount(lua_State* L) {
  lua_settop(L, 0);
  RigidBodyManager* manager = RigidBodyManager::getInstance();
  if (!manager) return 0;
  lua_pushnumber(L, manager->getCalcCount());
  return 1;
}

int displayRigidBodyCountTTY(lua_State* L) {
  lua_settop(L, 0);
  RigidBodyManager::getInstance();
  return 0;
}

// A new body owned by its script object; the body is not valid until a
// script sets it so.
template <class Body>
int createBody(lua_State* L, const LuaClass& cls) {
  lua_settop(L, 0);
  RigidBodyManager::getInstance();
  Body* body = RigidBodyManager::create<Body>();
  body->setupTensor();
  pushLuaObject(L, *body, body, cls);
  return 1;
}

int createRigidBodySphere(lua_State* L) {
  return createBody<rk::rigidbody::RigidBodySphere>(L, kRigidBodySphereObjectClass);
}
int createRigidBodyCapsule(lua_State* L) {
  return createBody<rk::rigidbody::RigidBodyCapsule>(L, kRigidBodyCapsuleObjectClass);
}
int createRigidBodyOBB(lua_State* L) { return createBody<rk::rigidbody::RigidBodyOBB>(L, kRigidBodyOBBObjectClass); }

int setPhysicalPause(lua_State* L) {
  const bool pause = toBoolArg(L, 1);
  lua_settop(L, 0);
  if (RigidBodyManager* manager = RigidBodyManager::getInstance()) manager->setPause(pause);
  return 0;
}

// A collision shape object against the plane (a, b, c, d): true when a point
// of the shape lies below it. A rigid-body object is not a shape object.
int checkSpherePlane(lua_State* L) {
  rk::collision::CollisionBody* shape = collision::toCollisionBody(L, 1);
  const rk::collision::Plane plane(toFloatArg(L, 2), toFloatArg(L, 3), toFloatArg(L, 4), toFloatArg(L, 5));
  lua_settop(L, 0);
  if (!shape) reportNullObject("rk::script::rigidbody::`anonymous-namespace'::checkSpherePlane");
  rk::math::Vector4 normal, points[rk::collision::kMaxPlanePoints], projections[rk::collision::kMaxPlanePoints];
  lua_pushboolean(L, shape && rk::collision::checkBodyPlane(normal, points, projections, *shape, plane) > 0);
  return 1;
}

const LuaFunctionPair kRigidBodyFunctions[] = {
    {dumpRigidBody, "dumpRigidBody"},
    {setPhysicalCalcCount, "setPhysicalCalcCount"},
    {getPhysicalCalcCount, "getPhysicalCalcCount"},
    {displayRigidBodyCountTTY, "displayRigidBodyCountTTY"},
    {createRigidBodySphere, "createRigidBodySphere"},
    {createRigidBodyCapsule, "createRigidBodyCapsule"},
    {createRigidBodyOBB, "createRigidBodyOBB"},
    {createCollisionRigidBodySphereSphere, "createCollisionRigidBodySphereSphere"},
    {createCollisionRigidBodySphereCapsule, "createCollisionRigidBodySphereCapsule"},
    {createCollisionRigidBodySphereOBB, "createCollisionRigidBodySphereOBB"},
    {createCollisionRigidBodySpherePlane, "createCollisionRigidBodySpherePlane"},
    {createCollisionRigidBodySphereGeo, "createCollisionRigidBodySphereGeo"},
    {createCollisionRigidBodyCapsuleCapsule, "createCollisionRigidBodyCapsuleCapsule"},
    {createCollisionRigidBodyCapsuleOBB, "createCollisionRigidBodyCapsuleOBB"},
    {createCollisionRigidBodyCapsulePlane, "createCollisionRigidBodyCapsulePlane"},
    {createCollisionRigidBodyCapsuleGeo, "createCollisionRigidBodyCapsuleGeo"},
    {createCollisionRigidBodyOBBOBB, "createCollisionRigidBodyOBBOBB"},
    {createCollisionRigidBodyOBBPlane, "createCollisionRigidBodyOBBPlane"},
    {createCollisionRigidBodyOBBGeo, "createCollisionRigidBodyOBBGeo"},
    {setPhysicalPause, "setPhysicalPause"},
    {checkSpherePlane, "checkSpherePlane"},
    {checkSpherePlane, "checkCapsulePlane"},
    {checkSpherePlane, "checkOBBPlane"},
};

}  // namespace

}  // namespace rigidbody

LuaFunctionTable rigidBodyFunctionTable() {
  return {rigidbody::kRigidBodyFunctions,
          static_cast<int>(sizeof rigidbody::kRigidBodyFunctions / sizeof rigidbody::kRigidBodyFunctions[0])};
}

}  // namespace rk::script
