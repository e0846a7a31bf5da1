// Rigid-body collision group objects: their parameters and add methods, a
// scene built and run from Lua, and objects collected while still in use.
#include "script_rigidbody_fixture.h"
#include "rigidbody/rk_rigidbody_shapes.h"
#include "util/rk_list_template.h"

namespace {

class GroupApi : public rktest::ScriptRigidBodyFixture {};

TEST_F(GroupApi, ParametersStartAtTheirDefaultsAndReadBackAsFloats) {
  EXPECT_EQ(run(R"(
    local g = createCollisionRigidBodyOBBGeo()
    check(g:getSpring() == 5000 and g:getDamper() == 50 and g:getFlicMax() == 40000, 'defaults')
    check(g:getFlic() ~= 0.7 and near(g:getFlic(), 0.699999988, 1e-9), 'a float')
    g:setSpring(1) g:setDamper('2') g:setFlic(0.5) g:setFlicMax()
    same({g:getSpring(), g:getDamper(), g:getFlic(), g:getFlicMax()}, {1, 2, 0.5, 0}, 0, 'set')
  )"),
            "");
}

TEST_F(GroupApi, EachCreatorMakesAGroupWithItsOwnAddMethods) {
  EXPECT_EQ(run(R"(
    local S, C, B = createRigidBodySphere, createRigidBodyCapsule, createRigidBodyOBB
    local P, G = createCollisionPlane, createCollisionGeo
    local kinds = {
      {createCollisionRigidBodySphereSphere, 'addGroupA', 'addGroupB', S, S},
      {createCollisionRigidBodySphereCapsule, 'addSphere', 'addCapsule', S, C},
      {createCollisionRigidBodySphereOBB, 'addSphere', 'addOBB', S, B},
      {createCollisionRigidBodySpherePlane, 'addSphere', 'addPlane', S, P},
      {createCollisionRigidBodySphereGeo, 'addSphere', 'addGeo', S, G},
      {createCollisionRigidBodyCapsuleCapsule, 'addGroupA', 'addGroupB', C, C},
      {createCollisionRigidBodyCapsuleOBB, 'addCapsule', 'addOBB', C, B},
      {createCollisionRigidBodyCapsulePlane, 'addCapsule', 'addPlane', C, P},
      {createCollisionRigidBodyCapsuleGeo, 'addCapsule', 'addGeo', C, G},
      {createCollisionRigidBodyOBBOBB, 'addGroupA', 'addGroupB', B, B},
      {createCollisionRigidBodyOBBPlane, 'addOBB', 'addPlane', B, P},
      {createCollisionRigidBodyOBBGeo, 'addOBB', 'addGeo', B, G},
    }
    keep = {}
    for i, k in ipairs(kinds) do
      local g = k[1]()
      check(g[k[2]] and g[k[3]] and g.getSpring and g.setFlicMax, 'methods of kind ' .. i)
      check((g.isGroupAEqGroupB ~= nil) == (i == 1), 'only sphere-sphere has the alias test')
      local a, b = k[4](), k[5]()
      g[k[2]](g, a)
      g[k[3]](g, b)
      g[k[2]](g, createCollisionSphere())   -- a shape is never a body: reported
      keep[i] = {g, a, b}
    end
  )"),
            "");
  // One report per group, for the shape; the members went in silently.
  EXPECT_EQ(rktest::countOf(log_.text(), ")\nrk::rigidbody::CollisionGroupRigidBody"), 12u) << log_.text();
}

TEST_F(GroupApi, TheAliasFlagJoinsListBToListA) {
  EXPECT_EQ(run(R"(
    check(createCollisionRigidBodySphereSphere(true):isGroupAEqGroupB() == true, 'true')
    check(createCollisionRigidBodySphereSphere():isGroupAEqGroupB() == false, 'none')
    check(createCollisionRigidBodySphereSphere(0):isGroupAEqGroupB() == true, '0')

    spheres = createCollisionRigidBodySphereSphere(true)
    capsules = createCollisionRigidBodyCapsuleCapsule(true)
    addCollisionGroup(spheres) addCollisionGroup(capsules)
    s1, s2, s3 = createRigidBodySphere(), createRigidBodySphere(), createRigidBodySphere()
    c1, c2 = createRigidBodyCapsule(), createRigidBodyCapsule()
    for i, b in ipairs({s1, s2, s3, c1, c2}) do b:setValid(true) b:setGravity(0, 0, 0) end
    s2:setPos(0, 1, 0) s3:setPos(0, -1, 0)
    c2:setPos(1, 0, 0)
    spheres:addGroupA(s1) spheres:addGroupA(s2)
    spheres:addGroupB(s3)                      -- reported; s3 meets nothing
    capsules:addGroupA(c1) capsules:addGroupB(c2)
    frames(1)
    check(select(2, s2:getVelocity()) > 0, 's2 pushed off s1')
    same(values(s3:getVelocity()), {0, 0, 0}, 0, 's3 untouched')
    check(c2:getVelocity() > 0, 'c2 pushed off c1')
  )"),
            "");
  EXPECT_EQ(log_.entries("rk::rigidbody::CollisionGroupRigidBodySphereSphere::addGroupB"), 1u);
}

TEST_F(GroupApi, ABallDroppedOnAPlaneComesToRest) {
  EXPECT_EQ(run(R"(
    ground = createCollisionPlane()
    group = createCollisionRigidBodySpherePlane()
    ball = createRigidBodySphere()
    ball:setPos(0, 2, 0)
    ball:setValid(true)
    group:addSphere(ball)
    group:addPlane(ground)
    frames(30)
    same(values(ball:getPos()), {0, 2 - 0.5 * 9.8 * 0.25, 0}, 0.05, 'still falling freely')
    addCollisionGroup(group)
    frames(180)
    same(values(ball:getPos()), {0, 1 - 9.8 / 5000, 0}, 1e-3, 'resting')
  )"),
            "");
}

// A group keeps the objects it lists reachable; once both are garbage the
// collector may free them in either order, and nothing dangles.
TEST_F(GroupApi, ListedObjectsLiveAsLongAsTheirGroupAndGoWithItInAnyOrder) {
  EXPECT_EQ(run(R"(
    group = createCollisionRigidBodySpherePlane()
    addCollisionGroup(group)
    group:addPlane(createCollisionPlane())      -- held by the group alone
    local ball = createRigidBodySphere()
    ball:setPos(0, 1.5, 0)
    ball:setValid(true)
    group:addSphere(ball)
    carrier = createRigidBodyCapsule()
    carrier:setValid(true)
    carrier:setCollision(createCollisionSphere())  -- held by the carrier alone, moved every substep
    carrier:setCollision(ball)                     -- not a shape: reported, the link stays
  )"),
            "");
  collect();
  EXPECT_EQ(physics_->bodies().size(), 2u);
  EXPECT_EQ(run("frames(120) carrier = nil"), "");
  ASSERT_EQ(physics_->bodies().size(), 2u);
  EXPECT_NEAR(physics_->bodies()[0]->getPosition().y, 1.0f - 9.8f / 5000, 1e-3f);

  for (const char* order : {"body first", "group first"}) {
    const bool bodyFirst = order[0] == 'b';
    EXPECT_EQ(run(std::string("bodyFirst = ") + (bodyFirst ? "true" : "false") + R"(
      group = nil
      local b = bodyFirst and createRigidBodySphere()
      local g = createCollisionRigidBodySphereSphere(true)
      b = b or createRigidBodySphere()
      b:setValid(true)
      g:addGroupA(b)
      g:addGroupA(createRigidBodySphere())
      addCollisionGroup(g)
    )"),
              "")
        << order;
    collect();  // the group, its bodies and the old scene go together
    EXPECT_TRUE(groups_->getGroups().empty()) << order;
    EXPECT_TRUE(physics_->bodies().empty()) << order;
    EXPECT_EQ(run("frames(2)"), "") << order;
  }
  EXPECT_EQ(log_.entries("rk::rigidbody::lua_rigid_body::lua_Common_setCollision"), 1u);
}

}  // namespace

namespace {

class BodyListApi : public rktest::ScriptRigidBodyFixture {};

// Body lists take no reference on their bodies: a body collected while listed
// leaves the list instead of staying behind as a dangling pointer.
TEST_F(BodyListApi, ABodyCollectedWhileListedLeavesTheList) {
  EXPECT_EQ(run(R"(
    list = createRigidBodySphereList()
    kept = createRigidBodySphere()
    list:push(kept)
    list:push(createRigidBodySphere())
    list:push(kept)
  )"),
            "");
  collect();
  lua_getglobal(L_, "list");
  rk::script::LuaObjectBlock* block = rk::script::luaObjectBlock(L_, -1);
  ASSERT_NE(block, nullptr);
  auto* list = static_cast<rk::util::List<rk::rigidbody::RigidBodySphere>*>(block->object);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->items().size(), 2u);
  lua_pop(L_, 1);
  EXPECT_EQ(run("kept = nil"), "");
  collect();
  EXPECT_TRUE(list->items().empty());
  EXPECT_EQ(run("list:clear() list = nil"), "");
  collect();
}

}  // namespace
