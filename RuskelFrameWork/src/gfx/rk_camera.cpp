#include "gfx/rk_camera.h"

#include "gfx/rk_camera_move.h"
#include "gfx/rk_link_camera.h"

#include "../math/rk_xmath_bridge.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_instance_table.h"

namespace rk::gfx {

namespace {
const SingletonReport kReport{"src/gfx/rk_camera", "rk::gfx::CameraManager", 2343, 2352, 2361};
}

CameraStudioInfo::CameraStudioInfo() { stack_.push_back(new StudioInfo); }

CameraStudioInfo::~CameraStudioInfo() {
  for (StudioInfo* info : stack_) delete info;
}

Camera::Camera()
    : move_sec_at_(new CameraMoveSecAt(this)),
      move_sec_eye_(new CameraMoveSecEye(this)),
      move_spring_at_(new CameraMoveSpringAt(this)),
      move_spring_eye_(new CameraMoveSpringEye(this)) {}

Camera::~Camera() {
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

void CameraManager::removeCamera(Camera* camera) {
  auto it = cameras_.find(camera->number());
  if (it != cameras_.end() && it->second == camera) cameras_.erase(it);
}

}  // namespace rk::gfx
