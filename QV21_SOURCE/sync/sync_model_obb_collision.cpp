#include "sync/sync_model_obb_collision.h"

#include "script/rk_lua_arg.h"
#include "sync/sync_model_mapping.h"

namespace qv21::sync {

const rk::script::LuaClass kSyncModelOBBCollisionClass{"sync::SyncModelOBBCollision"};

void SyncModelOBBCollision::sync() {
  if (!model_ || !body_ || node_name_.empty() || !model_->isReady() || !body_->isValid()) return;
  offset_.buildMatrix();
  rk::math::Matrix frame;
  model_->calcFrameMtx(frame, node_name_.c_str());
  const rk::math::Matrix m = rk::math::matrixMultiply(offset_.getMatrix(), turnedNode(frame));
  rk::math::Matrix placed;
  if (!mapToActorCamera(*model_, m, placed)) return;
  body_->rk::collision::OBB::setFromMatrix(placed);
  body_->setPosition({placed.m[3][0], placed.m[3][1], placed.m[3][2], 0.0f});
  body_->updateWorldMatrix();
}

namespace {

SyncModelOBBCollision* self(lua_State* L, const char* method) {
  auto* object = rk::script::toLuaObject<SyncModelOBBCollision>(L, 1, kSyncModelOBBCollisionClass);
  if (!object) rk::script::reportNullObject(method);
  return object;
}

int lua_setModelAndCollision(lua_State* L) {
  if (SyncModelOBBCollision* object = self(L, "sync::SyncModelOBBCollision::lua_setModelAndCollision")) {
    rk::gfx::Model* model = toModel(L, 2);
    auto* body = rk::script::toLuaObject<EnemyRigidBodyOBB>(L, 3, kEnemyRigidBodyOBBClass);
    if ((model || lua_isnoneornil(L, 2)) && (body || lua_isnoneornil(L, 3))) {
      object->setModel(model);
      object->setBody(body);
      object->setNodeName(rk::script::toTextOrEmpty(L, 4));
      keepLinked(L, "model", 2);
      keepLinked(L, "body", 3);
    } else {
      rk::script::reportNullObject("sync::SyncModelOBBCollision::lua_setModelAndCollision");
    }
  }
  lua_settop(L, 0);
  return 0;
}

int lua_setOffset(lua_State* L) {
  if (SyncModelOBBCollision* object = self(L, "sync::SyncModelOBBCollision::lua_setOffset"))
    object->offset().setPos(
        {rk::script::toFloatArg(L, 2), rk::script::toFloatArg(L, 3), rk::script::toFloatArg(L, 4), 0.0f});
  lua_settop(L, 0);
  return 0;
}

int lua_sync(lua_State* L) {
  SyncModelOBBCollision* object = self(L, "sync::SyncModelOBBCollision::lua_sync");
  lua_settop(L, 0);
  if (object) object->sync();
  return 0;
}

const luaL_Reg kMethods[] = {
    {"setModelAndCollision", lua_setModelAndCollision},
    {"setOffset", lua_setOffset},
    {"sync", lua_sync},
    {nullptr, nullptr},
};

}  // namespace

void SyncModelOBBCollision::registerMethods(lua_State* L) { rk::script::setMethods(L, kMethods); }

void SyncModelOBBCollision::setMetatable(lua_State* L) {
  rk::script::setObjectMetatable(L, rk::script::lua_gcDeleteObject<SyncModelOBBCollision, kSyncModelOBBCollisionClass>);
}

int lua_createSyncModelFrameOBB(lua_State* L) {
  lua_settop(L, 0);
  auto* object = new SyncModelOBBCollision();
  return rk::script::pushLuaObject(L, *object, object, kSyncModelOBBCollisionClass);
}

}  // namespace qv21::sync
