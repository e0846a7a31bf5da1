// Argument readers and result pushers shared by the bindings. None raises a Lua error: a missing
// or non-numeric argument reads as 0 (strings that look like numbers are
// converted). Numbers become integers by truncation toward zero, wrapped to the
// target width, so huge, infinite or NaN values stay defined.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>

#include <lua.hpp>

#include "math/rk_vector.h"

namespace rk::script {

// Truncation toward zero, wrapped modulo 2^64 / 2^32; NaN gives 0.
std::int64_t truncateToInt64(double number);
std::int32_t truncateWrapToInt32(double number);

// Inline: every binding reads its numbers through these.
inline float toFloatArg(lua_State* L, int index) { return static_cast<float>(lua_tonumberx(L, index, nullptr)); }
// Numbers that an int holds exactly take the short way; the rest truncate and wrap.
inline int toIntArg(lua_State* L, int index) {
  const double number = lua_tonumberx(L, index, nullptr);
  if (number > -2147483649.0 && number < 2147483648.0) return static_cast<int>(number);
  return truncateWrapToInt32(number);
}
inline std::int64_t toInt64Arg(lua_State* L, int index) { return truncateToInt64(lua_tonumberx(L, index, nullptr)); }
// Three numbers from `index` on, as (x, y, z, 0).
inline rk::math::Vector4 toXYZArgs(lua_State* L, int index) {
  return {toFloatArg(L, index), toFloatArg(L, index + 1), toFloatArg(L, index + 2), 0.0f};
}
// Argument 2 as toIntArg reads it.
int toIntegerArg2(lua_State* L);
// False for nil, false and a missing argument; true for every other value.
bool toBoolArg(lua_State* L, int index);

// The text of a string or number argument (a number as Lua writes it); null
// for any other value, so absent optional texts stay absent.
const char* toTextArg(lua_State* L, int index);
// The same, with the empty text for anything else.
std::string toTextOrEmpty(lua_State* L, int index);

// Results: pushes each value as a number and returns how many were pushed.
inline int pushNumbers(lua_State* L, std::initializer_list<double> values) {
  for (double v : values) lua_pushnumber(L, v);
  return static_cast<int>(values.size());
}
inline int pushXYZ(lua_State* L, const rk::math::Vector4& v) {
  lua_pushnumber(L, v.x);
  lua_pushnumber(L, v.y);
  lua_pushnumber(L, v.z);
  return 3;
}

}  // namespace rk::script
