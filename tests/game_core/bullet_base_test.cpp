// The bullet part: its owner actor body's hit points, no-damage state and use
// flag are the bullet's; speed and flags reset at initialize; the sixteen
// bullet methods forward to the owner.
#include <gtest/gtest.h>

#include "actor_body/actor_body.h"
#include "common/bullet/bullet_base.h"
#include "game_core/game_fixture.h"
#include "script/rk_lua_object.h"

namespace {

extern const rk::script::LuaClass kTestBulletClass;

// The least bullet class: the bullet part and its script methods.
struct TestBullet : common::BulletBase, rk::script::ILuaMethod {
  TestBullet() : BulletBase(3) {}
  static common::BulletBase* read(lua_State* L, int index) {
    return rk::script::toLuaObject<TestBullet>(L, index, kTestBulletClass);
  }
  void registerMethods(lua_State* L) override { common::registerBulletMethods(L, &read); }
  void setMetatable(lua_State* L) override {
    rk::script::setObjectMetatable(L, rk::script::lua_gcDeleteObject<TestBullet, kTestBulletClass>);
  }
};

const rk::script::LuaClass kTestBulletClass{"TestBullet"};

class Bullets : public gametest::GameScript {
 protected:
  // An actor body held by the test (one reference), as a bullet class makes it.
  ActorBody* newOwner() {
    auto* owner = new ActorBody();
    owner->addRef();
    owners_.push_back(owner);
    return owner;
  }
  // Pushes the bullet as the global `name`; the script object owns it.
  TestBullet* pushBullet(const char* name, ActorBody* owner) {
    auto* bullet = new TestBullet();
    if (owner) bullet->setOwner(owner);
    bullet->initialize();
    rk::script::pushLuaObject(L, *bullet, bullet, kTestBulletClass);
    lua_setglobal(L, name);
    return bullet;
  }
  void TearDown() override {
    lua_close(L);
    L = luaL_newstate();
    for (ActorBody* owner : owners_) owner->release("bullet_base_test", 50);
  }
  std::vector<ActorBody*> owners_;
};

TEST_F(Bullets, InitializeMakesTheOwnerFreshAndResetsSpeedAndFlags) {
  ActorBody* owner = newOwner();
  owner->status().hp_ = 0.0f;
  TestBullet bullet;
  bullet.setOwner(owner);
  bullet.record().fix_speed_ = 40.0f;
  bullet.record().hit_flag_ = bullet.record().reflect_flag_ = true;
  EXPECT_EQ(bullet.initialize(), host::S_OK);
  EXPECT_EQ(bullet.record().fix_speed_, 12.0f);
  EXPECT_FALSE(bullet.record().hit_flag_);
  EXPECT_FALSE(bullet.record().reflect_flag_);
  EXPECT_EQ(owner->status().hp_, 1.0f);
  EXPECT_TRUE(bullet.isUse());
  EXPECT_TRUE(bullet.isNoDamage()) << "a fresh owner has its no-damage flag set";
  EXPECT_EQ(bullet.record().actor_kind_, 3);

  // A hit rule kills the owner: the bullet is dead until the next initialize,
  // and finalize (out of use) does not revive it.
  owner->status().hp_ = 0.0f;
  bullet.finalize();
  EXPECT_TRUE(bullet.isDead());
  EXPECT_FALSE(bullet.isUse());
  EXPECT_FALSE(owner->isUse());
  bullet.initialize();
  EXPECT_FALSE(bullet.isDead());
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(Bullets, WithoutAnOwnerTheBulletIsDeadAndOutOfUse) {
  TestBullet bullet;
  EXPECT_TRUE(bullet.isDead());
  EXPECT_FALSE(bullet.isUse());
  EXPECT_FALSE(bullet.isNoDamage());
  bullet.setUse(true);
  EXPECT_EQ(log_.entries("common::BulletBase::setUse"), 1u);
  bullet.finalize();  // nothing to finalize
  EXPECT_EQ(bullet.initialize(), host::S_OK);
  EXPECT_EQ(log_.entries("common::BulletBase::setUse"), 2u);
}

TEST_F(Bullets, TheOwnerIsFinalizedAndReleasedWithTheBullet) {
  ActorBody* owner = newOwner();
  {
    TestBullet bullet;
    bullet.setOwner(owner);
    bullet.initialize();
    EXPECT_TRUE(owner->isUse());
  }
  EXPECT_FALSE(owner->isUse());
  EXPECT_EQ(owner->release("bullet_base_test", 110), 0);  // only the test's reference was left
  owners_.clear();
}

TEST_F(Bullets, FinalizeWithoutAnActorManagerIsReportedAndStillFinalizes) {
  ActorBody* owner = newOwner();
  TestBullet bullet;
  bullet.setOwner(owner);
  bullet.initialize();
  rk::actor::ActorManager::destroyInstance();
  bullet.finalize();
  EXPECT_EQ(log_.entries("common::BulletBase::finalize"), 1u);
  EXPECT_FALSE(owner->isUse());
  rk::actor::ActorManager::createInstance();
}

TEST_F(Bullets, ScriptMethodsReachTheSharedOwner) {
  ActorBody* owner = newOwner();
  pushBullet("a", owner);
  pushBullet("b", owner);
  EXPECT_EQ(run("return a:getFixVelocity(), a:getHp(), a:getHpMax()"), "12,1,1");
  EXPECT_EQ(run("a:setFixVelocity(30) a:setHp(0.5) a:setHpMax(4) return a:getFixVelocity(), b:getFixVelocity(), "
                "b:getHp(), b:getHpMax()"),
            "30,12,0.5,4");
  EXPECT_EQ(run("b:setHp(0) return a:isDead()"), "true");

  // No-damage state lives in the owner as well.
  EXPECT_EQ(run("a:setNoDamageFlag(false) a:setNoDamageCounter(2) a:startNoDamageCounter() "
                "return b:isNoDamage(), b:isNoDamagePeriod()"),
            "true,true");
  frame(0.5f);
  EXPECT_EQ(run("return b:calcNoDamageLerp()"), "0.25");
  EXPECT_EQ(run("b:stopNoDamageCounter() return a:isNoDamage(), a:isNoDamagePeriod()"), "false,false");
  EXPECT_EQ(owner->status().no_damage_period_, 2.0f);

  // setRun and isReady act on the owner's component list (empty: ready).
  EXPECT_EQ(run("a:setRun() return a:isReady()"), "true");
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(Bullets, MethodsOnAnOwnerlessBulletOrAnotherObjectAnswerSafely) {
  pushBullet("lone", nullptr);  // initialize without an owner reports setUse
  EXPECT_EQ(run("return lone:isDead(), lone:getHp(), lone:isReady(), lone:getFixVelocity()"), "true,0,false,12");
  run("lone:setHp(3) lone:startNoDamageCounter()");
  EXPECT_EQ(run("return lone.isDead({}), lone.isNoDamage(5)"), "true,false");
  EXPECT_EQ(log_.entries("common::BulletBase::lua_query"), 2u);
}

}  // namespace
