#include "gfx/rk_wipe_manager.h"

#include <algorithm>

#include "kernel/rk_instance_table.h"

namespace rk::gfx {

namespace {
const SingletonReport kReport{"src/gfx/rk_wipe_manager", "rk::gfx::WipeManager", 62, 85, 95};
}

WipeManager* WipeManager::createInstance() { return singletonCreate<WipeManager>(InstanceSlot::WipeManager, kReport); }
WipeManager* WipeManager::getInstance() { return singletonGet<WipeManager>(InstanceSlot::WipeManager, kReport); }
void WipeManager::destroyInstance() { singletonDestroy<WipeManager>(InstanceSlot::WipeManager, kReport); }
WipeManager* WipeManager::findInstance() {
  return static_cast<WipeManager*>(instanceSlot(InstanceSlot::WipeManager));
}

WipeManager::~WipeManager() { clearWipes(); }

void WipeManager::addWipe(WipeObject* wipe) { wipes_.push_back(wipe); }

void WipeManager::clearWipes() {
  std::deque<WipeObject*> doomed;
  doomed.swap(wipes_);
  for (WipeObject* wipe : doomed) delete wipe;
}

bool WipeManager::isEndOfWipe() const {
  if (wipes_.empty()) return true;
  return wipes_.size() == 1 && wipes_.front()->isStarted() && !wipes_.front()->isActive();
}

void WipeManager::update() {
  if (wipes_.empty()) return;
  WipeObject* front = wipes_.front();
  if (!front->isStarted()) {
    front->start();
    return;
  }
  if (front->isActive()) return;
  if (wipes_.size() == 1) {
    if (!front->isOut()) clearWipes();  // uncovered: nothing stays behind
    return;
  }
  wipes_.pop_front();
  delete front;  // the next wipe starts next frame
}

void WipeManager::forgetWipe(WipeObject* wipe) {
  auto it = std::find(wipes_.begin(), wipes_.end(), wipe);
  if (it != wipes_.end()) wipes_.erase(it);
}

}  // namespace rk::gfx
