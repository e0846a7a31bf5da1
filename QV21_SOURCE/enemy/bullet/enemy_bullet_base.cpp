#include "enemy/bullet/enemy_bullet_base.h"

#include "script/rk_lua_arg.h"

const rk::script::LuaClass kEnemyBulletBaseClass{"EnemyBulletBase"};

EnemyBulletBase* toEnemyBullet(lua_State* L, int index) {
  return rk::script::toLuaObject<EnemyBulletBase>(L, index, kEnemyBulletBaseClass);
}

namespace {

EnemyBulletBase* selfArg(lua_State* L, const char* method) {
  EnemyBulletBase* bullet = toEnemyBullet(L, 1);
  if (!bullet) rk::script::reportNullObject(method);
  return bullet;
}

int lua_getShotColorKind(lua_State* L) {
  EnemyBulletBase* bullet = selfArg(L, "EnemyBulletBase::lua_getShotColorKind");
  const std::int32_t kind = bullet ? bullet->shot_color_kind_ : 0;
  lua_settop(L, 0);
  lua_pushinteger(L, kind);
  return 1;
}

int lua_setShotColorKind(lua_State* L) {
  const int kind = rk::script::toIntArg(L, 2);
  if (EnemyBulletBase* bullet = selfArg(L, "EnemyBulletBase::lua_setShotColorKind")) bullet->shot_color_kind_ = kind;
  lua_settop(L, 0);
  return 0;
}

int lua_setBulletNoDamage(lua_State* L) {
  const bool flag = rk::script::toBoolArg(L, 2);
  if (EnemyBulletBase* bullet = selfArg(L, "EnemyBulletBase::lua_setBulletNoDamage")) bullet->bullet_no_damage_ = flag;
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kShotColorMethods[] = {
    {"getShotColorKind", lua_getShotColorKind},
    {"setShotColorKind", lua_setShotColorKind},
    {"setBulletNoDamage", lua_setBulletNoDamage},
    {nullptr, nullptr},
};

common::BulletBase* readBullet(lua_State* L, int index) { return toEnemyBullet(L, index); }

}  // namespace

void registerShotColorMethods(lua_State* L) { rk::script::setMethods(L, kShotColorMethods); }

void registerEnemyBulletMethods(lua_State* L) { common::registerBulletMethods(L, &readBullet); }
