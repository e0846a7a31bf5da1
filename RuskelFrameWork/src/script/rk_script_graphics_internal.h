// The bindings of the graphics globals, shared between the files that define
// them and the file that lists them in registration order.
#pragma once
#include <lua.hpp>

#include "gfx/rk_color.h"
#include "kernel/rk_error_log.h"
#include "script/rk_lua_arg.h"

namespace rk::gfx {
class StudioInfo;
}

namespace rk::script::gph {

// The qualified name of a binding, as error-log entries spell it.
#define RK_GPH_BINDING(name) "rk::script::gph::`anonymous-namespace'::" name
// The error-log entry of a binding that was handed no usable object.
#define RK_GPH_REPORT_NULL(name) \
  ::rk::debug::writeErrorLog("src/script/rk_script_graphics", __LINE__, RK_GPH_BINDING(name))

// A byte colour channel: the low eight bits of the integer argument.
inline float byteChannel(lua_State* L, int index) {
  return static_cast<float>(static_cast<std::uint32_t>(toIntArg(L, index)) & 0xFFu) / 255.0f;
}
// A colour number: the low 32 bits of the truncated number, as 0xAARRGGBB.
inline std::uint32_t colourNumber(lua_State* L, int index) {
  return static_cast<std::uint32_t>(toInt64Arg(L, index));
}

// Display and device globals.
int setScreenEffectMode(lua_State* L);
int getFrameBufferSize(lua_State* L);
int getScreenEffectMode(lua_State* L);
int setZoomBulrEffectParam(lua_State* L);
int setAspect(lua_State* L);
int getAspect(lua_State* L);
int returnZero(lua_State* L);
int ignoreArguments(lua_State* L);
int getDisplayAdapterName(lua_State* L);
int returnOne(lua_State* L);
int getScreenFormat(lua_State* L);
int getScreenFormatName(lua_State* L);
int isWindowMode(lua_State* L);
int setResetMode(lua_State* L);
int resetDevice(lua_State* L);
int setBGColor(lua_State* L);
int getBGColor(lua_State* L);
int getClientRect(lua_State* L);
int cameraDump(lua_State* L);
// A binding with no results leaves an empty stack.
inline int noResults(lua_State* L) {
  lua_settop(L, 0);
  return 0;
}

template <int N>
int renderBit(lua_State* L) {
  lua_settop(L, 0);
  lua_pushinteger(L, lua_Integer{1} << N);
  return 1;
}

// Cameras, link and sync cameras.
int createCamera(lua_State* L);
int createSyncCamera(lua_State* L);
int createLinkCameraObject(lua_State* L);

// Gfx models and script textures.
int createGfxModel(lua_State* L);
int createTexture(lua_State* L);

// Lights and the shadow globals.
int calcPositionFromHitPlaneCenter(lua_State* L);
int setAmbientColor(lua_State* L);
int setEnableLighting(lua_State* L);
int createLight(lua_State* L);
int pushLight(lua_State* L);
int popLight(lua_State* L);

// Wipes.
int fadeOut(lua_State* L);
int fadeIn(lua_State* L);
int isEndOfWipe(lua_State* L);
int wipeReset(lua_State* L);
int fadeLeftToRightOut(lua_State* L);
int fadeLeftToRightIn(lua_State* L);
int fadeRightToLeftOut(lua_State* L);
int fadeRightToLeftIn(lua_State* L);
int fadeTopToBottomOut(lua_State* L);
int fadeBottomToTopIn(lua_State* L);
int fadeBottomToTopOut(lua_State* L);
int fadeTopToBottomIn(lua_State* L);

// Sphere model and the model-manager display globals.
int createSphereModel(lua_State* L);
int setModelPause(lua_State* L);
int isModelPause(lua_State* L);
int dumpDisplayModelContainer(lua_State* L);

// Studio settings (the camera's getStudioInfo).
int pushStudioInfo(lua_State* L, rk::gfx::StudioInfo* studio);

}  // namespace rk::script::gph
