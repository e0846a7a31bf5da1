// The beam shot: the player's plain capsule bullet. It flies at its fixed
// speed lying along its horizontal travel, never spins, and queues the
// reflect sound once for each run of steps in which a reflecting enemy body
// bounces it.
#pragma once
#include <lua.hpp>

#include "player/player_wepon/player_bullet.h"
#include "rigidbody/rk_rigidbody_shapes.h"

class PlayerBulletBeamShotRigidBody : public rk::rigidbody::RigidBodyCapsule, public PlayerBulletBase {
 public:
  PlayerBulletBeamShotRigidBody();

  // The capsule body's initialize, a fresh owner from the pool, in use.
  host::HResult initialize() override;
  // The capsule body's finalize (shape kept), then the owner out of use.
  void finalize() override;
  void setUse(bool use) override;
  // The body's own flag, else the owner's.
  bool isUse() override;

  // Consumes the step's hit and reflect flags; queues the reflect sound.
  void beginStep() override;
  // The base step, then no spin.
  void afterCollision() override;
  // Lies along the horizontal travel and, without a hit, flies at the fixed speed.
  void flushSync() override;

  bool reflectSoundQueued() const { return reflect_sound_queued_; }

  void registerMethods(lua_State* L) override;

 protected:
  void destroy() override { finalize(); }

 private:
  bool reflect_sound_queued_ = false;
};

extern const rk::script::LuaClass kBeamShotClass;

// "createBulletBeamShot"(): a new shot, initialised, in a script object
// holding its one reference.
int lua_createBulletBeamShot(lua_State* L);
