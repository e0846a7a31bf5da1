#include "common/sync_body/sync_body_capsule_beam.h"

#include <string>

#include "common/sync_body/sync_body_links.h"
#include "effect/rk_effect_handle.h"
#include "effect/rk_effect_system.h"
#include "effect/rk_effect_unit.h"
#include "kernel/rk_error_log.h"
#include "rigidbody/rk_rigidbody_shapes.h"
#include "script/rk_lua_arg.h"
#include "script/rk_lua_guard.h"
#include "script/rk_script_collision.h"
#include "script/rk_script_effect.h"
#include "script/rk_script_graphics.h"
#include "script/rk_script_rigidbody.h"

namespace common {

namespace {

using rk::math::Vector4;

constexpr const char* kSource = "common/sync_body/sync_body_capsule_beam";
constexpr const char* kHeader = "common/sync_body/sync_body_capsule_beam.h";

void releaseHandle(rk::effect::EffectHandle*& handle, const char* file, int line) {
  if (rk::effect::EffectHandle* old = handle) {
    handle = nullptr;
    old->release(file, line);
  }
}

}  // namespace

const rk::script::LuaClass SyncBodyCapsuleLaser::kLuaClass{
    "common::SyncBodyCapsuleLaser", rk::script::castToInterface<SyncBodyCapsuleLaser, rk::rigidbody::ISyncBody>};

SyncBodyCapsuleLaser::SyncBodyCapsuleLaser() { rk::rigidbody::registerRigidBodyHolder(this); }

SyncBodyCapsuleLaser::~SyncBodyCapsuleLaser() {
  rk::rigidbody::unregisterRigidBodyHolder(this);
  clearSyncBodyEverywhere(this);
  releaseHandle(main_effect_, kSource, 35);
  releaseHandle(second_effect_, kSource, 36);
}

void SyncBodyCapsuleLaser::forgetRigidBody(const void* body) {
  if (body_ && (body == static_cast<const void*>(body_) ||
                body == static_cast<const void*>(static_cast<rk::rigidbody::RigidBody*>(body_))))
    body_ = nullptr;
}

void SyncBodyCapsuleLaser::setMainEffect(rk::effect::EffectHandle* handle) {
  if (handle) handle->addRef();
  releaseHandle(main_effect_, kHeader, 51);
  main_effect_ = handle;
}

void SyncBodyCapsuleLaser::setBody(rk::rigidbody::RigidBodyCapsule* body) {
  body_ = body;
  if (body_) body_->setSyncBody(this);
}

void SyncBodyCapsuleLaser::setup() {
  if (!body_) return;
  body_->setSyncBody(this);
  const float r = body_->getRadius();
  const float h = body_->getHeight();
  total_length_ = 2.0f * r + h;
  radius_ = r;
  setup_axis_ = body_->getAxisVector();
  height_ = h;
  full_length_ = false;
  body_->setRadius(0.0f);
  body_->setHeight(0.0f);
}

void SyncBodyCapsuleLaser::setUV(float a, float b, float c, float d) {
  uv_[0] = {a, b, 0.0f, 0.0f};
  uv_[1] = {c, d, 0.0f, 0.0f};
}

bool SyncBodyCapsuleLaser::setEffect(int unitNumber, const char* name, const Vector4& position,
                                     const Vector4& rotation) {
  releaseHandle(second_effect_, kSource, 66);
  rk::effect::EffectSystem* system = rk::effect::EffectSystem::getInstance();
  rk::effect::EffectUnit* unit = system ? system->getEffectUnit(unitNumber) : nullptr;
  // A unit number nobody registered is the script's mistake: reported, no effect.
  if (!unit) {
    rk::debug::writeErrorLog(kSource, 73, "common::SyncBodyCapsuleLaser::setEffect");
    return false;
  }
  auto* handle = new rk::effect::EffectHandle(unit, name ? name : "");
  handle->addRef();
  unit->release(kSource, 74);
  handle->setInstance(unit->play(handle->name(), position, rotation, {1.0f, 1.0f, 1.0f, 0.0f}));
  second_effect_ = handle;
  second_active_ = true;
  return true;
}

void SyncBodyCapsuleLaser::setNoneEffect() {
  if (!second_effect_) return;
  second_active_ = false;
  second_effect_->setShown(false);
}

void SyncBodyCapsuleLaser::setMainEffectVisible(bool visible) {
  if (!main_effect_) return;
  if (visible) {
    main_effect_->setShown(true);
  } else {
    main_effect_->setShown(false);
    main_effect_->stop();
  }
}

void SyncBodyCapsuleLaser::syncBody(const rk::math::Matrix* world) {
  if (!body_ || !world) return;
  const Vector4 axis = body_->getAxisVector();
  const Vector4 t{world->m[3][0], world->m[3][1], world->m[3][2], 0.0f};
  if (!full_length_) {
    const float d = (t.x - firing_.x) * axis.x + (t.y - firing_.y) * axis.y + (t.z - firing_.z) * axis.z +
                    body_->getRadius();
    float l = 0.0f;
    if (d < radius_) {
      body_->setRadius(d);
      l = d;
    } else {
      body_->setRadius(radius_);
      float h = d - radius_;
      if (h > height_) {
        h = height_;
        full_length_ = true;
      }
      body_->setHeight(h);
      l = h + radius_;
    }
    body_->setCenter({firing_.x + l * axis.x, firing_.y + l * axis.y, firing_.z + l * axis.z, 0.0f});
  }
  if (main_effect_) main_effect_->setMatrix(body_->getWorldMatrix());
  if (second_active_ && second_effect_) {
    if (second_effect_->isAlive()) {
      second_effect_->setPos(t.x + height_ * axis.x, t.y + height_ * axis.y, t.z + height_ * axis.z);
    } else {
      second_active_ = false;
      second_effect_->setShown(false);
    }
  }
}

namespace {

SyncBodyCapsuleLaser* selfArg(lua_State* L, const char* method) {
  auto* beam = rk::script::toLuaObject<SyncBodyCapsuleLaser>(L, 1, SyncBodyCapsuleLaser::kLuaClass);
  if (!beam) rk::script::reportNullObject(method);
  return beam;
}


int lua_setSyncMainEffect(lua_State* L) {
  SyncBodyCapsuleLaser* beam = selfArg(L, "common::SyncBodyCapsuleLaser::lua_setSyncMainEffect");
  auto* handle = rk::script::toLuaObject<rk::effect::EffectHandle>(L, 2, rk::script::effect::kEffectHandleClass);
  if (beam && handle)
    beam->setMainEffect(handle);
  else if (beam)
    rk::script::reportNullObject("common::SyncBodyCapsuleLaser::lua_setSyncMainEffect");
  lua_settop(L, 0);
  return 0;
}

int lua_setRigidBodyCapsule(lua_State* L) {
  SyncBodyCapsuleLaser* beam = selfArg(L, "common::SyncBodyCapsuleLaser::lua_setRigidBodyCapsule");
  auto* body = rk::script::toLuaObject<rk::rigidbody::RigidBodyCapsule>(
      L, 2, rk::script::interfaceClass<rk::rigidbody::RigidBodyCapsule>());
  if (beam && body)
    beam->setBody(body);
  else if (beam)
    rk::script::reportNullObject("common::SyncBodyCapsuleLaser::lua_setRigidBodyCapsule");
  lua_settop(L, 0);
  return 0;
}

int lua_setCamera(lua_State* L) {
  if (SyncBodyCapsuleLaser* beam = selfArg(L, "common::SyncBodyCapsuleLaser::lua_setCamera"))
    beam->setCamera(rk::script::gph::toCamera(L, 2));
  lua_settop(L, 0);
  return 0;
}

int lua_setup(lua_State* L) {
  if (SyncBodyCapsuleLaser* beam = selfArg(L, "common::SyncBodyCapsuleLaser::lua_setup")) beam->setup();
  lua_settop(L, 0);
  return 0;
}

int lua_setFiringPos(lua_State* L) {
  if (SyncBodyCapsuleLaser* beam = selfArg(L, "common::SyncBodyCapsuleLaser::lua_setFiringPos"))
    beam->setFiringPos(rk::script::toXYZArgs(L, 2));
  lua_settop(L, 0);
  return 0;
}

int lua_setUV(lua_State* L) {
  if (SyncBodyCapsuleLaser* beam = selfArg(L, "common::SyncBodyCapsuleLaser::lua_setUV"))
    beam->setUV(rk::script::toFloatArg(L, 2), rk::script::toFloatArg(L, 3), rk::script::toFloatArg(L, 4),
                rk::script::toFloatArg(L, 5));
  lua_settop(L, 0);
  return 0;
}

int setEffect(lua_State* L) {
  if (SyncBodyCapsuleLaser* beam = selfArg(L, "common::SyncBodyCapsuleLaser::lua_setEffect")) {
    const std::string name = rk::script::toTextOrEmpty(L, 3);
    beam->setEffect(rk::script::toIntArg(L, 2), name.c_str(), rk::script::toXYZArgs(L, 4), rk::script::toXYZArgs(L, 7));
  }
  lua_settop(L, 0);
  return 0;
}

int lua_setNoneEffect(lua_State* L) {
  if (SyncBodyCapsuleLaser* beam = selfArg(L, "common::SyncBodyCapsuleLaser::lua_setNoneEffect")) beam->setNoneEffect();
  lua_settop(L, 0);
  return 0;
}

int lua_setMainEffectVisible(lua_State* L) {
  const bool visible = rk::script::toBoolArg(L, 2);
  if (SyncBodyCapsuleLaser* beam = selfArg(L, "common::SyncBodyCapsuleLaser::lua_setMainEffectVisible"))
    beam->setMainEffectVisible(visible);
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kBeamMethods[] = {
    {"setSyncMainEffect", lua_setSyncMainEffect},
    {"setRigidBodyCapsule", lua_setRigidBodyCapsule},
    {"setCamera", lua_setCamera},
    {"setup", lua_setup},
    {"setFiringPos", lua_setFiringPos},
    {"setUV", lua_setUV},
    {"setEffect", rk::script::guarded<setEffect>},
    {"setNoneEffect", lua_setNoneEffect},
    {"setMainEffectVisible", lua_setMainEffectVisible},
    {nullptr, nullptr},
};

int collectBeam(lua_State* L) {
  return rk::script::lua_gcDeleteObject<SyncBodyCapsuleLaser, SyncBodyCapsuleLaser::kLuaClass>(L);
}

}  // namespace

int lua_createSyncBodyCapsuleBeam(lua_State* L) {
  auto* beam = new SyncBodyCapsuleLaser();
  return rk::script::pushLuaObject(L, beam, SyncBodyCapsuleLaser::kLuaClass, kBeamMethods, collectBeam);
}

}  // namespace common
