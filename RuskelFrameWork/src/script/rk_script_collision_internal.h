// Helpers and creators shared by the collision binding sources.
#pragma once
#include <initializer_list>

#include <lua.hpp>

#include "math/rk_vector.h"
#include "script/rk_lua_arg.h"
#include "script/rk_script_collision.h"

// The qualified name of a binding, as its error-log entries write it.
#define RK_COLLISION_BINDING(name) "rk::script::collision::`anonymous-namespace'::" name

namespace rk::script::collision {

inline int pushNumbers(lua_State* L, std::initializer_list<double> values) {
  for (double v : values) lua_pushnumber(L, v);
  return static_cast<int>(values.size());
}
inline int pushXYZ(lua_State* L, const rk::math::Vector4& v) { return pushNumbers(L, {v.x, v.y, v.z}); }
// Three numbers from `index` on, as (x, y, z, 0).
inline rk::math::Vector4 toXYZArgs(lua_State* L, int index) {
  return {toFloatArg(L, index), toFloatArg(L, index + 1), toFloatArg(L, index + 2), 0.0f};
}

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
