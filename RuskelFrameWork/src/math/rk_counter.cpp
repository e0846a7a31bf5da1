#include "math/rk_counter.h"

#include "kernel/rk_instance_table.h"
#include "math/rk_counter_manager.h"

namespace rk::math {

namespace {
// The manager without the report of an empty slot: counters outlive it at shut-down.
CounterManager* existingManager() { return static_cast<CounterManager*>(instanceSlot(InstanceSlot::CounterManager)); }
}  // namespace

Counter::Counter(int kind, const std::string& name) : task::Task(kind, name) {}

Counter::~Counter() {
  // Deleted without a last release (the task manager's final pass).
  if (registered_)
    if (CounterManager* manager = existingManager()) manager->removeCounter(this);
}

void Counter::destroy() {
  if (CounterManager* manager = existingManager()) manager->removeCounter(this);
}

Counter* Counter::clone() {
  CounterManager* manager = CounterManager::getInstance();
  if (!manager) return nullptr;
  Counter* copy = manager->getCounter(kind(), "");
  copy->value_ = value_;
  copy->rate_ = rate_;
  return copy;
}

}  // namespace rk::math
