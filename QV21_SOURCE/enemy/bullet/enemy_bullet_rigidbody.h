// The three plain enemy bullets: a framework shape body (sphere, capsule or
// box) that is at the same time an enemy bullet. The physics step moves and
// collides them like any body; what makes them bullets is the owner actor
// body taken from the pool at every initialise, their finalise, and their
// script methods. The growing laser, the bendable laser and the model-synced
// beams derive from them.
#pragma once
#include <type_traits>

#include <lua.hpp>

#include "enemy/bullet/enemy_bullet_base.h"
#include "rigidbody/rk_rigidbody_manager.h"
#include "rigidbody/rk_rigidbody_shapes.h"
#include "script/rk_lua_object.h"
#include "script/rk_script_collision.h"
#include "script/rk_script_rigidbody.h"

template <class Shape>
class EnemyBulletRigidBody : public Shape, public EnemyBulletBase {
 public:
  using ShapeBody = Shape;

  // Not valid and not in use until initialised; no owner yet.
  EnemyBulletRigidBody() = default;

  // A new owner from the pool (the previous one given back), the shape body's
  // reset, the owner initialised and in use, speed and flags reset, the bullet
  // no-damage flag cleared (the colour kind stays), no gravity, valid and in
  // use. A capsule starts with height 0.
  host::HResult initialize() override;
  // The shape body's finalise, then the owner out of use; the owner is kept.
  void finalize() override;
  // Both the body's own flag and the owner's.
  void setUse(bool use) override;
  // The body's own flag, and an owner in use.
  bool isUse() override;
  // The initialize, common and shape families, the bullet and shot-colour families.
  void registerMethods(lua_State* L) override;

 protected:
  // The last reference is going: the bullet is finalised before it is deleted.
  void destroy() override { finalize(); }
  // Registers the shape family of this class's shape.
  static void registerShapeMethods(lua_State* L);
};

class EnemyBulletRigidBodySphere : public EnemyBulletRigidBody<rk::rigidbody::RigidBodySphere> {
 public:
  using BulletParent = void;
  static const rk::script::LuaClass kLuaClass;
};

class EnemyBulletRigidBodyCapsule : public EnemyBulletRigidBody<rk::rigidbody::RigidBodyCapsule> {
 public:
  using BulletParent = void;
  static const rk::script::LuaClass kLuaClass;
};

class EnemyBulletRigidBodyOBB : public EnemyBulletRigidBody<rk::rigidbody::RigidBodyOBB> {
 public:
  using BulletParent = void;
  static const rk::script::LuaClass kLuaClass;
};

extern template class EnemyBulletRigidBody<rk::rigidbody::RigidBodySphere>;
extern template class EnemyBulletRigidBody<rk::rigidbody::RigidBodyCapsule>;
extern template class EnemyBulletRigidBody<rk::rigidbody::RigidBodyOBB>;

namespace enemy_bullet {

// The LuaClass::cast of an enemy bullet class T: its own class and every
// bullet class it derives from (through T::BulletParent), the enemy bullet
// part, the rigid body, its shape body and shape, and the policy interfaces.
template <class T>
void* castBullet(void* object, const rk::script::LuaClass& target) {
  namespace rs = rk::script;
  T* self = static_cast<T*>(object);
  if (&target == &T::kLuaClass) return self;
  if constexpr (!std::is_void_v<typename T::BulletParent>) {
    using Parent = typename T::BulletParent;
    if (void* found = castBullet<Parent>(static_cast<Parent*>(self), target)) return found;
    return nullptr;
  } else {
    using Shape = typename T::ShapeBody;
    auto* body = static_cast<rk::rigidbody::RigidBody*>(self);
    if (&target == &rs::interfaceClass<rk::rigidbody::RigidBody>()) return body;
    if (&target == &rs::interfaceClass<Shape>()) return static_cast<Shape*>(self);
    if (&target == &rs::interfaceClass<rk::collision::CollisionBody>())
      return static_cast<rk::collision::CollisionBody*>(static_cast<Shape*>(self));
    if (&target == &kEnemyBulletBaseClass) return static_cast<EnemyBulletBase*>(self);
    if (&target == &rs::kSharedObjectClass) return static_cast<rk::policy::SharedObject*>(body);
    if (&target == &rs::kInitializeClass) return static_cast<rk::policy::IInitialize*>(body);
    if (&target == &rs::kFinalizeClass) return static_cast<rk::policy::IFinalize*>(body);
    if (&target == &rs::kIsUseClass) return static_cast<rk::policy::IIsUse*>(body);
    return nullptr;
  }
}

// The bullet at that index as T (a derived bullet class included), else null.
template <class T>
T* toBullet(lua_State* L, int index) {
  return rk::script::toLuaObject<T>(L, index, T::kLuaClass);
}

// A new script object holding one more reference to the bullet.
template <class T>
int pushBullet(lua_State* L, T* bullet) {
  static_cast<rk::policy::SharedObject*>(static_cast<rk::rigidbody::RigidBody*>(bullet))->addRef();
  return rk::script::pushLuaObject(L, *bullet, bullet, T::kLuaClass);
}

// The creators' common steps: the missing physics manager is reported, the
// bullet is constructed, initialised and handed to a new script object.
template <class T>
int createBullet(lua_State* L) {
  lua_settop(L, 0);
  rk::rigidbody::RigidBodyManager::getInstance();
  T* bullet = new T();
  bullet->initialize();
  return pushBullet(L, bullet);
}

}  // namespace enemy_bullet

// "createEnemyBulletRigidBodySphere", "...Capsule", "...OBB": no arguments.
int lua_createEnemyBulletRigidBodySphere(lua_State* L);
int lua_createEnemyBulletRigidBodyCapsule(lua_State* L);
int lua_createEnemyBulletRigidBodyOBB(lua_State* L);
