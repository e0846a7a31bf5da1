#include "gfx/rk_link_camera.h"

#include <algorithm>

#include "gfx/rk_camera.h"

namespace rk::gfx {

namespace {
// Every live link camera and link object, so that deleted cameras and objects
// can be taken out of them (main thread only).
std::vector<LinkCamera*>& liveLinks() {
  static std::vector<LinkCamera*> links;
  return links;
}
std::vector<LinkCameraObject*>& liveObjects() {
  static std::vector<LinkCameraObject*> objects;
  return objects;
}
template <class T>
void eraseOne(std::vector<T*>& list, T* item) {
  auto it = std::find(list.begin(), list.end(), item);
  if (it != list.end()) list.erase(it);
}
}  // namespace

// ------------------------------------------------------- LinkCameraObject

LinkCameraObject::LinkCameraObject(Camera* target) : target_(target) { liveObjects().push_back(this); }

LinkCameraObject::~LinkCameraObject() {
  eraseOne(liveObjects(), this);
  for (LinkCamera* link : liveLinks())
    while (std::count(link->objects().begin(), link->objects().end(), this)) link->pop(this);
}

void LinkCameraObject::link(Camera* source) {
  if (!target_ || !source) return;
  Camera* t = target_;
  t->setAt(source->at());
  t->setEye(source->eye());
  t->setUp(source->up());
  t->setEyeOffset(source->eyeOffset());
  t->setAtOffset(source->atOffset());
  t->setFovy(source->fovy());
  t->setViewport(source->viewport());
  t->updateMatrices();
}

// ------------------------------------------------------------- LinkCamera

struct LinkCamera::Impl {
  Camera* source = nullptr;
  std::vector<LinkCameraObject*> objects;
  std::size_t cursor = 0;
  bool walking = false;
};

LinkCamera::LinkCamera() : Task(141, "Link Camera"), impl_(std::make_unique<Impl>()) { liveLinks().push_back(this); }

LinkCamera::~LinkCamera() { eraseOne(liveLinks(), this); }

void LinkCamera::setCamera(Camera* source) { impl_->source = source; }
Camera* LinkCamera::camera() const { return impl_->source; }
void LinkCamera::push(LinkCameraObject* object) { impl_->objects.push_back(object); }

void LinkCamera::pop(LinkCameraObject* object) {
  auto& list = impl_->objects;
  auto it = std::find(list.begin(), list.end(), object);
  if (it == list.end()) return;
  const std::size_t at = static_cast<std::size_t>(it - list.begin());
  list.erase(it);
  if (impl_->walking && at <= impl_->cursor) --impl_->cursor;  // unsigned wrap undone by the loop's ++
}

const std::vector<LinkCameraObject*>& LinkCamera::objects() const { return impl_->objects; }

void LinkCamera::update(float) {
  if (!impl_->source) return;  // never set, or its camera is gone
  impl_->walking = true;
  for (impl_->cursor = 0; impl_->cursor < impl_->objects.size(); ++impl_->cursor)
    impl_->objects[impl_->cursor]->link(impl_->source);
  impl_->walking = false;
}

void LinkCamera::forgetCamera(Camera* camera) {
  for (LinkCamera* link : liveLinks())
    if (link->impl_->source == camera) link->impl_->source = nullptr;
  for (LinkCameraObject* object : liveObjects()) object->cameraGone(camera);
}

}  // namespace rk::gfx
