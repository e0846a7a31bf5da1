// Planes (a, b, c, d) with a*x + b*y + c*z + d = 0.
#pragma once
#include "math/rk_vector.h"

namespace rk::math {

// (n.x, n.y, n.z, -p . n); the normal is used as given.
Vector4 planeFromPointNormal(const Vector4& point, const Vector4& normal);
// Normal = normalised (p1 - p2) x (p1 - p3), d = -normal . p1.
Vector4 planeFromPoints(const Vector4& p1, const Vector4& p2, const Vector4& p3);
// The point where the line through l1 and l2 meets the plane, written to out and
// returned as &out; a line parallel to the plane fills out with quiet NaNs and
// returns null.
Vector4* planeIntersectLine(const Vector4& plane, const Vector4& l1, const Vector4& l2, Vector4& out);

}  // namespace rk::math
