// Sets an enemy capsule body's capsule from a named node of a model once per
// frame, in the actor camera's world: axis and centre; the body itself stays.
#pragma once
#include <string>

#include <lua.hpp>

#include "enemy/enemy_rigid_body_capsule.h"
#include "gfx/rk_model.h"
#include "policy/rk_sync_group.h"
#include "script/rk_lua_object.h"

namespace qv21::sync {

class SyncModelCapsuleCollision : public rk::policy::SyncGroup<rk::gfx::Model, EnemyRigidBodyCapsule>,
                                  public rk::script::ILuaMethod {
 public:
  // Nothing unless model and body are set, the model is ready and the node
  // named; a node the model cannot find is reported and the lookup's matrix used.
  void sync() override;

  const std::string& nodeName() const { return node_name_; }
  void setNodeName(const std::string& name) { node_name_ = name; }

  // "setModel", "setCapsule", "setNodeName"; the collector deletes the object.
  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;

 private:
  std::string node_name_;
};

extern const rk::script::LuaClass kSyncModelCapsuleCollisionClass;

// "createSyncMapModelCapsule".
int lua_createSyncMapModelCapsule(lua_State* L);

}  // namespace qv21::sync
