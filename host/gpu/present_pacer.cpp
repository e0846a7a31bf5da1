#include "host/gpu/present_pacer.h"

#include <thread>

namespace host::gpu {

PresentPacer::Clock::duration PresentPacer::delayAfter(Clock::time_point now, std::uint32_t syncInterval) {
  const Clock::duration period = kTick * static_cast<int>(syncInterval ? syncInterval : 1);
  if (!started_) {
    started_ = true;
    next_ = now + period;
    return Clock::duration::zero();
  }
  if (now + kSlack >= next_) {
    // The present waited for the display itself, or the frame took longer
    // than a tick: no delay; a frame more than a tick late starts the clock anew.
    next_ = now > next_ + period ? now + period : next_ + period;
    return Clock::duration::zero();
  }
  const Clock::duration delay = next_ - now;
  next_ += period;
  return delay;
}

void PresentPacer::pace(std::uint32_t syncInterval) {
  const Clock::duration delay = delayAfter(Clock::now(), syncInterval);
  if (delay > Clock::duration::zero()) std::this_thread::sleep_for(delay);
}

}  // namespace host::gpu
