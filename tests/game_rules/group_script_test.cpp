// The groups as scripts build and run them: creators and their unset sides,
// side methods, registration and collection, the item list, the pass-order
// skip rules, element classes, and bodies destroyed during a pass.
#include <gtest/gtest.h>

#include "game_rules/rules_fixture.h"
#include "rigidbody/rk_rigidbody_manager.h"
#include "util/rk_list_template.h"

namespace {

using rulestest::Rules;

const std::vector<rk::collision::ICollisionExec*>& registered() {
  return rk::collision::CollisionGroupManager::getInstance()->getGroups();
}

TEST_F(Rules, EveryCreatorMakesAGroupWithUnsetSidesWhateverItIsPassed) {
  for (const auto& entry : col_group::collisionGorupLib()) {
    const std::string name = entry.name;
    SCOPED_TRACE(name);
    EXPECT_EQ(run("g = " + name + "(1, 2, 3) return type(g), select('#', " + name + "(4))"), "userdata,1");
    if (name == "createItemList") continue;
    rk::collision::ICollisionExec* g = group("g");
    ASSERT_NE(g, nullptr) << "addCollisionGroup accepts it";
    g->exec();  // unset sides: nothing happens
  }
  for (const char* name : {"createColGroupPlayerEnemyBulletSphere", "createColGroupPlayerEnemyBulletCapsule",
                           "createColGroupPlayerEnemyBulletOBB", "createColGroupPlayerEnemyBulletLaserCapsule",
                           "createColGroupPlayerEnemyBulletCapsuleLaserList"}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(run(std::string("g = ") + name + "(7) g:setPlayer(pb)"), "");
    ASSERT_NE(group("g"), nullptr);
    group("g")->exec();  // no bullet list
  }
}

// A shot touching an enemy body without owner: the rule leaves both as they
// are, so every pass over the two lists meets the pair.
TEST_F(Rules, SideMethodsSetAndUnsetSides) {
  setMode(1.0f);
  ASSERT_EQ(run("s = createReflectVulcan() s:setValid(true) s:setPos(0, 0, 5) s:syncForced()\n"
                "b = createEnemyBulletRigidBodySphere() b:setPos(0, 0, 5.5) b:syncForced()\n"
                "vs = createRigidBodySphereList() vs:push(s) bl = createEnemyBulletRigidBodySphereList() bl:push(b)\n"
                "g = createColGroupRefVulcanSphereShot()"),
            "");
  auto* s = object<PlayerBulletVulcanRigidBody>("s", kReflectVulcanClass);
  const struct {
    const char* call;
    bool hits;
  } cases[] = {
      {"g:setCollisionGroupA(vs) g:setCollisionGroupB(bl)", true},  // a framework list and a bullet list
      {"g:setCollisionGroup(vs, nil)", false},
      {"g:setCollisionGroup(vs)", false},
      {"g:setCollisionGroup(vs, bl)", true},
      {"g:setCollisionGroupA(nil)", false},
      {"g:setCollisionGroup(vs, bl) g:setCollisionGroupB()", false},
      {"g:setCollisionGroup(bl, vs)", false},  // lists of the wrong classes hold no members of the sides
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.call);
    ASSERT_EQ(run(c.call), "");
    s->setHitFlag(false);
    pass("g");
    EXPECT_EQ(s->hitFlag(), c.hits);
  }
}

template <class G>
const rk::rigidbody::ImpactParameter* impactOf(rk::collision::ICollisionExec* group) {
  auto* g = dynamic_cast<G*>(group);
  return g ? &g->impact() : nullptr;
}

