#include "gfx/rk_gfx_list_manager.h"

#include "kernel/rk_device_context.h"
#include "kernel/rk_instance_table.h"

namespace rk::gfx {

namespace {
const SingletonReport kReport{"src/gfx/rk_gfx_list_manager", "rk::gfx::GfxListManager", 212, 221, 230};
}

GfxListManager* GfxListManager::createInstance() {
  return singletonCreate<GfxListManager>(InstanceSlot::GfxListManager, kReport);
}
GfxListManager* GfxListManager::getInstance() {
  return singletonGet<GfxListManager>(InstanceSlot::GfxListManager, kReport);
}
void GfxListManager::destroyInstance() { singletonDestroy<GfxListManager>(InstanceSlot::GfxListManager, kReport); }
GfxListManager* GfxListManager::findInstance() {
  return static_cast<GfxListManager*>(instanceSlot(InstanceSlot::GfxListManager));
}

GfxListManager::GfxListManager() : font_(DeviceContext::getInstance()->font(2)) {}

}  // namespace rk::gfx
