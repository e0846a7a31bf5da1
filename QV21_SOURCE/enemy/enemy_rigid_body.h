// The enemy part of every enemy body: the owner enemy (a plain link that the
// enemy clears when it goes first), the shield, reflect and player-hit-dead
// flags, a frame name for the scripts, and the queue of pending explosions.
// Whoever kills the owner pushes a dead-info entry; the enemy script later
// plays them with "runDeadInfo". The concrete bodies (sphere, capsule, box)
// are shaped rigid bodies of the framework with this part beside it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include <lua.hpp>

#include "math/rk_matrix.h"
#include "math/rk_vector.h"
#include "policy/i_owner.h"
#include "script/rk_lua_object.h"

namespace rk::rigidbody { class RigidBody; }
namespace rk::collision { class CollisionBody; }

class Enemy;

class EnemyRigidBody : public IOwner<Enemy> {
 public:
  // Collision kinds: 256 for an enemy body plus the shape's own kind.
  static constexpr int kKindBase = 256;
  // Camera and effect unit every dead-info producer stores.
  static constexpr std::int32_t kActorCamera = 2;
  static constexpr std::int32_t kMapEffectUnit = 4;

  // One pending explosion: only the translation row of the matrix is used.
  struct DeadInfo {
    rk::math::Matrix matrix = rk::math::matrixIdentity();
    float scale = 1.0f;
    std::int32_t camera_no = kActorCamera;
    std::int32_t effect_no = kMapEffectUnit;
  };

  struct Record {
    Enemy* owner_ = nullptr;
    std::vector<DeadInfo> dead_infos_;  // oldest first
    bool is_shield_ = false;
    bool is_reflect_ = false;           // player shots bounce off
    bool is_player_hit_dead_ = false;   // touching the player kills the owner
    std::string frame_name_;
  };

  EnemyRigidBody() = default;
  // Leaves the owner's list of bodies.
  ~EnemyRigidBody() override;
  EnemyRigidBody(const EnemyRigidBody&) = delete;
  EnemyRigidBody& operator=(const EnemyRigidBody&) = delete;

  // The rigid body this part belongs to, and its built-in shape.
  virtual rk::rigidbody::RigidBody& rigidBody() = 0;
  virtual rk::collision::CollisionBody& shape() = 0;
  // 257 sphere, 258 capsule, 259 box.
  virtual int enemyCollisionKind() = 0;
  // Uniform scale of this body's explosion.
  virtual float explosionScale() = 0;

  void setOwner(Enemy* owner) override;
  Enemy* getOwner() override { return record_.owner_; }

  void clearDeadInfo() { record_.dead_infos_.clear(); }
  void pushDeadInfo(const DeadInfo& info) { record_.dead_infos_.push_back(info); }
  // Plays every entry, oldest first: "effect/bomb01" on effect unit 4 where
  // camera 2 shows the entry's translation, and the explosion sound queued in
  // the audio context's entry list. The list stays.
  void runDeadInfo();
  // An entry at the point with this body's explosion scale, camera 2, unit 4.
  DeadInfo makeDeadInfo(const rk::math::Vector4& at);
  // The same at the centre of the built-in shape (the hit rules' entries).
  DeadInfo makeDeadInfoAtShape();

  Record& record() { return record_; }
  const Record& record() const { return record_; }
  bool isShield() const { return record_.is_shield_; }
  bool isReflect() const { return record_.is_reflect_; }
  bool isPlayerHitDead() const { return record_.is_player_hit_dead_; }

 protected:
  // The enemy part of initialize (after the rigid body's): owner unset, list
  // emptied, shield and reflect off, no frame name; player-hit-dead stays.
  void initializeEnemyPart();
  // The enemy part of finalize: owner unset.
  void finalizeEnemyPart() { setOwner(nullptr); }

 private:
  Record record_;
};

// Interfaces of the enemy bodies' beam-magnum damage.
class IDamageOneSec {
 public:
  virtual ~IDamageOneSec() = default;
  virtual void setDamageOneSec(float damage) = 0;
  virtual float getDamageOneSec() = 0;
};
class IMagnumDamage {
 public:
  virtual ~IMagnumDamage() = default;
  virtual void setMagnumDamage(bool on) = 0;
  virtual bool isMagnumDamage() = 0;
};
class IBombScale {
 public:
  virtual ~IBombScale() = default;
  virtual float explosionScale() = 0;
};

// Script object tag of the enemy part: every enemy body's class answers it.
extern const rk::script::LuaClass kEnemyRigidBodyClass;
namespace rk::script {
template <>
inline const LuaClass& interfaceClass<EnemyRigidBody>() {
  return kEnemyRigidBodyClass;
}
}  // namespace rk::script

// The enemy part of the body at that index, else null (no report).
EnemyRigidBody* toEnemyRigidBody(lua_State* L, int index);

// Puts the eleven enemy-body methods ("setShiled" ... "runDeadInfo") into the
// method table at index 3, then "getOwner" and "setOwner".
void registerEnemyBodyMethods(lua_State* L);
void registerEnemyOwnerMethods(lua_State* L);

// "castEnemyRigidBodySphereToCollisionBody" and its capsule and box twins (one
// function): a script object that refers to the body's built-in shape, so the
// shape can be handed to whatever takes a collision body ("setCollision"). It
// keeps the body's own script object reachable; nil or another kind gives an
// object that holds nothing.
int lua_castEnemyRigidBodyToCollisionBody(lua_State* L);
extern const rk::script::LuaClass kEnemyBodyShapeClass;

namespace status { class StatusUnit; }

// Adds one kill to the combo chain through the status unit (reported when
// there is no status unit). The magnum kill, the hit rules and the range
// attack call it. The status side installs the sink that reaches its combo
// gauge; without a sink the kill is only counted by the status unit's lookup.
void addEnemyKillCombo();
using EnemyKillComboSink = void (*)(status::StatusUnit& unit);
void setEnemyKillComboSink(EnemyKillComboSink sink);
