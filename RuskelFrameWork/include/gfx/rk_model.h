// The model manager owns the draw order of every scene model: sorted by render
// priority (equal priorities in the order they were added), advanced every
// frame as a task (priority 137), synchronised by the model sync task
// (priority 138) after the physics and the scripts, and drawn for each camera
// in two passes with frustum culling. Also the sphere model, the simplest kind.
#pragma once
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "gfx/rk_gmodel.h"
#include "policy/rk_policy.h"
#include "res/rk_resource.h"
#include "script/rk_lua_object.h"
#include "task/rk_task.h"

namespace rk::collision {
class OBB;
}

namespace rk::driver::directx {
class DxModelRoot12;
}

namespace rk::effect {
class EffectHandle;
}

namespace rk::gfx {

class Camera;
class Material;
class GfxModel;

// A scene model that shows a model file through its model root. On top of the
// root it keeps a script-fed animation command queue, a culling box for the
// frustum test, the shadow flags and a stop switch that freezes the
// animation clock. The model owns its root.
class Model : public GModel {
 public:
  // One queued animation command.
  struct AnimQueueCommand {
    enum Kind : int { kWaitStart = 0, kWaitStep = 1, kEndOfAnime = 2, kChange = 3, kShift = 4, kPlay = 5, kLoop = 6,
                      kSoundEffect = 7 };
    int kind = kWaitStart;
    int take = 0;
    std::uint8_t play = 0;
    std::uint8_t loop = 0;
    std::uint8_t flag = 1;
    float blend = 0.25f;
    float wait = 0.0f;
    float volume = 0.0f;  // of the sound-effect request
    math::Matrix offset = math::matrixIdentity();
    std::string sound;  // at most 1023 characters
    std::string frame;  // at most 1023 characters; empty: none
  };

  // An effect playing on a frame of the model.
  struct FrameEffect {
    std::string frame;
    int hash = 0;  // the frame name's resource key
    effect::EffectHandle* handle = nullptr;  // one reference held
    std::uint8_t loop = 0;
    int sound_player = -1;  // the 3D sound started with it, or -1
    std::uint8_t flag = 0;
    math::Matrix offset = math::matrixIdentity();  // placed before the frame's matrix
  };
  // An effect waiting until no effect plays on its frame.
  struct QueuedFrameEffect {
    int unit = 0;
    std::string frame, effect, sound;
    float loop = 0.0f;  // not 0: the effect loops
    math::Matrix offset = math::matrixIdentity();
    std::uint8_t flag = 0;
    float volume = 0.0f;  // of the sound started with the effect
  };

  Model();
  // Hides the root and the frame effects, releases them, empties the queue
  // and deletes the culling box and the root.
  ~Model() override;

  // ---- frame effects (they need the effect system)
  // Plays the effect of the unit of that camera number on the frame, with an
  // optional one-shot 3D sound at the frame; false (reported) when the frame
  // or the unit is missing.
  bool attachFrameEffect(int unit, const char* frame, const char* effect, const char* sound,
                         const math::Matrix& offset, bool loop, float volume, std::uint8_t flag);
  // Plays a handle's effect on the frame; the attachment holds one more
  // reference to the handle. False when the frame is missing.
  bool playFrameEffect(const char* frame, effect::EffectHandle* handle, const math::Matrix& offset, bool loop,
                       int soundPlayer, std::uint8_t flag);
  // The handle of the first effect attached to that frame, or null.
  effect::EffectHandle* findFrameEffect(const char* frame) const;
  // Releases the first effect attached to that frame.
  void detachFrameEffect(const char* frame);
  // Queues the effect for its frame: it starts when no effect plays there.
  bool attachFrameQueueEffect(int unit, const char* frame, const char* effect, const char* sound,
                              const math::Matrix& offset, float loop, std::uint8_t flag, float volume);
  // Releases every attached effect.
  void detachFrameEffects();
  bool isAliveEffectQueue(const char* frame) const;
  const std::vector<FrameEffect>& frameEffects() const { return frame_effects_; }

  // ---- animation: the root's, nothing without one
  void setLoopAnime(bool loop) override;
  void setPlayAnime(int value) override;
  void changeAnime(int take) override;
  bool shiftAnime(int take, float blendSeconds) override;
  void setStopAnime() override { stopped_ = true; }
  void setRestartAnime() override { stopped_ = false; }
  bool isStopAnime() const { return stopped_; }
  bool getAnimeID(int& take, const char* name) override;
  // Rebuilds the world matrix, gives the root its base offset and advances the
  // root's animation (by 0 while stopped).
  void updateAnime(float seconds) override;
  void applyPose() override;
  bool isEndOfAnime() override;
  float getNowAnimeTime() override;
  void setNowAnimeTime(float time) override;
  float getMaxAnimeTime() override;
  int getAnimeTakeNum() override;
  const char* getAnimeNameByNum(int index) override;
  bool isLoopAnime();

