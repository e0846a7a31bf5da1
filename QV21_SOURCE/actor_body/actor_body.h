// The game's actor: a pooled framework actor with hit points and a no-damage
// period. Enemies, the player and the actor bodies of bullets derive from it;
// scripts make plain ones with "createActorBody" (library "actor_body_command").
#pragma once
#include <lua.hpp>

#include "actor/rk_actor.h"
#include "common/game_object.h"

namespace rk::math { class Counter; }

class ActorBody : public GameObject, public rk::actor::Actor {
 public:
  struct Status {
    float hp_max_ = 1.0f;
    float hp_ = 1.0f;
    // Time since the no-damage period started, while it runs (one reference).
    rk::math::Counter* no_damage_counter_ = nullptr;
    float no_damage_period_ = 0.0f;
    bool no_damage_flag_ = false;  // unconditional no-damage switch
  };

  static constexpr int kNoDamageCounterKind = 6;

  // Makes the counter (reported when there is no counter manager); not in use.
  ActorBody();
  // Releases the counter while the counter manager exists.
  ~ActorBody() override;

  int kind() override { return 0; }
  // The actor's initialize, then hit points 1 of 1, the counter stopped at 0,
  // no period and the no-damage flag set.
  host::HResult initialize() override;
  // The counter stopped at 0, no period, the no-damage flag set, out of use.
  void finalize() override;
  virtual host::HResult reinitialize() { return initialize(); }

  virtual void setNoDamageCounter(float period) { status_.no_damage_period_ = period; }
  // The flag, else the period.
  virtual bool isNoDamage();
  // The counter runs and has not passed the period (the period itself included).
  virtual bool isNoDamagePeriod();
  // How far through the period, 0..1; 1 when the period is (nearly) zero.
  virtual float calcNoDamageLerp();
  virtual bool isDead() { return status_.hp_ <= 0.0f; }

  // The counter restarted from 0 / stopped where it is.
  void startNoDamageCounter();
  void stopNoDamageCounter();

  Status& status() { return status_; }

  // The actor method family, then the actor-body method family.
  void registerMethods(lua_State* L) override;

 private:
  void resetNoDamage();
  Status status_;
};

// Puts the twelve actor-body methods into the method table at index 3; the
// player, enemies and bullet actor bodies register the same.
void registerActorBodyMethods(lua_State* L);

// "createActorBody"(number, kind): a free pooled actor of that kind, or a new
// ActorBody, filed under the number and initialised.
int lua_createActorBody(lua_State* L);
