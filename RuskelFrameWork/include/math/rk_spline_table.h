// One-dimensional natural cubic spline over arbitrary, increasing parameters.
#pragma once
#include <cstddef>
#include <memory>

namespace rk::math {

class SplineTable {
 public:
  SplineTable();
  virtual ~SplineTable();
  SplineTable(const SplineTable&) = delete;
  SplineTable& operator=(const SplineTable&) = delete;

  // Appends a knot; parameters should increase.
  void push(float t, float y);
  // Appends a value only; its parameter is set later with setParameters.
  void pushValue(float y);
  // Replaces the parameter list (one per value).
  void setParameters(const float* t, std::size_t count);
  std::size_t valueCount() const;
  float value(std::size_t i) const;

  // Solves the spline over the knots present now; fewer than three knots leave
  // the previous solution in place.
  void build();
  // The built spline at t; outside the knots the end cubics extend. Before any
  // build: the first value (0 without values). A span of zero length (repeated
  // parameters) gives its first knot's value instead of dividing by zero.
  float evaluate(float t) const;
  // Frees the knots and the solution.
  void release();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace rk::math
