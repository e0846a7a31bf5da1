#include "actor_body/actor_body.h"

#include <algorithm>

#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"
#include "math/rk_counter_manager.h"
#include "script/rk_lua_arg.h"

namespace {

constexpr const char* kSource = "actor_body/actor_body";
constexpr float kEpsilon = 1.1920929e-7f;

}  // namespace

ActorBody::ActorBody() {
  if (rk::math::CounterManager* counters = rk::math::CounterManager::getInstance()) {
    status_.no_damage_counter_ = counters->getCounter(kNoDamageCounterKind, nullptr);
    resetNoDamage();
    status_.no_damage_period_ = 0.0f;
    status_.no_damage_flag_ = false;
  }
}

ActorBody::~ActorBody() {
  // Counters outlive their manager only at shut-down, when nothing steps them.
  if (status_.no_damage_counter_ && rk::singletonExists(rk::InstanceSlot::CounterManager))
    status_.no_damage_counter_->release(kSource, 64);
  status_.no_damage_counter_ = nullptr;
}

void ActorBody::resetNoDamage() {
  if (rk::math::Counter* counter = status_.no_damage_counter_) {
    counter->stop();
    counter->setValue(0.0f);
    counter->setAlive(true);
  }
  status_.no_damage_period_ = 0.0f;
  status_.no_damage_flag_ = true;
}

host::HResult ActorBody::initialize() {
  Actor::initialize();
  status_.hp_max_ = 1.0f;
  status_.hp_ = status_.hp_max_;
  resetNoDamage();
  return host::S_OK;
}

void ActorBody::finalize() {
  resetNoDamage();
  Actor::finalize();
}

bool ActorBody::isNoDamage() { return status_.no_damage_flag_ || isNoDamagePeriod(); }

bool ActorBody::isNoDamagePeriod() {
  const rk::math::Counter* counter = status_.no_damage_counter_;
  return counter && counter->isRunning() && status_.no_damage_period_ >= counter->value();
}

float ActorBody::calcNoDamageLerp() {
  const rk::math::Counter* counter = status_.no_damage_counter_;
  if (!counter || status_.no_damage_period_ <= kEpsilon) return 1.0f;
  return std::clamp(counter->value() / status_.no_damage_period_, 0.0f, 1.0f);
}

void ActorBody::startNoDamageCounter() {
  if (rk::math::Counter* counter = status_.no_damage_counter_) {
    counter->setValue(0.0f);
    counter->setAlive(true);
    counter->start();
  }
}

void ActorBody::stopNoDamageCounter() {
  if (rk::math::Counter* counter = status_.no_damage_counter_) counter->stop();
}

void ActorBody::registerMethods(lua_State* L) {
  Actor::registerMethods(L);
  registerActorBodyMethods(L);
}

namespace {

// The actor body held by argument 1 (any class of actor body), else null after
// the method's report.
ActorBody* bodyArg(lua_State* L, const char* method) {
  auto* actor = rk::script::toLuaObject<rk::actor::Actor>(L, 1, rk::actor::kActorClass);
  auto* body = dynamic_cast<ActorBody*>(actor);
  if (!body) rk::script::reportNullObject(method);
  return body;
}

int lua_setNoDamageFlag(lua_State* L) {
  if (ActorBody* body = bodyArg(L, "ActorBody::lua_setNoDamageFlag"))
    body->status().no_damage_flag_ = rk::script::toBoolArg(L, 2);
  lua_settop(L, 0);
  return 0;
}

int lua_startNoDamageCounter(lua_State* L) {
  if (ActorBody* body = bodyArg(L, "ActorBody::lua_startNoDamageCounter")) body->startNoDamageCounter();
  lua_settop(L, 0);
  return 0;
}

int lua_stopNoDamageCounter(lua_State* L) {
  if (ActorBody* body = bodyArg(L, "ActorBody::lua_stopNoDamageCounter")) body->stopNoDamageCounter();
  lua_settop(L, 0);
  return 0;
}

int lua_setNoDamageCounter(lua_State* L) {
  if (ActorBody* body = bodyArg(L, "ActorBody::lua_setNoDamageCounter"))
    body->setNoDamageCounter(rk::script::toFloatArg(L, 2));
  lua_settop(L, 0);
  return 0;
}

template <bool (ActorBody::*Query)()>
int lua_query(lua_State* L) {
  ActorBody* body = bodyArg(L, "ActorBody::lua_query");
  const bool result = body && (body->*Query)();
  lua_settop(L, 0);
  lua_pushboolean(L, result);
  return 1;
}

int lua_calcNoDamageLerp(lua_State* L) {
  ActorBody* body = bodyArg(L, "ActorBody::lua_calcNoDamageLerp");
  const float lerp = body ? body->calcNoDamageLerp() : 0.0f;
  lua_settop(L, 0);
  lua_pushnumber(L, lerp);
  return 1;
}

template <float ActorBody::Status::*Field>
int lua_getField(lua_State* L) {
  ActorBody* body = bodyArg(L, "ActorBody::lua_getHp");
  const float value = body ? body->status().*Field : 0.0f;
  lua_settop(L, 0);
  lua_pushnumber(L, value);
  return 1;
}

template <float ActorBody::Status::*Field>
int lua_setField(lua_State* L) {
  if (ActorBody* body = bodyArg(L, "ActorBody::lua_setHp")) body->status().*Field = rk::script::toFloatArg(L, 2);
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kActorBodyMethods[] = {
    {"setNoDamageFlag", lua_setNoDamageFlag},
    {"startNoDamageCounter", lua_startNoDamageCounter},
    {"stopNoDamageCounter", lua_stopNoDamageCounter},
    {"setNoDamageCounter", lua_setNoDamageCounter},
    {"isNoDamage", lua_query<&ActorBody::isNoDamage>},
    {"isNoDamagePeriod", lua_query<&ActorBody::isNoDamagePeriod>},
    {"calcNoDamageLerp", lua_calcNoDamageLerp},
    {"isDead", lua_query<&ActorBody::isDead>},
    {"getHp", lua_getField<&ActorBody::Status::hp_>},
    {"setHp", lua_setField<&ActorBody::Status::hp_>},
    {"getHpMax", lua_getField<&ActorBody::Status::hp_max_>},
    {"setHpMax", lua_setField<&ActorBody::Status::hp_max_>},
    {nullptr, nullptr},
};

}  // namespace

void registerActorBodyMethods(lua_State* L) { rk::script::setMethods(L, kActorBodyMethods); }

int lua_createActorBody(lua_State* L) {
  const int number = rk::script::toIntArg(L, 1);
  const int kind = rk::script::toIntArg(L, 2);
  rk::actor::ActorManager* manager = rk::actor::ActorManager::getInstance();
  rk::actor::Actor* actor = manager ? manager->findByKind(kind) : nullptr;
  if (actor)
    manager->erase(actor);
  else
    actor = new ActorBody();
  if (manager) manager->add(number, actor);
  static_cast<rk::policy::IInitialize*>(actor)->initialize();
  // A reused actor keeps its class and with it its methods.
  return rk::actor::pushActor(L, actor);
}
