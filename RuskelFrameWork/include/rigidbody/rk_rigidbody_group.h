// The twelve collision groups that push rigid bodies apart: list A holds
// bodies of one shape, list B bodies of one shape, infinite planes or triangle
// meshes. Once registered with the collision-group manager a group tests its
// pairs every substep and turns each contact into opposite forces through the
// bodies' calcImpact and addForceAt, with its own impact parameters.
//
// The lists hold plain pointers and take no reference. A body that is
// destroyed leaves every group's lists by itself; planes and meshes must stay
// alive while a registered group lists them.
#pragma once
#include <algorithm>
#include <type_traits>
#include <vector>

#include "col/rk_collision_group.h"
#include "col/rk_collision_plane.h"
#include "col/rk_geo_collision.h"
#include "rigidbody/rk_rigidbody_shapes.h"

namespace rk::rigidbody {

// Contact-force parameters of a group: spring per unit of depth, damper per
// unit of approach speed, friction coefficient and friction cap.
class ImpactParameter {
 public:
  virtual ~ImpactParameter() = default;

  float getSpring() const { return spring_; }
  void setSpring(float value) { spring_ = value; }
  float getDamper() const { return damper_; }
  void setDamper(float value) { damper_ = value; }
  float getFlic() const { return flic_; }
  void setFlic(float value) { flic_ = value; }
  float getFlicMax() const { return flic_max_; }
  void setFlicMax(float value) { flic_max_ = value; }

 private:
  float spring_ = 5000.0f;
  float damper_ = 50.0f;
  float flic_ = 0.7f;
  float flic_max_ = 40000.0f;
};

// The sphere-sphere group finds its pairs through buckets and a reach map
// over copies of the bodies' centres instead of testing every pair; the
// result is the same. Switched off, it
// walks every pair: tests and benchmarks compare the two.
void setPairBroadPhase(bool enabled);
bool isPairBroadPhase();

template <class A, class B>
class RigidBodyCollisionGroup : public collision::CollisionGroup<std::vector<A*>, std::vector<B*>>,
                                public ImpactParameter,
                                private IRigidBodyHolder {
 public:
  using MemberA = A;
  using MemberB = B;

  // With alias set (same-shape groups only) group B is list A: every pair of
  // the one list is tested once.
  explicit RigidBodyCollisionGroup(bool alias = false) {
    this->group_a_ = &own_a_;
    this->group_b_ = &own_b_;
    if constexpr (std::is_same_v<A, B>) {
      if (alias) this->group_b_ = &own_a_;
    }
    registerRigidBodyHolder(this);
  }
  ~RigidBodyCollisionGroup() override { unregisterRigidBodyHolder(this); }

  void addGroupA(A* member) { this->group_a_->push_back(member); }
  // Appends to the list group B points at (the shared list of an aliased group).
  virtual void addGroupB(B* member) { this->group_b_->push_back(member); }
  bool isGroupAEqGroupB() const {
    return static_cast<const void*>(this->group_a_) == static_cast<const void*>(this->group_b_);
  }

  const std::vector<A*>& ownListA() const { return own_a_; }
  const std::vector<B*>& ownListB() const { return own_b_; }

 protected:
  std::vector<A*> own_a_;
  std::vector<B*> own_b_;

 private:
  void forgetRigidBody(const void* body) override {
    eraseAddress(own_a_, body);
    if constexpr (std::is_base_of_v<RigidBody, B>) eraseAddress(own_b_, body);
  }
  template <class T>
  static void eraseAddress(std::vector<T*>& list, const void* address) {
    list.erase(std::remove_if(list.begin(), list.end(),
                              [address](T* entry) { return static_cast<const void*>(entry) == address; }),
               list.end());
  }
};

class CollisionGroupRigidBodySphereSphere : public RigidBodyCollisionGroup<RigidBodySphere, RigidBodySphere> {
 public:
  using RigidBodyCollisionGroup::RigidBodyCollisionGroup;
  void exec() override;
  // On an aliased group the body goes to the own list B, which is never
  // tested, and the call is reported.
  void addGroupB(RigidBodySphere* member) override;
};

class CollisionGroupRigidBodySphereCapsule : public RigidBodyCollisionGroup<RigidBodySphere, RigidBodyCapsule> {
 public:
  void exec() override;
};

class CollisionGroupRigidBodySphereOBB : public RigidBodyCollisionGroup<RigidBodySphere, RigidBodyOBB> {
 public:
  void exec() override;
};

class CollisionGroupRigidBodySpherePlane : public RigidBodyCollisionGroup<RigidBodySphere, collision::Plane> {
 public:
  void exec() override;
};

class CollisionGroupRigidBodySphereGeo : public RigidBodyCollisionGroup<RigidBodySphere, collision::GeoCollision> {
 public:
  void exec() override;
};

class CollisionGroupRigidBodyCapsuleCapsule : public RigidBodyCollisionGroup<RigidBodyCapsule, RigidBodyCapsule> {
 public:
  using RigidBodyCollisionGroup::RigidBodyCollisionGroup;
  void exec() override;
};

class CollisionGroupRigidBodyCapsuleOBB : public RigidBodyCollisionGroup<RigidBodyCapsule, RigidBodyOBB> {
 public:
  void exec() override;
};

class CollisionGroupRigidBodyCapsulePlane : public RigidBodyCollisionGroup<RigidBodyCapsule, collision::Plane> {
 public:
  void exec() override;
};

class CollisionGroupRigidBodyCapsuleGeo : public RigidBodyCollisionGroup<RigidBodyCapsule, collision::GeoCollision> {
 public:
  void exec() override;
};

class CollisionGroupRigidBodyOBBOBB : public RigidBodyCollisionGroup<RigidBodyOBB, RigidBodyOBB> {
 public:
  using RigidBodyCollisionGroup::RigidBodyCollisionGroup;
  void exec() override;
};

class CollisionGroupRigidBodyOBBPlane : public RigidBodyCollisionGroup<RigidBodyOBB, collision::Plane> {
 public:
  void exec() override;
};

class CollisionGroupRigidBodyOBBGeo : public RigidBodyCollisionGroup<RigidBodyOBB, collision::GeoCollision> {
 public:
  void exec() override;
};

}  // namespace rk::rigidbody
