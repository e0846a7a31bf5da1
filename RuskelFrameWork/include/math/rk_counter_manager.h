// Hands out counters by name: every request for the same non-empty name gets
// the same counter. The map does not own the counters; each one leaves it on
// its last release.
#pragma once
#include <memory>

#include "math/rk_counter.h"

namespace rk::math {

class CounterManager {
 public:
  static CounterManager* createInstance();
  static CounterManager* getInstance();
  static void destroyInstance();

  CounterManager();
  ~CounterManager();
  CounterManager(const CounterManager&) = delete;
  CounterManager& operator=(const CounterManager&) = delete;

  // The counter of that name with one more reference, or (for an absent,
  // empty or unknown name) a new stopped counter of priority `kind` holding
  // one reference. A counter found by name keeps its own kind.
  Counter* getCounter(int kind, const char* name);
  // Takes the counter out of the map; a name missing from the map is reported.
  void removeCounter(Counter* counter);
  // How many counters the map lists.
  std::size_t size() const;

  struct Impl;

 private:
  std::shared_ptr<Impl> impl_;
};

}  // namespace rk::math
