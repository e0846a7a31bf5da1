#include "common/global_wipe.h"

#include "gfx/gfx_model_command/rk_gfx_wipe.h"
#include "gfx/rk_camera.h"
#include "gfx/rk_gfx_model.h"
#include "gfx/rk_model.h"
#include "host/hresult.h"
#include "kernel/rk_hr_exception.h"
#include "kernel/rk_instance_table.h"
#include "math/rk_counter.h"
#include "script/rk_lua_arg.h"
#include "script/rk_lua_guard.h"

const rk::script::LuaClass kGlobalWipeClass{"GlobalWipe"};

namespace {

constexpr const char* kSource = "QV21_SOURCE/common/global_wipe";
const rk::SingletonReport kReport{kSource, "GlobalWipe", 40, 48, 56};
constexpr int kWipeCamera = 12;

}  // namespace

GlobalWipe* GlobalWipe::createInstance() {
  // The wipe it replaces would stay in the draw order with nobody to hide it.
  GlobalWipe* previous = findInstance();
  GlobalWipe* wipe = rk::singletonCreate<GlobalWipe>(rk::InstanceSlot::GlobalWipe, kReport);
  delete previous;
  return wipe;
}

GlobalWipe* GlobalWipe::getInstance() { return rk::singletonGet<GlobalWipe>(rk::InstanceSlot::GlobalWipe, kReport); }

GlobalWipe* GlobalWipe::findInstance() {
  return static_cast<GlobalWipe*>(rk::instanceSlot(rk::InstanceSlot::GlobalWipe));
}

void GlobalWipe::destroyInstance() { rk::singletonDestroy<GlobalWipe>(rk::InstanceSlot::GlobalWipe, kReport); }

GlobalWipe::GlobalWipe() : impl_(std::make_unique<Impl>()) {
  Impl& i = *impl_;
  if (rk::gfx::ModelManager* models = rk::gfx::ModelManager::getInstance()) {
    i.model_ = models->createGfxModel();
    i.model_->setVisible(false);
    i.model_->setRenderCameraBit(1 << kWipeCamera);
    i.wipe_ = i.model_->createWipe(2, "Global Wipe\n");
  }
  rk::gfx::CameraManager* cameras = rk::gfx::CameraManager::getInstance();
  i.cam_ = cameras ? cameras->createCamera(kWipeCamera) : nullptr;
  if (!i.cam_) {
    // The half-built wipe goes with the exception.
    delete i.wipe_;
    if (i.model_) {
      rk::gfx::ModelManager::getInstance()->removeModel(i.model_);
      delete i.model_;
    }
    throw HrException(host::E_OUTOFMEMORY, kSource, 95, L"impl_->cam_");
  }
  i.cam_->addRef();
  i.cam_->setUp(rk::math::Vector4{0, 1, 0, 0});
  i.cam_->setAt(rk::math::Vector4{0, 0, 0, 0});
  i.cam_->setEye(rk::math::Vector4{0, 0, -10, 0});
}

GlobalWipe::~GlobalWipe() {
  Impl& i = *impl_;
  i.scripts_.clear();
  if (i.model_) {
    if (i.wipe_) {
      i.model_->removeCommand(i.wipe_);
      delete i.wipe_;
    }
    if (rk::gfx::ModelManager* models = rk::gfx::ModelManager::findInstance()) models->removeModel(i.model_);
    delete i.model_;
  }
  if (i.cam_) i.cam_->release(kSource, 130);
  if (findInstance() == this) rk::instanceSlot(rk::InstanceSlot::GlobalWipe) = nullptr;
}

void GlobalWipe::fadeOut(double red, double green, double blue, float seconds) {
  if (!impl_->wipe_) return;
  impl_->model_->setVisible(true);
  impl_->wipe_->fadeOut(red, green, blue, seconds);
  impl_->wipe_->start();
}

void GlobalWipe::fadeIn(double red, double green, double blue, float seconds) {
  if (!impl_->wipe_) return;
  impl_->model_->setVisible(true);
  impl_->wipe_->fadeIn(red, green, blue, seconds);
  impl_->wipe_->start();
}

bool GlobalWipe::isEndOfWipe() const { return impl_->wipe_ && impl_->wipe_->isEndOfWipe(); }

void GlobalWipe::start() {
  if (impl_->wipe_) impl_->wipe_->start();
}

void GlobalWipe::stop() {
  if (impl_->wipe_) impl_->wipe_->stop();
}

