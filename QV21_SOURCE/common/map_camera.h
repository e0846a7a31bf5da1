// The map-linked camera: a link-camera object that makes the camera it drives
// follow the link task's source camera through a transformation of its own
// (the source's eye and look-at point shifted sideways by the eye's x first),
// and can hand a background camera the driven view's rotation without its
// translation. Its script object also offers camera math over three base
// vectors of its own, with which scripts orbit and move views.
#pragma once
#include <lua.hpp>

#include "gfx/rk_link_camera.h"
#include "math/rk_transformation.h"
#include "math/rk_vector.h"
#include "script/rk_lua_object.h"

namespace common {

class LinkMapCamera : public rk::gfx::LinkCameraObject {
 public:
  LinkMapCamera() = default;

  // Follows `source` through the transformation; nothing without a driven
  // camera or while game sync is off.
  void link(rk::gfx::Camera* source) override;
  // The driven and the background camera are both forgotten when deleted.
  void cameraGone(rk::gfx::Camera* camera) override;

  // Orbit: base eye and base up turn about base at by the angles.
  void calcAtRot(float yaw, float pitch, float roll);
  // Look around: base at and base up turn about base eye.
  void calcEyeRot(float yaw, float pitch, float roll);
  // The view direction without its part along base up, normalised, turned by
  // the transformation's current matrix (not rebuilt first).
  rk::math::Vector4 calcAdvanceVector() const;

  rk::math::Vector4 base_at_{0, 0, 0, 0};
  rk::math::Vector4 base_eye_{0, 0, 10, 0};
  rk::math::Vector4 base_up_{0, 1, 0, 0};
  rk::gfx::Camera* bg_camera_ = nullptr;  // no reference
  bool game_sync_ = true;
  rk::math::Transformation transformation_;
};

extern const rk::script::LuaClass kLinkMapCameraClass;

// "createLinkMapCameraObject": a new map-linked camera owned by its script
// object, which the link-camera task's "push" also accepts.
int lua_createLinkMapCameraObject(lua_State* L);

}  // namespace common
