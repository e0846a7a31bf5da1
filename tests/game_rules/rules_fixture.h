// The hit rules' world: the range weapons' world (player creators, enemies,
// cameras 1 and 2, the audio context) with the collision-group manager, the
// global variables, the collision table and the game's group, enemy and item
// creators, a status unit whose combo gauge counts kills, and a player `p`
// with 2 of 2 hit points whose body `pb` (radius 1) stands at the origin.
// Groups are run one pass at a time with `pass`, as one substep runs them.
#pragma once
#include <memory>
#include <string>

#include "col/rk_collision_group.h"
#include "collision/collision_group_script.h"
#include "enemy/enemy_command.h"
#include "game_player/range_fixture.h"
#include "item/item.h"
#include "kernel/rk_global_data.h"
#include "script/rk_script_collision.h"
#include "status/status_unit.h"

namespace rulestest {

class Rules : public playertest::RangeWorld {
 protected:
  Rules() {
    rk::collision::CollisionGroupManager::createInstance();
    rk::GlobalVariable::createInstance();
    const rk::script::LuaFunctionTable table = rk::script::collisionFunctionTable();
    rk::script::registerLuaFunctions(L, table.pairs, table.count);
    for (const auto& entry : col_group::collisionGorupLib()) reg(entry.name, entry.function);
    for (const auto& entry : enemy_command::enemyCommandLib()) reg(entry.name, entry.function);
    reg("createItemHandle", lua_createItemHandle);
    EXPECT_EQ(run("unit = createGameStatusUnit()"), "");
    combo_ = std::make_unique<status::ComboGauge>(nullptr, 20);
    status::StatusUnit::getInstance()->record().combo_gauge_ = combo_.get();
    EXPECT_EQ(run("p = createPlayerActor() p:setHpMax(2) p:setHp(2) p:setNoDamageFlag(false)\n"
                  "pb = createPlayerColRigidBody() pb:setOwner(p) pb:setValid(true) pb:setPos(0, 0, 0) "
                  "pb:syncForced()"),
              "");
  }
  ~Rules() override {
    if (status::StatusUnit* unit = status::StatusUnit::findInstance()) unit->record().combo_gauge_ = nullptr;
    lua_close(L);
    L = luaL_newstate();
    rk::GlobalVariable::destroyInstance();
    rk::collision::CollisionGroupManager::destroyInstance();
  }

  void setMode(float value) { rk::GlobalVariable::getInstance()->setNumber("PlayerModeCtrl", value); }
  rk::collision::ICollisionExec* group(const char* global) {
    lua_getglobal(L, global);
    auto* g = rk::script::collision::toCollisionGroup(L, -1);
    lua_pop(L, 1);
    return g;
  }
  // One pass of the group, as one substep runs it.
  void pass(const char* global) {
    rk::collision::ICollisionExec* g = group(global);
    ASSERT_NE(g, nullptr) << global;
    g->exec();
  }
  // Runs the chunk and returns its one result as a number.
  float number(const std::string& chunk) { return std::stof(run("return " + chunk)); }
  std::size_t queued(const char* sound) {
    std::size_t n = 0;
    for (const rk::audio::SEEntry& e : rk::audio::AudioContext::getInstance()->entrySE()) n += e.name == sound;
    return n;
  }
  std::uint32_t kills() { return combo_->chain().entries_.empty() ? 0 : combo_->chain().entries_.back().count; }
  EnemyRigidBody* body(const char* global) {
    lua_getglobal(L, global);
    EnemyRigidBody* b = toEnemyRigidBody(L, -1);
    lua_pop(L, 1);
    return b;
  }
  Player* player() { return playertest::PlayerScript::player("p"); }

  std::unique_ptr<status::ComboGauge> combo_;
};

}  // namespace rulestest
