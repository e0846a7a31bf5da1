// The flush unit: one task at priority 64 that gives every registered IFlush
// object a per-frame call with the frame step, without a task of its own.
#pragma once
#include <memory>

#include "task/rk_task.h"

namespace rk::flush {

class IFlush {
 public:
  virtual ~IFlush() = default;
  virtual void flushProc(float dt) = 0;
};

class FlushUnit : public task::Task {
 public:
  static FlushUnit* createInstance();
  static FlushUnit* getInstance();
  static void destroyInstance();

  FlushUnit();
  ~FlushUnit() override;

  // Registering an object twice keeps one entry. Both calls are reported when
  // made from inside a flushProc, and still act at once.
  void registerFlush(IFlush* object);
  void removeFlush(IFlush* object);

  int initStep(float dt) override;
  void update(float dt) override;

  std::size_t count() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace rk::flush
