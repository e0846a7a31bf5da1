// The body-against-plane test of an object that carries a collision shape
// (rigid bodies test their built-in shape with checkBodyPlane).
#pragma once
#include "col/rk_collision_plane.h"

namespace rk::collision {

class ICheckPlane {
 public:
  virtual ~ICheckPlane() = default;
  // Writes the plane's unit normal, up to four points of the shape below the
  // plane and their projections onto it; returns how many points.
  virtual int checkPlane(Vector4& normal, Vector4* points, Vector4* projections, const Plane& plane) = 0;
};

}  // namespace rk::collision
