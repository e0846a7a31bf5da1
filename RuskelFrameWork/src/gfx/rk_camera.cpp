#include "gfx/rk_camera.h"

#include <cmath>

#include "col/rk_collision_body.h"
#include "col/rk_collision_plane.h"
#include "col/rk_intersection.h"
#include "gfx/rk_camera_move.h"
#include "gfx/rk_link_camera.h"

#include "../math/rk_xmath_bridge.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"
#include "math/rk_plane.h"

namespace rk::gfx {

namespace {
const char kSource[] = "src/gfx/rk_camera";
const SingletonReport kReport{"src/gfx/rk_camera", "rk::gfx::CameraManager", 2343, 2352, 2361};

namespace x = host::xmath;
using math::bridge::fromX;
using math::bridge::toX;

// The view, projection and viewport transforms the projection operations use,
// or false when one of them cannot be inverted (or divides by zero itself).
struct ScreenTransforms {
  math::Matrix view, projection, viewport;
};

bool finite(const math::Matrix& m) {
  for (const auto& row : m.m)
    for (float v : row)
      if (!std::isfinite(v)) return false;
  return true;
}

bool invertible(const math::Matrix& m) {
  float determinant = 0.0f;
  x::matrixInverse(toX(m), &determinant);
  return std::isfinite(determinant) && determinant != 0.0f;
}

// v * M divided by its own w; false when w is zero or the result not finite.
bool transformCoord(const math::Vector4& v, const math::Matrix& m, math::Vector4& out) {
  const float in[4] = {v.x, v.y, v.z, 1.0f};
  float r[4];
  for (int c = 0; c < 4; ++c) r[c] = in[0] * m.m[0][c] + in[1] * m.m[1][c] + in[2] * m.m[2][c] + in[3] * m.m[3][c];
  if (r[3] == 0.0f || !std::isfinite(r[3])) return false;
  out = {r[0] / r[3], r[1] / r[3], r[2] / r[3], 1.0f};
  return std::isfinite(out.x) && std::isfinite(out.y) && std::isfinite(out.z);
}

}  // namespace

CameraStudioInfo::CameraStudioInfo() { stack_.push_back(new StudioInfo); }

CameraStudioInfo::~CameraStudioInfo() {
  for (StudioInfo* info : stack_) delete info;
}

CameraStudioInfo* CameraStudioInfo::clone() const {
  auto* copy = new CameraStudioInfo;
  for (StudioInfo* info : copy->stack_) delete info;
  copy->stack_.clear();
  for (const StudioInfo* info : stack_) copy->stack_.push_back(new StudioInfo(*info));
  return copy;
}

void CameraStudioInfo::push() { stack_.push_back(new StudioInfo(*stack_.back())); }

void CameraStudioInfo::pop() {
  if (stack_.size() <= 1) {
    debug::writeErrorLog(kSource, __LINE__, "rk::gfx::CameraStudioInfo::pop");
    return;
  }
  delete stack_.back();
  stack_.pop_back();
}

Camera::Camera()
    : move_sec_at_(new CameraMoveSecAt(this)),
      move_sec_eye_(new CameraMoveSecEye(this)),
      move_spring_at_(new CameraMoveSpringAt(this)),
      move_spring_eye_(new CameraMoveSpringEye(this)),
      shadow_light_(new ShadowLight),
      lens_flare_(new LenseFlare) {
  auto* spot = new ShaderInfoSpotLight;
  spot_light_projection_ = math::matrixPerspectiveFovLH(1.5707964f, 1.0f, 0.001f, 1.0f);
  spot->parameter().angle = 0.7853982f;
  shader_infos_[0] = spot;
}

Camera::~Camera() {
  for (auto& entry : shader_infos_) delete entry.second;
  shader_infos_.clear();
  delete lens_flare_;
  delete shadow_light_;
  // The movers' task parts leave the task manager (safely during its pass).
  delete move_sec_at_;
  delete move_sec_eye_;
  delete move_spring_at_;
  delete move_spring_eye_;
  LinkCamera::forgetCamera(this);
}

void Camera::moveToAt(const math::Vector4& goal, float seconds) {
  move_sec_at_->set(at_, goal, seconds);
  move_sec_at_->setActive(true);
}

void Camera::moveToEye(const math::Vector4& goal, float seconds) {
  move_sec_eye_->set(eye_, goal, seconds);
  move_sec_eye_->setActive(true);
}

void Camera::trackingAt(const math::Vector4& point, float rate) {
  spring_at_rate_ = rate;
  move_spring_at_->set(point, rate);
  move_spring_at_->setActive(true);
}

void Camera::trackingEye(const math::Vector4& point, float rate) {
  spring_eye_rate_ = rate;
  move_spring_eye_->set(point, rate);
  move_spring_eye_->setActive(true);
}

void Camera::stopTrackingAt() { move_spring_at_->setActive(false); }
void Camera::stopTrackingEye() { move_spring_eye_->setActive(false); }
void Camera::runTrackingAt() { move_spring_at_->setActive(true); }
void Camera::runTrackingEye() { move_spring_eye_->setActive(true); }

void Camera::init(int number) {
  number_ = number;
  bit_ = 1u << (static_cast<unsigned>(number) % 32u);
  const DeviceContext* context = DeviceContext::getInstance();
  viewport_ = {0, 0, context->screenWidth(), context->screenHeight(), 0.0f, 1.0f};
  valid_ = false;
  updateMatrices();
}

ShaderInfoSpotLight* Camera::spotLightInfo() const {
  auto it = shader_infos_.find(0);
  return it == shader_infos_.end() ? nullptr : dynamic_cast<ShaderInfoSpotLight*>(it->second);
}

void Camera::destroy() {
  if (CameraManager* manager = CameraManager::findInstance()) manager->removeCamera(this);
}

void Camera::updateMatrices() {
  if (valid_) return;
  namespace x = host::xmath;
  projection_ = math::matrixPerspectiveFovLH(fovy_, aspect_, near_, far_);
  if (camera_mode_ == 0) {
    const math::Vector4 eye{eye_.x + eye_offset_.x, eye_.y + eye_offset_.y, eye_.z + eye_offset_.z, 0.0f};
    const math::Vector4 at{at_.x + at_offset_.x, at_.y + at_offset_.y, at_.z + at_offset_.z, 0.0f};
    view_ = math::bridge::fromX(
        x::matrixLookToLH(math::bridge::toX(eye), math::bridge::toX(at.minus(eye)), math::bridge::toX(up_)));
    view_.m[3][0] += view_shift_.x;
    view_.m[3][1] += view_shift_.y;
    view_.m[3][2] += view_shift_.z;
  }
  inverse_view_ = math::matrixInverse(view_);
  valid_ = true;
}

namespace {

// The plain view (eye, target, up), projection and viewport of a camera, or
// false for a camera whose transforms cannot be inverted.
bool screenTransforms(const math::Vector4& eye, const math::Vector4& at, const math::Vector4& up, float fovy,
                      float aspect, float nearClip, float farClip, const math::Viewport& viewport,
                      ScreenTransforms& out) {
  if (viewport.width < 2 || viewport.height < 2) return false;  // half sizes of 0
  if (nearClip == farClip || aspect == 0.0f || std::sin(fovy * 0.5f) == 0.0f) return false;
  const math::Vector4 direction = at.minus(eye);
  if (math::vec3LengthSq(direction) == 0.0f || math::vec3LengthSq(math::vec3Cross(up, direction)) == 0.0f)
    return false;
  out.view = fromX(x::matrixLookToLH(toX(eye), toX(direction), toX(up)));
  out.projection = math::matrixPerspectiveFovLH(fovy, aspect, nearClip, farClip);
  out.viewport = math::matrixViewport(viewport);
  return finite(out.view) && finite(out.projection) && invertible(out.view) && invertible(out.projection) &&
         invertible(out.viewport);
}

}  // namespace

bool Camera::projectToScreen(const math::Vector4& point, math::Vector4& out) const {
  ScreenTransforms t;
  if (!screenTransforms(eye_, at_, up_, fovy_, aspect_, near_, far_, viewport_, t)) return false;
  const math::Matrix m = math::matrixMultiply(math::matrixMultiply(t.view, t.projection), t.viewport);
  return transformCoord(point, m, out);
}

bool Camera::unprojectScreenPoint(float sx, float sy, math::Vector4& nearPoint, math::Vector4& farPoint) const {
  ScreenTransforms t;
  if (!screenTransforms(eye_, at_, up_, fovy_, aspect_, near_, far_, viewport_, t)) return false;
  const math::Matrix m = math::matrixMultiply(
      math::matrixMultiply(math::matrixInverse(t.viewport), math::matrixInverse(t.projection)),
      math::matrixInverse(t.view));
  math::Vector4 n, f;
  if (!transformCoord({sx, sy, viewport_.minDepth, 1.0f}, m, n) ||
      !transformCoord({sx, sy, viewport_.maxDepth, 1.0f}, m, f))
    return false;
  nearPoint = n;
  farPoint = f;
  return true;
}

namespace {

// The six planes (near, far, left, right, top, bottom) of a viewport widened
// by margin pixels, through the camera's unprojection.
bool buildFrustum(const Camera& camera, float margin, math::Vector4 planes[6]) {
  const math::Viewport& v = camera.viewport();
  const float left = static_cast<float>(v.x) - margin;
  const float top = static_cast<float>(v.y) - margin;
  const float right = static_cast<float>(v.x) + static_cast<float>(v.width) + margin;
  const float bottom = static_cast<float>(v.y) + static_cast<float>(v.height) + margin;
  const float corners[4][2] = {{left, top}, {right, top}, {left, bottom}, {right, bottom}};
  math::Vector4 n[4], f[4];
  for (int i = 0; i < 4; ++i)
    if (!camera.unprojectScreenPoint(corners[i][0], corners[i][1], n[i], f[i])) return false;
  planes[0] = math::planeFromPoints(n[0], n[2], n[1]);
  planes[1] = math::planeFromPoints(f[0], f[1], f[2]);
  planes[2] = math::planeFromPoints(n[0], f[0], f[2]);
  planes[3] = math::planeFromPoints(n[1], f[3], f[1]);
  planes[4] = math::planeFromPoints(n[0], n[1], f[1]);
  planes[5] = math::planeFromPoints(n[2], f[2], f[3]);
  return true;
}

// False when the body lies wholly behind one of the planes.
bool bodyInPlanes(const collision::CollisionBody& body, const math::Vector4 planes[6]) {
  for (int i = 0; i < 6; ++i) {
    const collision::Plane plane(planes[i].x, planes[i].y, planes[i].z, planes[i].w);
    math::Vector4 normal, points[collision::kMaxPlanePoints], projections[collision::kMaxPlanePoints];
    const int count = collision::checkBodyPlane(normal, points, projections, body, plane);
    if (count == 0) continue;
    float lo = 0.0f, hi = 0.0f;
    body.getInterval(lo, hi, normal);
    const float extent = std::fabs(hi - lo);
    int outside = 0;
    for (int k = 0; k < count; ++k)
      if (math::vec3Dot(projections[k].minus(points[k]), normal) > extent) ++outside;
    if (outside == count) return false;
  }
  return true;
}

}  // namespace

void Camera::calcFrustumPlanes(float margin) { frustum_valid_ = buildFrustum(*this, margin, frustum_); }

bool Camera::isBodyInFrustum(const collision::CollisionBody& body) const {
  return frustum_valid_ && bodyInPlanes(body, frustum_);
}

bool Camera::isBodyInViewport(const collision::CollisionBody& body) const {
  math::Vector4 planes[6];
  return buildFrustum(*this, 0.0f, planes) && bodyInPlanes(body, planes);
}

void Camera::rotateEuler(float pitch, float yaw, float roll) {
  x::Vector q = x::quaternionRotationRollPitchYaw(pitch, yaw, roll);
  if (x::vector4Dot(q, q) > 0.0f) q = x::quaternionNormalize(q);
  const math::Matrix r = fromX(x::matrixRotationQuaternion(q));
  const math::Vector4 offset = eye_.minus(at_);
  math::Vector4 turned{};
  turned.x = offset.x * r.m[0][0] + offset.y * r.m[1][0] + offset.z * r.m[2][0];
  turned.y = offset.x * r.m[0][1] + offset.y * r.m[1][1] + offset.z * r.m[2][1];
  turned.z = offset.x * r.m[0][2] + offset.y * r.m[1][2] + offset.z * r.m[2][2];
  eye_ = at_.plus(turned);
  valid_ = false;
  updateMatrices();
}

CameraManager* CameraManager::createInstance() {
  return singletonCreate<CameraManager>(InstanceSlot::CameraManager, kReport);
}
CameraManager* CameraManager::getInstance() {
  return singletonGet<CameraManager>(InstanceSlot::CameraManager, kReport);
}
void CameraManager::destroyInstance() { singletonDestroy<CameraManager>(InstanceSlot::CameraManager, kReport); }
CameraManager* CameraManager::findInstance() {
  return static_cast<CameraManager*>(instanceSlot(InstanceSlot::CameraManager));
}

CameraManager::~CameraManager() {
  std::map<int, Camera*> cameras;
  cameras.swap(cameras_);
  for (auto& entry : cameras) delete entry.second;
}

Camera* CameraManager::createCamera(int number) {
  if (Camera* camera = getCamera(number)) return camera;
  auto* camera = new Camera;
  camera->init(number);
  cameras_[number] = camera;
  return camera;
}

Camera* CameraManager::getCamera(int number) const {
  auto it = cameras_.find(number);
  return it == cameras_.end() ? nullptr : it->second;
}

Camera* CameraManager::getCameraByMask(std::uint32_t mask) const {
  for (int bit = 0; bit < 16; ++bit)
    if (mask & (1u << bit)) return getCamera(bit);
  return nullptr;
}

void CameraManager::removeCamera(Camera* camera) {
  auto it = cameras_.find(camera->number());
  if (it != cameras_.end() && it->second == camera) cameras_.erase(it);
}

}  // namespace rk::gfx
