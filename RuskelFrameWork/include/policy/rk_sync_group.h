// A model-and-body pair run once per frame by the sync unit: the object joins
// the sync unit's list when it is made (while the unit exists) and leaves it
// when it is destroyed. Neither link holds a reference. A body that derives
// from the rigid body and is destroyed while linked is forgotten (the link
// reads null), so a sync never reaches a freed body.
#pragma once
#include <type_traits>

#include "flush/rk_sync_unit.h"
#include "kernel/rk_instance_table.h"
#include "policy/rk_policy.h"
#include "rigidbody/rk_rigidbody_hooks.h"

namespace rk::rigidbody { class RigidBody; }

namespace rk::policy {

template <class Model, class Body>
class SyncGroup : public ISync, private rigidbody::IRigidBodyHolder {
 public:
  SyncGroup() {
    if (singletonExists(InstanceSlot::SyncUnit)) flush::SyncUnit::getInstance()->addSync(this);
    rigidbody::registerRigidBodyHolder(this);
  }
  ~SyncGroup() override {
    rigidbody::unregisterRigidBodyHolder(this);
    if (singletonExists(InstanceSlot::SyncUnit)) flush::SyncUnit::getInstance()->removeSync(this);
  }
  SyncGroup(const SyncGroup&) = delete;
  SyncGroup& operator=(const SyncGroup&) = delete;

  Model* getModel() const { return model_; }
  void setModel(Model* model) { model_ = model; }
  Body* getBody() const { return body_; }
  void setBody(Body* body) { body_ = body; }

 protected:
  Model* model_ = nullptr;
  Body* body_ = nullptr;

 private:
  void forgetRigidBody(const void* body) override {
    if (body_ && static_cast<const void*>(body_) == body) body_ = nullptr;
  }
};

}  // namespace rk::policy
