// The model manager owns the draw order of every scene model: sorted by render
// priority (equal priorities in the order they were added), advanced every
// frame as a task (priority 137), synchronised by the model sync task
// (priority 138) after the physics and the scripts, and drawn for each camera
// in two passes with frustum culling. Also the sphere model, the simplest kind.
#pragma once
#include <map>
#include <set>
#include <vector>

#include "gfx/rk_gmodel.h"
#include "policy/rk_policy.h"
#include "task/rk_task.h"

namespace rk::gfx {

class Camera;
class GfxModel;
class Model;

class ModelManager : public task::Task, public policy::ISync {
 public:
  static ModelManager* createInstance();
  static ModelManager* getInstance();
  static void destroyInstance();
  // The manager or null, without a report.
  static ModelManager* findInstance();

  // Installs the way rigid bodies place and hide the models they drive.
  ModelManager();
  // Frees the draw order without deleting the models (their owners do).
  ~ModelManager() override;
  ModelManager(const ModelManager&) = delete;
  ModelManager& operator=(const ModelManager&) = delete;

  // Inserts the model after the models of its priority (once: a listed model
  // is not listed twice).
  void addModel(GModel* model);
  // Takes the model out of the draw order; false when it was not listed.
  bool removeModel(GModel* model);
  bool contains(const GModel* model) const;
  // A new gfx model with its defaults, this manager's, in the draw order; its
  // owner deletes it.
  GfxModel* createGfxModel();
  // The models in draw order.
  std::vector<GModel*> models() const;
  // Deletes every model still listed (shut-down).
  void deleteModels();

  bool isPause() const { return paused_; }
  void setPause(bool pause) { paused_ = pause; }

  int initStep(float) override;
  // Every ready model in draw order: rebuild the world matrix, the animation
  // queue, the animation, the pose, the reverse sync.
  void update(float dt) override;
  // Every ready model's own sync, in draw order.
  void sync() override;
  // The model pass of one camera: the normal pass with culling, then the
  // shadow pass of the models that cast plane shadows.
  void drawForCamera(Camera& camera);
  // Every listed model's world matrix, before the camera passes.
  void buildMatrices();

 private:
  // Runs `step` on a snapshot of the order; models removed meanwhile are skipped.
  template <class Step>
  void forEachModel(Step step);

  std::multimap<int, GModel*> order_;
  bool paused_ = false;
  int passes_ = 0;                     // nested walks over the order
  std::set<const GModel*> removed_;    // taken out during a walk
};

// Runs the model manager's sync once a frame (priority 138).
class ModelSyncTask : public task::Task {
 public:
  ModelSyncTask();
  int initStep(float) override { return 0; }
  void update(float dt) override;
};

// A plain sphere marker of a radius around the model's origin.
class SphereModel : public GModel {
 public:
  float getRadius() const { return radius_; }
  void setRadius(float radius) { radius_ = radius; }

  // The three-circle sphere marker around the model's origin, normal pass only.
  void draw(int arg, bool shadowPass) override;
  bool isShadow() override { return false; }
  bool isShadowCast() override { return false; }
  void setShadowColor(std::uint32_t) override {}
  std::uint32_t getShadowColor() override { return 0; }

 private:
  float radius_ = 1.0f;
};

}  // namespace rk::gfx
