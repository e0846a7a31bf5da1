#include "common/bullet/bullet_base.h"

#include "actor/rk_actor.h"
#include "actor_body/actor_body.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"
#include "script/rk_lua_arg.h"
#include "script/rk_lua_object.h"

namespace common {

namespace {
constexpr const char* kSource = "common/bullet/bullet_base";
}

BulletBase::BulletBase(std::int32_t actorKind) { record_.actor_kind_ = actorKind; }

BulletBase::~BulletBase() {
  if (ActorBody* owner = record_.owner_) {
    owner->finalize();
    record_.owner_ = nullptr;
    owner->release(kSource, 52);
  }
}

void BulletBase::setOwner(ActorBody* owner) {
  if (owner) owner->addRef();
  ActorBody* old = record_.owner_;
  record_.owner_ = owner;
  if (old) old->release(kSource, 60);
}

host::HResult BulletBase::initialize() {
  if (record_.owner_) record_.owner_->initialize();
  setUse(true);
  record_.fix_speed_ = kDefaultSpeed;
  record_.reflect_flag_ = false;
  record_.hit_flag_ = false;
  return host::S_OK;
}

void BulletBase::finalize() {
  if (!record_.owner_) return;
  if (!rk::singletonExists(rk::InstanceSlot::ActorManager)) rk::debug::writeErrorLog(kSource, 81, "common::BulletBase::finalize");
  record_.owner_->finalize();
}

void BulletBase::setUse(bool use) {
  if (!record_.owner_) {
    rk::debug::writeErrorLog(kSource, 92, "common::BulletBase::setUse");
    return;
  }
  record_.owner_->setUse(use);
}

bool BulletBase::isUse() { return record_.owner_ && record_.owner_->isUse(); }

void BulletBase::setNoDamageCounter(float seconds) {
  if (record_.owner_) record_.owner_->setNoDamageCounter(seconds);
}

bool BulletBase::isNoDamage() { return record_.owner_ && record_.owner_->isNoDamage(); }

bool BulletBase::isNoDamagePeriod() { return record_.owner_ && record_.owner_->isNoDamagePeriod(); }

float BulletBase::calcNoDamageLerp() { return record_.owner_ ? record_.owner_->calcNoDamageLerp() : 1.0f; }

bool BulletBase::isDead() { return !record_.owner_ || record_.owner_->isDead(); }

namespace {

// The bullet of argument 1, read by the bullet class's reader kept as the
// method's upvalue; null after the method's report.
BulletBase* bulletArg(lua_State* L, const char* method) {
  BulletReader reader = nullptr;
  if (void* cell = lua_touserdata(L, lua_upvalueindex(1))) reader = *static_cast<BulletReader*>(cell);
  BulletBase* bullet = reader ? reader(L, 1) : nullptr;
  if (!bullet) rk::script::reportNullObject(method);
  return bullet;
}

ActorBody* ownerArg(lua_State* L, const char* method) {
  BulletBase* bullet = bulletArg(L, method);
  return bullet ? bullet->owner() : nullptr;
}

int lua_setFixVelocity(lua_State* L) {
  if (BulletBase* bullet = bulletArg(L, "common::BulletBase::lua_setFixVelocity"))
    bullet->record().fix_speed_ = rk::script::toFloatArg(L, 2);
  lua_settop(L, 0);
  return 0;
}

int lua_getFixVelocity(lua_State* L) {
  BulletBase* bullet = bulletArg(L, "common::BulletBase::lua_getFixVelocity");
  const float speed = bullet ? bullet->record().fix_speed_ : 0.0f;
  lua_settop(L, 0);
  lua_pushnumber(L, speed);
  return 1;
}

int lua_setNoDamageFlag(lua_State* L) {
  if (ActorBody* owner = ownerArg(L, "common::BulletBase::lua_setNoDamageFlag"))
    owner->status().no_damage_flag_ = rk::script::toBoolArg(L, 2);
  lua_settop(L, 0);
  return 0;
}

int lua_startNoDamageCounter(lua_State* L) {
  if (ActorBody* owner = ownerArg(L, "common::BulletBase::lua_startNoDamageCounter")) owner->startNoDamageCounter();
  lua_settop(L, 0);
  return 0;
}

int lua_stopNoDamageCounter(lua_State* L) {
  if (ActorBody* owner = ownerArg(L, "common::BulletBase::lua_stopNoDamageCounter")) owner->stopNoDamageCounter();
  lua_settop(L, 0);
  return 0;
}

int lua_setNoDamageCounter(lua_State* L) {
  if (BulletBase* bullet = bulletArg(L, "common::BulletBase::lua_setNoDamageCounter"))
    bullet->setNoDamageCounter(rk::script::toFloatArg(L, 2));
  lua_settop(L, 0);
  return 0;
}

// isNoDamage, isNoDamagePeriod and isDead; a bullet that cannot be read
// answers as one without an owner.
template <bool (BulletBase::*Query)()>
int lua_query(lua_State* L) {
  BulletBase* bullet = bulletArg(L, "common::BulletBase::lua_query");
  const bool result = bullet ? (bullet->*Query)() : Query == &BulletBase::isDead;
  lua_settop(L, 0);
  lua_pushboolean(L, result);
  return 1;
}

int lua_calcNoDamageLerp(lua_State* L) {
  BulletBase* bullet = bulletArg(L, "common::BulletBase::lua_calcNoDamageLerp");
  const float lerp = bullet ? bullet->calcNoDamageLerp() : 1.0f;
  lua_settop(L, 0);
  lua_pushnumber(L, lerp);
  return 1;
}

template <float ActorBody::Status::*Field>
int lua_getOwnerField(lua_State* L) {
  ActorBody* owner = ownerArg(L, "common::BulletBase::lua_getHp");
  const float value = owner ? owner->status().*Field : 0.0f;
  lua_settop(L, 0);
  lua_pushnumber(L, value);
  return 1;
}

template <float ActorBody::Status::*Field>
int lua_setOwnerField(lua_State* L) {
  if (ActorBody* owner = ownerArg(L, "common::BulletBase::lua_setHp"))
    owner->status().*Field = rk::script::toFloatArg(L, 2);
  lua_settop(L, 0);
  return 0;
}

int lua_setRun(lua_State* L) {
  if (ActorBody* owner = ownerArg(L, "common::BulletBase::lua_setRun")) owner->setRun();
  lua_settop(L, 0);
  return 0;
}

int lua_isReady(lua_State* L) {
  ActorBody* owner = ownerArg(L, "common::BulletBase::lua_isReady");
  const bool ready = owner && owner->isReady();
  lua_settop(L, 0);
  lua_pushboolean(L, ready);
  return 1;
}

const luaL_Reg kBulletMethods[] = {
    {"setFixVelocity", lua_setFixVelocity},
    {"getFixVelocity", lua_getFixVelocity},
    {"setNoDamageFlag", lua_setNoDamageFlag},
    {"startNoDamageCounter", lua_startNoDamageCounter},
    {"stopNoDamageCounter", lua_stopNoDamageCounter},
    {"setNoDamageCounter", lua_setNoDamageCounter},
    {"isNoDamage", lua_query<&BulletBase::isNoDamage>},
    {"isNoDamagePeriod", lua_query<&BulletBase::isNoDamagePeriod>},
    {"calcNoDamageLerp", lua_calcNoDamageLerp},
    {"isDead", lua_query<&BulletBase::isDead>},
    {"getHp", lua_getOwnerField<&ActorBody::Status::hp_>},
    {"setHp", lua_setOwnerField<&ActorBody::Status::hp_>},
    {"getHpMax", lua_getOwnerField<&ActorBody::Status::hp_max_>},
    {"setHpMax", lua_setOwnerField<&ActorBody::Status::hp_max_>},
    {"setRun", lua_setRun},
    {"isReady", lua_isReady},
    {nullptr, nullptr},
};

}  // namespace

void registerBulletMethods(lua_State* L, BulletReader toBullet) {
  for (const luaL_Reg* m = kBulletMethods; m->name; ++m) {
    *static_cast<BulletReader*>(lua_newuserdata(L, sizeof(BulletReader))) = toBullet;
    lua_pushcclosure(L, m->func, 1);
    lua_setfield(L, 3, m->name);
  }
}

}  // namespace common
