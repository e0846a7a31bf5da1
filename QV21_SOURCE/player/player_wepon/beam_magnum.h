// The beam magnum: a capsule shot that keeps a constant speed. Its hit rules
// give enemy bodies a damage per second equal to the shot's hit points while
// the contact lasts.
#pragma once
#include <lua.hpp>

#include "player/player_wepon/player_bullet.h"
#include "rigidbody/rk_rigidbody_shapes.h"

class PlayerBulletBeamMagnumRigidBody : public rk::rigidbody::RigidBodyCapsule, public PlayerBulletBase {
 public:
  PlayerBulletBeamMagnumRigidBody();

  // The capsule body's initialize, a fresh owner from the pool, in use.
  host::HResult initialize() override;
  // The capsule body's finalize (shape kept), then the owner out of use.
  void finalize() override;
  // The owner's use flag, then the body's own.
  void setUse(bool use) override;
  // The owner in use, else the body's own flag.
  bool isUse() override;

  // The base step, then the hit flag cleared.
  void beginStep() override;
  // The base flush, then a valid body's speed brought back to the fixed speed.
  void flushSync() override;

  void registerMethods(lua_State* L) override;

 protected:
  // The last reference: the shot is finalised before it goes.
  void destroy() override { finalize(); }
};

extern const rk::script::LuaClass kBeamMagnumClass;

// "createBeamMagnum"(): a new magnum, initialised, in a script object holding
// its one reference.
int lua_createBeamMagnum(lua_State* L);
