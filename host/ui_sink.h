// A test hook slot: a replaceable function guarded by a lock. get() hands out a
// copy, so the hook runs outside the lock and may replace itself.
#pragma once
#include <mutex>
#include <utility>

namespace host::ui::detail {

template <class Function>
class SinkSlot {
 public:
  void set(Function function) {
    std::lock_guard<std::mutex> lock(mutex_);
    function_ = std::move(function);
  }
  Function get() {
    std::lock_guard<std::mutex> lock(mutex_);
    return function_;
  }

 private:
  std::mutex mutex_;
  Function function_;
};

}  // namespace host::ui::detail
