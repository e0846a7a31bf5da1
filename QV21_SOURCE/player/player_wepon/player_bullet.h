// What the player's three shots share: the actor body that carries a shot's
// hit points (actor kind 3), the pool that hands one to every shot at its
// initialize, the player bullet base, and the shots' common steps.
#pragma once
#include <lua.hpp>

#include "actor_body/actor_body.h"
#include "common/bullet/bullet_base.h"
#include "math/rk_vector.h"
#include "rigidbody/rk_rigidbody.h"
#include "rigidbody/rk_rigidbody_manager.h"
#include "script/rk_lua_object.h"
#include "script/rk_script_collision.h"
#include "script/rk_script_rigidbody.h"

class PlayerBulletBase;

// The actor body of a player shot. `holder_` names the shot that took it from
// the pool last: a shot that was finalised keeps naming its old actor body
// while the pool hands that body to another shot, and only the holder may
// take the body out of use again.
class PlayerBulletActorBody : public ActorBody {
 public:
  static constexpr int kKind = 3;
  int kind() override { return kKind; }
  PlayerBulletBase* holder_ = nullptr;
};

// The first actor body of kind 3 out of use (taken out of the actor manager),
// or a new one; filed under 6 and initialised. No reference is added.
PlayerBulletActorBody* takePlayerBulletActorBody();

class PlayerBulletBase : public common::BulletBase {
 public:
  PlayerBulletBase() : BulletBase(PlayerBulletActorBody::kKind) {}
  // Gives the owner back without touching it when another shot holds it now.
  ~PlayerBulletBase() override;

  virtual int actorKind() { return PlayerBulletActorBody::kKind; }

  bool hitFlag() { return record().hit_flag_; }
  bool reflectFlag() { return record().reflect_flag_; }
  void setHitFlag(bool on) { record().hit_flag_ = on; }
  void setReflectFlag(bool on) { record().reflect_flag_ = on; }
  float fixSpeed() { return record().fix_speed_; }

 protected:
  // The shots' initialize steps after their rigid body's: a fresh owner from
  // the pool (one reference, the previous one given back), initialised; the
  // owner in use; speed 12 and both flags cleared. The body's own use flag is
  // the caller's.
  void takeFreshOwner();
  // The owner out of use (an absent actor manager reported first), unless the
  // pool has handed it to another shot since.
  void finalizeOwner();
  // The owner's use flag (reported without an owner).
  void setOwnerUse(bool use);
  bool ownerInUse();
  // True while the owner's holder is this shot.
  bool holdsOwner();
};

namespace player_shot {

// v scaled to `speed`; a zero velocity stays zero.
rk::math::Vector4 atFixedSpeed(const rk::math::Vector4& v, float speed);

// Queues "audio/se/common01/reflect.ogg" in the audio context's entry list at
// the position carried from the actor camera into the map camera.
void queueReflectSound(const rk::math::Vector4& position);

// A LuaClass::cast for a player shot built on the framework body `Shape`:
// the policy interfaces are reached through the rigid body (the shot's
// overrides serve both of its bases).
template <class T, class Shape>
void* castShot(void* object, const rk::script::LuaClass& target) {
  if (void* shape = rk::script::castToInterface<T, Shape, rk::rigidbody::RigidBody, rk::policy::SharedObject,
                                                rk::collision::CollisionBody>(object, target))
    return shape;
  auto* body = static_cast<rk::rigidbody::RigidBody*>(static_cast<T*>(object));
  return rk::script::castToInterface<rk::rigidbody::RigidBody, rk::policy::IInitialize, rk::policy::IFinalize,
                                     rk::policy::IIsUse>(body, target);
}

// A new shot, initialised, one reference for the script object that holds it.
template <class T>
int create(lua_State* L, const rk::script::LuaClass& cls) {
  lua_settop(L, 0);
  rk::rigidbody::RigidBodyManager::getInstance();  // reports a missing manager
  T* shot = new T();
  static_cast<rk::rigidbody::RigidBody*>(shot)->initialize();
  static_cast<rk::policy::SharedObject*>(shot)->addRef();
  return rk::script::pushLuaObject(L, *shot, shot, cls);
}

}  // namespace player_shot
