// The rigid-body globals: the physics step's substep count and pause, the
// body creators, the inert diagnostics and the shape-against-plane test.
#include "script_rigidbody_fixture.h"

namespace {

class RigidBodyGlobals : public rktest::ScriptRigidBodyFixture {};

TEST_F(RigidBodyGlobals, SubstepCountConvertsToAnUnsignedCount) {
  EXPECT_EQ(run(R"(
    check(getPhysicalCalcCount() == 32, 'default')
    local cases = {{2.9, 2}, {'5', 5}, {nil, 0}, {-3, 0}, {0/0, 0}, {-1/0, 0}, {1024, 1024}, {true, 0}}
    for i, c in ipairs(cases) do
      setPhysicalCalcCount(c[1])
      check(getPhysicalCalcCount() == c[2], 'case ' .. i .. ': ' .. tostring(getPhysicalCalcCount()))
    end
    check(select('#', dumpRigidBody(1, 2)) == 0 and select('#', displayRigidBodyCountTTY()) == 0, 'inert')
  )"),
            "");
  EXPECT_TRUE(log_.empty()) << log_.text();
}

// Four billion substeps would stall the frame for good: a count past the
// most the step runs is held there, with one error-log entry per call.
TEST_F(RigidBodyGlobals, AHugeSubstepCountIsHeldAtTheMostTheStepRuns) {
  EXPECT_EQ(run(R"(
    local body = createRigidBodySphere()
    body:setValid(true)
    for i, n in ipairs({1025, 1e12, 1/0, 4294967295}) do
      setPhysicalCalcCount(n)
      check(getPhysicalCalcCount() == 1024, 'case ' .. i .. ': ' .. tostring(getPhysicalCalcCount()))
    end
    frames(1)
    local _, y = body:getPos()
    check(y < 0, 'the step ran')
  )"),
            "");
  EXPECT_EQ(log_.entries("rk::rigidbody::RigidBodyManager::setCalcCount"), 4u) << log_.text();
}

TEST_F(RigidBodyGlobals, ThePauseStopsOnlyThePhysicsStep) {
  EXPECT_EQ(run(R"(
    body = createRigidBodySphere()
    body:setValid(true)
    setPhysicalPause(0)          -- 0 is true
    frames(3)
    same(values(body:getPos()), {0, 0, 0}, 0, 'paused')
    setPhysicalPause(nil)
    frames(1)
    local _, y = body:getPos()
    check(y < 0, 'falls again')
    setPhysicalCalcCount()       -- no substeps: bodies stay
    frames(1)
    same(values(body:getPos()), {0, y, 0}, 0, 'no substeps')
  )"),
            "");
  EXPECT_FALSE(physics_->isPause());
}

TEST_F(RigidBodyGlobals, CreatorsMakeInitializedBodiesOwnedByTheirObjects) {
  EXPECT_EQ(run(R"(
    local kinds = {{createRigidBodySphere, 1}, {createRigidBodyCapsule, 2}, {createRigidBodyOBB, 3}}
    for _, k in ipairs(kinds) do
      local b = k[1]()
      check(type(b) == 'userdata', 'an object')
      check(b:isUse() == true and b:isValid() == false, 'in use, not valid')
      check(b:getCollisionKind() == k[2], 'kind')
      same(values(b:getGravity()), {0, -9.8, 0}, 1e-6, 'gravity')
    end
  )"),
            "");
  EXPECT_EQ(physics_->bodies().size(), 3u);
  collect();
  EXPECT_TRUE(physics_->bodies().empty());  // each object held the only reference
}

TEST_F(RigidBodyGlobals, PlaneChecksTakeCollisionShapesOnly) {
  EXPECT_EQ(run(R"(
    local s = createCollisionSphere()
    s:setPos(0, 0.5, 0)
    check(checkSpherePlane(s, 0, 1, 0, 0) == true, 'below')
    s:setPos(0, 2, 0)
    check(checkSpherePlane(s, 0, 1, 0, 0) == false, 'above')
    local c = createCollisionCapsule()
    check(checkCapsulePlane(c, 0, 1, 0, 0) == true, 'capsule')
    local box = createCollisionOBB()
    box:setPos(0, 5, 0)
    check(checkOBBPlane(box, 0, 1, 0, 'x') == false, 'a bad coefficient reads as 0')
    check(checkSpherePlane(createRigidBodySphere(), 0, 1, 0, 0) == false, 'a body is no shape')
  )"),
            "");
  EXPECT_EQ(log_.entries("rk::script::rigidbody::`anonymous-namespace'::checkSpherePlane"), 1u);
}

TEST_F(RigidBodyGlobals, WithoutThePhysicsStepTheGlobalsReportIt) {
  rk::rigidbody::RigidBodyManager::destroyInstance();
  EXPECT_EQ(run(R"(
    setPhysicalCalcCount(3)
    check(getPhysicalCalcCount() == nil, 'nothing to read')
    setPhysicalPause(true)
    displayRigidBodyCountTTY()
  )"),
            "");
  EXPECT_EQ(log_.entries("rk::rigidbody::RigidBodyManager::getInstance"), 4u);
}

}  // namespace
