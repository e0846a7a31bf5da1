// The method families of body objects: initialize, common, sphere, capsule
// and box.
#include "math/rk_quaternion.h"
#include "script_rigidbody_fixture.h"

namespace {

class BodyMethods : public rktest::ScriptRigidBodyFixture {};

TEST_F(BodyMethods, InitializeFamilyResetsAndTakesTheBodyInAndOutOfUse) {
  EXPECT_EQ(run(R"(
    local b = createRigidBodyOBB()
    b:setSize(3, 3, 3) b:setPos(1, 2, 3) b:setValid(true)
    b:finalize()
    check(b:isUse() == false and b:isValid() == false, 'finalized')
    same(values(b:getSize()), {1, 1, 1}, 0, 'size back')
    b:setUse(1)
    check(b:isUse() == true, 'setUse')
    b:setUse()
    check(b:isUse() == false, 'setUse with nothing')
    check(b:initialize() == true, 'initialize answers true')
    check(b:isUse() == true, 'in use again')
    same(values(b:getPos()), {0, 0, 0}, 0, 'reset')
  )"),
            "");
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(BodyMethods, StateSettersAndGetters) {
  const rk::math::Vector4 q = rk::math::quaternionFromYawPitchRoll(0.3f, -0.2f, 1.1f);
  lua_pushnumber(L_, q.x), lua_setglobal(L_, "qx");
  lua_pushnumber(L_, q.y), lua_setglobal(L_, "qy");
  lua_pushnumber(L_, q.z), lua_setglobal(L_, "qz");
  lua_pushnumber(L_, q.w), lua_setglobal(L_, "qw");
  EXPECT_EQ(run(R"(
    local b = createRigidBodySphere()
    b:setPos(1, '2', 3)             same(values(b:getPos()), {1, 2, 3}, 0, 'pos')
    b:setGravity(0, -1, 0)          same(values(b:getGravity()), {0, -1, 0}, 0, 'gravity')
    b:setVelocity(4, 5, 6)          same(values(b:getVelocity()), {4, 5, 6}, 0, 'velocity')
    b:setOmega(7, 8)                same(values(b:getOmega()), {7, 8, 0}, 0, 'omega, z missing')
    b:setQuat(0, 0, 0, 2)           same(values(b:getQuat()), {0, 0, 0, 1}, 0, 'normalised')
    b:setYawPitchRoll(0.3, -0.2, 1.1)
    same(values(b:getQuat()), {qx, qy, qz, qw}, 1e-6, 'from angles')
    b:setValid(0)                   check(b:isValid() == true, '0 is true')
    b:setValid(nil)                 check(b:isValid() == false, 'nil is false')
  )"),
            "");
}

TEST_F(BodyMethods, MassAndVelocityReachTheStep) {
  EXPECT_EQ(run(R"(
    local light, heavy = createRigidBodySphere(), createRigidBodySphere()
    for _, b in ipairs({light, heavy}) do b:setValid(true) b:setGravity(0, 0, 0) b:setVelocity(1, 0, 0) end
    heavy:setMass(100)
    setPhysicalCalcCount(1)
    frames(60)
    local lx = light:getVelocity()
    local hx = heavy:getVelocity()
    check(lx < hx and hx < 1, 'damping slows the light body more: ' .. lx .. ' ' .. hx)
  )"),
            "");
}

TEST_F(BodyMethods, PositionsOfChildrenAreRelativeAndLoopsAreRefused) {
  EXPECT_EQ(run(R"(
    local parent, child = createRigidBodySphere(), createRigidBodySphere()
    parent:setPos(0, 10, 0)
    child:setParent(parent)
    child:setPos(1, 0, 0)
    same(values(child:getPos()), {1, 0, 0}, 0, 'relative')
    child:syncForced()
    same(values(child:getColPos()), {1, 10, 0}, 0, 'the shape is in the world')
    parent:setParent(child)         -- a loop: reported, refused
    parent:setParent(5)             -- not a body: reported
    child:setParent(nil)
    child:syncForced()
    same(values(child:getColPos()), {1, 0, 0}, 0, 'unparented')
  )"),
            "");
  EXPECT_EQ(log_.entries("rk::rigidbody::lua_rigid_body::lua_Common_setParent"), 2u);
}

TEST_F(BodyMethods, LinksAreSetClearedAndFedByTheFlush) {
  EXPECT_EQ(run(R"(
    local b = createRigidBodySphere()
    local model, hooks = makeModel(), makeHooks('h')
    b:setModel(model)
    b:setSyncBody(hooks)
    for _, set in ipairs({'setSyncSimStart', 'setSyncSimInit', 'setSyncSimConst', 'setSyncSimExec',
                          'setSyncSimExeced', 'setSyncSimFlush'}) do b[set](b, hooks) end
    b:setPos(0, 3, 0)
    check(select(1, model:placed()) == 0, 'nothing pushed before a flush')
    setPhysicalCalcCount(1)
    b:setValid(true)
    frames(1)
    check(trace() == 'start:h init:h const:h exec:h execed:h sync:h flush:h ', 'every hook once')
    local placed, y = model:placed()
    check(placed == 1 and y < 3, 'the model follows')

    b:setSyncSimExec(nil)             -- cleared
    b:setSyncSimInit()                -- no argument: reported, kept
    b:setSyncSimStart(createCollisionSphere())  -- not a hook: reported, kept
    b:clearSyncBody()
    b:clearSyncModel()
    frames(1)
    check(trace() == 'start:h init:h const:h execed:h flush:h ', 'after the changes: ' .. trace())
    check(select(1, model:placed()) == 1, 'model unlinked')

    b:setModel(model)
    b:setModel(nil)                   -- not a model: reported, kept
    b:finalize()
    check(select(3, model:placed()) == 1, 'finalize hides the model')
  )"),
            "");
  EXPECT_EQ(log_.entries("rk::rigidbody::lua_rigid_body::lua_Common_setSyncSimInit"), 1u);
  EXPECT_EQ(log_.entries("rk::rigidbody::lua_rigid_body::lua_Common_setSyncSimStart"), 1u);
  EXPECT_EQ(log_.entries("rk::rigidbody::lua_rigid_body::lua_Common_setModel"), 1u);
}

TEST_F(BodyMethods, TheCollisionLinkAndThePlaneTestFollowThePlacedShape) {
  EXPECT_EQ(run(R"(
    local b = createRigidBodySphere()
    b:setPos(0, 0.5, 0)
    check(b:checkPlane(0, 1, 0, 0) == true, 'the shape still sits at the origin')
    b:setPos(0, 2, 0)
    check(b:checkPlane(0, 1, 0, 0) == true, 'setPos alone does not move the shape')
    b:syncForced()
    check(b:checkPlane(0, 1, 0, 0) == false, 'placed at height 2')
    check(b:isValid() == false, 'syncForced keeps the flag')
    b:setPos(0, 0.5, 0) b:syncForced()
    check(b:checkPlane(0, 1, 0, 'x') == true, 'a bad coefficient reads as 0')

    -- A free shape linked to the body follows it.
    local s = createCollisionSphere()
    b:setCollision(s)
    b:setPos(4, 5, 6) b:syncForced()
    same(values(s:getPos()), {4, 5, 6}, 0, 'linked shape')
    b:setCollision(nil)
    b:setPos(0, 0, 0) b:syncForced()
    same(values(s:getPos()), {4, 5, 6}, 0, 'unlinked shape')
    b:setCollision(makeHooks('x'))     -- not a shape: reported
    linked = s
  )"),
            "");
  EXPECT_EQ(log_.entries("rk::rigidbody::lua_rigid_body::lua_Common_setCollision"), 1u);
}

TEST_F(BodyMethods, ShapeFamilies) {
  EXPECT_EQ(run(R"(
    local s = createRigidBodySphere()
    s:setRadius('2')                  check(s:getRadius() == 2, 'sphere radius')
    s:setPos(1, 1, 1) s:syncForced()  same(values(s:getColPos()), {1, 1, 1}, 0, 'sphere centre')
    s:setupTensor()

    local c = createRigidBodyCapsule()
    check(c:getRadius() == 1 and c:getHeight() == 1, 'capsule defaults')
    c:setRadius(0.5) c:setHeight(3)
    check(c:getRadius() == 0.5 and c:getHeight() == 3, 'capsule sizes')
    c:setAxis(0, 2, 0)                same(values(c:getAxis()), {0, 1, 0}, 0, 'normalised axis')
    c:setAxis(0, 0, 0)                same(values(c:getAxis()), {0, 0, 0}, 0, 'zero axis')
    c:setBaseAxis(2, 0, 0)
    c:syncForced()                    same(values(c:getAxis()), {2, 0, 0}, 0, 'the base axis turned by the pose')
    check(c:getCollisionKind() == 2, 'capsule kind')
    c:setupTensor()

    local b = createRigidBodyOBB()
    b:setSize(1, 2, 3)                same(values(b:getSize()), {1, 2, 3}, 0, 'box size')
    b:setPos(0, 1, 0) b:syncForced()  same(values(b:getColPos()), {0, 1, 0}, 0, 'box centre')
    b:setupTensor()

    -- A family method on a body of another shape is reported and does nothing.
    check(s.getSize == nil and b.getRadius == nil, 'families are per shape')
    c.getRadius(b)
  )"),
            "");
  EXPECT_EQ(log_.entries("rk::rigidbody::lua_rigid_body::lua_Shape_getRadius"), 1u);
}

}  // namespace
