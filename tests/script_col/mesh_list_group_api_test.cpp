// Meshes, rigid-body lists and group registration as scripts drive them.
#include <list>

#include "kernel/rk_hr_exception.h"
#include "script_col_fixture.h"

namespace {

class CollisionObjectsApi : public rktest::ScriptCollisionFixture {};

TEST_F(CollisionObjectsApi, AMeshLoadsInitialisesAndRestsSpheresOnItsTriangles) {
  provideGeo("stage/floor.gea", rktest::floorGeo());
  EXPECT_EQ(run(R"(
    local g = createCollisionGeo()
    check(g:isLoaded() == false and g:isReady() == false, 'fresh')
    -- Not ready: no candidates, the sphere stays where it was.
    same(values(calcOnGeoSphere(g, 0, 0.5, 0, 1)), {0, 0.5, 0}, 0, 'not ready')
    g:load('stage/floor.geo')
    check(g:isLoaded() == true and g:isReady() == false, 'loaded')
    g:init()
    check(g:isReady() == true, 'ready')
    same(values(calcOnGeoSphere(g, 0, 0.5, 0, 1)), {0, 1, 0}, 1e-6, 'pushed up')
    same(values(calcOnGeoSphere(g, 0, -0.5, 0, 1)), {0, -1, 0}, 1e-6, 'pushed down, the side of the centre')
    same(values(calcOnGeoSphere(g, 0, 0, 0, 1)), {0, 1, 0}, 1e-6, 'on the face: out along its normal')
    same(values(calcOnGeoSphere(g, 20, 0.5, 0, 1)), {20, 0.5, 0}, 0, 'off the mesh')
    mesh = g
  )"), "");
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(CollisionObjectsApi, InitBeforeTheDataIsReportedAndAMissingFileFailsHard) {
  EXPECT_EQ(run("g = createCollisionGeo() g:init() check(not g:isReady())"), "");
  EXPECT_EQ(log_.entries("rk::collision::GeoCollision::initialize"), 1u);
  // The file manager's failure crosses Lua as a parked exception.
  EXPECT_THROW(run("g:load('nowhere.geo')"), HrException);
  EXPECT_EQ(run("check(g:isLoaded() == false)"), "");
}

TEST_F(CollisionObjectsApi, AMeshWithABadHeaderFailsHard) {
  auto bytes = rktest::floorGeo();
  bytes[0] = 12;
  provideGeo("bad.gea", bytes);
  EXPECT_EQ(run("g = createCollisionGeo() g:load('bad.geo')"), "");
  EXPECT_THROW(run("g:init()"), HrException);
  EXPECT_EQ(run("check(g:isReady() == false)"), "");
}

template <class Body>
const std::list<Body*>& listAt(lua_State* L, const char* global) {
  lua_getglobal(L, global);
  auto* items = static_cast<std::list<Body*>*>(lua_touserdata(L, -1));
  lua_pop(L, 1);
  return *items;
}

TEST_F(CollisionObjectsApi, BodyListsHoldBodiesByAddress) {
  EXPECT_EQ(run(R"(
    body, other = makeBody('sphere'), makeBody('sphere')
    spheres = createRigidBodySphereList()
    spheres:push(body) spheres:push(other) spheres:push(body)
    spheres:remove(body)
    sphereItems = spheres:getList()
    check(type(sphereItems) == 'userdata', 'a light userdata')
  )"), "");
  const auto& items = listAt<rk::rigidbody::RigidBodySphere>(L_, "sphereItems");
  ASSERT_EQ(items.size(), 2u);  // the first of the two entries went
  EXPECT_NE(items.front(), items.back());

  EXPECT_EQ(run(R"(
    spheres:remove(createCollisionSphere())   -- not a body: nothing is found
    spheres:push(makeBody('box'))             -- a body of another shape is not listed
    boxes = createRigidBodyOBBList()
    boxes:push(makeBody('box'))
    boxes:remove(nil)
    capsules = createRigidBodyCapsuleList()
    capsules:remove(5)
  )"), "");
  EXPECT_EQ(items.size(), 2u);
  EXPECT_EQ(log_.entries("rk::util::List<class rk::rigidbody::RigidBodySphere>::remove"), 1u);
  EXPECT_EQ(log_.entries("rk::util::List<class rk::rigidbody::RigidBodyOBB>::remove"), 1u);
  EXPECT_EQ(log_.entries("rk::util::List<class rk::rigidbody::RigidBodyCapsule>::remove"), 1u);
  EXPECT_NE(log_.text().find("include/util/rk_list_template(58)"), std::string::npos);
  EXPECT_EQ(log_.entries("rk::script::collision::`anonymous-namespace'::lua_RigidBodySphereList"), 1u);

  EXPECT_EQ(run("spheres:clear()"), "");
  EXPECT_TRUE(items.empty());
  // Lists do not own their bodies: collecting a list leaves the bodies alone.
  EXPECT_EQ(run("spheres, boxes, capsules = nil collectgarbage() check(getmetatable(body) ~= nil)"), "");
}

TEST_F(CollisionObjectsApi, GroupsAreRegisteredOnceAndLeaveTheListWhenCollected) {
  auto step = [this] {
    rktest::groupRuns().clear();
    groups_->execGroups();
    return rktest::groupRuns();
  };
  using Runs = std::vector<std::string>;
  EXPECT_EQ(run(R"(
    a, b = makeGroup('a'), makeGroup('b')
    addCollisionGroup(a) addCollisionGroup(b) addCollisionGroup(a)
  )"), "");
  EXPECT_EQ(step(), (Runs{"a", "b"}));
  EXPECT_EQ(run("removeCollisionGroup(a) addCollisionGroup(a)"), "");
  EXPECT_EQ(step(), (Runs{"b", "a"}));
  EXPECT_EQ(run("clearCollisionGroup()"), "");
  EXPECT_EQ(step(), Runs{});
  EXPECT_EQ(run("addCollisionGroup(b) addCollisionGroup(a) b = nil"), "");
  collect();
  EXPECT_EQ(step(), (Runs{"a"}));

  EXPECT_EQ(run("addCollisionGroup(createCollisionSphere()) removeCollisionGroup(nil)"), "");
  EXPECT_EQ(step(), (Runs{"a"}));
  EXPECT_EQ(log_.entries("rk::script::collision::`anonymous-namespace'::addCollisionGroup"), 1u);
  EXPECT_EQ(log_.entries("rk::script::collision::`anonymous-namespace'::removeCollisionGroup"), 1u);

  // Without a manager each call reports its absence.
  rk::collision::CollisionGroupManager::destroyInstance();
  EXPECT_EQ(run("addCollisionGroup(a) clearCollisionGroup() a = nil collectgarbage()"), "");
  EXPECT_EQ(log_.entries("rk::collision::CollisionGroupManager::getInstance"), 2u);
}

}  // namespace
