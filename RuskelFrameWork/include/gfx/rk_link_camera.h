// Link cameras: a task at priority 141 (after the movers) that copies one
// camera's view settings onto other cameras every frame, so several camera
// numbers look through the same lens. Neither the source nor the link objects
// are owned; a camera that is deleted is forgotten by every link, and a link
// object that is deleted leaves every link camera's list.
#pragma once
#include <memory>
#include <vector>

#include "task/rk_task.h"

namespace rk::gfx {

class Camera;

class LinkCameraObject {
 public:
  explicit LinkCameraObject(Camera* target = nullptr);
  virtual ~LinkCameraObject();
  LinkCameraObject(const LinkCameraObject&) = delete;
  LinkCameraObject& operator=(const LinkCameraObject&) = delete;

  // Copies target point, eye, up, both offsets, field of view and viewport
  // from the source; nothing without a target.
  virtual void link(Camera* source);

  // A camera is being deleted: a link object forgets every pointer to it.
  virtual void cameraGone(Camera* camera) {
    if (target_ == camera) target_ = nullptr;
  }
  Camera* target() const { return target_; }
  void setTarget(Camera* target) { target_ = target; }

 private:
  Camera* target_;
};

class LinkCamera : public task::Task {
 public:
  LinkCamera();
  ~LinkCamera() override;

  void setCamera(Camera* source);
  Camera* camera() const;
  // No duplicate check.
  void push(LinkCameraObject* object);
  // Removes the first entry of the object.
  void pop(LinkCameraObject* object);
  void run() { setActive(true); }
  void stop() { setActive(false); }
  const std::vector<LinkCameraObject*>& objects() const;

  // Its script object deletes it.
  bool isOwnedElsewhere() override { return true; }
  int initStep(float) override { return 0; }
  void update(float dt) override;

  // A camera's destructor: every link forgets it.
  static void forgetCamera(Camera* camera);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace rk::gfx
