#include "script/rk_lua_arg.h"

#include <cmath>

namespace rk::script {

std::int64_t truncateToInt64(double number) {
  if (!std::isfinite(number)) return 0;
  double t = std::trunc(number);
  constexpr double k2To64 = 18446744073709551616.0;
  if (t >= 9223372036854775808.0 || t < -9223372036854775808.0) {
    t = std::fmod(t, k2To64);  // exact for doubles; now |t| < 2^64
    if (t < 0) t += k2To64;
    // t in [0, 2^64): map to the signed range through unsigned arithmetic.
    std::uint64_t bits = t >= 9223372036854775808.0
                             ? static_cast<std::uint64_t>(t - 9223372036854775808.0) + (std::uint64_t{1} << 63)
                             : static_cast<std::uint64_t>(t);
    return static_cast<std::int64_t>(bits);
  }
  return static_cast<std::int64_t>(t);
}

std::int32_t truncateWrapToInt32(double number) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(truncateToInt64(number))));
}

int toIntegerArg2(lua_State* L) { return toIntArg(L, 2); }

bool toBoolArg(lua_State* L, int index) { return lua_toboolean(L, index) != 0; }

const char* toTextArg(lua_State* L, int index) {
  int type = lua_type(L, index);
  if (type != LUA_TSTRING && type != LUA_TNUMBER) return nullptr;
  return lua_tolstring(L, index, nullptr);
}

std::string toTextOrEmpty(lua_State* L, int index) {
  size_t length = 0;
  int type = lua_type(L, index);
  if (type != LUA_TSTRING && type != LUA_TNUMBER) return std::string();
  const char* text = lua_tolstring(L, index, &length);
  return text ? std::string(text, length) : std::string();
}

}  // namespace rk::script
