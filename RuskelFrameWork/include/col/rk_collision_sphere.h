// A ball of a radius around a centre.
#pragma once
#include "col/rk_collision_body.h"

namespace rk::collision {

class Sphere : public CollisionBody {
 public:
  Sphere() = default;
  Sphere(const Vector4& center, float radius) : center_(center), radius_(radius) {}

  int getKind() const override { return kKindSphere; }
  void setCenter(const Vector4& center) override { center_ = center; }
  Vector4& getCenter(Vector4& out) const override { return out = center_; }
  void setFromMatrix(const Matrix& m) override;
  void project(float& center, float& radius, const Vector4& d) const override;
  std::uint32_t getSupportPoints(std::vector<Vector4>& out, const Vector4& d) const override;
  virtual void setRadius(float radius) { radius_ = radius; }

  float getRadius() const { return radius_; }

 private:
  Vector4 center_{0.0f, 0.0f, 0.0f, 0.0f};
  float radius_ = 1.0f;
};

}  // namespace rk::collision
