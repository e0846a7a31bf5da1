// Cameras and the camera manager. A camera is one numbered point of view; the
// frame draw records one command list for every camera number 0 to 14 that
// exists, with the camera's view, projection, viewport, fog and lighting.
// The camera manager owns the map from number to camera.
#pragma once
#include <cstdint>
#include <deque>
#include <map>

#include "gfx/rk_studio_info.h"
#include "math/rk_matrix.h"
#include "math/rk_vector.h"
#include "policy/rk_shared_object.h"

namespace rk::gfx {

class CameraMoveSecAt;
class CameraMoveSecEye;
class CameraMoveSpringAt;
class CameraMoveSpringEye;

// The camera's stack of lighting settings; passes take their lighting from the top.
class CameraStudioInfo {
 public:
  CameraStudioInfo();
  ~CameraStudioInfo();
  CameraStudioInfo(const CameraStudioInfo&) = delete;
  CameraStudioInfo& operator=(const CameraStudioInfo&) = delete;

  StudioInfo* top() { return stack_.back(); }
  // push, pop and reflect: with the cameras' script API.

 private:
  std::deque<StudioInfo*> stack_;
};

class Camera : public policy::SharedObject {
 public:
  // Makes the four movers (inactive).
  Camera();
  // Deletes the movers; every link camera forgets this camera.
  ~Camera() override;
  Camera(const Camera&) = delete;
  Camera& operator=(const Camera&) = delete;

  // Sets every field to its default for that number (the viewport is the
  // screen) and computes the matrices.
  void init(int number);
  // The last release takes the camera out of the manager.
  void destroy() override;

  // Recomputes projection, view and inverse view when a setter has changed anything.
  void updateMatrices();

  int number() const { return number_; }
  std::uint32_t bit() const { return bit_; }
  const math::Matrix& viewMatrix() const { return view_; }
  const math::Matrix& projectionMatrix() const { return projection_; }
  const math::Matrix& inverseViewMatrix() const { return inverse_view_; }
  const math::Vector4& eye() const { return eye_; }
  const math::Vector4& at() const { return at_; }
  const math::Vector4& up() const { return up_; }
  const math::Vector4& eyeOffset() const { return eye_offset_; }
  const math::Vector4& atOffset() const { return at_offset_; }
  float fovy() const { return fovy_; }
  bool isValid() const { return valid_; }
  const math::Viewport& viewport() const { return viewport_; }
  CameraStudioInfo& studioInfo() { return studio_info_; }

  bool fogEnable() const { return fog_enable_; }
  std::uint32_t fogColor() const { return fog_color_; }
  float fogStart() const { return fog_start_; }
  float fogEnd() const { return fog_end_; }

  void setEye(const math::Vector4& eye) { eye_ = eye, valid_ = false; }
  void setAt(const math::Vector4& at) { at_ = at, valid_ = false; }
  void setUp(const math::Vector4& up) { up_ = up, valid_ = false; }
  void setEyeOffset(const math::Vector4& offset) { eye_offset_ = offset, valid_ = false; }
  void setAtOffset(const math::Vector4& offset) { at_offset_ = offset, valid_ = false; }
  void setFovy(float fovy) { fovy_ = fovy, valid_ = false; }
  void setViewport(const math::Viewport& viewport) { viewport_ = viewport, valid_ = false; }
  void setFogEnable(bool enable) { fog_enable_ = enable, valid_ = false; }
  void setFogColor(std::uint32_t argb) { fog_color_ = argb, valid_ = false; }
  void setFogRange(float start, float end) { fog_start_ = start, fog_end_ = end, valid_ = false; }

  // Timed moves from the current target (eye) to the goal, switched on.
  void moveToAt(const math::Vector4& goal, float seconds);
  void moveToEye(const math::Vector4& goal, float seconds);
  // Spring tracking: stores the rate, sets the chase and switches it on; stop
  // and run switch it off and on again, keeping target and rate.
  void trackingAt(const math::Vector4& point, float rate);
  void trackingEye(const math::Vector4& point, float rate);
  void stopTrackingAt();
  void stopTrackingEye();
  void runTrackingAt();
  void runTrackingEye();
  float springAtRate() const { return spring_at_rate_; }
  float springEyeRate() const { return spring_eye_rate_; }

  CameraMoveSecAt* moveSecAt() const { return move_sec_at_; }
  CameraMoveSecEye* moveSecEye() const { return move_sec_eye_; }
  CameraMoveSpringAt* moveSpringAt() const { return move_spring_at_; }
  CameraMoveSpringEye* moveSpringEye() const { return move_spring_eye_; }

  // Shadow light, shader infos, lens flare, frustum and the remaining
  // settings: with the cameras.

 private:
  int number_ = 0;
  std::uint32_t bit_ = 1;
  float fovy_ = 0.8552113f;  // 49 degrees
  float aspect_ = 16.0f / 9.0f;
  math::Vector4 eye_{0.0f, 0.0f, 10.0f, 0.0f};
  math::Vector4 eye_offset_{};
  math::Vector4 at_{};
  math::Vector4 at_offset_{};
  math::Vector4 up_{0.0f, 1.0f, 0.0f, 0.0f};
  bool valid_ = false;
  math::Viewport viewport_{0, 0, 0, 0, 0.0f, 1.0f};
  math::Matrix projection_{};
  math::Matrix view_{};
  math::Matrix inverse_view_{};
  math::Vector4 view_shift_{};
  CameraMoveSecAt* move_sec_at_ = nullptr;
  CameraMoveSecEye* move_sec_eye_ = nullptr;
  CameraMoveSpringAt* move_spring_at_ = nullptr;
  CameraMoveSpringEye* move_spring_eye_ = nullptr;
  float spring_at_rate_ = 1.0f;
  float spring_eye_rate_ = 1.0f;
  CameraStudioInfo studio_info_;
  bool fog_enable_ = false;
  std::uint32_t fog_color_ = 0xFFFBFFFFu;
  float fog_start_ = 2.0f;
  float fog_end_ = 10.0f;
  float near_ = 0.001f;
  float far_ = 1000.0f;
  int camera_mode_ = 0;
};

class CameraManager {
 public:
  static CameraManager* createInstance();
  static CameraManager* getInstance();
  static void destroyInstance();
  // The manager or null, without a report.
  static CameraManager* findInstance();

  CameraManager() = default;
  // Deletes every camera still in the map.
  ~CameraManager();
  CameraManager(const CameraManager&) = delete;
  CameraManager& operator=(const CameraManager&) = delete;

  // The camera of that number, made and initialised when there is none. Its
  // reference count is not changed.
  Camera* createCamera(int number);
  // The camera of that number, or null.
  Camera* getCamera(int number) const;
  // Takes a camera out of the map (its last release).
  void removeCamera(Camera* camera);

 private:
  std::map<int, Camera*> cameras_;
};

}  // namespace rk::gfx
