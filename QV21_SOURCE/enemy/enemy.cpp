#include "enemy/enemy.h"

#include <algorithm>

#include "enemy/enemy_rigid_body.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"
#include "math/rk_counter_manager.h"
#include "rigidbody/rk_rigidbody.h"
#include "script/rk_lua_arg.h"

namespace {

constexpr const char* kSource = "QV21_SOURCE/enemy/enemy";

// The enemy of argument 1, else null after the method's report.
Enemy* self(lua_State* L, const char* method) {
  Enemy* enemy = toEnemy(L, 1);
  if (!enemy) rk::script::reportNullObject(method);
  return enemy;
}

// "entryRootSphereBody", "entryRootCapsuleBody", "entryRootOBBBody": the kind
// comes from the body, not from the name. Nil, or a script object whose body
// is gone, leaves no root; any other value is reported and changes nothing.
int lua_entryRootBody(lua_State* L) {
  if (Enemy* enemy = self(L, "Enemy::lua_entryRootBody")) {
    EnemyRigidBody* body = toEnemyRigidBody(L, 2);
    rk::script::LuaObjectBlock* block = rk::script::luaObjectBlock(L, 2);
    const bool emptyObject = block && !body && !(block->cell ? block->cell->object : block->object);
    if (body || lua_isnoneornil(L, 2) || emptyObject)
      enemy->entryRootBody(body);
    else
      rk::debug::writeErrorLog(kSource, __LINE__, "Enemy::lua_entryRootBody");
  }
  lua_settop(L, 0);
  return 0;
}

template <bool Enemy::EnemyState::*Flag>
int lua_setFlag(lua_State* L) {
  if (Enemy* enemy = self(L, "Enemy::lua_setFlag")) enemy->state().*Flag = rk::script::toBoolArg(L, 2);
  lua_settop(L, 0);
  return 0;
}

template <bool Enemy::EnemyState::*Flag>
int lua_getFlag(lua_State* L) {
  Enemy* enemy = self(L, "Enemy::lua_getFlag");
  const bool value = enemy && enemy->state().*Flag;
  lua_settop(L, 0);
  lua_pushboolean(L, value);
  return 1;
}

int lua_startDamangeFlush(lua_State* L) {
  if (Enemy* enemy = self(L, "Enemy::lua_startDamangeFlush")) enemy->startDamageFlush();
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kEnemyMethods[] = {
    {"entryRootSphereBody", lua_entryRootBody},
    {"entryRootCapsuleBody", lua_entryRootBody},
    {"entryRootOBBBody", lua_entryRootBody},
    {"setBoss", lua_setFlag<&Enemy::EnemyState::is_boss_>},
    {"isBoss", lua_getFlag<&Enemy::EnemyState::is_boss_>},
    {"setRangeAttack", lua_setFlag<&Enemy::EnemyState::is_range_attack_>},
    {"isRangeAttack", lua_getFlag<&Enemy::EnemyState::is_range_attack_>},
    {"startDamangeFlush", lua_startDamangeFlush},
    {nullptr, nullptr},
};

}  // namespace

Enemy::Enemy() {
  if (rk::math::CounterManager* counters = rk::math::CounterManager::getInstance())
    state_.flush_counter_ = counters->getCounter(kFlushCounterKind, nullptr);
}

Enemy::~Enemy() {
  // Bodies still naming this enemy lose the link first: releasing the root
  // may delete a body, which would otherwise come back to this list.
  for (EnemyRigidBody* body : owned_bodies_) body->record().owner_ = nullptr;
  owned_bodies_.clear();
  if (state_.flush_counter_ && rk::singletonExists(rk::InstanceSlot::CounterManager))
    state_.flush_counter_->release(kSource, __LINE__);
  state_.flush_counter_ = nullptr;
  releaseRootBody();
}

void Enemy::entryRootBody(EnemyRigidBody* body) {
  // The new root is held before the old one goes: entering the same body
  // again must not free it in between.
  if (body) body->rigidBody().addRef();
  releaseRootBody();
  if (!body) return;
  state_.root_body_ = body;
  state_.root_kind_ = body->rigidBody().getCollisionKind();
}

void Enemy::releaseRootBody() {
  EnemyRigidBody* body = state_.root_body_;
  state_.root_body_ = nullptr;
  state_.root_kind_ = 0;
  if (body) body->rigidBody().release(kSource, __LINE__);
}

void Enemy::startDamageFlush() {
  if (rk::math::Counter* counter = state_.flush_counter_) {
    counter->setValue(0.0f);
    counter->start();
  }
}

void Enemy::attachBody(EnemyRigidBody* body) { owned_bodies_.push_back(body); }

void Enemy::detachBody(EnemyRigidBody* body) {
  auto it = std::find(owned_bodies_.begin(), owned_bodies_.end(), body);
  if (it != owned_bodies_.end()) owned_bodies_.erase(it);
}

void Enemy::registerMethods(lua_State* L) {
  ActorBody::registerMethods(L);
  rk::script::setMethods(L, kEnemyMethods);
}

Enemy* toEnemy(lua_State* L, int index) {
  return dynamic_cast<Enemy*>(rk::script::toLuaObject<rk::actor::Actor>(L, index, rk::actor::kActorClass));
}

int pushEnemy(lua_State* L, Enemy* enemy) { return rk::actor::pushActor(L, enemy); }
