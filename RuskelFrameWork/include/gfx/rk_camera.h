// Cameras and the camera manager. A camera is one numbered point of view; the
// frame draw records one command list for every camera number 0 to 14 that
// exists, with the camera's view, projection, viewport, fog and lighting.
// The camera manager owns the map from number to camera.
#pragma once
#include <cstdint>
#include <deque>
#include <map>

#include "gfx/rk_lense_flare.h"
#include "gfx/rk_light.h"
#include "gfx/rk_model_draw_info.h"
#include "gfx/rk_studio_info.h"
#include "math/rk_matrix.h"
#include "math/rk_vector.h"
#include "policy/rk_shared_object.h"

namespace rk::collision {
class CollisionBody;
}

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

  // A new stack holding copies of this one's entries, in the same order.
  CameraStudioInfo* clone() const;
  StudioInfo* top() { return stack_.back(); }
  const StudioInfo* top() const { return stack_.back(); }
  // Pushes a copy of the top, so changes after the push are undone by pop.
  void push();
  // Deletes the top; the last entry is kept (every pass reads the top) and the
  // refusal is reported.
  void pop();
  std::size_t size() const { return stack_.size(); }

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
  float aspect() const { return aspect_; }
  float nearClip() const { return near_; }
  float farClip() const { return far_; }
  int cameraMode() const { return camera_mode_; }
  const math::Vector4& viewShift() const { return view_shift_; }
  float soundDistanceFactor() const { return sound_distance_factor_; }
  float soundRolloffFactor() const { return sound_rolloff_factor_; }
  float soundZoomParam() const { return sound_zoom_param_; }
  int fogVertexMode() const { return fog_vertex_mode_; }
  int fogTableMode() const { return fog_table_mode_; }
  bool flareValid() const { return flare_valid_; }
  LenseFlare& lenseFlare() { return *lens_flare_; }
  ShadowLight& shadowLight() { return *shadow_light_; }
  // Shader infos by number; number 0 is the spot-light info made with the camera.
  const std::map<int, ShaderInfoObject*>& shaderInfos() const { return shader_infos_; }
  ShaderInfoSpotLight* spotLightInfo() const;
  // The spot-light info's projection (field of view pi / 2, aspect 1, near
  // 0.001, far 1).
  const math::Matrix& spotLightProjection() const { return spot_light_projection_; }
  // Near, far, left, right, top, bottom, as the last calcFrustumPlanes left them.
  const math::Vector4* frustumPlanes() const { return frustum_; }

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
  void setFogMode(int vertexMode, int tableMode) {
    fog_vertex_mode_ = vertexMode, fog_table_mode_ = tableMode, valid_ = false;
  }
  void setAspect(float aspect) { aspect_ = aspect, valid_ = false; }
  void setNearFar(float nearClip, float farClip) { near_ = nearClip, far_ = farClip, valid_ = false; }
  void setCameraMode(int mode) { camera_mode_ = mode, valid_ = false; }
  // The view a script sets; it stays while the camera mode is not 0.
  void setViewMatrix(const math::Matrix& view) { view_ = view, valid_ = false; }
  void setViewShift(const math::Vector4& shift) { view_shift_ = shift, valid_ = false; }
  void setSoundDistanceFactor(float factor) { sound_distance_factor_ = factor, valid_ = false; }
  void setSoundRolloffFactor(float factor) { sound_rolloff_factor_ = factor, valid_ = false; }
  void setSoundZoomParam(float param) { sound_zoom_param_ = param, valid_ = false; }
  void setFlareValid(bool valid) { flare_valid_ = valid, valid_ = false; }

  // The screen point (x, y in pixels, z the depth in the viewport's range, w 1)
  // of a world point, through eye, target and up alone (no offsets, shift or
  // script view). False, with out untouched, when the camera cannot project:
  // a viewport narrower or lower than two pixels, near equal to far, a zero
  // field of view or aspect, or a point in the eye's plane.
  bool projectToScreen(const math::Vector4& point, math::Vector4& out) const;
  // The world points at the viewport's minimum and maximum depth under a
  // screen point; false on the same degenerate cameras.
  bool unprojectScreenPoint(float x, float y, math::Vector4& nearPoint, math::Vector4& farPoint) const;
  // Stores the six planes of the viewport widened by margin pixels on every
  // side. A camera that cannot unproject keeps no frustum: every body is then
  // outside it.
  void calcFrustumPlanes(float margin);
  bool isBodyInFrustum(const collision::CollisionBody& body) const;
  // The same test against planes built now from the viewport (margin 0).
  bool isBodyInViewport(const collision::CollisionBody& body) const;
  // Orbits the eye around the target by the roll-pitch-yaw rotation of the
  // three angles (radians) and recomputes the matrices.
  void rotateEuler(float pitch, float yaw, float roll);

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
  ShadowLight* shadow_light_ = nullptr;
  std::map<int, ShaderInfoObject*> shader_infos_;
  math::Matrix spot_light_projection_ = math::matrixIdentity();
  float sound_distance_factor_ = 1.0f;
  float sound_rolloff_factor_ = 1.0f;
  float sound_zoom_param_ = 0.0f;
  int fog_vertex_mode_ = 0;
  int fog_table_mode_ = 3;
  bool flare_valid_ = false;
  LenseFlare* lens_flare_ = nullptr;
  math::Vector4 frustum_[6] = {};
  bool frustum_valid_ = false;
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
  // The camera whose number is the lowest set bit among bits 0 to 15 of the
  // mask; null when none of those bits is set or that camera does not exist.
  Camera* getCameraByMask(std::uint32_t mask) const;
  // Takes a camera out of the map (its last release).
  void removeCamera(Camera* camera);

 private:
  std::map<int, Camera*> cameras_;
};

}  // namespace rk::gfx
