#include "gfx/rk_model.h"

#include <algorithm>

#include "gfx/rk_camera.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_instance_table.h"
#include "rigidbody/rk_rigidbody.h"

namespace rk::gfx {

namespace {

const SingletonReport kReport{"src/gfx/rk_model", "rk::gfx::ModelManager", 1910, 1915, 1920};

// Rigid bodies place the model they drive at their world matrix after every
// step and hide it when they are finalized.
void placeModel(GModel* model, const math::Matrix& world) { model->setMatrix(world); }
void hideModel(GModel* model) { model->setVisible(false); }

}  // namespace

ModelManager* ModelManager::createInstance() {
  return singletonCreate<ModelManager>(InstanceSlot::ModelManager, kReport);
}
ModelManager* ModelManager::getInstance() { return singletonGet<ModelManager>(InstanceSlot::ModelManager, kReport); }
void ModelManager::destroyInstance() { singletonDestroy<ModelManager>(InstanceSlot::ModelManager, kReport); }
ModelManager* ModelManager::findInstance() {
  return static_cast<ModelManager*>(instanceSlot(InstanceSlot::ModelManager));
}

ModelManager::ModelManager() : Task(137, "ModelManager") {
  rigidbody::ModelDriver driver;
  driver.setMatrix = placeModel;
  driver.hide = hideModel;
  rigidbody::setModelDriver(driver);
}

ModelManager::~ModelManager() {
  // The task manager's final sweep may delete the manager before shut-down does.
  if (instanceSlot(InstanceSlot::ModelManager) == this) instanceSlot(InstanceSlot::ModelManager) = nullptr;
  rigidbody::setModelDriver({});
  for (auto& entry : order_)
    if (entry.second->getManager() == this) entry.second->setManager(nullptr);
  order_.clear();
}

Model* ModelManager::createModel() {
  auto* model = new Model;
  model->setManager(this);
  addModel(model);
  return model;
}

void ModelManager::addModel(GModel* model) {
  if (!model || contains(model)) return;
  order_.emplace(model->getRenderPriority(), model);  // after the equal keys
  removed_.erase(model);
}

bool ModelManager::removeModel(GModel* model) {
  auto range = order_.equal_range(model->getRenderPriority());
  auto it = std::find_if(range.first, range.second, [model](const auto& entry) { return entry.second == model; });
  if (it == range.second) {
    // Listed under another priority (changed behind the manager's back).
    it = std::find_if(order_.begin(), order_.end(), [model](const auto& entry) { return entry.second == model; });
    if (it == order_.end()) return false;
  }
  order_.erase(it);
  if (passes_ > 0) removed_.insert(model);
  return true;
}

bool ModelManager::contains(const GModel* model) const {
  return std::any_of(order_.begin(), order_.end(), [model](const auto& entry) { return entry.second == model; });
}

std::vector<GModel*> ModelManager::models() const {
  std::vector<GModel*> out;
  out.reserve(order_.size());
  for (const auto& entry : order_) out.push_back(entry.second);
  return out;
}

void ModelManager::deleteModels() {
  while (!order_.empty()) {
    GModel* model = order_.begin()->second;
    order_.erase(order_.begin());
    delete model;
  }
}

template <class Step>
void ModelManager::forEachModel(Step step) {
  const std::vector<GModel*> snapshot = models();
  ++passes_;
  for (GModel* model : snapshot)
    if (!removed_.count(model)) step(model);
  if (--passes_ == 0) removed_.clear();
}

int ModelManager::initStep(float) {
  setAlive(true);
  setActive(true);
  return 0;
}

void ModelManager::update(float dt) {
  if (paused_) return;
  forEachModel([dt](GModel* model) {
    if (!model->isReady()) return;
    model->buildMatrix();
    model->updateAnimQueue(dt);
    model->updateAnime(dt);
    model->applyPose();
    model->revSync();
  });
}

void ModelManager::sync() {
  forEachModel([](GModel* model) {
    if (model->isReady()) model->sync();
  });
}

void ModelManager::buildMatrices() {
  forEachModel([](GModel* model) { model->buildMatrix(); });
}

void ModelManager::drawForCamera(Camera& camera) {
  camera.calcFrustumPlanes(0.0f);
  const std::uint32_t bit = camera.bit();
  const auto drawnBy = [bit](GModel* model) { return (static_cast<std::uint32_t>(model->getRenderCameraBit()) & bit) != 0; };
  forEachModel([&](GModel* model) {
    if (model->isShadowPlaneOnly() || !drawnBy(model)) return;
    if (!model->hasCullingBody()) {
      model->preDraw(0, false);
      model->draw(0, false);
      return;
    }
    const collision::CollisionBody* body = model->getCullingBody();
    if (body && camera.isBodyInFrustum(*body)) model->draw(0, false);
  });
  forEachModel([&](GModel* model) {
    if ((model->isShadowPlaneOnly() || model->isShadowPlane()) && drawnBy(model)) model->draw(0, true);
  });
}

ModelSyncTask::ModelSyncTask() : Task(138, "ModelSyncTask") {
  setActive(true);
  setAlive(true);
}

void ModelSyncTask::update(float) {
  if (ModelManager* manager = ModelManager::getInstance()) manager->sync();
}

void SphereModel::draw(int, bool shadowPass) {
  if (shadowPass) return;
  DeviceContext* context = DeviceContext::getInstance();
  context->setWorldMatrix(getMatrix());
  context->drawSphereGizmo(radius_, math::matrixIdentity());
}

}  // namespace rk::gfx
