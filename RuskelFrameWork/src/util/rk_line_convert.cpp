#include "util/rk_line_convert.h"

#include <algorithm>

#include "math/rk_quat_spline.h"
#include "script/rk_lua_arg.h"

namespace rk::util {

const script::LuaClass kLineConvertClass{"rk::util::LineConvert"};

namespace {
constexpr float kEpsilon = math::kFloatEpsilon;
}  // namespace

void LineConvert::moveTo(float x, float y, float z) {
  points_.clear();
  lineTo(x, y, z);
}

void LineConvert::lineTo(float x, float y, float z) { points_.push_back(math::Vector4{x, y, z, 0.0f}); }

void LineConvert::convert(float thickness, float length, float spacing) {
  converted_.clear();
  capsules_.clear();
  if (2.0f * thickness > length || points_.size() < 2) return;

  // The polyline up to `length`, with repeated points left out.
  math::QuatSpline spline;
  std::size_t positions = 1;
  spline.addPos(points_[0]);
  float total = 0.0f;
  for (std::size_t i = 1; i < points_.size(); ++i) {
    const math::Vector4 d = points_[i].minus(points_[i - 1]);
    if (math::vec3LengthSq(d) < kEpsilon) continue;
    total += math::vec3Length(d);
    if (total < length) {
      spline.addPos(points_[i]);
      ++positions;
      continue;
    }
    const float over = total - length;
    if (over > kEpsilon) {
      spline.addPos(points_[i].minus(math::vec3Normalize(d).scaled(over)));
      ++positions;
      total -= over;
    }
    break;
  }
  if (positions < 2) return;
  spline.makeTable();

  // A step that is not positive (or not a number) would never reach the end.
  const float reach = std::max(spacing, thickness) / total;
  const float step = std::min(total, reach);
  if (!(reach > 0.0f) || !(step > 0.0f)) return;
  for (float t = 0.0f; t <= 1.0f && converted_.size() < kMaxConvertPoints;) {
    math::Vector4 p{0.0f, 0.0f, 0.0f, 0.0f};
    spline.calc(t, p);
    converted_.push_back(p);
    const float next = t + step;
    if (next == t) break;  // too small to move t any further
    t = next;
  }
  if (converted_.size() < 2) return;

  for (std::size_t i = 1; i < converted_.size(); ++i) {
    const math::Vector4& a = converted_[i - 1];
    const math::Vector4 d = converted_[i].minus(a);
    capsules_.push_back(Capsule{thickness * 0.5f, math::vec3Length(d) * 0.5f, a.plus(d.scaled(0.5f)),
                                math::vec3Normalize(d)});
  }
}

// ---------------------------------------------------------------- script object

namespace {

LineConvert* self(lua_State* L, const char* method) {
  auto* convert = script::toLuaObject<LineConvert>(L, 1, kLineConvertClass);
  if (!convert) script::reportNullObject(method);
  return convert;
}

#define RK_LINE_CONVERT_METHOD(name) "rk::util::`anonymous-namespace'::lua_LineConvert_" #name

int lua_LineConvert_moveTo(lua_State* L) {
  if (LineConvert* c = self(L, RK_LINE_CONVERT_METHOD(moveTo)))
    c->moveTo(script::toFloatArg(L, 2), script::toFloatArg(L, 3), script::toFloatArg(L, 4));
  lua_settop(L, 0);
  return 0;
}

int lua_LineConvert_lineTo(lua_State* L) {
  if (LineConvert* c = self(L, RK_LINE_CONVERT_METHOD(lineTo)))
    c->lineTo(script::toFloatArg(L, 2), script::toFloatArg(L, 3), script::toFloatArg(L, 4));
  lua_settop(L, 0);
  return 0;
}

int lua_LineConvert_convertPoint(lua_State* L) {
  if (LineConvert* c = self(L, RK_LINE_CONVERT_METHOD(convertPoint)))
    c->convert(script::toFloatArg(L, 2), script::toFloatArg(L, 3), script::toFloatArg(L, 4));
  lua_settop(L, 0);
  return 0;
}

// Item n (counted from 1) of the list, or null when n is outside it.
template <class T>
const T* itemAt(const std::vector<T>& list, lua_State* L) {
  const std::int64_t n = script::toInt64Arg(L, 2);
  return n >= 1 && static_cast<std::uint64_t>(n) <= list.size() ? &list[static_cast<std::size_t>(n - 1)] : nullptr;
}

int pushNumbers(lua_State* L, std::initializer_list<float> values) {
  lua_settop(L, 0);
  for (float v : values) lua_pushnumber(L, v);
  return static_cast<int>(values.size());
}

int pushCount(lua_State* L, std::size_t count) {
  lua_settop(L, 0);
  lua_pushinteger(L, static_cast<lua_Integer>(count));
  return 1;
}

int lua_LineConvert_getConvertPoint(lua_State* L) {
  LineConvert* c = self(L, RK_LINE_CONVERT_METHOD(getConvertPoint));
  const math::Vector4* p = c ? itemAt(c->convertedPoints(), L) : nullptr;
  if (!p) return pushNumbers(L, {});
  return pushNumbers(L, {p->x, p->y, p->z});
}

int lua_LineConvert_getConvertPointMax(lua_State* L) {
  LineConvert* c = self(L, RK_LINE_CONVERT_METHOD(getConvertPointMax));
  return pushCount(L, c ? c->convertedPoints().size() : 0);
}

int lua_LineConvert_getCapsule(lua_State* L) {
  LineConvert* c = self(L, RK_LINE_CONVERT_METHOD(getCapsule));
  const LineConvert::Capsule* k = c ? itemAt(c->capsules(), L) : nullptr;
  if (!k) return pushNumbers(L, {});
  return pushNumbers(L, {k->radius, k->half_length, k->axis.x, k->axis.y, k->axis.z, k->centre.x, k->centre.y,
                         k->centre.z});
}

int lua_LineConvert_getCapsuleMax(lua_State* L) {
  LineConvert* c = self(L, RK_LINE_CONVERT_METHOD(getCapsuleMax));
  return pushCount(L, c ? c->capsules().size() : 0);
}

const luaL_Reg kLineConvertMethods[] = {
    {"moveTo", lua_LineConvert_moveTo},
    {"lineTo", lua_LineConvert_lineTo},
    {"convertPoint", lua_LineConvert_convertPoint},
    {"getConvertPoint", lua_LineConvert_getConvertPoint},
    {"getConvertPointMax", lua_LineConvert_getConvertPointMax},
    {"getCapsule", lua_LineConvert_getCapsule},
    {"getCapsuleMax", lua_LineConvert_getCapsuleMax},
    {nullptr, nullptr},
};

}  // namespace

void LineConvert::registerMethods(lua_State* L) { script::setMethods(L, kLineConvertMethods); }

void LineConvert::setMetatable(lua_State* L) {
  script::setObjectMetatable(L, script::lua_gcDeleteObject<LineConvert, kLineConvertClass>);
}

int pushNewLineConvert(lua_State* L) {
  auto* convert = new LineConvert;
  return script::pushLuaObject(L, *convert, convert, kLineConvertClass);
}

}  // namespace rk::util
