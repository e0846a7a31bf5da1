// The message and frame loop: window messages are handled as they come, frame
// clock time gathers, and one frame (update, game hook, draw) runs as soon as
// 1/60 s has gathered. The frame's step is the gathered time, or exactly 1/60 s
// while the fixed-frame switch is on.
#pragma once

namespace rk {

// The frame threshold, and the step of a fixed frame.
constexpr double kFrameTime = 1.0 / 60.0;

class FrameLoop {
 public:
  // One pass: the file manager's step, one message, then a frame when enough
  // time has gathered. False once WM_QUIT has been taken.
  bool runPass();
  // Frame-clock seconds gathered since the last frame.
  double accumulator() const { return accumulator_; }

 private:
  void runFrame();

  double accumulator_ = 0.0;
};

// Runs passes until WM_QUIT.
void runFrameLoop();

// The update of one frame, skipped while the update pause is set: input, the
// game's hook, every task, in their fixed order.
void updateFramework(float dt);

}  // namespace rk
