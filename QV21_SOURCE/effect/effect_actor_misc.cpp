#include "effect/effect_actor_misc.h"

#include "effect/rk_effect_system.h"
#include "effect/rk_effect_unit.h"
#include "kernel/rk_error_log.h"

namespace effect_misc {

namespace {
constexpr const char* kSource = "QV21_SOURCE/effect/effect_actor_misc";
constexpr int kEffectCamera = 3;
}  // namespace

void runSpark01EffectActor(const rk::math::Vector4& position, float yaw) {
  rk::effect::EffectSystem* effects = rk::effect::EffectSystem::getInstance();
  rk::effect::EffectUnit* unit = effects ? effects->getEffectUnit(kEffectCamera) : nullptr;
  if (!unit) {
    rk::debug::writeErrorLog(kSource, 25, "effect_misc::runSpark01EffectActor");
    return;
  }
  unit->play("effect/spark01", position, {0.0f, yaw, 0.0f, 0.0f}, {1.0f, 1.0f, 1.0f, 0.0f});
  unit->release(kSource, 31);
}

}  // namespace effect_misc
