// Finding the triangles of a mesh near a query box. The search works on the
// ground plane only (x and z); the per-triangle test decides the rest.
#pragma once
#include <cstdint>
#include <map>
#include <vector>

#include "col/rk_collision_triangle.h"

namespace rk::collision {

// The query box; only x and z are used.
struct BoundingBox {
  Vector4 min;
  Vector4 max;
};

class ITriangleSearchStrategy {
 public:
  virtual ~ITriangleSearchStrategy() = default;
  // Indexes the triangles; the vector must not change while the index is used.
  virtual void build(const std::vector<Triangle>* triangles) = 0;
  // Appends the candidates for the box; returns the size of out afterwards.
  virtual std::uint32_t search(std::vector<const Triangle*>& out, const BoundingBox& box) const = 0;
};

// Each triangle's x-z box in one cell, checked in mesh order after a test
// against the whole mesh's box. Boxes that only touch count as overlapping.
class BoundingBoxTriangleSearchStrategy : public ITriangleSearchStrategy {
 public:
  struct Entry {
    float minX, maxX, minZ, maxZ;
    const Triangle* triangle;
  };

  void build(const std::vector<Triangle>* triangles) override;
  std::uint32_t search(std::vector<const Triangle*>& out, const BoundingBox& box) const override;

  // The whole mesh's box: (minX, 0, minZ) and (maxX, 0, maxZ).
  const Vector4& getMin() const { return min_; }
  const Vector4& getMax() const { return max_; }

 private:
  Vector4 min_{0.0f, 0.0f, 0.0f, 0.0f};
  Vector4 max_{0.0f, 0.0f, 0.0f, 0.0f};
  std::multimap<int, Entry> cells_;  // one cell, key 0: entries keep mesh order
  const std::vector<Triangle>* triangles_ = nullptr;
};

}  // namespace rk::collision
