// The hit rules as the groups apply them in one pass: shots against enemy
// bodies (damage, kill with explosion and combo, bounce off reflecting
// bodies), shots cancelling enemy shots, enemy bodies and bullets against the
// player and its no-damage period, the mode switch, and item pick-ups.
#include <gtest/gtest.h>

#include "collision/hit_rules.h"
#include "game_rules/rules_fixture.h"
#include "math/rk_counter.h"

namespace {

using rulestest::Rules;

constexpr const char* kShotHit = "audio/se/common01/shot_hit.ogg";
constexpr const char* kPlayerDamage = "audio/se/common01/player_damage.ogg";

// An enemy `e` with `hp` hit points whose sphere body `eb` stands at z = 5,
// and a group `g` of `creator` over a list of the shot `s` (at z = 3.6, its
// tip reaching into the body) and a list of `eb`.
std::string shotScene(const char* shotCreator, const char* groupCreator, float shotHp, float enemyHp) {
  return std::string("e = enemies:createEnemy(0) e:setHpMax(10) e:setHp(") + std::to_string(enemyHp) +
         ") e:setNoDamageFlag(false)\n"
         "eb = createEnemyRigidBodySphere() eb:setOwner(e) eb:setValid(true) eb:setPos(0, 0, 5) eb:syncForced()\n"
         "s = " + shotCreator + "() s:setHp(" + std::to_string(shotHp) +
         ") s:setValid(true) s:setRadius(0.5) s:setPos(0, 0, 3.6) s:syncForced()\n"
         "es = createRigidBodySphereList() es:push(eb)\n"
         "g = " + groupCreator + "() g:setCollisionGroup(shots, es)\n";
}

TEST_F(Rules, BeamShotAgainstAnEnemyBody) {
  const struct {
    const char* name;
    float shotHp, enemyHp;
    const char* extra;  // run before the pass
    float hpAfter;
    bool shotValid, bodyValid;
    std::size_t hitSounds, explosions;
    std::uint32_t kills;
  } cases[] = {
      {"hurts", 3, 5, "", 2, false, true, 1, 0, 0},
      {"kills and chains a combo", 5, 3, "", 0, false, false, 0, 1, 1},
      {"enemy already at 0", 5, 0, "", 0, true, true, 0, 0, 0},
      {"enemy in no-damage is skipped", 3, 5, "e:setNoDamageFlag(true)", 5, true, true, 0, 0, 0},
      {"invalid shot is skipped", 3, 5, "s:setValid(false)", 5, false, true, 0, 0, 0},
      {"dead shot owner is skipped", 0, 5, "", 5, true, true, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    rk::audio::AudioContext::getInstance()->clearEntrySE();
    ASSERT_EQ(run("shots = createRigidBodyCapsuleList()\n" +
                  shotScene("createBulletBeamShot", "createColGroupBeamShotEnemySphere", c.shotHp, c.enemyHp) +
                  "shots:push(s)\n" + c.extra),
              "");
    const std::uint32_t killsBefore = kills();
    pass("g");
    EXPECT_FLOAT_EQ(number("e:getHp()"), c.hpAfter);
    EXPECT_EQ(run("return s:isValid(), eb:isValid()"),
              std::string(c.shotValid ? "true" : "false") + "," + (c.bodyValid ? "true" : "false"));
    EXPECT_EQ(queued(kShotHit), c.hitSounds);
    EXPECT_EQ(body("eb")->record().dead_infos_.size(), c.explosions);
    EXPECT_EQ(kills() - killsBefore, c.kills);
  }
}

TEST_F(Rules, HurtEnemyFlushesAndKillLeavesAnExplosionAtTheBody) {
  ASSERT_EQ(run("shots = createRigidBodyCapsuleList()\n" +
                shotScene("createBulletBeamShot", "createColGroupBeamShotEnemySphere", 1, 5) + "shots:push(s)"),
            "");
  pass("g");
  EXPECT_TRUE(enemy("e")->state().flush_counter_->isRunning());
  ASSERT_EQ(run("s:setValid(true) s:setHp(9)"), "");
  pass("g");
  ASSERT_EQ(body("eb")->record().dead_infos_.size(), 1u);
  const EnemyRigidBody::DeadInfo& info = body("eb")->record().dead_infos_[0];
  EXPECT_FLOAT_EQ(info.matrix.m[3][2], 5.0f) << "at the body's centre";
  EXPECT_FLOAT_EQ(info.scale, 4.0f) << "4 x the radius";
  EXPECT_EQ(info.camera_no, 2);
  EXPECT_EQ(info.effect_no, 4);
}

TEST_F(Rules, BeamShotBouncesOffAReflectingBodyWithoutDamage) {
  ASSERT_EQ(run("shots = createRigidBodyCapsuleList()\n" +
                shotScene("createBulletBeamShot", "createColGroupBeamShotEnemySphere", 3, 5) +
                "shots:push(s) eb:setReflect(true) s:setBaseAxis(0, 0, 1) s:setHeight(0.5) s:setPos(0.5, 0, 3.6) "
                "s:syncForced()"),
            "");
  auto* s = object<PlayerBulletBeamShotRigidBody>("s", kBeamShotClass);
  pass("g");
  EXPECT_FLOAT_EQ(number("e:getHp()"), 5.0f);
  EXPECT_TRUE(s->isValid());
  EXPECT_TRUE(s->hitFlag());
  EXPECT_TRUE(s->reflectFlag());
  const rk::math::Vector4 v = s->getVelocity();
  EXPECT_EQ(v.y, 0.0f);
  EXPECT_NEAR(std::sqrt(v.x * v.x + v.z * v.z), s->fixSpeed(), 1e-4f) << "along the horizontal normal";
  EXPECT_LT(v.z, 0.0f) << "away from the body";
  EXPECT_EQ(queued(kShotHit), 0u);
}

TEST_F(Rules, VulcanHitOnALiveEnemyQueuesItsSoundAndSpendsTheVulcan) {
  ASSERT_EQ(run("shots = createRigidBodySphereList()\n" +
                shotScene("createReflectVulcan", "createColGroupRefVulcanEnemySphere", 2, 5) +
                "shots:push(s) s:setPos(0, 0, 4) s:syncForced()"),
            "");
  pass("g");
  EXPECT_FLOAT_EQ(number("e:getHp()"), 3.0f);
  EXPECT_EQ(run("return s:isValid(), s:getHp()"), "false,0");
  EXPECT_EQ(queued(kShotHit), 1u);
}

TEST_F(Rules, MagnumSetsTheDamageRecordButNotOnAReflectingBody) {
  for (const bool reflect : {false, true}) {
    SCOPED_TRACE(reflect);
    ASSERT_EQ(run("shots = createRigidBodyCapsuleList()\n" +
                  shotScene("createBeamMagnum", "createColGroupBeamMagnumEnemySphere", 60, 10) +
                  "shots:push(s) eb:setReflect(" + (reflect ? "true" : "false") + ")"),
              "");
    pass("g");
    auto* eb = object<EnemyRigidBodySphere>("eb", kEnemyRigidBodySphereClass);
    EXPECT_EQ(eb->isMagnumDamage(), !reflect);
    EXPECT_FLOAT_EQ(eb->getDamageOneSec(), reflect ? 0.0f : 60.0f);
    EXPECT_EQ(run("return s:isValid()"), "true") << "the magnum flies on";
  }
}

TEST_F(Rules, ShotsCancelEnemySphereShotsOfColourKindZeroOnly) {
  const struct {
    const char* shot;
    const char* list;
    const char* group;
    int colour;
    const char* after;  // shot valid, bullet valid, bullet hp
  } cases[] = {
      {"createBulletBeamShot", "createRigidBodyCapsuleList", "createColGroupPlayerBeamShotAndEnemyShotSphere", 0,
       "false,false,0"},
      {"createBulletBeamShot", "createRigidBodyCapsuleList", "createColGroupPlayerBeamShotAndEnemyShotSphere", 1,
       "true,true,1"},
      {"createBeamMagnum", "createRigidBodyCapsuleList",
       "createColGroupPlayerBeamMagunumAndEnemyBulletRigidBodySphere", 0, "true,false,0"},
      {"createBeamMagnum", "createRigidBodyCapsuleList",
       "createColGroupPlayerBeamMagunumAndEnemyBulletRigidBodySphere", 1, "true,true,1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.group) + " colour " + std::to_string(c.colour));
    ASSERT_EQ(run(std::string("s = ") + c.shot + "() s:setHp(1) s:setValid(true) s:setPos(0, 0, 5) s:syncForced()\n" +
                  "shots = " + c.list + "() shots:push(s)\n" +
                  "b = createEnemyBulletRigidBodySphere() b:setHp(1) b:setShotColorKind(" + std::to_string(c.colour) +
                  ") b:setPos(0, 0, 5.5) b:syncForced()\n"
                  "bl = createEnemyBulletRigidBodySphereList() bl:push(b)\n"
                  "g = " + c.group + "() g:setCollisionGroupA(shots) g:setCollisionGroupB(bl)"),
              "");
    pass("g");
    EXPECT_EQ(run("return s:isValid(), b:isValid(), b:getHp()"), c.after);
  }
}

// -------------------------------------------------------- against the player

TEST_F(Rules, BulletHurtsThePlayerOnceUntilItsNoDamagePeriodEnds) {
  setMode(1.0f);
  ASSERT_EQ(run("p:setNoDamageCounter(0.5)\n"
                "b1 = createEnemyBulletRigidBodySphere() b1:setHp(0.25) b1:setPos(0, 0, 1) b1:syncForced()\n"
                "b2 = createEnemyBulletRigidBodySphere() b2:setHp(0.25) b2:setPos(0, 0, -1) b2:syncForced()\n"
                "bl = createEnemyBulletRigidBodySphereList() bl:push(b1) bl:push(b2)\n"
                "g = createColGroupPlayerEnemyBulletSphere() g:setPlayer(pb) g:setBulletList(bl)"),
            "");
  pass("g");
  // The can-take-hits test is made once per pass: both bullets hurt.
  EXPECT_FLOAT_EQ(player()->status().hp_, 1.5f);
  EXPECT_EQ(run("return b1:isValid(), b2:isValid()"), "false,false") << "spent";
  EXPECT_EQ(queued(kPlayerDamage), 2u);
  EXPECT_TRUE(player()->isNoDamagePeriod());

  ASSERT_EQ(run("b1:setValid(true) b1:setHp(0.25) b2:setBulletNoDamage(true) b2:setValid(true) b2:setHp(0.25)"), "");
  pass("g");
  EXPECT_FLOAT_EQ(player()->status().hp_, 1.5f) << "inside the no-damage period";

  frame(0.6f);  // the period has passed
  ASSERT_FALSE(player()->isNoDamagePeriod());
  ASSERT_EQ(run("b1:setValid(false)"), "");
  pass("g");
  EXPECT_FLOAT_EQ(player()->status().hp_, 1.25f);
  EXPECT_EQ(run("return b2:isValid()"), "true") << "a no-damage bullet flies on";
}

TEST_F(Rules, PlayerModeCtrlSwitchesEnemyBodiesAndBulletsDifferently) {
  ASSERT_EQ(run("e = enemies:createEnemy(0) e:setHpMax(5) e:setHp(5) e:setNoDamageFlag(false)\n"
                "eb = createEnemyRigidBodySphere() eb:setOwner(e) eb:setValid(true) eb:setPos(0, 0, 1.5) "
                "eb:syncForced()\n"
                "players = createRigidBodySphereList() players:push(pb) es = createRigidBodySphereList() es:push(eb)\n"
                "ge = createColGroupPlayerEnemySphere() ge:setCollisionGroup(players, es)\n"
                "b = createEnemyBulletRigidBodySphere() b:setHp(0.5) b:setPos(0, 0, -1) b:syncForced()\n"
                "bl = createEnemyBulletRigidBodySphereList() bl:push(b)\n"
                "gb = createColGroupPlayerEnemyBulletSphere() gb:setPlayer(pb) gb:setBulletList(bl)"),
            "");
  const struct {
    const char* name;
    bool set;
    float mode;
    bool bodyHurts, bulletHurts;
  } cases[] = {
      {"absent", false, 0.0f, false, false},
      {"zero", true, 0.0f, false, false},
      {"one half: bodies compare with 0.0, bullets truncate", true, 0.5f, true, false},
      {"one", true, 1.0f, true, true},
      {"minus one", true, -1.0f, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    rk::GlobalVariable::destroyInstance();
    rk::GlobalVariable::createInstance();
    if (c.set) setMode(c.mode);
    for (const bool bodies : {true, false}) {
      ASSERT_EQ(run("p:setHp(2) p:stopNoDamageCounter() p:setNoDamageCounter(0) e:setHp(5) b:setValid(true) b:setHp(0.5)"), "");
      pass(bodies ? "ge" : "gb");
      const bool hurts = bodies ? c.bodyHurts : c.bulletHurts;
      EXPECT_FLOAT_EQ(player()->status().hp_, hurts ? (bodies ? 1.0f : 1.5f) : 2.0f) << (bodies ? "body" : "bullet");
    }
  }
}

TEST_F(Rules, BodyContactHurtsBothAndAPlayerHitDeadEnemyDiesWithoutCombo) {
  setMode(1.0f);
  for (const bool hitDead : {false, true}) {
    SCOPED_TRACE(hitDead);
    ASSERT_EQ(run(std::string("p:setHp(2) p:stopNoDamageCounter()\n") +
                  "e = enemies:createEnemy(0) e:setHpMax(5) e:setHp(5) e:setNoDamageFlag(false)\n"
                  "eb = createEnemyRigidBodyOBB() eb:setOwner(e) eb:setValid(true) eb:setPos(0, 0, 1.5) "
                  "eb:syncForced() eb:setPlayerHitDead(" + (hitDead ? "true" : "false") + ")\n"
                  "players = createRigidBodySphereList() players:push(pb) es = createRigidBodyOBBList() es:push(eb)\n"
                  "g = createColGroupPlayerEnemyOBB() g:setCollisionGroup(players, es)"),
              "");
    const std::uint32_t before = kills();
    pass("g");
    EXPECT_FLOAT_EQ(player()->status().hp_, 1.0f);
    EXPECT_FLOAT_EQ(number("e:getHp()"), hitDead ? 0.0f : 4.0f);
    EXPECT_EQ(run("return eb:isValid()"), hitDead ? "false" : "true");
    EXPECT_EQ(kills(), before);
    EXPECT_TRUE(player()->isNoDamagePeriod());
  }
}

TEST_F(Rules, GrowingLaserHurtsThePlayerOnce) {
  setMode(1.0f);
  ASSERT_EQ(run("l = createEnemyBulletRigidBodyLaserCapsule() l:setHp(0.5) l:setHeight(2) l:setPos(0, 0, 1) "
                "l:syncForced()\n"
                "ll = createEnemyBulletRigidBodyLaserCapsuleList() ll:push(l)\n"
                "g = createColGroupPlayerEnemyBulletLaserCapsule() g:setPlayer(pb) g:setBulletList(ll)"),
            "");
  pass("g");
  EXPECT_FLOAT_EQ(player()->status().hp_, 1.5f);
  EXPECT_EQ(run("return l:isValid(), l:isNoDamage(), l:getHp()"), "true,true,0");
  ASSERT_EQ(run("p:stopNoDamageCounter() p:setNoDamageCounter(0)"), "");
  pass("g");
  EXPECT_FLOAT_EQ(player()->status().hp_, 1.5f) << "the laser's owner is in no-damage now";
}

// ------------------------------------------------------------------- items

TEST_F(Rules, ItemPickUps) {
  const struct {
    int kind;
    unsigned level;
    float hp;  // of a maximum of 2
    unsigned levelAfter;
    float hpAfter;
  } cases[] = {
      {2, 1, 1.5f, 1, 2.5f},  // shield: +1, not clamped
      {2, 1, 2.0f, 1, 2.0f},  // full: bonus instead
      {3, 2, 2.0f, 5, 2.0f},  // full power
      {3, 5, 2.0f, 5, 2.0f},
      {4, 1, 0.5f, 1, 2.0f},  // full shield
      {4, 1, 2.0f, 1, 2.0f},
      {1, 4, 2.0f, 5, 2.0f},  // power-up
      {1, 5, 2.0f, 5, 2.0f},
      {0, 1, 2.0f, 2, 2.0f},  // any other kind is a power-up
      {-3, 3, 2.0f, 4, 2.0f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("kind " + std::to_string(c.kind) + " level " + std::to_string(c.level));
    ASSERT_EQ(run("p:setShotLevel(" + std::to_string(c.level) + ") p:setHp(" + std::to_string(c.hp) +
                  ")\n"
                  "i = createItemHandle() i:setItemKind(" + std::to_string(c.kind) +
                  ") i:setValid(true) i:setUse(true) i:setPos(0, 0, 1) i:syncForced()\n"
                  "items = createItemList() items:push(i)\n"
                  "g = createPlayerHitItem() g:setPlayerRigidBody(pb) g:setItemRigidBodyList(items)"),
              "");
    pass("g");
    EXPECT_EQ(player()->shotLevel(), c.levelAfter);
    EXPECT_FLOAT_EQ(player()->status().hp_, c.hpAfter);
    EXPECT_EQ(run("return i:isValid(), i:isUse()"), "false,false");
  }
}

TEST_F(Rules, TwoTouchedItemsAreBothPickedAndLeaveTheListButADeadPlayerPicksNothing) {
  ASSERT_EQ(run("a = createItemHandle() a:setItemKind(2) a:setValid(true) a:setUse(true) a:setPos(0, 0, 1) "
                "a:syncForced()\n"
                "b = createItemHandle() b:setItemKind(2) b:setValid(true) b:setUse(true) b:setPos(0, 0, -1) "
                "b:syncForced()\n"
                "far = createItemHandle() far:setValid(true) far:setUse(true) far:setPos(9, 0, 0) far:syncForced()\n"
                "items = createItemList() items:push(a) items:push(b) items:push(far)\n"
                "g = createPlayerHitItem() g:setPlayerRigidBody(pb) g:setItemRigidBodyList(items)\n"
                "p:setHp(0.5)"),
            "");
  pass("g");
  EXPECT_FLOAT_EQ(player()->status().hp_, 2.5f);
  auto* list = object<col_group::ItemList>("items", col_group::kItemListClass);
  ASSERT_EQ(list->items().size(), 1u);
  EXPECT_EQ(run("return far:isValid()"), "true");

  ASSERT_EQ(run("p:setHp(0) far:setPos(0, 0, 1) far:syncForced()"), "");
  pass("g");
  EXPECT_EQ(list->items().size(), 1u);
  EXPECT_EQ(run("return far:isValid()"), "true");
}

TEST(HitRuleMath, HorizontalAndYaw) {
  const struct {
    rk::math::Vector4 v;
    rk::math::Vector4 h;
  } cases[] = {
      {{3, 7, 4, 0}, {0.6f, 0, 0.8f, 0}},
      {{0, 5, 0, 0}, {0, 0, 0, 0}},  // no horizontal part stays zero
      {{0, 0, -2, 0}, {0, 0, -1, 0}},
  };
  for (const auto& c : cases) {
    const rk::math::Vector4 h = col_group::rules::horizontal(c.v);
    EXPECT_NEAR(h.x, c.h.x, 1e-6f);
    EXPECT_EQ(h.y, 0.0f);
    EXPECT_NEAR(h.z, c.h.z, 1e-6f);
  }
  EXPECT_NEAR(col_group::rules::yawOf({0, 0, 1, 0}), 0.0f + 1.5707964f + 1.5707964f, 1e-6f);
  EXPECT_NEAR(col_group::rules::yawOf({-1, 0, 0, 0}), 1.5707964f, 1e-6f);
}

}  // namespace
