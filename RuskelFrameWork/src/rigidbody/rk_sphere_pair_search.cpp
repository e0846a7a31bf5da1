// The pair search of the sphere-sphere group. A pair it leaves out is one the
// exact test would reject, so the group's contacts are those of the walk over
// every pair.
//
// Why nothing is left out: the exact test accepts a pair only if
// fl(dx²) + fl(dy²) + fl(dz²) < fl(r²), with dx = fl(xa − xb) and
// r = fl(ra + rb). Squaring and adding non-negative terms never decrease, so
// then fl(dx²) < fl(r²), hence |dx| < |r| ≤ fl(|ra| + |rb|), and the same on
// every axis. The map and the buckets only drop spheres beyond such a bound.
#include "rk_sphere_pair_search.h"

#include <algorithm>
#include <cstring>

namespace rk::rigidbody {

namespace {

using math::Vector4;

// The candidate test is the exact one against a slightly larger bound, so
// that no rounding of its own (nor a compiler fusing a multiply and an add in
// one of the two and not the other) can drop a pair the exact test accepts.
constexpr float kReachSlack = 1.0f + 1.0f / 1024.0f;

// Cells per axis of the reach map at most, spare and border cells aside, and
// at most this many bits per look-up, so that clearing the map costs less
// than the look-ups it saves.
constexpr float kMapCells = 256.0f;
constexpr float kMapBitsPerLookup = 64.0f;

float axisOf(const Vector4& c, int axis) { return axis == 0 ? c.x : axis == 1 ? c.y : c.z; }

// A centre with a non-finite coordinate or a NaN radius fails the squared
// distance test against every partner, and would stretch the buckets and the
// map to nothing; only the bucketed list leaves such spheres out. Rows of the
// other list with them fall on the map's border cells or cell 0 and are
// rejected by the candidate test if they get that far.
bool canTouch(const Vector4& c, float r) {
  return std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.z) && !std::isnan(r);
}

// A half width around x that holds every point p whose rounded difference
// from x is below `reach`, computed ends included: such a p lies within
// reach·(1 + 2⁻²³) of x, and computing x ∓ half moves the ends by at most
// (|x| + half)·2⁻²⁴; the extra (reach + |x|)·2⁻¹⁸ covers both with room to
// spare. It grows with |x|, so the half width of a larger |x| serves too.
float withRounding(float x, float reach) { return reach + (reach + std::fabs(x)) * (1.0f / 262144.0f); }

}  // namespace

CellScale CellScale::across(float lo, float hi, float cells) {
  CellScale s;
  if (!(hi - lo > 0.0f)) return s;
  const float scale = cells / (hi - lo);
  if (!(scale > 0.0f) || !std::isfinite(scale)) return s;
  const float origin = lo - 2.0f / scale;
  if (!std::isfinite(origin)) return s;
  s.origin = origin;
  s.scale = scale;
  s.limit = cells + 4.0f;
  return s;
}

// ------------------------------------------------------------------ reach map

void ReachMap::build(const std::vector<Vector4>& centres, float reach, int u, int v, std::size_t lookups) {
  on_ = false;
  u_ = u;
  v_ = v;
  float lo[2] = {INFINITY, INFINITY}, hi[2] = {-INFINITY, -INFINITY};
  for (const Vector4& c : centres)
    for (int k = 0; k < 2; ++k) {
      lo[k] = std::min(lo[k], axisOf(c, k == 0 ? u : v));
      hi[k] = std::max(hi[k], axisOf(c, k == 0 ? u : v));
    }
  // One half width per axis, the one the farthest coordinate needs.
  float half[2];
  for (int k = 0; k < 2; ++k) half[k] = withRounding(std::max(std::fabs(lo[k]), std::fabs(hi[k])), reach);
  // Cells of half the reach: a sphere marks about (2·reach + cell)² around
  // it. Wider where the extent would need more cells than the map may have.
  const float most = std::min(kMapCells, std::ceil(std::sqrt(kMapBitsPerLookup * static_cast<float>(lookups))));
  auto cellsOver = [reach, most](float span) {
    return reach > 0.0f ? std::max(1.0f, std::min(std::ceil(span * 2.0f / reach), most)) : most;
  };
  const float lowU = lo[0] - half[0], highU = hi[0] + half[0], lowV = lo[1] - half[1], highV = hi[1] + half[1];
  cells_u_ = CellScale::across(lowU, highU, cellsOver(highU - lowU));
  cells_v_ = CellScale::across(lowV, highV, cellsOver(highV - lowV));
  if (cells_u_.single() || cells_v_.single()) return;
  words_ = static_cast<std::uint32_t>(cells_u_.limit) / 64 + 1;
  bits_.assign(static_cast<std::size_t>(words_) * (static_cast<std::size_t>(cells_v_.limit) + 1), 0);
  for (const Vector4& c : centres) {
    const float x = axisOf(c, u), y = axisOf(c, v);
    mark(cells_u_.at(x - half[0]), cells_u_.at(x + half[0]), cells_v_.at(y - half[1]), cells_v_.at(y + half[1]));
  }
  on_ = true;
}

