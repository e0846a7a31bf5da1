// The candidate pairs of the sphere-sphere group, found on flat copies of the
// two lists' centres and radii. The spheres of the list with fewer valid ones
// go into buckets along the axis on which their centres spread most, and a bit
// map over the two widest axes marks where they can be reached. Each valid
// sphere of the other list looks up its bit; only where it is set does it test
// the buckets within its reach. The search touches no body, so the group
// reads each body once per pass and the search runs on data that stays in
// cache, and its cost grows with the number of spheres, not of pairs.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "math/rk_vector.h"

namespace rk::rigidbody {

// A sphere as the group read it: the centre getCenter gave, the radius, and
// 1 if the body was valid, else 0.
struct SphereShot {
  math::Vector4 c;
  float r;
  std::uint32_t valid;
};

// One list's spheres by list index, how many are valid and the largest
// |radius| among those (a NaN radius left out). The buffer only grows, so
// lists of different lengths in turn cost no reallocation; `count` says how
// much of it this pass filled.
struct SphereRows {
  std::vector<SphereShot> shots;
  std::size_t count = 0, validCount = 0;
  float reach = 0.0f;

  void reserveFor(std::size_t n) {
    if (shots.size() < n) shots.resize(n);
  }
};

// Index in list A, index in list B.
struct SpherePair {
  std::uint32_t a, b;
};

// Cells along one axis: (x − origin)·scale, cut to 0 .. limit. Monotonic in
// x, so a point between two others never lands outside their cells. (No
// a·b + c here: a compiler may fuse that in one place and not in another, and
// marking and looking up must agree.)
struct CellScale {
  float origin = 0.0f, scale = 0.0f, limit = 0.0f;

  // `cells` cells from lo to hi, which land on cells 2 and cells + 2, a spare
  // cell either side for rounding, and the border cells 0 and cells + 4 for
  // what lies beyond, which nothing within lo .. hi reaches. An extent that
  // is not finite or has no width gives the single cell 0.
  static CellScale across(float lo, float hi, float cells);
  bool single() const { return limit == 0.0f; }
  // NaN (from a non-finite x) goes to cell 0.
  std::uint32_t at(float x) const {
    const float t = (x - origin) * scale;
    return static_cast<std::uint32_t>(std::min(t > 0.0f ? t : 0.0f, limit));
  }
};

// A grid over two axes with one bit per cell, set on every cell within a given
// reach of some sphere's centre: a clear bit means no sphere of the map is
// within that reach.
class ReachMap {
 public:
  // Marks the cells within `reach` of each centre (x, y, z; w is not read),
  // on a grid sized for `lookups` look-ups. Without a usable grid (reach or
  // extent not finite) it stays off and covers everything.
  void build(const std::vector<math::Vector4>& centres, float reach, int u, int v, std::size_t lookups);
  void clear() { on_ = false; }
  // Writes the indices of the valid rows whose centre falls on a set bit to
  // `out` (room for every row) and returns how many.
  std::size_t keepCovered(const SphereRows& rows, std::uint32_t* out) const;

 private:
  void mark(std::uint32_t u0, std::uint32_t u1, std::uint32_t v0, std::uint32_t v1);

  bool on_ = false;
  int u_ = 0, v_ = 1;
  CellScale cells_u_, cells_v_;
  std::uint32_t words_ = 0;  // per row of cells along v
  std::vector<std::uint64_t> bits_;
};

// Finds the pairs; keeps its buffers from call to call.
class SpherePairSearch {
 public:
  // Every pair of valid spheres, one of list A and one of list B, that may
  // touch (a superset of those the exact test accepts), ordered by list-A
  // index and then list-B index: the order of the walk over every pair. With
  // `aliased` the two are one list and each pair comes once, with b > a.
  const std::vector<SpherePair>& find(const SphereRows& a, const SphereRows& b, bool aliased);

 private:
  void fillBuckets(const SphereRows& rows);
  template <bool kProbeIsA>
  void probe(const SphereRows& rows, bool aliased);
  void orderByA(std::size_t countA);

  // The bucketed list's spheres that can touch anything, bucket by bucket
  // along axis_.
  int axis_ = 0, second_axis_ = 1;
  float reach_ = 0.0f;  // their largest |radius|
  CellScale buckets_;
  std::vector<std::uint32_t> bucket_start_;  // one more than there are buckets
  std::vector<math::Vector4> spheres_;       // centre, and the radius in w
  std::vector<std::uint32_t> index_;         // list index of each
  std::vector<std::uint32_t> touching_, bucket_of_;
  ReachMap map_;
  std::vector<std::uint32_t> near_;  // rows the map does not rule out

  std::vector<SpherePair> found_, ordered_;
  std::vector<std::uint32_t> row_start_;
};

}  // namespace rk::rigidbody
