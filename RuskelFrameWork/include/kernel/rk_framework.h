// The spine of the process: the run function that opens the window, starts the
// framework, boots the game, runs the frame loop and takes everything down
// again, also when an exception ends the run.
#pragma once
#include "host/ui.h"

namespace rk {

class IGameAdapter;

// Stores the game's adapter in the device context (the caller keeps owning it).
void setGameAdapter(IGameAdapter* adapter);

// Runs the game in its one window. 0 after a normal run and after a run ended by
// an exception (shown in an error box once everything is down); -1 at once,
// with nothing started, when another copy of the game is running.
int runGame(const char* className, const char* caption, const host::ui::AcceleratorTable* accelerators);

// Creates the framework's managers in their fixed order and starts the frame clock.
void startupFramework();

// Takes the game and the framework down when a run ends: by shutdownNow at a
// normal end, or by the destructor while an exception unwinds. Each of the two
// steps runs at most once; the game's step only after it has booted.
class shutdownGuard {
 public:
  shutdownGuard() = default;
  // Never throws: what a step throws while unwinding goes to the error log.
  ~shutdownGuard();
  shutdownGuard(const shutdownGuard&) = delete;
  shutdownGuard& operator=(const shutdownGuard&) = delete;

  void setBooted() { booted_ = true; }
  void shutdownNow();

 private:
  bool booted_ = false;
  bool framework_up_ = true;
};

}  // namespace rk
