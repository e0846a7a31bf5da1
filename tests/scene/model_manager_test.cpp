// The model manager: priority order for the update, the sync and the camera
// passes; culling and plane shadows in the two passes; frames through
// attachments; the lighting stack; the reverse sync; and models that go away
// while something still lists them.
#include <functional>

#include "col/rk_collision_sphere.h"
#include "gfx/rk_model_draw_info.h"
#include "kernel/rk_device_context.h"
#include "rigidbody/rk_rigidbody_manager.h"
#include "rigidbody/rk_rigidbody_shapes.h"
#include "scene/model_probe.h"
#include "scene/scene_rig.h"
#include "support/math_near.h"

namespace {

using rk::gfx::ModelManager;
using rk::math::Matrix;
using scenetest::Probe;

class Models : public scenetest::SceneRig {
 protected:
  void SetUp() override {
    SceneRig::SetUp();
    old_width = rk::DeviceContext::getInstance()->screenWidth();
    old_height = rk::DeviceContext::getInstance()->screenHeight();
    rk::DeviceContext::getInstance()->setScreenSize(1280, 720);
    manager = ModelManager::createInstance();
  }
  void TearDown() override {
    probes.clear();
    if (ModelManager::findInstance()) ModelManager::destroyInstance();
    SceneRig::TearDown();
    rk::DeviceContext::getInstance()->setScreenSize(old_width, old_height);
  }
  Probe* probe(const std::string& name, int priority, int bits = 1) {
    probes.push_back(std::make_unique<Probe>(name, trace));
    Probe* p = probes.back().get();
    p->setRenderPriority(priority);
    p->setRenderCameraBit(bits);
    p->setManager(manager);
    manager->addModel(p);
    return p;
  }
  std::string take() {
    std::string out;
    out.swap(trace);
    return out;
  }

