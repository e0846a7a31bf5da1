// The math module's script bindings: the 42 globals of the math table and the
// script objects they create (vectors, rays, planes, matrices, curves,
// counters). Other APIs read VEC3, RAY and Matrix arguments through the
// classes below.
#pragma once
#include <lua.hpp>

#include "math/rk_matrix.h"
#include "math/rk_ray.h"
#include "math/rk_vector.h"
#include "script/rk_lua_object.h"
#include "script/rk_script.h"

namespace rk::script {

// The math table, in registration order.
LuaFunctionTable mathFunctionTable();

namespace math {

extern const LuaClass kVec3Class;    // holds a rk::math::Vector4
extern const LuaClass kRayClass;     // holds a rk::math::Ray
extern const LuaClass kPlaneClass;   // holds a rk::math::Vector4 (a, b, c, d)
extern const LuaClass kMatrixClass;  // holds a rk::math::Matrix

// The object at that index, or null for anything else.
inline rk::math::Vector4* toVec3(lua_State* L, int index) {
  return toLuaObject<rk::math::Vector4>(L, index, kVec3Class);
}
inline rk::math::Ray* toRay(lua_State* L, int index) { return toLuaObject<rk::math::Ray>(L, index, kRayClass); }
inline rk::math::Matrix* toMatrix(lua_State* L, int index) {
  return toLuaObject<rk::math::Matrix>(L, index, kMatrixClass);
}

}  // namespace math
}  // namespace rk::script
