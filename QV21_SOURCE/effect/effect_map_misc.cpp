#include "effect/effect_map_misc.h"

#include <cstring>

#include "audio/rk_audio_context.h"
#include "effect/rk_effect_system.h"
#include "effect/rk_effect_unit.h"
#include "gfx/rk_camera.h"
#include "host/xmath.h"
#include "kernel/rk_error_log.h"
#include "script/rk_lua_arg.h"

namespace effect_misc {

namespace {

constexpr const char* kSource = "QV21_SOURCE/effect/effect_map_misc";
constexpr int kActorCamera = 2;
constexpr int kMapEffectCamera = 4;

host::xmath::Matrix toHost(const rk::math::Matrix& m) {
  host::xmath::Matrix r;
  std::memcpy(r.m, m.m, sizeof r.m);
  return r;
}

}  // namespace

void decomposePlacement(const rk::math::Matrix& m, rk::math::Vector4& translation, rk::math::Vector4& angles) {
  host::xmath::Vector scale{1.0f, 1.0f, 1.0f, 0.0f};
  host::xmath::Vector rotation{0.0f, 0.0f, 0.0f, 1.0f};
  host::xmath::Vector at{0.0f, 0.0f, 0.0f, 0.0f};
  host::xmath::matrixDecompose(&scale, &rotation, &at, toHost(m));
  translation = {at.x, at.y, at.z, 0.0f};
  const host::xmath::Matrix turn = host::xmath::matrixRotationQuaternion(rotation);
  rk::math::Matrix r;
  std::memcpy(r.m, turn.m, sizeof r.m);
  angles = rk::math::matrixToYawPitchRoll(r);
}

bool runEffectAndOneShotSE(const char* effect, const char* sound, float scale, const rk::math::Matrix& m,
                           rk::math::Matrix& out) {
  rk::gfx::CameraManager* cameras = rk::gfx::CameraManager::getInstance();
  rk::gfx::Camera* actor = cameras ? cameras->getCamera(kActorCamera) : nullptr;
  rk::gfx::Camera* mapEffect = cameras ? cameras->getCamera(kMapEffectCamera) : nullptr;
  if (!actor || !mapEffect) return false;
  out = rk::math::matrixBetweenCameras(*actor, *mapEffect, m);
  rk::math::Vector4 at, angles;
  decomposePlacement(out, at, angles);
  if (effect) {
    rk::effect::EffectSystem* effects = rk::effect::EffectSystem::getInstance();
    rk::effect::EffectUnit* unit = effects ? effects->getEffectUnit(kMapEffectCamera) : nullptr;
    if (!unit) {
      rk::debug::writeErrorLog(kSource, 50, "effect_misc::runEffectAndOneShotSE");
    } else {
      unit->play(effect, at, angles, {scale, scale, scale, 0.0f});
      unit->release(kSource, __LINE__);
    }
  }
  if (sound)
    if (rk::audio::AudioContext* audio = rk::audio::AudioContext::getInstance())
      audio->addEntrySE(sound, at, 1.0f, 1);
  return true;
}

int lua_runBomb01Effect(lua_State* L) {
  const float x = rk::script::toFloatArg(L, 1);
  const float y = rk::script::toFloatArg(L, 2);
  const float z = rk::script::toFloatArg(L, 3);
  const float scale = rk::script::toFloatArg(L, 4);
  lua_settop(L, 0);
  rk::math::Matrix out;
  runEffectAndOneShotSE("effect/bomb01", "audio/se/common01/explosion02.ogg", scale,
                        rk::math::matrixTranslation(x, y, z), out);
  return 0;
}

}  // namespace effect_misc
