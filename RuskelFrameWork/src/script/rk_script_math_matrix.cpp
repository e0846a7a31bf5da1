// The Matrix script object: builders for projections, views, rotations,
// scalings and translations, products, inversion, decomposition and
// conversions. Builders overwrite all sixteen elements of the held matrix.
#include <cstring>

#include "../math/rk_xmath_bridge.h"
#include "gfx/rk_camera.h"
#include "kernel/rk_error_log.h"
#include "math/rk_quaternion.h"
#include "rk_script_math_internal.h"

namespace rk::script::math {

using rk::math::Matrix;
using rk::math::Vector4;
using rk::math::bridge::fromX;
using rk::math::bridge::toX;
namespace xm = host::xmath;

const LuaClass kMatrixClass{"rk::math::Matrix"};

namespace {

Matrix* matrix(lua_State* L, const char* name) {
  Matrix* m = toMatrix(L, 1);
  if (!m) reportNullObject(name);
  return m;
}

// Reads the arguments and builds the matrix with `build` (given L); no results.
template <class Build>
int buildInto(lua_State* L, const char* name, Build build) {
  if (Matrix* m = matrix(L, name)) *m = build(L);
  lua_settop(L, 0);
  return 0;
}

float arg(lua_State* L, int i) { return toFloatArg(L, i + 1); }  // i-th number after self

Matrix zero() {
  Matrix r;
  std::memset(&r, 0, sizeof r);
  return r;
}

// ------------------------------------------------------------ projections

int lua_Matrix_identity(lua_State* L) {
  return buildInto(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_identity",
                   [](lua_State*) { return rk::math::matrixIdentity(); });
}

// Off-diagonal elements +0 or -0 and diagonal elements exactly 1, bit for bit.
int lua_Matrix_isIdentity(lua_State* L) {
  Matrix* m = matrix(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_isIdentity");
  lua_settop(L, 0);
  if (!m) return 0;
  bool identity = true;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      std::uint32_t bits;
      std::memcpy(&bits, &m->m[i][j], sizeof bits);
      identity = identity && (i == j ? bits == 0x3F800000u : (bits & 0x7FFFFFFFu) == 0);
    }
  }
  lua_pushboolean(L, identity);
  return 1;
}

int lua_Matrix_perspectiveFovLH(lua_State* L) {
  return buildInto(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_perspectiveFovLH", [](lua_State* L) {
    return rk::math::matrixPerspectiveFovLH(arg(L, 1), arg(L, 2), arg(L, 3), arg(L, 4));
  });
}

int lua_Matrix_perspectiveLH(lua_State* L) {
  return buildInto(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_perspectiveLH", [](lua_State* L) {
    const float w = arg(L, 1), h = arg(L, 2), n = arg(L, 3), f = arg(L, 4);
    const float range = f / (f - n);
    Matrix r = zero();
    r.m[0][0] = 2.0f * n / w;
    r.m[1][1] = 2.0f * n / h;
    r.m[2][2] = range;
    r.m[2][3] = 1.0f;
    r.m[3][2] = -range * n;
    return r;
  });
}

int lua_Matrix_perspectiveOffCenterLH(lua_State* L) {
  return buildInto(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_perspectiveOffCenterLH", [](lua_State* L) {
    const float l = arg(L, 1), rt = arg(L, 2), b = arg(L, 3), t = arg(L, 4), n = arg(L, 5), f = arg(L, 6);
    const float range = f / (f - n);
    Matrix r = zero();
    r.m[0][0] = 2.0f * n / (rt - l);
    r.m[1][1] = 2.0f * n / (t - b);
    r.m[2][0] = -(l + rt) / (rt - l);
    r.m[2][1] = -(t + b) / (t - b);
    r.m[2][2] = range;
    r.m[2][3] = 1.0f;
    r.m[3][2] = -range * n;
    return r;
  });
}

int lua_Matrix_orthoLH(lua_State* L) {
  return buildInto(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_orthoLH", [](lua_State* L) {
    return rk::math::matrixOrthographicLH(arg(L, 1), arg(L, 2), arg(L, 3), arg(L, 4));
  });
}

int lua_Matrix_orthoOffCenterLH(lua_State* L) {
  return buildInto(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_orthoOffCenterLH", [](lua_State* L) {
    return rk::math::matrixOrthographicOffCenterLH(arg(L, 1), arg(L, 2), arg(L, 3), arg(L, 4), arg(L, 5), arg(L, 6));
  });
}

// eye, target and up as nine numbers.
struct LookArgs {
  Vector4 eye, target, up;
};
LookArgs lookArgs(lua_State* L) { return {toXYZArgs(L, 2), toXYZArgs(L, 5), toXYZArgs(L, 8)}; }

