// The effect rig (trace device, data folder, effect system) with the game's
// managers and a Lua state: effect units of the given camera numbers hold
// "effect/bomb01" and "effect/spark01", an audio context collects the queued
// sounds, and the enemy body and item creators are globals.
#pragma once
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <lua.hpp>

#include "actor/rk_actor.h"
#include "audio/rk_audio_context.h"
#include "effect/effect_rig.h"
#include "enemy/enemy_rigid_body_sphere.h"
#include "item/item.h"
#include "math/rk_counter_manager.h"
#include "rigidbody/rk_rigidbody_manager.h"
#include "support/lua_run.h"

namespace enemytest {

class GameEffects : public effecttest::EffectRig {
 protected:
  void SetUp() override {
    EffectRig::SetUp();
    rk::math::CounterManager::createInstance();
    rk::actor::ActorManager::createInstance();
    rk::rigidbody::RigidBodyManager::createInstance();
    audio = std::make_unique<rk::audio::AudioContext>();
    cameras();
    writeEffectFile("effect/bomb01", effecttest::effectBytes(600.0f));
    writeEffectFile("effect/spark01", effecttest::effectBytes(600.0f));
    L = luaL_newstate();
    luaL_openlibs(L);
    lua_register(L, "createEnemyRigidBodySphere", lua_createEnemyRigidBodySphere);
    lua_register(L, "createItemHandle", lua_createItemHandle);
    log.clear();  // what the rig's start-up reported is not the test's
  }
  void TearDown() override {
    lua_close(L);
    for (rk::effect::EffectUnit* unit : units) release(unit);
    audio.reset();
    rk::rigidbody::RigidBodyManager::destroyInstance();
    rk::actor::ActorManager::destroyInstance();
    rk::math::CounterManager::destroyInstance();
    EffectRig::TearDown();
  }

  // Units (and with them their cameras) for these numbers, effects set up.
  void makeUnits(std::initializer_list<int> numbers) {
    for (int number : numbers) {
      rk::effect::EffectUnit* unit = system->createEffectUnit(number, 20, 0, 0, 0, 64);
      ASSERT_TRUE(unit->loadEffect("effect/bomb01"));
      ASSERT_TRUE(unit->loadEffect("effect/spark01"));
      ASSERT_TRUE(waitSetup(unit));
      units.push_back(unit);
    }
  }
  rk::effect::EffectUnit* unit(int number) {
    for (rk::effect::EffectUnit* u : units)
      if (u->cameraNumber() == number) return u;
    return nullptr;
  }
  // Where each live instance of the unit stands, in play order.
  std::vector<rk::math::Vector4> instancePlaces(int number) {
    std::vector<rk::math::Vector4> places;
    host::effect::Manager& manager = unit(number)->manager();
    for (int handle = 0; handle < 64; ++handle) {
      float m[4][3];
      if (manager.matrix(handle, m)) places.push_back({m[3][0], m[3][1], m[3][2], 0.0f});
    }
    return places;
  }
  std::string run(const std::string& chunk) { return rktest::runLua(L, chunk); }

  std::unique_ptr<rk::audio::AudioContext> audio;
  std::vector<rk::effect::EffectUnit*> units;
  lua_State* L = nullptr;
};

}  // namespace enemytest
