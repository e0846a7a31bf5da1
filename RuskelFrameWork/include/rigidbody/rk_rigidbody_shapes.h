// The three shaped rigid bodies: each is at the same time its own collision
// shape (its "shape part") and computes its inertia from mass and shape.
// Game bodies derive from them.
#pragma once
#include "col/rk_collision_capsule.h"
#include "col/rk_collision_obb.h"
#include "col/rk_collision_sphere.h"
#include "rigidbody/rk_rigidbody.h"

namespace rk::rigidbody {

class RigidBodySphere : public RigidBody, public collision::Sphere, public ISetupTensor {
 public:
  RigidBodySphere() = default;
  ~RigidBodySphere() override;

  int getCollisionKind() override { return getKind(); }
  // Moving the shape moves the body: the position becomes the centre.
  void setCenter(const Vector4& center) override;
  int checkPlane(Vector4& normal, Vector4* points, Vector4* projections, const collision::Plane& plane) override;
  // 2·m·r²/5 on the diagonal. Not rerun by setRadius or setMass.
  void setupTensor() override;
  // Radius 1, the shape part linked, the tensor of mass 1.
  host::HResult initialize() override;
  // Also unlinks the shape part.
  void finalize() override;
  void registerMethods(lua_State* L) override;
};

class RigidBodyCapsule : public RigidBody, public collision::Capsule, public ISetupTensor {
 public:
  RigidBodyCapsule();
  ~RigidBodyCapsule() override;

  int getCollisionKind() override { return getKind(); }
  // Moving the shape moves the body: the position becomes the centre.
  void setCenter(const Vector4& center) override;
  int checkPlane(Vector4& normal, Vector4* points, Vector4* projections, const collision::Plane& plane) override;
  // A solid cylinder of radius r and length 2·(r + h) along y. Not rerun by
  // setRadius, setHeight or setMass.
  void setupTensor() override;
  // Radius 1, height 1, the shape part linked, the tensor of mass 1.
  host::HResult initialize() override;
  // The shape part stays linked.
  void finalize() override;
  void registerMethods(lua_State* L) override;
};

class RigidBodyOBB : public RigidBody, public collision::OBB, public ISetupTensor {
 public:
  RigidBodyOBB();
  ~RigidBodyOBB() override;

  int getCollisionKind() override { return getKind(); }
  // The box keeps its tensor in step with mass and size.
  void setMass(float mass) override;
  void setSize(const Vector4& size) override;
  // The vector the tensor and the mesh search read; a derived box may supply another.
  virtual const Vector4* getSize();
  int checkPlane(Vector4& normal, Vector4* points, Vector4* projections, const collision::Plane& plane) override;
  // m·(b² + c²)/12 per axis from the vector of getSize.
  void setupTensor() override;
  // Size (1, 1, 1), the shape part linked, the tensor of mass 1.
  host::HResult initialize() override;
  // The shape part stays linked; the size goes back to (1, 1, 1).
  void finalize() override;
  void registerMethods(lua_State* L) override;
};

}  // namespace rk::rigidbody
