// Waits that stand in for a present held back by the display. A flip-model
// present with a sync interval returns when the display has taken the frame,
// so the frame loop behind it finds its 1/60 s gathered. Where ours returns
// at once (no display, or a driver that ignores the swap interval) the
// caller sleeps out the rest of the frame's tick here instead of spinning.
// Sleeps end a little late; the pacer learns by how much and asks for that
// much less, so that waits end when they should on average.
#pragma once
#include <chrono>

namespace host::gpu {

class PresentPacer {
 public:
  using Clock = std::chrono::steady_clock;

  // The sleep asked of the system for a wait of `wait`: less the learned
  // lateness, nothing for a wait that has run out.
  Clock::duration sleepTime(Clock::duration wait) const;
  // A sleep of `asked` that took `took`: updates the learned lateness.
  void observe(Clock::duration asked, Clock::duration took);
  // Sleeps for (about) `wait`.
  void wait(Clock::duration wait);

  Clock::duration lateness() const { return lateness_; }

 private:
  Clock::duration lateness_ = Clock::duration::zero();
};

}  // namespace host::gpu
