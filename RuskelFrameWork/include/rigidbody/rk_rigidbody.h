// The rigid body: the state the physics step advances (position, orientation,
// velocities, force and torque accumulators, mass, gravity, damping, inertia,
// world matrix), non-owning links to what it drives (a model, a collision
// shape, a sync body), a parent whose frame it moves in, and six step hooks.
// Bodies are reference-counted and register with the RigidBodyManager while
// they exist. Main thread only.
#pragma once
#include "col/rk_check_plane.h"
#include "col/rk_collision_body.h"
#include "math/rk_matrix.h"
#include "math/rk_vector.h"
#include "policy/rk_policy.h"
#include "policy/rk_shared_object.h"
#include "rigidbody/rk_rigidbody_hooks.h"
#include "script/rk_lua_object.h"

namespace rk::gfx {
class GModel;
}

namespace rk::rigidbody {

using math::Matrix;
using math::Vector4;

// What a body does to the model it drives: place it at the world matrix and
// hide it when the body is finalized. The scene module installs the two
// functions; while none is installed a linked model is only remembered.
struct ModelDriver {
  void (*setMatrix)(gfx::GModel* model, const Matrix& world) = nullptr;
  void (*hide)(gfx::GModel* model) = nullptr;
};
void setModelDriver(const ModelDriver& driver);
const ModelDriver& modelDriver();

// The gravity every body starts with.
constexpr Vector4 kDefaultGravity{0.0f, -9.8f, 0.0f, 0.0f};

class RigidBody : public policy::SharedObject,
                  public policy::IInitialize,
                  public policy::IFinalize,
                  public script::ILuaMethod,
                  public policy::IIsUse,
                  public collision::ICheckPlane {
 public:
  // Defaults, then registration with the manager. Not valid, not in use.
  RigidBody();
  // Leaves the manager, every container that lists the body and every child's
  // parent link.
  ~RigidBody() override;

  // 0 for the plain body; the shaped bodies answer their shape's kind.
  virtual int getCollisionKind() { return 0; }
  // The contact force on this body (the group applies it and its opposite);
  // forwards to calcImpactForce unless a derived body responds otherwise.
  virtual void calcImpact(Vector4& force, RigidBody* other, const Vector4& normal, const Vector4& pointA,
                          const Vector4& pointB, float spring, float damper, float flic, float flicMax);
  // Spring-damper along the normal with capped friction across it. The normal
  // points from the other side towards this body; pointA lies on this body,
  // pointB on the other (or on static geometry when other is null).
  virtual void calcImpactForce(Vector4& force, RigidBody* other, const Vector4& normal, const Vector4& pointA,
                               const Vector4& pointB, float spring, float damper, float flic, float flicMax);
  // Adds the force, and its torque about the body's world position.
  virtual void addForceAt(const Vector4& point, const Vector4& force);
  virtual void setMass(float mass) { mass_ = mass; }
  virtual void setVelocity(const Vector4& velocity) { velocity_ = velocity; }
  virtual void beginStep();
  // Replaces force and torque by gravity and damping, places the collision body.
  virtual void beginSubstep();
  virtual void afterCollision();
  virtual void integrate(float dt);
  // Hands the world matrix to the model, collision body and sync body.
  virtual void flushSync();

  host::HResult initialize() override;
  void finalize() override;
  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;
  void setUse(bool use) override { use_ = use; }
  bool isUse() override { return use_; }
  // The plain body has no shape: no point lies below any plane.
  int checkPlane(Vector4& normal, Vector4* points, Vector4* projections, const collision::Plane& plane) override {
    return 0;
  }

  // Normalises q (a zero q stays zero) and derives rotation, world inertia and
  // world matrix; places the collision body and the model.
  void setQuat(const Vector4& q);
  // Body-space inertia and its inverse (a singular tensor has a zero inverse).
  void setInertiaTensor(const Matrix& tensor);
  // Rotation with the position as translation, times the parent's world matrix.
  void updateWorldMatrix();
  // Velocity of the material point at P, including the parents' motion.
  Vector4 calcPointVelocity(const Vector4& point) const;

  bool isValid() const { return valid_; }
  void setValid(bool valid) { valid_ = valid; }
  float getMass() const { return mass_; }
  // Relative to the parent's frame when there is a parent.
  const Vector4& getPosition() const { return position_; }
  // Stores the position; call updateWorldMatrix to move the world matrix.
  void setPosition(const Vector4& position) { position_ = position; }
  const Vector4& getGravity() const { return gravity_; }
  void setGravity(const Vector4& gravity) { gravity_ = gravity; }
  const Vector4& getVelocity() const { return velocity_; }
  const Vector4& getOmega() const { return omega_; }
  void setOmega(const Vector4& omega) { omega_ = omega; }
  const Vector4& getTorque() const { return torque_; }
  const Vector4& getForce() const { return force_; }
  const Vector4& getQuat() const { return orientation_; }
  float getLinearDamping() const { return linear_damping_; }
  void setLinearDamping(float damping) { linear_damping_ = damping; }
  float getAngularDamping() const { return angular_damping_; }
  void setAngularDamping(float damping) { angular_damping_ = damping; }
  const Matrix& getInertia() const { return inertia_; }
  const Matrix& getInverseInertia() const { return inverse_inertia_; }
  const Matrix& getWorldInertia() const { return world_inertia_; }
  const Matrix& getRotation() const { return rotation_; }
  const Matrix& getWorldMatrix() const { return world_; }

  RigidBody* getParent() const { return parent_; }
  // Refuses (false, nothing changes) a parent that is the body itself or one
  // of its descendants: a loop of parents would never end the walk up.
  bool setParent(RigidBody* parent);

  ISyncBody* getSyncBody() const { return sync_body_; }
  void setSyncBody(ISyncBody* body) { sync_body_ = body; }
  gfx::GModel* getModel() const { return model_; }
  void setModel(gfx::GModel* model) { model_ = model; }
  collision::CollisionBody* getCollisionBody() const { return collision_; }
  void setCollisionBody(collision::CollisionBody* body) { collision_ = body; }
  void setSyncSimStart(ISyncSimStart* hook) { sim_start_ = hook; }
  void setSyncSimInit(ISyncSimInit* hook) { sim_init_ = hook; }
  void setSyncSimConst(ISyncSimConst* hook) { sim_const_ = hook; }
  void setSyncSimExec(ISyncSimExec* hook) { sim_exec_ = hook; }
  void setSyncSimExeced(ISyncSimExeced* hook) { sim_execed_ = hook; }
  void setSyncSimFlush(ISyncSimFlush* hook) { sim_flush_ = hook; }
  ISyncSimStart* getSyncSimStart() const { return sim_start_; }
  ISyncSimInit* getSyncSimInit() const { return sim_init_; }
  ISyncSimConst* getSyncSimConst() const { return sim_const_; }
  ISyncSimExec* getSyncSimExec() const { return sim_exec_; }
  ISyncSimExeced* getSyncSimExeced() const { return sim_execed_; }
  ISyncSimFlush* getSyncSimFlush() const { return sim_flush_; }

 protected:
  // True while the body itself places its collision body at its pose: a
  // shaped body's centre setter then moves only the shape, since the body is
  // already there (feeding the world translation back into a parent-relative
  // position would push a child body further out every substep).
  bool isPlacingShape() const { return placing_shape_; }
  // Forces divide by the mass only when it is a usable number: a zero or
  // non-finite mass leaves the body unaccelerated instead of blowing up.
  bool hasUsableMass() const;
  void clearLinks();

  bool valid_ = false;
  bool use_ = false;
  float mass_ = 1.0f;
  Vector4 position_{0.0f, 0.0f, 0.0f, 0.0f};
  Vector4 gravity_ = kDefaultGravity;
  Vector4 velocity_{0.0f, 0.0f, 0.0f, 0.0f};
  Vector4 omega_{0.0f, 0.0f, 0.0f, 0.0f};
  Vector4 torque_{0.0f, 0.0f, 0.0f, 0.0f};
  Vector4 orientation_{0.0f, 0.0f, 0.0f, 1.0f};
  Matrix world_inertia_ = math::matrixIdentity();
  Matrix inertia_ = math::matrixIdentity();
  Matrix inverse_inertia_ = math::matrixIdentity();
  Matrix rotation_ = math::matrixIdentity();
  Matrix rotation_transposed_ = math::matrixIdentity();
  // The world-space tensors depend only on the rotation and the body tensors;
  // most bodies (bullets) never spin, so they are rebuilt only after either changes.
  Matrix world_inverse_inertia_ = math::matrixIdentity();
  bool world_tensors_current_ = false;
  float linear_damping_ = 0.2f;
  float angular_damping_ = 0.7f;
  Matrix world_ = math::matrixIdentity();
  Vector4 force_{0.0f, 0.0f, 0.0f, 0.0f};
  RigidBody* parent_ = nullptr;
  ISyncBody* sync_body_ = nullptr;
  gfx::GModel* model_ = nullptr;
  collision::CollisionBody* collision_ = nullptr;
  ISyncSimStart* sim_start_ = nullptr;
  ISyncSimInit* sim_init_ = nullptr;
  ISyncSimConst* sim_const_ = nullptr;
  ISyncSimExec* sim_exec_ = nullptr;
  ISyncSimExeced* sim_execed_ = nullptr;
  ISyncSimFlush* sim_flush_ = nullptr;

 private:
  friend class RigidBodyManager;
  bool placing_shape_ = false;
  // The last quaternion that normalising left unchanged: while the body does
  // not spin and keeps it, the integration need not turn it.
  Vector4 steady_orientation_{0.0f, 0.0f, 0.0f, 0.0f};
  bool has_steady_orientation_ = false;
  bool registered_ = false;
};

}  // namespace rk::rigidbody
