// VEC3, RAY and PLANE script objects, and the sphere tests against a RAY.
#include <cmath>

#include "kernel/rk_error_log.h"
#include "math/rk_plane.h"
#include "rk_script_math_internal.h"

namespace rk::script::math {

using rk::math::Ray;
using rk::math::Vector4;

const LuaClass kVec3Class{"rk::math::Vector4"};
const LuaClass kRayClass{"rk::math::Ray"};
const LuaClass kPlaneClass{"rk::math::Vector4 (plane)"};

namespace {

// ------------------------------------------------------------------ VEC3

Vector4* vec3(lua_State* L, const char* name) {
  Vector4* v = toVec3(L, 1);
  if (!v) reportNullObject(name);
  return v;
}

int lua_VEC3_setPos(lua_State* L) {
  if (!lua_isuserdata(L, 1)) {
    debug::writeErrorLog(kSource, 84, "rk::script::math::`anonymous-namespace'::lua_VEC3_setPos");
  } else if (Vector4* v = toVec3(L, 1)) {
    v->x = toFloatArg(L, 2), v->y = toFloatArg(L, 3), v->z = toFloatArg(L, 4);
  } else {
    debug::writeErrorLog(kSource, 87, "rk::script::math::`anonymous-namespace'::lua_VEC3_setPos");
  }
  lua_settop(L, 0);
  return 0;
}

int lua_VEC3_getPos(lua_State* L) {
  Vector4* v = vec3(L, "rk::script::math::`anonymous-namespace'::lua_VEC3_getPos");
  return v ? pushXYZ(L, *v) : 0;
}

template <float Vector4::*Component>
int getComponent(lua_State* L, const char* name) {
  Vector4* v = vec3(L, name);
  if (!v) return 0;
  lua_pushnumber(L, (*v).*Component);
  return 1;
}

template <float Vector4::*Component>
int setComponent(lua_State* L, const char* name) {
  if (Vector4* v = vec3(L, name)) (*v).*Component = toFloatArg(L, 2);
  lua_settop(L, 0);
  return 0;
}

int lua_VEC3_getX(lua_State* L) {
  return getComponent<&Vector4::x>(L, "rk::script::math::`anonymous-namespace'::lua_VEC3_getX");
}
int lua_VEC3_getY(lua_State* L) {
  return getComponent<&Vector4::y>(L, "rk::script::math::`anonymous-namespace'::lua_VEC3_getY");
}
int lua_VEC3_getZ(lua_State* L) {
  return getComponent<&Vector4::z>(L, "rk::script::math::`anonymous-namespace'::lua_VEC3_getZ");
}
int lua_VEC3_setX(lua_State* L) {
  return setComponent<&Vector4::x>(L, "rk::script::math::`anonymous-namespace'::lua_VEC3_setX");
}
int lua_VEC3_setY(lua_State* L) {
  return setComponent<&Vector4::y>(L, "rk::script::math::`anonymous-namespace'::lua_VEC3_setY");
}
int lua_VEC3_setZ(lua_State* L) {
  return setComponent<&Vector4::z>(L, "rk::script::math::`anonymous-namespace'::lua_VEC3_setZ");
}

int lua_VEC3_calcNormalize(lua_State* L) {
  Vector4* v = vec3(L, "rk::script::math::`anonymous-namespace'::lua_VEC3_calcNormalize");
  lua_settop(L, 0);
  return v ? pushXYZ(L, rk::math::vec3Normalize(*v)) : 0;
}

int pushVec3(lua_State* L, const Vector4& v);

template <bool Add>
int combine(lua_State* L, const char* name) {
  Vector4* a = toVec3(L, 1);
  Vector4* b = toVec3(L, 2);
  if (!a || !b) {
    reportNullObject(name);
    lua_settop(L, 0);
    return 0;
  }
  return pushVec3(L, Add ? a->plus(*b) : a->minus(*b));
}

int lua_VEC3___add(lua_State* L) { return combine<true>(L, "rk::script::math::`anonymous-namespace'::lua_VEC3___add"); }
int lua_VEC3___sub(lua_State* L) {
  return combine<false>(L, "rk::script::math::`anonymous-namespace'::lua_VEC3___sub");
}

int lua_VEC3___gc(lua_State* L) { return lua_gcDeleteObject<Vector4, kVec3Class>(L); }

const luaL_Reg kVec3Methods[] = {
    {"setPos", lua_VEC3_setPos}, {"getPos", lua_VEC3_getPos}, {"getX", lua_VEC3_getX},
    {"getY", lua_VEC3_getY},     {"getZ", lua_VEC3_getZ},     {"setX", lua_VEC3_setX},
    {"setY", lua_VEC3_setY},     {"setZ", lua_VEC3_setZ},     {"calcNormalize", lua_VEC3_calcNormalize},
    {"__add", lua_VEC3___add},   {"__sub", lua_VEC3___sub},   {nullptr, nullptr},
};

// "__add" and "__sub" sit in the method table and in the metatable, so
// scripts may write a + b as well as a:__add(b).
class Vec3Methods : public ILuaMethod {
 public:
  void registerMethods(lua_State* L) override { setMethods(L, kVec3Methods); }
  void setMetatable(lua_State* L) override {
    lua_pushcfunction(L, lua_VEC3___add);
    lua_setfield(L, 2, "__add");
    lua_pushcfunction(L, lua_VEC3___sub);
    lua_setfield(L, 2, "__sub");
    setObjectMetatable(L, lua_VEC3___gc);
  }
};

int pushVec3(lua_State* L, const Vector4& v) {
  Vec3Methods methods;
  return pushLuaObject(L, methods, new Vector4(v), kVec3Class);
}

// ------------------------------------------------------------------- RAY

Ray* ray(lua_State* L, const char* name) {
  Ray* r = toRay(L, 1);
  if (!r) reportNullObject(name);
  return r;
}

int lua_RAY_setPos(lua_State* L) {
  if (Ray* r = ray(L, "rk::script::math::`anonymous-namespace'::lua_RAY_setPos")) {
    Vector4 p = r->getPos();
    p.x = toFloatArg(L, 2), p.y = toFloatArg(L, 3), p.z = toFloatArg(L, 4);
    r->setPos(p);
  }
  lua_settop(L, 0);
  return 0;
}

int lua_RAY_getPos(lua_State* L) {
  Ray* r = ray(L, "rk::script::math::`anonymous-namespace'::lua_RAY_getPos");
  lua_settop(L, 0);
  return r ? pushXYZ(L, r->getPos()) : 0;
}

int lua_RAY_setNormal(lua_State* L) {
  if (Ray* r = ray(L, "rk::script::math::`anonymous-namespace'::lua_RAY_setNormal")) {
    Vector4 n = r->getNormal();
    n.x = toFloatArg(L, 2), n.y = toFloatArg(L, 3), n.z = toFloatArg(L, 4);
    r->setNormal(n);
  }
  lua_settop(L, 0);
  return 0;
}

int lua_RAY_getNormal(lua_State* L) {
  Ray* r = ray(L, "rk::script::math::`anonymous-namespace'::lua_RAY_getNormal");
  lua_settop(L, 0);
  return r ? pushXYZ(L, r->getNormal()) : 0;
}

int lua_RAY_calcNormalize(lua_State* L) {
  Ray* r = ray(L, "rk::script::math::`anonymous-namespace'::lua_RAY_calcNormalize");
  lua_settop(L, 0);
  return r ? pushXYZ(L, rk::math::vec3Normalize(r->getNormal())) : 0;
}

const luaL_Reg kRayMethods[] = {
    {"setPos", lua_RAY_setPos},
    {"getPos", lua_RAY_getPos},
    {"setNormal", lua_RAY_setNormal},
    {"getNormal", lua_RAY_getNormal},
    {"calcNormalize", lua_RAY_calcNormalize},
    {nullptr, nullptr},
};

// ----------------------------------------------------------------- PLANE

Vector4* plane(lua_State* L, const char* name) {
  auto* p = toLuaObject<Vector4>(L, 1, kPlaneClass);
  if (!p) reportNullObject(name);
  return p;
}

int lua_PLANE_calcFromPointNormal(lua_State* L) {
  Vector4* p = plane(L, "rk::script::math::`anonymous-namespace'::lua_PLANE_calcFromPointNormal");
  Vector4* point = toVec3(L, 2);
  Vector4* normal = toVec3(L, 3);
  if (p && (!point || !normal))
    reportNullObject("rk::script::math::`anonymous-namespace'::lua_PLANE_calcFromPointNormal");
  if (p && point && normal) *p = rk::math::planeFromPointNormal(*point, *normal);
  lua_settop(L, 0);
  return 0;
}

int lua_PLANE_calcPlaneIntersectLine(lua_State* L) {
  Vector4* p = plane(L, "rk::script::math::`anonymous-namespace'::lua_PLANE_calcPlaneIntersectLine");
  Vector4* l1 = toVec3(L, 2);
  Vector4* l2 = toVec3(L, 3);
  lua_settop(L, 0);
  if (!p) return 0;
  if (!l1 || !l2) {
    reportNullObject("rk::script::math::`anonymous-namespace'::lua_PLANE_calcPlaneIntersectLine");
    return 0;
  }
  Vector4 hit;
  const bool found = rk::math::planeIntersectLine(*p, *l1, *l2, hit) != nullptr;
  lua_pushboolean(L, found);
  return 1 + pushXYZ(L, hit);
}

const luaL_Reg kPlaneMethods[] = {
    {"calcFromPointNormal", lua_PLANE_calcFromPointNormal},
    {"calcPlaneIntersectLine", lua_PLANE_calcPlaneIntersectLine},
    {nullptr, nullptr},
};

}  // namespace

int createVEC3(lua_State* L) { return pushVec3(L, Vector4{0.0f, 0.0f, 0.0f, 0.0f}); }

int createRAY(lua_State* L) {
  return pushLuaObject(L, new Ray, kRayClass, kRayMethods, lua_gcDeleteObject<Ray, kRayClass>);
}

// A new plane is (0, 0, 0, 0) until calcFromPointNormal sets it.
int createPLANE(lua_State* L) {
  return pushLuaObject(L, new Vector4{0.0f, 0.0f, 0.0f, 0.0f}, kPlaneClass, kPlaneMethods,
                       lua_gcDeleteObject<Vector4, kPlaneClass>);
}

// The ray's normal is expected to be a unit vector.
int calcSphereBoundProbe(lua_State* L) {
  Vector4* centre = toVec3(L, 1);
  const float radius = toFloatArg(L, 2);
  Ray* r = toRay(L, 3);
  lua_settop(L, 0);
  if (!centre || !r) {
    reportNullObject("rk::script::math::`anonymous-namespace'::calcSphereBoundProbe");
    lua_pushboolean(L, 0);
    return 1;
  }
  const Vector4 v = centre->minus(r->getPos());
  const float d = rk::math::vec3Dot(v, r->getNormal());
  const float lengthSq = rk::math::vec3Dot(v, v);
  const float radiusSq = radius * radius;
  const bool miss = radiusSq < lengthSq - d * d || (lengthSq > radiusSq && d < 0.0f);
  lua_pushboolean(L, !miss);
  return 1;
}

int calcSphereLineHitPos(lua_State* L) {
  Vector4* centre = toVec3(L, 1);
  const float radius = toFloatArg(L, 2);
  Ray* r = toRay(L, 3);
  lua_settop(L, 0);
  if (!centre || !r) {
    reportNullObject("rk::script::math::`anonymous-namespace'::calcSphereLineHitPos");
    return pushNumbers(L, {0, 0, 0, 0, 0, 0});
  }
  Ray local;
  local.setPos(r->getPos().minus(*centre));
  local.setNormal(r->getNormal());
  Vector4 far{}, near{};
  const int hits = rk::math::raySphereIntersect(radius, local, far, near);
  if (hits == 0) return pushNumbers(L, {0, 0, 0, 0, 0, 0});
  if (hits == 1) near = far;
  far = far.plus(*centre);
  near = near.plus(*centre);
  return pushXYZ(L, far) + pushXYZ(L, near);
}

}  // namespace rk::script::math
