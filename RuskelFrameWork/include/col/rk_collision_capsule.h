// The points within a radius of the core segment centre ± axis·height (height is
// half the segment's length). The base axis is the direction in the shape's own
// frame; setFromMatrix turns it into the world axis without renormalising.
#pragma once
#include "col/rk_collision_body.h"

namespace rk::collision {

class Capsule : public CollisionBody {
 public:
  int getKind() const override { return kKindCapsule; }
  void setCenter(const Vector4& center) override { center_ = center; }
  Vector4& getCenter(Vector4& out) const override { return out = center_; }
  void setFromMatrix(const Matrix& m) override;
  std::uint32_t getAxisCount() const override { return 1; }
  const Vector4& getAxis(std::uint32_t) const override { return axis_; }
  void project(float& center, float& radius, const Vector4& d) const override;
  std::uint32_t getSupportPoints(std::vector<Vector4>& out, const Vector4& d) const override;
  virtual void setRadius(float radius) { radius_ = radius; }
  virtual void setHeight(float height) { height_ = height; }

  float getRadius() const { return radius_; }
  float getHeight() const { return height_; }
  const Vector4& getAxisVector() const { return axis_; }
  // The world axis as given (callers normalise when they mean a unit axis).
  void setAxisVector(const Vector4& axis) { axis_ = axis; }
  const Vector4& getBaseAxis() const { return base_axis_; }
  void setBaseAxis(const Vector4& axis) { base_axis_ = axis; }

 private:
  Vector4 center_{0.0f, 0.0f, 0.0f, 0.0f};
  Vector4 axis_{0.0f, 1.0f, 0.0f, 0.0f};
  float radius_ = 1.0f;
  float height_ = 1.0f;
  Vector4 base_axis_{0.0f, 1.0f, 0.0f, 0.0f};
};

}  // namespace rk::collision
