#include "player/player_rigid_body.h"

#include "kernel/rk_instance_table.h"
#include "player/player.h"
#include "rigidbody/rk_rigidbody_manager.h"
#include "script/rk_script_collision.h"
#include "script/rk_script_rigidbody.h"
#include "status/status_unit.h"

namespace {

void* castPlayerBody(void* object, const rk::script::LuaClass& target) {
  return rk::script::castToInterface<PlayerRigidBody, rk::rigidbody::RigidBodySphere, rk::rigidbody::RigidBody,
                                     rk::policy::SharedObject, rk::policy::IInitialize, rk::policy::IFinalize,
                                     rk::policy::IIsUse, rk::collision::CollisionBody>(object, target);
}

}  // namespace

const rk::script::LuaClass kPlayerRigidBodyClass{"PlayerRigidBody", castPlayerBody};

PlayerRigidBody::~PlayerRigidBody() { setOwner(nullptr); }

void PlayerRigidBody::setOwner(Player* owner) {
  if (record_->owner_ == owner) return;
  if (record_->owner_) record_->owner_->detachOwned(this);
  record_->owner_ = owner;
  if (owner) owner->attachOwned(this);
}

host::HResult PlayerRigidBody::initialize() {
  const host::HResult result = RigidBodySphere::initialize();
  setGravity({0.0f, 0.0f, 0.0f, 0.0f});
  setOwner(nullptr);
  return result;
}

void PlayerRigidBody::finalize() {
  RigidBody::finalize();
  setCollisionBody(nullptr);
  setRadius(1.0f);
  setOwner(nullptr);
}

void PlayerRigidBody::flushSync() {
  RigidBodySphere::flushSync();
  if (!isValid()) return;
  // No status unit is a normal state (menus, tests): skipped without a report.
  if (!rk::singletonExists(rk::InstanceSlot::StatusUnit)) return;
  status::StatusUnit* unit = status::StatusUnit::getInstance();
  status::ShieldGauge* gauge = unit ? unit->record().shield_gauge_ : nullptr;
  if (!gauge) return;
  status::ShieldValue& shield = gauge->value();
  float v = record_->owner_ ? record_->owner_->status().hp_ : 0.0f;
  if (v > shield.max_) v = shield.max_;
  if (!(v > 0.0f)) v = 0.0f;
  shield.now_ = v;
}

PlayerRigidBody* toPlayerRigidBody(lua_State* L, int index) {
  return rk::script::toLuaObject<PlayerRigidBody>(L, index, kPlayerRigidBodyClass);
}

namespace {

// nil takes the body out of the step and unlinks it; a player links it and
// leaves the valid flag alone; anything else is reported and changes nothing.
int lua_setOwner(lua_State* L) {
  PlayerRigidBody* body = toPlayerRigidBody(L, 1);
  if (!body) {
    rk::script::reportNullObject("PlayerRigidBody::lua_setOwner");
  } else if (lua_isnoneornil(L, 2)) {
    body->setValid(false);
    body->setOwner(nullptr);
  } else if (Player* player = toPlayer(L, 2)) {
    body->setOwner(player);
  } else {
    rk::script::reportNullObject("PlayerRigidBody::lua_setOwner");
  }
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kOwnerMethods[] = {
    {"setOwner", lua_setOwner},
    {nullptr, nullptr},
};

}  // namespace

void PlayerRigidBody::registerMethods(lua_State* L) {
  rk::rigidbody::lua_rigid_body::registerCommonMethods(L);
  rk::rigidbody::lua_rigid_body::registerSphereMethods(L);
  rk::script::setMethods(L, kOwnerMethods);
}

int lua_createPlayerColRigidBody(lua_State* L) {
  lua_settop(L, 0);
  rk::rigidbody::RigidBodyManager::getInstance();  // reports a missing manager
  PlayerRigidBody* body = rk::rigidbody::RigidBodyManager::create<PlayerRigidBody>();
  return rk::script::pushLuaObject(L, *body, body, kPlayerRigidBodyClass);
}
