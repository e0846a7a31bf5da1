#include "enemy/enemy_flush_model.h"

#include <algorithm>

#include "enemy/enemy.h"
#include "gfx/rk_material.h"
#include "gfx/rk_model.h"
#include "math/rk_counter.h"
#include "script/rk_lua_arg.h"
#include "script/rk_script_model.h"

namespace {

constexpr float kEpsilon = 1.1920929e-7f;
constexpr float kAlmostOne = 0.9999999f;

// Keeps the model's script object reachable from the component's while the
// link holds, so the collector cannot free a model the flush still lights.
void keepModelObject(lua_State* L, int valueIndex) { rk::script::keepLinked(L, "model", valueIndex); }

}  // namespace

EnemyFlushModel::EnemyFlushModel(Enemy* owner, int kind) : ActorComponent(owner, kind) {}

EnemyFlushModel::~EnemyFlushModel() = default;

rk::gfx::Material* EnemyFlushModel::lookUpMaterial(rk::gfx::Model* model, const std::string& frameName) {
  rk::gfx::Material* material = nullptr;
  if (!model || !model->getFrameMaterial(material, frameName.empty() ? nullptr : frameName.c_str())) return nullptr;
  return material;
}

void EnemyFlushModel::restore(rk::gfx::Model* model, const std::string& frameName) {
  if (rk::gfx::Material* material = lookUpMaterial(model, frameName)) material->copy(*record_.saved_material_);
  record_.saved_material_.reset();
}

bool EnemyFlushModel::runStep(float) {
  auto* enemy = dynamic_cast<Enemy*>(owner());
  rk::math::Counter* counter = enemy ? enemy->state().flush_counter_ : nullptr;
  float t = 0.0f;
  if (counter && counter->isRunning()) t = std::clamp(4.0f * counter->value(), 0.0f, 1.0f);
  if (!record_.model_) return false;
  if (t >= kAlmostOne) {
    // The glow is over; the next frame (t = 0) puts the material back.
    counter->stop();
    counter->setValue(0.0f);
    return false;
  }
  rk::gfx::Material* material = lookUpMaterial(record_.model_, record_.material_frame_name_);
  if (!material) return false;
  if (t <= kEpsilon) {
    if (record_.saved_material_) {
      material->copy(*record_.saved_material_);
      record_.saved_material_.reset();
    }
    return false;
  }
  if (!record_.saved_material_) record_.saved_material_.reset(material->clone());
  rk::gfx::Material::State& state = material->top();
  state.valid = true;
  state.emissive_valid = true;
  const float fade = 1.0f - t;
  state.emissive = rk::gfx::Color(kGlowRGB * fade, kGlowRGB * fade, kGlowRGB * fade, kGlowAlpha * fade);
  return false;
}

void EnemyFlushModel::setFlushModel(rk::gfx::Model* model, const std::string& frameName) {
  if (record_.model_ && record_.model_ != model && record_.saved_material_)
    restore(record_.model_, record_.material_frame_name_);
  record_.model_ = model;
  record_.material_frame_name_ = model ? frameName : std::string();
}

namespace {

EnemyFlushModel* self(lua_State* L, const char* method) {
  auto* component = dynamic_cast<EnemyFlushModel*>(
      rk::script::toLuaObject<rk::actor::ActorComponent>(L, 1, rk::actor::kActorComponentClass));
  if (!component) rk::script::reportNullObject(method);
  return component;
}

// "setFlushModel"(component, model or nil, frame name). A second argument that
// is neither nil nor a model is reported and changes nothing.
int lua_setFlushModel(lua_State* L) {
  EnemyFlushModel* component = self(L, "EnemyFlushModel::lua_setFlushModel");
  if (component) {
    if (lua_isnoneornil(L, 2)) {
      component->setFlushModel(nullptr, std::string());
      keepModelObject(L, 2);
    } else if (auto* model = rk::script::toLuaObject<rk::gfx::Model>(L, 2, rk::script::gph::kModelClass)) {
      component->setFlushModel(model, rk::script::toTextOrEmpty(L, 3));
      keepModelObject(L, 2);
    } else {
      rk::script::reportNullObject("EnemyFlushModel::lua_setFlushModel");
    }
  }
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kMethods[] = {{"setFlushModel", lua_setFlushModel}, {nullptr, nullptr}};

}  // namespace

void EnemyFlushModel::registerMethods(lua_State* L) {
  rk::script::setMethods(L, kMethods);
  ActorComponent::registerMethods(L);
}

int lua_createEnemyFlushModel(lua_State* L) {
  Enemy* enemy = toEnemy(L, 1);
  const int kind = rk::script::toIntArg(L, 2);
  lua_settop(L, 0);
  if (!enemy) {
    rk::script::reportNullObject("lua_createEnemyFlushModel");
    lua_pushnil(L);
    return 1;
  }
  return rk::actor::pushActorComponent(L, new EnemyFlushModel(enemy, kind));
}
