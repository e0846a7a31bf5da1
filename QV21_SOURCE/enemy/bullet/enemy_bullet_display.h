// Display objects that a bullet's rigid body carries as its sync body, so that
// what shows the bullet follows it once per physics step. Scripts own them
// (the script object deletes them); the billboard display moves one chip of a
// billboard command to the body's position while the chip is visible.
#pragma once
#include <lua.hpp>

#include "rigidbody/rk_rigidbody_hooks.h"
#include "script/rk_lua_object.h"

namespace rk::gfx::gfx_model_command {
struct BillboardChip;
}

class EnemyBulletDisplayBase : public rk::rigidbody::ISyncBody, public rk::script::ILuaMethod {
 public:
  EnemyBulletDisplayBase() = default;
  // Unhooks itself from every body that still carries it.
  ~EnemyBulletDisplayBase() override;
  EnemyBulletDisplayBase(const EnemyBulletDisplayBase&) = delete;
  EnemyBulletDisplayBase& operator=(const EnemyBulletDisplayBase&) = delete;

  void syncBody(const rk::math::Matrix* world) override {}
  void registerMethods(lua_State* L) override {}
  void setMetatable(lua_State* L) override;
};

class EnemyBulletDisplayBillboard : public EnemyBulletDisplayBase {
 public:
  static const rk::script::LuaClass kLuaClass;

  // A visible chip takes the matrix's translation (w 0); a hidden one stays.
  void syncBody(const rk::math::Matrix* world) override;
  void registerMethods(lua_State* L) override;

  rk::gfx::gfx_model_command::BillboardChip* chip() const { return chip_; }
  void setChip(rk::gfx::gfx_model_command::BillboardChip* chip) { chip_ = chip; }

 private:
  rk::gfx::gfx_model_command::BillboardChip* chip_ = nullptr;  // not owned
};

// "createEnemyBulletDisplayBillboard"(): a display without chip, owned by the
// script object it returns.
int lua_createEnemyBulletDisplayBillboard(lua_State* L);
