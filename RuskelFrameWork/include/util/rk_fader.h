// A value moved linearly from one number to another over a duration; the music
// and sound players fade their volumes with it.
#pragma once

namespace rk::util {

class Fader {
 public:
  virtual ~Fader() = default;

  void start(float from, float to, float duration) {
    from_ = from;
    to_ = to;
    duration_ = duration;
    elapsed_ = 0.0f;
    fading_ = true;
    finished_ = false;
  }

  // Advances a running fade; it finishes once the whole duration has passed.
  void update(float dt) {
    if (!fading_) return;
    elapsed_ += dt;
    if (elapsed_ >= duration_) {
      elapsed_ = duration_;
      fading_ = false;
      finished_ = true;
    }
  }

  // The target at once for a duration of (nearly) zero.
  float getValue() const {
    if (duration_ <= 1.1920929e-7f) return to_;
    return from_ + (to_ - from_) * elapsed_ / duration_;
  }

  bool isFading() const { return fading_; }
  bool isFinished() const { return finished_; }

 private:
  bool fading_ = false;
  bool finished_ = true;
  float from_ = 0.0f;
  float to_ = 0.0f;
  float duration_ = 0.0f;
  float elapsed_ = 0.0f;
};

}  // namespace rk::util
