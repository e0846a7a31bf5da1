// The game-wide screen wipe: one full-screen fade drawn by a gfx model of its
// own on camera 12 (the wipe-effect layer), which scripts create, fetch, fade
// in or out and destroy, and which outlives the scripts that start it.
// Singleton slot 3.
#pragma once
#include <memory>

#include <lua.hpp>

#include "script/rk_lua_object.h"

namespace rk::gfx {
class Camera;
class GfxModel;
namespace gfx_model_command {
class GfxWipe;
}
}  // namespace rk::gfx

class GlobalWipe : public rk::script::ILuaMethod {
 public:
  struct Impl {
    rk::gfx::GfxModel* model_ = nullptr;                   // drawn by camera 12 only
    rk::gfx::gfx_model_command::GfxWipe* wipe_ = nullptr;  // the model's wipe command
    rk::gfx::Camera* cam_ = nullptr;                       // camera 12, one reference held
    rk::script::LuaObjectLinks scripts_;                   // script objects that read null once it goes
  };

  // A second create reports "GlobalWipe::createInstance" and destroys the
  // wipe it replaces, so that no orphan wipe keeps covering the screen.
  static GlobalWipe* createInstance();
  static GlobalWipe* getInstance();   // reports "GlobalWipe::getInstance" when missing
  static GlobalWipe* findInstance();  // no report
  static void destroyInstance();      // reports "GlobalWipe::destroyInstance" when missing

  // Needs the model manager; throws HrException (E_OUTOFMEMORY, "impl_->cam_")
  // when camera 12 cannot be had.
  GlobalWipe();
  // The wipe command, the model and the camera reference go; script objects
  // of the wipe read null from then on.
  ~GlobalWipe() override;
  GlobalWipe(const GlobalWipe&) = delete;
  GlobalWipe& operator=(const GlobalWipe&) = delete;

  // Channels 0..255 (low 8 bits of the truncated value); the model shows, the
  // counter starts from 0.
  void fadeOut(double red, double green, double blue, float seconds);
  void fadeIn(double red, double green, double blue, float seconds);
  bool isEndOfWipe() const;
  void start();
  void stop();
  // Hidden, counter stopped; colour, duration and counter value stay.
  void reset();
  void setVisible(bool visible);
  bool isVisible() const;

  Impl& impl() { return *impl_; }

  // "setVisible", "isVisible", "fadeOut", "fadeIn", "isEndOfWipe", "start",
  // "stop", "reset"; the collector only lets go of the link.
  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;

 private:
  std::unique_ptr<Impl> impl_;
};

extern const rk::script::LuaClass kGlobalWipeClass;

// Library functions: each clears its arguments first.
int lua_createGlobalWipe(lua_State* L);
int lua_destroyGlobalWipe(lua_State* L);
// A script object of the wipe (null, after the getInstance report, when there is none).
int lua_getGlobalWipe(lua_State* L);
