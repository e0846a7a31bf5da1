// The gfx model's colour, lighting and line command objects: the ambient
// colour of the device, the vertex colour of the commands after it, a studio
// lighting record uploaded where it stands in the list, and a line strip.
#include "gfx/gfx_model_command/rk_gfx_billboard.h"
#include "gfx/gfx_model_command/rk_gfx_model_state.h"
#include "gfx/rk_light.h"
#include "gfx/rk_studio_info.h"
#include "rk_script_gfx_model_internal.h"

namespace rk::script::gph {

namespace {

namespace cmd = gfx::gfx_model_command;

RK_GFX_COMMAND_CLASS(kAmbientColorClass, "rk::gfx::gfx_model_command::SettingAmbient");
RK_GFX_COMMAND_CLASS(kSetColorClass, "rk::gfx::gfx_model_command::SetColor");
RK_GFX_COMMAND_CLASS(kLightingClass, "rk::gfx::gfx_model_command::Lighting");
RK_GFX_COMMAND_CLASS(kLineDrawClass, "rk::gfx::gfx_model_command::LineDraw");

// A colour number: 0xAARRGGBB in the low 32 bits of the truncated number.
gfx::Color colourArg(lua_State* L, int index) {
  return gfx::colorFromArgb(static_cast<std::uint32_t>(toInt64Arg(L, index)));
}

// ---------------------------------------------------------------- colours

int lua_GfxModel_SettingAmbient_setAmbient(lua_State* L) {
  RK_GFX_COMMAND_SELF(cmd::SettingAmbient, kAmbientColorClass, "lua_GfxModel_SettingAmbient_setAmbient");
  if (command) command->setAmbient(colourArg(L, 2));
  return noResults(L);
}

int lua_GfxModel_SetColor_setColor(lua_State* L) {
  RK_GFX_COMMAND_SELF(cmd::SetColor, kSetColorClass, "lua_GfxModel_SetColor_setColor");
  if (command) command->setColor(colourArg(L, 2));
  return noResults(L);
}

const luaL_Reg kAmbientColorMethods[] = {{"setAmbient", lua_GfxModel_SettingAmbient_setAmbient}, {nullptr, nullptr}};
const luaL_Reg kSetColorMethods[] = {{"setColor", lua_GfxModel_SetColor_setColor}, {nullptr, nullptr}};

// ---------------------------------------------------------------- lighting

#define RK_LIGHTING_SELF(name) RK_GFX_COMMAND_SELF(cmd::Lighting, kLightingClass, "lua_GfxModel_Lighting_" name)

// Any mode is stored: 0 switches lighting off, 2 leaves it alone, the rest
// apply the record's lights.
int lua_GfxModel_Lighting_setValid(lua_State* L) {
  RK_LIGHTING_SELF("setValid");
  if (command) command->studio().setLightMode(lowWordArg(L, 2));
  return noResults(L);
}

int lua_GfxModel_Lighting_setAmbientColor(lua_State* L) {
  RK_LIGHTING_SELF("setAmbientColor");
  if (command) command->studio().setAmbientColor(colourArg(L, 2));
  return noResults(L);
}

int lua_GfxModel_Lighting_setLightValid(lua_State* L) {
  RK_LIGHTING_SELF("setLightValid");
  if (command) command->studio().setLightEnable(lowWordArg(L, 2), toBoolArg(L, 3));
  return noResults(L);
}

void setChannels(float (&out)[4], const gfx::Color& colour) {
  out[0] = colour.getR();
  out[1] = colour.getG();
  out[2] = colour.getB();
  out[3] = colour.getA();
}

// id, type, diffuse, specular, ambient, position (3), direction (3), range,
// falloff, three attenuations, theta, phi. An existing light is overwritten.
int lua_GfxModel_Lighting_setLight(lua_State* L) {
  RK_LIGHTING_SELF("setLight");
  gfx::LightParameter light;
  light.type = lowWordArg(L, 3);
  setChannels(light.diffuse, colourArg(L, 4));
  setChannels(light.specular, colourArg(L, 5));
  setChannels(light.ambient, colourArg(L, 6));
  for (int i = 0; i < 3; ++i) light.position[i] = toFloatArg(L, 7 + i);
  for (int i = 0; i < 3; ++i) light.direction[i] = toFloatArg(L, 10 + i);
  float* tail[] = {&light.range,        &light.falloff, &light.attenuation0, &light.attenuation1,
                   &light.attenuation2, &light.theta,   &light.phi};
  for (int i = 0; i < 7; ++i) *tail[i] = toFloatArg(L, 13 + i);
  if (command) command->studio().lights()[lowWordArg(L, 2)] = light;
  return noResults(L);
}

// ---------------------------------------------------------------- line draw

#define RK_LINE_SELF(name) RK_GFX_COMMAND_SELF(cmd::LineDraw, kLineDrawClass, "lua_GfxModel_LineDraw_" name)

math::Vector4 pointArgs(lua_State* L) { return {toFloatArg(L, 2), toFloatArg(L, 3), toFloatArg(L, 4), 0.0f}; }

int lua_GfxModel_LineDraw_lineTo(lua_State* L) {
  RK_LINE_SELF("lineTo");
  if (command) command->params().points.push_back(pointArgs(L));
  return noResults(L);
}

int lua_GfxModel_LineDraw_moveTo(lua_State* L) {
  RK_LINE_SELF("moveTo");
  if (command) command->params().points.assign(1, pointArgs(L));
  return noResults(L);
}

int lua_GfxModel_LineDraw_setVisible(lua_State* L) {
  RK_LINE_SELF("setVisible");
  if (command) command->params().visible = toBoolArg(L, 2);
  return noResults(L);
}

int lua_GfxModel_LineDraw_isVisible(lua_State* L) {
  RK_LINE_SELF("isVisible");
  return pushBoolean(L, command && command->params().visible);
}

int lua_GfxModel_LineDraw_clear(lua_State* L) {
  RK_LINE_SELF("clear");
  if (command) command->params().points.clear();
  return noResults(L);
}

}  // namespace

const luaL_Reg kLightingMethods[] = {
    {"setValid", lua_GfxModel_Lighting_setValid},
    {"setAmbientColor", lua_GfxModel_Lighting_setAmbientColor},
    {"setLightValid", lua_GfxModel_Lighting_setLightValid},
    {"setLight", lua_GfxModel_Lighting_setLight},
    {nullptr, nullptr},
};

const luaL_Reg kLineDrawMethods[] = {
    {"lineTo", lua_GfxModel_LineDraw_lineTo},
    {"moveTo", lua_GfxModel_LineDraw_moveTo},
    {"setVisible", lua_GfxModel_LineDraw_setVisible},
    {"isVisible", lua_GfxModel_LineDraw_isVisible},
    {"clear", lua_GfxModel_LineDraw_clear},
    {nullptr, nullptr},
};

int lua_GfxModel_createAmbientColor(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_createAmbientColor");
  return pushGfxCommand(L, new cmd::SettingAmbient(model), kAmbientColorClass, kAmbientColorMethods);
}

int lua_GfxModel_createSetColor(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_createSetColor");
  return pushGfxCommand(L, new cmd::SetColor(model), kSetColorClass, kSetColorMethods);
}

// The new record keeps the device's lighting as it is (mode 2) until set.
int lua_GfxModel_createLighting(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_createLighting");
  auto* command = new cmd::Lighting(model);
  command->studio().setLightMode(2);
  return pushGfxCommand(L, command, kLightingClass, kLightingMethods);
}

int lua_GfxModel_createLineDraw(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_createLineDraw");
  return pushGfxCommand(L, new cmd::LineDraw(model), kLineDrawClass, kLineDrawMethods);
}

}  // namespace rk::script::gph
