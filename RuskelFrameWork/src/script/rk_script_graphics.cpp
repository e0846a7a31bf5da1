// The display and graphics table, and the display and device globals: the
// frame-buffer size and aspect, the background colour, the window and reset
// modes, the screen-effect settings, fixed answers about the one display
// adapter and screen format, and the render-bit constants.
#include "script/rk_script_graphics.h"
#include "script/rk_script_model.h"

#include <cmath>

#include "gfx/rk_camera.h"
#include "kernel/rk_device_context.h"
#include "rk_script_graphics_internal.h"
#include "rk_script_system_internal.h"

namespace rk::script {

namespace gph {

namespace {
constexpr int kRefreshRate = 60;
}  // namespace

int setScreenEffectMode(lua_State* L) {
  const int mode = toIntArg(L, 1);
  lua_settop(L, 0);
  if (DeviceContext* context = DeviceContext::getInstance()) context->setScreenEffectMode(mode);
  return 0;
}

int getScreenEffectMode(lua_State* L) {
  lua_settop(L, 0);
  DeviceContext* context = DeviceContext::getInstance();
  lua_pushinteger(L, context ? context->screenEffectMode() : 0);
  return 1;
}

int setZoomBulrEffectParam(lua_State* L) {
  DeviceContext::ZoomBlurParam param;
  param.scale[0] = toFloatArg(L, 1);
  param.scale[1] = toFloatArg(L, 2);
  for (int i = 0; i < 3; ++i) param.values[i] = toIntArg(L, 3 + i);
  lua_settop(L, 0);
  if (DeviceContext* context = DeviceContext::getInstance()) context->setZoomBlurParam(param);
  return 0;
}

int getFrameBufferSize(lua_State* L) {
  lua_settop(L, 0);
  DeviceContext* context = DeviceContext::getInstance();
  lua_pushinteger(L, context ? context->screenWidth() : 0u);
  lua_pushinteger(L, context ? context->screenHeight() : 0u);
  return 2;
}

// width = height x aspect, rounded half away from zero; the height stays.
int setAspect(lua_State* L) {
  const double aspect = lua_tonumberx(L, 1, nullptr);
  lua_settop(L, 0);
  if (DeviceContext* context = DeviceContext::getInstance()) {
    const double width = std::round(static_cast<double>(static_cast<int>(context->screenHeight())) * aspect);
    context->setFrameBufferWidth(static_cast<unsigned>(truncateWrapToInt32(width)));
  }
  return 0;
}

// A zero height gives the quotient's infinity or NaN, as the division does.
int getAspect(lua_State* L) {
  lua_settop(L, 0);
  DeviceContext* context = DeviceContext::getInstance();
  const int width = context ? static_cast<int>(context->screenWidth()) : 0;
  const int height = context ? static_cast<int>(context->screenHeight()) : 0;
  lua_pushnumber(L, static_cast<double>(width) / static_cast<double>(height));
  return 1;
}

int getClientRect(lua_State* L) {
  lua_settop(L, 0);
  DeviceContext* context = DeviceContext::getInstance();
  lua_pushinteger(L, 0);
  lua_pushinteger(L, 0);
  lua_pushinteger(L, context ? static_cast<int>(context->screenWidth()) : 0);
  lua_pushinteger(L, context ? static_cast<int>(context->screenHeight()) : 0);
  return 4;
}

int returnZero(lua_State* L) {
  lua_settop(L, 0);
  lua_pushinteger(L, 0);
  return 1;
}

int returnOne(lua_State* L) {
  lua_settop(L, 0);
  lua_pushinteger(L, 1);
  return 1;
}

int ignoreArguments(lua_State* L) {
  lua_settop(L, 0);
  return 0;
}

int getDisplayAdapterName(lua_State* L) {
  lua_settop(L, 0);
  lua_pushstring(L, "");
  return 1;
}

// The one screen format: the frame-buffer size at 60 Hz.
int getScreenFormat(lua_State* L) {
  lua_settop(L, 0);
  DeviceContext* context = DeviceContext::getInstance();
  lua_pushinteger(L, context ? static_cast<int>(context->screenWidth()) : 0);
  lua_pushinteger(L, context ? static_cast<int>(context->screenHeight()) : 0);
  lua_pushinteger(L, kRefreshRate);
  lua_pushinteger(L, 0);
  return 4;
}

int getScreenFormatName(lua_State* L) {
  lua_settop(L, 0);
  lua_pushstring(L, "Unkown");
  return 1;
}

int isWindowMode(lua_State* L) {
  lua_settop(L, 0);
  DeviceContext* context = DeviceContext::getInstance();
  lua_pushboolean(L, context && context->isWindowed());
  return 1;
}

int setResetMode(lua_State* L) {
  lua_settop(L, 0);
  if (DeviceContext* context = DeviceContext::getInstance()) context->setResetMode(true);
  return 0;
}

int resetDevice(lua_State* L) {
  lua_settop(L, 0);
  if (DeviceContext* context = DeviceContext::getInstance()) context->setResetMode(false);
  return 0;
}

int setBGColor(lua_State* L) {
  const gfx::Color colour(byteChannel(L, 1), byteChannel(L, 2), byteChannel(L, 3), 1.0f);
  lua_settop(L, 0);
  if (DeviceContext* context = DeviceContext::getInstance()) context->setClearColor(colour);
  return 0;
}

int getBGColor(lua_State* L) {
  lua_settop(L, 0);
  DeviceContext* context = DeviceContext::getInstance();
  const gfx::Color colour = context ? context->clearColor() : gfx::Color();
  for (float channel : {colour.getR(), colour.getG(), colour.getB()})
    lua_pushinteger(L, static_cast<int>(channel * 255.0f) & 0xFF);
  return 3;
}

// Looks the drawn cameras up and reports nothing.
int cameraDump(lua_State* L) {
  lua_settop(L, 0);
  if (gfx::CameraManager* cameras = gfx::CameraManager::findInstance())
    for (int number = 0; number < DeviceContext::kCameraCount; ++number) cameras->getCamera(number);
  return 0;
}

namespace {

// The graphics table.
const LuaFunctionPair kGraphicsFunctions[] = {
    {setScreenEffectMode, "setScreenEffectMode"},
    {getFrameBufferSize, "getFrameBufferSize"},
    {getScreenEffectMode, "getScreenEffectMode"},
    {setZoomBulrEffectParam, "setZoomBulrEffectParam"},
    {setAspect, "setAspect"},
    {getAspect, "getAspect"},
    {returnZero, "getDisplayAdapterNum"},
    {returnZero, "getCurrentDisplayAdapter"},
    {ignoreArguments, "setCurrentDisplayAdapter"},
    {getDisplayAdapterName, "getDisplayAdapterName"},
    {returnZero, "getCurrentScreenFormatNo"},
    {ignoreArguments, "setCurrentScreenFormatNo"},
    {returnOne, "getScreenFormatNum"},
    {getScreenFormat, "getScreenFormat"},
    {getScreenFormatName, "getScreenFormatName"},
    {ignoreArguments, "setRefreshRateInHz"},
    {system::lua_returnBoolean<true>, "isCanFullScreen"},
    {isWindowMode, "isWindowMode"},
    {setResetMode, "setResetMode"},
    {resetDevice, "resetDevice"},
    {setBGColor, "setBGColor"},
    {getBGColor, "getBGColor"},
    {guarded<createCamera>, "createCamera"},
    {createSyncCamera, "createSyncCamera"},
    {createLinkCameraObject, "createLinkCameraObject"},
    {guarded<createModel>, "createModel"},
    {guarded<createGfxModel>, "createGfxModel"},
    {guarded<createTexture>, "createTexture"},
    {ignoreArguments, "setShadowDir"},
    {ignoreArguments, "setShadowLightLength"},
    {ignoreArguments, "setShadowEye"},
    {calcPositionFromHitPlaneCenter, "calcPositionFromHitPlaneCenter"},
    {ignoreArguments, "setShadowTheta"},
    {setAmbientColor, "setAmbientColor"},
    {ignoreArguments, "setShadowViewUp"},
    {ignoreArguments, "getShadowViewUp"},
    {ignoreArguments, "calcShadowView"},
    {setEnableLighting, "setEnableLighting"},
    {createLight, "createLight"},
    {pushLight, "pushLight"},
    {popLight, "popLight"},
    {ignoreArguments, "setupMainShader"},
    {ignoreArguments, "releaseMainShader"},
    {ignoreArguments, "setShadowType"},
    {createSphereModel, "createSphereModel"},
    {fadeOut, "fadeOut"},
    {fadeIn, "fadeIn"},
    {isEndOfWipe, "isEndOfWipe"},
    {wipeReset, "wipeReset"},
    {fadeLeftToRightOut, "fadeLeftToRightOut"},
    {fadeLeftToRightIn, "fadeLeftToRightIn"},
    {fadeRightToLeftOut, "fadeRightToLeftOut"},
    {fadeRightToLeftIn, "fadeRightToLeftIn"},
    {fadeTopToBottomOut, "fadeTopToBottomOut"},
    {fadeBottomToTopIn, "fadeBottomToTopIn"},
    {fadeBottomToTopOut, "fadeBottomToTopOut"},
    {fadeTopToBottomIn, "fadeTopToBottomIn"},
    {getClientRect, "getClientRect"},
    {renderBit<0>, "RENDER_BIT_00"},
    {renderBit<1>, "RENDER_BIT_01"},
    {renderBit<2>, "RENDER_BIT_02"},
    {renderBit<3>, "RENDER_BIT_03"},
    {renderBit<4>, "RENDER_BIT_04"},
    {renderBit<5>, "RENDER_BIT_05"},
    {renderBit<6>, "RENDER_BIT_06"},
    {renderBit<7>, "RENDER_BIT_07"},
    {renderBit<8>, "RENDER_BIT_08"},
    {renderBit<9>, "RENDER_BIT_09"},
    {renderBit<10>, "RENDER_BIT_0A"},
    {renderBit<11>, "RENDER_BIT_0B"},
    {renderBit<12>, "RENDER_BIT_0C"},
    {renderBit<13>, "RENDER_BIT_0D"},
    {renderBit<14>, "RENDER_BIT_0E"},
    {renderBit<15>, "RENDER_BIT_0F"},
    {cameraDump, "cameraDump"},
    {setModelPause, "setModelPause"},
    {isModelPause, "isModelPause"},
    {dumpDisplayModelContainer, "dumpDisplayModelContainer"},
};

}  // namespace
}  // namespace gph

LuaFunctionTable graphicsFunctionTable() {
  return {gph::kGraphicsFunctions,
          static_cast<int>(sizeof gph::kGraphicsFunctions / sizeof gph::kGraphicsFunctions[0])};
}

}  // namespace rk::script
