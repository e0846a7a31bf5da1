// Math globals that work on plain numbers: rectangles, bit masks, vectors,
// quaternions, planes and packed colours. Arguments that are not numbers read
// as 0; several results come back as several values. Results are pushed above
// the arguments (Lua takes the topmost values), saving a stack reset per call.
#include <algorithm>
#include <cmath>

#include "../math/rk_xmath_bridge.h"
#include "gfx/rk_color.h"
#include "math/rk_plane.h"
#include "math/rk_quaternion.h"
#include "rk_script_math_internal.h"

namespace rk::script::math {

using rk::math::Matrix;
using rk::math::Vector4;
using rk::math::bridge::fromX;
using rk::math::bridge::toX;
namespace xm = host::xmath;

namespace {

// Reports a missing Matrix argument and pushes three zeros.
int matrixMissing(lua_State* L, const char* name) {
  reportNullObject(name);
  return pushNumbers(L, {0, 0, 0});
}

// Integer sums wrap instead of overflowing.
int wrapAdd(int a, int b) { return static_cast<int>(static_cast<unsigned>(a) + static_cast<unsigned>(b)); }


// channel * 255, truncated toward zero (wrapped like any script integer).
std::uint32_t channelByte(float channel) {
  return static_cast<std::uint32_t>(truncateWrapToInt32(static_cast<double>(channel * 255.0f)));
}

}  // namespace

// ------------------------------------------------------------ rectangles

int calcAddRect(lua_State* L) {
  int v[8];
  for (int i = 0; i < 8; ++i) v[i] = toIntArg(L, i + 1);
  return pushNumbers(L, {static_cast<double>(std::min(v[0], v[4])), static_cast<double>(std::min(v[1], v[5])),
                         static_cast<double>(std::max(v[2], v[6])), static_cast<double>(std::max(v[3], v[7]))});
}

int calcOffsetRect(lua_State* L) {
  const int left = toIntArg(L, 1), top = toIntArg(L, 2), right = toIntArg(L, 3), bottom = toIntArg(L, 4);
  const int dx = toIntArg(L, 5), dy = toIntArg(L, 6);
  return pushNumbers(L, {static_cast<double>(wrapAdd(left, dx)), static_cast<double>(wrapAdd(top, dy)),
                         static_cast<double>(wrapAdd(right, dx)), static_cast<double>(wrapAdd(bottom, dy))});
}

int calcAnd(lua_State* L) {
  const std::uint32_t a = toUint32Arg(L, 1), b = toUint32Arg(L, 2);
  return pushUnsigned(L, a & b);
}

// --------------------------------------------------------------- vectors

int vec3Normalize(lua_State* L) {
  const Vector4 v = toXYZArgs(L, 1);
  return pushXYZ(L, rk::math::vec3Normalize(v));
}

int vec3Dot(lua_State* L) {
  const Vector4 a = toXYZArgs(L, 1), b = toXYZArgs(L, 4);
  return pushNumbers(L, {rk::math::vec3Dot(a, b)});
}

int vec3Cross(lua_State* L) {
  const Vector4 a = toXYZArgs(L, 1), b = toXYZArgs(L, 4);
  return pushXYZ(L, rk::math::vec3Cross(a, b));
}

int vec3LenSq(lua_State* L) {
  const Vector4 v = toXYZArgs(L, 1);
  return pushNumbers(L, {rk::math::vec3LengthSq(v)});
}

int vec3Len(lua_State* L) {
  const Vector4 v = toXYZArgs(L, 1);
  return pushNumbers(L, {rk::math::vec3Length(v)});
}

int vec3MulMtxNormal(lua_State* L) {
  const Vector4 v = toXYZArgs(L, 1);
  Matrix* m = toMatrix(L, 4);
  lua_settop(L, 0);
  if (!m) return matrixMissing(L, "rk::script::math::`anonymous-namespace'::vec3MulMtxNormal");
  return pushXYZ(L, rk::math::vec3TransformNormal(v, *m));
}

int vec3MulMtxCoord(lua_State* L) {
  const Vector4 v = toXYZArgs(L, 1);
  Matrix* m = toMatrix(L, 4);
  lua_settop(L, 0);
  if (!m) return matrixMissing(L, "rk::script::math::`anonymous-namespace'::vec3MulMtxCoord");
  return pushXYZ(L, rk::math::vec3TransformCoord(v, *m));
}

// ----------------------------------------------------------- quaternions

int quatCalcRotAxis(lua_State* L) {
  const Vector4 axis = toXYZArgs(L, 1);
  const float angle = toFloatArg(L, 4);
  return pushXYZW(L, rk::math::quaternionRotationAxis(axis, angle));
}

// The quaternion's rotation matrix is used as it stands (not normalised).
int quatCalcTransFormVec3(lua_State* L) {
  const Vector4 q = toXYZWArgs(L, 1);
  const Vector4 v = toXYZArgs(L, 5);
  return pushXYZ(L, rk::math::vec3TransformNormal(v, rk::math::matrixFromQuaternion(q)));
}

int quatCalcSlerp(lua_State* L) {
  const Vector4 q1 = toXYZWArgs(L, 1), q2 = toXYZWArgs(L, 5);
  const float t = toFloatArg(L, 9);
  return pushXYZW(L, fromX(xm::quaternionSlerp(toX(q1), toX(q2), t)));
}

// The rotation q1 followed by q2.
int quatCalcMul(lua_State* L) {
  const Vector4 a = toXYZWArgs(L, 1), b = toXYZWArgs(L, 5);
  return pushNumbers(L, {b.w * a.x + b.x * a.w + b.y * a.z - b.z * a.y, b.w * a.y - b.x * a.z + b.y * a.w + b.z * a.x,
                         b.w * a.z + b.x * a.y - b.y * a.x + b.z * a.w, b.w * a.w - b.x * a.x - b.y * a.y - b.z * a.z});
}

int quatIdentity(lua_State* L) {
  return pushNumbers(L, {0, 0, 0, 1});
}

// yaw, pitch, roll
int quatCalcYawPitchRoll(lua_State* L) {
  const float yaw = toFloatArg(L, 1), pitch = toFloatArg(L, 2), roll = toFloatArg(L, 3);
  return pushXYZW(L, rk::math::quaternionFromYawPitchRoll(yaw, pitch, roll));
}

// x, y, z, w -> pitch, yaw, roll of the normalised quaternion's rotation.
int convertQuatToEuler(lua_State* L) {
  const Vector4 q = toXYZWArgs(L, 1);
  lua_settop(L, 0);
  const Vector4 unit = fromX(xm::quaternionNormalize(toX(q)));
  return pushXYZ(L, rk::math::matrixToYawPitchRoll(rk::math::matrixFromQuaternion(unit)));
}

// ---------------------------------------------------------------- planes

int calcPlaneFromPointNormal(lua_State* L) {
  const Vector4 p = toXYZArgs(L, 1), n = toXYZArgs(L, 4);
  return pushXYZW(L, rk::math::planeFromPointNormal(p, n));
}

// hit, x, y, z; a line parallel to the plane gives false and three NaNs.
int calcPlaneIntersectLine(lua_State* L) {
  const Vector4 plane = toXYZWArgs(L, 1);
  const Vector4 l1 = toXYZArgs(L, 5), l2 = toXYZArgs(L, 8);
  lua_settop(L, 0);
  Vector4 hit;
  lua_pushboolean(L, rk::math::planeIntersectLine(plane, l1, l2, hit) != nullptr);
  return 1 + pushXYZ(L, hit);
}

int calcPlaneFromPoints(lua_State* L) {
  const Vector4 p1 = toXYZArgs(L, 1), p2 = toXYZArgs(L, 4), p3 = toXYZArgs(L, 7);
  return pushXYZW(L, rk::math::planeFromPoints(p1, p2, p3));
}

int getFltEpsilon(lua_State* L) {
  return pushNumbers(L, {rk::math::kFloatEpsilon});
}

// --------------------------------------------------------------- colours

int calcToXRGB(lua_State* L) {
  const std::uint32_t r = toUint32Arg(L, 1) & 255u, g = toUint32Arg(L, 2) & 255u, b = toUint32Arg(L, 3) & 255u;
  return pushUnsigned(L, 0xFF000000u | r << 16 | g << 8 | b);
}

int calcToARGB(lua_State* L) {
  const std::uint32_t a = toUint32Arg(L, 1) & 255u, r = toUint32Arg(L, 2) & 255u, g = toUint32Arg(L, 3) & 255u,
                      b = toUint32Arg(L, 4) & 255u;
  return pushUnsigned(L, a << 24 | r << 16 | g << 8 | b);
}

// colour1, colour2, t: each channel c1 + (c2 - c1) t, times 255, truncated.
int calcColorLerp(lua_State* L) {
  const rk::gfx::Color c1 = rk::gfx::colorFromArgb(toUint32Arg(L, 1)), c2 = rk::gfx::colorFromArgb(toUint32Arg(L, 2));
  const float t = toFloatArg(L, 3);
  lua_settop(L, 0);
  auto lerp = [t](float a, float b) { return channelByte(a + (b - a) * t); };
  const std::uint32_t a = lerp(c1.getA(), c2.getA()), r = lerp(c1.getR(), c2.getR()), g = lerp(c1.getG(), c2.getG()),
                      b = lerp(c1.getB(), c2.getB());
  return pushUnsigned(L, (a << 24) + ((r & 255u) << 16) + ((g & 255u) << 8) + (b & 255u));
}

// alpha, red, green, blue, each 0 to 255.
int calcColorElement(lua_State* L) {
  const rk::gfx::Color c = rk::gfx::colorFromArgb(toUint32Arg(L, 1));
  return pushNumbers(L, {static_cast<double>(channelByte(c.getA())), static_cast<double>(channelByte(c.getR())),
                         static_cast<double>(channelByte(c.getG())), static_cast<double>(channelByte(c.getB()))});
}

}  // namespace rk::script::math
