// Places an enemy sphere body on a named node of a model once per frame, in
// the actor camera's world: the body's position and the sphere's centre.
#pragma once
#include <string>

#include <lua.hpp>

#include "enemy/enemy_rigid_body_sphere.h"
#include "gfx/rk_model.h"
#include "policy/rk_sync_group.h"
#include "script/rk_lua_object.h"

namespace qv21::sync {

class SyncCollisionBoss01 : public rk::policy::SyncGroup<rk::gfx::Model, EnemyRigidBodySphere>,
                            public rk::script::ILuaMethod {
 public:
  // Nothing unless model, body and node are set and the model is ready.
  void sync() override;

  const std::string& nodeName() const { return node_name_; }
  void setNodeName(const std::string& name) { node_name_ = name; }

  // "setModelAndCollision"; the collector deletes the object.
  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;

 private:
  std::string node_name_;
};

extern const rk::script::LuaClass kSyncCollisionBoss01Class;

// "createSyncBoss01CenterSphereCollsion": a new object, registered with the
// sync unit, owned by its script object.
int lua_createSyncBoss01CenterSphereCollsion(lua_State* L);

}  // namespace qv21::sync
