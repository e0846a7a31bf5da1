// The numerical core of a rigid body: forces of a substep (gravity, damping,
// contacts), the penalty contact model, integration of position, velocity,
// orientation and angular velocity, and the derived matrices. Single
// precision; square roots in double precision rounded to float.
#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "math/rk_matrix.h"
#include "rigidbody/rk_rigidbody.h"

namespace rk::rigidbody {

using math::kFloatEpsilon;

namespace {

// The small vector helpers are forced inline: out of line, each four-float
// result goes back through memory and stalls the integration's long chain of
// dependent operations.

[[gnu::always_inline]] inline Vector4 cross(const Vector4& a, const Vector4& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x, 0.0f};
}

[[gnu::always_inline]] inline float dot3(const Vector4& a, const Vector4& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

[[gnu::always_inline]] inline float length3(const Vector4& v) {
  return static_cast<float>(std::sqrt(static_cast<double>(dot3(v, v))));
}

// Row vector (x, y, z, 0) times the matrix, all four components.
[[gnu::always_inline]] inline Vector4 mulDirection(const Vector4& v, const Matrix& m) {
  Vector4 out;
  float* o = &out.x;
  for (int j = 0; j < 4; ++j) o[j] = v.x * m.m[0][j] + v.y * m.m[1][j] + v.z * m.m[2][j];
  return out;
}

// (a ⊗ b).xyz = a.w·b.xyz + b.w·a.xyz + a.xyz × b.xyz, (a ⊗ b).w = a.w·b.w − a.xyz·b.xyz.
[[gnu::always_inline]] inline Vector4 quatProduct(const Vector4& a, const Vector4& b) {
  const Vector4 c = cross(a, b);
  return {a.w * b.x + b.w * a.x + c.x, a.w * b.y + b.w * a.y + c.y, a.w * b.z + b.w * a.z + c.z,
          a.w * b.w - dot3(a, b)};
}

// q / |q| when |q| > 0; a zero quaternion stays zero.
[[gnu::always_inline]] inline Vector4 normalizedQuat(const Vector4& q) {
  const float sum = q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w;
  const float length = static_cast<float>(std::sqrt(static_cast<double>(sum)));
  if (!(length > 0.0f)) return q;
  return {q.x / length, q.y / length, q.z / length, q.w / length};
}

[[gnu::always_inline]] inline bool isZero3(const Vector4& v) {
  return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f;
}

// q + (±0) is q for every component: each is finite and none is −0.
bool keepsAddedZeros(const Vector4& q) {
  for (const float c : {q.x, q.y, q.z, q.w})
    if (!std::isfinite(c) || (c == 0.0f && std::signbit(c))) return false;
  return true;
}

Matrix rotate(const Matrix& r, const Matrix& tensor, const Matrix& rt) {
  return math::matrixMultiply(math::matrixMultiply(r, tensor), rt);
}

// The translation row and the centre built from it are read back as whole
// 16-byte rows right after they are written; written as separate floats,
// each such read waits for a store-forwarding stall (a tenth of the step).
// So they are put together in one register and stored whole.
#if defined(__SSE2__)
[[gnu::always_inline]] inline __m128 xyzMask() { return _mm_castsi128_ps(_mm_set_epi32(0, -1, -1, -1)); }
#endif

[[gnu::always_inline]] inline Vector4 translationOf(const Matrix& m) {
#if defined(__SSE2__)
  Vector4 out;
  _mm_store_ps(&out.x, _mm_and_ps(_mm_load_ps(m.m[3]), xyzMask()));
  return out;
#else
  return {m.m[3][0], m.m[3][1], m.m[3][2], 0.0f};
#endif
}

// Row 3 of the matrix becomes (x, y, z) of the position, keeping its w.
[[gnu::always_inline]] inline void placeTranslation(Matrix& m, const Vector4& position) {
#if defined(__SSE2__)
  const __m128 mask = xyzMask();
  const __m128 xyz = _mm_and_ps(_mm_load_ps(&position.x), mask);
  _mm_store_ps(m.m[3], _mm_or_ps(xyz, _mm_andnot_ps(mask, _mm_load_ps(m.m[3]))));
#else
  m.m[3][0] = position.x;
  m.m[3][1] = position.y;
  m.m[3][2] = position.z;
#endif
}

}  // namespace

bool RigidBody::hasUsableMass() const { return mass_ != 0.0f && std::isfinite(mass_); }

void RigidBody::calcImpact(Vector4& force, RigidBody* other, const Vector4& normal, const Vector4& pointA,
                           const Vector4& pointB, float spring, float damper, float flic, float flicMax) {
  calcImpactForce(force, other, normal, pointA, pointB, spring, damper, flic, flicMax);
}

void RigidBody::calcImpactForce(Vector4& force, RigidBody* other, const Vector4& normal, const Vector4& pointA,
                                const Vector4& pointB, float spring, float damper, float flic, float flicMax) {
  // Each body's velocity is taken at the other body's contact point.
  Vector4 v = calcPointVelocity(pointB);
  if (other) v.subAssign(other->calcPointVelocity(pointA));
  const float vn = dot3(normal, v);
  const float depth = dot3(pointB.minus(pointA), normal);
  const float fn = spring * depth - damper * vn;
  if (!(fn > 0.0f)) {  // the model pushes, never pulls (NaN included)
    force.zero();
    return;
  }
  force = {normal.x * fn, normal.y * fn, normal.z * fn, 0.0f};
  // The sliding velocity, reversed: friction opposes it.
  const Vector4 t = normal.scaled(vn).minus(v);
  const float tl = length3(t);
  if (!(tl > 0.0f)) return;
  const float product = fn * flic;
  const float friction = product < flicMax ? product : flicMax;  // NaN takes the cap
  force.x += t.x / tl * friction;
  force.y += t.y / tl * friction;
  force.z += t.z / tl * friction;
}

Vector4 RigidBody::calcPointVelocity(const Vector4& point) const {
  Vector4 u{0.0f, 0.0f, 0.0f, 0.0f};
  for (const RigidBody* b = this; b; b = b->parent_) {
    const Vector4 r = point.minus(translationOf(b->world_));
    Vector4 linear = b->velocity_, angular = b->omega_;
    if (b->parent_) {
      linear = mulDirection(b->velocity_, b->world_);
      angular = mulDirection(b->omega_, b->world_);
    }
    u.addAssign(linear);
    const Vector4 spin = cross(angular, r);
    u.x += spin.x, u.y += spin.y, u.z += spin.z;
  }
  return u;
}

void RigidBody::addForceAt(const Vector4& point, const Vector4& force) {
  if (dot3(force, force) < kFloatEpsilon) return;
  Vector4 r = point.minus(translationOf(world_));
  Vector4 applied = force;
  if (parent_) {
    // Into the parent's frame, where velocity and omega live. The arm is an
    // offset, so it turns with the rotation alone (a point transform through
    // the transposed matrix would divide by r·t + 1, which can be zero).
    const Matrix m = math::matrixTranspose(parent_->world_);
    r = mulDirection(r, m);
    r.w = 0.0f;
    applied = mulDirection(force, m);
  }
  force_.addAssign(applied);
  if (dot3(r, r) < kFloatEpsilon) return;
  const Vector4 moment = cross(r, applied);
  torque_.x += moment.x, torque_.y += moment.y, torque_.z += moment.z;
}

void RigidBody::beginSubstep() {
  if (!valid_) {
    force_.zero();
    torque_.zero();
    return;
  }
  updateWorldMatrix();
  if (collision_) {
    placing_shape_ = true;
    collision_->setCenter(translationOf(world_));
    collision_->setFromMatrix(world_);
    placing_shape_ = false;
  }
  force_ = {mass_ * gravity_.x - linear_damping_ * velocity_.x, mass_ * gravity_.y - linear_damping_ * velocity_.y,
            mass_ * gravity_.z - linear_damping_ * velocity_.z, 0.0f};
  const float k = hasUsableMass() ? -angular_damping_ / mass_ : 0.0f;
  const Vector4 momentum = mulDirection(omega_, world_inertia_);
  torque_ = {momentum.x * k, momentum.y * k, momentum.z * k, 0.0f};
  if (sim_init_) sim_init_->syncSimInit(this);
}

void RigidBody::integrate(float dt) {
  if (!valid_) return;
  if (sim_exec_) sim_exec_->syncSimExec(this, dt);

  const float half_dt2 = 0.5f * dt * dt;
  // p += dt·v + ½dt²·a and v += dt·a with a = F / m, x, y and z alike; w keeps
  // its value. Lane by lane these are the same operations in the same order
  // as on single floats, and whole rows are stored (see placeTranslation).
#if defined(__SSE2__)
  const __m128 mask = xyzMask();
  const __m128 p = _mm_load_ps(&position_.x), v = _mm_load_ps(&velocity_.x);
  const __m128 a = hasUsableMass() ? _mm_div_ps(_mm_load_ps(&force_.x), _mm_set1_ps(mass_)) : _mm_setzero_ps();
  const __m128 step = _mm_set1_ps(dt);
  const __m128 moved = _mm_add_ps(_mm_add_ps(p, _mm_mul_ps(step, v)), _mm_mul_ps(_mm_set1_ps(half_dt2), a));
  const __m128 sped = _mm_add_ps(v, _mm_mul_ps(step, a));
  _mm_store_ps(&position_.x, _mm_or_ps(_mm_and_ps(mask, moved), _mm_andnot_ps(mask, p)));
  _mm_store_ps(&velocity_.x, _mm_or_ps(_mm_and_ps(mask, sped), _mm_andnot_ps(mask, v)));
#else
  const Vector4 a = hasUsableMass() ? force_.divided(mass_) : Vector4{0.0f, 0.0f, 0.0f, 0.0f};
  position_.x += dt * velocity_.x, position_.y += dt * velocity_.y, position_.z += dt * velocity_.z;
  position_.x += half_dt2 * a.x, position_.y += half_dt2 * a.y, position_.z += half_dt2 * a.z;
  velocity_.x += dt * a.x, velocity_.y += dt * a.y, velocity_.z += dt * a.z;
#endif

  if (!world_tensors_current_) {
    world_inertia_ = rotate(rotation_, inertia_, rotation_transposed_);
    world_inverse_inertia_ = rotate(rotation_, inverse_inertia_, rotation_transposed_);
    world_tensors_current_ = true;
  }
  Vector4 alpha = mulDirection(torque_, world_inverse_inertia_);
  alpha.w = 0.0f;

  // A body that neither spins nor gains spin would only add zeros to a
  // quaternion that normalising has already left as it was: the quaternion
  // and its matrices keep every bit, so the products are skipped.
  const bool still = has_steady_orientation_ && isZero3(omega_) && isZero3(alpha) && std::isfinite(half_dt2) &&
                     std::memcmp(&steady_orientation_, &orientation_, sizeof orientation_) == 0;
  if (!still) {
    // q̇ = ½ω ⊗ q and its derivative, from the orientation and ω of the substep's start.
    const Vector4& q = orientation_;
    const Vector4 q_dot = quatProduct(omega_.scaled(0.5f), q);
    const Vector4 spin = quatProduct(q, alpha);
    const float w2 = 0.25f * dot3(omega_, omega_);
    const Vector4 s{spin.x - w2 * q.x, spin.y - w2 * q.y, spin.z - w2 * q.z, spin.w - w2 * q.w};
    const Vector4 next{q.x + dt * q_dot.x + half_dt2 * s.x, q.y + dt * q_dot.y + half_dt2 * s.y,
                       q.z + dt * q_dot.z + half_dt2 * s.z, q.w + dt * q_dot.w + half_dt2 * s.w};
    const Vector4 turned = normalizedQuat(next);
    // Normalising kept this quaternion as it was, so it would keep it again.
    has_steady_orientation_ = std::memcmp(&turned, &next, sizeof turned) == 0 && keepsAddedZeros(turned);
    if (has_steady_orientation_) steady_orientation_ = turned;
    // The rotation matrix is a pure function of the quaternion: a body whose
    // quaternion kept every bit (one that does not spin) keeps its matrices.
    const bool same = std::memcmp(&turned, &orientation_, sizeof turned) == 0;
    orientation_ = turned;
    if (!same) {
      rotation_ = math::matrixFromQuaternion(orientation_);
      rotation_transposed_ = math::matrixTranspose(rotation_);
      world_tensors_current_ = false;
    }
  }
  omega_.x += dt * alpha.x, omega_.y += dt * alpha.y, omega_.z += dt * alpha.z;
  updateWorldMatrix();
  if (sim_execed_) sim_execed_->syncSimExeced(this, dt);
}

void RigidBody::setQuat(const Vector4& q) {
  orientation_ = normalizedQuat(q);
  rotation_ = math::matrixFromQuaternion(orientation_);
  rotation_transposed_ = math::matrixTranspose(rotation_);
  world_inertia_ = rotate(rotation_, inertia_, rotation_transposed_);
  world_inverse_inertia_ = rotate(rotation_, inverse_inertia_, rotation_transposed_);
  world_tensors_current_ = true;
  updateWorldMatrix();
  if (collision_) {
    placing_shape_ = true;
    collision_->setFromMatrix(rotation_);
    collision_->setCenter(translationOf(world_));
    placing_shape_ = false;
  }
  if (model_ && modelDriver().setMatrix) modelDriver().setMatrix(model_, world_);
}

void RigidBody::setInertiaTensor(const Matrix& tensor) {
  inertia_ = tensor;
  inverse_inertia_ = math::matrixInverse(tensor);
  // world_inertia_ keeps its old value until the next integration, as before.
  world_tensors_current_ = false;
}

void RigidBody::updateWorldMatrix() {
  world_ = rotation_;
  placeTranslation(world_, position_);
  if (parent_) world_ = math::matrixMultiply(world_, parent_->world_);
}

}  // namespace rk::rigidbody
