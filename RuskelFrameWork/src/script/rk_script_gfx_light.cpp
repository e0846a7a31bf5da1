// Light globals and the Light object. "setAmbientColor" and
// "setEnableLighting" change the light manager's current lighting state;
// "createLight" makes a light that its object owns; "pushLight" and
// "popLight" move lights in and out of the manager's eight slots. A light's
// collector pops it from every manager that still holds it before deleting it.
#include <cmath>

#include "gfx/rk_light.h"
#include "script/rk_script_graphics.h"
#include "rk_script_graphics_internal.h"

namespace rk::script::gph {

const LuaClass kLightClass{"rk::gfx::Light"};

namespace {

using gfx::Light;
using gfx::LightManager;

#define RK_LIGHT_SELF(name)                                   \
  Light* light = toLuaObject<Light>(L, 1, kLightClass);       \
  if (!light) RK_GPH_REPORT_NULL(name)

int lightSetValid(lua_State* L) {
  RK_LIGHT_SELF("lua_Light_setValid");
  if (light) light->enabled_ = toBoolArg(L, 2);
  return noResults(L);
}

// 0 point, 1 spot, anything else directional; then the type's defaults.
int lightSetType(lua_State* L) {
  RK_LIGHT_SELF("lua_Light_setType");
  const int type = toIntArg(L, 2);
  if (light) {
    light->param_.type = type == 0 ? 1 : type == 1 ? 2 : 3;
    light->setDefaults();
  }
  return noResults(L);
}

// Scaled channels: each number over 255, neither truncated nor clamped.
template <float (gfx::LightParameter::*Colour)[4]>
int lightSetColour(lua_State* L) {
  RK_LIGHT_SELF("lua_Light_setColor");
  if (light)
    for (int i = 0; i < 4; ++i) (light->param_.*Colour)[i] = toFloatArg(L, 2 + i) / 255.0f;
  return noResults(L);
}

// The position comes from arguments 6 to 8; the four before are not used.
int lightSetPosition(lua_State* L) {
  RK_LIGHT_SELF("lua_Light_setPosition");
  if (light)
    for (int i = 0; i < 3; ++i) light->param_.position[i] = toFloatArg(L, 6 + i);
  return noResults(L);
}

int lightSetDirection(lua_State* L) {
  RK_LIGHT_SELF("lua_Light_setDirection");
  if (light) {
    const float x = toFloatArg(L, 2), y = toFloatArg(L, 3), z = toFloatArg(L, 4);
    const float length = static_cast<float>(std::sqrt(static_cast<double>(x * x + y * y + z * z)));
    const float scale = length > 0.0f ? 1.0f / length : length;
    light->param_.direction[0] = x * scale;
    light->param_.direction[1] = y * scale;
    light->param_.direction[2] = z * scale;
  }
  return noResults(L);
}

template <float gfx::LightParameter::*Field>
int lightSetFloat(lua_State* L) {
  RK_LIGHT_SELF("lua_Light_setFloat");
  if (light) light->param_.*Field = toFloatArg(L, 2);
  return noResults(L);
}

int lightCollector(lua_State* L) {
  LuaObjectBlock* block = luaObjectBlock(L, 1);
  if (block && block->cls == &kLightClass && block->object) {
    auto* light = static_cast<Light*>(block->object);
    block->object = nullptr;
    delete light;  // pops itself from every manager first
  }
  return noResults(L);
}

const luaL_Reg kLightMethods[] = {
    {"setValid", lightSetValid},
    {"setType", lightSetType},
    {"setDiffuse", lightSetColour<&gfx::LightParameter::diffuse>},
    {"setAmbient", lightSetColour<&gfx::LightParameter::ambient>},
    {"setSpecular", lightSetColour<&gfx::LightParameter::specular>},
    {"setPosition", lightSetPosition},
    {"setDirection", lightSetDirection},
    {"setRange", lightSetFloat<&gfx::LightParameter::range>},
    {"setFalloff", lightSetFloat<&gfx::LightParameter::falloff>},
    {"setTheta", lightSetFloat<&gfx::LightParameter::theta>},
    {"setPhi", lightSetFloat<&gfx::LightParameter::phi>},
    {"setAttenuation0", lightSetFloat<&gfx::LightParameter::attenuation0>},
    {"setAttenuation1", lightSetFloat<&gfx::LightParameter::attenuation1>},
    {"setAttenuation2", lightSetFloat<&gfx::LightParameter::attenuation2>},
    {nullptr, nullptr},
};

}  // namespace

// Argument 1 must be an object; the four numbers after it are not used.
int calcPositionFromHitPlaneCenter(lua_State* L) {
  LuaObjectBlock* block = luaObjectBlock(L, 1);
  const void* object = block ? (block->cell ? block->cell->object : block->object) : nullptr;
  lua_settop(L, 0);
  if (!object) RK_GPH_REPORT_NULL("calcPositionFromHitPlaneCenter");
  return 0;
}

// Alpha in the top byte, then the low eight bits of red, green and blue.
int setAmbientColor(lua_State* L) {
  const std::uint32_t r = static_cast<std::uint32_t>(toIntArg(L, 1)) & 0xFFu;
  const std::uint32_t g = static_cast<std::uint32_t>(toIntArg(L, 2)) & 0xFFu;
  const std::uint32_t b = static_cast<std::uint32_t>(toIntArg(L, 3)) & 0xFFu;
  const std::uint32_t a = static_cast<std::uint32_t>(toIntArg(L, 4));
  lua_settop(L, 0);
  if (LightManager* lights = LightManager::getInstance()) lights->lightingState().ambient = a << 24 | r << 16 | g << 8 | b;
  return 0;
}

int setEnableLighting(lua_State* L) {
  const bool on = toBoolArg(L, 1);
  lua_settop(L, 0);
  if (LightManager* lights = LightManager::getInstance()) lights->lightingState().lighting = on;
  return 0;
}

int createLight(lua_State* L) {
  const int number = toIntArg(L, 1);
  lua_settop(L, 0);
  return pushLuaObject(L, new Light(number), kLightClass, kLightMethods, lightCollector);
}

// A light numbered outside the eight slots is refused by the manager (logged).
int pushLight(lua_State* L) {
  Light* light = toLuaObject<Light>(L, 1, kLightClass);
  lua_settop(L, 0);
  if (!light) {
    RK_GPH_REPORT_NULL("pushLight");
    return 0;
  }
  if (LightManager* lights = LightManager::getInstance()) lights->pushLight(light);
  return 0;
}

// An empty slot, or one outside the eight, has nothing to pop.
int popLight(lua_State* L) {
  const int slot = toIntArg(L, 1);
  lua_settop(L, 0);
  if (LightManager* lights = LightManager::getInstance())
    if (Light* light = lights->lastLight(slot)) lights->popLight(light);
  return 0;
}

}  // namespace rk::script::gph
