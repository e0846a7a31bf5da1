#include "effect/rk_effect_system.h"

#include <map>

#include "effect/rk_effect_unit.h"
#include "gfx/rk_camera.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_hr_exception.h"
#include "kernel/rk_instance_table.h"

namespace rk::effect {

namespace {
constexpr const char* kSource = "src/effect/rk_effect_system";
const SingletonReport kReport{kSource, "rk::effect::EffectSystem", 67, 77, 87};
}  // namespace

struct EffectSystem::Impl {
  // Camera numbers compare unsigned. No references: a unit leaves on its last release.
  std::map<unsigned, EffectUnit*> units;
  int current_camera = 0;
};

EffectSystem* EffectSystem::createInstance() {
  EffectSystem* system = singletonCreate<EffectSystem>(InstanceSlot::EffectSystem, kReport);
  DeviceContext::getInstance()->addDeviceLostListener(system);
  return system;
}

EffectSystem* EffectSystem::getInstance() { return singletonGet<EffectSystem>(InstanceSlot::EffectSystem, kReport); }

void EffectSystem::destroyInstance() {
  if (auto* system = static_cast<EffectSystem*>(instanceSlot(InstanceSlot::EffectSystem)))
    DeviceContext::getInstance()->removeDeviceLostListener(system);
  singletonDestroy<EffectSystem>(InstanceSlot::EffectSystem, kReport);
}

EffectSystem::EffectSystem() : impl_(std::make_unique<Impl>()) {}

EffectSystem::~EffectSystem() = default;

EffectUnit* EffectSystem::createEffectUnit(int cameraNumber, int priority, int, int, int, int maxInstances) {
  const unsigned key = static_cast<unsigned>(cameraNumber);
  auto it = impl_->units.find(key);
  EffectUnit* unit = it != impl_->units.end() ? it->second : nullptr;
  if (!unit) {
    unit = new (std::nothrow) EffectUnit(cameraNumber, priority, maxInstances);
    if (!unit) throw HrException(host::E_OUTOFMEMORY, kSource, 124, L"unit");
    impl_->units[key] = unit;
  }
  unit->addRef();
  return unit;
}

EffectUnit* EffectSystem::getEffectUnit(int cameraNumber) {
  auto it = impl_->units.find(static_cast<unsigned>(cameraNumber));
  if (it == impl_->units.end()) return nullptr;
  if (!it->second) throw HrException(host::E_OUTOFMEMORY, kSource, 159, L"ite->second");
  it->second->addRef();
  return it->second;
}

bool EffectSystem::removeEffectUnit(EffectUnit* unit) {
  for (auto it = impl_->units.begin(); it != impl_->units.end(); ++it) {
    if (it->second == unit) {
      impl_->units.erase(it);
      return true;
    }
  }
  return false;
}

std::size_t EffectSystem::unitCount() const { return impl_->units.size(); }

void EffectSystem::drawCamera(int cameraNumber) {
  impl_->current_camera = cameraNumber;
  auto it = impl_->units.find(static_cast<unsigned>(cameraNumber));
  if (it == impl_->units.end() || !it->second) return;
  EffectUnit* unit = it->second;
  unit->beginRendering();
  unit->drawEffects();
  unit->endRendering();
}

int EffectSystem::currentCamera() const { return impl_->current_camera; }

void EffectSystem::onLost() {
  for (auto& entry : impl_->units) entry.second->onLost();
}

void EffectSystem::onRecover() {
  for (auto& entry : impl_->units) entry.second->onRecover();
}

}  // namespace rk::effect
