// The base of every collision shape. Shapes are plain geometry without physics
// state; the tests work only through these virtual operations, so a shape is
// fully described by what they return. The order of the operations is part of
// the interface: derived classes of the game rely on it.
#pragma once
#include <cstdint>
#include <vector>

#include "math/rk_matrix.h"
#include "math/rk_vector.h"

namespace rk::collision {

using math::Matrix;
using math::Vector4;

// Shape kinds. Numbers from kUserKind on are free for shapes of the game.
enum ShapeKind : int {
  kKindBody = 0,
  kKindSphere = 1,
  kKindCapsule = 2,
  kKindOBB = 3,
  kKindPlane = 4,
  kKindTriangle = 5,
  kUserKind = 6,
};

// A direction counts as "along" a unit axis above this |dot| and "across" it below the next.
constexpr float kAlongAxis = 0.9999f;
constexpr float kAcrossAxis = 0.0026f;

class CollisionBody {
 public:
  // Scene models that drive this shape by their reverse sync forget it.
  virtual ~CollisionBody();

  virtual int getKind() const { return kKindBody; }
  virtual void setCenter(const Vector4& center) {}
  // Copies the centre into out; the base leaves out as it is.
  virtual Vector4& getCenter(Vector4& out) const { return out; }
  // Places the shape by a world matrix (rows 0-2 the axes, row 3 the translation).
  virtual void setFromMatrix(const Matrix& m) {}
  // Returns its argument unwritten; no shape fills it.
  virtual Vector4* getAuxVector(Vector4* out) const { return out; }
  // The shape's own candidate separating axes.
  virtual std::uint32_t getAxisCount() const { return 0; }
  virtual const Vector4& getAxis(std::uint32_t index) const;
  // Projection onto direction d as a centre and a half width.
  virtual void project(float& center, float& radius, const Vector4& d) const;
  // The projected interval; by default [centre - radius, centre + radius].
  virtual void getInterval(float& min, float& max, const Vector4& d) const;
  // Appends the extreme feature towards d (one vertex, an edge's two ends or a
  // face's corners) and returns the size of out afterwards.
  virtual std::uint32_t getSupportPoints(std::vector<Vector4>& out, const Vector4& d) const = 0;
};

// The centre of a shape as its getCenter reports it, starting from zero.
inline Vector4 centerOf(const CollisionBody& body) {
  Vector4 c{0.0f, 0.0f, 0.0f, 0.0f};
  body.getCenter(c);
  return c;
}

}  // namespace rk::collision
