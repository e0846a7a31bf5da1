// The bullet part of every shot and enemy bullet: an owner actor body (one
// reference) whose hit points are the bullet's damage and whose no-damage
// state and death are the bullet's, the bullet's fixed speed, and the hit and
// reflect flags of the current physics step.
#pragma once
#include <cstdint>

#include <lua.hpp>

#include "policy/rk_policy.h"

class ActorBody;

namespace common {

class BulletBase : public rk::policy::IInitialize, public rk::policy::IFinalize, public rk::policy::IIsUse {
 public:
  struct Record {
    ActorBody* owner_ = nullptr;  // holds one reference
    std::int32_t actor_kind_ = 0;  // 3 player shots, 4 enemy bullets
    float fix_speed_ = 12.0f;
    bool hit_flag_ = false;
    bool reflect_flag_ = false;
  };

  static constexpr float kDefaultSpeed = 12.0f;

  explicit BulletBase(std::int32_t actorKind);
  // Finalizes the owner and gives back the reference.
  ~BulletBase() override;
  BulletBase(const BulletBase&) = delete;
  BulletBase& operator=(const BulletBase&) = delete;

  // Initializes the owner, puts the bullet in use and resets speed and flags.
  host::HResult initialize() override;
  // Takes the owner out of use; the owner and its reference stay.
  void finalize() override;
  // The owner's use flag; without an owner setUse is reported and isUse false.
  void setUse(bool use) override;
  bool isUse() override;

  // The owner's no-damage operations and death; a bullet without an owner is dead.
  virtual void setNoDamageCounter(float seconds);
  virtual bool isNoDamage();
  virtual bool isNoDamagePeriod();
  virtual float calcNoDamageLerp();
  virtual bool isDead();

  // Gives the bullet its owner: one reference taken, the previous one given back.
  void setOwner(ActorBody* owner);
  ActorBody* owner() const { return record_.owner_; }
  Record& record() { return record_; }

 private:
  Record record_;
};

// Puts the sixteen bullet methods into the method table at index 3. `toBullet`
// reads the bullet of the object at an index (null for anything else); each
// bullet class passes its own reader.
using BulletReader = BulletBase* (*)(lua_State* L, int index);
void registerBulletMethods(lua_State* L, BulletReader toBullet);

}  // namespace common
