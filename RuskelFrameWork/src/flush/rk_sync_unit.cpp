#include "flush/rk_sync_unit.h"

#include "flush/rk_walk_list.h"
#include "kernel/rk_instance_table.h"

namespace rk::flush {

namespace {
const SingletonReport kReport{"src/flush/rk_sync_unit", "rk::flush::SyncUnit", 60, 80, 90};
}

struct SyncUnit::Impl {
  WalkList<policy::ISync> syncs;
};

SyncUnit* SyncUnit::createInstance() {
  SyncUnit* unit = singletonCreate<SyncUnit>(InstanceSlot::SyncUnit, kReport);
  unit->setActive(true);
  return unit;
}
SyncUnit* SyncUnit::getInstance() { return singletonGet<SyncUnit>(InstanceSlot::SyncUnit, kReport); }
void SyncUnit::destroyInstance() { singletonDestroy<SyncUnit>(InstanceSlot::SyncUnit, kReport); }

SyncUnit::SyncUnit() : Task(64, "SyncUnit\n"), impl_(std::make_unique<Impl>()) {}

SyncUnit::~SyncUnit() {
  // Deleted by the task manager's shut-down sweep: the slot must not dangle.
  if (instanceSlot(InstanceSlot::SyncUnit) == this) instanceSlot(InstanceSlot::SyncUnit) = nullptr;
}

void SyncUnit::addSync(policy::ISync* object) { impl_->syncs.append(object); }
void SyncUnit::removeSync(policy::ISync* object) { impl_->syncs.removeFirst(object); }

int SyncUnit::initStep(float) { return 0; }

void SyncUnit::update(float) {
  impl_->syncs.walk([](policy::ISync* object) { object->sync(); });
}

std::size_t SyncUnit::count() const { return impl_->syncs.size(); }

}  // namespace rk::flush
