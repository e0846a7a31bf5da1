// SyncBodySphereLaser keeps a main effect on a sphere body's world matrix
// while the body is valid. Bodies can be attached, detached and replaced.
#pragma once
#include <lua.hpp>

#include "math/rk_matrix.h"
#include "rigidbody/rk_rigidbody_hooks.h"
#include "script/rk_lua_object.h"

namespace rk::effect {
class EffectHandle;
}
namespace rk::gfx {
class Camera;
}
namespace rk::rigidbody {
class RigidBodySphere;
}

namespace common {

class SyncBodySphereLaser : public rk::rigidbody::ISyncBody, private rk::rigidbody::IRigidBodyHolder {
 public:
  static const rk::script::LuaClass kLuaClass;

  SyncBodySphereLaser();
  // Unhooks itself from every body that still carries it.
  ~SyncBodySphereLaser() override;
  SyncBodySphereLaser(const SyncBodySphereLaser&) = delete;
  SyncBodySphereLaser& operator=(const SyncBodySphereLaser&) = delete;

  // The main effect takes the matrix while the body is set and valid.
  void syncBody(const rk::math::Matrix* world) override;

  // Holds a reference to the handle, so the effect cannot go while it is followed.
  void setMainEffect(rk::effect::EffectHandle* handle);
  // The old body lets go of this object, the new one carries it.
  void setBody(rk::rigidbody::RigidBodySphere* body);
  void detachBody();
  void setCamera(rk::gfx::Camera* camera) { camera_ = camera; }
  // Reports each missing link; with effect and body, puts the effect on the body.
  void setup();

  rk::rigidbody::RigidBodySphere* body() const { return body_; }
  rk::effect::EffectHandle* mainEffect() const { return main_effect_; }

 private:
  void forgetRigidBody(const void* body) override;

  rk::effect::EffectHandle* main_effect_ = nullptr;  // one reference
  rk::rigidbody::RigidBodySphere* body_ = nullptr;
  rk::gfx::Camera* camera_ = nullptr;  // only tested by setup
};

// "createSyncReflectVulcan"(): a follower owned by the script object it returns.
int lua_createSyncReflectVulcan(lua_State* L);

}  // namespace common
