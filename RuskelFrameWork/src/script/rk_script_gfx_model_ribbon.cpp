// The gfx model's ribbon, draw-flash and wipe command objects: a capsule
// laser along an axis, a poly line through its points, the draw flash that
// keeps a draw kind and draws nothing, and a wipe covering the screen with a
// fading colour over the time of a named counter.
#include "gfx/gfx_model_command/rk_gfx_billboard.h"
#include "gfx/gfx_model_command/rk_gfx_wipe.h"
#include "rk_script_gfx_model_internal.h"

namespace rk::script::gph {

namespace {

namespace cmd = gfx::gfx_model_command;
using math::Vector4;

RK_GFX_COMMAND_CLASS(kCapsuleLaserClass, "rk::gfx::gfx_model_command::CapsuleLaser");
RK_GFX_COMMAND_CLASS(kPolyLineDrawClass, "rk::gfx::gfx_model_command::PolyLineDraw");
RK_GFX_COMMAND_CLASS(kDrawFlashClass, "rk::gfx::gfx_model_command::DrawFlash");
RK_GFX_COMMAND_CLASS(kGfxWipeClass, "rk::gfx::gfx_model_command::GfxWipe");

// These methods belong to the commands themselves: their entries name them
// in the commands' namespace.
#define RK_GMC_BINDING(name) "rk::gfx::gfx_model_command::`anonymous-namespace'::" name
#define RK_GMC_SELF(Type, cls, name)                                                                       \
  Type* command = toGfxCommand<Type>(L, 1, cls);                                                           \
  if (!command) ::rk::debug::writeErrorLog("src/gfx/gfx_model_command/rk_gfx_model_command", __LINE__, \
                                           RK_GMC_BINDING(name))


// (u0, v0) and (u1, v1) from arguments 2 to 5.
void setUVPair(lua_State* L, Vector4 (&pair)[2]) {
  pair[0] = {toFloatArg(L, 2), toFloatArg(L, 3), 0.0f, 0.0f};
  pair[1] = {toFloatArg(L, 4), toFloatArg(L, 5), 0.0f, 0.0f};
}

// Deletes the command of argument 1 and clears the object; a null one is
// reported under the collector's name.
template <const LuaClass& Cls>
int deleteCommand(lua_State* L, const char* name, int line) {
  auto* command = toGfxCommand<gfx::GfxModelList>(L, 1, Cls);
  if (command) {
    luaObjectBlock(L, 1)->object = nullptr;
    delete command;
  } else {
    debug::writeErrorLog("src/gfx/gfx_model_command/rk_gfx_model_command", line, name);
  }
  return noResults(L);
}

// ---------------------------------------------------------------- capsule laser

#define RK_CAPSULE_SELF(name) RK_GMC_SELF(cmd::CapsuleLaser, kCapsuleLaserClass, "lua_CapsuleLaser_" name)

int capsuleSetRadius(lua_State* L) {
  RK_CAPSULE_SELF("setRadius");
  if (command) command->params().radius = toFloatArg(L, 2);
  return noResults(L);
}

int capsuleSetLength(lua_State* L) {
  RK_CAPSULE_SELF("setLength");
  if (command) command->params().length = toFloatArg(L, 2);
  return noResults(L);
}

// Normalised; a zero vector stays zero.
int capsuleSetAxis(lua_State* L) {
  RK_CAPSULE_SELF("setAxis");
  if (command) command->setAxis(toFloatArg(L, 2), toFloatArg(L, 3), toFloatArg(L, 4));
  return noResults(L);
}

int capsuleSetLeadUV(lua_State* L) {
  RK_CAPSULE_SELF("setLeadUV");
  if (command) setUVPair(L, command->params().lead_uv);
  return noResults(L);
}

int capsuleSetCenterUV(lua_State* L) {
  RK_CAPSULE_SELF("setCenterUV");
  if (command) setUVPair(L, command->params().center_uv);
  return noResults(L);
}

int capsuleSetTermUV(lua_State* L) {
  RK_CAPSULE_SELF("setTermUV");
  if (command) setUVPair(L, command->params().term_uv);
  return noResults(L);
}

int capsuleSetPos(lua_State* L) {
  RK_CAPSULE_SELF("setPos");
  if (command) command->params().position = toXYZArgs(L, 2);
  return noResults(L);
}

int capsuleSetVisible(lua_State* L) {
  RK_CAPSULE_SELF("setVisible");
  if (command) command->params().visible = toBoolArg(L, 2);
  return noResults(L);
}

int capsuleIsVisible(lua_State* L) {
  RK_CAPSULE_SELF("isVisible");
  return pushBoolean(L, command && command->params().visible);
}

int releaseCapsuleLaserCommand(lua_State* L) {
  return deleteCommand<kCapsuleLaserClass>(L, RK_GMC_BINDING("releaseCapsuleLaserCommand"), __LINE__);
}

// ---------------------------------------------------------------- poly line

#define RK_POLY_SELF(name) RK_GMC_SELF(cmd::PolyLineDraw, kPolyLineDrawClass, "lua_PolyLineDraw_" name)

int polySetWidth(lua_State* L) {
  RK_POLY_SELF("setWidth");
  if (command) command->params().width = toFloatArg(L, 2);
  return noResults(L);
}

int polySetTopUV(lua_State* L) {
  RK_POLY_SELF("setTopUV");
  if (command) setUVPair(L, command->params().top_uv);
  return noResults(L);
}

int polySetCenterUV(lua_State* L) {
  RK_POLY_SELF("setCenterUV");
  if (command) setUVPair(L, command->params().center_uv);
  return noResults(L);
}

int polySetEndUV(lua_State* L) {
  RK_POLY_SELF("setEndUV");
  if (command) setUVPair(L, command->params().end_uv);
  return noResults(L);
}

// A texture object's texture is referenced; anything else lets the held one go.
int polySetTexture(lua_State* L) {
  RK_POLY_SELF("setTexture");
  if (command) command->params().texture = policy::SharedPtr<gfx::RkTexture>(toTexture(L, 2));
  return noResults(L);
}

int polyAddPos(lua_State* L) {
  RK_POLY_SELF("addPos");
  if (command) command->addPos(toFloatArg(L, 2), toFloatArg(L, 3), toFloatArg(L, 4));
  return noResults(L);
}

int polyClear(lua_State* L) {
  RK_POLY_SELF("clear");
  if (command) command->params().points.clear();
  return noResults(L);
}

int polySetVisible(lua_State* L) {
  RK_POLY_SELF("setVisible");
  if (command) command->params().visible = toBoolArg(L, 2);
  return noResults(L);
}

// ---------------------------------------------------------------- draw flash

// The draw flash is never given the buffers that its writing methods would
// fill: they take their arguments and change nothing.
#define RK_FLASH_SELF(name) RK_GMC_SELF(cmd::DrawFlash, kDrawFlashClass, "lua_DrawFlash_" name)

int flashSetDrawType(lua_State* L) {
  RK_FLASH_SELF("setDrawType");
  if (command) command->setDrawType(toIntArg(L, 2));
  return noResults(L);
}

int flashLock(lua_State* L) {
  RK_FLASH_SELF("lock");
  return pushBoolean(L, true);
}

int flashWithoutBuffers(lua_State* L) { return noResults(L); }

int releaseDrawFlash(lua_State* L) {
  return deleteCommand<kDrawFlashClass>(L, RK_GMC_BINDING("releaseDrawFlashCommand"), __LINE__);
}

// ---------------------------------------------------------------- wipe

#define RK_WIPE_SELF(name) RK_GMC_SELF(cmd::GfxWipe, kGfxWipeClass, "lua_GfxWipe_" name)

// r, g, b from 0 to 255 (their low bytes count), then the seconds.
int lua_GfxWipe_fadeOut(lua_State* L) {
  RK_WIPE_SELF("fadeOut");
  if (command)
    command->fadeOut(lua_tonumberx(L, 2, nullptr), lua_tonumberx(L, 3, nullptr), lua_tonumberx(L, 4, nullptr),
                     toFloatArg(L, 5));
  return noResults(L);
}

int lua_GfxWipe_fadeIn(lua_State* L) {
  RK_WIPE_SELF("fadeIn");
  if (command)
    command->fadeIn(lua_tonumberx(L, 2, nullptr), lua_tonumberx(L, 3, nullptr), lua_tonumberx(L, 4, nullptr),
                    toFloatArg(L, 5));
  return noResults(L);
}

int lua_GfxWipe_isEndOfWipe(lua_State* L) {
  RK_WIPE_SELF("isEndOfWipe");
  return pushBoolean(L, command && command->isEndOfWipe());
}

int lua_GfxWipe_start(lua_State* L) {
  RK_WIPE_SELF("start");
  if (command) command->start();
  return noResults(L);
}

int lua_GfxWipe_stop(lua_State* L) {
  RK_WIPE_SELF("stop");
  if (command) command->stop();
  return noResults(L);
}

int lua_GfxWipe_releaseGfxWipe(lua_State* L) {
  return deleteCommand<kGfxWipeClass>(L, RK_GMC_BINDING("lua_GfxWipe_releaseGfxWipe"), __LINE__);
}

}  // namespace

const luaL_Reg kCapsuleLaserMethods[] = {
    {"setRadius", capsuleSetRadius},     {"setLength", capsuleSetLength},     {"setAxis", capsuleSetAxis},
    {"setLeadUV", capsuleSetLeadUV},     {"setCenterUV", capsuleSetCenterUV}, {"setTermUV", capsuleSetTermUV},
    {"setPos", capsuleSetPos},           {"setVisible", capsuleSetVisible},   {"isVisible", capsuleIsVisible},
    {nullptr, nullptr},
};

const luaL_Reg kPolyLineDrawMethods[] = {
    {"setWidth", polySetWidth},       {"setTopUV", polySetTopUV}, {"setCenterUV", polySetCenterUV},
    {"setEndUV", polySetEndUV},       {"setTexture", polySetTexture}, {"addPos", polyAddPos},
    {"clear", polyClear},             {"setVisible", polySetVisible}, {nullptr, nullptr},
};

const luaL_Reg kDrawFlashMethods[] = {
    {"setDrawType", flashSetDrawType},
    {"setVertexColorStruct", flashWithoutBuffers},
    {"create", flashWithoutBuffers},
    {"setVertexNum", flashWithoutBuffers},
    {"setIndex", flashWithoutBuffers},
    {"lock", flashLock},
    {"unlock", flashWithoutBuffers},
    {"writeIndex", flashWithoutBuffers},
    {"writeVertex", flashWithoutBuffers},
    {"writeDiffuse", flashWithoutBuffers},
    {nullptr, nullptr},
};

const luaL_Reg kGfxWipeMethods[] = {
    {"fadeOut", lua_GfxWipe_fadeOut},     {"fadeIn", lua_GfxWipe_fadeIn}, {"isEndOfWipe", lua_GfxWipe_isEndOfWipe},
    {"start", lua_GfxWipe_start},         {"stop", lua_GfxWipe_stop},     {nullptr, nullptr},
};

int lua_GfxModel_createCapsuleLaser(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_createCapsuleLaser");
  return pushGfxCommand(L, new cmd::CapsuleLaser(model), kCapsuleLaserClass, kCapsuleLaserMethods,
                        releaseCapsuleLaserCommand);
}

int lua_GfxModel_createPolyLineDraw(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_createPolyLineDraw");
  return pushGfxCommand(L, new cmd::PolyLineDraw(model), kPolyLineDrawClass, kPolyLineDrawMethods,
                        gfx::GfxModel::deleteList);
}

int lua_GfxModel_createDrawFlash(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_createDrawFlash");
  return pushGfxCommand(L, new cmd::DrawFlash(model), kDrawFlashClass, kDrawFlashMethods, releaseDrawFlash);
}

// The kind and the counter name are read before the gfx model; a name that
// is neither a string nor a number gives the wipe an unnamed counter of its own.
int lua_GfxModel_createWipe(lua_State* L) {
  const int kind = toIntArg(L, 2);
  const std::string name = toTextOrEmpty(L, 3);
  RK_GFX_MODEL_SELF("lua_GfxModel_createWipe");
  cmd::GfxWipe* wipe = model ? model->createWipe(kind, name.c_str()) : new cmd::GfxWipe(nullptr, kind, name.c_str());
  return pushGfxCommand(L, wipe, kGfxWipeClass, kGfxWipeMethods, lua_GfxWipe_releaseGfxWipe);
}

}  // namespace rk::script::gph
