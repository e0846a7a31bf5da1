// The clamp the contact code shares: written with two comparisons so that it
// stays defined when the bounds cross (lo > hi gives hi) and passes NaN through.
#pragma once

namespace rk::collision {

inline float clampTo(float v, float lo, float hi) {
  if (v < lo) v = lo;
  if (v > hi) v = hi;
  return v;
}

}  // namespace rk::collision
