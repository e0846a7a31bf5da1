// Link cameras: copying a camera's view onto others after the movers ran, and
// surviving the deletion of the cameras and objects they point at.
#include "gfx/rk_camera_move.h"
#include "gfx/rk_link_camera.h"
#include "scene/scene_rig.h"

namespace {

using rk::gfx::Camera;
using rk::gfx::LinkCamera;
using rk::gfx::LinkCameraObject;

class Link : public scenetest::SceneRig {
 protected:
  void SetUp() override {
    SceneRig::SetUp();
    source = cameras->createCamera(0);
    target = cameras->createCamera(1);
    link = new LinkCamera;  // owned by the task manager's final sweep here
  }
  void configureSource() {
    source->setAt({1, 2, 3, 0});
    source->setEye({4, 5, 6, 0});
    source->setUp({0, 0, 1, 0});
    source->setEyeOffset({0.5f, 0, 0, 0});
    source->setAtOffset({0, 0.5f, 0, 0});
    source->setFovy(1.25f);
    source->setViewport({8, 16, 320, 240, 0.25f, 0.75f});
  }
  Camera* source = nullptr;
  Camera* target = nullptr;
  LinkCamera* link = nullptr;
};

TEST_F(Link, CopiesTheViewSettingsOfItsSourceEveryFrameAndNothingElse) {
  EXPECT_EQ(link->priority(), 141);
  EXPECT_EQ(link->name(), "Link Camera");
  EXPECT_FALSE(link->isActive());
  LinkCameraObject object(target);
  link->setCamera(source);
  link->push(&object);
  configureSource();
  target->setFogEnable(true);
  frames(1);  // not running yet
  EXPECT_EQ(target->at().x, 0.0f);

  link->run();
  frames(1);
  EXPECT_EQ(target->at().z, 3.0f);
  EXPECT_EQ(target->eye().y, 5.0f);
  EXPECT_EQ(target->up().z, 1.0f);
  EXPECT_EQ(target->eyeOffset().x, 0.5f);
  EXPECT_EQ(target->atOffset().y, 0.5f);
  EXPECT_EQ(target->fovy(), 1.25f);
  EXPECT_EQ(target->viewport().x, 8u);
  EXPECT_EQ(target->viewport().height, 240u);
  EXPECT_EQ(target->viewport().maxDepth, 0.75f);
  EXPECT_TRUE(target->isValid());  // matrices recomputed after the copy
  EXPECT_TRUE(target->fogEnable());  // fog is not copied
  source->updateMatrices();
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_FLOAT_EQ(target->viewMatrix().m[r][c], source->viewMatrix().m[r][c]);

  link->stop();
  source->setAt({9, 9, 9, 0});
  frames(1);
  EXPECT_EQ(target->at().x, 1.0f);
}

TEST_F(Link, FollowsWhatTheMoversDidInTheSameFrame) {
  LinkCameraObject object(target);
  link->setCamera(source);
  link->push(&object);
  link->run();
  source->moveToEye({0, 0, 20, 0}, 0.0f);
  frames(1);
  EXPECT_EQ(target->eye().z, 20.0f);
}

TEST_F(Link, ObjectsWithoutTargetAreSkippedAndTheOthersStillLinked) {
  Camera* third = cameras->createCamera(2);
  LinkCameraObject empty(nullptr), first(target), second(third);
  link->setCamera(source);
  for (LinkCameraObject* o : {&first, &empty, &second}) link->push(o);
  link->run();
  source->setAt({7, 0, 0, 0});
  frames(1);
  EXPECT_EQ(target->at().x, 7.0f);
  EXPECT_EQ(third->at().x, 7.0f);
  link->pop(&first);
  EXPECT_EQ(link->objects().size(), 2u);
}

TEST_F(Link, DeletedCamerasAndObjectsAreForgotten) {
  auto* object = new LinkCameraObject(target);
  LinkCameraObject other(cameras->createCamera(2));
  link->setCamera(source);
  link->push(object);
  link->push(&other);
  link->push(object);  // twice: both entries go with the object
  link->run();

  // The target camera goes: its object keeps running with no target.
  target->addRef();
  target->release(__FILE__, __LINE__);
  EXPECT_EQ(object->target(), nullptr);
  frames(1);

  // The object goes: it leaves the list.
  delete object;
  EXPECT_EQ(link->objects(), std::vector<LinkCameraObject*>{&other});

  // The source goes: the link stops copying; nothing reads the old camera.
  source->setAt({3, 0, 0, 0});
  frames(1);
  EXPECT_EQ(other.target()->at().x, 3.0f);
  source->addRef();
  source->release(__FILE__, __LINE__);
  EXPECT_EQ(link->camera(), nullptr);
  frames(1);
  EXPECT_EQ(other.target()->at().x, 3.0f);
}

TEST_F(Link, ARunningLinkWithoutSourceDoesNothing) {
  LinkCameraObject object(target);
  link->push(&object);
  link->run();
  frames(2);
  EXPECT_EQ(target->eye().z, 10.0f);
}

}  // namespace
