#include "player/player_wepon/range_attack.h"

#include <algorithm>
#include <cmath>

#include <boost/thread/lock_guard.hpp>

#include "audio/rk_audio_context.h"
#include "collision/convert_pos_between_cameras.h"
#include "effect/rk_effect_system.h"
#include "effect/rk_effect_unit.h"
#include "enemy/enemy.h"
#include "enemy/enemy_rigid_body.h"
#include "gfx/rk_camera.h"
#include "gfx/rk_draw_vertex.h"
#include "gfx/rk_model.h"
#include "gfx/rk_texture.h"
#include "gfx/rk_texture_manager.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"
#include "math/rk_bezier_curve.h"
#include "math/rk_counter.h"
#include "platform/driver/directx_driver/rk_pipeline_kind.h"
#include "player/player_wepon/draw_over_scene.h"
#include "rigidbody/rk_rigidbody.h"
#include "script/rk_lua_arg.h"
#include "script/rk_script_model.h"
#include "script/rk_script_rigidbody.h"
#include "status/status_unit.h"

namespace {

constexpr const char* kSource = "QV21_SOURCE/player/player_wepon/range_attack";
constexpr float kEpsilon = 1.1920929e-7f;
constexpr float kRibbonHalfWidth = 0.05f;
constexpr std::uint32_t kOpaqueWhite = 0xFFFFFFFFu;
constexpr int kSparkUnit = 3;

using rk::math::Vector4;

// An enemy still filed in the actor manager: a requested target is a plain
// pointer that may have gone since it was given.
bool isFiledEnemy(Enemy* enemy) {
  rk::actor::ActorManager* actors = rk::actor::ActorManager::getInstance();
  if (!actors || !enemy) return false;
  const std::vector<rk::actor::Actor*> all = actors->actors();
  return std::find(all.begin(), all.end(), static_cast<rk::actor::Actor*>(enemy)) != all.end();
}

// The status unit's combo gauge (an absent unit is reported); null when the
// scripts have entered none.
status::ComboGauge* comboGauge() {
  status::StatusUnit* unit = status::StatusUnit::getInstance();
  return unit ? unit->record().combo_gauge_ : nullptr;
}

}  // namespace

const rk::script::LuaClass kRangeAttackClass{"PlayerRangeAttack", rk::script::castGModel<PlayerRangeAttack>};

PlayerRangeAttack::PlayerRangeAttack() : Task(kPriority, "PlayerRangeAttack"), record_(std::make_unique<Record>()) {}

PlayerRangeAttack::~PlayerRangeAttack() {
  releaseBeamSound();
  setRangeScope(nullptr);
  Record& r = *record_;
  if (r.texture) {
    rk::gfx::RkTexture* texture = r.texture;
    r.texture = nullptr;
    texture->release(kSource, __LINE__);
  }
  setPlayer(nullptr);
  links_.clear();
  if (rk::gfx::ModelManager* models = rk::gfx::ModelManager::findInstance()) models->removeModel(this);
}

int PlayerRangeAttack::initStep(float) {
  Record& r = *record_;
  if (!r.texture)
    if (rk::gfx::RkTextureManager* textures = rk::gfx::RkTextureManager::getInstance())
      r.texture = textures->loadTexture(kTexture);
  return r.texture && r.texture->info().loaded_ ? 0 : 1;
}

void PlayerRangeAttack::modeAttack(Enemy* requested) {
  record_->requested = requested;
  record_->attack_mode = true;
  setActive(true);
}

void PlayerRangeAttack::pause() {
  Record& r = *record_;
  if (r.sound_player >= 0)
    if (rk::audio::AudioContext* audio = rk::audio::AudioContext::getInstance())
      audio->control3DSoundEffect(r.sound_player, true);
  r.attack_mode = false;
  setActive(false);
}

void PlayerRangeAttack::releaseBeamSound() {
  Record& r = *record_;
  if (r.sound_player >= 0) {
    if (rk::audio::AudioContext* audio = rk::audio::AudioContext::getInstance()) {
      {
        boost::lock_guard<boost::mutex> guard(audio->lock());
        if (rk::audio::AudioPlayer* player = audio->soundEffects3D().player(r.sound_player))
          player->status().lock = 0;
      }
      audio->control3DSoundEffect(r.sound_player, true);
      audio->set3DSoundEffectLoop(r.sound_player, false);
      audio->release3DSoundEffect(r.sound_player);
    }
    r.sound_player = -1;
  }
  r.attack_mode = false;
  setActive(false);
}

