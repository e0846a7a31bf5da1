// Seeded pseudo-random source: the minimal-standard multiplicative generator
// (Park-Miller, Schrage's factorisation) with an XOR mask on its state. Despite
// the name the values are uniform in (0, 1). Scripts reach it as the
// NormalRandom object; the class builds its own method table.
#pragma once
#include <cstdint>

#include "script/rk_lua_object.h"

namespace rk::math {

class NormalRand : public script::ILuaMethod {
 public:
  explicit NormalRand(std::int32_t seed = 1) : state_(seed) {}

  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;

  void setSeed(std::int32_t seed) { state_ = seed; }
  // The next value, state / (2^31 - 1). A state equal to the mask yields 0 for good.
  double calcRand();
  std::int32_t state() const { return state_; }

 private:
  std::int32_t state_;
};

extern const script::LuaClass kNormalRandClass;

}  // namespace rk::math
