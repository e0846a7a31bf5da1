// The base of everything the model manager draws per camera: a placed object
// (its transformation) with animation control, an animation command queue, a
// per-frame sync hook and the reverse sync that hands a shape the model's
// placement as one camera shows it, carried into another camera's space. It
// carries the drawing switches (visible, the cameras that draw it, its draw
// priority), a stack of lighting settings and the attachment to a frame of
// another model. Main thread only.
#pragma once
#include <cstdint>
#include <deque>
#include <string>

#include "gfx/rk_animation_controller_interface.h"
#include "math/rk_matrix.h"
#include "math/rk_transformation.h"
#include "policy/rk_policy.h"
#include "policy/rk_shared_object.h"

namespace rk::collision {
class CollisionBody;
}

namespace rk::gfx {

class ModelDrawInfo;
class ModelManager;

// Commands queued for a model's animation, run from the front each frame.
class IAnimationQueueControl {
 public:
  virtual ~IAnimationQueueControl() = default;
  virtual bool isRunAnimQueue() = 0;
  virtual void clearAnimQueue() = 0;
  virtual void pushAnimQueueEndOfWait() = 0;
  virtual void pushAnimQueuePlay(int value) = 0;
  virtual void pushAnimQueueChange(int take) = 0;
  virtual void pushAnimQueueShift(int take, float blendSeconds) = 0;
  virtual void pushAnimQueueWait(float seconds) = 0;
  virtual void pushAnimQueueLoop(bool loop) = 0;
  virtual void pushAnimQueueSoundEffect(const char* sound, const char* frame, float volume, const math::Matrix& offset,
                                        bool flag) = 0;
  virtual void updateAnimQueue(float seconds) = 0;
};

// Hands the rev-sync target the model's placement between two cameras.
class IRevSyncRigidBody {
 public:
  virtual ~IRevSyncRigidBody() = default;
  virtual void revSync() = 0;
};

class GModel : public IAnimationControllerInterface,
               public math::Transformation,
               public policy::ISync,
               public IAnimationQueueControl,
               public IRevSyncRigidBody {
 public:
  // Invisible, drawn by camera 0, priority 0, one default draw information.
  GModel();
  // Leaves its manager's draw order, every body that drives it and every model
  // attached to it; deletes its draw informations and releases its reference.
  ~GModel() override;
  GModel(const GModel&) = delete;
  GModel& operator=(const GModel&) = delete;

  // ---- animation control: the base has no animation
  void setLoopAnime(bool) override {}
  void setPlayAnime(int) override {}
  void changeAnime(int) override {}
  bool shiftAnime(int, float) override { return false; }
  void setStopAnime() override {}
  void setRestartAnime() override {}
  bool getAnimeID(int&, const char*) override { return false; }
  void updateAnime(float) override {}
  void applyPose() override {}
  bool isEndOfAnime() override { return false; }
  float getNowAnimeTime() override { return 0.0f; }
  void setNowAnimeTime(float) override {}
  float getMaxAnimeTime() override { return 1.0f; }
  int getAnimeTakeNum() override { return 0; }
  const char* getAnimeNameByNum(int) override { return nullptr; }

  // ---- drawing
  virtual bool isReady() { return true; }
  virtual void setVisible(bool visible) { visible_ = visible; }
  bool isVisible() const { return visible_; }
  virtual bool hasCullingBody() { return false; }
  // The body the camera tests in the model pass; null without one.
  virtual const collision::CollisionBody* getCullingBody() const { return nullptr; }
  virtual void preDraw(int, bool) {}
  virtual void draw(int arg, bool shadowPass) = 0;
  virtual void setShadowPlane(bool) {}
  virtual bool isShadowPlane() { return false; }
  virtual void setShadowPlaneOnly(bool) {}
  virtual bool isShadowPlaneOnly() { return false; }
  virtual bool isShadow() = 0;
  virtual bool isShadowCast() = 0;
  virtual void setShadowColor(std::uint32_t argb) = 0;
  virtual std::uint32_t getShadowColor() = 0;

  // ---- frames
  // The matrix of a named frame of this model; the base has one frame, the identity.
  virtual bool getFrameMatrix(math::Matrix& out, const char* frame);
  // The frame's matrix in the world, through this model and every parent it
  // hangs on; false when any frame lookup on the way failed (each failure is
  // reported).
  virtual bool calcFrameMtx(math::Matrix& out, const char* frame);
  virtual void getRootMatrix(math::Matrix& out) { out = getMatrix(); }
  virtual const char* getModelName() { return nullptr; }

  // ---- lighting settings: a stack whose top is the current one
  virtual ModelDrawInfo* getModelDrawInfo(int index);
  // Pushes a copy of the top, so changes after the push are undone by the pop.
  virtual void pushModelDrawInfo(int index);
  // Deletes the top; the last entry is kept (drawing reads the top) and the
  // refusal is reported.
  virtual void popModelDrawInfo(int index);
  std::size_t modelDrawInfoDepth() const { return draw_infos_.size(); }
  virtual void computeBoundingBox(math::Vector4*, math::Vector4*) {}

  // ---- per-frame hooks
  void sync() override {}
  bool isRunAnimQueue() override { return false; }
  void clearAnimQueue() override {}
  void pushAnimQueueEndOfWait() override {}
  void pushAnimQueuePlay(int) override {}
  void pushAnimQueueChange(int) override {}
  void pushAnimQueueShift(int, float) override {}
  void pushAnimQueueWait(float) override {}
  void pushAnimQueueLoop(bool) override {}
  void pushAnimQueueSoundEffect(const char*, const char*, float, const math::Matrix&, bool) override {}
  void updateAnimQueue(float) override {}
  // With a target: rebuilds the world matrix and gives the target the matrix
  // that carries it from the view of the lowest camera of the render bits into
  // the rev-sync camera's space. Nothing unless both cameras exist.
  void revSync() override;

  // ---- settings
  int getRenderPriority() const { return render_priority_; }
  // Takes the model out of its manager's order, stores the priority and puts
  // it back (only when it was listed).
  void setRenderPriority(int priority);
  int getRenderCameraBit() const { return render_camera_bits_; }
  void setRenderCameraBit(int bits) { render_camera_bits_ = bits; }
  ModelManager* getManager() const { return manager_; }
  void setManager(ModelManager* manager) { manager_ = manager; }
  // Stores the target and the camera number, then runs revSync once.
  void setRevSync(collision::CollisionBody* target, int cameraNumber);
  collision::CollisionBody* getRevSyncTarget() const { return rev_sync_target_; }
  // A shape that is going: every live model that drives it stops doing so.
  static void forgetRevSyncTarget(const collision::CollisionBody* target);
  int getRevSyncCameraNumber() const { return rev_sync_camera_; }
  // Hangs this model on a frame of the parent (null: detached), with an offset
  // placed between this model and the frame.
  void attach(GModel* parent, const char* frame, const math::Matrix& offset);
  GModel* getParent() const { return parent_; }
  const std::string& getAttachFrameName() const { return attach_frame_; }
  const math::Matrix& getAttachOffset() const { return attach_offset_; }
  // A counted reference the model keeps until it is destroyed.
  void setSharedReference(policy::SharedObject* object) { shared_.assign(object); }
  policy::SharedObject* getSharedReference() const { return shared_.get(); }

 private:
  int render_priority_ = 0;
  int render_camera_bits_ = 1;
  std::deque<ModelDrawInfo*> draw_infos_;
  policy::SharedObjectPtr shared_;
  ModelManager* manager_ = nullptr;
  bool visible_ = false;
  GModel* parent_ = nullptr;
  collision::CollisionBody* rev_sync_target_ = nullptr;
  int rev_sync_camera_ = 0;
  std::string attach_frame_;
  math::Matrix attach_offset_ = math::matrixIdentity();
};

}  // namespace rk::gfx
