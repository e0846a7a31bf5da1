// Explosions, sparks and following effects on the effect units: the queued
// dead-info entries play "effect/bomb01" on unit 4 and queue the explosion
// sound; "runBomb01Effect" and the spark place their effects; an item drags
// its effect along after each physics step.
#include <gtest/gtest.h>

#include "effect/effect_actor_misc.h"
#include "effect/effect_map_misc.h"
#include "effect/rk_effect_handle.h"
#include "script/rk_script_effect.h"
#include "game_enemy/effect_rig_fixture.h"
#include "support/math_near.h"

namespace {

using rk::math::Vector4;

class GameEffects : public enemytest::GameEffects {
 protected:
  EnemyRigidBody* body(const char* global) {
    lua_getglobal(L, global);
    EnemyRigidBody* b = toEnemyRigidBody(L, -1);
    lua_pop(L, 1);
    return b;
  }
  Item* item(const char* global) {
    lua_getglobal(L, global);
    Item* i = rk::script::toLuaObject<Item>(L, -1, kItemClass);
    lua_pop(L, 1);
    return i;
  }
  const std::vector<rk::audio::SEEntry>& sounds() const { return audio->entrySE(); }
};

TEST_F(GameEffects, RunDeadInfoPlaysEveryQueuedExplosionInPushOrderAndKeepsTheQueue) {
  makeUnits({2, 4});
  ASSERT_EQ(run("b = createEnemyRigidBodySphere() b:setRadius(0.5)\n"
                "b:runDeadInfo()\n"
                "b:setPos(1, 2, 3) b:pushDeadInfo() b:setPos(-4, 0, 6) b:pushDeadInfo()"),
            "");
  EXPECT_EQ(unit(4)->manager().instanceCount(), 0) << "an empty queue plays nothing";
  EXPECT_TRUE(sounds().empty());
  ASSERT_EQ(run("b:runDeadInfo()"), "");
  std::vector<Vector4> places = instancePlaces(4);
  ASSERT_EQ(places.size(), 2u);
  EXPECT_TRUE(rktest::nearVector(places[0], {1, 2, 3, 0}, 1e-3f));
  EXPECT_TRUE(rktest::nearVector(places[1], {-4, 0, 6, 0}, 1e-3f));
  ASSERT_EQ(sounds().size(), 2u);
  EXPECT_EQ(sounds()[0].name, "audio/se/common01/explosion02.ogg");
  EXPECT_TRUE(rktest::nearVector(sounds()[0].position, {1, 2, 3, 0}, 1e-3f));
  EXPECT_TRUE(rktest::nearVector(sounds()[1].position, {-4, 0, 6, 0}, 1e-3f));
  EXPECT_EQ(sounds()[1].volume, 1.0f);
  EXPECT_EQ(sounds()[1].flag, 1);
  EXPECT_EQ(unit(2)->manager().instanceCount(), 0) << "only unit 4 plays explosions";
  // The entries stay: a second run plays them again.
  ASSERT_EQ(run("b:runDeadInfo()"), "");
  EXPECT_EQ(unit(4)->manager().instanceCount(), 4);
  EXPECT_EQ(sounds().size(), 4u);
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(GameEffects, AnEntryWithARotationExplodesAtItsTranslationOnly) {
  makeUnits({2, 4});
  ASSERT_EQ(run("b = createEnemyRigidBodySphere()"), "");
  EnemyRigidBody::DeadInfo info;
  info.matrix = rk::math::matrixMultiply(rk::math::matrixRotationX(1.0f), rk::math::matrixTranslation(5, 6, 7));
  body("b")->pushDeadInfo(info);
  body("b")->runDeadInfo();
  std::vector<Vector4> places = instancePlaces(4);
  ASSERT_EQ(places.size(), 1u);
  EXPECT_TRUE(rktest::nearVector(places[0], {5, 6, 7, 0}, 1e-3f));
}

// Without the explosion's camera or without unit 4 nothing plays or queues.
TEST_F(GameEffects, MissingUnitsOrCamerasSkipEveryEntry) {
  struct Case {
    std::initializer_list<int> units;
    const char* entry;
    int line;
  } cases[] = {
      {{2}, "EnemyRigidBody::runDeadInfo", 226},  // no unit 4
      {{4}, "EnemyRigidBody::runDeadInfo", 241},  // no camera 2
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    makeUnits(c.units);
    ASSERT_EQ(run("b = createEnemyRigidBodySphere() b:pushDeadInfo() b:pushDeadInfo() b:runDeadInfo()"), "");
    EXPECT_EQ(log.entries(c.entry), 2u);
    EXPECT_NE(log.text().find("(" + std::to_string(c.line) + ")"), std::string::npos) << log.text();
    for (rk::effect::EffectUnit* u : units) EXPECT_EQ(u->manager().instanceCount(), 0);
    EXPECT_TRUE(sounds().empty());
    for (rk::effect::EffectUnit* u : units) release(u);
    units.clear();
    rk::gfx::CameraManager::destroyInstance();
    cameras();
    log.clear();
  }
}

TEST_F(GameEffects, RunBomb01EffectPlaysAndQueuesOnlyWithBothCameras) {
  lua_register(L, "runBomb01Effect", effect_misc::lua_runBomb01Effect);
  makeUnits({2});
  ASSERT_EQ(run("runBomb01Effect(1, 2, 3, 2)"), "");
  EXPECT_TRUE(sounds().empty()) << "camera 4 is missing";
  makeUnits({4});
  ASSERT_EQ(run("runBomb01Effect(1, 2, 3, 2)"), "");
  std::vector<Vector4> places = instancePlaces(4);
  ASSERT_EQ(places.size(), 1u);
  EXPECT_TRUE(rktest::nearVector(places[0], {1, 2, 3, 0}, 1e-3f));
  ASSERT_EQ(sounds().size(), 1u);
  EXPECT_EQ(sounds()[0].name, "audio/se/common01/explosion02.ogg");
}

TEST_F(GameEffects, ASparkPlaysOnUnitThreeOrIsReported) {
  effect_misc::runSpark01EffectActor({1, 1, 1, 0}, 0.5f);
  EXPECT_EQ(log.entries("effect_misc::runSpark01EffectActor"), 1u);
  makeUnits({3});
  effect_misc::runSpark01EffectActor({4, 5, 6, 0}, 0.5f);
  std::vector<Vector4> places = instancePlaces(3);
  ASSERT_EQ(places.size(), 1u);
  EXPECT_TRUE(rktest::nearVector(places[0], {4, 5, 6, 0}, 1e-4f));
}

TEST_F(GameEffects, ANewItemIsASmallWeightlessInvalidSphereOfKindOne) {
  ASSERT_EQ(run("i = createItemHandle() i:setItemKind(2.9)"), "");
  Item* i = item("i");
  ASSERT_NE(i, nullptr);
  EXPECT_EQ(i->getItemKind(), 2);
  EXPECT_EQ(i->getRadius(), 0.5f);
  EXPECT_EQ(i->getGravity().y, 0.0f);
  EXPECT_FALSE(i->isValid());
  EXPECT_EQ(i->getSyncEffect(), nullptr);
  EXPECT_EQ(i->getCollisionKind(), 1);
  EXPECT_EQ(i->count(), 1);
  ASSERT_EQ(run("i:setItemKind(-3.7)"), "");
  EXPECT_EQ(i->getItemKind(), -3);
}

// The effect follows a valid item after each step; an invalid one leaves it.
// The item holds one reference while linked, none after nil, finalize or
// initialize, and gives it back when destroyed.
TEST_F(GameEffects, AnItemsEffectFollowsItAndItsReferenceIsGivenBack) {
  makeUnits({2});
  auto* handle = new rk::effect::EffectHandle(unit(2), "effect/spark01");
  handle->addRef();
  handle->playEffect({0, 0, 0, 0}, {0, 0, 0, 0}, {1, 1, 1, 0});
  rk::script::pushLuaObject(L, *handle, handle, rk::script::effect::kEffectHandleClass);
  handle->addRef();  // the script object's reference
  lua_setglobal(L, "h");
  ASSERT_EQ(run("i = createItemHandle() i:setSyncEffect(h) i:setSyncEffect(h) i:setValid(true) i:setPos(1, 2, 3)"),
            "");
  EXPECT_EQ(handle->count(), 3);
  auto place = [&] {
    float m[4][3];
    unit(2)->manager().matrix(handle->instance(), m);
    return Vector4{m[3][0], m[3][1], m[3][2], 0.0f};
  };
  rk::rigidbody::RigidBodyManager::getInstance()->update(1.0f / 60.0f);
  EXPECT_TRUE(rktest::nearVector(place(), {1, 2, 3, 0}, 1e-4f));
  ASSERT_EQ(run("i:setValid(false) i:setPos(7, 7, 7)"), "");
  rk::rigidbody::RigidBodyManager::getInstance()->update(1.0f / 60.0f);
  EXPECT_TRUE(rktest::nearVector(place(), {1, 2, 3, 0}, 1e-4f)) << "an invalid item leaves its effect";
  struct Case {
    const char* drop;
  } cases[] = {{"i:setSyncEffect(nil)"}, {"i:finalize()"}, {"i:initialize()"}, {"i = nil collectgarbage()"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.drop);
    ASSERT_EQ(run("if not i then i = createItemHandle() end i:setSyncEffect(h)"), "");
    EXPECT_EQ(handle->count(), 3);
    ASSERT_EQ(run(c.drop), "");
    EXPECT_EQ(handle->count(), 2);
  }
  ASSERT_EQ(run("i = createItemHandle() i:setSyncEffect(42)"), "");
  EXPECT_EQ(handle->count(), 2);
  EXPECT_EQ(log.entries("Item::lua_setSyncEffect"), 1u);
  handle->release("game_effects_test", 0);
}

}  // namespace
