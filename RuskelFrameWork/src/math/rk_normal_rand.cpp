#include "math/rk_normal_rand.h"

#include "script/rk_lua_arg.h"

namespace rk::math {

const script::LuaClass kNormalRandClass{"rk::math::NormalRand"};

namespace {

constexpr std::int32_t kMask = 123459876;
constexpr std::int32_t kModulus = 2147483647;     // 2^31 - 1
constexpr std::int32_t kQuotient = 127773;        // modulus / 16807
constexpr double kScale = 4.656612875245797e-10;  // 1 / (2^31 - 1)

NormalRand* self(lua_State* L, const char* name) {
  auto* rand = script::toLuaObject<NormalRand>(L, 1, kNormalRandClass);
  if (!rand) script::reportNullObject(name);
  return rand;
}

int lua_NormalRandom_setSeed(lua_State* L) {
  if (NormalRand* rand = self(L, "rk::math::`anonymous-namespace'::lua_NormalRandom_setSeed"))
    rand->setSeed(script::toIntArg(L, 2));
  lua_settop(L, 0);
  return 0;
}

int lua_NormalRandom_calcRand(lua_State* L) {
  NormalRand* rand = self(L, "rk::math::`anonymous-namespace'::lua_NormalRandom_calcRand");
  lua_settop(L, 0);
  if (!rand) return 0;
  lua_pushnumber(L, rand->calcRand());
  return 1;
}

const luaL_Reg kMethods[] = {
    {"setSeed", lua_NormalRandom_setSeed},
    {"calcRand", lua_NormalRandom_calcRand},
    {nullptr, nullptr},
};

}  // namespace

void NormalRand::registerMethods(lua_State* L) { script::setMethods(L, kMethods); }
void NormalRand::setMetatable(lua_State* L) {
  script::setObjectMetatable(L, script::lua_gcDeleteObject<NormalRand, kNormalRandClass>);
}

double NormalRand::calcRand() {
  const std::int32_t s = state_ ^ kMask;
  const std::int32_t k = s / kQuotient;
  // 16807 (s - k q) - 2836 k, folded into one product pair; the true value fits
  // in 32 bits, so wrapping arithmetic gives it exactly.
  std::int32_t next = static_cast<std::int32_t>(16807u * static_cast<std::uint32_t>(s) -
                                                static_cast<std::uint32_t>(k) * static_cast<std::uint32_t>(kModulus));
  if (next < 0) next += kModulus;
  state_ = next ^ kMask;
  return next * kScale;
}

}  // namespace rk::math
