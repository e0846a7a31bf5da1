#include "gfx/rk_gfx_model.h"

#include <algorithm>

#include "gfx/gfx_model_command/rk_gfx_laser.h"
#include "gfx/gfx_model_command/rk_gfx_model_state.h"
#include "gfx/gfx_model_command/rk_gfx_wipe.h"
#include "gfx/rk_gfx_list_device_context.h"
#include "gfx/rk_model.h"
#include "gfx/rk_model_holder.h"
#include "kernel/rk_device_context.h"
#include "script/rk_lua_object.h"

namespace rk::gfx {

struct GfxModel::Impl {
  bool shadow_ = false;
  bool shadow_plane_ = false;
  bool shadow_plane_only_ = false;
  bool z_write_ = true;
  std::int32_t z_test_ = 1;
  std::uint32_t shadow_color_ = 0x80000000u;
  std::list<GfxModelList*> commands_;
  script::LuaObjectLinks script_links_;
};

GfxModelList::GfxModelList(GfxModel* owner) : owner_(owner) {
  if (owner_) owner_->addCommand(this);
}

GfxModelList::~GfxModelList() {
  GfxModelList::detach();
  forgetGfxPartEverywhere(this);
}

void GfxModelList::detach() {
  if (owner_) owner_->removeCommand(this);
  owner_ = nullptr;
}

GfxModel::GfxModel() : impl_(new Impl) {}

GfxModel::~GfxModel() {
  clearCommands();
  delete impl_;
}

void GfxModel::addCommand(GfxModelList* command) { impl_->commands_.push_back(command); }

void GfxModel::removeCommand(GfxModelList* command) {
  auto& commands = impl_->commands_;
  auto it = std::find(commands.begin(), commands.end(), command);
  if (it == commands.end()) return;
  (*it)->owner_ = nullptr;
  commands.erase(it);
}

void GfxModel::clearCommands() {
  for (GfxModelList* command : impl_->commands_) command->owner_ = nullptr;
  impl_->commands_.clear();
}

const std::list<GfxModelList*>& GfxModel::commands() const { return impl_->commands_; }

gfx_model_command::Laser* GfxModel::createLaser() { return new gfx_model_command::Laser(this); }

gfx_model_command::GfxTransformation* GfxModel::createTransformation() {
  return new gfx_model_command::GfxTransformation(this);
}

gfx_model_command::GfxWipe* GfxModel::createWipe(std::int32_t counterKind, const char* counterName) {
  return new gfx_model_command::GfxWipe(this, counterKind, counterName);
}

// Nothing a command leaves in the first context reaches the second; within
// the drawing pass, state one command leaves stays for the commands after it.
void GfxModel::drawCommands(std::int32_t arg) {
  Camera* camera = DeviceContext::getInstance()->currentCamera();
  auto prepare = [&](GfxDeviceContext& context) {
    context.depth_test_ = (impl_->z_test_ & 0xFF) != 0;
    context.depth_write_ = impl_->z_write_;
  };
  {
    GfxDeviceContext context(camera);
    prepare(context);
    for (GfxModelList* command : impl_->commands_) command->notify(context);
  }
  GfxDeviceContext context(camera);
  prepare(context);
  for (GfxModelList* command : impl_->commands_) {
    // A command's owner is this model while it is listed here.
    if (!command->owner_ || !command->owner_->isVisible()) continue;
    if (!command->joinsBatch()) context.flushBatch();
    command->execute(context, arg);
  }
  context.flushBatch();
}

void GfxModel::draw(int arg, bool) { drawCommands(arg); }
void GfxModel::setShadowPlane(bool on) { impl_->shadow_plane_ = on; }
bool GfxModel::isShadowPlane() { return impl_->shadow_plane_; }
void GfxModel::setShadowPlaneOnly(bool on) { impl_->shadow_plane_only_ = on; }
bool GfxModel::isShadowPlaneOnly() { return impl_->shadow_plane_only_; }
bool GfxModel::isShadow() { return impl_->shadow_; }
bool GfxModel::isShadowCast() { return isShadow(); }
void GfxModel::setShadowColor(std::uint32_t argb) { impl_->shadow_color_ = argb; }
std::uint32_t GfxModel::getShadowColor() { return impl_->shadow_color_; }

GfxModel* ModelManager::createGfxModel() {
  auto* model = new GfxModel;
  model->setManager(this);
  addModel(model);
  return model;
}

bool GfxModel::isZWrite() const { return impl_->z_write_; }
void GfxModel::setZWrite(bool on) { impl_->z_write_ = on; }
std::int32_t GfxModel::zTest() const { return impl_->z_test_; }
void GfxModel::setZTest(std::int32_t on) { impl_->z_test_ = on; }
script::LuaObjectLinks& GfxModel::scriptLinks() { return impl_->script_links_; }

}  // namespace rk::gfx
