// The range scope: the nearest enemy whose ground point lies in the cone, and
// the opening, pulse and spin of its drawing.
#include <gtest/gtest.h>

#include <cmath>

#include "game_player/range_fixture.h"

namespace {

using playertest::RangeWorld;

class Scope : public RangeWorld {
 protected:
  Scope() { EXPECT_EQ(run("s = createRangeScope(10)"), ""); }
  Enemy* search(Enemy* requested = nullptr) { return scope("s")->searchTarget(requested); }
  // An enemy on the ground at `degrees` off the scope's direction (+z), 10 away.
  void enemyOff(const std::string& name, int key, float degrees, float distance = 10.0f) {
    const float a = degrees * 3.14159265f / 180.0f;
    enemyAt(name, key, distance * std::sin(a), distance * std::cos(a));
  }
};

struct TestComponent : rk::actor::ActorComponent {
  using ActorComponent::ActorComponent;
  bool runStep(float) override { return false; }
};

TEST_F(Scope, ACreatedScopeIsATaskAndAModelThatOpensOnTheNextUpdate) {
  range_scope::RangeScope* s = scope("s");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->priority(), 10);
  EXPECT_EQ(s->name(), "range scope");
  EXPECT_TRUE(rk::gfx::ModelManager::getInstance()->contains(s));
  EXPECT_FLOAT_EQ(s->record().radian, 0.3926991f);
  EXPECT_EQ(s->record().length, 3.5f);

  EXPECT_EQ(s->initStep(0.0f), 0);
  EXPECT_TRUE(s->isActive() == false && s->isVisible() && s->Task::isActive());
  EXPECT_EQ(s->getRenderCameraBit(), 8);
  ASSERT_EQ(run("s:open() return s:isActive()"), "false");
  s->update(0.1f);
  EXPECT_EQ(run("return s:isActive()"), "true");
  EXPECT_EQ(s->record().pulse, 0.0f) << "no animation in the frame that opens";

  // A triangle wave of 3 s, a spin of one turn a second.
  float highest = 0.0f;
  for (int i = 0; i < 15; ++i) {
    s->update(0.1f);
    highest = std::max(highest, s->record().pulse);
  }
  EXPECT_FLOAT_EQ(highest, 1.5f);
  for (int i = 0; i < 15; ++i) s->update(0.1f);
  EXPECT_NEAR(s->record().pulse, 0.0f, 1e-4f);
  EXPECT_LT(s->record().spin, 6.2831855f);

  ASSERT_EQ(run("s:close() return s:isActive()"), "false");
  EXPECT_FALSE(s->isVisible());
  const float pulse = s->record().pulse;
  s->update(0.5f);
  EXPECT_EQ(s->record().pulse, pulse) << "closed: frozen";
  ASSERT_EQ(run("s:setLength(2) s:setRadian(0.5)"), "");
  EXPECT_EQ(s->record().length, 2.0f);
  EXPECT_EQ(s->record().radian, 0.5f);
}

TEST_F(Scope, TheConeHoldsEnemiesStrictlyInsideItsHalfAngle) {
  const struct {
    float degrees;
    bool found;
  } cases[] = {{0.0f, true}, {22.0f, true}, {-22.0f, true}, {23.0f, false}, {-23.0f, false}, {90.0f, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.degrees);
    enemyOff("e", 0, c.degrees);
    EXPECT_EQ(search() == enemy("e"), c.found);
    EXPECT_EQ(search(enemy("e")) == enemy("e"), c.found) << "the same test for a requested enemy";
    ASSERT_EQ(run("e:finalize() e_body:setValid(false)"), "");
  }
}

TEST_F(Scope, EnemiesBehindAreNeverFoundHoweverWideTheCone) {
  ASSERT_EQ(run("s:setRadian(3.1)"), "");
  enemyAt("back", 0, 1.0f, -8.0f);
  EXPECT_EQ(search(), nullptr);
  EXPECT_EQ(search(enemy("back")), nullptr);
}

TEST_F(Scope, TheNearestAlongTheDirectionWinsAndTiesGoToTheLowerKey) {
  enemyAt("far", 1, 0.0f, 20.0f);
  enemyAt("near", 1, 3.0f, 9.0f);  // further in a straight line than it is forward
  EXPECT_EQ(search(), enemy("near"));

  ASSERT_EQ(run("near:finalize() far:finalize()"), "");
  enemyAt("late", 5, 2.0f, 12.0f);
  enemyAt("early", 3, -2.0f, 12.0f);
  EXPECT_EQ(search(), enemy("early")) << "same forward distance: the lower actor key";
}

TEST_F(Scope, OnlyTargetableEnemiesInTheActorCamerasViewAreFound) {
  ASSERT_EQ(run("s:setRadian(1.5)"), "");
  enemyAt("outside", 0, 70.0f, 8.0f);  // inside the wide cone, off the screen
  EXPECT_EQ(search(), nullptr);

  enemyAt("e", 0, 0.0f, 10.0f);
  ASSERT_EQ(search(), enemy("e"));
  const char* disqualify[] = {"e_body:setValid(false)", "e:setRangeAttack(false)", "e:setHp(0)", "e:setUse(false)"};
  const char* restore[] = {"e_body:setValid(true)", "e:setRangeAttack(true)", "e:setHp(1)", "e:setUse(true)"};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(disqualify[i]);
    ASSERT_EQ(run(disqualify[i]), "");
    EXPECT_EQ(search(), nullptr);
    EXPECT_EQ(search(enemy("e")), nullptr);
    ASSERT_EQ(run(restore[i]), "");
  }

  // A component that is not running (state 3) keeps the enemy out.
  auto* component = new TestComponent(enemy("e"), 0);
  component->addRef();
  enemy("e")->pushComponent(component);
  EXPECT_EQ(search(), nullptr);
  enemy("e")->setComponentState(component, 3);
  EXPECT_EQ(search(), enemy("e"));
  component->release("range_scope_test", 1);

  // No actor camera: nothing is found.
  rk::gfx::Camera* actorCamera = rk::gfx::CameraManager::getInstance()->getCamera(2);
  rk::gfx::CameraManager::getInstance()->removeCamera(actorCamera);
  delete actorCamera;
  EXPECT_EQ(search(), nullptr);
}

TEST_F(Scope, TheSearchFollowsTheScopesPlacement) {
  enemyAt("e", 0, 10.0f, 10.0f);
  EXPECT_EQ(search(), nullptr);
  range_scope::RangeScope* s = scope("s");
  s->setPos({10.0f, 0.0f, 0.0f, 0.0f});
  s->buildMatrix();
  EXPECT_EQ(search(), enemy("e"));
  s->record().direction = {1.0f, 0.0f, 0.0f, 0.0f};
  EXPECT_EQ(search(), nullptr);
}

}  // namespace
