#include "gfx/rk_light.h"

#include <algorithm>

#include "gfx/rk_color.h"
#include "gfx/rk_model_draw_info.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"

namespace rk::gfx {

namespace {
const char kSource[] = "src/gfx/rk_light";
const SingletonReport kReport{"src/gfx/rk_light", "rk::gfx::LightManager", 196, 205, 214};

template <typename T>
bool eraseFirst(std::vector<T>& list, T value) {
  auto it = std::find(list.begin(), list.end(), value);
  if (it == list.end()) return false;
  list.erase(it);
  return true;
}

const std::vector<Light*> kNoLights;

}  // namespace

LightManager* LightManager::createInstance() {
  return singletonCreate<LightManager>(InstanceSlot::LightManager, kReport);
}
LightManager* LightManager::getInstance() { return singletonGet<LightManager>(InstanceSlot::LightManager, kReport); }
void LightManager::destroyInstance() { singletonDestroy<LightManager>(InstanceSlot::LightManager, kReport); }

Light::Light(int number) : number_(number) {
  param_.type = 3;
  setDefaults();
}

Light::~Light() {
  while (!owners_.empty()) {
    const std::size_t before = owners_.size();
    owners_.front()->popLight(this);
    // An owner that did not let go must not keep this loop alive.
    if (owners_.size() == before) owners_.erase(owners_.begin());
  }
}

ShadowLight::ShadowLight() : light_(0), parameter_(new ShadowParameter) {
  LightParameter& p = light_.param_;
  p = LightParameter{};
  p.type = 2;
  for (float& c : p.diffuse) c = 1.0f;
  p.position[1] = parameter_->range;
  p.direction[1] = -1.0f;
  p.theta = 1.5707964f;
}

ShadowLight::~ShadowLight() { delete parameter_; }

void Light::setDefaults() {
  const std::int32_t type = param_.type;
  param_ = LightParameter{};
  param_.type = type;
  if (type != 1 && type != 2) {
    param_.diffuse[0] = param_.diffuse[1] = param_.diffuse[2] = 0.5f;
    param_.direction[0] = -0.57735026f;
    param_.direction[1] = -0.57735026f;
    param_.direction[2] = 0.57735026f;
  }
}

LightManager::LightManager() : states_(1) {}

// Lights outlive the manager at shut-down; they must not pop from it later.
LightManager::~LightManager() {
  for (auto& list : lights_)
    for (Light* light : list) light->owners_.erase(std::remove(light->owners_.begin(), light->owners_.end(),
                                                               static_cast<ILightOwner*>(this)),
                                                   light->owners_.end());
}

void LightManager::pushLight(Light* light) {
  if (!light) return;
  if (light->number_ < 0 || light->number_ >= kLightNumbers) {
    debug::writeErrorLog(kSource, 240, "rk::gfx::LightManager::pushLight");
    return;
  }
  light->owners_.push_back(this);
  lights_[light->number_].push_back(light);
}

void LightManager::popLight(Light* light) {
  if (!light) return;
  const int number = light->number_;
  bool removed = number >= 0 && number < kLightNumbers && eraseFirst(lights_[number], light);
  // A light renumbered after its push is still listed under its old number.
  for (int n = 0; !removed && n < kLightNumbers; ++n) removed = eraseFirst(lights_[n], light);
  eraseFirst(light->owners_, static_cast<ILightOwner*>(this));
}

const std::vector<Light*>& LightManager::lights(int number) const {
  return number >= 0 && number < kLightNumbers ? lights_[number] : kNoLights;
}

Light* LightManager::lastLight(int number) const {
  const std::vector<Light*>& list = lights(number);
  return list.empty() ? nullptr : list.back();
}

void LightManager::uploadLights() {
  const LightingState& state = lightingState();
  if (!state.lighting) return;
  const Color ambient = colorFromArgb(state.ambient);
  DeviceContext* context = DeviceContext::getInstance();
  context->setColorStateRGBA(true, ambient);
  for (int n = 0; n < kLightNumbers; ++n) {
    if (lights_[n].empty()) {
      context->setLightingNo(n, false);
      continue;
    }
    const Light* light = lights_[n].back();
    context->setLightingNo(light->number_, light->enabled_);
    if (light->enabled_) context->setLightParameter(light->number_, light->param_);
  }
}

}  // namespace rk::gfx
