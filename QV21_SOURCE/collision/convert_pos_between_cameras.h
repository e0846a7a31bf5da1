// Carries a position from one camera's world into another's: the point that
// camera `to` shows where camera `from` shows p. The game draws actors with
// camera 2 and the map with camera 1; sounds raised at an actor are placed in
// the map camera's world.
#pragma once
#include "math/rk_vector.h"

namespace common {

constexpr int kActorCamera = 2;
constexpr int kMapCamera = 1;

// q.xyz := the translation of T(p) × VP(from) × inverse(VP(to)), without a
// perspective divide; q.w is left as it was. When either camera is missing
// (or there is no camera manager) q.xyz := p.xyz and the result is false.
bool convertPosBetweenCameras(int from, int to, rk::math::Vector4& q, const rk::math::Vector4& p);

}  // namespace common
