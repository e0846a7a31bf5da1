// One face of a collision mesh: its three vertices, the plane they span
// (normal·x + d = 0, unit normal) and the unit directions of its edges
// (edge i runs from Vᵢ to Vᵢ₊₁).
#pragma once
#include "col/rk_collision_body.h"

namespace rk::collision {

class Triangle : public CollisionBody {
 public:
  int getKind() const override { return kKindTriangle; }
  // Edges 0 to 2, then the normal.
  std::uint32_t getAxisCount() const override { return 4; }
  const Vector4& getAxis(std::uint32_t index) const override { return index <= 2 ? edges_[index] : normal_; }
  void project(float& center, float& radius, const Vector4& d) const override;
  void getInterval(float& min, float& max, const Vector4& d) const override;
  std::uint32_t getSupportPoints(std::vector<Vector4>& out, const Vector4& d) const override;

  // Stores the vertices whole (w included) and derives plane and edges:
  // normal = (V1 − V0) × (V2 − V0) normalised, so the corners run counter-
  // clockwise seen from the normal's side; a degenerate face gets a zero normal.
  void setVertices(const Vector4& v0, const Vector4& v1, const Vector4& v2);

  const Vector4& vertex(int index) const { return v_[index]; }
  const Vector4& getNormal() const { return normal_; }
  float getD() const { return d_; }
  const Vector4& getEdge(int index) const { return edges_[index]; }

 private:
  Vector4 v_[3] = {};
  Vector4 normal_{0.0f, 1.0f, 0.0f, 0.0f};
  float d_ = 0.0f;
  Vector4 edges_[3] = {};
};

}  // namespace rk::collision
