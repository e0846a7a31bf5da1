// Wipes: timed screen transitions. A wipe is a task at priority 2 that runs
// from 0 to its duration once the wipe manager starts it; out-wipes cover the
// screen, in-wipes uncover it (each plays the opposite out-wipe backwards).
// Only the fades draw; the directional kinds are timers alone.
#pragma once
#include "gfx/rk_color.h"
#include "task/rk_task.h"

namespace rk::gfx {

class WipeObject : public task::Task {
 public:
  // Queued inactive; the creator appends it to the wipe manager. The name
  // labels the task.
  WipeObject(const Color& colour, float seconds, const char* name = "Wipe");
  // Leaves the wipe manager's queue when deleted by anyone else.
  ~WipeObject() override;

  // The wipe manager deletes its wipes.
  bool isOwnedElsewhere() override { return true; }
  int initStep(float dt) override;
  void update(float dt) override;

  virtual bool isOut() const = 0;
  virtual void draw() {}
  // 0 to 1 for out-wipes, 1 to 0 for in-wipes.
  virtual float progress() const = 0;

  float elapsed() const { return elapsed_; }
  float duration() const { return duration_; }
  bool isStarted() const { return started_; }
  const Color& colour() const { return colour_; }
  // The manager's start: from 0, running.
  void start();

 protected:
  // A wipe of no length counts as complete rather than dividing 0 by 0.
  float outProgress() const { return duration_ > 0.0f ? elapsed_ / duration_ : 1.0f; }
  float inProgress() const { return 1.0f - outProgress(); }

 private:
  float elapsed_ = 0.0f;
  float duration_ = 0.25f;
  bool started_ = false;
  Color colour_;
};

class WipeFadeOut : public WipeObject {
 public:
  using WipeObject::WipeObject;
  bool isOut() const override { return true; }
  // The whole screen in the wipe colour, its alpha the progress.
  void draw() override;
  float progress() const override { return outProgress(); }
};

class WipeFadeIn : public WipeFadeOut {
 public:
  using WipeFadeOut::WipeFadeOut;
  bool isOut() const override { return false; }
  float progress() const override { return inProgress(); }
};

// The directional kinds: timers without drawing.
class WipeLeftToRightOut : public WipeFadeOut {
 public:
  using WipeFadeOut::WipeFadeOut;
  void draw() override {}
};

class WipeRightToLeftIn : public WipeLeftToRightOut {
 public:
  using WipeLeftToRightOut::WipeLeftToRightOut;
  bool isOut() const override { return false; }
  float progress() const override { return inProgress(); }
};

class WipeRightToLeftOut : public WipeFadeOut {
 public:
  using WipeFadeOut::WipeFadeOut;
  void draw() override {}
};

class WipeLeftToRightIn : public WipeRightToLeftOut {
 public:
  using WipeRightToLeftOut::WipeRightToLeftOut;
  bool isOut() const override { return false; }
  float progress() const override { return inProgress(); }
};

class WipeTopToBottomOut : public WipeFadeOut {
 public:
  using WipeFadeOut::WipeFadeOut;
  void draw() override {}
};

class WipeBottomToTopIn : public WipeTopToBottomOut {
 public:
  using WipeTopToBottomOut::WipeTopToBottomOut;
  bool isOut() const override { return false; }
  float progress() const override { return inProgress(); }
};

class WipeBottomToTopOut : public WipeFadeOut {
 public:
  using WipeFadeOut::WipeFadeOut;
  void draw() override {}
};

class WipeTopToBottomIn : public WipeBottomToTopOut {
 public:
  using WipeBottomToTopOut::WipeBottomToTopOut;
  bool isOut() const override { return false; }
  float progress() const override { return inProgress(); }
};

}  // namespace rk::gfx
