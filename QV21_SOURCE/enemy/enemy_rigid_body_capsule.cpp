#include "enemy/enemy_rigid_body_capsule.h"

#include <algorithm>

#include "enemy/enemy_rigid_body_script.h"
#include "script/rk_lua_arg.h"

const rk::script::LuaClass kEnemyRigidBodyCapsuleClass{
    "EnemyRigidBodyCapsule",
    enemy_body_script::castEnemyBody<EnemyRigidBodyCapsule, rk::rigidbody::RigidBodyCapsule>};

EnemyRigidBodyCapsule::~EnemyRigidBodyCapsule() {
  rk::rigidbody::forgetRigidBodyEverywhere(static_cast<EnemyRigidBody*>(this));
}

float EnemyRigidBodyCapsule::explosionScale() { return 4.0f * std::max(getRadius(), getHeight()); }

host::HResult EnemyRigidBodyCapsule::initialize() {
  const host::HResult result = RigidBody::initialize();
  initializeEnemyPart();
  setCollisionBody(static_cast<rk::collision::Capsule*>(this));
  setDamageOneSec(0.0f);
  setMagnumDamage(false);
  return result;
}

void EnemyRigidBodyCapsule::finalize() {
  RigidBody::finalize();
  finalizeEnemyPart();
  setDamageOneSec(0.0f);
  setMagnumDamage(false);
}

namespace {

EnemyRigidBodyCapsule* self(lua_State* L, const char* method) {
  auto* body = rk::script::toLuaObject<EnemyRigidBodyCapsule>(L, 1, kEnemyRigidBodyCapsuleClass);
  if (!body) rk::script::reportNullObject(method);
  return body;
}

int lua_setDamageOneSec(lua_State* L) {
  if (EnemyRigidBodyCapsule* body = self(L, "EnemyRigidBodyCapsule::lua_setDamageOneSec"))
    body->setDamageOneSec(rk::script::toFloatArg(L, 2));
  lua_settop(L, 0);
  return 0;
}

int lua_getDamageOneSec(lua_State* L) {
  EnemyRigidBodyCapsule* body = self(L, "EnemyRigidBodyCapsule::lua_getDamageOneSec");
  const float value = body ? body->getDamageOneSec() : 0.0f;
  lua_settop(L, 0);
  lua_pushnumber(L, value);
  return 1;
}

const luaL_Reg kCapsuleOwnMethods[] = {
    {"setDamageOneSec", lua_setDamageOneSec},
    {"getDamageOneSec", lua_getDamageOneSec},
    {nullptr, nullptr},
};

}  // namespace

void EnemyRigidBodyCapsule::registerMethods(lua_State* L) {
  rk::rigidbody::lua_rigid_body::registerCommonMethods(L);
  rk::rigidbody::lua_rigid_body::registerCapsuleMethods(L);
  registerEnemyBodyMethods(L);
  registerEnemyOwnerMethods(L);
  rk::script::setMethods(L, kCapsuleOwnMethods);
}

int lua_createEnemyRigidBodyCapsule(lua_State* L) {
  return enemy_body_script::create<EnemyRigidBodyCapsule>(L, kEnemyRigidBodyCapsuleClass);
}
