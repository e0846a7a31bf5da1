#include "math/rk_counter_manager.h"

#include <cstring>
#include <map>

#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"
#include "res/rk_resource.h"

namespace rk::math {

namespace {
constexpr const char* kSource = "src/math/rk_counter_manager";
const SingletonReport kReport{kSource, "rk::math::CounterManager", 141, 160, 150};
}  // namespace

struct CounterManager::Impl {
  // Name key -> counter; entries of one key keep their insertion order.
  std::multimap<int, Counter*> counters;

  void removeCounter(Counter* counter) {
    auto range = counters.equal_range(res::nameKey(counter->name()));
    if (range.first == range.second) {
      debug::writeErrorLog(kSource, 55, "rk::math::CounterManager::Impl::removeCounter");
      return;
    }
    for (auto it = range.first; it != range.second; ++it) {
      if (it->second == counter) {
        counters.erase(it);
        counter->registered_ = false;
        return;
      }
    }
  }
};

CounterManager* CounterManager::createInstance() {
  return singletonCreate<CounterManager>(InstanceSlot::CounterManager, kReport);
}
CounterManager* CounterManager::getInstance() {
  return singletonGet<CounterManager>(InstanceSlot::CounterManager, kReport);
}
void CounterManager::destroyInstance() { singletonDestroy<CounterManager>(InstanceSlot::CounterManager, kReport); }

CounterManager::CounterManager() : impl_(std::make_shared<Impl>()) {}

CounterManager::~CounterManager() {
  // Counters that outlive the manager must not look for it again.
  for (auto& entry : impl_->counters) entry.second->registered_ = false;
}

Counter* CounterManager::getCounter(int kind, const char* name) {
  if (name && *name) {
    auto range = impl_->counters.equal_range(res::nameKey(name));
    for (auto it = range.first; it != range.second; ++it) {
      if (std::strcmp(it->second->name().c_str(), name) == 0) {
        it->second->addRef();
        return it->second;
      }
    }
  }
  auto* counter = new Counter(kind, name ? name : "");
  counter->addRef();
  impl_->counters.emplace(res::nameKey(counter->name()), counter);
  counter->registered_ = true;
  counter->setActive(false);
  return counter;
}

void CounterManager::removeCounter(Counter* counter) { impl_->removeCounter(counter); }

std::size_t CounterManager::size() const { return impl_->counters.size(); }

}  // namespace rk::math
