#include "gfx/rk_gfx_list_manager.h"

#include <algorithm>

#include "font/rk_font.h"
#include "gfx/rk_gfx_list_device_context.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_instance_table.h"

namespace rk::gfx {

namespace {
const SingletonReport kReport{"src/gfx/rk_gfx_list_manager", "rk::gfx::GfxListManager", 212, 221, 230};
}

// Without a manager (reported by getInstance) the command is in no list.
GfxListObject::GfxListObject() {
  if (GfxListManager* manager = GfxListManager::getInstance()) manager->commands_.push_back(this);
}

GfxListObject::~GfxListObject() {
  if (GfxListManager* manager = GfxListManager::findInstance()) manager->commands_.remove(this);
}

void GfxListObject::getLocate(float* x, float* y, float* z, float* w) const { *x = *y = *z = *w = 0.0f; }

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

GfxListManager::~GfxListManager() {
  clear();
  font_.reset();
}

// A command's destructor unlinks it, so the front is taken off first.
void GfxListManager::clear() {
  while (!commands_.empty()) {
    GfxListObject* command = commands_.front();
    commands_.pop_front();
    delete command;
  }
}

GfxListObject* GfxListManager::findLastLocate() const {
  auto it = std::find_if(commands_.rbegin(), commands_.rend(), [](GfxListObject* c) { return c->isLocate(); });
  return it == commands_.rend() ? nullptr : *it;
}

void GfxListManager::replay() {
  DeviceContext* dc = DeviceContext::getInstance();
  dc->beginCommandList(nullptr, false, false);
  {
    GfxDeviceContext context(nullptr);
    for (GfxListObject* command : commands_) {
      command->prepare(context);
      command->execute(context);
    }
  }
  if (const boost::shared_ptr<font::RKFont>& debugFont = dc->font(0)) drawPrintList(*debugFont);
  dc->closeNowCommandList();
}

void drawPrintList(font::RKFont& font) {
  font::FontAdapter* adapter = font.adapter().get();
  if (!adapter) return;
  for (const auto& entry : font.prints()) adapter->print(entry->x, entry->y, entry->text.c_str(), entry->color, 0, 0);
}

}  // namespace rk::gfx
