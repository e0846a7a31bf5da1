// The wipe manager: the queue of wipes that scripts request, run one after the
// other. The front wipe is started, and a finished one is removed when another
// waits behind it; a finished in-wipe empties the queue, a finished out-wipe
// stays (the screen stays covered) until the next wipe or a reset.
#pragma once
#include <deque>

#include "gfx/rk_wipe.h"

namespace rk::gfx {

class WipeManager {
 public:
  static WipeManager* createInstance();
  static WipeManager* getInstance();
  static void destroyInstance();
  // The manager or null, without a report.
  static WipeManager* findInstance();

  WipeManager() = default;
  // Deletes every queued wipe.
  ~WipeManager();
  WipeManager(const WipeManager&) = delete;
  WipeManager& operator=(const WipeManager&) = delete;

  // Takes ownership and queues the wipe behind the others.
  void addWipe(WipeObject* wipe);
  // Deletes every wipe (their tasks leave the task manager) and empties the queue.
  void clearWipes();
  // True when nothing is queued, or the one wipe left has started and finished.
  bool isEndOfWipe() const;
  // Once per frame after the task pass: advances the queue.
  void update();

  const std::deque<WipeObject*>& wipes() const { return wipes_; }
  // A wipe deleted by someone else leaves the queue.
  void forgetWipe(WipeObject* wipe);

 private:
  std::deque<WipeObject*> wipes_;
};

}  // namespace rk::gfx
