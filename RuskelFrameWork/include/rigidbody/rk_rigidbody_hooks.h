// The interfaces through which other objects take part in a rigid body's
// physics step: the sync body that receives the world matrix, the six step
// hooks, the inertia set-up of shaped bodies, and the containers that list
// bodies by plain pointer.
#pragma once
#include "math/rk_matrix.h"

namespace rk::rigidbody {

class RigidBody;

// Receives the body's world matrix after every step (an effect, for example).
class ISyncBody {
 public:
  virtual ~ISyncBody() = default;
  virtual void syncBody(const math::Matrix* world) = 0;
};

// Once per step, before the substeps.
class ISyncSimStart {
 public:
  virtual ~ISyncSimStart() = default;
  virtual void syncSimStart(RigidBody* body) = 0;
};

// Each substep, after gravity and damping have replaced force and torque.
class ISyncSimInit {
 public:
  virtual ~ISyncSimInit() = default;
  virtual void syncSimInit(RigidBody* body) = 0;
};

// Each substep, after the collision groups.
class ISyncSimConst {
 public:
  virtual ~ISyncSimConst() = default;
  virtual void syncSimConst(RigidBody* body) = 0;
};

// Each substep, before the body is advanced.
class ISyncSimExec {
 public:
  virtual ~ISyncSimExec() = default;
  virtual void syncSimExec(RigidBody* body, float dt) = 0;
};

// Each substep, after the body was advanced.
class ISyncSimExeced {
 public:
  virtual ~ISyncSimExeced() = default;
  virtual void syncSimExeced(RigidBody* body, float dt) = 0;
};

// After the step, once model, collision body and sync body are placed.
class ISyncSimFlush {
 public:
  virtual ~ISyncSimFlush() = default;
  virtual void syncSimFlush(RigidBody* body) = 0;
};

// Shaped bodies compute their body-space inertia from mass and shape.
class ISetupTensor {
 public:
  virtual ~ISetupTensor() = default;
  virtual void setupTensor() = 0;
};

// A container that lists bodies by plain pointer registers itself here; a
// body that is destroyed is then taken out of it, so a script may drop a body
// while a group still lists it. The address is that of the body's RigidBody
// part or of its sphere, capsule or box body part, whichever the container stores.
class IRigidBodyHolder {
 public:
  virtual ~IRigidBodyHolder() = default;
  virtual void forgetRigidBody(const void* body) = 0;
};

void registerRigidBodyHolder(IRigidBodyHolder* holder);
void unregisterRigidBodyHolder(IRigidBodyHolder* holder);
// Tells every registered holder that the body at this address is going.
void forgetRigidBodyEverywhere(const void* body);

}  // namespace rk::rigidbody
