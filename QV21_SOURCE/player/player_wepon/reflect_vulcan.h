// The reflect vulcan: the player's small sphere bullet, shown by the scripts
// as a laser strip it points to (not owned). It flies at its fixed speed, may
// spin, and queues the reflect sound once for each run of steps in which it
// is bounced. Its hit rules write the laser's end point.
#pragma once
#include <vector>

#include <lua.hpp>

#include "player/player_wepon/player_bullet.h"
#include "rigidbody/rk_rigidbody_shapes.h"

namespace rk::gfx::gfx_model_command {
class Laser;
}

class PlayerBulletVulcanRigidBody : public rk::rigidbody::RigidBodySphere, public PlayerBulletBase {
 public:
  using Laser = rk::gfx::gfx_model_command::Laser;

  PlayerBulletVulcanRigidBody() = default;

  // The rigid body's reset, the sphere linked with radius 1, a fresh owner
  // from the pool, in use, an empty trail.
  host::HResult initialize() override;
  // The rigid body's finalize (no shape linked), an empty trail, the owner
  // out of use.
  void finalize() override;
  // The owner's use flag, then the body's own; isUse is the body's own alone.
  void setUse(bool use) override;
  bool isUse() override { return RigidBodySphere::isUse(); }

  // Queues the reflect sound while the owner lives; clears the hit flag.
  void beginStep() override;
  // A valid vulcan without a hit this step flies at the fixed speed.
  void flushSync() override;

  Laser* laser() const { return laser_; }
  void setLaser(Laser* laser) { laser_ = laser; }
  // The trail restarts at the position.
  void setStartPos(const rk::math::Vector4& position);
  const rk::math::Vector4& startPos() const { return start_pos_; }
  const std::vector<rk::math::Vector4>& trail() const { return trail_; }
  bool reflectSoundQueued() const { return reflect_sound_queued_; }

  void registerMethods(lua_State* L) override;

 protected:
  // The last reference: the owner out of use, then the rigid body's finalize.
  void destroy() override;

 private:
  Laser* laser_ = nullptr;
  bool reflect_sound_queued_ = false;
  rk::math::Vector4 start_pos_{0.0f, 0.0f, 0.0f, 0.0f};
  std::vector<rk::math::Vector4> trail_;
};

extern const rk::script::LuaClass kReflectVulcanClass;
// The handle "getGfxLaser" returns: it borrows the laser (its collector does
// nothing) and "setGfxLaser" accepts it.
extern const rk::script::LuaClass kVulcanLaserHandleClass;

// "createReflectVulcan"(): a new vulcan, initialised, in a script object
// holding its one reference.
int lua_createReflectVulcan(lua_State* L);
