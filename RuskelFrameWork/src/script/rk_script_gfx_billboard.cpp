// The billboard object and its chips. A billboard is a gfx model command that
// draws camera-facing textured quads, one per visible chip, all with one
// texture. Each chip is handed out as an object of its own; collecting that
// object removes the chip from its billboard. The billboard deletes the chips
// it still holds when it goes, and their objects then read null.
#include "gfx/gfx_model_command/rk_gfx_billboard.h"
#include "rk_script_gfx_model_internal.h"
#include "rk_script_lua_pin.h"
#include "script/rk_script_gfx_parts.h"

namespace rk::script::gph {

namespace {

using gfx::gfx_model_command::BillBoard;
using gfx::gfx_model_command::BillboardChip;

RK_GFX_COMMAND_CLASS(kBillboardClass, "rk::gfx::gfx_model_command::BillBoard");

#define RK_BILLBOARD_SELF(name) \
  RK_GFX_COMMAND_SELF(BillBoard, kBillboardClass, "lua_GfxModel_Billboard_" name)

#define RK_CHIP_SELF(name)                                                   \
  BillboardChip* chip = toLuaObject<BillboardChip>(L, 1, kBillboardChipClass); \
  if (!chip) RK_GPH_REPORT_NULL("lua_GfxModel_BillboardChip_" name)

// ------------------------------------------------------------------- chips

int lua_GfxModel_BillboardChip_setWidthHeight(lua_State* L) {
  RK_CHIP_SELF("setWidthHeight");
  if (chip) chip->setWidthHeight(toFloatArg(L, 2), toFloatArg(L, 3));
  return noResults(L);
}

int lua_GfxModel_BillboardChip_setUV(lua_State* L) {
  RK_CHIP_SELF("setUV");
  if (chip) chip->setUV(toFloatArg(L, 2), toFloatArg(L, 3), toFloatArg(L, 4), toFloatArg(L, 5));
  return noResults(L);
}

int lua_GfxModel_BillboardChip_setPos(lua_State* L) {
  RK_CHIP_SELF("setPos");
  if (chip) chip->position = {toFloatArg(L, 2), toFloatArg(L, 3), toFloatArg(L, 4), 0.0f};
  return noResults(L);
}

int lua_GfxModel_BillboardChip_setVisible(lua_State* L) {
  RK_CHIP_SELF("setVisible");
  if (chip) chip->visible = toBoolArg(L, 2);
  return noResults(L);
}

int lua_GfxModel_BillboardChip_isVisible(lua_State* L) {
  RK_CHIP_SELF("isVisible");
  return pushBoolean(L, chip && chip->visible);
}

// A chip still held by its billboard leaves it and is deleted; the object
// lets go of its link either way, so a second call finds nothing.
int lua_GfxModel_Billboard_releaseChip(lua_State* L) {
  LuaObjectBlock* block = luaObjectBlock(L, 1);
  BillboardChip* chip = toLuaObject<BillboardChip>(L, 1, kBillboardChipClass);
  if (!chip) RK_GPH_REPORT_NULL("lua_GfxModel_Billboard_releaseChip");
  if (block && block->cls == &kBillboardChipClass) LuaObjectLinks::release(block);
  if (chip && chip->billboard) chip->billboard->releaseChip(chip);
  return noResults(L);
}

// -------------------------------------------------------------- billboard

// Argument 2 must be a texture object; anything else is reported and
// changes nothing.
int lua_GfxModel_Billboard_setTexture(lua_State* L) {
  RK_BILLBOARD_SELF("setTexture");
  const bool usable = isTextureObject(L, 2);
  if (command && !usable) RK_GPH_REPORT_NULL("lua_GfxModel_Billboard_setTexture");
  if (command && usable) command->setTexture(toTexture(L, 2));
  return noResults(L);
}

int lua_GfxModel_Billboard_createBillboardChip(lua_State* L) {
  RK_BILLBOARD_SELF("createBillboardChip");
  if (!command) return noResults(L);
  const LuaPin billboard(L, 1);
  BillboardChip* chip = command->createBillboardChip();
  LuaObjectBlock* block = nullptr;
  pushLuaObject(L, chip, kBillboardChipClass, kBillboardChipMethods, lua_GfxModel_Billboard_releaseChip, &block);
  chip->links.link(block);
  return 1;
}

int lua_GfxModel_Billboard_setZBufferWirte(lua_State* L) {
  RK_BILLBOARD_SELF("setZBufferWirte");
  if (command) command->setZBufferWrite(toBoolArg(L, 2));
  return noResults(L);
}

int lua_GfxModel_Billboard_setZBuffer(lua_State* L) {
  RK_BILLBOARD_SELF("setZBuffer");
  if (command) command->setZBuffer(toBoolArg(L, 2));
  return noResults(L);
}

}  // namespace

const luaL_Reg kBillboardChipMethods[] = {
    {"setWidthHeight", lua_GfxModel_BillboardChip_setWidthHeight},
    {"setUV", lua_GfxModel_BillboardChip_setUV},
    {"setPos", lua_GfxModel_BillboardChip_setPos},
    {"setVisible", lua_GfxModel_BillboardChip_setVisible},
    {"isVisible", lua_GfxModel_BillboardChip_isVisible},
    {nullptr, nullptr},
};

const luaL_Reg kBillboardMethods[] = {
    {"setTexture", lua_GfxModel_Billboard_setTexture},
    {"createBillboardChip", lua_GfxModel_Billboard_createBillboardChip},
    {"setZBufferWirte", lua_GfxModel_Billboard_setZBufferWirte},
    {"setZBuffer", lua_GfxModel_Billboard_setZBuffer},
    {nullptr, nullptr},
};

int lua_GfxModel_createBillBoard(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_createBillBoard");
  auto* command = new BillBoard(model);
  return pushGfxCommand(L, command, kBillboardClass, kBillboardMethods);
}

}  // namespace rk::script::gph
