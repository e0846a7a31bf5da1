// The gfx model's state-command objects: the texture slot, the blend,
// sampler and multi-texture settings, the depth clear and depth test, and
// the stretch blit. Each creator appends its command to the gfx model and
// returns the object that owns it.
#include "gfx/gfx_model_command/rk_gfx_model_state.h"
#include "gfx/gfx_model_command/rk_gfx_strech_blt.h"
#include "rk_script_gfx_model_internal.h"

namespace rk::script::gph {

namespace {

namespace cmd = gfx::gfx_model_command;
using math::Vector4;

RK_GFX_COMMAND_CLASS(kTextureCommandClass, "rk::gfx::gfx_model_command::GfxModelTexture");
RK_GFX_COMMAND_CLASS(kBlendDefaultClass, "rk::gfx::gfx_model_command::TextureBlendDefault");
RK_GFX_COMMAND_CLASS(kBlendAlphaClass, "rk::gfx::gfx_model_command::TextureBlendAlpha");
RK_GFX_COMMAND_CLASS(kBlendAddClass, "rk::gfx::gfx_model_command::TextureBlendAdd");
RK_GFX_COMMAND_CLASS(kBlendSubClass, "rk::gfx::gfx_model_command::TextureBlendSub");
RK_GFX_COMMAND_CLASS(kBlendMulClass, "rk::gfx::gfx_model_command::TextureBlendMul");
RK_GFX_COMMAND_CLASS(kSamplerUClass, "rk::gfx::gfx_model_command::SamplerStateAddressU");
RK_GFX_COMMAND_CLASS(kSamplerVClass, "rk::gfx::gfx_model_command::SamplerStateAddressV");
RK_GFX_COMMAND_CLASS(kMultiTextureDefaultClass, "rk::gfx::gfx_model_command::MultiTextureDefault");
RK_GFX_COMMAND_CLASS(kMultiTextureDisableClass, "rk::gfx::gfx_model_command::MultiTextureDisable");
RK_GFX_COMMAND_CLASS(kClearZBufferClass, "rk::gfx::gfx_model_command::ClearZBuffer");
RK_GFX_COMMAND_CLASS(kTestZBufferClass, "rk::gfx::gfx_model_command::TestZBuffer");
RK_GFX_COMMAND_CLASS(kStrechBltClass, "rk::gfx::gfx_model_command::GfxModelStrechBlt");

const luaL_Reg kNoMethods[] = {{nullptr, nullptr}};

// ---------------------------------------------------------------- texture

// A stage above 1 is reported by the command. A texture argument that is
// neither a texture object nor nil is reported and changes nothing; nil and a
// released texture object leave the slot without a texture.
int lua_GfxModel_Texture_setTexture(lua_State* L) {
  auto* command = toGfxCommand<cmd::GfxModelTexture>(L, 1, kTextureCommandClass);
  const auto stage = static_cast<std::uint32_t>(lowWordArg(L, 2));
  const bool usable = lua_isnoneornil(L, 3) || isTextureObject(L, 3);
  gfx::RkTexture* texture = toTexture(L, 3);
  if (!usable) RK_GPH_REPORT_NULL("lua_GfxModel_Texture_setTexture");
  if (command && usable) command->setTexture(stage, texture);
  return noResults(L);
}

const luaL_Reg kTextureCommandMethods[] = {
    {"setTexture", lua_GfxModel_Texture_setTexture},
    {nullptr, nullptr},
};

// ---------------------------------------------------------------- blends

template <class Command, const LuaClass& Cls>
int setBlendValue(lua_State* L, const char* binding, int line) {
  Command* command = selfGfxCommand<Command>(L, Cls, binding, line);
  if (command) command->setBlend(lowWordArg(L, 2));
  return noResults(L);
}

#define RK_BLEND_SETTER(function, Command, Cls, name) \
  int function(lua_State* L) { return setBlendValue<Command, Cls>(L, RK_GPH_BINDING(name), __LINE__); }

RK_BLEND_SETTER(lua_GfxModel_TextureStageDefault_setBlend, cmd::TextureBlendDefault, kBlendDefaultClass,
                "lua_GfxModel_TextureStageDefault_setBlend")
RK_BLEND_SETTER(lua_GfxModel_AddBlend_setBlend, cmd::TextureBlendAdd, kBlendAddClass, "lua_GfxModel_AddBlend_setBlend")
RK_BLEND_SETTER(lua_GfxModel_SubBlend_setBlend, cmd::TextureBlendSub, kBlendSubClass, "lua_GfxModel_SubBlend_setBlend")
RK_BLEND_SETTER(lua_GfxModel_MulBlend_setBlend, cmd::TextureBlendMul, kBlendMulClass, "lua_GfxModel_MulBlend_setBlend")

int lua_GfxModel_AlphaBlend_setBlend(lua_State* L) {
  RK_GFX_COMMAND_SELF(cmd::TextureBlendAlpha, kBlendAlphaClass, "lua_GfxModel_AlphaBlend_setBlend");
  if (command) command->setBlend(toBoolArg(L, 2) ? 1 : 0);
  return noResults(L);
}

const luaL_Reg kBlendDefaultMethods[] = {{"setBlend", lua_GfxModel_TextureStageDefault_setBlend}, {nullptr, nullptr}};
const luaL_Reg kBlendAlphaMethods[] = {{"setBlend", lua_GfxModel_AlphaBlend_setBlend}, {nullptr, nullptr}};
const luaL_Reg kBlendAddMethods[] = {{"setBlend", lua_GfxModel_AddBlend_setBlend}, {nullptr, nullptr}};
const luaL_Reg kBlendSubMethods[] = {{"setBlend", lua_GfxModel_SubBlend_setBlend}, {nullptr, nullptr}};
const luaL_Reg kBlendMulMethods[] = {{"setBlend", lua_GfxModel_MulBlend_setBlend}, {nullptr, nullptr}};

// ---------------------------------------------------------------- samplers

int lua_GfxModel_SamplerAddressU_setAddress(lua_State* L) {
  RK_GFX_COMMAND_SELF(cmd::SamplerStateAddressU, kSamplerUClass, "lua_GfxModel_SamplerAddressU_setAddress");
  if (command) command->setAddress(lowWordArg(L, 2), lowWordArg(L, 3));
  return noResults(L);
}

int lua_GfxModel_SamplerAddressV_setAddress(lua_State* L) {
  RK_GFX_COMMAND_SELF(cmd::SamplerStateAddressV, kSamplerVClass, "lua_GfxModel_SamplerAddressV_setAddress");
  if (command) command->setAddress(lowWordArg(L, 2), lowWordArg(L, 3));
  return noResults(L);
}

const luaL_Reg kSamplerUMethods[] = {{"setAddress", lua_GfxModel_SamplerAddressU_setAddress}, {nullptr, nullptr}};
const luaL_Reg kSamplerVMethods[] = {{"setAddress", lua_GfxModel_SamplerAddressV_setAddress}, {nullptr, nullptr}};

// ---------------------------------------------------------------- depth test

int lua_GfxModel_TestZBuffer_setTestZBuffer(lua_State* L) {
  RK_GFX_COMMAND_SELF(cmd::TestZBuffer, kTestZBufferClass, "lua_GfxModel_TestZBuffer_setTestZBuffer");
  if (command) command->setTestZBuffer(toBoolArg(L, 2));
  return noResults(L);
}

const luaL_Reg kTestZBufferMethods[] = {{"setTestZBuffer", lua_GfxModel_TestZBuffer_setTestZBuffer}, {nullptr, nullptr}};

// ---------------------------------------------------------------- stretch blit

#define RK_BLT_SELF(name) RK_GFX_COMMAND_SELF(cmd::GfxModelStrechBlt, kStrechBltClass, "lua_GfxModel_StrechBlt_" name)

int bltSetDstXY(lua_State* L) {
  RK_BLT_SELF("setDstXY");
  if (command) command->setDstXY(toFloatArg(L, 2), toFloatArg(L, 3));
  return noResults(L);
}

int bltSetDstSize(lua_State* L) {
  RK_BLT_SELF("setDstSize");
  if (command) command->setDstSize(toFloatArg(L, 2), toFloatArg(L, 3));
  return noResults(L);
}

int bltSetSrcXY(lua_State* L) {
  RK_BLT_SELF("setSrcXY");
  if (command) command->setSrcXY(toFloatArg(L, 2), toFloatArg(L, 3));
  return noResults(L);
}

int bltSetSrcSize(lua_State* L) {
  RK_BLT_SELF("setSrcSize");
  if (command) command->setSrcSize(toFloatArg(L, 2), toFloatArg(L, 3));
  return noResults(L);
}

int bltSetDrawCommand(lua_State* L) {
  RK_BLT_SELF("setDrawCommand");
  if (command) command->setDrawCommand(lowWordArg(L, 2));
  return noResults(L);
}

// nil (or a released texture object) lets the texture go; any other value
// that is not a texture object is reported and changes nothing.
int bltSetTexture(lua_State* L) {
  RK_BLT_SELF("setTexture");
  const bool usable = lua_isnoneornil(L, 2) || isTextureObject(L, 2);
  if (!usable) RK_GPH_REPORT_NULL("lua_GfxModel_StrechBlt_setTexture");
  if (command && usable) command->setTexture(toTexture(L, 2));
  return noResults(L);
}

int bltIdentity(lua_State* L) {
  RK_BLT_SELF("identity");
  if (command) command->transform().resetTransform();
  return noResults(L);
}

int bltSetScaleCenter(lua_State* L) {
  RK_BLT_SELF("setScaleCenter");
  if (command) command->transform().setScaleCenter(Vector4{toFloatArg(L, 2), toFloatArg(L, 3), 0.0f, 0.0f});
  return noResults(L);
}

int bltSetScale(lua_State* L) {
  RK_BLT_SELF("setScale");
  if (command) command->transform().setScale(Vector4{toFloatArg(L, 2), toFloatArg(L, 3), 1.0f, 0.0f});
  return noResults(L);
}

// A roll of the scaling orientation.
int bltSetScaleRotation(lua_State* L) {
  RK_BLT_SELF("setScaleRotation");
  if (command) command->transform().setScaleYawPitchRollVec(Vector4{0.0f, 0.0f, toFloatArg(L, 2), 0.0f});
  return noResults(L);
}

int bltSetRotationCenter(lua_State* L) {
  RK_BLT_SELF("setRotationCenter");
  if (command) command->transform().setRotCenter(Vector4{toFloatArg(L, 2), toFloatArg(L, 3), 0.0f, 0.0f});
  return noResults(L);
}

// A rotation about z.
int bltSetRotation(lua_State* L) {
  RK_BLT_SELF("setRotation");
  if (command) command->transform().setYawPitchRollVec(Vector4{0.0f, 0.0f, toFloatArg(L, 2), 0.0f});
  return noResults(L);
}

int bltCalcTransform(lua_State* L) {
  RK_BLT_SELF("calcTransform");
  if (command) command->transform().buildMatrix();
  return noResults(L);
}

}  // namespace

const luaL_Reg kStrechBltMethods[] = {
    {"setDstXY", bltSetDstXY},
    {"setDstSize", bltSetDstSize},
    {"setSrcXY", bltSetSrcXY},
    {"setSrcSize", bltSetSrcSize},
    {"setDrawCommand", bltSetDrawCommand},
    {"setTexture", bltSetTexture},
    {"identity", bltIdentity},
    {"setScaleCenter", bltSetScaleCenter},
    {"setScale", bltSetScale},
    {"setScaleRotation", bltSetScaleRotation},
    {"setRotationCenter", bltSetRotationCenter},
    {"setRotation", bltSetRotation},
    {"calcTransform", bltCalcTransform},
    {nullptr, nullptr},
};

namespace {

// ---------------------------------------------------------------- creators

// Appends a command built from the gfx model (null when reported) and the
// values, and returns its object. The command joins the model while the
// model's object is still on the stack: should the model be collected while
// the command's object is made, it has already unlinked the command.
template <class Command, class... Values>
int appendCommand(lua_State* L, gfx::GfxModel* model, const LuaClass& cls, const luaL_Reg* methods,
                  lua_CFunction collector, Values... values) {
  return pushGfxCommand(L, new Command(model, values...), cls, methods, collector);
}

}  // namespace

int lua_GfxModel_createSetTexture(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_createSetTexture");
  return appendCommand<cmd::GfxModelTexture>(L, model, kTextureCommandClass, kTextureCommandMethods,
                                             releaseGfxCommand);
}

int lua_GfxModel_createTextureStageDefault(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_createTextureStageDefault");
  return appendCommand<cmd::TextureBlendDefault>(L, model, kBlendDefaultClass, kBlendDefaultMethods,
                                                 releaseGfxCommand, lowWordArg(L, 2));
}

int lua_GfxModel_createAlphaBlend(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_createAlphaBlend");
  return appendCommand<cmd::TextureBlendAlpha>(L, model, kBlendAlphaClass, kBlendAlphaMethods, releaseGfxCommand,
                                               std::int32_t{toBoolArg(L, 2)});
}

int lua_GfxModel_createAddBlend(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_createAddBlend");
  return appendCommand<cmd::TextureBlendAdd>(L, model, kBlendAddClass, kBlendAddMethods, releaseGfxCommand,
                                             lowWordArg(L, 2));
}

int lua_GfxModel_createSubBlend(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_createSubBlend");
  return appendCommand<cmd::TextureBlendSub>(L, model, kBlendSubClass, kBlendSubMethods, releaseGfxCommand,
                                             lowWordArg(L, 2));
}

int lua_GfxModel_createMulBlend(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_createMulBlend");
  return appendCommand<cmd::TextureBlendMul>(L, model, kBlendMulClass, kBlendMulMethods, releaseGfxCommand,
                                             lowWordArg(L, 2));
}

int lua_GfxModel_createSamplerAddressU(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_createSamplerAddressU");
  return appendCommand<cmd::SamplerStateAddressU>(L, model, kSamplerUClass, kSamplerUMethods, releaseGfxCommand);
}

int lua_GfxModel_createSamplerAddressV(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_createSamplerAddressV");
  return appendCommand<cmd::SamplerStateAddressV>(L, model, kSamplerVClass, kSamplerVMethods, releaseGfxCommand);
}

int lua_GfxModel_createMultiTextureDefault(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_createMultiTextureDefault");
  return appendCommand<cmd::MultiTextureDefault>(L, model, kMultiTextureDefaultClass, kNoMethods,
                                                 releaseGfxCommand);
}

int lua_GfxModel_disableMultiTexture(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_disableMultiTexture");
  return appendCommand<cmd::MultiTextureDisable>(L, model, kMultiTextureDisableClass, kNoMethods,
                                                 releaseGfxCommand);
}

int lua_GfxModel_clearZBuffer(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_clearZBuffer");
  return appendCommand<cmd::ClearZBuffer>(L, model, kClearZBufferClass, kNoMethods, gfx::GfxModel::deleteList);
}

// These two creators do not report a missing gfx model.
int lua_GfxModel_createTestZBuffer(lua_State* L) {
  return appendCommand<cmd::TestZBuffer>(L, toGfxModel(L, 1), kTestZBufferClass, kTestZBufferMethods,
                                         gfx::GfxModel::deleteList);
}

int lua_GfxModel_createStrechBlt(lua_State* L) {
  return appendCommand<cmd::GfxModelStrechBlt>(L, toGfxModel(L, 1), kStrechBltClass, kStrechBltMethods,
                                               gfx::GfxModel::deleteList);
}

}  // namespace rk::script::gph
