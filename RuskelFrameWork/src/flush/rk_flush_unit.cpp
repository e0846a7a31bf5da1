#include "flush/rk_flush_unit.h"

#include "flush/rk_walk_list.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"

namespace rk::flush {

namespace {
constexpr const char* kSource = "src/flush/rk_flush_unit";
const SingletonReport kReport{kSource, "rk::flush::FlushUnit", 58, 78, 88};
}  // namespace

struct FlushUnit::Impl {
  WalkList<IFlush> flushes;
  bool flushing = false;
};

FlushUnit* FlushUnit::createInstance() {
  FlushUnit* unit = singletonCreate<FlushUnit>(InstanceSlot::FlushUnit, kReport);
  unit->setActive(true);
  return unit;
}
FlushUnit* FlushUnit::getInstance() { return singletonGet<FlushUnit>(InstanceSlot::FlushUnit, kReport); }
void FlushUnit::destroyInstance() { singletonDestroy<FlushUnit>(InstanceSlot::FlushUnit, kReport); }

FlushUnit::FlushUnit() : Task(64, "FlushUnit"), impl_(std::make_unique<Impl>()) {}

FlushUnit::~FlushUnit() {
  // Deleted by the task manager's shut-down sweep: the slot must not dangle.
  if (instanceSlot(InstanceSlot::FlushUnit) == this) instanceSlot(InstanceSlot::FlushUnit) = nullptr;
}

void FlushUnit::registerFlush(IFlush* object) {
  if (impl_->flushing) debug::writeErrorLog(kSource, 97, "rk::flush::FlushUnit::registerFlush");
  if (impl_->flushes.contains(object)) return;
  impl_->flushes.append(object);
}

void FlushUnit::removeFlush(IFlush* object) {
  if (impl_->flushing) debug::writeErrorLog(kSource, 110, "rk::flush::FlushUnit::removeFlush");
  impl_->flushes.removeFirst(object);
}

int FlushUnit::initStep(float) {
  impl_->flushing = false;
  return 0;
}

void FlushUnit::update(float dt) {
  impl_->flushing = true;
  impl_->flushes.walk([dt](IFlush* object) { object->flushProc(dt); });
  impl_->flushing = false;
}

std::size_t FlushUnit::count() const { return impl_->flushes.size(); }

}  // namespace rk::flush
