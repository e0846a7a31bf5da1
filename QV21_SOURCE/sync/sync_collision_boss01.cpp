#include "sync/sync_collision_boss01.h"

#include "script/rk_lua_arg.h"
#include "sync/sync_model_mapping.h"

namespace qv21::sync {

const rk::script::LuaClass kSyncCollisionBoss01Class{"sync::SyncCollisionBoss01"};

void SyncCollisionBoss01::sync() {
  if (!model_ || !body_ || node_name_.empty() || !model_->isReady()) return;
  rk::math::Matrix frame;
  model_->calcFrameMtx(frame, node_name_.c_str());
  rk::math::Matrix placed;
  if (!mapToActorCamera(*model_, turnedNode(frame), placed)) return;
  body_->setPosition({placed.m[3][0], placed.m[3][1], placed.m[3][2], 0.0f});
  body_->updateWorldMatrix();
  body_->rk::collision::Sphere::setFromMatrix(placed);
}

namespace {

SyncCollisionBoss01* self(lua_State* L) {
  auto* object = rk::script::toLuaObject<SyncCollisionBoss01>(L, 1, kSyncCollisionBoss01Class);
  if (!object) rk::script::reportNullObject("sync::SyncCollisionBoss01::lua_setModelAndCollision");
  return object;
}

// (self, model, sphere body, node name): nil clears a link; an object of
// another kind is reported and changes nothing.
int lua_setModelAndCollision(lua_State* L) {
  if (SyncCollisionBoss01* object = self(L)) {
    rk::gfx::Model* model = toModel(L, 2);
    auto* body = rk::script::toLuaObject<EnemyRigidBodySphere>(L, 3, kEnemyRigidBodySphereClass);
    if ((model || lua_isnoneornil(L, 2)) && (body || lua_isnoneornil(L, 3))) {
      object->setModel(model);
      object->setBody(body);
      object->setNodeName(rk::script::toTextOrEmpty(L, 4));
      keepLinked(L, "model", 2);
      keepLinked(L, "body", 3);
    } else {
      rk::script::reportNullObject("sync::SyncCollisionBoss01::lua_setModelAndCollision");
    }
  }
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kMethods[] = {{"setModelAndCollision", lua_setModelAndCollision}, {nullptr, nullptr}};

}  // namespace

void SyncCollisionBoss01::registerMethods(lua_State* L) { rk::script::setMethods(L, kMethods); }

void SyncCollisionBoss01::setMetatable(lua_State* L) {
  rk::script::setObjectMetatable(L, rk::script::lua_gcDeleteObject<SyncCollisionBoss01, kSyncCollisionBoss01Class>);
}

int lua_createSyncBoss01CenterSphereCollsion(lua_State* L) {
  lua_settop(L, 0);
  auto* object = new SyncCollisionBoss01();
  return rk::script::pushLuaObject(L, *object, object, kSyncCollisionBoss01Class);
}

}  // namespace qv21::sync
