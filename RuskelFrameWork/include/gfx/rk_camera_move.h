// Camera movers: tasks at priority 140 that glide a camera's target or eye.
// The timed movers arrive after a given time on an ease-out sine curve; the
// spring movers chase a point by a fixed fraction per second until stopped.
// Every camera owns four of them, made inactive with the camera.
#pragma once
#include "math/rk_algorithm.h"
#include "math/rk_vector.h"
#include "task/rk_task.h"

namespace rk::gfx {

class Camera;

class CameraMoveSec : public math::IMoveToSec, public math::IAlgorithmRun, public math::ISync, public task::Task {
 public:
  CameraMoveSec(Camera* camera, const char* name);

  void set(const math::Vector4& start, const math::Vector4& goal, float seconds) override;
  void run(float dt) override;
  bool isEnd() override;
  // The camera deletes its movers.
  bool isOwnedElsewhere() override { return true; }
  int initStep(float dt) override;
  void update(float dt) override;

  const math::Vector4& current() const { return current_; }
  float elapsed() const { return elapsed_; }
  float duration() const { return duration_; }

 protected:
  math::Vector4 start_{};
  math::Vector4 goal_{};
  math::Vector4 current_{};
  float elapsed_ = 0.0f;
  float duration_ = 1.0f;
  Camera* camera_;
};

class CameraMoveSecAt : public CameraMoveSec {
 public:
  explicit CameraMoveSecAt(Camera* camera) : CameraMoveSec(camera, "MoveSecAt") {}
  void sync() override;
};

class CameraMoveSecEye : public CameraMoveSec {
 public:
  explicit CameraMoveSecEye(Camera* camera) : CameraMoveSec(camera, "MoveSecEye") {}
  void sync() override;
};

class CameraMoveSpring : public math::IMoveToSpring, public math::IAlgorithmRun, public math::ISync, public task::Task {
 public:
  CameraMoveSpring(Camera* camera, const char* name);

  void set(const math::Vector4& target, float rate) override;
  void run(float dt) override;
  // A spring runs until it is switched off; arriving does not stop it.
  bool isEnd() override { return !isActive(); }
  bool isOwnedElsewhere() override { return true; }
  int initStep(float) override { return 0; }
  void update(float dt) override;

  const math::Vector4& target() const { return target_; }
  const math::Vector4& current() const { return current_; }
  float rate() const { return rate_; }

 protected:
  math::Vector4 target_{};
  math::Vector4 current_{};
  float rate_ = 1.0f;
  Camera* camera_;
};

class CameraMoveSpringAt : public CameraMoveSpring {
 public:
  explicit CameraMoveSpringAt(Camera* camera) : CameraMoveSpring(camera, "MoveSpringAt") {}
  math::Vector4 source() override;
  void sync() override;
};

class CameraMoveSpringEye : public CameraMoveSpring {
 public:
  explicit CameraMoveSpringEye(Camera* camera) : CameraMoveSpring(camera, "MoveSpringEye") {}
  math::Vector4 source() override;
  void sync() override;
};

}  // namespace rk::gfx
