// Ray: an origin and a direction. Collision shapes derive from it.
#pragma once
#include "math/rk_vector.h"

namespace rk::math {

class Ray {
 public:
  Ray() : position_{0.0f, 0.0f, 0.0f, 0.0f}, normal_{0.0f, 0.0f, 0.0f, 0.0f} {}
  virtual ~Ray() = default;

  const Vector4& getPos() const { return position_; }
  void setPos(const Vector4& v) { position_ = v; }
  const Vector4& getNormal() const { return normal_; }
  void setNormal(const Vector4& v) { normal_ = v; }

 protected:
  Vector4 position_;  // origin
  Vector4 normal_;    // direction
};

// Hits of the ray with the sphere of the given radius centred at the origin of
// the ray's coordinates (pass the ray position relative to the centre). Returns
// 0, 1 or 2; the first hit is the one farther along the normal. Outputs of
// absent hits are not written. A zero normal hits nothing.
int raySphereIntersect(float radius, const Ray& ray, Vector4& hit1, Vector4& hit2);

}  // namespace rk::math
