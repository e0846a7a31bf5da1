// Helpers and entry points shared by the math binding sources.
#pragma once
#include <cstdint>

#include <lua.hpp>

#include "math/rk_vector.h"
#include "script/rk_lua_arg.h"
#include "script/rk_script_math.h"

namespace rk::script::math {

constexpr const char* kSource = "src/script/rk_script_math";

inline int pushXYZW(lua_State* L, const rk::math::Vector4& v) { return pushNumbers(L, {v.x, v.y, v.z, v.w}); }
// Packed colours and masks reach scripts as non-negative numbers.
inline int pushUnsigned(lua_State* L, std::uint32_t v) {
  lua_pushnumber(L, static_cast<double>(v));
  return 1;
}

// Four numbers from `index` on.
inline rk::math::Vector4 toXYZWArgs(lua_State* L, int index) {
  return {toFloatArg(L, index), toFloatArg(L, index + 1), toFloatArg(L, index + 2), toFloatArg(L, index + 3)};
}
// A number taken as an unsigned 32-bit integer (truncated, wrapped).
inline std::uint32_t toUint32Arg(lua_State* L, int index) { return static_cast<std::uint32_t>(toIntArg(L, index)); }

// Object creators of the math table (each returns one userdata).
int createVEC3(lua_State* L);
int createRAY(lua_State* L);
int createPLANE(lua_State* L);
int createBSpline(lua_State* L);
int createCatmullRom(lua_State* L);
int createCubicBezierCurve(lua_State* L);
int createBezierCurveOnce(lua_State* L);
int createUnaffectedCtrlPointSprline(lua_State* L);
int createMatrix(lua_State* L);
int createCounter(lua_State* L);

// Sphere tests against a RAY.
int calcSphereBoundProbe(lua_State* L);
int calcSphereLineHitPos(lua_State* L);

// Arithmetic on plain numbers: rectangles, vectors, quaternions, planes, colours.
int calcAddRect(lua_State* L);
int calcOffsetRect(lua_State* L);
int calcAnd(lua_State* L);
int vec3Normalize(lua_State* L);
int quatCalcRotAxis(lua_State* L);
int quatCalcTransFormVec3(lua_State* L);
int vec3Dot(lua_State* L);
int vec3Cross(lua_State* L);
int vec3LenSq(lua_State* L);
int vec3Len(lua_State* L);
int vec3MulMtxNormal(lua_State* L);
int vec3MulMtxCoord(lua_State* L);
int quatCalcSlerp(lua_State* L);
int quatCalcMul(lua_State* L);
int quatIdentity(lua_State* L);
int quatCalcYawPitchRoll(lua_State* L);
int calcPlaneFromPointNormal(lua_State* L);
int calcPlaneIntersectLine(lua_State* L);
int convertQuatToEuler(lua_State* L);
int calcToXRGB(lua_State* L);
int calcToARGB(lua_State* L);
int getFltEpsilon(lua_State* L);
int calcColorLerp(lua_State* L);
int calcColorElement(lua_State* L);
int calcPlaneFromPoints(lua_State* L);

}  // namespace rk::script::math