void PlayerRangeAttack::setRangeScope(range_scope::RangeScope* scope) {
  Record& r = *record_;
  if (r.scope == scope) return;
  if (r.scope) r.scope->removeUser(this);
  r.scope = scope;
  if (scope) scope->addUser(this);
}

void PlayerRangeAttack::forgetRangeScope(range_scope::RangeScope* scope) {
  if (record_->scope == scope) record_->scope = nullptr;
}

void PlayerRangeAttack::setPlayer(ActorBody* player) {
  Record& r = *record_;
  if (player) player->addRef();
  ActorBody* old = r.player;
  r.player = player;
  if (old) old->release(kSource, __LINE__);
}

void PlayerRangeAttack::buildBeam(const Vector4& from, const Vector4& dir, const Vector4& to) {
  std::vector<Vector4>& beam = record_->beam;
  beam.clear();
  const float k = rk::math::vec3Dot(dir, to.minus(from));
  if (std::fabs(0.5f * k) < kEpsilon) {
    beam.push_back(from);
    beam.push_back(to);
    return;
  }
  rk::math::CubicBezierCurve curve;
  const Vector4 bend = from.plus(dir.scaled(std::fabs(k)));
  curve.setP0(from.x, from.y, from.z);
  curve.setP1(bend.x, bend.y, bend.z);
  curve.setP2(bend.x, bend.y, bend.z);
  curve.setP3(to.x, to.y, to.z);
  Vector4 point{};
  for (float t = 0.0f; t < 1.0f; t += 0.1f) {
    curve.calc(t, point);
    beam.push_back(point);
  }
  curve.calc(1.0f, point);
  beam.push_back(point);

  // Each interior point moves sideways by up to a quarter of its segment's
  // horizontal extent, afresh every frame.
  if (beam.size() < 3) return;
  const Vector4 up{0.0f, 1.0f, 0.0f, 0.0f};
  Vector4 prev = beam[0];
  for (std::size_t i = 1; i + 1 < beam.size(); ++i) {
    const Vector4 d = rk::math::vec3Normalize(prev.minus(beam[i]));
    const Vector4 side = rk::math::vec3Cross(d, up);
    const float u = static_cast<float>(record_->rand.calcRand());
    beam[i] = beam[i].plus(side.scaled(0.5f * u - 0.25f));
    prev = beam[i];
  }
}

void PlayerRangeAttack::driveSound(const Vector4& at) {
  rk::audio::AudioContext* audio = rk::audio::AudioContext::getInstance();
  if (!audio) return;
  Record& r = *record_;
  if (r.sound_player >= 0) {
    audio->control3DSoundEffect(r.sound_player, false);
    audio->set3DSoundEffectPos(r.sound_player, at);
    return;
  }
  r.sound_player = audio->playOneShot3DSoundEffect(kSound, at, 1.0f, false);
  if (r.sound_player >= 0) {
    audio->lock3DSoundEffect(r.sound_player);
    audio->set3DSoundEffectLoop(r.sound_player, true);
  }
}

