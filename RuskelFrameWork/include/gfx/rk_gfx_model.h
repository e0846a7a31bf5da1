// Gfx models: models whose drawing is an ordered list of drawing commands
// rather than a mesh. The model refers to its commands without owning them;
// whoever made a command owns it (a script object, a game object, a caller).
// Each side unlinks the other: a destroyed command leaves its model's list, a
// destroyed or cleared model sets its commands' owner to null.
#pragma once
#include <cstdint>
#include <list>

#include "gfx/rk_gmodel.h"

struct lua_State;

namespace rk::script {
class LuaObjectLinks;
}

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

class GfxModel : public GModel {
 public:
  // Shadow off, both shadow-plane flags off, depth write and test on, shadow
  // colour 0x80000000, no commands.
  GfxModel();
  // Clears its commands' owner; destroys none of them.
  ~GfxModel() override;
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

  // The model manager's pass: the shadow-pass flag is not used.
  void draw(int arg, bool shadowPass) override;
  void setShadowPlane(bool on) override;
  bool isShadowPlane() override;
  void setShadowPlaneOnly(bool on) override;
  bool isShadowPlaneOnly() override;
  bool isShadow() override;
  // Answers isShadow.
  bool isShadowCast() override;
  void setShadowColor(std::uint32_t argb) override;
  std::uint32_t getShadowColor() override;

  bool isZWrite() const;
  void setZWrite(bool on);
  std::int32_t zTest() const;
  void setZTest(std::int32_t on);

  // The script objects that reach this model; they read null once it is gone.
  script::LuaObjectLinks& scriptLinks();

  // The collector of the script objects of depth-clear, depth-test,
  // stretch-blit and poly-line commands: takes the command out of its model,
  // deletes it and clears the object, so a second collection finds nothing.
  static int deleteList(lua_State* L);

  struct Impl;

 protected:
  Impl* impl_;
};

}  // namespace rk::gfx
