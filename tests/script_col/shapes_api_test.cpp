// The collision globals as scripts see them: registration, shape objects and
// their methods, and the one-off tests on shapes and planes.
#include "script_col_fixture.h"

namespace {

class CollisionShapesApi : public rktest::ScriptCollisionFixture {};

TEST_F(CollisionShapesApi, AllSixteenGlobalsAreRegistered) {
  EXPECT_EQ(rk::script::collisionFunctionTable().count, 16);
  EXPECT_EQ(run(R"(
    local names = {'checkSphereSphere', 'checkPlaneSphereDirect', 'createCollisionPlane', 'createCollisionGeo',
      'addCollisionGroup', 'clearCollisionGroup', 'removeCollisionGroup', 'createCollisionSphere',
      'createCollisionCapsule', 'createCollisionOBB', 'calcOnGeoSphere', 'createRigidBodySphereList',
      'createRigidBodyCapsuleList', 'createRigidBodyOBBList', 'calcClosetCapsulePlane', 'getCollisionUserKind'}
    for _, name in ipairs(names) do check(type(_G[name]) == 'function', name) end
    same(values(getCollisionUserKind(1, 2)), {6}, 0, 'user kind')
  )"), "");
}

TEST_F(CollisionShapesApi, ShapesStartFromTheirDefaultsAndFollowTheirSetters) {
  EXPECT_EQ(run(R"(
    local s = createCollisionSphere(5, 'ignored')
    same(values(s:getRadius()), {1}, 0, 'sphere radius')
    same(values(s:getPos()), {0, 0, 0}, 0, 'sphere centre')
    s:setPos(1, '2', 3) s:setRadius(0.5)
    same(values(s:getPos()), {1, 2, 3}, 0, 'moved')
    same(values(s:getRadius()), {0.5}, 0, 'radius')
    same(values(s:setVisibleDebug(true)), {}, 0, 'debug drawing')

    local c = createCollisionCapsule()
    same(values(c:getRadius(), c:getHeight(), c:getAxis()), {1, 1, 0, 1, 0}, 0, 'capsule defaults')
    c:setAxis(3, 0, 4) c:setHeight(2) c:setRadius(0.25)
    same(values(c:getAxis()), {0.6, 0, 0.8}, 1e-6, 'axis normalised')
    same(values(c:getHeight(), c:getRadius()), {2, 0.25}, 0, 'capsule sizes')
    c:setAxis(0, 0, 0)
    same(values(c:getAxis()), {0, 0, 0}, 0, 'zero axis stays zero')

    local b = createCollisionOBB()
    b:setSize(1, 2, 3) b:setPos(4, 5, 6)
    same(values(b:getPos()), {4, 5, 6}, 0, 'box centre')

    -- A plane has no position.
    local p = createCollisionPlane()
    p:setPos(1, 2, 3)
    same(values(p:getPos()), {0, 0, 0}, 0, 'plane')
  )"), "");
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(CollisionShapesApi, MethodsGivenAnotherKindOfObjectReportAndDoNothing) {
  EXPECT_EQ(run(R"(
    local s, c = createCollisionSphere(), createCollisionCapsule()
    same(values(s.getRadius(c)), {}, 0, 'capsule as sphere')
    s.setRadius(createCollisionOBB(), 3)
    same(values(s.getPos(nil)), {}, 0, 'nil')
    -- The shared methods accept any shape.
    s.setPos(c, 1, 2, 3)
    same(values(c:getPos()), {1, 2, 3}, 0, 'shared setPos')
  )"), "");
  EXPECT_EQ(log_.entries("rk::script::collision::`anonymous-namespace'::lua_CollisionSphere_getRadius"), 1u);
  EXPECT_EQ(log_.entries("rk::script::collision::`anonymous-namespace'::lua_CollisionSphere_setRadius"), 1u);
  EXPECT_EQ(log_.entries("rk::script::collision::`anonymous-namespace'::lua_CollisionBody_getPos"), 1u);
}

TEST_F(CollisionShapesApi, CheckSphereSphereWritesItsVectorsOnlyOnAHit) {
  EXPECT_EQ(run(R"(
    local n, a, b = createVEC3(), createVEC3(), createVEC3()
    local s1, s2 = createCollisionSphere(), createCollisionSphere()
    s2:setPos(1.5, 0, 0)
    check(checkSphereSphere(n, a, b, s1, s2) == true, 'hit')
    same(values(n:getPos()), {-1, 0, 0}, 1e-6, 'normal from B to A')
    same(values(a:getPos()), {1, 0, 0}, 1e-6, 'point on A')
    same(values(b:getPos()), {0.5, 0, 0}, 1e-6, 'point on B')
    s2:setPos(2, 0, 0)
    n:setPos(9, 9, 9)
    check(checkSphereSphere(n, a, b, s1, s2) == false, 'touching is no hit')
    same(values(n:getPos()), {9, 9, 9}, 0, 'kept')
    check(checkSphereSphere(n, a, b, s1, createCollisionCapsule()) == false, 'not a sphere')
  )"), "");
  EXPECT_EQ(log_.entries("rk::script::collision::`anonymous-namespace'::checkSphereSphere"), 1u);
}

TEST_F(CollisionShapesApi, PlanesAgainstSpheresAndCapsules) {
  EXPECT_EQ(run(R"(
    local p = createCollisionPlane()
    local normal, contacts = checkPlaneSphereDirect(p, 0, 0.5, 0, 1)
    same({normal.x_, normal.y_, normal.z_}, {0, 1, 0}, 0, 'normal')
    check(#contacts == 1, 'one contact')
    same({contacts[1].ans1_.x_, contacts[1].ans1_.y_, contacts[1].ans1_.z_}, {0, -0.5, 0}, 1e-6, 'point')
    same({contacts[1].ans2_.x_, contacts[1].ans2_.y_, contacts[1].ans2_.z_}, {0, 0, 0}, 1e-6, 'projection')
    normal, contacts = checkPlaneSphereDirect(p, 0, 2, 0, 1)
    check(#contacts == 0 and normal.y_ == 1, 'above')

    -- Stored as given; the test scales d with the normal: the plane y = 0.5.
    p:setPlane(0, 2, 0, -1)
    normal, contacts = checkPlaneSphereDirect(p, 0, 0.5, 0, 1)
    same({normal.y_, contacts[1].ans2_.y_}, {1, 0.5}, 1e-6, 'unnormalised plane')

    local point, up = createVEC3(), createVEC3()
    point:setPos(0, 2, 0) up:setPos(0, 3, 0)
    p:calcFromPointNormal(point, up)
    normal, contacts = checkPlaneSphereDirect(p, 0, 2.5, 0, 1)
    same({#contacts, contacts[1].ans2_.y_}, {1, 2}, 1e-6, 'plane through a point')
    p:calcFromPointNormalDirect(0, 0, 0, -1, 0, 0)
    normal, contacts = checkPlaneSphereDirect(p, 0.5, 0, 0, 1)
    same({normal.x_, #contacts, contacts[1].ans1_.x_}, {-1, 1, 1.5}, 1e-6, 'facing -x')

    same(values(calcClosetCapsulePlane(0.5, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0)), {1}, 0, 'lower end only')
    same(values(calcClosetCapsulePlane(0.5, 1, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0)), {2}, 0, 'both ends')
    same(values(calcClosetCapsulePlane(0.5, 1, 0, 5, 0, 0, 3, 0, 0, 1, 0, 0)), {0}, 0, 'above')
  )"), "");
  EXPECT_TRUE(log_.empty()) << log_.text();
}

}  // namespace
