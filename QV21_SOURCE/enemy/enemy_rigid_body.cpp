#include "enemy/enemy_rigid_body.h"

#include "audio/rk_audio_context.h"
#include "effect/effect_map_misc.h"
#include "effect/rk_effect_system.h"
#include "effect/rk_effect_unit.h"
#include "enemy/enemy.h"
#include "gfx/rk_camera.h"
#include "kernel/rk_error_log.h"
#include "rigidbody/rk_rigidbody.h"
#include "script/rk_lua_arg.h"
#include "script/rk_script_collision.h"
#include "status/status_unit.h"

const rk::script::LuaClass kEnemyRigidBodyClass{"EnemyRigidBody"};
const rk::script::LuaClass kEnemyBodyShapeClass{
    "EnemyRigidBody::shape", [](void* object, const rk::script::LuaClass& target) -> void* {
      return &target == &rk::script::interfaceClass<rk::collision::CollisionBody>() ? object : nullptr;
    }};

namespace {

constexpr const char* kSource = "QV21_SOURCE/enemy/enemy_rigid_body";
constexpr const char* kExplosionEffect = "effect/bomb01";
constexpr const char* kExplosionSound = "audio/se/common01/explosion02.ogg";

EnemyKillComboSink g_combo_sink = nullptr;

}  // namespace

EnemyRigidBody::~EnemyRigidBody() { setOwner(nullptr); }

void EnemyRigidBody::setOwner(Enemy* owner) {
  if (record_.owner_ == owner) return;
  if (record_.owner_) record_.owner_->detachBody(this);
  record_.owner_ = owner;
  if (owner) owner->attachBody(this);
}

void EnemyRigidBody::initializeEnemyPart() {
  setOwner(nullptr);
  record_.dead_infos_.clear();
  record_.is_shield_ = false;
  record_.is_reflect_ = false;
  record_.frame_name_.clear();
}

EnemyRigidBody::DeadInfo EnemyRigidBody::makeDeadInfo(const rk::math::Vector4& at) {
  DeadInfo info;
  info.matrix = rk::math::matrixTranslation(at.x, at.y, at.z);
  info.scale = explosionScale();
  return info;
}

EnemyRigidBody::DeadInfo EnemyRigidBody::makeDeadInfoAtShape() {
  return makeDeadInfo(rk::collision::centerOf(shape()));
}

void EnemyRigidBody::runDeadInfo() {
  if (record_.dead_infos_.empty()) return;
  rk::effect::EffectSystem* effects = rk::effect::EffectSystem::getInstance();
  rk::gfx::CameraManager* cameras = rk::gfx::CameraManager::getInstance();
  for (const DeadInfo& info : record_.dead_infos_) {
    rk::effect::EffectUnit* unit = effects ? effects->getEffectUnit(info.effect_no) : nullptr;
    if (!unit) {
      rk::debug::writeErrorLog(kSource, 226, "EnemyRigidBody::runDeadInfo");
      continue;
    }
    rk::gfx::Camera* effectCamera = cameras ? cameras->getCamera(unit->cameraNumber()) : nullptr;
    rk::gfx::Camera* actorCamera = cameras ? cameras->getCamera(info.camera_no) : nullptr;
    if (effectCamera && !actorCamera) rk::debug::writeErrorLog(kSource, 241, "EnemyRigidBody::runDeadInfo");
    if (effectCamera && actorCamera) {
      const rk::math::Matrix& src = info.matrix;
      const rk::math::Matrix placed = rk::math::matrixBetweenCameras(
          *actorCamera, *effectCamera, rk::math::matrixTranslation(src.m[3][0], src.m[3][1], src.m[3][2]));
      rk::math::Vector4 at, angles;
      effect_misc::decomposePlacement(placed, at, angles);
      unit->play(kExplosionEffect, at, angles, {info.scale, info.scale, info.scale, 0.0f});
      if (rk::audio::AudioContext* audio = rk::audio::AudioContext::getInstance())
        audio->addEntrySE(kExplosionSound, {placed.m[3][0], placed.m[3][1], placed.m[3][2], 0.0f}, 1.0f, 1);
    }
    unit->release(kSource, 279);
  }
}

void addEnemyKillCombo() {
  status::StatusUnit* unit = status::StatusUnit::getInstance();
  if (unit && g_combo_sink) g_combo_sink(*unit);
}

void setEnemyKillComboSink(EnemyKillComboSink sink) { g_combo_sink = sink; }

EnemyRigidBody* toEnemyRigidBody(lua_State* L, int index) {
  return rk::script::toLuaObject<EnemyRigidBody>(L, index, kEnemyRigidBodyClass);
}

// ------------------------------------------------------------- script methods

