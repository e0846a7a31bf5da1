// The sphere, capsule and box bodies: shape part set-up, centre setters that
// move the body, plane tests of the shape part and inertia from the shape.
#include "rigidbody/rk_rigidbody_shapes.h"

#include "col/rk_intersection.h"
#include "script/rk_script_rigidbody.h"

namespace rk::rigidbody {

namespace {

constexpr Vector4 kUnitSize{1.0f, 1.0f, 1.0f, 0.0f};

Matrix diagonal(float xx, float yy, float zz) {
  Matrix m = math::matrixIdentity();
  m.m[0][0] = xx;
  m.m[1][1] = yy;
  m.m[2][2] = zz;
  return m;
}

}  // namespace

// ------------------------------------------------------------------ sphere

// Containers may list the body by the address of this part.
RigidBodySphere::~RigidBodySphere() { forgetRigidBodyEverywhere(static_cast<RigidBodySphere*>(this)); }

void RigidBodySphere::setCenter(const Vector4& center) {
  Sphere::setCenter(center);
  if (isPlacingShape()) return;
  position_ = center;
  updateWorldMatrix();
}

int RigidBodySphere::checkPlane(Vector4& normal, Vector4* points, Vector4* projections, const collision::Plane& plane) {
  return collision::checkBodyPlane(normal, points, projections, static_cast<const Sphere&>(*this), plane);
}

void RigidBodySphere::setupTensor() {
  const float r = getRadius();
  const float i = 2.0f * mass_ * r * r / 5.0f;
  setInertiaTensor(diagonal(i, i, i));
}

host::HResult RigidBodySphere::initialize() {
  const host::HResult result = RigidBody::initialize();
  collision_ = static_cast<Sphere*>(this);
  setRadius(1.0f);
  setupTensor();
  return result;
}

void RigidBodySphere::finalize() {
  RigidBody::finalize();
  collision_ = nullptr;
}

void RigidBodySphere::registerMethods(lua_State* L) {
  lua_rigid_body::registerCommonMethods(L);
  lua_rigid_body::registerSphereMethods(L);
}

// ----------------------------------------------------------------- capsule

RigidBodyCapsule::RigidBodyCapsule() { collision_ = static_cast<Capsule*>(this); }

RigidBodyCapsule::~RigidBodyCapsule() { forgetRigidBodyEverywhere(static_cast<RigidBodyCapsule*>(this)); }

void RigidBodyCapsule::setCenter(const Vector4& center) {
  Capsule::setCenter(center);
  if (isPlacingShape()) return;
  position_ = center;
  updateWorldMatrix();
}

int RigidBodyCapsule::checkPlane(Vector4& normal, Vector4* points, Vector4* projections,
                                 const collision::Plane& plane) {
  return collision::checkBodyPlane(normal, points, projections, static_cast<const Capsule&>(*this), plane);
}

void RigidBodyCapsule::setupTensor() {
  const float r = getRadius();
  const float h = getHeight();
  const float across = mass_ * ((r + h) * (r + h) / 3.0f + r * r / 4.0f);
  setInertiaTensor(diagonal(across, mass_ * r * r / 2.0f, across));
}

host::HResult RigidBodyCapsule::initialize() {
  const host::HResult result = RigidBody::initialize();
  collision_ = static_cast<Capsule*>(this);
  setRadius(1.0f);
  setHeight(1.0f);
  setupTensor();
  return result;
}

void RigidBodyCapsule::finalize() {
  RigidBody::finalize();
  collision_ = static_cast<Capsule*>(this);
}

void RigidBodyCapsule::registerMethods(lua_State* L) {
  lua_rigid_body::registerCommonMethods(L);
  lua_rigid_body::registerCapsuleMethods(L);
}

// --------------------------------------------------------------------- box

RigidBodyOBB::RigidBodyOBB() { collision_ = static_cast<OBB*>(this); }

RigidBodyOBB::~RigidBodyOBB() { forgetRigidBodyEverywhere(static_cast<RigidBodyOBB*>(this)); }

void RigidBodyOBB::setMass(float mass) {
  RigidBody::setMass(mass);
  setupTensor();
}

void RigidBodyOBB::setSize(const Vector4& size) {
  OBB::setSize(size);
  setupTensor();
}

const Vector4* RigidBodyOBB::getSize() { return &OBB::getSize(); }

int RigidBodyOBB::checkPlane(Vector4& normal, Vector4* points, Vector4* projections, const collision::Plane& plane) {
  return collision::checkBodyPlane(normal, points, projections, static_cast<const OBB&>(*this), plane);
}

void RigidBodyOBB::setupTensor() {
  const Vector4& s = *getSize();
  setInertiaTensor(diagonal(mass_ * (s.y * s.y + s.z * s.z) / 12.0f, mass_ * (s.x * s.x + s.z * s.z) / 12.0f,
                            mass_ * (s.x * s.x + s.y * s.y) / 12.0f));
}

host::HResult RigidBodyOBB::initialize() {
  const host::HResult result = RigidBody::initialize();
  setSize(kUnitSize);
  collision_ = static_cast<OBB*>(this);
  setupTensor();
  return result;
}

void RigidBodyOBB::finalize() {
  RigidBody::finalize();
  collision_ = static_cast<OBB*>(this);
  setSize(kUnitSize);
}

void RigidBodyOBB::registerMethods(lua_State* L) {
  lua_rigid_body::registerCommonMethods(L);
  lua_rigid_body::registerOBBMethods(L);
}

}  // namespace rk::rigidbody