void PlayerRangeAttack::onFrameUpdate(float dt) {
  Record& r = *record_;
  if (!r.scope || !r.attack_mode) return;

  Enemy* requested = r.requested && isFiledEnemy(r.requested) ? r.requested : nullptr;
  const bool wasRequested = r.requested != nullptr;
  Enemy* target = wasRequested && !requested ? nullptr : r.scope->searchTarget(requested);
  if (requested && target != requested) target = nullptr;
  r.target_shape = nullptr;
  r.target_body = nullptr;
  r.requested = nullptr;
  if (!target) {
    pause();
    return;
  }

  const int shapeKind = target->state().root_kind_ & 0xFF;
  if (shapeKind >= 1 && shapeKind <= 3) {
    r.target_body = target->rootBody();
    r.target_shape = r.target_body ? r.target_body->rigidBody().getCollisionBody() : nullptr;
  } else {
    rk::debug::writeErrorLog(kSource, __LINE__, "PlayerRangeAttack::onFrameUpdate");
  }
  if (!r.target_shape) return;

  const Vector4 from = r.scope->worldPosition();
  const Vector4 to = rk::collision::centerOf(*r.target_shape);
  buildBeam(from, r.scope->worldDirection(), to);

  Vector4 at{0.0f, 0.0f, 0.0f, 0.0f};
  common::convertPosBetweenCameras(common::kActorCamera, common::kMapCamera, at, r.beam.front());
  driveSound(at);

  target->startDamageFlush();
  ActorBody::Status& hp = target->status();
  hp.hp_ = std::max(hp.hp_ - dt * r.damage_per_second, 0.0f);
  if (r.player) {
    ActorBody::Status& shield = r.player->status();
    shield.hp_ = std::min(shield.hp_ + dt * kRefillPerSecond, shield.hp_max_);
  }

  if (!target->isDead()) {
    if (status::ComboGauge* combo = comboGauge()) combo->keepCombo();
    return;
  }
  if (rk::math::Counter* flush = target->state().flush_counter_) {
    flush->stop();
    flush->setValue(0.0f);
  }
  r.target_body->pushDeadInfo(r.target_body->makeDeadInfo(to));
  r.target_body->rigidBody().setValid(false);
  // Without a sound the attack stays on and takes the next target next frame.
  if (r.sound_player >= 0) pause();
  if (status::ComboGauge* combo = comboGauge()) combo->addCombo();
}

void PlayerRangeAttack::draw(int, bool shadowPass) {
  Record& r = *record_;
  if (shadowPass || r.beam.size() < 2 || !r.texture || !r.texture->info().loaded_ || !r.attack_mode ||
      !r.target_shape)
    return;
  rk::gfx::CameraManager* cameras = rk::gfx::CameraManager::getInstance();
  rk::gfx::Camera* camera = cameras ? cameras->getCameraByMask(getRenderCameraBit()) : nullptr;
  rk::DeviceContext* context = rk::DeviceContext::getInstance();
  if (!camera || !context) return;

  std::vector<rk::gfx::StripVertex> ribbon;
  {
    context->setTexture(r.texture);
    player_draw::OverScene over(*context, kOpaqueWhite);
    if (!over.ready()) return;
    context->pushPipeline(rk::PIPELINE_DEFAULT2D_TRIANGLE);
    context->setWorldMatrix(rk::math::matrixIdentity());

    const Vector4 view = rk::math::vec3Normalize(camera->at().minus(camera->eye()));
    const std::size_t n = r.beam.size();
    const float step = 0.375f / static_cast<float>(n);
    float v = 0.5625f;
    auto pair = [&](const Vector4& p, const Vector4& side) {
      const Vector4 a = p.plus(side.scaled(kRibbonHalfWidth)), b = p.minus(side.scaled(kRibbonHalfWidth));
      ribbon.push_back({a.x, a.y, a.z, kOpaqueWhite, 0.125f, v});
      ribbon.push_back({b.x, b.y, b.z, kOpaqueWhite, 0.5f, v});
    };
    for (std::size_t i = 1; i < n; ++i) {
      const Vector4 side = rk::math::vec3Cross(rk::math::vec3Normalize(r.beam[i - 1].minus(r.beam[i])), view);
      if (i == 1) {
        pair(r.beam[0], side);
        v += step;
      }
      pair(r.beam[i], side);
      v += step;
    }
    context->drawColorUVStrip(ribbon.data(), static_cast<int>(ribbon.size()));
    context->setTexture(nullptr);
    context->popPipeline();
  }

  // Sparks at both ends of the ribbon and at the scope, started anew each frame.
  if (!rk::singletonExists(rk::InstanceSlot::EffectSystem)) return;
  rk::effect::EffectUnit* unit = rk::effect::EffectSystem::getInstance()->getEffectUnit(kSparkUnit);
  if (!unit) return;
  const Vector4 none{0.0f, 0.0f, 0.0f, 0.0f}, one{1.0f, 1.0f, 1.0f, 0.0f};
  const Vector4 first{ribbon.front().x, ribbon.front().y, ribbon.front().z, 0.0f};
  const Vector4 last{ribbon.back().x, ribbon.back().y, ribbon.back().z, 0.0f};
  unit->play("effect/lighting01", first, none, one);
  unit->play("effect/lighting01", last, none, one);
  if (r.scope) unit->play("effect/lighting02", r.scope->record().position, none, one);
  unit->release(kSource, __LINE__);
}

