// The player's collision body: a sphere of the physics step (collision kind
// 513) owned by one Player through a plain owner link. After every physics
// step it shows the owner's hit points in the status unit's shield gauge.
#pragma once
#include <memory>

#include <lua.hpp>

#include "policy/i_owner.h"
#include "rigidbody/rk_rigidbody_shapes.h"
#include "script/rk_lua_object.h"

class Player;

class PlayerRigidBody : public rk::rigidbody::RigidBodySphere, public IOwner<Player> {
 public:
  // 256 × the player body class (2) + the sphere shape (1).
  static constexpr int kCollisionKind = 513;

  struct Record {
    Player* owner_ = nullptr;
  };

  PlayerRigidBody() : record_(std::make_unique<Record>()) {}
  // Leaves its owner's list.
  ~PlayerRigidBody() override;

  int getCollisionKind() override { return kCollisionKind; }
  // The sphere body's initialize, then no gravity and no owner.
  host::HResult initialize() override;
  // The rigid body's finalize, no collision link, radius 1, no owner.
  void finalize() override;
  // The base flush, then the owner's hit points into the shield gauge.
  void flushSync() override;

  // A plain link; the player clears it should it go first.
  void setOwner(Player* owner) override;
  Player* getOwner() override { return record_->owner_; }

  // Initialize, common and sphere families, then "setOwner".
  void registerMethods(lua_State* L) override;

 private:
  std::unique_ptr<Record> record_;
};

extern const rk::script::LuaClass kPlayerRigidBodyClass;

// The player body held by the script object at that index, else null.
PlayerRigidBody* toPlayerRigidBody(lua_State* L, int index);

// "createPlayerColRigidBody"(): a new body, initialised (not valid, no owner),
// in a script object holding its one reference.
int lua_createPlayerColRigidBody(lua_State* L);
