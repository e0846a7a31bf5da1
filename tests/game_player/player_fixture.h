// A Lua state with the player's creators registered over the game fixture's
// managers and the rigid-body manager. The state is closed before the
// managers go, so every object the scripts made is gone by then.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "game_core/game_fixture.h"
#include "player/player.h"
#include "player/player_beam_capture.h"
#include "player/player_rigid_body.h"
#include "player/player_wepon/beam_magnum.h"
#include "player/player_wepon/beam_shot.h"
#include "player/player_wepon/reflect_vulcan.h"
#include "rigidbody/rk_rigidbody_manager.h"
#include "status/status_unit.h"

namespace playertest {

class PlayerScript : public gametest::GameScript {
 protected:
  PlayerScript() {
    rk::rigidbody::RigidBodyManager::createInstance();
    reg("createPlayerActor", lua_createPlayerActor);
    reg("createPlayerColRigidBody", lua_createPlayerColRigidBody);
    reg("createBeamCapture", lua_createBeamCapture);
    reg("createBeamMagnum", lua_createBeamMagnum);
    reg("createBulletBeamShot", lua_createBulletBeamShot);
    reg("createReflectVulcan", lua_createReflectVulcan);
    reg("createActorBody", lua_createActorBody);
    reg("createGameStatusUnit", status::lua_createGameStatusUnit);
    reg("createGameStatusShiledGauge", status::lua_createGameStatusShiledGauge);
  }
  ~PlayerScript() override {
    lua_close(L);
    L = luaL_newstate();
    rk::rigidbody::RigidBodyManager::destroyInstance();
  }

  // The engine object behind a global, read as the class `cls`.
  template <class T>
  T* object(const char* global, const rk::script::LuaClass& cls) {
    lua_getglobal(L, global);
    T* o = rk::script::toLuaObject<T>(L, -1, cls);
    lua_pop(L, 1);
    return o;
  }
  Player* player(const char* global) {
    lua_getglobal(L, global);
    Player* p = toPlayer(L, -1);
    lua_pop(L, 1);
    return p;
  }
  void collect() { lua_gc(L, LUA_GCCOLLECT, 0); }
  // One physics step.
  void step(float dt = 1.0f / 60.0f) { rk::rigidbody::RigidBodyManager::getInstance()->update(dt); }
  void setSubsteps(unsigned n) { rk::rigidbody::RigidBodyManager::getInstance()->setCalcCount(n); }
};

}  // namespace playertest
