#include "player/player_beam_capture.h"

#include <cmath>

#include "col/rk_intersection.h"
#include "rigidbody/rk_rigidbody_manager.h"
#include "script/rk_lua_arg.h"
#include "script/rk_script_collision.h"
#include "script/rk_script_rigidbody.h"

namespace {

constexpr float kEpsilon = 1.1920929e-7f;

void* castCapture(void* object, const rk::script::LuaClass& target) {
  return rk::script::castToInterface<PlayerBeamCapture, rk::rigidbody::RigidBodySphere, rk::rigidbody::RigidBody,
                                     rk::policy::SharedObject, rk::policy::IInitialize, rk::policy::IFinalize,
                                     rk::policy::IIsUse, rk::collision::CollisionBody>(object, target);
}

}  // namespace

const rk::script::LuaClass kPlayerBeamCaptureClass{"PlayerBeamCapture", castCapture};

PlayerBeamCapture::PlayerBeamCapture() {
  valid_ = false;
  setRadius(1.0f);
  setupTensor();
}

void PlayerBeamCapture::setMoveLimit(const rk::math::Vector4& centre, float r) {
  move_limit_.setRadius(r - getRadius());
  move_limit_.setCenter({centre.x, centre.y, centre.z, 0.0f});
}

void PlayerBeamCapture::beginSubstep() {
  const rk::math::Vector4 d = gravity_point_.minus(getPosition());
  const float lengthSq = rk::math::vec3LengthSq(d);
  if (lengthSq < kEpsilon)
    setGravity({0.0f, 0.0f, 0.0f, 0.0f});
  else
    setGravity(d.scaled(power_ / std::sqrt(lengthSq)));
  RigidBodySphere::beginSubstep();
}

void PlayerBeamCapture::afterCollision() {
  force_.y = 0.0f;
  rk::math::Vector4 h = getVelocity();
  h.y = 0.0f;
  const float length = rk::math::vec3Length(h);
  if (h.x * h.x + h.z * h.z > kEpsilon && length > limit_speed_)
    setVelocity(h.scaled(limit_speed_ / length));
  else
    setVelocity(h);
  applyMoveLimit();
  RigidBodySphere::afterCollision();
}

void PlayerBeamCapture::applyMoveLimit() {
  rk::math::Vector4 limitCentre, bodyCentre, n, pointA, pointB;
  move_limit_.getCenter(limitCentre);
  getCenter(bodyCentre);
  const float rL = move_limit_.getRadius();
  const float rB = getRadius();
  if (rk::collision::hitSphereSphere(n, pointA, pointB, limitCentre, rL, bodyCentre, rB)) return;
  const rk::math::Vector4 toCentre = limitCentre.minus(bodyCentre);
  const float distance = rk::math::vec3Length(toCentre);
  // Coincident centres overlap whenever the radii are positive; with a
  // non-positive limit there is no direction to push along.
  if (!(distance > 0.0f)) return;
  n = toCentre.divided(distance);
  const rk::math::Vector4 onPlane = limitCentre.minus(n.scaled(rL + rB));
  limit_plane_.setPlane(n.x, n.y, n.z, -rk::math::vec3Dot(onPlane, n));
  rk::math::Vector4 normal, points[rk::collision::kMaxPlanePoints], projections[rk::collision::kMaxPlanePoints];
  const int count = rk::collision::checkBodyPlane(normal, points, projections,
                                                  static_cast<const rk::collision::Sphere&>(*this), limit_plane_);
  for (int i = 0; i < count; ++i) {
    rk::math::Vector4 force{0.0f, 0.0f, 0.0f, 0.0f};
    calcImpact(force, nullptr, normal, points[i], projections[i], limit_spring_, limit_dumper_, 0.0f, 40000.0f);
    addForceAt(points[i], force);
  }
}

namespace {

PlayerBeamCapture* self(lua_State* L, const char* method) {
  auto* capture = rk::script::toLuaObject<PlayerBeamCapture>(L, 1, kPlayerBeamCaptureClass);
  if (!capture) rk::script::reportNullObject(method);
  return capture;
}

template <void (PlayerBeamCapture::*Set)(float)>
int lua_setFloat(lua_State* L) {
  const float value = rk::script::toFloatArg(L, 2);
  if (PlayerBeamCapture* capture = self(L, "PlayerBeamCapture::lua_setFloat")) (capture->*Set)(value);
  lua_settop(L, 0);
  return 0;
}

int lua_setGravityPoint(lua_State* L) {
  const rk::math::Vector4 point{rk::script::toFloatArg(L, 2), rk::script::toFloatArg(L, 3),
                                rk::script::toFloatArg(L, 4), 0.0f};
  if (PlayerBeamCapture* capture = self(L, "PlayerBeamCapture::lua_setGravityPoint")) capture->setGravityPoint(point);
  lua_settop(L, 0);
  return 0;
}

int lua_setMoveLimit(lua_State* L) {
  const rk::math::Vector4 centre{rk::script::toFloatArg(L, 2), rk::script::toFloatArg(L, 3),
                                 rk::script::toFloatArg(L, 4), 0.0f};
  const float r = rk::script::toFloatArg(L, 5);
  if (PlayerBeamCapture* capture = self(L, "PlayerBeamCapture::lua_setMoveLimit")) capture->setMoveLimit(centre, r);
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kCaptureMethods[] = {
    {"setPower", lua_setFloat<&PlayerBeamCapture::setPower>},
    {"setGravityPoint", lua_setGravityPoint},
    {"setMoveLimit", lua_setMoveLimit},
    {"setLimitSpring", lua_setFloat<&PlayerBeamCapture::setLimitSpring>},
    {"setLimitDumper", lua_setFloat<&PlayerBeamCapture::setLimitDumper>},
    {"setLimitSpeed", lua_setFloat<&PlayerBeamCapture::setLimitSpeed>},
    {nullptr, nullptr},
};

}  // namespace

void PlayerBeamCapture::registerMethods(lua_State* L) {
  rk::rigidbody::lua_rigid_body::registerCommonMethods(L);
  rk::rigidbody::lua_rigid_body::registerSphereMethods(L);
  rk::script::setMethods(L, kCaptureMethods);
}

void PlayerBeamCapture::setMetatable(lua_State* L) {
  rk::script::setObjectMetatable(L, rk::script::lua_gcDeleteObject<PlayerBeamCapture, kPlayerBeamCaptureClass>);
}

int lua_createBeamCapture(lua_State* L) {
  lua_settop(L, 0);
  rk::rigidbody::RigidBodyManager::getInstance();  // reports a missing manager
  auto* capture = new PlayerBeamCapture();
  return rk::script::pushLuaObject(L, *capture, capture, kPlayerBeamCaptureClass);
}
