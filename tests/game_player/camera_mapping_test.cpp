// Positions carried from one camera's world into another's: camera B shows the
// carried point where camera A shows the original.
#include <gtest/gtest.h>

#include "collision/convert_pos_between_cameras.h"
#include "gfx/rk_camera.h"
#include "math/rk_matrix.h"
#include "kernel/rk_device_context.h"
#include "support/error_log_capture.h"

namespace {

using rk::math::Vector4;

class CameraMapping : public testing::Test {
 protected:
  CameraMapping() {
    rk::DeviceContext::getInstance();  // cameras take their viewport from it
    cameras_ = rk::gfx::CameraManager::createInstance();
    actor_ = cameras_->createCamera(2);
    map_ = cameras_->createCamera(1);
    for (rk::gfx::Camera* camera : {actor_, map_}) camera->setViewport({0, 0, 1280, 720, 0.0f, 1.0f});
  }
  ~CameraMapping() override { rk::gfx::CameraManager::destroyInstance(); }

  rktest::ErrorLogCapture log_;
  rk::gfx::CameraManager* cameras_;
  rk::gfx::Camera* actor_;
  rk::gfx::Camera* map_;
};

TEST_F(CameraMapping, CamerasThatSeeAlikeLeaveThePointAndItsWAlone) {
  Vector4 q{0.0f, 0.0f, 0.0f, 7.0f};
  EXPECT_TRUE(common::convertPosBetweenCameras(2, 1, q, {1.5f, -2.0f, 4.0f, 0.0f}));
  EXPECT_NEAR(q.x, 1.5f, 1e-4f);
  EXPECT_NEAR(q.y, -2.0f, 1e-4f);
  EXPECT_NEAR(q.z, 4.0f, 1e-4f);
  EXPECT_EQ(q.w, 7.0f) << "w is not written";
}

TEST_F(CameraMapping, TheMapCameraSeesTheCarriedPointWhereTheActorCameraSeesTheOriginal) {
  actor_->setEye({0.0f, 30.0f, -20.0f, 0.0f});
  actor_->setAt({0.0f, 0.0f, 0.0f, 0.0f});
  map_->setEye({5.0f, 80.0f, -60.0f, 0.0f});
  map_->setAt({5.0f, 0.0f, 10.0f, 0.0f});
  // A modest depth range keeps the single-precision inverse of the
  // view-projection close to exact.
  actor_->setNearFar(1.0f, 200.0f);
  map_->setNearFar(1.0f, 200.0f);
  const Vector4 points[] = {{0.0f, 0.0f, 0.0f, 0.0f}, {3.0f, 1.0f, -2.0f, 0.0f}, {-6.0f, 0.5f, 8.0f, 0.0f}};
  for (const Vector4& p : points) {
    SCOPED_TRACE(p.x);
    Vector4 q{};
    ASSERT_TRUE(common::convertPosBetweenCameras(2, 1, q, p));
    // Both cameras share one projection: the carried point sits in the map
    // camera's view exactly where the original sits in the actor camera's.
    const Vector4 inActorView = rk::math::vec3TransformCoord(p, actor_->viewMatrix());
    const Vector4 inMapView = rk::math::vec3TransformCoord(q, map_->viewMatrix());
    EXPECT_NEAR(inMapView.x, inActorView.x, 0.02f);
    EXPECT_NEAR(inMapView.y, inActorView.y, 0.02f);
    EXPECT_NEAR(inMapView.z, inActorView.z, 0.02f);
  }
}

TEST_F(CameraMapping, WithoutBothCamerasThePointStaysUnmapped) {
  Vector4 q{9.0f, 9.0f, 9.0f, 9.0f};
  EXPECT_FALSE(common::convertPosBetweenCameras(2, 5, q, {1.0f, 2.0f, 3.0f, 0.0f}));
  EXPECT_EQ(q.x, 1.0f);
  EXPECT_EQ(q.z, 3.0f);
  EXPECT_EQ(q.w, 9.0f);
  rk::gfx::CameraManager::destroyInstance();
  EXPECT_FALSE(common::convertPosBetweenCameras(2, 1, q, {4.0f, 5.0f, 6.0f, 0.0f}));
  EXPECT_EQ(q.y, 5.0f);
  EXPECT_EQ(log_.entries("rk::gfx::CameraManager::getInstance"), 1u);
  rk::gfx::CameraManager::createInstance();
}

}  // namespace
