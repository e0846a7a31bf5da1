// An oriented box: centre + Σ tᵢ·axisᵢ with |tᵢ| ≤ sizeᵢ (size holds the half
// extents; its w is not used).
#pragma once
#include "col/rk_collision_body.h"

namespace rk::collision {

class OBB : public CollisionBody {
 public:
  int getKind() const override { return kKindOBB; }
  void setCenter(const Vector4& center) override { center_ = center; }
  Vector4& getCenter(Vector4& out) const override { return out = center_; }
  // Axes from rows 0-2 (not renormalised), centre from row 3.
  void setFromMatrix(const Matrix& m) override;
  std::uint32_t getAxisCount() const override { return 3; }
  // Axes 0 to 2; an index outside the box reads the base's zero axis.
  const Vector4& getAxis(std::uint32_t index) const override {
    return index < 3 ? axes_[index] : CollisionBody::getAxis(index);
  }
  void project(float& center, float& radius, const Vector4& d) const override;
  std::uint32_t getSupportPoints(std::vector<Vector4>& out, const Vector4& d) const override;
  virtual void setSize(const Vector4& size) { size_ = size; }

  const Vector4& getSize() const { return size_; }

 private:
  Vector4 corner(int index) const;

  Vector4 center_{0.0f, 0.0f, 0.0f, 0.0f};
  Vector4 axes_[3] = {{1.0f, 0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f, 0.0f}};
  Vector4 size_{1.0f, 1.0f, 1.0f, 0.0f};
};

}  // namespace rk::collision
