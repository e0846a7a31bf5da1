// The sync unit: one task at priority 64 that calls sync of every registered
// ISync object once per frame, in registration order.
#pragma once
#include <memory>

#include "policy/rk_policy.h"
#include "task/rk_task.h"

namespace rk::flush {

class SyncUnit : public task::Task {
 public:
  static SyncUnit* createInstance();
  static SyncUnit* getInstance();
  static void destroyInstance();

  SyncUnit();
  ~SyncUnit() override;

  // No duplicate check: an object added twice syncs twice per frame.
  void addSync(policy::ISync* object);
  // Removes the first entry of the object, if any; safe from inside a sync.
  void removeSync(policy::ISync* object);

  int initStep(float dt) override;
  void update(float dt) override;

  std::size_t count() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace rk::flush
