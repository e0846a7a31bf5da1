// Curve script objects: BSpline, CatmullRom, cubic Bezier, the scalar
// BezierCurve and the point spline.
#include "kernel/rk_error_log.h"
#include "math/rk_bezier_curve.h"
#include "math/rk_bspline.h"
#include "math/rk_catmull_rom.h"
#include "math/rk_quat_spline.h"
#include "rk_script_math_internal.h"

namespace rk::script::math {

using rk::math::BezierCurve;
using rk::math::BSpline;
using rk::math::CubicBezierCurve;
using rk::math::QuatSpline;
using rk::math::Vec3CatmullRom;
using rk::math::Vector4;

namespace {

const LuaClass kBSplineClass{"rk::math::BSpline"};
const LuaClass kCatmullRomClass{"rk::math::Vec3CatmullRom"};
const LuaClass kCubicBezierClass{"rk::math::CubicBezierCurve"};
const LuaClass kBezierCurveClass{"rk::math::BezierCurve"};
const LuaClass kQuatSplineClass{"rk::math::QuatSpline"};

// The object at argument 1 as `Cls`; reports and yields null otherwise.
template <class T, const LuaClass& Cls>
T* self(lua_State* L, const char* name) {
  T* object = toLuaObject<T>(L, 1, Cls);
  if (!object) reportNullObject(name);
  return object;
}

// --------------------------------------------------------------- BSpline

BSpline* bspline(lua_State* L, const char* name) { return self<BSpline, kBSplineClass>(L, name); }

int lua_BSpline_pushPoint(lua_State* L) {
  if (BSpline* s = bspline(L, "rk::script::math::`anonymous-namespace'::lua_BSpline_pushPoint"))
    s->pushPoint(toXYZArgs(L, 2));
  lua_settop(L, 0);
  return 0;
}

int lua_BSpline_init(lua_State* L) {
  if (BSpline* s = bspline(L, "rk::script::math::`anonymous-namespace'::lua_BSpline_init")) s->clear();
  lua_settop(L, 0);
  return 0;
}

int lua_BSpline_calcTable(lua_State* L) {
  if (BSpline* s = bspline(L, "rk::script::math::`anonymous-namespace'::lua_BSpline_calcTable")) s->calcTable();
  lua_settop(L, 0);
  return 0;
}

int lua_BSpline_isReady(lua_State* L) {
  BSpline* s = bspline(L, "rk::script::math::`anonymous-namespace'::lua_BSpline_isReady");
  lua_settop(L, 0);
  if (!s) return 0;
  lua_pushboolean(L, s->isReady());
  return 1;
}

int lua_BSpline_calc(lua_State* L) {
  BSpline* s = bspline(L, "rk::script::math::`anonymous-namespace'::lua_BSpline_calc");
  const float t = toFloatArg(L, 2);
  lua_settop(L, 0);
  return s ? pushXYZ(L, s->calc(t)) : 0;
}

// Number of points - 1, so an empty spline reports -1 and a loop from 0 to
// it does not run.
int lua_BSpline_getMaxLerp(lua_State* L) {
  BSpline* s = bspline(L, "rk::script::math::`anonymous-namespace'::lua_BSpline_getMaxLerp");
  lua_settop(L, 0);
  if (!s) return 0;
  lua_pushnumber(L, static_cast<double>(s->points().size()) - 1.0);
  return 1;
}

const luaL_Reg kBSplineMethods[] = {
    {"pushPoint", lua_BSpline_pushPoint},
    {"init", lua_BSpline_init},
    {"calcTable", lua_BSpline_calcTable},
    {"isReady", lua_BSpline_isReady},
    {"calc", lua_BSpline_calc},
    {"getMaxLerp", lua_BSpline_getMaxLerp},
    {nullptr, nullptr},
};

// ------------------------------------------------------------ CatmullRom

Vec3CatmullRom* catmullRom(lua_State* L, int line, const char* name) {
  auto* c = toLuaObject<Vec3CatmullRom>(L, 1, kCatmullRomClass);
  if (!c) debug::writeErrorLog(kSource, line, name);
  return c;
}

int lua_CatmullRom_pushPoint(lua_State* L) {
  if (Vec3CatmullRom* c = catmullRom(L, 1604, "rk::script::math::`anonymous-namespace'::lua_CatmullRom_pushPoint"))
    c->pushPoint(toXYZArgs(L, 2));
  lua_settop(L, 0);
  return 0;
}

int lua_CatmullRom_getMaxLerp(lua_State* L) {
  Vec3CatmullRom* c = catmullRom(L, 1629, "rk::script::math::`anonymous-namespace'::lua_CatmullRom_getMaxLerp");
  lua_settop(L, 0);
  if (!c) return 0;
  const double count = static_cast<double>(c->points().size());
  lua_pushnumber(L, c->isLoop() ? count : count - 1.0);
  return 1;
}

int lua_CatmullRom_init(lua_State* L) {
  if (Vec3CatmullRom* c = catmullRom(L, 1649, "rk::script::math::`anonymous-namespace'::lua_CatmullRom_init"))
    c->clear();
  lua_settop(L, 0);
  return 0;
}

int lua_CatmullRom_setLoop(lua_State* L) {
  auto* c =
      self<Vec3CatmullRom, kCatmullRomClass>(L, "rk::script::math::`anonymous-namespace'::lua_CatmullRom_setLoop");
  if (c) c->setLoop(toBoolArg(L, 2));
  lua_settop(L, 0);
  return 0;
}

int lua_CatmullRom_calc(lua_State* L) {
  Vec3CatmullRom* c = catmullRom(L, 1669, "rk::script::math::`anonymous-namespace'::lua_CatmullRom_calc");
  const float t = toFloatArg(L, 2);
  lua_settop(L, 0);
  if (!c) return 0;
  Vector4 out{0.0f, 0.0f, 0.0f, 0.0f};
  c->calc(t, out);
  return pushXYZ(L, out);
}

const luaL_Reg kCatmullRomMethods[] = {
    {"pushPoint", lua_CatmullRom_pushPoint}, {"init", lua_CatmullRom_init}, {"getMaxLerp", lua_CatmullRom_getMaxLerp},
    {"setLoop", lua_CatmullRom_setLoop},     {"calc", lua_CatmullRom_calc}, {nullptr, nullptr},
};

// ---------------------------------------------------------- cubic Bezier

template <void (CubicBezierCurve::*Set)(float, float, float)>
int setCubicPoint(lua_State* L, const char* name) {
  if (auto* b = self<CubicBezierCurve, kCubicBezierClass>(L, name))
    (b->*Set)(toFloatArg(L, 2), toFloatArg(L, 3), toFloatArg(L, 4));
  lua_settop(L, 0);
  return 0;
}

int lua_CubicBezierCurve_setP0(lua_State* L) {
  return setCubicPoint<&CubicBezierCurve::setP0>(L,
                                                 "rk::script::math::`anonymous-namespace'::lua_CubicBezierCurve_setP0");
}
int lua_CubicBezierCurve_setP1(lua_State* L) {
  return setCubicPoint<&CubicBezierCurve::setP1>(L,
                                                 "rk::script::math::`anonymous-namespace'::lua_CubicBezierCurve_setP1");
}
int lua_CubicBezierCurve_setP2(lua_State* L) {
  return setCubicPoint<&CubicBezierCurve::setP2>(L,
                                                 "rk::script::math::`anonymous-namespace'::lua_CubicBezierCurve_setP2");
}
int lua_CubicBezierCurve_setP3(lua_State* L) {
  return setCubicPoint<&CubicBezierCurve::setP3>(L,
                                                 "rk::script::math::`anonymous-namespace'::lua_CubicBezierCurve_setP3");
}

int lua_CubicBezierCurve_calc(lua_State* L) {
  auto* b = self<CubicBezierCurve, kCubicBezierClass>(
      L, "rk::script::math::`anonymous-namespace'::lua_CubicBezierCurve_calc");
  const float t = toFloatArg(L, 2);
  lua_settop(L, 0);
  if (!b) return 0;
  Vector4 out{0.0f, 0.0f, 0.0f, 0.0f};
  b->calc(t, out);
  return pushXYZ(L, out);
}

const luaL_Reg kCubicBezierMethods[] = {
    {"setP0", lua_CubicBezierCurve_setP0}, {"setP1", lua_CubicBezierCurve_setP1}, {"setP2", lua_CubicBezierCurve_setP2},
    {"setP3", lua_CubicBezierCurve_setP3}, {"calc", lua_CubicBezierCurve_calc},   {nullptr, nullptr},
};

// ----------------------------------------------------------- BezierCurve

template <void (BezierCurve::*Set)(float)>
int setScalarPoint(lua_State* L, const char* name) {
  if (auto* b = self<BezierCurve, kBezierCurveClass>(L, name)) (b->*Set)(toFloatArg(L, 2));
  lua_settop(L, 0);
  return 0;
}

int lua_BezierCurve_setP0(lua_State* L) {
  return setScalarPoint<&BezierCurve::setP0>(L, "rk::script::math::`anonymous-namespace'::lua_BezierCurve_setP0");
}
int lua_BezierCurve_setP1(lua_State* L) {
  return setScalarPoint<&BezierCurve::setP1>(L, "rk::script::math::`anonymous-namespace'::lua_BezierCurve_setP1");
}
int lua_BezierCurve_setP2(lua_State* L) {
  return setScalarPoint<&BezierCurve::setP2>(L, "rk::script::math::`anonymous-namespace'::lua_BezierCurve_setP2");
}
int lua_BezierCurve_setP3(lua_State* L) {
  return setScalarPoint<&BezierCurve::setP3>(L, "rk::script::math::`anonymous-namespace'::lua_BezierCurve_setP3");
}

int lua_BezierCurve_calc(lua_State* L) {
  auto* b = self<BezierCurve, kBezierCurveClass>(L, "rk::script::math::`anonymous-namespace'::lua_BezierCurve_calc");
  const float t = toFloatArg(L, 2);
  lua_settop(L, 0);
  return b ? pushNumbers(L, {b->calc(t)}) : 0;
}

const luaL_Reg kBezierCurveMethods[] = {
    {"setP0", lua_BezierCurve_setP0}, {"setP1", lua_BezierCurve_setP1}, {"setP2", lua_BezierCurve_setP2},
    {"setP3", lua_BezierCurve_setP3}, {"calc", lua_BezierCurve_calc},   {nullptr, nullptr},
};

// ---------------------------------------------------------- point spline

QuatSpline* quatSpline(lua_State* L, const char* name) { return self<QuatSpline, kQuatSplineClass>(L, name); }

int lua_QuatSpline_addPos(lua_State* L) {
  if (QuatSpline* s = quatSpline(L, "rk::script::math::`anonymous-namespace'::lua_QuatSpline_addPos"))
    s->addPos(toXYZArgs(L, 2));
  lua_settop(L, 0);
  return 0;
}

int lua_QuatSpline_makeTable(lua_State* L) {
  if (QuatSpline* s = quatSpline(L, "rk::script::math::`anonymous-namespace'::lua_QuatSpline_makeTable"))
    s->makeTable();
  lua_settop(L, 0);
  return 0;
}

int lua_QuatSpline_calc(lua_State* L) {
  QuatSpline* s = quatSpline(L, "rk::script::math::`anonymous-namespace'::lua_QuatSpline_calc");
  const float t = toFloatArg(L, 2);
  lua_settop(L, 0);
  if (!s) return 0;
  Vector4 out{0.0f, 0.0f, 0.0f, 0.0f};
  s->calc(t, out);
  return pushXYZ(L, out);
}

int lua_QuatSpline_clear(lua_State* L) {
  if (QuatSpline* s = quatSpline(L, "rk::script::math::`anonymous-namespace'::lua_QuatSpline_clear")) s->clear();
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kQuatSplineMethods[] = {
    {"addPos", lua_QuatSpline_addPos},
    {"makeTable", lua_QuatSpline_makeTable},
    {"calc", lua_QuatSpline_calc},
    {"clear", lua_QuatSpline_clear},
    {nullptr, nullptr},
};

}  // namespace

int createBSpline(lua_State* L) {
  return pushLuaObject(L, new BSpline, kBSplineClass, kBSplineMethods, lua_gcDeleteObject<BSpline, kBSplineClass>);
}

int createCatmullRom(lua_State* L) {
  return pushLuaObject(L, new Vec3CatmullRom, kCatmullRomClass, kCatmullRomMethods,
                       lua_gcDeleteObject<Vec3CatmullRom, kCatmullRomClass>);
}

int createCubicBezierCurve(lua_State* L) {
  return pushLuaObject(L, new CubicBezierCurve, kCubicBezierClass, kCubicBezierMethods,
                       lua_gcDeleteObject<CubicBezierCurve, kCubicBezierClass>);
}

// The ease curve 0, 1, 1, 1.
int createBezierCurveOnce(lua_State* L) {
  return pushLuaObject(L, new BezierCurve, kBezierCurveClass, kBezierCurveMethods,
                       lua_gcDeleteObject<BezierCurve, kBezierCurveClass>);
}

int createUnaffectedCtrlPointSprline(lua_State* L) {
  return pushLuaObject(L, new QuatSpline, kQuatSplineClass, kQuatSplineMethods,
                       lua_gcDeleteObject<QuatSpline, kQuatSplineClass>);
}

}  // namespace rk::script::math
