// Typed bullet lists: push order, removal of the oldest equal entry, clearing,
// reports for wrong arguments, and bullets that are destroyed while lists
// still hold them. Also the billboard display that follows a bullet.
#include "enemy_bullet/bullet_fixture.h"

#include <sstream>

#include "gfx/gfx_model_command/rk_gfx_billboard.h"
#include "script/rk_script_gfx_parts.h"

namespace {

class BulletLists : public bullettest::BulletScript {
 protected:
  // The list held by a global, as the names of the bullets held by globals
  // a, b, c, d (in list order).
  std::string contents(const char* listName) {
    auto* list = globalList(listName);
    if (!list) return "<none>";
    std::string out;
    for (EnemyBulletRigidBodySphere* entry : *list) {
      for (const char* name : {"a", "b", "c", "d"})
        if (global<EnemyBulletRigidBodySphere>(name) == entry) out += name;
    }
    return out;
  }
  EnemyBulletSphereList* globalList(const char* name) {
    lua_getglobal(L, name);
    auto* list = enemy_bullet::toList<EnemyBulletRigidBodySphere>(L, -1);
    lua_pop(L, 1);
    return list;
  }
};

TEST_F(BulletLists, PushRemoveAndClearKeepTheOrderOfTheOthers) {
  struct Case {
    const char* calls;
    const char* expected;
  } cases[] = {
      {"l:push(a) l:push(b) l:push(c)", "abc"},
      {"l:push(a) l:push(b) l:push(c) l:remove(b)", "ac"},
      {"l:push(a) l:push(b) l:push(a)", "aba"},
      {"l:push(a) l:push(b) l:push(a) l:remove(a)", "ba"},
      {"l:push(a) l:push(b) l:push(a) l:remove(a) l:remove(a)", "b"},
      {"l:push(a) l:push(a) l:push(b) l:push(a) l:remove(a) l:remove(a) l:push(a)", "baa"},
      {"l:push(a) l:remove(d)", "a"},
      {"l:remove(a)", ""},
      {"l:push(a) l:push(b) l:clear()", ""},
      {"l:clear() l:push(c)", "c"},
  };
  ASSERT_EQ(run("a = createEnemyBulletRigidBodySphere() b = createEnemyBulletRigidBodySphere()"
                "c = createEnemyBulletRigidBodySphere() d = createEnemyBulletRigidBodySphere()"),
            "");
  for (const Case& c : cases) {
    ASSERT_EQ(run("l = createEnemyBulletRigidBodySphereList()"), "");
    EXPECT_EQ(run(c.calls), "") << c.calls;
    EXPECT_EQ(contents("l"), c.expected) << c.calls;
    EXPECT_EQ(globalList("l")->size(), std::string(c.expected).size());
  }
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(BulletLists, ArgumentsThatAreNotBulletsOfTheListsClassAreReported) {
  ASSERT_EQ(run("a = createEnemyBulletRigidBodySphere() box = createEnemyBulletRigidBodyOBB()"
                "l = createEnemyBulletRigidBodySphereList() l:push(a)"),
            "");
  struct Case {
    const char* call;
    const char* entry;
  } cases[] = {
      {"l:push(1)", "lua_enemy_bullet_rigidbody_list::lua_command_push"},
      {"l:push(nil)", "lua_enemy_bullet_rigidbody_list::lua_command_push"},
      {"l:push(box)", "lua_enemy_bullet_rigidbody_list::lua_command_push"},
      {"l:remove('a')", "lua_enemy_bullet_rigidbody_list::lua_command_remove"},
      {"l:remove(box)", "lua_enemy_bullet_rigidbody_list::lua_command_remove"},
      {"l.push(a, a)", "src/script/rk_lua_object"},
  };
  for (const Case& c : cases) {
    log_.clear();
    EXPECT_EQ(run(c.call), "") << c.call;
    EXPECT_NE(log_.text().find(c.entry), std::string::npos) << c.call << "\n" << log_.text();
    EXPECT_EQ(contents("l"), "a") << c.call;
  }
}

// Derived bullets go into the lists of their base shape, and a growing laser
// or a bendable laser into lists of its own class only.
TEST_F(BulletLists, ListsTakeDerivedBulletsOfTheirClass) {
  ASSERT_EQ(run("laser = createEnemyBulletRigidBodyLaserCapsule() chain = createEnemyBulletRigidBodySphereCapsuleList()"
                "caps = createEnemyBulletRigidBodyCapsuleList() lasers = createEnemyBulletRigidBodyLaserCapsuleList()"
                "spheres = createEnemyBulletRigidBodySphereList() chains = createEnemyBulletRigidBodySphereCapsuleListList()"
                "caps:push(laser) lasers:push(laser) spheres:push(chain) chains:push(chain)"),
            "");
  EXPECT_TRUE(log_.empty()) << log_.text();
  run("lasers:push(createEnemyBulletRigidBodyCapsule()) chains:push(createEnemyBulletRigidBodySphere())");
  EXPECT_EQ(log_.entries("lua_enemy_bullet_rigidbody_list::lua_command_push"), 2u);
  lua_getglobal(L, "lasers");
  EXPECT_EQ(enemy_bullet::toList<EnemyBulletRigidBodyLaserCapsule>(L, -1)->size(), 1u);
  lua_getglobal(L, "chains");
  EXPECT_EQ(enemy_bullet::toList<EnemyBulletRigidBodySphereCapsuleList>(L, -1)->size(), 1u);
  lua_settop(L, 0);
}

TEST_F(BulletLists, ADestroyedBulletLeavesEveryListThatHeldIt) {
  ASSERT_EQ(run("a = createEnemyBulletRigidBodySphere() b = createEnemyBulletRigidBodySphere()"
                "l1 = createEnemyBulletRigidBodySphereList() l2 = createEnemyBulletRigidBodySphereList()"
                "l1:push(a) l1:push(b) l1:push(a) l2:push(b) l2:push(a)"
                "chain = createEnemyBulletRigidBodySphereCapsuleList() chains = createEnemyBulletRigidBodySphereCapsuleListList()"
                "chains:push(chain) chains:push(chain)"),
            "");
  EnemyBulletRigidBodySphere* doomed = global<EnemyBulletRigidBodySphere>("a");
  run("a = nil chain = nil collectgarbage()");
  EXPECT_EQ(contents("l1"), "b");
  EXPECT_EQ(contents("l2"), "b");
  lua_getglobal(L, "chains");
  EXPECT_TRUE(enemy_bullet::toList<EnemyBulletRigidBodySphereCapsuleList>(L, -1)->empty());
  lua_settop(L, 0);
  for (rk::rigidbody::RigidBody* body : physics_->bodies()) EXPECT_NE(body, doomed);

  // The lists still work, and the remaining bullet is untouched.
  EXPECT_EQ(run("l1:push(b) l1:remove(b) return b:isValid(), b:isUse()"), "true,true");
  EXPECT_EQ(contents("l1"), "b");

  // Collecting a list leaves its bullets alive, valid and in use.
  EXPECT_EQ(run("l1 = nil l2 = nil collectgarbage() return b:isValid(), b:isUse()"), "true,true");
  EXPECT_TRUE(log_.empty()) << log_.text();
}

// ---------------------------------------------------------- billboard display

class BillboardDisplays : public bullettest::BulletScript {
 protected:
  BillboardDisplays() : billboard_(nullptr) {}
  rk::gfx::gfx_model_command::BillboardChip* pushChip(const char* name) {
    auto* chip = billboard_.createBillboardChip();
    static const luaL_Reg none[] = {{nullptr, nullptr}};
    rk::script::pushLuaObject(L, chip, rk::script::gph::kBillboardChipClass, none, noCollect);
    lua_setglobal(L, name);
    return chip;
  }
  static int noCollect(lua_State* L) {
    lua_settop(L, 0);
    return 0;
  }
  rk::gfx::gfx_model_command::BillBoard billboard_;
};

TEST_F(BillboardDisplays, AVisibleChipFollowsTheBulletOncePerStep) {
  auto* chip = pushChip("chip");
  chip->position = {7.0f, 7.0f, 7.0f, 1.0f};
  ASSERT_EQ(run("b = createEnemyBulletRigidBodySphere() d = createEnemyBulletDisplayBillboard()"
                "b:setSyncBody(d) b:setPos(1, 2, 3)"),
            "");
  struct Case {
    const char* setup;
    bool visible;
    rk::math::Vector4 expected;
  } cases[] = {
      {"", true, {7, 7, 7, 1}},  // no chip yet
      {"d:setBillBoardChip(chip)", false, {7, 7, 7, 1}},
      {"", true, {1, 2, 3, 0}},
      {"b:setPos(4, 5, 6)", false, {1, 2, 3, 0}},  // hidden: stays where last shown
      {"d:clearBillBoardChip()", true, {1, 2, 3, 0}},
      {"d:setBillBoardChip(chip) b:clearSyncBody()", true, {1, 2, 3, 0}},
      {"b:setSyncBody(d) b:setValid(false)", true, {1, 2, 3, 0}},
      {"b:setValid(true) b:setPos(-1, 0, 9)", true, {-1, 0, 9, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setup);
    ASSERT_EQ(run(c.setup), "");
    chip->visible = c.visible;
    step();
    EXPECT_FLOAT_EQ(chip->position.x, c.expected.x);
    EXPECT_FLOAT_EQ(chip->position.y, c.expected.y);
    EXPECT_FLOAT_EQ(chip->position.z, c.expected.z);
    EXPECT_FLOAT_EQ(chip->position.w, c.expected.w);
  }
  // Something that is not a chip is refused.
  EXPECT_EQ(run("d:setBillBoardChip(b)"), "");
  EXPECT_FALSE(log_.empty());
  EXPECT_EQ(global<EnemyBulletDisplayBillboard>("d")->chip(), chip);
}

TEST_F(BillboardDisplays, ACollectedDisplayLeavesTheBodiesThatCarriedIt) {
  ASSERT_EQ(run("b = createEnemyBulletRigidBodySphere() c = createEnemyBulletRigidBodyOBB()"
                "d = createEnemyBulletDisplayBillboard() b:setSyncBody(d) c:setSyncBody(d)"),
            "");
  auto* display = global<EnemyBulletDisplayBillboard>("d");
  auto* sphere = global<EnemyBulletRigidBodySphere>("b");
  EXPECT_EQ(sphere->getSyncBody(), display);
  // Collected directly (as when the script drops every object in one cycle).
  lua_getglobal(L, "d");
  lua_getmetatable(L, -1);
  lua_getfield(L, -1, "__gc");
  lua_pushvalue(L, -3);
  lua_call(L, 1, 0);
  lua_settop(L, 0);
  EXPECT_EQ(sphere->getSyncBody(), nullptr);
  EXPECT_EQ(global<EnemyBulletRigidBodyOBB>("c")->getSyncBody(), nullptr);
  step();  // nothing calls into the deleted display
  EXPECT_EQ(global<EnemyBulletDisplayBillboard>("d"), nullptr);
}

}  // namespace