void ReachMap::mark(std::uint32_t u0, std::uint32_t u1, std::uint32_t v0, std::uint32_t v1) {
  const std::uint32_t w0 = u0 / 64, w1 = u1 / 64;
  const std::uint64_t first = ~std::uint64_t{0} << (u0 % 64), last = ~std::uint64_t{0} >> (63 - u1 % 64);
  for (std::uint32_t row = v0; row <= v1; ++row) {
    std::uint64_t* words = &bits_[static_cast<std::size_t>(row) * words_];
    if (w0 == w1) {
      words[w0] |= first & last;
      continue;
    }
    words[w0] |= first;
    for (std::uint32_t w = w0 + 1; w < w1; ++w) words[w] = ~std::uint64_t{0};
    words[w1] |= last;
  }
}

// No branch on the data: most rows are ruled out, and a branch taken now and
// then at random would cost more than the look-up. The grid's numbers are
// copied to locals so they stay in registers across the stores to `out`.
std::size_t ReachMap::keepCovered(const SphereRows& rows, std::uint32_t* out) const {
  const SphereShot* shots = rows.shots.data();
  const std::size_t count = rows.count;
  std::size_t kept = 0;
  if (!on_) {
    for (std::size_t j = 0; j < count; ++j) {
      out[kept] = static_cast<std::uint32_t>(j);
      kept += shots[j].valid;
    }
    return kept;
  }
  const CellScale cu = cells_u_, cv = cells_v_;
  const std::size_t byteU = sizeof(float) * static_cast<std::size_t>(u_);
  const std::size_t byteV = sizeof(float) * static_cast<std::size_t>(v_);
  const std::uint64_t* bits = bits_.data();
  const std::size_t words = words_;
  for (std::size_t j = 0; j < count; ++j) {
    // x, y and z lead the centre's record; copying by offset picks one
    // without a branch on the axis.
    const char* centre = reinterpret_cast<const char*>(&shots[j].c);
    float x, y;
    std::memcpy(&x, centre + byteU, sizeof x);
    std::memcpy(&y, centre + byteV, sizeof y);
    const std::uint32_t cellU = cu.at(x), cellV = cv.at(y);
    out[kept] = static_cast<std::uint32_t>(j);
    kept += shots[j].valid & (bits[cellV * words + cellU / 64] >> (cellU % 64));
  }
  return kept;
}

// ------------------------------------------------------------------ pair search

const std::vector<SpherePair>& SpherePairSearch::find(const SphereRows& a, const SphereRows& b, bool aliased) {
  found_.clear();
  if (a.validCount == 0 || b.validCount == 0) return found_;
  // The list with fewer valid spheres goes into buckets and onto the map; each
  // sphere of the other costs a look-up. Probing list A yields the pairs row
  // by row already.
  const bool bucketA = !aliased && a.validCount < b.validCount;
  fillBuckets(bucketA ? a : b);
  if (spheres_.empty()) return found_;
  // One list against itself: every sphere would mark its own cell.
  if (aliased)
    map_.clear();
  else
    map_.build(spheres_, (bucketA ? b : a).reach + reach_, axis_, second_axis_, (bucketA ? b : a).validCount);
  if (bucketA) {
    probe<false>(b, false);
    orderByA(a.count);
  } else {
    probe<true>(a, aliased);
  }
  return found_;
}

