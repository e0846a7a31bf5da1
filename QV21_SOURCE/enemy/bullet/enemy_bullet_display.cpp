#include "enemy/bullet/enemy_bullet_display.h"

#include "common/sync_body/sync_body_links.h"
#include "gfx/gfx_model_command/rk_gfx_billboard.h"
#include "script/rk_script_gfx_parts.h"
#include "script/rk_script_rigidbody.h"

namespace {

void* castDisplay(void* object, const rk::script::LuaClass& target) {
  return rk::script::castToInterface<EnemyBulletDisplayBillboard, rk::rigidbody::ISyncBody>(object, target);
}

int collectDisplay(lua_State* L) {
  return rk::script::lua_gcDeleteObject<EnemyBulletDisplayBillboard, EnemyBulletDisplayBillboard::kLuaClass>(L);
}

EnemyBulletDisplayBillboard* selfArg(lua_State* L, const char* method) {
  auto* display = rk::script::toLuaObject<EnemyBulletDisplayBillboard>(L, 1, EnemyBulletDisplayBillboard::kLuaClass);
  if (!display) rk::script::reportNullObject(method);
  return display;
}

// A chip of another kind of object would be written through a wrong pointer:
// anything that is not a chip is reported and changes nothing.
int lua_setBillBoardChip(lua_State* L) {
  EnemyBulletDisplayBillboard* display = selfArg(L, "EnemyBulletDisplayBillboard::lua_setBillBoardChip");
  rk::gfx::gfx_model_command::BillboardChip* chip = rk::script::gph::toBillboardChip(L, 2);
  if (display && chip)
    display->setChip(chip);
  else if (display)
    rk::script::reportNullObject("EnemyBulletDisplayBillboard::lua_setBillBoardChip");
  lua_settop(L, 0);
  return 0;
}

int lua_clearBillBoardChip(lua_State* L) {
  if (EnemyBulletDisplayBillboard* display = selfArg(L, "EnemyBulletDisplayBillboard::lua_clearBillBoardChip"))
    display->setChip(nullptr);
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kDisplayMethods[] = {
    {"setBillBoardChip", lua_setBillBoardChip},
    {"clearBillBoardChip", lua_clearBillBoardChip},
    {nullptr, nullptr},
};

}  // namespace

const rk::script::LuaClass EnemyBulletDisplayBillboard::kLuaClass{"EnemyBulletDisplayBillboard", castDisplay};

EnemyBulletDisplayBase::~EnemyBulletDisplayBase() { common::clearSyncBodyEverywhere(this); }

void EnemyBulletDisplayBase::setMetatable(lua_State* L) { rk::script::setObjectMetatable(L, collectDisplay); }

void EnemyBulletDisplayBillboard::syncBody(const rk::math::Matrix* world) {
  if (!chip_ || !chip_->visible || !world) return;
  chip_->position = {world->m[3][0], world->m[3][1], world->m[3][2], 0.0f};
}

void EnemyBulletDisplayBillboard::registerMethods(lua_State* L) { rk::script::setMethods(L, kDisplayMethods); }

int lua_createEnemyBulletDisplayBillboard(lua_State* L) {
  auto* display = new EnemyBulletDisplayBillboard();
  return rk::script::pushLuaObject(L, *display, display, EnemyBulletDisplayBillboard::kLuaClass);
}
