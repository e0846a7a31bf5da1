// A counter: a task that accumulates elapsed time, scaled by a rate, while it
// runs. Counters are shared by name through the counter manager and belong to
// their holders through their reference count; the last release unregisters
// and deletes the counter.
#pragma once
#include <string>

#include "policy/rk_shared_object.h"
#include "task/rk_task.h"

namespace rk::math {

class Counter : public task::Task, public policy::SharedObject {
 public:
  // Made by CounterManager::getCounter: priority = kind, stopped, value 0, rate 1.
  Counter(int kind, const std::string& name);
  ~Counter() override;

  // Ready at once.
  int initStep(float) override { return 0; }
  // value += dt * rate (the task manager calls it only while the counter runs).
  void update(float dt) override { value_ += dt * rate_; }
  // Holders own the counter: the task manager's first shut-down pass must not
  // delete one that a holder may still release.
  bool isOwnedElsewhere() override { return true; }
  // Last release: leave the counter manager's map.
  void destroy() override;

  // A new stopped, unnamed counter of the same kind with this value and rate,
  // holding one reference for the caller; null without a counter manager.
  Counter* clone();

  int kind() const { return priority(); }
  float value() const { return value_; }
  void setValue(float v) { value_ = v; }
  float rate() const { return rate_; }
  void setRate(float r) { rate_ = r; }
  void reset() { value_ = 0.0f; }
  void start() { setActive(true); }
  void stop() { setActive(false); }
  bool isRunning() const { return isActive(); }

 private:
  friend class CounterManager;
  float value_ = 0.0f;
  float rate_ = 1.0f;
  bool registered_ = false;  // listed in the counter manager's map
};

}  // namespace rk::math
