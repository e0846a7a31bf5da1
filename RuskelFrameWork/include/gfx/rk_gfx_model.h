// Gfx models: models whose drawing is an ordered list of drawing commands
// rather than a mesh. The model refers to its commands without owning them;
// whoever made a command owns it (a script object, a game object, a caller).
// Each side unlinks the other: a destroyed command leaves its model's list, a
// destroyed or cleared model sets its commands' owner to null.
#pragma once
#include <cstdint>
#include <list>

namespace rk::gfx {

class GfxDeviceContext;
class GfxModel;

namespace gfx_model_command {
class Laser;
class GfxTransformation;
class GfxWipe;
}  // namespace gfx_model_command

// The base of every gfx model command.
class GfxModelList {
 public:
  GfxModelList() = default;
  // Appends the command to `owner` (when given).
  explicit GfxModelList(GfxModel* owner);
  virtual ~GfxModelList();
  GfxModelList(const GfxModelList&) = delete;
  GfxModelList& operator=(const GfxModelList&) = delete;

  // Leaves the owner's list; the owner becomes null.
  virtual void detach();
  // The preparation step, run for every command before any executes.
  virtual void notify(GfxDeviceContext& context) = 0;
  // The drawing step; `arg` is the model draw's first argument (0).
  virtual void execute(GfxDeviceContext& context, std::int32_t arg) = 0;
  // True for commands whose draws join the batch context's billboard run; any
  // other command has the run drawn before it executes.
  virtual bool joinsBatch() const { return false; }

  GfxModel* owner_ = nullptr;
};

// Commands whose preparation step has nothing to do.
class GfxModelCommand : public GfxModelList {
 public:
  using GfxModelList::GfxModelList;
  void notify(GfxDeviceContext&) override {}
};

class GfxModel {
 public:
  GfxModel();
  virtual ~GfxModel();
  GfxModel(const GfxModel&) = delete;
  GfxModel& operator=(const GfxModel&) = delete;

  // Appends without setting the command's owner (the caller does).
  void addCommand(GfxModelList* command);
  // Unlinks the first entry equal to the command and clears its owner.
  void removeCommand(GfxModelList* command);
  // Clears the owner of every listed command and empties the list.
  void clearCommands();
  const std::list<GfxModelList*>& commands() const;

  // Factories; the caller owns what they return.
  gfx_model_command::Laser* createLaser();
  gfx_model_command::GfxTransformation* createTransformation();
  gfx_model_command::GfxWipe* createWipe(std::int32_t counterKind, const char* counterName);

  // Two passes through two batch contexts on the current pass camera: every
  // command's preparation, then, while the model is visible, every command's
  // drawing. A run of billboards of one texture is drawn as one draw.
  void drawCommands(std::int32_t arg);

  bool isVisible() const { return visible_; }
  void setVisible(bool visible) { visible_ = visible; }

  bool isZWrite() const;
  void setZWrite(bool on);
  std::int32_t zTest() const;
  void setZTest(std::int32_t on);

  struct Impl;

 protected:
  Impl* impl_;
  bool visible_ = false;
};

}  // namespace rk::gfx
