// The damage flush: a running flush counter lights the material with a fading
// emissive colour for a quarter of a second, then the material comes back
// exactly as it was; switching models mid-flash restores the old one first.
#include <gtest/gtest.h>

#include "enemy/enemy_flush_model.h"
#include "game_enemy/enemy_fixture.h"
#include "game_enemy/model_stub.h"
#include "math/rk_counter.h"

namespace {

using rk::gfx::Material;

class EnemyFlush : public enemytest::EnemyScript {
 protected:
  EnemyFlush() {
    reg("createEnemyFlushModel", lua_createEnemyFlushModel);
    arm = new Material();
    arm->top().diffuse = rk::gfx::Color(0.1f, 0.2f, 0.3f, 1.0f);
    a.root->materials["arm"].reset(arm);
    a.root->own.top().emissive = rk::gfx::Color(0.0f, 0.5f, 0.0f, 1.0f);
    a.push(L, "modelA");
    b.push(L, "modelB");
    EXPECT_EQ(run("e = enemies:createEnemy(0) f = createEnemyFlushModel(e, 3) e:addComponent(f)\n"
                  "return f:getKind(), e:getComponentNum()"),
              "3,1");
  }
  ~EnemyFlush() override {
    lua_close(L);  // components go before the models
    L = luaL_newstate();
  }
  EnemyFlushModel* flush() {
    lua_getglobal(L, "f");
    auto* f = dynamic_cast<EnemyFlushModel*>(
        rk::script::toLuaObject<rk::actor::ActorComponent>(L, -1, rk::actor::kActorComponentClass));
    lua_pop(L, 1);
    return f;
  }
  rk::math::Counter* counter() { return enemy("e")->state().flush_counter_; }
  // One frame: the actor manager runs the component, then the counter advances.
  void tick(float dt) {
    rk::actor::ActorManager::getInstance()->update(dt);
    frame(dt);
  }
  static std::string emissive(const Material& m) {
    const rk::gfx::Color c = m.getEmissive();
    char text[80];
    std::snprintf(text, sizeof text, "%.4f,%.4f,%.4f,%.4f,%d", c.getR(), c.getG(), c.getB(), c.getA(),
                  m.top().emissive_valid ? 1 : 0);
    return text;
  }

  enemytest::StubModel a, b;
  Material* arm = nullptr;
};

// Counter values and the emissive colour they give: A × (1 − 4·value).
TEST_F(EnemyFlush, TheGlowFadesOverAQuarterSecondAndTheMaterialComesBack) {
  ASSERT_EQ(run("f:setFlushModel(modelA, 'arm') e:startDamangeFlush()"), "");
  const std::string before = emissive(*arm);
  struct Case {
    float value;
    const char* expected;  // emissive after the frame run at that counter value
  } cases[] = {
      {0.0f, nullptr},  // t = 0: nothing changes
      {0.0625f, "0.5882,0.5882,0.5882,0.3765,1"},
      {0.125f, "0.3922,0.3922,0.3922,0.2510,1"},  // half of A
      {0.2f, "0.1569,0.1569,0.1569,0.1004,1"},
  };
  tick(0.0f);  // the component starts running
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    counter()->setValue(c.value);
    rk::actor::ActorManager::getInstance()->update(0.0f);
    EXPECT_EQ(emissive(*arm), c.expected ? c.expected : before);
    EXPECT_EQ(arm->top().diffuse.getG(), 0.2f) << "the rest of the state stays";
  }
  // t reaches 1: the counter stops at 0, the material is left for this frame...
  counter()->setValue(0.25f);
  rk::actor::ActorManager::getInstance()->update(0.0f);
  EXPECT_FALSE(counter()->isRunning());
  EXPECT_EQ(counter()->value(), 0.0f);
  EXPECT_NE(emissive(*arm), before);
  // ...and the next frame restores it and drops the copy.
  rk::actor::ActorManager::getInstance()->update(0.0f);
  EXPECT_EQ(emissive(*arm), before);
  EXPECT_EQ(flush()->record().saved_material_, nullptr);
}

TEST_F(EnemyFlush, ACounterThatNeverRunsNeverTouchesTheMaterial) {
  ASSERT_EQ(run("f:setFlushModel(modelA)"), "");
  const std::string before = emissive(a.root->own);
  for (int i = 0; i < 5; ++i) tick(0.05f);
  EXPECT_EQ(emissive(a.root->own), before);
  EXPECT_EQ(flush()->record().saved_material_, nullptr);
  EXPECT_EQ(log_.entries("rk::gfx::Model::getFrameMaterial"), 0u);
}

// Restarting mid-flash keeps the first copy, so the material returns to its
// state from before the first flash.
TEST_F(EnemyFlush, ARestartDuringAFlashRestoresTheOriginalState) {
  ASSERT_EQ(run("f:setFlushModel(modelA, nil) e:startDamangeFlush()"), "");
  const std::string before = emissive(a.root->own);
  tick(0.1f);
  tick(0.0f);
  ASSERT_NE(emissive(a.root->own), before);
  ASSERT_EQ(run("e:startDamangeFlush()"), "");
  for (int i = 0; i < 12; ++i) tick(1.0f / 30.0f);
  EXPECT_EQ(emissive(a.root->own), before);
  EXPECT_FALSE(counter()->isRunning());
}

TEST_F(EnemyFlush, SwitchingModelsMidFlashRestoresTheOldModel) {
  struct Case {
    const char* name;
    const char* call;
    rk::gfx::Model* modelAfter;
  } cases[] = {
      {"nil clears model and name", "f:setFlushModel(nil)", nullptr},
      {"another model", "f:setFlushModel(modelB, 'x')", &b.model},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    a.root->own.top().emissive_valid = false;
    const std::string before = emissive(a.root->own);
    ASSERT_EQ(run("f:setFlushModel(modelA) e:startDamangeFlush()"), "");
    tick(0.0f);
    tick(0.05f);
    tick(0.0f);
    ASSERT_NE(emissive(a.root->own), before);
    ASSERT_EQ(run(c.call), "");
    EXPECT_EQ(emissive(a.root->own), before);
    EXPECT_EQ(flush()->record().model_, c.modelAfter);
    EXPECT_EQ(flush()->record().saved_material_, nullptr);
    counter()->stop();
  }
  // The same model again keeps its copy.
  ASSERT_EQ(run("f:setFlushModel(modelA) e:startDamangeFlush()"), "");
  tick(0.05f);
  tick(0.0f);
  ASSERT_NE(flush()->record().saved_material_, nullptr);
  ASSERT_EQ(run("f:setFlushModel(modelA)"), "");
  EXPECT_NE(flush()->record().saved_material_, nullptr);
}

TEST_F(EnemyFlush, AFrameWithoutMaterialIsReportedAndChangesNothing) {
  ASSERT_EQ(run("f:setFlushModel(modelA, 'leg') e:startDamangeFlush()"), "");
  tick(0.05f);
  tick(0.0f);
  EXPECT_GE(log_.entries("rk::gfx::Model::getFrameMaterial"), 1u);
  EXPECT_EQ(flush()->record().saved_material_, nullptr);
  // A non-enemy owner or a non-model argument reads as the null object.
  EXPECT_EQ(run("return createEnemyFlushModel(modelA, 1)"), "nil");
  EXPECT_EQ(run("f:setFlushModel(e, 'arm')"), "");
  EXPECT_EQ(flush()->record().material_frame_name_, "leg");
}

}  // namespace
