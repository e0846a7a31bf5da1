// An enemy: an actor body of kind 2 whose behaviour lives in its scripts. It
// adds a root body (one reference) that the player's range weapons target, a
// boss flag, a range-attack flag and the damage-flush counter that the flush
// component turns into a glow. Enemies are pooled in the actor manager; the
// enemy manager hands them out.
#pragma once
#include <cstdint>
#include <vector>

#include <lua.hpp>

#include "actor_body/actor_body.h"

namespace rk::math { class Counter; }
namespace rk::collision { class CollisionBody; }
namespace rk::rigidbody { class RigidBody; }

class EnemyRigidBody;

class Enemy : public ActorBody {
 public:
  static constexpr int kKind = 2;
  static constexpr int kFlushCounterKind = 64;

  struct EnemyState {
    EnemyRigidBody* root_body_ = nullptr;  // one reference held
    // The root's collision kind when entered (257, 258, 259); 0 without root.
    // Readers use its low byte: 1 sphere, 2 capsule, 3 box.
    std::int32_t root_kind_ = 0;
    rk::math::Counter* flush_counter_ = nullptr;  // one reference held
    bool is_boss_ = false;
    bool is_range_attack_ = true;
  };

  // A new state with a stopped flush counter (reported without counter manager).
  Enemy();
  // Unlinks every body it owns, releases the counter and the root body.
  ~Enemy() override;

  int kind() override { return kKind; }

  EnemyState& state() { return state_; }
  const EnemyState& state() const { return state_; }

  // Makes the body the root: one reference taken on it, the previous root
  // released, the kind recorded. Null only releases the previous root.
  void entryRootBody(EnemyRigidBody* body);
  void releaseRootBody();
  EnemyRigidBody* rootBody() const { return state_.root_body_; }

  // The flush counter from 0, running (a hit, or "startDamangeFlush").
  void startDamageFlush();

  // The bodies whose owner link names this enemy.
  const std::vector<EnemyRigidBody*>& ownedBodies() const { return owned_bodies_; }

  // The actor and actor-body families, then the enemy's own methods.
  void registerMethods(lua_State* L) override;

 private:
  friend class EnemyRigidBody;
  void attachBody(EnemyRigidBody* body);
  void detachBody(EnemyRigidBody* body);

  EnemyState state_;
  std::vector<EnemyRigidBody*> owned_bodies_;
};

// The enemy held by the script object at that index, else null (no report).
Enemy* toEnemy(lua_State* L, int index);
// A new script object of the enemy holding one reference; one result.
int pushEnemy(lua_State* L, Enemy* enemy);
