#include "gfx/rk_gmodel.h"

#include <set>

#include "col/rk_collision_body.h"
#include "gfx/rk_camera.h"
#include "gfx/rk_model.h"
#include "gfx/rk_model_draw_info.h"
#include "gfx/rk_model_holder.h"
#include "kernel/rk_error_log.h"
#include "rigidbody/rk_rigidbody.h"
#include "rigidbody/rk_rigidbody_manager.h"

namespace rk::gfx {

namespace {
const char kSource[] = "src/gfx/rk_gmodel";

// A frame name as the lookups take it: an empty name is no name.
const char* frameName(const std::string& name) { return name.empty() ? nullptr : name.c_str(); }
}  // namespace

GModel::GModel() { draw_infos_.push_back(new ModelDrawInfo); }

namespace {
// Every model that drives a shape; a shape's destructor clears them.
std::set<GModel*>& revSyncModels() {
  static std::set<GModel*> models;
  return models;
}
}  // namespace

GModel::~GModel() {
  forgetModelEverywhere(this);
  revSyncModels().erase(this);
  // The manager this model was made for may be gone at shut-down: only the
  // live one is asked, and it forgets this model and its attachments.
  if (ModelManager* manager = ModelManager::findInstance()) {
    manager->removeModel(this);
    for (GModel* other : manager->models())
      if (other->parent_ == this) other->parent_ = nullptr;
  }
  if (rigidbody::RigidBodyManager* bodies = rigidbody::RigidBodyManager::findInstance())
    for (rigidbody::RigidBody* body : bodies->bodies())
      if (body->getModel() == this) body->setModel(nullptr);
  while (!draw_infos_.empty()) {
    delete draw_infos_.back();
    draw_infos_.pop_back();
  }
  shared_.reset();
}

bool GModel::getFrameMatrix(math::Matrix& out, const char*) {
  out = math::matrixIdentity();
  return true;
}

bool GModel::calcFrameMtx(math::Matrix& out, const char* frame) {
  static const char kName[] = "rk::gfx::GModel::calcFrameMtx";
  math::Matrix m;
  // Found only when every lookup on the way found its frame: a missing frame
  // of this model is not made good by its parents' frames.
  bool found = getFrameMatrix(m, frame) || !frame || !*frame;
  if (!found) debug::writeErrorLog(kSource, __LINE__, kName);
  m = math::matrixMultiply(m, getMatrix());
  const GModel* child = this;
  for (GModel* parent = parent_; parent; parent = parent->parent_) {  // attach refuses loops
    m = math::matrixMultiply(m, child->attach_offset_);
    math::Matrix f;
    const char* name = frameName(child->attach_frame_);
    if (!parent->getFrameMatrix(f, name) && name) {
      debug::writeErrorLog(kSource, __LINE__, kName);
      found = false;
    }
    m = math::matrixMultiply(m, math::matrixMultiply(f, parent->getMatrix()));
    child = parent;
  }
  out = m;
  return found;
}

ModelDrawInfo* GModel::getModelDrawInfo(int) { return draw_infos_.empty() ? nullptr : draw_infos_.back(); }

void GModel::pushModelDrawInfo(int) {
  draw_infos_.push_back(static_cast<ModelDrawInfo*>(draw_infos_.back()->clone()));
}

void GModel::popModelDrawInfo(int) {
  if (draw_infos_.size() <= 1) {
    debug::writeErrorLog(kSource, __LINE__, "rk::gfx::GModel::popModelDrawInfo");
    return;
  }
  delete draw_infos_.back();
  draw_infos_.pop_back();
}

void GModel::revSync() {
  if (!rev_sync_target_) return;
  CameraManager* cameras = CameraManager::getInstance();
  if (!cameras) return;
  Camera* a = cameras->getCameraByMask(static_cast<std::uint32_t>(render_camera_bits_));
  Camera* b = cameras->getCamera(rev_sync_camera_);
  if (!a || !b) return;
  buildMatrix();
  rev_sync_target_->setFromMatrix(math::matrixBetweenCameras(*a, *b, getMatrix()));
}

void GModel::setRenderPriority(int priority) {
  const bool listed = manager_ && ModelManager::findInstance() == manager_ && manager_->removeModel(this);
  render_priority_ = priority;
  if (listed) manager_->addModel(this);
}

void GModel::forgetRevSyncTarget(const collision::CollisionBody* target) {
  std::set<GModel*>& models = revSyncModels();
  for (auto it = models.begin(); it != models.end();) {
    if ((*it)->rev_sync_target_ == target) {
      (*it)->rev_sync_target_ = nullptr;
      it = models.erase(it);
    } else {
      ++it;
    }
  }
}

void GModel::setRevSync(collision::CollisionBody* target, int cameraNumber) {
  if (target)
    revSyncModels().insert(this);
  else
    revSyncModels().erase(this);
  rev_sync_target_ = target;
  rev_sync_camera_ = cameraNumber;
  revSync();
}

void GModel::attach(GModel* parent, const char* frame, const math::Matrix& offset) {
  // A model never hangs on itself or on one of its own descendants.
  for (GModel* p = parent; p; p = p->parent_)
    if (p == this) {
      debug::writeErrorLog(kSource, __LINE__, "rk::gfx::GModel::attach");
      return;
    }
  parent_ = parent;
  attach_frame_ = frame ? frame : "";
  attach_offset_ = offset;
}

}  // namespace rk::gfx
