#include "host/gpu/present_pacer.h"

#include <algorithm>
#include <thread>

namespace host::gpu {

namespace {
// The most lateness the pacer takes into account: a sleep that overran by
// more was held up by something else.
constexpr PresentPacer::Clock::duration kMostLateness = std::chrono::milliseconds(1);
}  // namespace

PresentPacer::Clock::duration PresentPacer::sleepTime(Clock::duration wait) const {
  return std::max(wait - lateness_, Clock::duration::zero());
}

void PresentPacer::observe(Clock::duration asked, Clock::duration took) {
  const Clock::duration late = std::clamp(took - asked, Clock::duration::zero(), kMostLateness);
  lateness_ += (late - lateness_) / 8;
}

void PresentPacer::wait(Clock::duration wait) {
  const Clock::duration asked = sleepTime(wait);
  if (asked <= Clock::duration::zero()) return;
  const Clock::time_point start = Clock::now();
  std::this_thread::sleep_for(asked);
  observe(asked, Clock::now() - start);
}

}  // namespace host::gpu