  ModelManager* manager = nullptr;
  std::string trace;
  std::vector<std::unique_ptr<Probe>> probes;
  unsigned old_width = 0, old_height = 0;
};

TEST_F(Models, UpdateAndSyncFollowThePriorityOrderAndSkipModelsNotReady) {
  EXPECT_EQ(manager->priority(), 137);
  EXPECT_EQ(manager->name(), "ModelManager");
  auto* syncTask = new rk::gfx::ModelSyncTask;  // the task manager deletes it
  EXPECT_EQ(syncTask->priority(), 138);
  Probe* a = probe("A", 5);
  probe("B", 1);
  probe("C", 5);
  probe("N", 0)->ready = false;

  frames(1);  // the manager's update (137), then the sync task (138)
  EXPECT_EQ(take(), "q:B u:B q:A u:A q:C u:C s:B s:A s:C ");

  a->setRenderPriority(0);  // re-sorted at once, after the other models of 0
  manager->sync();
  EXPECT_EQ(take(), "s:A s:B s:C ");
  EXPECT_EQ(manager->models().size(), 4u);

  manager->setPause(true);
  manager->update(1.0f);
  EXPECT_EQ(take(), "");
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(Models, CameraPassesDrawByMaskCullTheNormalPassAndDrawPlaneShadowsSecond) {
  rk::gfx::Camera* zero = cameras->createCamera(0);  // looks at the origin from z = 10
  rk::gfx::Camera* one = cameras->createCamera(1);
  auto box = [](float z) {
    auto b = std::make_unique<rk::collision::OBB>();
    b->setCenter({0, 0, z, 0});
    return b;
  };
  probe("plain", 0, 1);
  probe("seen", 1, 3)->body = box(0);  // inside the frustum
  Probe* hidden = probe("culled", 2, 3);
  hidden->body = box(50);  // behind the eye
  hidden->shadow_plane = true;
  probe("planeOnly", 3, 1)->plane_only = true;
  probe("notReady", 4, 2)->ready = false;  // its draw is still called: it checks for itself
  probe("none", 5, 0);

  manager->drawForCamera(*zero);
  EXPECT_EQ(take(), "p:plain D:plain D:seen S:culled S:planeOnly ");
  manager->drawForCamera(*one);
  EXPECT_EQ(take(), "D:seen p:notReady D:notReady S:culled ");
}

TEST_F(Models, FrameMatricesWalkEveryParentWithItsOffsetAndFrame) {
  Probe* c = probe("C", 0);
  Probe* b = probe("B", 0);
  Probe* a = probe("A", 0);
  c->setPos({0, 0, 10, 0});
  b->setPos({1, 0, 0, 0});
  a->setPos({0, 2, 0, 0});
  for (Probe* p : {a, b, c}) p->buildMatrix();
  c->frames["arm"] = rk::math::matrixRotationX(1.5707964f);
  b->frames["hand"] = rk::math::matrixTranslation(0, 0, 3);
  a->frames["tip"] = rk::math::matrixScaling(2, 2, 2);
  const Matrix offset = rk::math::matrixTranslation(0.5f, 0, 0);
  b->attach(c, "arm", rk::math::matrixIdentity());
  a->attach(b, "hand", offset);

  Matrix m;
  ASSERT_TRUE(a->calcFrameMtx(m, "tip"));
  using rk::math::matrixMultiply;
  Matrix expected = matrixMultiply(a->frames["tip"], a->getMatrix());
  expected = matrixMultiply(matrixMultiply(expected, offset), matrixMultiply(b->frames["hand"], b->getMatrix()));
  expected = matrixMultiply(expected, matrixMultiply(c->frames["arm"], c->getMatrix()));
  EXPECT_TRUE(rktest::nearMatrix(m, expected, 1e-5f));

  // A missing frame is reported and the walk goes on; no name counts as found.
  EXPECT_FALSE(a->calcFrameMtx(m, "nose"));
  EXPECT_EQ(log.entries("rk::gfx::GModel::calcFrameMtx"), 1u);
  EXPECT_TRUE(c->calcFrameMtx(m, nullptr));
  // A model cannot hang on its own descendant.
  c->attach(a, "tip", rk::math::matrixIdentity());
  EXPECT_EQ(c->getParent(), nullptr);
  EXPECT_EQ(log.entries("rk::gfx::GModel::attach"), 1u);
}

TEST_F(Models, DrawInfoStackUndoesChangesAndKeepsItsLastEntry) {
  Probe* p = probe("P", 0);
  rk::gfx::ModelDrawInfo* first = p->getModelDrawInfo(0);
  first->studio()->setLightMode(rk::gfx::StudioInfo::kOwnLights);
  p->pushModelDrawInfo(0);
  p->pushModelDrawInfo(0);
  EXPECT_EQ(p->getModelDrawInfo(0)->studio()->lightMode(), rk::gfx::StudioInfo::kOwnLights);
  p->getModelDrawInfo(0)->studio()->setLightMode(rk::gfx::StudioInfo::kLightingOff);
  p->popModelDrawInfo(0);
  p->popModelDrawInfo(0);
  EXPECT_EQ(p->getModelDrawInfo(0), first);
  EXPECT_EQ(first->studio()->lightMode(), rk::gfx::StudioInfo::kOwnLights);
  p->popModelDrawInfo(0);
  EXPECT_EQ(p->getModelDrawInfo(0), first);
  EXPECT_EQ(log.entries("rk::gfx::GModel::popModelDrawInfo"), 1u);
}

TEST_F(Models, ReverseSyncPlacesItsTargetBetweenTwoCamerasOnlyWhenBothExist) {
  rk::gfx::Camera* a = cameras->createCamera(2);
  rk::gfx::Camera* b = cameras->createCamera(6);
  b->setEye({4, 1, -6, 0});
  Probe* p = probe("P", 0, 0);  // no camera bit: no camera A
  p->setPos({1, 2, 3, 0});
  rk::collision::Sphere target({9, 9, 9, 0}, 1.0f);
  p->setRevSync(&target, 6);
  EXPECT_TRUE(rktest::nearVector(rk::collision::centerOf(target), rk::math::Vector4{9, 9, 9, 0}, 0));

  p->setRenderCameraBit(1 << 2 | 1 << 4);  // the lowest bit names camera 2
  manager->update(1.0f / 60.0f);
  const Matrix placed = rk::math::matrixBetweenCameras(*a, *b, rk::math::matrixTranslation(1, 2, 3));
  const rk::math::Vector4 centre = rk::collision::centerOf(target);
  EXPECT_NEAR(centre.x, placed.m[3][0], 1e-4f);
  EXPECT_NEAR(centre.y, placed.m[3][1], 1e-4f);
  EXPECT_NEAR(centre.z, placed.m[3][2], 1e-4f);
}

TEST_F(Models, AModelThatGoesAwayLeavesEveryListThatHoldsIt) {
  Probe* parent = probe("parent", 0);
  Probe* child = probe("child", 1);
  child->attach(parent, "", rk::math::matrixIdentity());
  Probe* late = probe("late", 9);
  // A model deleted in the middle of a pass is not drawn afterwards.
  parent->onDraw = [&] {
    for (auto& p : probes)
      if (p.get() == late) p.reset();
  };
  manager->drawForCamera(*cameras->createCamera(0));
  EXPECT_EQ(take(), "p:parent D:parent p:child D:child ");
  EXPECT_EQ(manager->models().size(), 2u);

  // The parent goes: the child hangs on nothing; a body forgets it.
  auto* physics = rk::rigidbody::RigidBodyManager::createInstance();
  auto* body = rk::rigidbody::RigidBodyManager::create<rk::rigidbody::RigidBodySphere>();
  body->setModel(parent);
  for (auto& p : probes)
    if (p.get() == parent) p.reset();
  EXPECT_EQ(child->getParent(), nullptr);
  EXPECT_EQ(body->getModel(), nullptr);
  EXPECT_FALSE(manager->contains(parent));
  body->release(__FILE__, __LINE__);
  rk::rigidbody::RigidBodyManager::destroyInstance();
  (void)physics;

  // A model that outlives its manager does not reach back into it.
  ModelManager::destroyInstance();
  probes.clear();
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(Models, ARigidBodyCarriesItsModelEveryPhysicsStepAndHidesItWhenFinalized) {
  auto* physics = rk::rigidbody::RigidBodyManager::createInstance();
  (void)physics;
  Probe* p = probe("P", 0);
  p->setVisible(true);
  auto* body = rk::rigidbody::RigidBodyManager::create<rk::rigidbody::RigidBodySphere>();
  body->setPosition({3, 10, 0, 0});
  body->updateWorldMatrix();
  body->setValid(true);
  body->setModel(p);
  float last = 11.0f;
  for (int i = 0; i < 3; ++i) {
    frames(1);
    const Matrix& world = p->getMatrix();
    EXPECT_TRUE(p->isMatrixValid());
    EXPECT_FLOAT_EQ(world.m[3][0], 3.0f);
    EXPECT_LT(world.m[3][1], last) << "frame " << i;  // falling under gravity
    EXPECT_TRUE(rktest::nearMatrix(world, body->getWorldMatrix(), 0));
    last = world.m[3][1];
  }
  body->finalize();
  EXPECT_FALSE(p->isVisible());
  body->release(__FILE__, __LINE__);
  rk::rigidbody::RigidBodyManager::destroyInstance();
}

TEST_F(Models, SphereModelIsASceneModelOfCameraZeroWithARadius) {
  rk::gfx::SphereModel sphere;
  EXPECT_FLOAT_EQ(sphere.getRadius(), 1.0f);
  EXPECT_EQ(sphere.getRenderCameraBit(), 1);
  EXPECT_FALSE(sphere.isVisible());
  EXPECT_FALSE(sphere.isShadow());
  EXPECT_EQ(sphere.getShadowColor(), 0u);
  EXPECT_TRUE(sphere.isReady());
  EXPECT_FLOAT_EQ(sphere.getMaxAnimeTime(), 1.0f);
}

}  // namespace
