// Studio settings, spot-light data and shadow planes: views that a camera's
// getStudioInfo hands out on the camera's current studio entry. All three
// borrow what they point to (their collector leaves it alone) and are linked
// to the studio entry, so that once the entry is deleted (with its camera, or
// popped) they read as null objects. A shadow-plane object made for a missing
// plane holds nothing; its methods report and do nothing.
#include <cmath>

#include "gfx/rk_studio_info.h"
#include "script/rk_script_graphics.h"
#include "rk_script_graphics_internal.h"

namespace rk::script::gph {

const LuaClass kStudioInfoClass{"rk::gfx::StudioInfo"};
const LuaClass kSpotLightDataClass{"rk::gfx::ShaderSpotLightData"};
const LuaClass kShadowPlaneClass{"rk::gfx::ShadowPlane"};

namespace {

using gfx::ShaderSpotLightData;
using gfx::ShadowPlane;
using gfx::StudioInfo;
using rk::math::Vector4;

// Lets go of the view's link to its entry only.
int borrowed(lua_State* L) {
  LuaObjectLinks::release(luaObjectBlock(L, 1));
  return noResults(L);
}

// A view on part of `studio`, linked to it.
int pushView(lua_State* L, StudioInfo& studio, void* part, const LuaClass& cls, const luaL_Reg* methods) {
  LuaObjectBlock* block = nullptr;
  const int results = pushLuaObject(L, part, cls, methods, borrowed, &block);
  if (part) studio.scriptLinks().link(block);
  return results;
}

Vector4 vectorArg(lua_State* L, int first) {
  return {toFloatArg(L, first), toFloatArg(L, first + 1), toFloatArg(L, first + 2), 0.0f};
}

// (x, y, z) over its length; a zero vector stays zero.
Vector4 unitArg(lua_State* L, int first) {
  Vector4 v = vectorArg(L, first);
  const float length = static_cast<float>(std::sqrt(static_cast<double>(v.x * v.x + v.y * v.y + v.z * v.z)));
  const float scale = length > 0.0f ? 1.0f / length : length;
  return {v.x * scale, v.y * scale, v.z * scale, 0.0f};
}

void colourNumberInto(float* out, std::uint32_t argb) {
  const gfx::Color c = gfx::colorFromArgb(argb);
  out[0] = c.getR(), out[1] = c.getG(), out[2] = c.getB(), out[3] = c.getA();
}

// ---------------------------------------------------------------- studio

#define RK_STUDIO_SELF(name)                                                  \
  StudioInfo* studio = toLuaObject<StudioInfo>(L, 1, kStudioInfoClass);       \
  if (!studio) RK_GPH_REPORT_NULL(name)

// Only 1 switches the studio's own lights on; 0 and every other value do not.
int studioSetValid(lua_State* L) {
  RK_STUDIO_SELF("lua_StudioInfo_setValid");
  const int mode = toIntArg(L, 2);
  if (studio) studio->setLightMode(mode == 0 ? 0 : mode == 1 ? 1 : 2);
  return noResults(L);
}

int studioSetAmbientColor(lua_State* L) {
  RK_STUDIO_SELF("lua_StudioInfo_setAmbientColor");
  const gfx::Color colour(byteChannel(L, 2), byteChannel(L, 3), byteChannel(L, 4), byteChannel(L, 5));
  if (studio) studio->setAmbientColor(colour);
  return noResults(L);
}

int studioSetLightValid(lua_State* L) {
  RK_STUDIO_SELF("lua_StudioInfo_setLightValid");
  if (studio) studio->setLightEnable(toIntArg(L, 2), toBoolArg(L, 3));
  return noResults(L);
}

int studioGetLightMax(lua_State* L) {
  lua_settop(L, 0);
  lua_pushinteger(L, 16);
  return 1;
}

int studioSetLight(lua_State* L) {
  RK_STUDIO_SELF("lua_StudioInfo_setLight");
  gfx::LightParameter light;
  light.type = toIntArg(L, 3);
  colourNumberInto(light.diffuse, colourNumber(L, 4));
  colourNumberInto(light.specular, colourNumber(L, 5));
  colourNumberInto(light.ambient, colourNumber(L, 6));
  for (int i = 0; i < 3; ++i) light.position[i] = toFloatArg(L, 7 + i);
  for (int i = 0; i < 3; ++i) light.direction[i] = toFloatArg(L, 10 + i);
  light.range = toFloatArg(L, 13);
  light.falloff = toFloatArg(L, 14);
  light.attenuation0 = toFloatArg(L, 15);
  light.attenuation1 = toFloatArg(L, 16);
  light.attenuation2 = toFloatArg(L, 17);
  light.theta = toFloatArg(L, 18);
  light.phi = toFloatArg(L, 19);
  if (studio) studio->lights()[toIntArg(L, 2)] = light;
  return noResults(L);
}

extern const luaL_Reg kSpotLightMethods[];
extern const luaL_Reg kShadowPlaneMethods[];

int studioGetShaderSpotLightData(lua_State* L) {
  RK_STUDIO_SELF("lua_StudioInfo_getShaderSpotLightData");
  lua_settop(L, 0);
  if (!studio) return 0;
  return pushView(L, *studio, &studio->spotLight(), kSpotLightDataClass, kSpotLightMethods);
}

int studioCreateShadowPlane(lua_State* L) {
  RK_STUDIO_SELF("lua_StudioInfo_createShadowPlane");
  if (studio) studio->createShadowPlane(toIntArg(L, 2));
  return noResults(L);
}

int studioGetShadowPlane(lua_State* L) {
  RK_STUDIO_SELF("lua_StudioInfo_getShadowPlane");
  const int index = toIntArg(L, 2);
  lua_settop(L, 0);
  if (!studio) return 0;
  auto it = studio->shadowPlanes().find(index);
  ShadowPlane* plane = it == studio->shadowPlanes().end() ? nullptr : &it->second;
  return pushView(L, *studio, plane, kShadowPlaneClass, kShadowPlaneMethods);
}

const luaL_Reg kStudioMethods[] = {
    {"setValid", studioSetValid},
    {"setAmbientColor", studioSetAmbientColor},
    {"setLightValid", studioSetLightValid},
    {"getLightMax", studioGetLightMax},
    {"setLight", studioSetLight},
    {"getShaderSpotLightData", studioGetShaderSpotLightData},
    {"createShadowPlane", studioCreateShadowPlane},
    {"getShadowPlane", studioGetShadowPlane},
    {nullptr, nullptr},
};

// ------------------------------------------------------------ spot light

#define RK_SPOT_SELF(name)                                                                    \
  ShaderSpotLightData* spot = toLuaObject<ShaderSpotLightData>(L, 1, kSpotLightDataClass);   \
  if (!spot) RK_GPH_REPORT_NULL(name)

// One binding for the spot light and the shadow plane: both records begin
// with their valid flag.
int setValidFlag(lua_State* L) {
  bool* valid = nullptr;
  if (auto* spot = toLuaObject<ShaderSpotLightData>(L, 1, kSpotLightDataClass)) valid = &spot->valid;
  if (auto* plane = toLuaObject<ShadowPlane>(L, 1, kShadowPlaneClass)) valid = &plane->valid;
  if (!valid) RK_GPH_REPORT_NULL("lua_setValid");
  if (valid) *valid = toBoolArg(L, 2);
  return noResults(L);
}

int spotIsValid(lua_State* L) {
  RK_SPOT_SELF("lua_ShaderSpotLightData_isValid");
  lua_settop(L, 0);
  if (!spot) return 0;
  lua_pushboolean(L, spot->valid);
  return 1;
}

template <Vector4 ShaderSpotLightData::*Field, bool Unit>
int spotSetVector(lua_State* L) {
  RK_SPOT_SELF("lua_ShaderSpotLightData_setVector");
  if (spot) spot->*Field = Unit ? unitArg(L, 2) : vectorArg(L, 2);
  return noResults(L);
}

template <Vector4 ShaderSpotLightData::*Field>
int spotGetVector(lua_State* L) {
  RK_SPOT_SELF("lua_ShaderSpotLightData_getVector");
  lua_settop(L, 0);
  if (!spot) return 0;
  const Vector4& v = spot->*Field;
  lua_pushnumber(L, v.x);
  lua_pushnumber(L, v.y);
  lua_pushnumber(L, v.z);
  return 3;
}

// Angles: 0 field of view, 1 theta, 2 phi.
template <int Angle>
int spotSetAngle(lua_State* L) {
  RK_SPOT_SELF("lua_ShaderSpotLightData_setAngle");
  if (spot) spot->angles[Angle] = toFloatArg(L, 2);
  return noResults(L);
}

template <int Angle>
int spotGetAngle(lua_State* L) {
  RK_SPOT_SELF("lua_ShaderSpotLightData_getAngle");
  lua_settop(L, 0);
  if (!spot) return 0;
  lua_pushnumber(L, spot->angles[Angle]);
  return 1;
}

template <gfx::Color ShaderSpotLightData::*Field>
int spotSetColour(lua_State* L) {
  RK_SPOT_SELF("lua_ShaderSpotLightData_setColor");
  if (spot) spot->*Field = gfx::colorFromArgb(colourNumber(L, 2));
  return noResults(L);
}

const luaL_Reg kSpotLightMethods[] = {
    {"setValid", setValidFlag},
    {"isValid", spotIsValid},
    {"setEye", spotSetVector<&ShaderSpotLightData::position, false>},
    {"setAt", spotSetVector<&ShaderSpotLightData::vector, false>},
    {"setUp", spotSetVector<&ShaderSpotLightData::up, true>},
    {"getEye", spotGetVector<&ShaderSpotLightData::position>},
    {"getAt", spotGetVector<&ShaderSpotLightData::vector>},
    {"getUp", spotGetVector<&ShaderSpotLightData::up>},
    {"setFov", spotSetAngle<0>},
    {"setTheta", spotSetAngle<1>},
    {"setPhi", spotSetAngle<2>},
    {"getTheta", spotGetAngle<1>},
    {"getPhi", spotGetAngle<2>},
    {"getFov", spotGetAngle<0>},
    {"setAmbientColor", spotSetColour<&ShaderSpotLightData::ambient>},
    {"setDiffuseColor", spotSetColour<&ShaderSpotLightData::diffuse>},
    {nullptr, nullptr},
};

// ---------------------------------------------------------- shadow plane

#define RK_PLANE_SELF(name)                                                \
  ShadowPlane* plane = toLuaObject<ShadowPlane>(L, 1, kShadowPlaneClass);  \
  if (!plane) RK_GPH_REPORT_NULL(name)

int planeSetDir(lua_State* L) {
  RK_PLANE_SELF("lua_ShadowPlane_setDir");
  if (plane) plane->light = unitArg(L, 2);
  return noResults(L);
}

int planeSetLightPos(lua_State* L) {
  RK_PLANE_SELF("lua_ShadowPlane_setLightPos");
  if (plane) plane->light = {toFloatArg(L, 2), toFloatArg(L, 3), toFloatArg(L, 4), 1.0f};
  return noResults(L);
}

int planeSetPlane(lua_State* L) {
  RK_PLANE_SELF("lua_ShadowPlane_setPlane");
  if (plane) plane->plane = {toFloatArg(L, 2), toFloatArg(L, 3), toFloatArg(L, 4), toFloatArg(L, 5)};
  return noResults(L);
}

const luaL_Reg kShadowPlaneMethods[] = {
    {"setValid", setValidFlag},
    {"setDir", planeSetDir},
    {"setLightPos", planeSetLightPos},
    {"setPlane", planeSetPlane},
    {nullptr, nullptr},
};

}  // namespace

int pushStudioInfo(lua_State* L, StudioInfo* studio) {
  return pushView(L, *studio, studio, kStudioInfoClass, kStudioMethods);
}

}  // namespace rk::script::gph