void GlobalWipe::reset() {
  setVisible(false);
  stop();
}

void GlobalWipe::setVisible(bool visible) {
  if (impl_->model_) impl_->model_->setVisible(visible);
}

bool GlobalWipe::isVisible() const { return impl_->model_ && impl_->model_->isVisible(); }

namespace {

GlobalWipe* wipeArg(lua_State* L, const char* method) {
  auto* wipe = rk::script::toLuaObject<GlobalWipe>(L, 1, kGlobalWipeClass);
  if (!wipe) rk::script::reportNullObject(method);
  return wipe;
}

int done(lua_State* L) {
  lua_settop(L, 0);
  return 0;
}

int pushBoolean(lua_State* L, bool value) {
  lua_settop(L, 0);
  lua_pushboolean(L, value);
  return 1;
}

int lua_setVisible(lua_State* L) {
  if (GlobalWipe* w = wipeArg(L, "GlobalWipe::lua_setVisible")) w->setVisible(rk::script::toBoolArg(L, 2));
  return done(L);
}

int lua_isVisible(lua_State* L) {
  GlobalWipe* w = wipeArg(L, "GlobalWipe::lua_isVisible");
  return pushBoolean(L, w && w->isVisible());
}

template <bool In>
int lua_fade(lua_State* L) {
  GlobalWipe* w = wipeArg(L, In ? "GlobalWipe::lua_fadeIn" : "GlobalWipe::lua_fadeOut");
  if (w) {
    const double r = lua_tonumberx(L, 2, nullptr), g = lua_tonumberx(L, 3, nullptr), b = lua_tonumberx(L, 4, nullptr);
    const float seconds = rk::script::toFloatArg(L, 5);
    In ? w->fadeIn(r, g, b, seconds) : w->fadeOut(r, g, b, seconds);
  }
  return done(L);
}

int lua_isEndOfWipe(lua_State* L) {
  GlobalWipe* w = wipeArg(L, "GlobalWipe::lua_isEndOfWipe");
  return pushBoolean(L, w && w->isEndOfWipe());
}

int lua_start(lua_State* L) {
  if (GlobalWipe* w = wipeArg(L, "GlobalWipe::lua_start")) w->start();
  return done(L);
}

int lua_stop(lua_State* L) {
  if (GlobalWipe* w = wipeArg(L, "GlobalWipe::lua_stop")) w->stop();
  return done(L);
}

int lua_reset(lua_State* L) {
  if (GlobalWipe* w = wipeArg(L, "GlobalWipe::lua_reset")) w->reset();
  return done(L);
}

// The wipe belongs to the singleton: the collector only lets go of its link.
int lua_gcGlobalWipe(lua_State* L) {
  rk::script::LuaObjectLinks::release(rk::script::luaObjectBlock(L, 1));
  return done(L);
}

const luaL_Reg kMethods[] = {
    {"setVisible", lua_setVisible},
    {"isVisible", lua_isVisible},
    {"fadeOut", lua_fade<false>},
    {"fadeIn", lua_fade<true>},
    {"isEndOfWipe", lua_isEndOfWipe},
    {"start", lua_start},
    {"stop", lua_stop},
    {"reset", lua_reset},
    {nullptr, nullptr},
};

int createGlobalWipe(lua_State* L) {
  lua_settop(L, 0);
  GlobalWipe::createInstance();
  return 0;
}

}  // namespace

void GlobalWipe::registerMethods(lua_State* L) { rk::script::setMethods(L, kMethods); }

void GlobalWipe::setMetatable(lua_State* L) { rk::script::setObjectMetatable(L, lua_gcGlobalWipe); }

int lua_createGlobalWipe(lua_State* L) { return rk::script::guarded<createGlobalWipe>(L); }

int lua_destroyGlobalWipe(lua_State* L) {
  lua_settop(L, 0);
  GlobalWipe::destroyInstance();
  return 0;
}

int lua_getGlobalWipe(lua_State* L) {
  lua_settop(L, 0);
  GlobalWipe* wipe = GlobalWipe::getInstance();
  rk::script::LuaObjectBlock* block = nullptr;
  if (!wipe) return rk::script::pushLuaObject(L, nullptr, kGlobalWipeClass, kMethods, lua_gcGlobalWipe);
  const int results = rk::script::pushLuaObject(L, *wipe, wipe, kGlobalWipeClass, &block);
  wipe->impl().scripts_.link(block);
  return results;
}
