#include "col/rk_triangle_search.h"

#include <algorithm>
#include <cfloat>

namespace rk::collision {

namespace {

bool apart(float minX, float maxX, float minZ, float maxZ, const BoundingBox& box) {
  return minX > box.max.x || minZ > box.max.z || box.min.x > maxX || box.min.z > maxZ;
}

}  // namespace

// Built once per mesh: a second call starts the index afresh.
void BoundingBoxTriangleSearchStrategy::build(const std::vector<Triangle>* triangles) {
  triangles_ = triangles;
  cells_.clear();
  float minX = FLT_MAX, minZ = FLT_MAX, maxX = -FLT_MAX, maxZ = -FLT_MAX;
  if (triangles) {
    for (const Triangle& t : *triangles) {
      Entry entry{FLT_MAX, -FLT_MAX, FLT_MAX, -FLT_MAX, &t};
      for (int i = 0; i < 3; ++i) {
        const Vector4& v = t.vertex(i);
        entry.minX = std::min(entry.minX, v.x), entry.maxX = std::max(entry.maxX, v.x);
        entry.minZ = std::min(entry.minZ, v.z), entry.maxZ = std::max(entry.maxZ, v.z);
      }
      minX = std::min(minX, entry.minX), maxX = std::max(maxX, entry.maxX);
      minZ = std::min(minZ, entry.minZ), maxZ = std::max(maxZ, entry.maxZ);
      cells_.emplace(0, entry);
    }
  }
  min_.set(minX, 0.0f, minZ, min_.w);
  max_.set(maxX, 0.0f, maxZ, max_.w);
}

std::uint32_t BoundingBoxTriangleSearchStrategy::search(std::vector<const Triangle*>& out,
                                                        const BoundingBox& box) const {
  if (!apart(min_.x, max_.x, min_.z, max_.z, box)) {
    const auto range = cells_.equal_range(0);
    for (auto it = range.first; it != range.second; ++it) {
      const Entry& e = it->second;
      if (!apart(e.minX, e.maxX, e.minZ, e.maxZ, box)) out.push_back(e.triangle);
    }
  }
  return static_cast<std::uint32_t>(out.size());
}

}  // namespace rk::collision
