#include "player/player_wepon/reflect_vulcan.h"

#include "script/rk_lua_arg.h"
#include "script/rk_lua_shared_methods.h"

const rk::script::LuaClass kReflectVulcanClass{
    "PlayerBulletVulcanRigidBody",
    player_shot::castShot<PlayerBulletVulcanRigidBody, rk::rigidbody::RigidBodySphere>};
const rk::script::LuaClass kVulcanLaserHandleClass{"rk::gfx::gfx_model_command::Laser"};

host::HResult PlayerBulletVulcanRigidBody::initialize() {
  const host::HResult result = RigidBody::initialize();
  setCollisionBody(static_cast<rk::collision::Sphere*>(this));
  setRadius(1.0f);
  setupTensor();
  reflect_sound_queued_ = false;
  takeFreshOwner();
  RigidBodySphere::setUse(true);
  trail_.clear();
  return result < 0 ? result : host::S_OK;
}

void PlayerBulletVulcanRigidBody::finalize() {
  RigidBody::finalize();
  trail_.clear();
  finalizeOwner();
}

void PlayerBulletVulcanRigidBody::destroy() {
  finalizeOwner();
  RigidBody::finalize();
}

void PlayerBulletVulcanRigidBody::setUse(bool use) {
  setOwnerUse(use);
  RigidBodySphere::setUse(use);
}

void PlayerBulletVulcanRigidBody::setStartPos(const rk::math::Vector4& position) {
  start_pos_ = {position.x, position.y, position.z, 0.0f};
  trail_.assign(1, start_pos_);
}

void PlayerBulletVulcanRigidBody::beginStep() {
  RigidBodySphere::beginStep();
  // While the owner is dead a pending reflection waits.
  if (!isDead()) {
    if (reflectFlag()) {
      if (!reflect_sound_queued_) {
        player_shot::queueReflectSound(getPosition());
        reflect_sound_queued_ = true;
      }
      setReflectFlag(false);
    } else {
      reflect_sound_queued_ = false;
    }
  }
  setHitFlag(false);
}

void PlayerBulletVulcanRigidBody::flushSync() {
  if (!isValid()) return;
  RigidBodySphere::flushSync();
  if (!hitFlag()) setVelocity(player_shot::atFixedSpeed(getVelocity(), fixSpeed()));
  setHitFlag(false);
}

namespace {

PlayerBulletVulcanRigidBody* self(lua_State* L, const char* method) {
  auto* vulcan = rk::script::toLuaObject<PlayerBulletVulcanRigidBody>(L, 1, kReflectVulcanClass);
  if (!vulcan) rk::script::reportNullObject(method);
  return vulcan;
}

common::BulletBase* readVulcan(lua_State* L, int index) {
  return rk::script::toLuaObject<PlayerBulletVulcanRigidBody>(L, index, kReflectVulcanClass);
}

// True when the initialize succeeded; a failure is not reported.
int lua_initialize(lua_State* L) {
  PlayerBulletVulcanRigidBody* vulcan = self(L, "PlayerBulletVulcanRigidBody::lua_initialize");
  const bool ok = vulcan && static_cast<rk::rigidbody::RigidBody*>(vulcan)->initialize() >= 0;
  lua_settop(L, 0);
  lua_pushboolean(L, ok);
  return 1;
}

int lua_finalize(lua_State* L) {
  if (PlayerBulletVulcanRigidBody* vulcan = self(L, "PlayerBulletVulcanRigidBody::lua_finalize"))
    static_cast<rk::rigidbody::RigidBody*>(vulcan)->finalize();
  lua_settop(L, 0);
  return 0;
}

int lua_noCollect(lua_State* L) {
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kNoMethods[] = {{nullptr, nullptr}};

// A new handle over the same laser (none on a vulcan without one).
int lua_getGfxLaser(lua_State* L) {
  PlayerBulletVulcanRigidBody* vulcan = self(L, "PlayerBulletVulcanRigidBody::lua_getGfxLaser");
  PlayerBulletVulcanRigidBody::Laser* laser = vulcan ? vulcan->laser() : nullptr;
  return rk::script::pushLuaObject(L, laser, kVulcanLaserHandleClass, kNoMethods, lua_noCollect);
}

// The laser held by a laser handle; nil or anything else clears the link.
int lua_setGfxLaser(lua_State* L) {
  auto* laser = rk::script::toLuaObject<PlayerBulletVulcanRigidBody::Laser>(L, 2, kVulcanLaserHandleClass);
  if (PlayerBulletVulcanRigidBody* vulcan = self(L, "PlayerBulletVulcanRigidBody::lua_setGfxLaser"))
    vulcan->setLaser(laser);
  lua_settop(L, 0);
  return 0;
}

int lua_setStartPos(lua_State* L) {
  const rk::math::Vector4 position{rk::script::toFloatArg(L, 2), rk::script::toFloatArg(L, 3),
                                   rk::script::toFloatArg(L, 4), 0.0f};
  if (PlayerBulletVulcanRigidBody* vulcan = self(L, "PlayerBulletVulcanRigidBody::lua_setStartPos"))
    vulcan->setStartPos(position);
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kVulcanMethods[] = {
    {"initialize", lua_initialize},
    {"finalize", lua_finalize},
    {"getGfxLaser", lua_getGfxLaser},
    {"setGfxLaser", lua_setGfxLaser},
    {"setStartPos", lua_setStartPos},
    {nullptr, nullptr},
};

}  // namespace

void PlayerBulletVulcanRigidBody::registerMethods(lua_State* L) {
  common::registerBulletMethods(L, readVulcan);
  rk::rigidbody::lua_rigid_body::registerCommonMethods(L);
  rk::rigidbody::lua_rigid_body::registerSphereMethods(L);
  rk::script::setMethods(L, kVulcanMethods);
}

int lua_createReflectVulcan(lua_State* L) {
  return player_shot::create<PlayerBulletVulcanRigidBody>(L, kReflectVulcanClass);
}
