// The world-matrix object: a gfx model command holding a transformation
// that becomes the world matrix of the commands after it, optionally turned
// to face the camera first. Its methods read and write the transformation.
#include "gfx/gfx_model_command/rk_gfx_model_state.h"
#include "rk_script_gfx_model_internal.h"

namespace rk::script::gph {

namespace {

using gfx::gfx_model_command::GfxTransformation;
using math::Vector4;

RK_GFX_COMMAND_CLASS(kWorldMatrixClass, "rk::gfx::gfx_model_command::GfxTransformation");

#define RK_TRANS_SELF(name) \
  RK_GFX_COMMAND_SELF(GfxTransformation, kWorldMatrixClass, "lua_GfxModel_Trans_" name)

Vector4 xyzwArgs(lua_State* L) { return {toFloatArg(L, 2), toFloatArg(L, 3), toFloatArg(L, 4), toFloatArg(L, 5)}; }

int pushComponents(lua_State* L, const Vector4& v, int count) {
  lua_settop(L, 0);
  const float components[] = {v.x, v.y, v.z, v.w};
  for (int i = 0; i < count; ++i) lua_pushnumber(L, components[i]);
  return count;
}

// The stored angles (pitch in x, yaw in y, roll in z) as yaw, pitch, roll.
int pushAngles(lua_State* L, GfxTransformation* command,
               const Vector4& (math::Transformation::*get)() const) {
  const Vector4 angles = command ? (command->transform().*get)() : Vector4{};
  return pushComponents(L, {angles.y, angles.x, angles.z, 0.0f}, 3);
}

// A null command answers zeros.
template <const Vector4& (math::Transformation::*Get)() const>
int getVector(lua_State* L, GfxTransformation* command, int count) {
  return pushComponents(L, command ? (command->transform().*Get)() : Vector4{}, count);
}

int lua_GfxModel_Trans_getScaleCenter(lua_State* L) {
  RK_TRANS_SELF("getScaleCenter");
  return getVector<&math::Transformation::getScaleCenter>(L, command, 3);
}

int lua_GfxModel_Trans_setScaleCenter(lua_State* L) {
  RK_TRANS_SELF("setScaleCenter");
  if (command) command->transform().setScaleCenter(toXYZArgs(L, 2));
  return noResults(L);
}

int lua_GfxModel_Trans_getScaleRot(lua_State* L) {
  RK_TRANS_SELF("getScaleRot");
  return pushAngles(L, command, &math::Transformation::getScaleYawPitchRoll);
}

int lua_GfxModel_Trans_setScaleYawPitchRoll(lua_State* L) {
  RK_TRANS_SELF("setScaleYawPitchRoll");
  if (command) command->transform().setScaleYawPitchRoll(toFloatArg(L, 2), toFloatArg(L, 3), toFloatArg(L, 4));
  return noResults(L);
}

int lua_GfxModel_Trans_setScaleQuat(lua_State* L) {
  RK_TRANS_SELF("setScaleQuat");
  if (command) command->transform().setScaleQuat(xyzwArgs(L));
  return noResults(L);
}

int lua_GfxModel_Trans_getScaleQuat(lua_State* L) {
  RK_TRANS_SELF("getScaleQuat");
  return getVector<&math::Transformation::getScaleQuat>(L, command, 4);
}

int lua_GfxModel_Trans_getScale(lua_State* L) {
  RK_TRANS_SELF("getScale");
  return getVector<&math::Transformation::getScale>(L, command, 3);
}

int lua_GfxModel_Trans_setScale(lua_State* L) {
  RK_TRANS_SELF("setScale");
  if (command) command->transform().setScale(toXYZArgs(L, 2));
  return noResults(L);
}

int lua_GfxModel_Trans_setRotCenter(lua_State* L) {
  RK_TRANS_SELF("setRotCenter");
  if (command) command->transform().setRotCenter(toXYZArgs(L, 2));
  return noResults(L);
}

int lua_GfxModel_Trans_getRotCenter(lua_State* L) {
  RK_TRANS_SELF("getRotCenter");
  return getVector<&math::Transformation::getRotCenter>(L, command, 3);
}

int lua_GfxModel_Trans_setYawPitchRoll(lua_State* L) {
  RK_TRANS_SELF("setYawPitchRoll");
  if (command) command->transform().setYawPitchRoll(toFloatArg(L, 2), toFloatArg(L, 3), toFloatArg(L, 4));
  return noResults(L);
}

int lua_GfxModel_Trans_getRot(lua_State* L) {
  RK_TRANS_SELF("getRot");
  return pushAngles(L, command, &math::Transformation::getYawPitchRoll);
}

int lua_GfxModel_Trans_setRotQuat(lua_State* L) {
  RK_TRANS_SELF("setRotQuat");
  if (command) command->transform().setRotQuat(xyzwArgs(L));
  return noResults(L);
}

int lua_GfxModel_Trans_setPos(lua_State* L) {
  RK_TRANS_SELF("setPos");
  if (command) command->transform().setPos(toXYZArgs(L, 2));
  return noResults(L);
}

int lua_GfxModel_Trans_getPos(lua_State* L) {
  RK_TRANS_SELF("getPos");
  return getVector<&math::Transformation::getPos>(L, command, 3);
}

int lua_GfxModel_Trans_calc(lua_State* L) {
  RK_TRANS_SELF("calc");
  if (command) command->transform().buildMatrix();
  return noResults(L);
}

int lua_GfxModel_Trans_setBillboard(lua_State* L) {
  RK_TRANS_SELF("setBillboard");
  if (command) command->setBillboard(toBoolArg(L, 2));
  return noResults(L);
}

int lua_GfxModel_Trans_isBillboard(lua_State* L) {
  RK_TRANS_SELF("isBillboard");
  return pushBoolean(L, command && command->isBillboard());
}

}  // namespace

const luaL_Reg kWorldMatrixMethods[] = {
    {"getScaleCenter", lua_GfxModel_Trans_getScaleCenter},
    {"setScaleCenter", lua_GfxModel_Trans_setScaleCenter},
    {"getScaleRot", lua_GfxModel_Trans_getScaleRot},
    {"setScaleYawPitchRoll", lua_GfxModel_Trans_setScaleYawPitchRoll},
    {"setScaleQuat", lua_GfxModel_Trans_setScaleQuat},
    {"getScaleQuat", lua_GfxModel_Trans_getScaleQuat},
    {"getScale", lua_GfxModel_Trans_getScale},
    {"setScale", lua_GfxModel_Trans_setScale},
    {"setRotCenter", lua_GfxModel_Trans_setRotCenter},
    {"getRotCenter", lua_GfxModel_Trans_getRotCenter},
    {"setYawPitchRoll", lua_GfxModel_Trans_setYawPitchRoll},
    {"getRot", lua_GfxModel_Trans_getRot},
    {"setRotQuat", lua_GfxModel_Trans_setRotQuat},
    {"setPos", lua_GfxModel_Trans_setPos},
    {"getPos", lua_GfxModel_Trans_getPos},
    {"calc", lua_GfxModel_Trans_calc},
    {"setBillboard", lua_GfxModel_Trans_setBillboard},
    {"isBillboard", lua_GfxModel_Trans_isBillboard},
    {nullptr, nullptr},
};

int lua_GfxModel_createWorldMatrix(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_createWorldMatrix");
  GfxTransformation* command = model ? model->createTransformation() : new GfxTransformation(nullptr);
  return pushGfxCommand(L, command, kWorldMatrixClass, kWorldMatrixMethods);
}

}  // namespace rk::script::gph
