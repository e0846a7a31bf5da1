// Test rig for the effect system: the renderer rig's trace device, data
// folder and scene managers, plus the task manager and the effect system.
// Effect files are written into the data folder as the build writes them
// (compressed "effect/<name>.ea"), and loads are driven to completion by
// stepping the file manager.
#pragma once
#include <chrono>
#include <string>
#include <thread>

#include "effect/rk_effect_handle.h"
#include "effect/rk_effect_system.h"
#include "effect/rk_effect_unit.h"
#include "fs/rk_compressed_container.h"
#include "host/effect.h"
#include "renderer/renderer_rig.h"

namespace effecttest {

// Ten still particles living `life` frames.
inline std::string effectBytes(float life = 30.0f, std::uint32_t burst = 10) {
  host::effect::EmitterDesc e;
  e.burst = burst;
  e.life = life;
  e.sizeStart = e.sizeEnd = 1.0f;
  host::effect::EffectDesc d;
  d.emitters = {e};
  const std::vector<std::uint8_t> bytes = host::effect::writeEffect(d);
  return std::string(bytes.begin(), bytes.end());
}

class EffectRig : public rendertest::RendererRig {
 protected:
  void SetUp() override {
    RendererRig::SetUp();
    rk::task::TaskManager::createInstance();
    system = rk::effect::EffectSystem::createInstance();
  }
  void TearDown() override {
    if (rk::singletonExists(rk::InstanceSlot::EffectSystem)) rk::effect::EffectSystem::destroyInstance();
    RendererRig::TearDown();
  }

  // Cameras without a device (buildScene makes them with one).
  void cameras() { rk::gfx::CameraManager::createInstance(); }
  static void release(rk::policy::SharedObject* object) { object->release("effect test", 0); }

  // The content as a compressed effect file where the mapping looks for `name`.
  void writeEffectFile(const std::string& name, const std::string& content) {
    std::vector<std::uint8_t> container;
    ASSERT_EQ(rk::fs::compressContainer(content.data(), content.size(), container), 0);
    rktest::writeBytes(data.file(name + ".ea"), std::string(container.begin(), container.end()));
  }
  // Steps the file manager until the unit's effects are set up (or 5 s pass).
  bool waitSetup(rk::effect::EffectUnit* unit) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!unit->isSetupAll() && std::chrono::steady_clock::now() < until) {
      rk::fs::FileManager::getInstance()->notify();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      unit->setupAll();
    }
    return unit->isSetupAll();
  }

  rk::effect::EffectSystem* system = nullptr;
};

}  // namespace effecttest
