// The collision module's script bindings: the sixteen globals of the collision
// table and the script objects they create (shapes, meshes, rigid-body lists).
// Other APIs read those objects through the readers below.
#pragma once
#include <lua.hpp>

#include "script/rk_lua_object.h"
#include "script/rk_script.h"

namespace rk::collision {
class CollisionBody;
class GeoCollision;
class ICollisionExec;
}  // namespace rk::collision

namespace rk::rigidbody {
class RigidBodySphere;
class RigidBodyCapsule;
class RigidBodyOBB;
}  // namespace rk::rigidbody

namespace rk::script {

// The collision table, in registration order.
LuaFunctionTable collisionFunctionTable();

namespace collision {

// Interfaces. A class whose objects should be accepted answers them through
// its LuaClass::cast (castToInterface with the interface type):
extern const LuaClass kCollisionBodyClass;   // any collision shape
extern const LuaClass kCollisionExecClass;   // any collision group ("addCollisionGroup")
extern const LuaClass kRigidBodySphereClass;   // elements of the sphere body list
extern const LuaClass kRigidBodyCapsuleClass;  // elements of the capsule body list
extern const LuaClass kRigidBodyOBBClass;      // elements of the box body list

// The classes of the objects this table creates.
extern const LuaClass kCollisionSphereClass;   // holds a rk::collision::Sphere
extern const LuaClass kCollisionCapsuleClass;  // holds a rk::collision::Capsule
extern const LuaClass kCollisionOBBClass;      // holds a rk::collision::OBB
extern const LuaClass kCollisionPlaneClass;    // holds a rk::collision::Plane
extern const LuaClass kCollisionGeoClass;      // holds a rk::collision::GeoCollision
extern const LuaClass kRigidBodySphereListClass;   // holds a rk::util::List<RigidBodySphere>
extern const LuaClass kRigidBodyCapsuleListClass;  // holds a rk::util::List<RigidBodyCapsule>
extern const LuaClass kRigidBodyOBBListClass;      // holds a rk::util::List<RigidBodyOBB>

// The object at that index, or null for anything else.
rk::collision::CollisionBody* toCollisionBody(lua_State* L, int index);
rk::collision::GeoCollision* toCollisionGeo(lua_State* L, int index);
rk::collision::ICollisionExec* toCollisionGroup(lua_State* L, int index);

}  // namespace collision

template <> inline const LuaClass& interfaceClass<rk::collision::CollisionBody>() {
  return collision::kCollisionBodyClass;
}
template <> inline const LuaClass& interfaceClass<rk::collision::ICollisionExec>() {
  return collision::kCollisionExecClass;
}
template <> inline const LuaClass& interfaceClass<rk::rigidbody::RigidBodySphere>() {
  return collision::kRigidBodySphereClass;
}
template <> inline const LuaClass& interfaceClass<rk::rigidbody::RigidBodyCapsule>() {
  return collision::kRigidBodyCapsuleClass;
}
template <> inline const LuaClass& interfaceClass<rk::rigidbody::RigidBodyOBB>() {
  return collision::kRigidBodyOBBClass;
}

}  // namespace rk::script