TEST_F(Rules, VulcanBouncesOffShotsWithItsGroupsFriction) {
  const struct {
    const char* creator;
    const rk::rigidbody::ImpactParameter* (*impact)(rk::collision::ICollisionExec*);
    float flic;
  } cases[] = {{"createColGroupRefVulcanSphereShot", impactOf<col_group::PlayerRefVaucanAndSphereShot>, 0.0f},
               {"createColGroupRefVulcanCapsuleLaser", impactOf<col_group::PlayerRefVaucanAndCapsuleLaser>, 0.0f},
               {"createColGroupRefVulcanOBB", impactOf<col_group::PlayerRefVaucanAndOBB>, 0.0f},
               {"createColGroupRefVulcanBlendLaser", impactOf<col_group::PlayerRefVaucanAndBendLaser>, 0.7f}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.creator);
    ASSERT_EQ(run(std::string("g = ") + c.creator + "()"), "");
    const rk::rigidbody::ImpactParameter* impact = c.impact(group("g"));
    ASSERT_NE(impact, nullptr);
    EXPECT_FLOAT_EQ(impact->getFlic(), c.flic);
    EXPECT_FLOAT_EQ(impact->getSpring(), 5000.0f);
    EXPECT_FLOAT_EQ(impact->getDamper(), 50.0f);
    EXPECT_FLOAT_EQ(impact->getFlicMax(), 40000.0f);
  }
  // A sphere shot pushes the vulcan sideways and is pushed back; both fly on.
  ASSERT_EQ(run("s = createReflectVulcan() s:setValid(true) s:setVelocity(0, 0, 12) s:setPos(0, 0, 5) s:syncForced()\n"
                "b = createEnemyBulletRigidBodySphere() b:setPos(0.5, 0, 6) b:syncForced()\n"
                "vs = createRigidBodySphereList() vs:push(s) bl = createEnemyBulletRigidBodySphereList() bl:push(b)\n"
                "g = createColGroupRefVulcanSphereShot() g:setCollisionGroup(vs, bl)"),
            "");
  pass("g");
  auto* s = object<PlayerBulletVulcanRigidBody>("s", kReflectVulcanClass);
  EXPECT_TRUE(s->hitFlag());
  EXPECT_TRUE(s->reflectFlag());
  EXPECT_LT(s->getForce().x, 0.0f) << "pushed away from the shot";
  EXPECT_EQ(s->getForce().y, 0.0f);
  EXPECT_EQ(run("return s:isValid(), b:isValid()"), "true,true");
}

TEST_F(Rules, RegisteredGroupsRunInThePhysicsStepUntilCollectedOrRemoved) {
  ASSERT_EQ(run("e = enemies:createEnemy(0) e:setHpMax(100) e:setHp(100) e:setNoDamageFlag(false)\n"
                "eb = createEnemyRigidBodySphere() eb:setOwner(e) eb:setValid(true) eb:setPos(0, 0, 5)\n"
                "es = createRigidBodySphereList() es:push(eb)\n"
                "s = createBulletBeamShot() s:setHp(1) s:setValid(true) s:setPos(0, 0, 4)\n"
                "shots = createRigidBodyCapsuleList() shots:push(s)\n"
                "g = createColGroupBeamShotEnemySphere() g:setCollisionGroup(shots, es)"),
            "");
  step();
  EXPECT_FLOAT_EQ(enemy("e")->status().hp_, 100.0f) << "never registered";
  ASSERT_EQ(run("addCollisionGroup(g) addCollisionGroup(g) s:setVelocity(0, 0, 0) s:setPos(0, 0, 4)"), "");
  ASSERT_EQ(registered().size(), 1u);
  step();
  EXPECT_FLOAT_EQ(enemy("e")->status().hp_, 99.0f) << "hit once: the shot is spent";
  ASSERT_EQ(run("removeCollisionGroup(g) s:setValid(true) s:setVelocity(0, 0, 0) s:setPos(0, 0, 4)"), "");
  step();
  EXPECT_FLOAT_EQ(enemy("e")->status().hp_, 99.0f);
  ASSERT_EQ(run("addCollisionGroup(g) g2 = createColGroupBeamShotEnemyOBB() addCollisionGroup(g2) g = nil"), "");
  collect();
  ASSERT_EQ(registered().size(), 1u) << "the collected group left the list";
  EXPECT_EQ(registered()[0], group("g2"));
  step();
  EXPECT_FLOAT_EQ(enemy("e")->status().hp_, 99.0f);
}

TEST_F(Rules, OnceChecksLetAShotCancelTwoShotsButAHurtingShotStopsAtItsFirstEnemy) {
  ASSERT_EQ(run("s = createBulletBeamShot() s:setHp(1) s:setValid(true) s:setPos(0, 0, 5) s:syncForced()\n"
                "shots = createRigidBodyCapsuleList() shots:push(s)\n"
                "b1 = createEnemyBulletRigidBodySphere() b1:setPos(0, 0, 5.5) b1:syncForced()\n"
                "b2 = createEnemyBulletRigidBodySphere() b2:setPos(0, 0, 4.5) b2:syncForced()\n"
                "bl = createEnemyBulletRigidBodySphereList() bl:push(b1) bl:push(b2)\n"
                "g = createColGroupPlayerBeamShotAndEnemyShotSphere() g:setCollisionGroup(shots, bl)"),
            "");
  pass("g");
  EXPECT_EQ(run("return s:isValid(), b1:isValid(), b2:isValid()"), "false,false,false");

  ASSERT_EQ(run("s:setValid(true) s:setHp(1)\n"
                "e1 = enemies:createEnemy(0) e1:setHp(5) e1:setNoDamageFlag(false)\n"
                "e2 = enemies:createEnemy(0) e2:setHp(5) e2:setNoDamageFlag(false)\n"
                "eb1 = createEnemyRigidBodySphere() eb1:setOwner(e1) eb1:setValid(true) eb1:setPos(0, 0, 5.5) "
                "eb1:syncForced()\n"
                "eb2 = createEnemyRigidBodySphere() eb2:setOwner(e2) eb2:setValid(true) eb2:setPos(0, 0, 4.5) "
                "eb2:syncForced()\n"
                "es = createRigidBodySphereList() es:push(eb1) es:push(eb2)\n"
                "h = createColGroupBeamShotEnemySphere() h:setCollisionGroup(shots, es)"),
            "");
  pass("h");
  EXPECT_EQ(run("return e1:getHp(), e2:getHp()"), "4,5");
}

