// Paces presents that the display does not hold back. A flip-model present
// with a sync interval waits for the display's next refresh; where our present
// returns at once (no display, or a driver that ignores the swap interval) the
// pacer makes it wait, sleeping, for the next tick of a 60 Hz clock instead.
// Presents that already waited, or frames slower than a tick, are not delayed.
#pragma once
#include <chrono>
#include <cstdint>

namespace host::gpu {

class PresentPacer {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::duration kTick = std::chrono::nanoseconds(16666667);
  // A present that returns this close to its tick counts as having waited.
  static constexpr Clock::duration kSlack = std::chrono::milliseconds(2);

  // How long to wait after a present with this sync interval (1 to 4) that
  // returned at `now`; the first present sets the clock going and waits not.
  Clock::duration delayAfter(Clock::time_point now, std::uint32_t syncInterval);
  // delayAfter on the real clock, then the sleep.
  void pace(std::uint32_t syncInterval);

 private:
  Clock::time_point next_{};
  bool started_ = false;
};

}  // namespace host::gpu
