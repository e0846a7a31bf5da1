// The capture beam's body: a sphere pulled toward a gravity point with a
// constant strength, kept in the horizontal plane, held below a horizontal
// speed and kept inside a spherical region by a spring and damper. Its
// script object owns it (no reference count is involved).
#pragma once
#include <lua.hpp>

#include "col/rk_collision_plane.h"
#include "col/rk_collision_sphere.h"
#include "rigidbody/rk_rigidbody_shapes.h"
#include "script/rk_lua_object.h"

class PlayerBeamCapture : public rk::rigidbody::RigidBodySphere {
 public:
  // Not valid, the tensor of mass 1 and radius 1; initialize is not run.
  PlayerBeamCapture();

  // The pull toward the gravity point becomes the body's gravity.
  void beginSubstep() override;
  // Vertical force dropped, horizontal speed capped, the limit spring applied.
  void afterCollision() override;

  // The initialize family, common and sphere families, then the capture's own.
  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;

  void setPower(float power) { power_ = power; }
  void setGravityPoint(const rk::math::Vector4& point) { gravity_point_ = point; }
  // The stored radius is r less the body's own radius at the time of the call.
  void setMoveLimit(const rk::math::Vector4& centre, float r);
  void setLimitSpring(float spring) { limit_spring_ = spring; }
  void setLimitDumper(float damper) { limit_dumper_ = damper; }
  void setLimitSpeed(float speed) { limit_speed_ = speed; }

  const rk::collision::Sphere& moveLimit() const { return move_limit_; }
  const rk::collision::Plane& limitPlane() const { return limit_plane_; }

 private:
  void applyMoveLimit();

  rk::math::Vector4 gravity_point_{0.0f, 0.0f, 0.0f, 0.0f};
  float power_ = 0.0f;
  rk::collision::Sphere move_limit_{{0.0f, 0.0f, 0.0f, 0.0f}, 1.0f};
  rk::collision::Plane limit_plane_{0.0f, 0.0f, 1.0f, 0.0f};
  float limit_spring_ = 5000.0f;
  float limit_dumper_ = 50.0f;
  float limit_speed_ = 0.0f;
};

extern const rk::script::LuaClass kPlayerBeamCaptureClass;

// "createBeamCapture"(): a new capture, not initialised, not valid, owned by
// the returned script object.
int lua_createBeamCapture(lua_State* L);
