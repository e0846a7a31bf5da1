// Rigid body: construction, life cycle, links and the hand-over of the pose.
// The numerical part (forces, integration, inertia) is in rk_rigidbody_dynamics.
#include "rigidbody/rk_rigidbody.h"

#include <algorithm>
#include <vector>

#include "rigidbody/rk_rigidbody_manager.h"
#include "script/rk_script_rigidbody.h"

namespace rk::rigidbody {

namespace {

ModelDriver& driverSlot() {
  static ModelDriver driver;
  return driver;
}

// Never destroyed: holders may unregister during static teardown.
std::vector<IRigidBodyHolder*>& holders() {
  static auto* list = new std::vector<IRigidBodyHolder*>;
  return *list;
}

}  // namespace

void setModelDriver(const ModelDriver& driver) { driverSlot() = driver; }
const ModelDriver& modelDriver() { return driverSlot(); }

void registerRigidBodyHolder(IRigidBodyHolder* holder) { holders().push_back(holder); }

void unregisterRigidBodyHolder(IRigidBodyHolder* holder) {
  auto& list = holders();
  list.erase(std::remove(list.begin(), list.end(), holder), list.end());
}

void forgetRigidBodyEverywhere(const void* body) {
  for (IRigidBodyHolder* holder : holders()) holder->forgetRigidBody(body);
}

RigidBody::RigidBody() {
  if (RigidBodyManager* manager = RigidBodyManager::getInstance()) {
    manager->registerRigidBody(this);
    registered_ = true;
  }
}

RigidBody::~RigidBody() {
  RigidBodyManager* manager = RigidBodyManager::findInstance();
  if (manager && registered_) {
    manager->removeRigidBody(this);
    manager->clearParentLinksTo(this);
  }
  forgetRigidBodyEverywhere(this);
  sync_body_ = nullptr;
  model_ = nullptr;
  collision_ = nullptr;
}

host::HResult RigidBody::initialize() {
  valid_ = false;
  setMass(1.0f);
  position_.zero();
  updateWorldMatrix();
  gravity_ = kDefaultGravity;
  setVelocity({0.0f, 0.0f, 0.0f, 0.0f});
  linear_damping_ = 0.2f;
  angular_damping_ = 0.7f;
  clearLinks();
  omega_.zero();
  torque_.zero();
  force_.zero();
  world_inertia_ = inertia_ = inverse_inertia_ = rotation_ = rotation_transposed_ = math::matrixIdentity();
  world_inverse_inertia_ = math::matrixIdentity();
  world_tensors_current_ = false;
  orientation_ = {0.0f, 0.0f, 0.0f, 1.0f};
  world_ = math::matrixIdentity();
  use_ = true;
  return host::S_OK;
}

void RigidBody::finalize() {
  valid_ = false;
  use_ = false;
  if (model_ && modelDriver().hide) modelDriver().hide(model_);
  clearLinks();
}

void RigidBody::clearLinks() {
  parent_ = nullptr;
  sync_body_ = nullptr;
  model_ = nullptr;
  collision_ = nullptr;
  sim_start_ = nullptr;
  sim_init_ = nullptr;
  sim_const_ = nullptr;
  sim_exec_ = nullptr;
  sim_execed_ = nullptr;
  sim_flush_ = nullptr;
}

bool RigidBody::setParent(RigidBody* parent) {
  for (RigidBody* up = parent; up; up = up->parent_)
    if (up == this) return false;
  parent_ = parent;
  return true;
}

void RigidBody::registerMethods(lua_State* L) { lua_rigid_body::registerCommonMethods(L); }

void RigidBody::setMetatable(lua_State* L) { script::setObjectMetatable(L, script::lua_gcReleaseSharedObject); }

void RigidBody::beginStep() {
  if (valid_ && sim_start_) sim_start_->syncSimStart(this);
}

void RigidBody::afterCollision() {
  if (valid_ && sim_const_) sim_const_->syncSimConst(this);
}

void RigidBody::flushSync() {
  if (!valid_) return;
  if (model_ && modelDriver().setMatrix) modelDriver().setMatrix(model_, world_);
  if (collision_) collision_->setFromMatrix(world_);
  if (sync_body_) sync_body_->syncBody(&world_);
  if (sim_flush_) sim_flush_->syncSimFlush(this);
}

}  // namespace rk::rigidbody
