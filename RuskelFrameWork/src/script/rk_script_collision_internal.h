// Helpers and creators shared by the collision binding sources.
#pragma once
#include <lua.hpp>

#include "math/rk_vector.h"
#include "script/rk_lua_arg.h"
#include "script/rk_script_collision.h"

// The qualified name of a binding, as its error-log entries write it.
#define RK_COLLISION_BINDING(name) "rk::script::collision::`anonymous-namespace'::" name

namespace rk::script::collision {

// Object creators of the collision table; each ignores its arguments and
// returns one userdata.
int createCollisionSphere(lua_State* L);
int createCollisionCapsule(lua_State* L);
int createCollisionOBB(lua_State* L);
int createCollisionPlane(lua_State* L);
int createCollisionGeo(lua_State* L);
int createRigidBodySphereList(lua_State* L);
int createRigidBodyCapsuleList(lua_State* L);
int createRigidBodyOBBList(lua_State* L);

}  // namespace rk::script::collision