int lua_Matrix_lookAtLH(lua_State* L) {
  return buildInto(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_lookAtLH", [](lua_State* L) {
    const LookArgs a = lookArgs(L);
    return fromX(xm::matrixLookToLH(toX(a.eye), toX(a.target.minus(a.eye)), toX(a.up)));
  });
}

int lua_Matrix_perspectiveFovRH(lua_State* L) {
  return buildInto(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_perspectiveFovRH", [](lua_State* L) {
    return fromX(xm::matrixPerspectiveFovRH(arg(L, 1), arg(L, 2), arg(L, 3), arg(L, 4)));
  });
}

// The right-handed perspective projection of a view volume width x height at
// the near plane.
int lua_Matrix_perspectiveRH(lua_State* L) {
  return buildInto(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_perspectiveRH", [](lua_State* L) {
    const float w = arg(L, 1), h = arg(L, 2), n = arg(L, 3), f = arg(L, 4);
    const float range = f / (n - f);
    Matrix r = zero();
    r.m[0][0] = 2.0f * n / w;
    r.m[1][1] = 2.0f * n / h;
    r.m[2][2] = range;
    r.m[2][3] = -1.0f;
    r.m[3][2] = range * n;
    return r;
  });
}

int lua_Matrix_perspectiveOffCenterRH(lua_State* L) {
  return buildInto(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_perspectiveOffCenterRH", [](lua_State* L) {
    const float l = arg(L, 1), rt = arg(L, 2), b = arg(L, 3), t = arg(L, 4), n = arg(L, 5), f = arg(L, 6);
    const float range = f / (n - f);
    Matrix r = zero();
    r.m[0][0] = 2.0f * n / (rt - l);
    r.m[1][1] = 2.0f * n / (t - b);
    r.m[2][0] = (l + rt) / (rt - l);
    r.m[2][1] = (t + b) / (t - b);
    r.m[2][2] = range;
    r.m[2][3] = -1.0f;
    r.m[3][2] = range * n;
    return r;
  });
}

int lua_Matrix_orthoRH(lua_State* L) {
  return buildInto(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_orthoRH", [](lua_State* L) {
    const float w = arg(L, 1), h = arg(L, 2), n = arg(L, 3), f = arg(L, 4);
    const float range = 1.0f / (n - f);
    Matrix r = zero();
    r.m[0][0] = 2.0f / w;
    r.m[1][1] = 2.0f / h;
    r.m[2][2] = range;
    r.m[3][2] = range * n;
    r.m[3][3] = 1.0f;
    return r;
  });
}

int lua_Matrix_orthoOffCenterRH(lua_State* L) {
  return buildInto(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_orthoOffCenterRH", [](lua_State* L) {
    const float l = arg(L, 1), rt = arg(L, 2), b = arg(L, 3), t = arg(L, 4), n = arg(L, 5), f = arg(L, 6);
    const float range = 1.0f / (n - f);
    Matrix r = zero();
    r.m[0][0] = 2.0f / (rt - l);
    r.m[1][1] = 2.0f / (t - b);
    r.m[2][2] = range;
    r.m[3][0] = -(l + rt) / (rt - l);
    r.m[3][1] = -(t + b) / (t - b);
    r.m[3][2] = range * n;
    r.m[3][3] = 1.0f;
    return r;
  });
}

// The left-handed look-to matrix along eye - target: the view from the other side.
int lua_Matrix_lookAtRH(lua_State* L) {
  return buildInto(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_lookAtRH", [](lua_State* L) {
    const LookArgs a = lookArgs(L);
    return fromX(xm::matrixLookToLH(toX(a.eye), toX(a.eye.minus(a.target)), toX(a.up)));
  });
}

// ----------------------------------------------------- transforms of self