namespace {

EnemyRigidBody* self(lua_State* L, const char* method) {
  EnemyRigidBody* body = toEnemyRigidBody(L, 1);
  if (!body) rk::script::reportNullObject(method);
  return body;
}

template <bool EnemyRigidBody::Record::*Flag>
int lua_setFlag(lua_State* L) {
  if (EnemyRigidBody* body = self(L, "EnemyRigidBody::lua_setFlag"))
    body->record().*Flag = rk::script::toBoolArg(L, 2);
  lua_settop(L, 0);
  return 0;
}

template <bool EnemyRigidBody::Record::*Flag>
int lua_getFlag(lua_State* L) {
  EnemyRigidBody* body = self(L, "EnemyRigidBody::lua_getFlag");
  const bool value = body && body->record().*Flag;
  lua_settop(L, 0);
  lua_pushboolean(L, value);
  return 1;
}

int lua_getFrameName(lua_State* L) {
  EnemyRigidBody* body = self(L, "EnemyRigidBody::lua_getFrameName");
  lua_settop(L, 0);
  if (body && !body->record().frame_name_.empty())
    lua_pushlstring(L, body->record().frame_name_.data(), body->record().frame_name_.size());
  else
    lua_pushnil(L);
  return 1;
}

int lua_setFrameName(lua_State* L) {
  if (EnemyRigidBody* body = self(L, "EnemyRigidBody::lua_setFrameName"))
    body->record().frame_name_ = rk::script::toTextOrEmpty(L, 2);
  lua_settop(L, 0);
  return 0;
}

int lua_clearDeadInfo(lua_State* L) {
  if (EnemyRigidBody* body = self(L, "EnemyRigidBody::lua_clearDeadInfo")) body->clearDeadInfo();
  lua_settop(L, 0);
  return 0;
}

int lua_pushDeadInfo(lua_State* L) {
  if (EnemyRigidBody* body = self(L, "EnemyRigidBody::lua_pushDeadInfo"))
    body->pushDeadInfo(body->makeDeadInfo(body->rigidBody().getPosition()));
  lua_settop(L, 0);
  return 0;
}

int lua_runDeadInfo(lua_State* L) {
  EnemyRigidBody* body = self(L, "EnemyRigidBody::lua_runDeadInfo");
  lua_settop(L, 0);
  if (body) body->runDeadInfo();
  return 0;
}

const luaL_Reg kEnemyBodyMethods[] = {
    {"setShiled", lua_setFlag<&EnemyRigidBody::Record::is_shield_>},
    {"isShiled", lua_getFlag<&EnemyRigidBody::Record::is_shield_>},
    {"setReflect", lua_setFlag<&EnemyRigidBody::Record::is_reflect_>},
    {"isReflect", lua_getFlag<&EnemyRigidBody::Record::is_reflect_>},
    {"setPlayerHitDead", lua_setFlag<&EnemyRigidBody::Record::is_player_hit_dead_>},
    {"isPlayerHitDead", lua_getFlag<&EnemyRigidBody::Record::is_player_hit_dead_>},
    {"getFrameName", lua_getFrameName},
    {"setFrameName", lua_setFrameName},
    {"clearDeadInfo", lua_clearDeadInfo},
    {"pushDeadInfo", lua_pushDeadInfo},
    {"runDeadInfo", lua_runDeadInfo},
    {nullptr, nullptr},
};

IOwner<Enemy>* readOwnerLink(lua_State* L) { return self(L, "EnemyRigidBody::lua_Owner"); }

Enemy* readOwner(lua_State* L, int index) {
  Enemy* enemy = toEnemy(L, index);
  if (!enemy) rk::script::reportNullObject("EnemyRigidBody::lua_setOwner");
  return enemy;
}

const luaL_Reg kOwnerMethods[] = {
    {"getOwner", i_owner::lua_getOwner<Enemy, readOwnerLink, pushEnemy>},
    {"setOwner", i_owner::lua_setOwner<Enemy, readOwnerLink, readOwner>},
    {nullptr, nullptr},
};

}  // namespace

int lua_castEnemyRigidBodyToCollisionBody(lua_State* L) {
  EnemyRigidBody* body = toEnemyRigidBody(L, 1);
  lua_settop(L, 1);
  const int bodyRef = luaL_ref(L, LUA_REGISTRYINDEX);  // the body's object, while the stack is rebuilt
  static const luaL_Reg kNoMethods[] = {{nullptr, nullptr}};
  rk::collision::CollisionBody* shape = body ? &body->shape() : nullptr;
  rk::script::pushLuaObject(L, shape, kEnemyBodyShapeClass, kNoMethods, [](lua_State* S) {
    lua_settop(S, 0);  // the shape belongs to the body
    return 0;
  });
  lua_newtable(L);
  lua_rawgeti(L, LUA_REGISTRYINDEX, bodyRef);
  lua_setfield(L, -2, "body");
  lua_setuservalue(L, 1);
  luaL_unref(L, LUA_REGISTRYINDEX, bodyRef);
  return 1;
}

void registerEnemyBodyMethods(lua_State* L) { rk::script::setMethods(L, kEnemyBodyMethods); }
void registerEnemyOwnerMethods(lua_State* L) { rk::script::setMethods(L, kOwnerMethods); }
