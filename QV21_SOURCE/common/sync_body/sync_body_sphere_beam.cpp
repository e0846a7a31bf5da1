#include "common/sync_body/sync_body_sphere_beam.h"

#include "common/sync_body/sync_body_links.h"
#include "effect/rk_effect_handle.h"
#include "kernel/rk_error_log.h"
#include "rigidbody/rk_rigidbody_shapes.h"
#include "script/rk_lua_arg.h"
#include "script/rk_script_collision.h"
#include "script/rk_script_effect.h"
#include "script/rk_script_graphics.h"
#include "script/rk_script_rigidbody.h"

namespace common {

namespace {
constexpr const char* kSource = "common/sync_body/sync_body_sphere_beam";
}  // namespace

const rk::script::LuaClass SyncBodySphereLaser::kLuaClass{
    "common::SyncBodySphereLaser", rk::script::castToInterface<SyncBodySphereLaser, rk::rigidbody::ISyncBody>};

SyncBodySphereLaser::SyncBodySphereLaser() { rk::rigidbody::registerRigidBodyHolder(this); }

SyncBodySphereLaser::~SyncBodySphereLaser() {
  rk::rigidbody::unregisterRigidBodyHolder(this);
  clearSyncBodyEverywhere(this);
  if (rk::effect::EffectHandle* handle = main_effect_) {
    main_effect_ = nullptr;
    handle->release(kSource, 20);
  }
}

void SyncBodySphereLaser::forgetRigidBody(const void* body) {
  if (body_ && (body == static_cast<const void*>(body_) ||
                body == static_cast<const void*>(static_cast<rk::rigidbody::RigidBody*>(body_))))
    body_ = nullptr;
}

void SyncBodySphereLaser::setMainEffect(rk::effect::EffectHandle* handle) {
  if (handle) handle->addRef();
  if (rk::effect::EffectHandle* old = main_effect_) old->release(kSource, 30);
  main_effect_ = handle;
}

void SyncBodySphereLaser::setBody(rk::rigidbody::RigidBodySphere* body) {
  if (body_ && body_->getSyncBody() == this) body_->setSyncBody(nullptr);
  body_ = body;
  if (body_) body_->setSyncBody(this);
}

void SyncBodySphereLaser::detachBody() {
  if (body_ && body_->getSyncBody() == this) body_->setSyncBody(nullptr);
  body_ = nullptr;
}

void SyncBodySphereLaser::setup() {
  if (!main_effect_) rk::debug::writeErrorLog(kSource, 35, "common::SyncBodySphereLaser::setup");
  if (!body_) rk::debug::writeErrorLog(kSource, 36, "common::SyncBodySphereLaser::setup");
  if (!camera_) rk::debug::writeErrorLog(kSource, 37, "common::SyncBodySphereLaser::setup");
  if (!main_effect_ || !body_) return;
  const rk::math::Vector4& p = body_->getPosition();
  main_effect_->setPos(p.x, p.y, p.z);
}

void SyncBodySphereLaser::syncBody(const rk::math::Matrix* world) {
  if (body_ && body_->isValid() && main_effect_ && world) main_effect_->setMatrix(*world);
}

namespace {

SyncBodySphereLaser* selfArg(lua_State* L, const char* method) {
  auto* laser = rk::script::toLuaObject<SyncBodySphereLaser>(L, 1, SyncBodySphereLaser::kLuaClass);
  if (!laser) rk::script::reportNullObject(method);
  return laser;
}

int lua_setChip(lua_State* L) {
  lua_settop(L, 0);
  return 0;
}

int lua_setSyncMainEffect(lua_State* L) {
  SyncBodySphereLaser* laser = selfArg(L, "common::SyncBodySphereLaser::lua_setSyncMainEffect");
  auto* handle = rk::script::toLuaObject<rk::effect::EffectHandle>(L, 2, rk::script::effect::kEffectHandleClass);
  if (laser && handle)
    laser->setMainEffect(handle);
  else if (laser)
    rk::script::reportNullObject("common::SyncBodySphereLaser::lua_setSyncMainEffect");
  lua_settop(L, 0);
  return 0;
}

int lua_setRigidBodySphere(lua_State* L) {
  SyncBodySphereLaser* laser = selfArg(L, "common::SyncBodySphereLaser::lua_setRigidBodySphere");
  auto* body = rk::script::toLuaObject<rk::rigidbody::RigidBodySphere>(
      L, 2, rk::script::interfaceClass<rk::rigidbody::RigidBodySphere>());
  if (laser && body)
    laser->setBody(body);
  else if (laser)
    rk::script::reportNullObject("common::SyncBodySphereLaser::lua_setRigidBodySphere");
  lua_settop(L, 0);
  return 0;
}

int lua_setCamera(lua_State* L) {
  if (SyncBodySphereLaser* laser = selfArg(L, "common::SyncBodySphereLaser::lua_setCamera"))
    laser->setCamera(rk::script::gph::toCamera(L, 2));
  lua_settop(L, 0);
  return 0;
}

int lua_setup(lua_State* L) {
  if (SyncBodySphereLaser* laser = selfArg(L, "common::SyncBodySphereLaser::lua_setup")) laser->setup();
  lua_settop(L, 0);
  return 0;
}

int lua_detachRigidBodySphere(lua_State* L) {
  if (SyncBodySphereLaser* laser = selfArg(L, "common::SyncBodySphereLaser::lua_detachRigidBodySphere"))
    laser->detachBody();
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kLaserMethods[] = {
    {"setChip", lua_setChip},
    {"setSyncMainEffect", lua_setSyncMainEffect},
    {"setRigidBodySphere", lua_setRigidBodySphere},
    {"setCamera", lua_setCamera},
    {"setup", lua_setup},
    {"detachRigidBodySphere", lua_detachRigidBodySphere},
    {nullptr, nullptr},
};

int collectLaser(lua_State* L) {
  return rk::script::lua_gcDeleteObject<SyncBodySphereLaser, SyncBodySphereLaser::kLuaClass>(L);
}

}  // namespace

int lua_createSyncReflectVulcan(lua_State* L) {
  auto* laser = new SyncBodySphereLaser();
  return rk::script::pushLuaObject(L, laser, SyncBodySphereLaser::kLuaClass, kLaserMethods, collectLaser);
}

}  // namespace common
