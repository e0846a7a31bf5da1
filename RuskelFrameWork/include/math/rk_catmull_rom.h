// Catmull-Rom path through points; point i lies at t = i. An open path uses
// quadratic end segments whose inner tangents match the Catmull-Rom tangents; a
// closed path (loop) wraps its neighbours around.
#pragma once
#include <cstdint>
#include <vector>

#include "math/rk_vector.h"

namespace rk::math {

class Vec3CatmullRom {
 public:
  virtual ~Vec3CatmullRom() = default;

  void pushPoint(const Vector4& p) { points_.push_back(p); }
  void clear() { points_.clear(); }
  void setLoop(bool loop) { loop_ = loop ? 1 : 0; }
  bool isLoop() const { return loop_ != 0; }
  const std::vector<Vector4>& points() const { return points_; }

  // Writes the point at t and returns &out, or null when there are no points.
  // Parameters before the path (t <= -1 open, t < 0 closed, with three points
  // or more) give the first point; past the open path's end the last point.
  Vector4* calc(float t, Vector4& out) const;

 private:
  Vector4* calcOpen(float t, Vector4& out) const;
  Vector4* calcClosed(float t, Vector4& out) const;

  std::vector<Vector4> points_;
  std::uint8_t loop_ = 0;
};

}  // namespace rk::math
