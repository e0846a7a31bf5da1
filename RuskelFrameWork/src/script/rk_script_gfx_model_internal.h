// The gfx model object's plumbing, shared by the files that define its
// command objects. A command object is a full userdata whose payload is the
// command as a rk::gfx::GfxModelList pointer, tagged with the command's own
// class (so a method given another kind of command reads null). The object
// owns the command; the gfx model only lists it.
//
// A new command family plugs in with three small steps: a class defined
// with RK_GFX_COMMAND_CLASS, a creator method declared below and defined in
// the family's file (it reads its arguments, takes the gfx model with
// creatorGfxModel, builds the command and returns pushGfxCommand), and the
// creator's entry in the gfx model's method table (rk_script_gfx_model.cpp).
#pragma once
#include <lua.hpp>

#include "gfx/rk_gfx_model.h"
#include "rk_script_graphics_internal.h"
#include "script/rk_lua_object.h"
#include "script/rk_script_graphics.h"

namespace rk::script::gph {

// Every command class casts to this one, so the shared collectors take any command.
extern const LuaClass kGfxCommandClass;
void* castToGfxCommand(void* object, const LuaClass& target);

#define RK_GFX_COMMAND_CLASS(variable, qualifiedName) \
  const ::rk::script::LuaClass variable { qualifiedName, ::rk::script::gph::castToGfxCommand }

// The gfx model of argument 1 for a method that reports a null one under
// `binding` (its name after the namespace marker).
gfx::GfxModel* selfGfxModel(lua_State* L, const char* binding, int line);
#define RK_GFX_MODEL_SELF(name) ::rk::gfx::GfxModel* model = selfGfxModel(L, RK_GPH_BINDING(name), __LINE__)

// The command of `cls` at that index, or null.
template <class T>
T* toGfxCommand(lua_State* L, int index, const LuaClass& cls) {
  auto* command = toLuaObject<gfx::GfxModelList>(L, index, cls);
  return command ? static_cast<T*>(command) : nullptr;
}
// The command of argument 1; null is reported under `binding` (its name
// after the namespace marker).
template <class T>
T* selfGfxCommand(lua_State* L, const LuaClass& cls, const char* binding, int line) {
  T* command = toGfxCommand<T>(L, 1, cls);
  if (!command) ::rk::debug::writeErrorLog("src/script/rk_script_graphics", line, binding);
  return command;
}
#define RK_GFX_COMMAND_SELF(Type, cls, name) \
  Type* command = selfGfxCommand<Type>(L, cls, RK_GPH_BINDING(name), __LINE__)

// The two collectors of command objects: both delete the command (which
// leaves its gfx model's list) and clear the object. releaseGfxCommand
// reports a null command under its own name, rk::gfx::GfxModel::deleteList
// under that one.
int releaseGfxCommand(lua_State* L);

// Empties the stack and pushes the command's object: a fresh method table
// with `methods` (a {name, function} list ending in {null, null}) and the
// collector. Returns 1. Build the command before: the gfx model's object may
// be collected once the stack is empty, and a model that goes unlinks only
// the commands it lists.
int pushGfxCommand(lua_State* L, gfx::GfxModelList* command, const LuaClass& cls, const luaL_Reg* methods,
                   lua_CFunction collector = releaseGfxCommand);

// Integers of the gfx model bindings: truncated into 64 bits, the low 32 count.
inline std::int32_t lowWordArg(lua_State* L, int index) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(toInt64Arg(L, index)));
}

inline int pushBoolean(lua_State* L, bool value) {
  lua_settop(L, 0);
  lua_pushboolean(L, value);
  return 1;
}

// ------------------------------------------------------------ creator methods
// Each is bound in the gfx model's method table; a null gfx model is reported
// and the command is made without an owner, so the script still gets an
// object whose methods work and which draws nothing.

// Texture, blend, sampler, depth and stretch-blit commands.
int lua_GfxModel_clearZBuffer(lua_State* L);
int lua_GfxModel_createSetTexture(lua_State* L);
int lua_GfxModel_createTextureStageDefault(lua_State* L);
int lua_GfxModel_createAlphaBlend(lua_State* L);
int lua_GfxModel_createAddBlend(lua_State* L);
int lua_GfxModel_createSubBlend(lua_State* L);
int lua_GfxModel_createMulBlend(lua_State* L);
int lua_GfxModel_createSamplerAddressU(lua_State* L);
int lua_GfxModel_createSamplerAddressV(lua_State* L);
int lua_GfxModel_createMultiTextureDefault(lua_State* L);
int lua_GfxModel_disableMultiTexture(lua_State* L);
int lua_GfxModel_createTestZBuffer(lua_State* L);
int lua_GfxModel_createStrechBlt(lua_State* L);

// The world matrix.
int lua_GfxModel_createWorldMatrix(lua_State* L);

// Billboards, lasers and windows.
int lua_GfxModel_createBillBoard(lua_State* L);
int lua_GfxModel_createLaser(lua_State* L);
int lua_GfxModel_createWindow(lua_State* L);

// Colour, lighting, line, ribbon, draw-flash and wipe commands.
int lua_GfxModel_createAmbientColor(lua_State* L);
int lua_GfxModel_createLighting(lua_State* L);
int lua_GfxModel_createLineDraw(lua_State* L);
int lua_GfxModel_createSetColor(lua_State* L);
int lua_GfxModel_createCapsuleLaser(lua_State* L);
int lua_GfxModel_createDrawFlash(lua_State* L);
int lua_GfxModel_createWipe(lua_State* L);
int lua_GfxModel_createPolyLineDraw(lua_State* L);

// Method tables in the order they are filled (named for tests).
extern const luaL_Reg kGfxModelMethods[];
extern const luaL_Reg kStrechBltMethods[];
extern const luaL_Reg kWorldMatrixMethods[];
extern const luaL_Reg kBillboardMethods[];
extern const luaL_Reg kBillboardChipMethods[];
extern const luaL_Reg kLaserMethods[];
extern const luaL_Reg kLightingMethods[];
extern const luaL_Reg kLineDrawMethods[];
extern const luaL_Reg kCapsuleLaserMethods[];
extern const luaL_Reg kPolyLineDrawMethods[];
extern const luaL_Reg kDrawFlashMethods[];
extern const luaL_Reg kGfxWipeMethods[];

}  // namespace rk::script::gph
