// Effects and sounds placed where the actor camera (2) shows a point, carried
// over into the map-effect camera's (4) world, and the game common library's
// "runBomb01Effect".
#pragma once
#include <lua.hpp>

#include "math/rk_matrix.h"
#include "math/rk_vector.h"

namespace effect_misc {

// The translation of a matrix and the (pitch, yaw, roll) angles of its
// rotation, as the effect units take them; scale is dropped.
void decomposePlacement(const rk::math::Matrix& m, rk::math::Vector4& translation, rk::math::Vector4& angles);

// Carries M from camera 2's view into camera 4's, plays the effect there on
// effect unit 4 with the uniform scale, and queues the sound at the carried
// point in the audio context's entry list. Either name may be null. Returns
// the carried matrix in `out` and true, or false (nothing played or queued)
// when camera 2 or camera 4 is missing.
bool runEffectAndOneShotSE(const char* effect, const char* sound, float scale, const rk::math::Matrix& m,
                           rk::math::Matrix& out);

// "runBomb01Effect"(x, y, z, scale): "effect/bomb01" with its explosion sound at the point.
int lua_runBomb01Effect(lua_State* L);

}  // namespace effect_misc
