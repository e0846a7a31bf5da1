#include "gfx/rk_light.h"

#include "gfx/rk_color.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_instance_table.h"

namespace rk::gfx {

namespace {
const SingletonReport kReport{"src/gfx/rk_light", "rk::gfx::LightManager", 196, 205, 214};
}

LightManager* LightManager::createInstance() {
  return singletonCreate<LightManager>(InstanceSlot::LightManager, kReport);
}
LightManager* LightManager::getInstance() { return singletonGet<LightManager>(InstanceSlot::LightManager, kReport); }
void LightManager::destroyInstance() { singletonDestroy<LightManager>(InstanceSlot::LightManager, kReport); }

LightManager::LightManager() : states_(1) {}

void LightManager::uploadLights() {
  const LightingState& state = lightingState();
  if (!state.lighting) return;
  const Color ambient(static_cast<float>((state.ambient >> 16) & 0xFF) / 255.0f,
                      static_cast<float>((state.ambient >> 8) & 0xFF) / 255.0f,
                      static_cast<float>(state.ambient & 0xFF) / 255.0f,
                      static_cast<float>((state.ambient >> 24) & 0xFF) / 255.0f);
  DeviceContext::getInstance()->setColorStateRGBA(true, ambient);
  // The last light pushed on each number 0..7 goes to the device context's
  // light records: with the lights.
}

}  // namespace rk::gfx
