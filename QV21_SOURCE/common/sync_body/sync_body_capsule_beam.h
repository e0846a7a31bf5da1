// Followers that hang on a rigid body as its sync body and run once per
// physics step with the body's world matrix.
//
// SyncBodyCapsuleLaser turns a capsule body into a beam growing out of a
// firing position: first a ball whose back touches the firing position, then
// a capsule of the set-up radius whose back end stays there, until the set-up
// height is reached; from then on the body flies on untouched. A main effect
// follows the body, an optional second effect stays the set-up height ahead
// of the body along the beam.
#pragma once
#include <lua.hpp>

#include "math/rk_matrix.h"
#include "math/rk_vector.h"
#include "rigidbody/rk_rigidbody_hooks.h"
#include "script/rk_lua_object.h"

namespace rk::effect {
class EffectHandle;
}
namespace rk::gfx {
class Camera;
}
namespace rk::rigidbody {
class RigidBodyCapsule;
}

namespace common {

class SyncBodyCapsuleLaser : public rk::rigidbody::ISyncBody, private rk::rigidbody::IRigidBodyHolder {
 public:
  static const rk::script::LuaClass kLuaClass;

  SyncBodyCapsuleLaser();
  // Unhooks itself from every body that still carries it and gives back both effects.
  ~SyncBodyCapsuleLaser() override;
  SyncBodyCapsuleLaser(const SyncBodyCapsuleLaser&) = delete;
  SyncBodyCapsuleLaser& operator=(const SyncBodyCapsuleLaser&) = delete;

  // Grows the beam (until full length), then moves the effects.
  void syncBody(const rk::math::Matrix* world) override;

  // Takes a reference to the new handle and gives back the old one.
  void setMainEffect(rk::effect::EffectHandle* handle);
  // The body carries this object from now on (the previous body is not told).
  void setBody(rk::rigidbody::RigidBodyCapsule* body);
  void setCamera(rk::gfx::Camera* camera) { camera_ = camera; }
  // Records radius, height and axis of the capsule and collapses it.
  void setup();
  void setFiringPos(const rk::math::Vector4& position) { firing_ = position; }
  void setUV(float a, float b, float c, float d);
  // Plays a second effect on effect unit `unit`; false when there is no such unit.
  bool setEffect(int unit, const char* name, const rk::math::Vector4& position, const rk::math::Vector4& rotation);
  // Hides the second effect without ending it.
  void setNoneEffect();
  // Shows the main effect, or hides and ends it.
  void setMainEffectVisible(bool visible);

  rk::rigidbody::RigidBodyCapsule* body() const { return body_; }
  rk::effect::EffectHandle* mainEffect() const { return main_effect_; }
  rk::effect::EffectHandle* secondEffect() const { return second_effect_; }
  bool isFullLength() const { return full_length_; }
  bool isSecondEffectActive() const { return second_active_; }
  float setupRadius() const { return radius_; }
  float setupHeight() const { return height_; }
  float totalLength() const { return total_length_; }

 private:
  void forgetRigidBody(const void* body) override;

  rk::rigidbody::RigidBodyCapsule* body_ = nullptr;
  rk::gfx::Camera* camera_ = nullptr;  // stored only
  rk::math::Vector4 uv_[2] = {};       // stored only
  rk::math::Vector4 firing_{0.0f, 0.0f, 0.0f, 0.0f};
  float total_length_ = 0.0f;  // stored only
  float radius_ = 0.0f;
  float height_ = 0.0f;
  rk::math::Vector4 setup_axis_{0.0f, 0.0f, 0.0f, 0.0f};  // stored only
  bool full_length_ = false;
  rk::effect::EffectHandle* main_effect_ = nullptr;    // one reference
  rk::effect::EffectHandle* second_effect_ = nullptr;  // one reference
  bool second_active_ = false;
};

// "createSyncBodyCapsuleBeam"(): a follower owned by the script object it returns.
int lua_createSyncBodyCapsuleBeam(lua_State* L);

}  // namespace common
