#include "gfx/rk_camera_move.h"

#include <cmath>

#include "gfx/rk_camera.h"

namespace rk::gfx {

namespace {
constexpr int kMoverPriority = 140;
constexpr float kHalfPi = 1.5707964f;
constexpr float kEpsilon = 1.1920929e-7f;
}  // namespace

// ------------------------------------------------------------ timed movers

CameraMoveSec::CameraMoveSec(Camera* camera, const char* name) : Task(kMoverPriority, name), camera_(camera) {}

void CameraMoveSec::set(const math::Vector4& start, const math::Vector4& goal, float seconds) {
  start_ = start;
  goal_ = goal;
  elapsed_ = 0.0f;
  duration_ = seconds;
}

void CameraMoveSec::run(float dt) {
  elapsed_ += dt;
  if (elapsed_ >= duration_) elapsed_ = duration_;
  // A move of no length (or a negative one) lands on the goal at once rather
  // than dividing zero by zero.
  const float s = duration_ > 0.0f ? std::sin(elapsed_ / duration_ * kHalfPi) : 1.0f;
  current_ = start_.plus(goal_.minus(start_).scaled(s));
}

bool CameraMoveSec::isEnd() { return elapsed_ >= duration_; }

int CameraMoveSec::initStep(float) {
  current_ = start_;
  elapsed_ = 0.0f;
  return 0;
}

void CameraMoveSec::update(float dt) {
  run(dt);
  sync();
  if (isEnd()) setActive(false);
}

void CameraMoveSecAt::sync() { camera_->setAt(current_); }
void CameraMoveSecEye::sync() { camera_->setEye(current_); }

// ----------------------------------------------------------- spring movers

CameraMoveSpring::CameraMoveSpring(Camera* camera, const char* name) : Task(kMoverPriority, name), camera_(camera) {}

void CameraMoveSpring::set(const math::Vector4& target, float rate) {
  target_ = target;
  rate_ = rate;
}

void CameraMoveSpring::run(float dt) {
  const math::Vector4 c = source();
  const math::Vector4 d = target_.minus(c);
  if (math::vec3Dot(d, d) < kEpsilon) {
    current_ = target_;
  } else {
    current_ = c.plus(d.scaled(rate_ * dt));  // no clamp: large rates overshoot
  }
}

void CameraMoveSpring::update(float dt) {
  run(dt);
  sync();
  if (isEnd()) setActive(false);
}

math::Vector4 CameraMoveSpringAt::source() { return camera_->at(); }
void CameraMoveSpringAt::sync() { camera_->setAt(current_); }
math::Vector4 CameraMoveSpringEye::source() { return camera_->eye(); }
void CameraMoveSpringEye::sync() { camera_->setEye(current_); }

}  // namespace rk::gfx
