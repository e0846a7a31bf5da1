// Small interfaces of things that move a point over time: a timed move, a
// spring that chases a point, a per-frame step, and writing the result back.
#pragma once
#include "math/rk_vector.h"

namespace rk::math {

class IMoveToSec {
 public:
  virtual ~IMoveToSec() = default;
  // Moves from start to goal in the given seconds.
  virtual void set(const Vector4& start, const Vector4& goal, float seconds) = 0;
};

class IMoveToSpring {
 public:
  virtual ~IMoveToSpring() = default;
  // Chases the target, covering `rate` of the remaining distance per second.
  virtual void set(const Vector4& target, float rate) = 0;
  // Where the chase starts this frame.
  virtual Vector4 source() = 0;
};

class IAlgorithmRun {
 public:
  virtual ~IAlgorithmRun() = default;
  virtual void run(float dt) = 0;
  virtual bool isEnd() = 0;
};

class ISync {
 public:
  virtual ~ISync() = default;
  virtual void sync() = 0;
};

}  // namespace rk::math