// The valid spheres that can touch anything, by bucket along the widest
// axis, as many buckets as spheres, by counting: no comparison sort.
void SpherePairSearch::fillBuckets(const SphereRows& rows) {
  touching_.clear();
  reach_ = 0.0f;
  float lo[3] = {INFINITY, INFINITY, INFINITY}, hi[3] = {-INFINITY, -INFINITY, -INFINITY};
  for (std::size_t j = 0; j < rows.count; ++j) {
    const SphereShot& s = rows.shots[j];
    if (!s.valid || !canTouch(s.c, s.r)) continue;
    touching_.push_back(static_cast<std::uint32_t>(j));
    reach_ = std::max(reach_, std::fabs(s.r));
    for (int k = 0; k < 3; ++k) {
      lo[k] = std::min(lo[k], axisOf(s.c, k));
      hi[k] = std::max(hi[k], axisOf(s.c, k));
    }
  }
  // The widest axis for the buckets, the next widest for the map's other side.
  int byWidth[3] = {0, 1, 2};
  std::stable_sort(byWidth, byWidth + 3, [&](int x, int y) { return hi[x] - lo[x] > hi[y] - lo[y]; });
  axis_ = byWidth[0];
  second_axis_ = byWidth[1];

  const std::size_t n = touching_.size();
  buckets_ = CellScale::across(lo[axis_], hi[axis_], static_cast<float>(n));
  const std::size_t count = static_cast<std::size_t>(buckets_.limit) + 1;
  bucket_start_.assign(count + 1, 0);
  bucket_of_.resize(n);
  for (std::size_t k = 0; k < n; ++k) {
    bucket_of_[k] = buckets_.at(axisOf(rows.shots[touching_[k]].c, axis_));
    ++bucket_start_[bucket_of_[k] + 1];
  }
  for (std::size_t b = 0; b < count; ++b) bucket_start_[b + 1] += bucket_start_[b];
  spheres_.resize(n);
  index_.resize(n);
  // Each bucket's start moves to its end while it fills; put them back after.
  for (std::size_t k = 0; k < n; ++k) {
    const std::uint32_t at = bucket_start_[bucket_of_[k]]++;
    const SphereShot& s = rows.shots[touching_[k]];
    spheres_[at] = {s.c.x, s.c.y, s.c.z, s.r};
    index_[at] = touching_[k];
  }
  for (std::size_t b = count; b > 0; --b) bucket_start_[b] = bucket_start_[b - 1];
  bucket_start_[0] = 0;
}

// Each row the map keeps against the buckets within its reach along the axis,
// |r| + the largest |r| of the bucketed list. Pairs go out as (list A, list B).
template <bool kProbeIsA>
void SpherePairSearch::probe(const SphereRows& rows, bool aliased) {
  if (near_.size() < rows.count) near_.resize(rows.count);
  const std::size_t kept = map_.keepCovered(rows, near_.data());
  for (std::size_t k = 0; k < kept; ++k) {
    const std::uint32_t row = near_[k];
    const SphereShot& s = rows.shots[row];
    const float key = axisOf(s.c, axis_), half = withRounding(key, std::fabs(s.r) + reach_);
    const std::uint32_t end = bucket_start_[buckets_.at(key + half) + 1];
    const std::size_t begin = found_.size();
    for (std::uint32_t p = bucket_start_[buckets_.at(key - half)]; p < end; ++p) {
      const std::uint32_t other = index_[p];
      if (aliased && other <= row) continue;
      // The differences only change sign when the roles swap, so the sum is
      // the exact test's bit for bit either way round.
      const Vector4& o = spheres_[p];
      const float dx = s.c.x - o.x, dy = s.c.y - o.y, dz = s.c.z - o.z, r = s.r + o.w;
      if (!(dx * dx + dy * dy + dz * dz < r * r * kReachSlack)) continue;
      found_.push_back(kProbeIsA ? SpherePair{row, other} : SpherePair{other, row});
    }
    // A row's pairs came in bucket order; the walk answers them in list order.
    if (kProbeIsA && found_.size() - begin > 1)
      std::sort(found_.begin() + begin, found_.end(),
                [](const SpherePair& x, const SpherePair& y) { return x.b < y.b; });
  }
}

// Pairs that came in list-B order, put in list-A order by counting: stable,
// so each list-A index keeps its pairs in list-B order.
void SpherePairSearch::orderByA(std::size_t countA) {
  row_start_.assign(countA + 1, 0);
  for (const SpherePair& q : found_) ++row_start_[q.a + 1];
  for (std::size_t i = 0; i < countA; ++i) row_start_[i + 1] += row_start_[i];
  ordered_.resize(found_.size());
  for (const SpherePair& q : found_) ordered_[row_start_[q.a]++] = q;
  found_.swap(ordered_);
}

}  // namespace rk::rigidbody
