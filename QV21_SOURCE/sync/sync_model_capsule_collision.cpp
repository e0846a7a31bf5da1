#include "sync/sync_model_capsule_collision.h"

#include "kernel/rk_error_log.h"
#include "script/rk_lua_arg.h"
#include "sync/sync_model_mapping.h"

namespace qv21::sync {

const rk::script::LuaClass kSyncModelCapsuleCollisionClass{"sync::SyncModelCapsuleCollision"};

void SyncModelCapsuleCollision::sync() {
  if (!model_ || !body_ || !model_->isReady() || node_name_.empty()) return;
  rk::math::Matrix frame = rk::math::matrixIdentity();
  if (!model_->calcFrameMtx(frame, node_name_.c_str()))
    rk::debug::writeErrorLog("QV21_SOURCE/sync/sync_model_capsule_collision", 191,
                             "sync::SyncModelCapsuleCollision::sync");
  rk::math::Matrix placed;
  if (!mapToActorCamera(*model_, turnedNode(frame), placed)) return;
  body_->rk::collision::Capsule::setFromMatrix(placed);
}

namespace {

SyncModelCapsuleCollision* self(lua_State* L, const char* method) {
  auto* object = rk::script::toLuaObject<SyncModelCapsuleCollision>(L, 1, kSyncModelCapsuleCollisionClass);
  if (!object) rk::script::reportNullObject(method);
  return object;
}

int lua_setModel(lua_State* L) {
  if (SyncModelCapsuleCollision* object = self(L, "sync::SyncModelCapsuleCollision::lua_setModel")) {
    rk::gfx::Model* model = toModel(L, 2);
    if (model || lua_isnoneornil(L, 2)) {
      object->setModel(model);
      keepLinked(L, "model", 2);
    } else {
      rk::script::reportNullObject("sync::SyncModelCapsuleCollision::lua_setModel");
    }
  }
  lua_settop(L, 0);
  return 0;
}

int lua_setCapsule(lua_State* L) {
  if (SyncModelCapsuleCollision* object = self(L, "sync::SyncModelCapsuleCollision::lua_setCapsule")) {
    auto* body = rk::script::toLuaObject<EnemyRigidBodyCapsule>(L, 2, kEnemyRigidBodyCapsuleClass);
    if (body || lua_isnoneornil(L, 2)) {
      object->setBody(body);
      keepLinked(L, "body", 2);
    } else {
      rk::script::reportNullObject("sync::SyncModelCapsuleCollision::lua_setCapsule");
    }
  }
  lua_settop(L, 0);
  return 0;
}

int lua_setNodeName(lua_State* L) {
  if (SyncModelCapsuleCollision* object = self(L, "sync::SyncModelCapsuleCollision::lua_setNodeName"))
    object->setNodeName(rk::script::toTextOrEmpty(L, 2));
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kMethods[] = {
    {"setModel", lua_setModel},
    {"setCapsule", lua_setCapsule},
    {"setNodeName", lua_setNodeName},
    {nullptr, nullptr},
};

}  // namespace

void SyncModelCapsuleCollision::registerMethods(lua_State* L) { rk::script::setMethods(L, kMethods); }

void SyncModelCapsuleCollision::setMetatable(lua_State* L) {
  rk::script::setObjectMetatable(
      L, rk::script::lua_gcDeleteObject<SyncModelCapsuleCollision, kSyncModelCapsuleCollisionClass>);
}

int lua_createSyncMapModelCapsule(lua_State* L) {
  lua_settop(L, 0);
  auto* object = new SyncModelCapsuleCollision();
  return rk::script::pushLuaObject(L, *object, object, kSyncModelCapsuleCollisionClass);
}

}  // namespace qv21::sync
