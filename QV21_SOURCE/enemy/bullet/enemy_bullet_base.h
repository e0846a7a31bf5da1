// The enemy form of the bullet part: the owner actor body's kind 4, a shot
// colour kind (0 lets the player's beam shot and magnum destroy a sphere
// bullet; any other value lets them pass) and the bullet no-damage flag (a
// bullet with it set is not spent when it hits the player).
#pragma once
#include <cstdint>

#include <lua.hpp>

#include "common/bullet/bullet_base.h"
#include "script/rk_lua_object.h"

class EnemyBulletBase : public common::BulletBase {
 public:
  static constexpr std::int32_t kActorKind = 4;

  EnemyBulletBase() : BulletBase(kActorKind) {}

  virtual std::int32_t kind() { return kActorKind; }

  std::int32_t shot_color_kind_ = 0;  // kept across initialisations
  bool bullet_no_damage_ = false;     // cleared by every initialisation
};

// Script objects of every enemy bullet class answer this interface tag with
// their EnemyBulletBase part.
extern const rk::script::LuaClass kEnemyBulletBaseClass;

template <>
inline const rk::script::LuaClass& rk::script::interfaceClass<EnemyBulletBase>() {
  return kEnemyBulletBaseClass;
}

// The bullet part of the enemy bullet at that index, else null.
EnemyBulletBase* toEnemyBullet(lua_State* L, int index);

// "getShotColorKind", "setShotColorKind", "setBulletNoDamage" into the method
// table at index 3.
void registerShotColorMethods(lua_State* L);
// The sixteen bullet methods, reading enemy bullets.
void registerEnemyBulletMethods(lua_State* L);
