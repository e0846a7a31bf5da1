// Turns a recorded polyline into a chain of capsules: the polyline, cut at a
// given length, is resampled through a spline at a fixed spacing, and each pair
// of consecutive samples becomes one capsule. Scripts use it as an object
// (moveTo, lineTo, convertPoint, ...); the bendable enemy laser builds its
// capsule chain with it.
#pragma once
#include <vector>

#include <lua.hpp>

#include "math/rk_vector.h"
#include "script/rk_lua_object.h"

namespace rk::util {

class LineConvert : public script::ILuaMethod {
 public:
  struct Capsule {
    float radius;
    float half_length;
    math::Vector4 centre;  // w = 0
    math::Vector4 axis;    // unit length
  };

  // A limit on the samples of one conversion, so that a tiny spacing cannot
  // exhaust memory.
  static constexpr std::size_t kMaxConvertPoints = 65536;

  LineConvert() = default;
  ~LineConvert() override = default;

  // Starts a new polyline at the point.
  void moveTo(float x, float y, float z);
  void lineTo(float x, float y, float z);
  // Resamples the polyline and builds the capsules: nothing when twice the
  // thickness exceeds the length, when fewer than two points remain, or when
  // the sampling step is not positive.
  void convert(float thickness, float length, float spacing);

  const std::vector<math::Vector4>& points() const { return points_; }
  const std::vector<math::Vector4>& convertedPoints() const { return converted_; }
  const std::vector<Capsule>& capsules() const { return capsules_; }

  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;

 private:
  std::vector<math::Vector4> points_;
  std::vector<math::Vector4> converted_;
  std::vector<Capsule> capsules_;
};

extern const script::LuaClass kLineConvertClass;

// A new converter as a script object that owns it; one result.
int pushNewLineConvert(lua_State* L);

}  // namespace rk::util
