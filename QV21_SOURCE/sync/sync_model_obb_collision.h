// Puts a valid enemy box body on a named node of a model once per frame, with
// an offset placed before the node, in the actor camera's world: the box's
// axes and centre and the body's position.
#pragma once
#include <string>

#include <lua.hpp>

#include "enemy/enemy_rigid_body_obb.h"
#include "gfx/rk_model.h"
#include "math/rk_transformation.h"
#include "policy/rk_sync_group.h"
#include "script/rk_lua_object.h"

namespace qv21::sync {

class SyncModelOBBCollision : public rk::policy::SyncGroup<rk::gfx::Model, EnemyRigidBodyOBB>,
                              public rk::script::ILuaMethod {
 public:
  // Nothing unless model, body and node are set, the model is ready and the
  // body is valid.
  void sync() override;

  const std::string& nodeName() const { return node_name_; }
  void setNodeName(const std::string& name) { node_name_ = name; }
  rk::math::Transformation& offset() { return offset_; }

  // "setModelAndCollision", "setOffset", "sync"; the collector deletes the object.
  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;

 private:
  std::string node_name_;
  rk::math::Transformation offset_;
};

extern const rk::script::LuaClass kSyncModelOBBCollisionClass;

// "createSyncModelFrameOBB".
int lua_createSyncModelFrameOBB(lua_State* L);

}  // namespace qv21::sync
