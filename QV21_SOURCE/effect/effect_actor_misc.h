// A spark where a shot hits: "effect/spark01" on effect unit 3.
#pragma once
#include "math/rk_vector.h"

namespace effect_misc {

// Plays the spark at the world position turned by yaw (radians) about y.
void runSpark01EffectActor(const rk::math::Vector4& position, float yaw);

}  // namespace effect_misc
