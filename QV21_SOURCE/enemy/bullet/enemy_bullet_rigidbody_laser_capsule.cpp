#include "enemy/bullet/enemy_bullet_rigidbody_laser_capsule.h"

#include <cmath>

#include "actor_body/actor_body.h"
#include "gfx/gfx_model_command/rk_gfx_billboard.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_hr_exception.h"
#include "rigidbody/rk_rigidbody_manager.h"
#include "script/rk_lua_arg.h"
#include "script/rk_lua_guard.h"
#include "script/rk_script_gfx_parts.h"

namespace {

using rk::math::Vector4;

constexpr const char* kSource = "enemy/bullet/enemy_bullet_rigidbody_laser_capsule";
constexpr float kEpsilon = 1.1920929e-7f;

float length3(const Vector4& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

}  // namespace

const rk::script::LuaClass EnemyBulletRigidBodyLaserCapsule::kLuaClass{
    "EnemyBulletRigidBodyLaserCapsule", enemy_bullet::castBullet<EnemyBulletRigidBodyLaserCapsule>};

EnemyBulletRigidBodyLaserCapsule::EnemyBulletRigidBodyLaserCapsule() = default;

EnemyBulletRigidBodyLaserCapsule::~EnemyBulletRigidBodyLaserCapsule() {
  // Normally given back by the last release; a laser deleted directly lets go here.
  if (EnemyBulletRigidBodySphere* lead = lead_) {
    lead_ = nullptr;
    lead->setSyncSimExec(nullptr);
    lead->setSyncSimExeced(nullptr);
    lead->release(kSource, 367);
  }
}

void EnemyBulletRigidBodyLaserCapsule::setRadius(float radius) {
  EnemyBulletRigidBodyCapsule::setRadius(radius);
  if (lead_) lead_->setRadius(radius);
}

void EnemyBulletRigidBodyLaserCapsule::setupTensor() {
  EnemyBulletRigidBodyCapsule::setupTensor();
  if (lead_) lead_->setupTensor();
}

host::HResult EnemyBulletRigidBodyLaserCapsule::initialize() {
  if (!lead_) {
    lead_ = rk::rigidbody::RigidBodyManager::create<EnemyBulletRigidBodySphere>();
    if (!lead_) rk::debug::writeErrorLog(kSource, 290, "EnemyBulletRigidBodyLaserCapsule::initialize");
  }
  const host::HResult result = EnemyBulletRigidBodyCapsule::initialize();
  if (result < 0) return result;
  if (lead_) lead_->initialize();
  RigidBodyCapsule::setUse(true);
  setValid(true);
  if (owner()) owner()->status().no_damage_flag_ = false;
  if (lead_) {
    lead_->setUse(true);
    lead_->setValid(true);
  }
  setHeight(0.0f);
  setRadius(1.0f);
  total_length_ = 1.0f;
  current_length_ = 0.0f;
  if (lead_) {
    lead_->setSyncSimExec(this);
    lead_->setSyncSimExeced(this);
  }
  return host::S_OK;
}

void EnemyBulletRigidBodyLaserCapsule::finalize() {
  EnemyBulletRigidBodyCapsule::finalize();
  if (!lead_) return;
  lead_->rk::rigidbody::RigidBodySphere::setUse(false);
  lead_->setValid(false);
  lead_->setSyncSimExec(nullptr);
  lead_->setSyncSimExeced(nullptr);
}

void EnemyBulletRigidBodyLaserCapsule::destroy() {
  finalize();
  if (EnemyBulletRigidBodySphere* lead = lead_) {
    lead_ = nullptr;
    lead->release(kSource, 367);
  }
}

void EnemyBulletRigidBodyLaserCapsule::syncSimExec(rk::rigidbody::RigidBody* body, float) {
  if (body && !isNoDamage()) start_ = body->getPosition();
}

void EnemyBulletRigidBodyLaserCapsule::syncSimExeced(rk::rigidbody::RigidBody* body, float) {
  if (!body) return;
  if (isNoDamage())
    shrink(body->getPosition());
  else
    grow(body->getPosition());
}

void EnemyBulletRigidBodyLaserCapsule::grow(const Vector4& p) {
  current_length_ += 0.5f * length3(p.minus(start_));
  if (current_length_ >= total_length_) {
    current_length_ = total_length_;
    setVelocity(lead_->getVelocity());
  }
  const Vector4& v = lead_->getVelocity();
  const float speed = length3(v);
  const Vector4 axis = speed > 0.0f ? Vector4{v.x / speed, v.y / speed, v.z / speed, 0.0f} : Vector4{};
  setAxisVector(axis);
  setCenter({p.x - current_length_ * axis.x, p.y - current_length_ * axis.y, p.z - current_length_ * axis.z, 0.0f});
  setHeight(current_length_);
}

void EnemyBulletRigidBodyLaserCapsule::shrink(const Vector4& p) {
  const float d = 0.5f * length3(p.minus(start_));
  if (d * d <= kEpsilon) return;
  const float h = current_length_ - d;
  if (h <= kEpsilon) {
    setHeight(0.0f);
    return;
  }
  setHeight(h);
  const Vector4& axis = getAxisVector();
  setCenter({start_.x + h * axis.x, start_.y + h * axis.y, start_.z + h * axis.z, 0.0f});
}

void EnemyBulletRigidBodyLaserCapsule::flushSync() {
  EnemyBulletRigidBodyCapsule::flushSync();
  if (!capsule_laser_) return;
  auto& params = capsule_laser_->params();
  params.axis = getAxisVector();
  params.radius = getRadius();
  params.length = getHeight();
  params.position = rk::collision::centerOf(static_cast<const rk::collision::Capsule&>(*this));
}

namespace {

EnemyBulletRigidBodyLaserCapsule* selfArg(lua_State* L, const char* method) {
  auto* laser = enemy_bullet::toBullet<EnemyBulletRigidBodyLaserCapsule>(L, 1);
  if (!laser) rk::script::reportNullObject(method);
  return laser;
}

int getLeadSphere(lua_State* L) {
  EnemyBulletRigidBodyLaserCapsule* laser = selfArg(L, "EnemyBulletRigidBodyLaserCapsule::lua_getLeadSphere");
  if (!laser) {
    lua_settop(L, 0);
    return 0;
  }
  EnemyBulletRigidBodySphere* lead = laser->leadSphere();
  if (!lead) throw HrException(host::E_OUTOFMEMORY, kSource, 25, L"*ppA");
  return enemy_bullet::pushBullet(L, lead);
}

// nil detaches; an object that is not a capsule-laser command is reported.
int lua_setGfxCapsuleLaser(lua_State* L) {
  EnemyBulletRigidBodyLaserCapsule* laser = selfArg(L, "EnemyBulletRigidBodyLaserCapsule::lua_setGfxCapsuleLaser");
  const bool isNil = lua_isnoneornil(L, 2);
  rk::gfx::gfx_model_command::CapsuleLaser* command = rk::script::gph::toCapsuleLaser(L, 2);
  if (laser && (isNil || command))
    laser->setCapsuleLaser(command);
  else if (laser)
    rk::script::reportNullObject("EnemyBulletRigidBodyLaserCapsule::lua_setGfxCapsuleLaser");
  lua_settop(L, 0);
  return 0;
}

int lua_setTotalLength(lua_State* L) {
  const float length = rk::script::toFloatArg(L, 2);
  if (EnemyBulletRigidBodyLaserCapsule* laser = selfArg(L, "EnemyBulletRigidBodyLaserCapsule::lua_setTotalLength"))
    laser->setTotalLength(length);
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kLaserMethods[] = {
    {"getLeadSphere", rk::script::guarded<getLeadSphere>},
    {"setGfxCapsuleLaser", lua_setGfxCapsuleLaser},
    {"setTotalLength", lua_setTotalLength},
    {nullptr, nullptr},
};

}  // namespace

void EnemyBulletRigidBodyLaserCapsule::registerMethods(lua_State* L) {
  EnemyBulletRigidBodyCapsule::registerMethods(L);
  rk::script::setMethods(L, kLaserMethods);
}

int lua_createEnemyBulletRigidBodyLaserCapsule(lua_State* L) {
  return enemy_bullet::createBullet<EnemyBulletRigidBodyLaserCapsule>(L);
}
