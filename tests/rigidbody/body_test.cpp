// The rigid body's life cycle: defaults, initialize and finalize, the links
// it drives at a flush, parents, and its registration with the physics step.
#include <gtest/gtest.h>

#include "col/rk_collision_sphere.h"
#include "physics_fixture.h"

namespace {

using rk::math::Matrix;
using rk::math::Vector4;
using rk::rigidbody::RigidBody;
using rk::rigidbody::RigidBodyManager;

using rk::rigidbody::ModelDriver;
using rktest::nearMatrix;
using rktest::nearVector;
using rktest::RecordingHooks;
using rktest::Trace;
using rktest::v3;

class Body : public rktest::PhysicsFixture {};

// Stand-in models are plain addresses: the body only passes them on.
rk::gfx::GModel* fakeModel(int& storage) { return reinterpret_cast<rk::gfx::GModel*>(&storage); }

struct ModelCalls {
  static inline std::vector<std::pair<rk::gfx::GModel*, Matrix>> placed;
  static inline std::vector<rk::gfx::GModel*> hidden;
  static void install() {
    placed.clear();
    hidden.clear();
    ModelDriver driver;
    driver.setMatrix = [](rk::gfx::GModel* m, const Matrix& w) { placed.emplace_back(m, w); };
    driver.hide = [](rk::gfx::GModel* m) { hidden.push_back(m); };
    rk::rigidbody::setModelDriver(driver);
  }
  static void remove() { rk::rigidbody::setModelDriver({}); }
};

TEST_F(Body, StartsOutOfUseAndInvalidAndInitializeOnlyPutsItInUse) {
  auto* body = new RigidBody;
  EXPECT_FALSE(body->isValid());
  EXPECT_FALSE(body->isUse());
  EXPECT_EQ(body->getMass(), 1.0f);
  EXPECT_TRUE(nearVector(body->getGravity(), v3(0, -9.8f, 0), 0));
  EXPECT_EQ(body->getLinearDamping(), 0.2f);
  EXPECT_EQ(body->getAngularDamping(), 0.7f);
  EXPECT_TRUE(nearVector(body->getQuat(), Vector4{0, 0, 0, 1}, 0));
  EXPECT_TRUE(nearMatrix(body->getWorldMatrix(), rk::math::matrixIdentity(), 0));
  EXPECT_EQ(physics_->bodies(), std::vector<RigidBody*>{body});

  // initialize resets whatever was changed and leaves the body invalid.
  body->setMass(3);
  body->setValid(true);
  body->setPosition(v3(1, 2, 3));
  body->setGravity(v3(0, 0, 0));
  body->setOmega(v3(1, 1, 1));
  body->setQuat({0, 1, 0, 0});
  EXPECT_EQ(body->initialize(), 0);
  EXPECT_FALSE(body->isValid());
  EXPECT_TRUE(body->isUse());
  EXPECT_EQ(body->getMass(), 1.0f);
  EXPECT_TRUE(nearVector(body->getPosition(), v3(0, 0, 0), 0));
  EXPECT_TRUE(nearVector(body->getGravity(), v3(0, -9.8f, 0), 0));
  EXPECT_TRUE(nearVector(body->getOmega(), v3(0, 0, 0), 0));
  EXPECT_TRUE(nearMatrix(body->getWorldMatrix(), rk::math::matrixIdentity(), 0));
  delete body;
  EXPECT_TRUE(physics_->bodies().empty());
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(Body, FinalizeHidesTheModelAndClearsEveryLink) {
  ModelCalls::install();
  Trace trace;
  RecordingHooks hooks(&trace, "a");
  rk::collision::Sphere shape;
  int modelStorage = 0;
  RigidBody* parent = make<RigidBody>();
  RigidBody* body = make<RigidBody>();
  hooks.attach(*body);
  body->setModel(fakeModel(modelStorage));
  body->setCollisionBody(&shape);
  ASSERT_TRUE(body->setParent(parent));

  body->finalize();
  EXPECT_FALSE(body->isValid());
  EXPECT_FALSE(body->isUse());
  EXPECT_EQ(ModelCalls::hidden, std::vector<rk::gfx::GModel*>{fakeModel(modelStorage)});
  EXPECT_EQ(body->getModel(), nullptr);
  EXPECT_EQ(body->getCollisionBody(), nullptr);
  EXPECT_EQ(body->getSyncBody(), nullptr);
  EXPECT_EQ(body->getParent(), nullptr);
  EXPECT_EQ(body->getSyncSimStart(), nullptr);
  EXPECT_EQ(body->getSyncSimInit(), nullptr);
  EXPECT_EQ(body->getSyncSimConst(), nullptr);
  EXPECT_EQ(body->getSyncSimExec(), nullptr);
  EXPECT_EQ(body->getSyncSimExeced(), nullptr);
  EXPECT_EQ(body->getSyncSimFlush(), nullptr);
  body->finalize();  // nothing linked any more: no second hide
  EXPECT_EQ(ModelCalls::hidden.size(), 1u);
  EXPECT_TRUE(trace.empty());
  ModelCalls::remove();
}

TEST_F(Body, FlushHandsTheWorldMatrixToModelShapeSyncBodyAndHookOnlyWhileValid) {
  ModelCalls::install();
  Trace trace;
  RecordingHooks hooks(&trace, "a");
  rk::collision::Sphere shape;
  int modelStorage = 0;
  RigidBody* body = make<RigidBody>(false);
  hooks.attach(*body);
  body->setModel(fakeModel(modelStorage));
  body->setCollisionBody(&shape);
  body->setPosition(v3(1, 2, 3));
  body->updateWorldMatrix();

  body->flushSync();
  EXPECT_TRUE(trace.empty());
  EXPECT_TRUE(ModelCalls::placed.empty());
  EXPECT_TRUE(nearVector(rk::collision::centerOf(shape), v3(0, 0, 0), 0));

  body->setValid(true);
  body->flushSync();
  EXPECT_EQ(trace, (Trace{"sync:a", "flush:a"}));
  ASSERT_EQ(ModelCalls::placed.size(), 1u);
  EXPECT_TRUE(nearMatrix(ModelCalls::placed[0].second, body->getWorldMatrix(), 0));
  EXPECT_TRUE(nearMatrix(hooks.last_world, body->getWorldMatrix(), 0));
  EXPECT_TRUE(nearVector(rk::collision::centerOf(shape), v3(1, 2, 3), 0));
  ModelCalls::remove();
}

TEST_F(Body, AParentLoopIsRefusedAndADestroyedParentLeavesItsChildren) {
  RigidBody* a = make<RigidBody>();
  RigidBody* b = make<RigidBody>();
  RigidBody* c = make<RigidBody>();
  EXPECT_FALSE(a->setParent(a));
  ASSERT_TRUE(b->setParent(a));
  ASSERT_TRUE(c->setParent(b));
  EXPECT_FALSE(a->setParent(c));  // c → b → a → c would never end
  EXPECT_EQ(a->getParent(), nullptr);

  a->setPosition(v3(0, 5, 0));
  a->updateWorldMatrix();
  b->updateWorldMatrix();
  EXPECT_EQ(b->getWorldMatrix().m[3][1], 5.0f);  // the child moves in the parent's frame

  drop(a);
  EXPECT_EQ(b->getParent(), nullptr);
  EXPECT_EQ(c->getParent(), b);
  physics_->update(1.0f / 60);  // nothing reaches the freed parent
  EXPECT_TRUE(log_.empty()) << log_.text();
}

// A hook that runs code inside the step's first body loop.
struct OnStart : rk::rigidbody::ISyncSimStart {
  std::function<void()> run;
  void syncSimStart(RigidBody*) override { run(); }
};

TEST_F(Body, BodiesMadeOrDestroyedDuringABodyLoopAreReportedAndTheLoopStaysSafe) {
  Trace trace;
  RigidBody* first = make<RigidBody>();
  RigidBody* second = make<RigidBody>();
  RecordingHooks secondHooks(&trace, "second");
  secondHooks.attach(*second);
  RigidBody* made = nullptr;
  OnStart onStart;
  onStart.run = [&] {
    if (made) return;
    drop(second);  // later in the same loop: must be skipped, not visited
    made = make<RigidBody>();
  };
  first->setSyncSimStart(&onStart);
  physics_->setCalcCount(1);
  physics_->update(1.0f / 60);

  EXPECT_EQ(log_.entries("rk::rigidbody::RigidBodyManager::removeRigidBody"), 1u);
  EXPECT_EQ(log_.entries("rk::rigidbody::RigidBodyManager::registerRigidBody"), 1u);
  EXPECT_EQ(physics_->bodies(), (std::vector<RigidBody*>{first, made}));
  EXPECT_TRUE(trace.empty());
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(Body, DestroyingAnUnlistedBodyShowsTheErrorBoxAndABodyWithoutManagerStandsAlone) {
  RigidBody* early = new RigidBody;  // listed by the first manager only
  RigidBodyManager::destroyInstance();
  physics_ = RigidBodyManager::createInstance();
  delete early;
  EXPECT_EQ(boxes_.size(), 1u);
  EXPECT_TRUE(physics_->bodies().empty());

  RigidBodyManager::destroyInstance();
  auto* lone = new RigidBody;  // reported once, never stepped, leaves quietly
  EXPECT_EQ(log_.entries("rk::rigidbody::RigidBodyManager::getInstance"), 1u);
  lone->setValid(true);
  lone->beginSubstep();
  lone->integrate(0.5f);
  EXPECT_LT(lone->getPosition().y, 0.0f);
  physics_ = RigidBodyManager::createInstance();
  delete lone;
  EXPECT_EQ(boxes_.size(), 1u);
}

TEST_F(Body, ASecondManagerIsReportedAndTakesTheSlot) {
  RigidBodyManager* second = RigidBodyManager::createInstance();
  EXPECT_EQ(log_.entries("rk::rigidbody::RigidBodyManager::createInstance"), 1u);
  EXPECT_EQ(RigidBodyManager::getInstance(), second);
  EXPECT_EQ(second->priority(), 7);
  EXPECT_EQ(second->name(), "RigidBodyManager");
  EXPECT_TRUE(second->isActive());
  EXPECT_FALSE(second->isPaused());
  EXPECT_EQ(second->getCalcCount(), 32u);
  delete physics_;  // the first one is still a task; deleting it leaves the slot alone
  EXPECT_EQ(RigidBodyManager::findInstance(), second);
  physics_ = second;
}

}  // namespace