PlayerRangeAttack* toRangeAttack(lua_State* L, int index) {
  return rk::script::toLuaObject<PlayerRangeAttack>(L, index, kRangeAttackClass);
}

namespace {

PlayerRangeAttack* self(lua_State* L, const char* method) {
  PlayerRangeAttack* attack = toRangeAttack(L, 1);
  if (!attack) rk::script::reportNullObject(method);
  return attack;
}

int lua_modeAttack(lua_State* L) {
  Enemy* enemy = toEnemy(L, 2);
  if (PlayerRangeAttack* attack = self(L, "PlayerRangeAttack::lua_modeAttack")) attack->modeAttack(enemy);
  lua_settop(L, 0);
  return 0;
}

int lua_modeRelease(lua_State* L) {
  if (PlayerRangeAttack* attack = self(L, "PlayerRangeAttack::lua_modeRelease")) attack->pause();
  lua_settop(L, 0);
  return 0;
}

int lua_isModeAttack(lua_State* L) {
  PlayerRangeAttack* attack = self(L, "PlayerRangeAttack::lua_isModeAttack");
  const bool on = attack && attack->record().attack_mode;
  lua_settop(L, 0);
  lua_pushboolean(L, on);
  return 1;
}

int lua_setRangeScope(lua_State* L) {
  range_scope::RangeScope* scope = range_scope::toRangeScope(L, 2);
  if (PlayerRangeAttack* attack = self(L, "PlayerRangeAttack::lua_setRangeScope")) attack->setRangeScope(scope);
  lua_settop(L, 0);
  return 0;
}

int lua_setDamageOneSec(lua_State* L) {
  const float damage = rk::script::toFloatArg(L, 2);
  if (PlayerRangeAttack* attack = self(L, "PlayerRangeAttack::lua_setDamageOneSec"))
    attack->record().damage_per_second = damage;
  lua_settop(L, 0);
  return 0;
}

// An actor body links it; nil unlinks; anything else is reported.
int lua_setPlayer(lua_State* L) {
  PlayerRangeAttack* attack = self(L, "PlayerRangeAttack::lua_setPlayer");
  auto* body = dynamic_cast<ActorBody*>(rk::script::toLuaObject<rk::actor::Actor>(L, 2, rk::actor::kActorClass));
  if (attack && (body || lua_isnoneornil(L, 2)))
    attack->setPlayer(body);
  else if (attack)
    rk::script::reportNullObject("PlayerRangeAttack::lua_setPlayer");
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kAttackMethods[] = {
    {"modeAttack", lua_modeAttack},     {"modeRelease", lua_modeRelease},
    {"isModeAttack", lua_isModeAttack}, {"setRangeScope", lua_setRangeScope},
    {"setDamageOneSec", lua_setDamageOneSec}, {"setPlayer", lua_setPlayer},
    {nullptr, nullptr},
};

int lua_collect(lua_State* L) {
  rk::script::LuaObjectBlock* block = rk::script::luaObjectBlock(L, 1);
  if (block && block->cls == &kRangeAttackClass) {
    PlayerRangeAttack* attack = toRangeAttack(L, 1);
    rk::script::LuaObjectLinks::release(block);
    block->object = nullptr;
    delete attack;  // releases the sound and leaves the model manager
  }
  lua_settop(L, 0);
  return 0;
}

}  // namespace

void PlayerRangeAttack::registerMethods(lua_State* L) {
  rk::script::gph::setModelRenderMethods<PlayerRangeAttack, kRangeAttackClass>(L);
  rk::script::setMethods(L, kAttackMethods);
}

void PlayerRangeAttack::setMetatable(lua_State* L) { rk::script::setObjectMetatable(L, lua_collect); }

int lua_createRangeAttack(lua_State* L) {
  lua_settop(L, 0);
  rk::gfx::ModelManager* models = rk::gfx::ModelManager::getInstance();
  auto* attack = new PlayerRangeAttack();
  if (models) {
    attack->setManager(models);
    models->addModel(attack);
  }
  rk::script::LuaObjectBlock* block = nullptr;
  rk::script::pushLuaObject(L, *attack, attack, kRangeAttackClass, &block);
  attack->links().link(block);
  return 1;
}
