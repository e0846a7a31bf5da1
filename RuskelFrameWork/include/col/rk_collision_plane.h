// The points with a·x + b·y + c·z + d = 0; (a, b, c) is the normal, which the
// tests normalise when they use it. A plane has no centre and no support points.
#pragma once
#include "col/rk_collision_body.h"

namespace rk::collision {

class Plane : public CollisionBody {
 public:
  Plane() = default;
  Plane(float a, float b, float c, float d) : a_(a), b_(b), c_(c), d_(d) {}

  int getKind() const override { return kKindPlane; }
  std::uint32_t getSupportPoints(std::vector<Vector4>& out, const Vector4& d) const override { return 0; }

  // The plane through the point with the normal scaled to unit length (a zero
  // normal stays zero and gives the plane (0, 0, 0, 0)).
  void calcFromPointNormal(const Vector4& point, const Vector4& normal);
  // Stores the four values as they come.
  void setPlane(float a, float b, float c, float d) { a_ = a, b_ = b, c_ = c, d_ = d; }

  float a() const { return a_; }
  float b() const { return b_; }
  float c() const { return c_; }
  float d() const { return d_; }

 private:
  float a_ = 0.0f, b_ = 1.0f, c_ = 0.0f, d_ = 0.0f;
};

}  // namespace rk::collision