TEST_F(Rules, ItemListHoldsDuplicatesAndRemoveTakesThemAll) {
  ASSERT_EQ(run("i = createItemHandle() j = createItemHandle() items = createItemList()\n"
                "items:push(i) items:push(i) items:push(j) items:push(nil) items:push(42)"),
            "");
  auto* list = object<col_group::ItemList>("items", col_group::kItemListClass);
  EXPECT_EQ(list->items().size(), 3u);
  ASSERT_EQ(run("items:remove(i)"), "");
  EXPECT_EQ(list->items().size(), 1u);
  ASSERT_EQ(run("j = nil"), "");
  collect();
  EXPECT_TRUE(list->items().empty()) << "a destroyed item leaves the list";
  ASSERT_EQ(run("k = createItemHandle() items:push(k) items = nil"), "");
  collect();
  EXPECT_EQ(run("return k:getItemKind()"), "1") << "the item outlives its list";
}

TEST_F(Rules, APlayerGroupForgetsAPlayerBodyThatIsDestroyed) {
  setMode(1.0f);
  ASSERT_EQ(run("q = createPlayerColRigidBody() q:setOwner(p) q:setValid(true)\n"
                "b = createEnemyBulletRigidBodySphere() b:setHp(1) bl = createEnemyBulletRigidBodySphereList() "
                "bl:push(b)\n"
                "g = createColGroupPlayerEnemyBulletSphere() g:setPlayer(q) g:setBulletList(bl) q = nil"),
            "");
  collect();
  pass("g");  // nothing left to test: no read of the destroyed body
  EXPECT_FLOAT_EQ(player()->status().hp_, 2.0f);
}

// A group whose hit rule lets the last reference of every enemy body go.
class DestroyingGroup : public col_group::BeamShotAndEnemySphere {
 public:
  std::vector<EnemyRigidBodySphere*> victims;
  int contacts = 0;

 protected:
  void contact(PlayerBulletBeamShotRigidBody& a, EnemyRigidBodySphere& b) override {
    ++contacts;
    BeamShotAndEnemySphere::contact(a, b);
    for (EnemyRigidBodySphere* victim : victims) static_cast<rk::rigidbody::RigidBody*>(victim)->release(__FILE__, __LINE__);
    victims.clear();
  }
};

TEST_F(Rules, BodiesDestroyedByAHitRuleAreSkippedForTheRestOfThePass) {
  ASSERT_EQ(run("s1 = createBulletBeamShot() s1:setValid(true) s1:setHp(1) s1:setPos(0, 0, 5) s1:syncForced()\n"
                "s2 = createBulletBeamShot() s2:setValid(true) s2:setHp(1) s2:setPos(0, 0, 5) s2:syncForced()\n"
                "shots = createRigidBodyCapsuleList() shots:push(s1) shots:push(s2)\n"
                "es = createRigidBodySphereList()"),
            "");
  DestroyingGroup g;
  for (int i = 0; i < 3; ++i) {
    auto* body = rk::rigidbody::RigidBodyManager::create<EnemyRigidBodySphere>();
    body->setValid(true);
    body->setUse(true);
    body->setPosition({0.0f, 0.0f, 5.0f + 0.1f * static_cast<float>(i), 0.0f});
    body->updateWorldMatrix();
    body->flushSync();
    lua_getglobal(L, "es");
    rk::script::toLuaObject<rk::util::List<rk::rigidbody::RigidBodySphere>>(
        L, -1, rk::script::collision::kRigidBodySphereListClass)
        ->push(body);
    g.victims.push_back(body);
  }
  lua_getglobal(L, "shots");
  lua_getglobal(L, "es");
  g.setSideA(L, -2);
  g.setSideB(L, -1);
  lua_pop(L, 2);
  g.exec();
  EXPECT_EQ(g.contacts, 1) << "the destroyed bodies met no further shot";
  g.exec();
  EXPECT_EQ(g.contacts, 1) << "and left the script's list";
}

}  // namespace
