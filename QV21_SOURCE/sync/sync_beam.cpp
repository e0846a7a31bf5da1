#include "sync/sync_beam.h"

#include "gfx/rk_camera.h"
#include "gfx/rk_gmodel.h"
#include "math/rk_matrix.h"
#include "script/rk_lua_arg.h"
#include "script/rk_script_rigidbody.h"
#include "sync/sync_model_mapping.h"

namespace qv21::sync {

namespace {

using rk::math::Matrix;
using rk::math::Vector4;

Matrix frameMatrix(rk::gfx::GModel& model, const std::string& frame) {
  Matrix f = rk::math::matrixIdentity();
  model.calcFrameMtx(f, frame.c_str());
  return f;
}

}  // namespace

const rk::script::LuaClass SyncBeamCapsule::kLuaClass{"qv21::sync::SyncBeamCapsule", enemy_bullet::castBullet<SyncBeamCapsule>};
const rk::script::LuaClass SyncBeamOBB::kLuaClass{"qv21::sync::SyncBeamOBB", enemy_bullet::castBullet<SyncBeamOBB>};

// ------------------------------------------------------------------ capsule

SyncBeamCapsule::SyncBeamCapsule() { rk::gfx::registerModelHolder(this); }

SyncBeamCapsule::~SyncBeamCapsule() { rk::gfx::unregisterModelHolder(this); }

void SyncBeamCapsule::forgetModel(const rk::gfx::GModel* model) {
  if (model_ == model) model_ = nullptr;
}

void SyncBeamCapsule::setModelFrame(rk::gfx::GModel* model, const std::string& frame) {
  model_ = model;
  frame_name_ = frame;
}

void SyncBeamCapsule::afterCollision() {
  if (!isUse() || !isValid() || !model_) return;
  const Matrix f = frameMatrix(*model_, frame_name_);
  const Matrix p = turnedNode(f);
  const Vector4 v{p.m[1][0], p.m[1][1], p.m[1][2], 0.0f};
  setAxisVector(rk::math::vec3Normalize(v));
  setBaseAxis(v);
  setupTensor();
  const float h = getHeight();
  setPosition({f.m[3][0] + h * v.x, f.m[3][1] + h * v.y, f.m[3][2] + h * v.z, 0.0f});
  updateWorldMatrix();
}

// --------------------------------------------------------------------- box

SyncBeamOBB::SyncBeamOBB() { rk::gfx::registerModelHolder(this); }

SyncBeamOBB::~SyncBeamOBB() {
  rk::gfx::unregisterModelHolder(this);
  offset_.resetTransform();
}

void SyncBeamOBB::forgetModel(const rk::gfx::GModel* model) {
  if (model_ == model) model_ = nullptr;
}

void SyncBeamOBB::setModelFrame(rk::gfx::GModel* model, const std::string& frame) {
  model_ = model;
  frame_name_ = frame;
}

void SyncBeamOBB::follow() {
  if (!isUse() || !isValid() || !model_) return;
  offset_.buildMatrix();
  const Matrix o = offset_.getMatrix();
  const Matrix f = frameMatrix(*model_, frame_name_);
  const Matrix m = rk::math::matrixMultiply(o, turnedNode(f));
  // Without both cameras there is no mapping: the box keeps its last pose.
  Matrix mapped;
  if (mapToActorCamera(*model_, m, mapped)) rk::collision::OBB::setFromMatrix(mapped);
}

// ------------------------------------------------------------------ script

namespace {

rk::gfx::GModel* modelArg(lua_State* L, int index) {
  return rk::script::toLuaObject<rk::gfx::GModel>(L, index, rk::script::interfaceClass<rk::gfx::GModel>());
}

template <class Beam>
int lua_setModelFrame(lua_State* L) {
  auto* beam = enemy_bullet::toBullet<Beam>(L, 1);
  rk::gfx::GModel* model = modelArg(L, 2);
  const std::string frame = rk::script::toTextOrEmpty(L, 3);
  if (!beam) {
    rk::script::reportNullObject("sync::lua_sync_beam::lua_setModelFrame");
  } else {
    beam->setModelFrame(model, frame);
    keepLinked(L, "model", 2);
  }
  lua_settop(L, 0);
  return 0;
}

int lua_setFromCamera(lua_State* L) {
  if (!enemy_bullet::toBullet<SyncBeamOBB>(L, 1)) rk::script::reportNullObject("sync::lua_sync_beam::lua_setFromCamera");
  lua_settop(L, 0);
  return 0;
}

int lua_setOffset(lua_State* L) {
  const Vector4 offset{rk::script::toFloatArg(L, 2), rk::script::toFloatArg(L, 3), rk::script::toFloatArg(L, 4), 0.0f};
  if (auto* beam = enemy_bullet::toBullet<SyncBeamOBB>(L, 1))
    beam->setOffset(offset);
  else
    rk::script::reportNullObject("sync::lua_sync_beam::lua_setOffset");
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kCapsuleMethods[] = {
    {"setModelFrame", lua_setModelFrame<SyncBeamCapsule>},
    {nullptr, nullptr},
};

const luaL_Reg kOBBMethods[] = {
    {"setFromCamera", lua_setFromCamera},
    {"setModelFrame", lua_setModelFrame<SyncBeamOBB>},
    {"setOffset", lua_setOffset},
    {nullptr, nullptr},
};

}  // namespace

void SyncBeamCapsule::registerMethods(lua_State* L) {
  rk::script::setMethods(L, kCapsuleMethods);
  EnemyBulletRigidBodyCapsule::registerMethods(L);
}

void SyncBeamOBB::registerMethods(lua_State* L) {
  rk::script::setMethods(L, kOBBMethods);
  EnemyBulletRigidBodyOBB::registerMethods(L);
}

int lua_createSyncBeamCapsule(lua_State* L) { return enemy_bullet::createBullet<SyncBeamCapsule>(L); }
int lua_createSyncBeamOBB(lua_State* L) { return enemy_bullet::createBullet<SyncBeamOBB>(L); }

}  // namespace qv21::sync