  // ---- drawing
  bool isReady() override;
  void setVisible(bool visible) override;
  bool hasCullingBody() override { return culling_body_ != nullptr; }
  const collision::CollisionBody* getCullingBody() const override;
  // Nothing unless ready and visible; else the root drawn at the world matrix
  // (hung on the parent's frame when attached) through the frame's draw context.
  void draw(int arg, bool shadowPass) override;
  void setShadowPlane(bool on) override { shadow_plane_ = on; }
  bool isShadowPlane() override { return shadow_plane_; }
  bool isShadow() override { return shadow_; }
  bool isShadowCast() override { return shadow_cast_; }
  void setShadow(bool on) { shadow_ = on; }
  void setShadowCast(bool on) { shadow_cast_ = on; }
  void setShadowColor(std::uint32_t argb) override;
  std::uint32_t getShadowColor() override;

  // ---- frames and lighting
  bool getFrameMatrix(math::Matrix& out, const char* frame) override;
  // The world matrix of the topmost model this one hangs on (its own when free).
  void getRootMatrix(math::Matrix& out) override;
  const char* getModelName() override;
  // Index 0: the model's own stack; other indices: the root's.
  ModelDrawInfo* getModelDrawInfo(int index) override;
  void pushModelDrawInfo(int index) override;
  void popModelDrawInfo(int index) override;
  // The material of the named frame of the loaded data, or for null the
  // model's own material; false (out untouched) after the error-log entries of
  // the root and the model when there is none.
  bool getFrameMaterial(Material*& out, const char* frame);
  // The point (w = 1) through `matrix` and the frame's world matrix, divided by
  // w; false when no frame carries the name.
  bool transformFramePoint(math::Vector4& out, const math::Vector4& point, const char* frame,
                           const math::Matrix& matrix);

  // ---- the root
  // Makes the model root of the file (a root made before is deleted).
  void load(const char* name);
  // Takes over a root made elsewhere (null: none).
  void setRoot(driver::directx::DxModelRoot12* root);
  driver::directx::DxModelRoot12* getRoot() const { return root_; }
  void setResource(const res::ResourcePtr& resource) { resource_ = resource; }
  // Translation handed to the root as its base matrix every update.
  void setOffset(const math::Vector4& offset) { offset_ = offset; }
  const math::Vector4& getOffset() const { return offset_; }
  int getDrawMode() const { return draw_mode_; }
  void setDrawMode(int mode) { draw_mode_ = mode; }

  // ---- culling box, placed by the sync at world x offset (an offset that
  // is still all zero places it at the world matrix itself)
  // A new box (centre 0, unit axes, half sizes 1) replacing any earlier one.
  collision::OBB* createCullingBody();
  void releaseCullingBody();
  collision::OBB* cullingBody() const { return culling_body_.get(); }
  void setCullingOffset(const math::Matrix& offset) { culling_offset_ = offset; }
  const math::Matrix& getCullingOffset() const { return culling_offset_; }
  // The per-frame hook after the update: places the culling box, moves the
  // frame effects with their frames, drops the ended ones and starts queued
  // effects whose frame has become free.
  void sync() override;

  // ---- animation command queue
  bool isRunAnimQueue() override { return !anim_queue_.empty(); }
  void clearAnimQueue() override { anim_queue_.clear(); }
  void pushAnimQueueEndOfWait() override;
  void pushAnimQueuePlay(int value) override;
  void pushAnimQueueChange(int take) override;
  void pushAnimQueueShift(int take, float blendSeconds) override;
  void pushAnimQueueWait(float seconds) override;
  void pushAnimQueueLoop(bool loop) override;
  void pushAnimQueueSoundEffect(const char* sound, const char* frame, float volume, const math::Matrix& offset,
                                bool flag) override;
  // Runs commands from the front until one has to wait.
  void updateAnimQueue(float seconds) override;
  const std::deque<AnimQueueCommand>& animQueue() const { return anim_queue_; }

  // The script objects that reach this model; they read null once it is gone.
  script::LuaObjectLinks& scriptLinks() { return script_links_; }

 private:
  void syncFrameEffects();

  driver::directx::DxModelRoot12* root_ = nullptr;
  res::ResourcePtr resource_;
  math::Vector4 offset_{};
  bool shadow_ = false;
  bool shadow_cast_ = false;
  bool shadow_plane_ = false;
  bool stopped_ = false;
  std::deque<AnimQueueCommand> anim_queue_;
  float wait_left_ = 0.0f;
  int draw_mode_ = 1;
  math::Matrix culling_offset_{};
  std::unique_ptr<collision::OBB> culling_body_;
  std::vector<FrameEffect> frame_effects_;
  // Queues by frame-name key; names that share a key keep queues of their own.
  std::multimap<int, std::pair<std::string, std::deque<QueuedFrameEffect>>> frame_effect_queues_;
  script::LuaObjectLinks script_links_;
};

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

  // A new model without a root, listed at priority 0; the caller owns it and
  // gives it a file with load.
  Model* createModel();
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

  // The script objects that hold this model read null once it is deleted.
  script::LuaObjectLinks& scriptLinks() { return script_links_; }

 private:
  float radius_ = 1.0f;
  script::LuaObjectLinks script_links_;
};

}  // namespace rk::gfx