int lua_Matrix_inverse(lua_State* L) {
  if (Matrix* m = matrix(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_inverse"))
    *m = rk::math::matrixInverse(*m);
  lua_settop(L, 0);
  return 0;
}

int lua_Matrix_reflect(lua_State* L) {
  return buildInto(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_reflect", [](lua_State* L) {
    const Vector4 p = toXYZWArgs(L, 2);
    const Vector4 n = rk::math::vec3Normalize(p);  // all four scaled by 1 / |(a, b, c)|
    const float a = n.x, b = n.y, c = n.z, d = n.w;
    Matrix r = zero();
    r.m[0][0] = 1.0f - 2.0f * a * a, r.m[0][1] = -2.0f * a * b, r.m[0][2] = -2.0f * a * c;
    r.m[1][0] = -2.0f * a * b, r.m[1][1] = 1.0f - 2.0f * b * b, r.m[1][2] = -2.0f * b * c;
    r.m[2][0] = -2.0f * a * c, r.m[2][1] = -2.0f * b * c, r.m[2][2] = 1.0f - 2.0f * c * c;
    r.m[3][0] = -2.0f * a * d, r.m[3][1] = -2.0f * b * d, r.m[3][2] = -2.0f * c * d, r.m[3][3] = 1.0f;
    return r;
  });
}

int lua_Matrix_rotationAxis(lua_State* L) {
  return buildInto(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_rotationAxis",
                   [](lua_State* L) { return rk::math::matrixRotationAxis(toXYZArgs(L, 2), arg(L, 4)); });
}

// self = A * B (or its transpose), formed before it is stored so self may be A or B.
template <bool Transpose>
int product(lua_State* L, const char* name) {
  Matrix* m = matrix(L, name);
  Matrix* a = toMatrix(L, 2);
  Matrix* b = toMatrix(L, 3);
  if (m && (!a || !b)) reportNullObject(name);
  if (m && a && b) {
    const Matrix r = rk::math::matrixMultiply(*a, *b);
    *m = Transpose ? rk::math::matrixTranspose(r) : r;
  }
  lua_settop(L, 0);
  return 0;
}

int lua_Matrix_multiply(lua_State* L) {
  return product<false>(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_multiply");
}
int lua_Matrix_multiplyTranspose(lua_State* L) {
  return product<true>(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_multiplyTranspose");
}

int lua_Matrix_scaling(lua_State* L) {
  return buildInto(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_scaling",
                   [](lua_State* L) { return rk::math::matrixScaling(arg(L, 1), arg(L, 2), arg(L, 3)); });
}

int lua_Matrix_rotationX(lua_State* L) {
  return buildInto(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_rotationX",
                   [](lua_State* L) { return rk::math::matrixRotationX(arg(L, 1)); });
}

int lua_Matrix_rotationY(lua_State* L) {
  return buildInto(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_rotationY", [](lua_State* L) {
    float s, c;
    xm::scalarSinCos(&s, &c, arg(L, 1));
    Matrix r = zero();
    r.m[0][0] = c, r.m[0][2] = -s;
    r.m[1][1] = 1.0f;
    r.m[2][0] = s, r.m[2][2] = c;
    r.m[3][3] = 1.0f;
    return r;
  });
}

int lua_Matrix_rotationZ(lua_State* L) {
  return buildInto(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_rotationZ",
                   [](lua_State* L) { return fromX(xm::matrixRotationZ(arg(L, 1))); });
}

int lua_Matrix_translation(lua_State* L) {
  return buildInto(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_translation",
                   [](lua_State* L) { return rk::math::matrixTranslation(arg(L, 1), arg(L, 2), arg(L, 3)); });
}

// pitch, yaw, roll
int lua_Matrix_rotation(lua_State* L) {
  return buildInto(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_rotation",
                   [](lua_State* L) { return fromX(xm::matrixRotationRollPitchYaw(arg(L, 1), arg(L, 2), arg(L, 3))); });
}

int lua_Matrix_transpose(lua_State* L) {
  if (Matrix* m = matrix(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_transpose"))
    *m = rk::math::matrixTranspose(*m);
  lua_settop(L, 0);
  return 0;
}

int lua_Matrix_toEuler(lua_State* L) {
  Matrix* m = matrix(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_toEuler");
  lua_settop(L, 0);
  return m ? pushXYZ(L, rk::math::matrixToYawPitchRoll(*m)) : 0;  // pitch, yaw, roll
}

// yaw, pitch, roll: the same rotation as "rotation"(pitch, yaw, roll).
int lua_Matrix_rotationYawPitchRoll(lua_State* L) {
  return buildInto(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_rotationYawPitchRoll",
                   [](lua_State* L) { return fromX(xm::matrixRotationRollPitchYaw(arg(L, 2), arg(L, 1), arg(L, 3))); });
}

// Scale, rotation quaternion, translation; whether the split succeeded is not reported.
int lua_Matrix_decompose(lua_State* L) {
  Matrix* m = matrix(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_decompose");
  lua_settop(L, 0);
  if (!m) return 0;
  xm::Vector scale{0.0f, 0.0f, 0.0f, 0.0f}, rotation{0.0f, 0.0f, 0.0f, 1.0f}, translation{0.0f, 0.0f, 0.0f, 0.0f};
  xm::matrixDecompose(&scale, &rotation, &translation, toX(*m));
  return pushXYZ(L, fromX(scale)) + pushXYZW(L, fromX(rotation)) + pushXYZ(L, fromX(translation));
}

int lua_Matrix_determinant(lua_State* L) {
  Matrix* m = matrix(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_determinant");
  lua_settop(L, 0);
  return m ? pushNumbers(L, {xm::matrixDeterminant(toX(*m))}) : 0;
}

int lua_Matrix_copy(lua_State* L) {
  Matrix* m = matrix(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_copy");
  Matrix* source = toMatrix(L, 2);
  if (m && !source) reportNullObject("rk::script::math::`anonymous-namespace'::lua_Matrix_copy");
  if (m && source) *m = *source;
  lua_settop(L, 0);
  return 0;
}

// Camera A number, camera B number, M: self := M carried from camera A's clip
// space into camera B's. A camera that does not exist is reported and leaves
// the matrix unchanged, as does an M that is no matrix.
int lua_Matrix_calcCameraToCameraWorld(lua_State* L) {
  const char* kName = "rk::script::math::`anonymous-namespace'::lua_Matrix_calcCameraToCameraWorld";
  Matrix* self = matrix(L, kName);
  const auto numberA = static_cast<std::uint32_t>(toInt64Arg(L, 2));
  const auto numberB = static_cast<std::uint32_t>(toInt64Arg(L, 3));
  const Matrix* m = toMatrix(L, 4);
  lua_settop(L, 0);
  if (!self) return 0;
  rk::gfx::CameraManager* cameras = rk::gfx::CameraManager::getInstance();
  if (!cameras) return 0;
  const rk::gfx::Camera* a = cameras->getCamera(static_cast<int>(numberA));
  if (!a) {
    debug::writeErrorLog(kSource, 2834, kName);
    return 0;
  }
  const rk::gfx::Camera* b = cameras->getCamera(static_cast<int>(numberB));
  if (!b) {
    debug::writeErrorLog(kSource, 2835, kName);
    return 0;
  }
  if (!m) {
    reportNullObject(kName);
    return 0;
  }
  *self = rk::math::matrixBetweenCameras(*a, *b, *m);
  return 0;
}

int lua_Matrix_swapYZ(lua_State* L) {
  if (Matrix* m = matrix(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_swapYZ"))
    for (int j = 0; j < 3; ++j) std::swap(m->m[1][j], m->m[2][j]);
  lua_settop(L, 0);
  return 0;
}

int lua_Matrix_toQuat(lua_State* L) {
  Matrix* m = matrix(L, "rk::script::math::`anonymous-namespace'::lua_Matrix_toQuat");
  lua_settop(L, 0);
  return m ? pushXYZW(L, fromX(xm::quaternionRotationMatrix(toX(*m)))) : 0;
}

const luaL_Reg kMatrixMethods[] = {
    {"identity", lua_Matrix_identity},
    {"isIdentity", lua_Matrix_isIdentity},
    {"perspectiveFovLH", lua_Matrix_perspectiveFovLH},
    {"perspectiveLH", lua_Matrix_perspectiveLH},
    {"perspectiveOffCenterLH", lua_Matrix_perspectiveOffCenterLH},
    {"orthoLH", lua_Matrix_orthoLH},
    {"orthoOffCenterLH", lua_Matrix_orthoOffCenterLH},
    {"lookAtLH", lua_Matrix_lookAtLH},
    {"perspectiveFovRH", lua_Matrix_perspectiveFovRH},
    {"perspectiveRH", lua_Matrix_perspectiveRH},
    {"perspectiveOffCenterRH", lua_Matrix_perspectiveOffCenterRH},
    {"orthoRH", lua_Matrix_orthoRH},
    {"orthoOffCenterRH", lua_Matrix_orthoOffCenterRH},
    {"lookAtRH", lua_Matrix_lookAtRH},
    {"inverse", lua_Matrix_inverse},
    {"reflect", lua_Matrix_reflect},
    {"rotationAxis", lua_Matrix_rotationAxis},
    {"multiply", lua_Matrix_multiply},
    {"multiplyTranspose", lua_Matrix_multiplyTranspose},
    {"scaling", lua_Matrix_scaling},
    {"rotationX", lua_Matrix_rotationX},
    {"rotationY", lua_Matrix_rotationY},
    {"rotationZ", lua_Matrix_rotationZ},
    {"translation", lua_Matrix_translation},
    {"rotation", lua_Matrix_rotation},
    {"transpose", lua_Matrix_transpose},
    {"toEuler", lua_Matrix_toEuler},
    {"rotationYawPitchRoll", lua_Matrix_rotationYawPitchRoll},
    {"decompose", lua_Matrix_decompose},
    {"determinant", lua_Matrix_determinant},
    {"copy", lua_Matrix_copy},
    {"calcCameraToCameraWorld", lua_Matrix_calcCameraToCameraWorld},
    {"swapYZ", lua_Matrix_swapYZ},
    {"toQuat", lua_Matrix_toQuat},
    {nullptr, nullptr},
};

}  // namespace

// A new matrix starts as the identity.
int createMatrix(lua_State* L) {
  return pushLuaObject(L, new Matrix(rk::math::matrixIdentity()), kMatrixClass, kMatrixMethods,
                       lua_gcDeleteObject<Matrix, kMatrixClass>);
}

}  // namespace rk::script::math
