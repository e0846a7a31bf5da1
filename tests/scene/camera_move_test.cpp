// Camera movers: timed ease-out moves and spring tracking over task passes.
#include <cmath>
#include <functional>
#include <vector>

#include "gfx/rk_camera_move.h"
#include "scene/scene_rig.h"

namespace {

using rk::math::Vector4;

class CameraMove : public scenetest::SceneRig {
 protected:
  void SetUp() override {
    SceneRig::SetUp();
    camera = cameras->createCamera(3);
    camera->setAt({0, 0, 0, 0});
  }
  rk::gfx::Camera* camera = nullptr;
};

TEST_F(CameraMove, FourInactiveMoverTasksAtPriority140) {
  std::vector<std::string> names;
  for (rk::task::Task* t : {static_cast<rk::task::Task*>(camera->moveSecAt()),
                            static_cast<rk::task::Task*>(camera->moveSecEye()),
                            static_cast<rk::task::Task*>(camera->moveSpringAt()),
                            static_cast<rk::task::Task*>(camera->moveSpringEye())}) {
    EXPECT_EQ(t->priority(), 140);
    EXPECT_FALSE(t->isActive());
    names.push_back(t->name());
  }
  EXPECT_EQ(names, (std::vector<std::string>{"MoveSecAt", "MoveSecEye", "MoveSpringAt", "MoveSpringEye"}));
  frames(3);  // inactive movers leave the camera alone
  EXPECT_EQ(camera->eye().z, 10.0f);
}

TEST_F(CameraMove, TimedMoveEasesOutAndEndsOnTheGoal) {
  camera->moveToAt({10, 0, 0, 0}, 2.0f);
  frames(60);
  EXPECT_NEAR(camera->at().x, 10.0f * std::sin(3.14159265f / 4.0f), 1e-3f);
  EXPECT_FALSE(camera->isValid());  // the move cleared the matrices
  EXPECT_TRUE(camera->moveSecAt()->isActive());
  frames(61);  // 121 steps of a float 1/60 reach 2 s whatever the rounding
  EXPECT_EQ(camera->at().x, 10.0f);
  EXPECT_EQ(camera->at().y, 0.0f);
  EXPECT_FALSE(camera->moveSecAt()->isActive());
  camera->setAt({1, 2, 3, 0});
  frames(1);  // switched off: no longer writes the camera
  EXPECT_EQ(camera->at().x, 1.0f);
}

// Each row: duration and step; the move must end exactly on the goal.
TEST_F(CameraMove, TimedEyeMoveLandsExactlyWhenTheStepOvershootsOrTheDurationIsZero) {
  struct Case {
    float seconds, dt;
    int frames_to_end;
  };
  for (const Case& c : {Case{0.5f, 0.3f, 2}, Case{0.0f, 0.1f, 1}, Case{-1.0f, 0.1f, 1}}) {
    SCOPED_TRACE(c.seconds);
    camera->setEye({0, 0, 10, 0});
    camera->moveToEye({4, -2, 6, 0}, c.seconds);
    frames(c.frames_to_end - 1, c.dt);
    EXPECT_TRUE(c.frames_to_end == 1 || camera->moveSecEye()->isActive());
    frames(1, c.dt);
    const Vector4 eye = camera->eye();
    EXPECT_EQ(eye.x, 4.0f);
    EXPECT_EQ(eye.y, -2.0f);
    EXPECT_EQ(eye.z, 6.0f);
    EXPECT_FALSE(camera->moveSecEye()->isActive());
  }
}

TEST_F(CameraMove, SpringCoversItsRateOfTheDistancePerSecondAndKeepsRunning) {
  camera->trackingAt({60, 0, 0, 0}, 1.0f);
  EXPECT_EQ(camera->springAtRate(), 1.0f);
  frames(1);
  EXPECT_NEAR(camera->at().x, 1.0f, 1e-5f);
  frames(1);
  EXPECT_NEAR(camera->at().x, 1.0f + 59.0f / 60.0f, 1e-4f);

  // Rate 60 at 60 frames per second lands in one frame, and the spring goes on
  // chasing after it has arrived.
  camera->trackingEye({5, 5, 5, 0}, 60.0f);
  frames(1);
  EXPECT_NEAR(camera->eye().x, 5.0f, 1e-5f);
  EXPECT_NEAR(camera->eye().z, 5.0f, 1e-5f);
  camera->setEye({5, 5, 5 + 1e-5f, 0});  // within epsilon: snaps to the target
  frames(1);
  EXPECT_EQ(camera->eye().z, 5.0f);
  camera->setEye({0, 0, 0, 0});
  frames(1);
  EXPECT_TRUE(camera->moveSpringEye()->isActive());
  EXPECT_NEAR(camera->eye().y, 5.0f, 1e-5f);

  // Rate 120 overshoots: no clamp.
  camera->trackingEye({1, 0, 0, 0}, 120.0f);
  camera->setEye({0, 0, 0, 0});
  frames(1);
  EXPECT_NEAR(camera->eye().x, 2.0f, 1e-5f);
}

TEST_F(CameraMove, StoppingAndRestartingTrackingKeepsTargetAndRate) {
  camera->trackingAt({10, 0, 0, 0}, 6.0f);
  frames(1, 0.1f);  // 0 + 10 * 0.6
  EXPECT_NEAR(camera->at().x, 6.0f, 1e-5f);
  camera->stopTrackingAt();
  frames(5, 0.1f);
  EXPECT_NEAR(camera->at().x, 6.0f, 1e-5f);
  camera->runTrackingAt();
  frames(1, 0.1f);  // 6 + 4 * 0.6
  EXPECT_NEAR(camera->at().x, 8.4f, 1e-5f);
  EXPECT_EQ(camera->moveSpringAt()->rate(), 6.0f);
  EXPECT_EQ(camera->springAtRate(), 6.0f);
}

// Records when it runs and can act on the scene in its update.
struct Hook : rk::task::Task {
  Hook(int priority, std::function<void()> fn) : Task(priority, "hook"), fn(std::move(fn)) { setActive(true); }
  int initStep(float) override { return 0; }
  void update(float) override {
    if (fn) fn();
  }
  std::function<void()> fn;
};

TEST_F(CameraMove, ACameraDeletedWithRunningMoversTakesThemOutOfTheTaskManager) {
  camera->moveToAt({10, 0, 0, 0}, 2.0f);
  camera->trackingEye({1, 1, 1, 0}, 1.0f);
  frames(1);
  const std::size_t with_camera = tasks->tasks().size();

  // Released by a task that runs before the movers in the same pass.
  camera->addRef();
  rk::gfx::Camera* doomed = camera;
  new Hook(100, [&] {
    if (doomed) doomed->release(__FILE__, __LINE__);
    doomed = nullptr;
  });
  frames(2);
  EXPECT_EQ(cameras->getCamera(3), nullptr);
  EXPECT_EQ(tasks->tasks().size(), with_camera + 1 - 4);
  for (rk::task::Task* t : tasks->tasks()) EXPECT_EQ(t->priority(), 100);
}

}  // namespace
