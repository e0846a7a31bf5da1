// The graphics tables of the script runtime: the display and graphics globals
// (ninth table) and the 2D drawing-command globals (fourteenth), with the
// classes of the script objects they hand out.
#pragma once
#include <lua.hpp>

#include "script/rk_lua_object.h"
#include "script/rk_script.h"

namespace rk::gfx {
class Camera;
class GfxModel;
class RkTexture;
namespace gfx_model_command { class Laser; }
}

namespace rk::script {

// The display and graphics globals, in registration order.
LuaFunctionTable graphicsFunctionTable();
// The drawing-command globals, in registration order.
LuaFunctionTable gfxCommandFunctionTable();

namespace gph {

extern const LuaClass kCameraClass;          // holds a rk::gfx::Camera (one reference)
extern const LuaClass kStudioInfoClass;      // borrows a rk::gfx::StudioInfo
extern const LuaClass kSpotLightDataClass;   // borrows a rk::gfx::ShaderSpotLightData
extern const LuaClass kShadowPlaneClass;     // borrows a rk::gfx::ShadowPlane (or nothing)
extern const LuaClass kLightClass;           // owns a rk::gfx::Light
extern const LuaClass kLinkCameraObjectClass;  // owns a rk::gfx::LinkCameraObject
extern const LuaClass kSyncCameraClass;      // owns a rk::gfx::LinkCamera
extern const LuaClass kSphereModelClass;     // owns a rk::gfx::SphereModel, linked to it
extern const LuaClass kGfxModelClass;        // owns a rk::gfx::GfxModel, linked to it
extern const LuaClass kTextureClass;         // holds a rk::gfx::RkTexture (one reference)
extern const LuaClass kWindowItemGaugeClass;  // holds a rk::gfx::gfx_model_command::WindowItemGauge

// The camera at that index, or null for anything else.
rk::gfx::Camera* toCamera(lua_State* L, int index);
// The gfx model at that index, or null for anything else.
rk::gfx::GfxModel* toGfxModel(lua_State* L, int index);
// The texture of a texture object at that index, or null for anything else
// (and for a texture object that holds none).
rk::gfx::RkTexture* toTexture(lua_State* L, int index);
// True for a texture object, whether or not it still holds a texture.
bool isTextureObject(lua_State* L, int index);

// Laser objects. The registration operation sets the laser methods into the
// method table at absolute stack index 3 and leaves the stack as it was. A
// game object that owns a laser hands it to scripts with pushBorrowedLaser:
// the object's collector leaves the laser alone, so the game object must
// outlive the scripts' use of it.
extern const LuaClass kLaserClass;
void lua_GfxModel_Laser_registerMethods(lua_State* L);
int pushBorrowedLaser(lua_State* L, rk::gfx::gfx_model_command::Laser* laser);

}  // namespace gph
}  // namespace rk::script
