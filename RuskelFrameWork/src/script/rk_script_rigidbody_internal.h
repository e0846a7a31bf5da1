// The group creators of the rigid-body table, shared by its binding sources.
#pragma once
#include <lua.hpp>

namespace rk::script::rigidbody {

// Each returns one group object; the three same-shape creators read the
// alias flag from argument 1, the others ignore their arguments.
int createCollisionRigidBodySphereSphere(lua_State* L);
int createCollisionRigidBodySphereCapsule(lua_State* L);
int createCollisionRigidBodySphereOBB(lua_State* L);
int createCollisionRigidBodySpherePlane(lua_State* L);
int createCollisionRigidBodySphereGeo(lua_State* L);
int createCollisionRigidBodyCapsuleCapsule(lua_State* L);
int createCollisionRigidBodyCapsuleOBB(lua_State* L);
int createCollisionRigidBodyCapsulePlane(lua_State* L);
int createCollisionRigidBodyCapsuleGeo(lua_State* L);
int createCollisionRigidBodyOBBOBB(lua_State* L);
int createCollisionRigidBodyOBBPlane(lua_State* L);
int createCollisionRigidBodyOBBGeo(lua_State* L);

}  // namespace rk::script::rigidbody

namespace rk::script::rigidbody {

// Script objects behind plain-pointer links stay reachable through
// rk::script::keepLinked (rk_lua_object.h).
using rk::script::keepLinked;

// Appends the value at `valueIndex` to the kept members.
inline void keepMember(lua_State* L, int valueIndex) {
  rk::script::pushKeptTable(L);
  lua_pushvalue(L, valueIndex);
  lua_rawseti(L, -2, static_cast<int>(lua_rawlen(L, -2)) + 1);
  lua_pop(L, 1);
}

}  // namespace rk::script::rigidbody
