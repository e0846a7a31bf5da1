// Cameras: defaults, projection to the screen and back, frustum tests against
// collision bodies, the orbit, the studio stack, lookups by mask and the
// records a camera owns.
#include <cmath>
#include <memory>

#include "col/rk_collision_capsule.h"
#include "col/rk_collision_obb.h"
#include "col/rk_collision_sphere.h"
#include "gfx/rk_texture.h"
#include "kernel/rk_device_context.h"
#include "math/rk_matrix.h"
#include "scene/scene_rig.h"
#include "support/math_near.h"

namespace {

using rk::gfx::Camera;
using rk::math::Vector4;
using rktest::nearVector;

class CameraTest : public scenetest::SceneRig {
 protected:
  void SetUp() override {
    SceneRig::SetUp();
    rk::DeviceContext* context = rk::DeviceContext::getInstance();
    old_width = context->screenWidth();
    old_height = context->screenHeight();
    context->setScreenSize(1280, 720);
  }
  void TearDown() override {
    SceneRig::TearDown();
    rk::DeviceContext::getInstance()->setScreenSize(old_width, old_height);
  }
  // Eye at the origin looking along +z, 90 degrees square, near 1, far 100:
  // the left plane is x = -z, the right x = z, top y = z, bottom y = -z.
  Camera* squareCamera(int number = 0) {
    Camera* camera = cameras->createCamera(number);
    camera->setEye({0, 0, 0, 0});
    camera->setAt({0, 0, 1, 0});
    camera->setFovy(1.5707964f);
    camera->setAspect(1.0f);
    camera->setNearFar(1.0f, 100.0f);
    camera->setViewport({0, 0, 720, 720, 0.0f, 1.0f});
    camera->updateMatrices();
    camera->calcFrustumPlanes(0.0f);
    return camera;
  }
  unsigned old_width = 0, old_height = 0;
};

TEST_F(CameraTest, NewCameraHasTheDocumentedDefaults) {
  Camera* camera = cameras->createCamera(3);
  EXPECT_EQ(camera->number(), 3);
  EXPECT_EQ(camera->bit(), 8u);
  EXPECT_TRUE(nearVector(camera->eye(), Vector4{0, 0, 10, 0}, 0));
  EXPECT_TRUE(nearVector(camera->at(), Vector4{0, 0, 0, 0}, 0));
  EXPECT_TRUE(nearVector(camera->up(), Vector4{0, 1, 0, 0}, 0));
  EXPECT_FLOAT_EQ(camera->fovy(), 0.8552113f);
  EXPECT_FLOAT_EQ(camera->aspect(), 16.0f / 9.0f);
  EXPECT_FLOAT_EQ(camera->nearClip(), 0.001f);
  EXPECT_FLOAT_EQ(camera->farClip(), 1000.0f);
  EXPECT_EQ(camera->viewport().width, 1280u);
  EXPECT_EQ(camera->viewport().height, 720u);
  EXPECT_TRUE(camera->isValid());
  EXPECT_EQ(camera->fogColor(), 0xFFFBFFFFu);
  EXPECT_EQ(camera->fogTableMode(), 3);
  EXPECT_FLOAT_EQ(camera->soundDistanceFactor(), 1.0f);
  EXPECT_FLOAT_EQ(camera->soundZoomParam(), 0.0f);
  EXPECT_FALSE(camera->flareValid());
  EXPECT_FLOAT_EQ(camera->lenseFlare().scale(), 1.0f);
  EXPECT_EQ(camera->studioInfo().size(), 1u);

  const rk::gfx::Light& shadow = camera->shadowLight().light();
  EXPECT_FALSE(shadow.enabled_);
  EXPECT_EQ(shadow.param_.type, 2);
  EXPECT_FLOAT_EQ(shadow.param_.position[1], 100.0f);
  EXPECT_FLOAT_EQ(shadow.param_.direction[1], -1.0f);
  EXPECT_FLOAT_EQ(shadow.param_.theta, 1.5707964f);
  EXPECT_FLOAT_EQ(camera->shadowLight().parameter().range, 100.0f);
  ASSERT_NE(camera->spotLightInfo(), nullptr);
  EXPECT_TRUE(rktest::nearMatrix(camera->spotLightProjection(),
                                 rk::math::matrixPerspectiveFovLH(1.5707964f, 1.0f, 0.001f, 1.0f), 0));

  // A negative number is a camera too, with the top bit; it is never drawn.
  EXPECT_EQ(cameras->createCamera(-1)->bit(), 1u << 31);
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(CameraTest, ProjectedPointsUnprojectBackOntoTheirRay) {
  Camera* camera = cameras->createCamera(0);
  camera->setEye({3, 4, -12, 0});
  camera->setAt({1, 0.5f, 2, 0});
  camera->setViewport({40, 20, 800, 600, 0.0f, 1.0f});
  camera->setAspect(800.0f / 600.0f);
  camera->setNearFar(0.5f, 200.0f);
  // Offsets, the view shift and a script view change the drawn view only.
  camera->setEyeOffset({5, 0, 0, 0});
  camera->setViewShift({0, 2, 0, 0});

  Vector4 centre;
  ASSERT_TRUE(camera->projectToScreen(camera->at(), centre));
  EXPECT_TRUE(nearVector(centre, Vector4{440, 320, centre.z, 1}, 1e-3f));

  for (const Vector4& p : {Vector4{1, 2, 3, 0}, Vector4{-4, 0.5f, 10, 0}, Vector4{2, -3, 40, 0}}) {
    Vector4 screen, nearPoint, farPoint;
    ASSERT_TRUE(camera->projectToScreen(p, screen));
    EXPECT_GT(screen.z, 0.0f);
    EXPECT_LT(screen.z, 1.0f);
    ASSERT_TRUE(camera->unprojectScreenPoint(screen.x, screen.y, nearPoint, farPoint));
    EXPECT_EQ(nearPoint.w, 1.0f);
    // The point lies on the segment from the near to the far point ...
    const Vector4 ray = rk::math::vec3Normalize(farPoint.minus(nearPoint));
    const Vector4 toPoint = p.minus(nearPoint);
    const float along = rk::math::vec3Dot(toPoint, ray);
    EXPECT_TRUE(nearVector(nearPoint.plus(ray.scaled(along)), Vector4{p.x, p.y, p.z, 0}, 2e-3f));
    // ... and the near point projects back to the same pixel at depth 0.
    Vector4 again;
    ASSERT_TRUE(camera->projectToScreen(nearPoint, again));
    EXPECT_TRUE(nearVector(again, Vector4{screen.x, screen.y, 0.0f, 1.0f}, 2e-2f));
  }
}

TEST_F(CameraTest, DegenerateCamerasAnswerNothingInsteadOfDividingByZero) {
  struct Case {
    const char* what;
    void (*spoil)(Camera*);
  } cases[] = {
      {"zero viewport", [](Camera* c) { c->setViewport({0, 0, 0, 0, 0.0f, 1.0f}); }},
      {"one pixel wide", [](Camera* c) { c->setViewport({0, 0, 1, 600, 0.0f, 1.0f}); }},
      {"near equals far", [](Camera* c) { c->setNearFar(5.0f, 5.0f); }},
      {"zero field of view", [](Camera* c) { c->setFovy(0.0f); }},
      {"zero aspect", [](Camera* c) { c->setAspect(0.0f); }},
      {"eye on the target", [](Camera* c) { c->setEye(c->at()); }},
  };
  rk::collision::Sphere sphere({0, 0, 0, 0}, 1.0f);
  for (const Case& c : cases) {
    Camera* camera = squareCamera();
    c.spoil(camera);
    const Vector4 untouched{7, 7, 7, 7};
    Vector4 screen = untouched, nearPoint = untouched, farPoint = untouched;
    EXPECT_FALSE(camera->projectToScreen({0, 0, 10, 0}, screen)) << c.what;
    EXPECT_FALSE(camera->unprojectScreenPoint(10, 10, nearPoint, farPoint)) << c.what;
    EXPECT_TRUE(nearVector(screen, untouched, 0) && nearVector(nearPoint, untouched, 0)) << c.what;
    camera->calcFrustumPlanes(0.0f);
    EXPECT_FALSE(camera->isBodyInFrustum(sphere)) << c.what;
    EXPECT_FALSE(camera->isBodyInViewport(sphere)) << c.what;
    cameras->removeCamera(camera);
    delete camera;
  }
  // A point in the eye's plane has no screen position either.
  Vector4 screen;
  EXPECT_FALSE(squareCamera()->projectToScreen({5, 0, 0, 0}, screen));
}

TEST_F(CameraTest, FrustumKeepsBodiesThatReachInsideAndRejectsThoseWhollyOutside) {
  Camera* camera = squareCamera();
  using rk::collision::Capsule;
  using rk::collision::OBB;
  using rk::collision::Sphere;
  auto sphere = [](float x, float y, float z) { return new Sphere({x, y, z, 0}, 1.0f); };
  auto box = [](float x, float y, float z) {
    auto* b = new OBB;
    b->setCenter({x, y, z, 0});
    return b;
  };
  auto capsule = [](float x, float y, float z, const Vector4& axis, float half) {
    auto* c = new Capsule;
    c->setCenter({x, y, z, 0});
    c->setAxisVector(axis);
    c->setHeight(half);
    return c;
  };
  const Vector4 up{0, 1, 0, 0}, across{1, 0, 0, 0};
  struct Case {
    const char* what;
    rk::collision::CollisionBody* body;
    bool inside;
  } cases[] = {
      {"sphere in the middle", sphere(0, 0, 10), true},
      {"sphere straddling the left plane", sphere(-11, 0, 10), true},
      {"sphere wholly left", sphere(-12, 0, 10), false},
      {"sphere wholly right", sphere(12, 0, 10), false},
      {"sphere wholly above", sphere(0, 12, 10), false},
      {"sphere wholly below", sphere(0, -12, 10), false},
      {"sphere through the near plane", sphere(0, 0, 0.5f), true},
      {"sphere behind the near plane", sphere(0, 0, -0.5f), false},
      {"sphere through the far plane", sphere(0, 0, 100.5f), true},
      {"sphere beyond the far plane", sphere(0, 0, 101.5f), false},
      {"box straddling the left plane", box(-11.5f, 0, 10), true},
      {"box wholly left", box(-12.5f, 0, 10), false},
      {"box behind the eye", box(0, 0, -5), false},
      {"upright capsule straddling the left plane", capsule(-11, 0, 10, up, 1), true},
      {"upright capsule wholly left", capsule(-12, 0, 10, up, 1), false},
      {"lying capsule whose end reaches inside", capsule(-13, 0, 10, across, 2), true},
      {"lying capsule wholly left", capsule(-14, 0, 10, across, 2), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(camera->isBodyInFrustum(*c.body), c.inside) << c.what;
    EXPECT_EQ(camera->isBodyInViewport(*c.body), c.inside) << c.what;
    delete c.body;
  }

  // A margin widens the stored frustum by pixels on every side; the viewport
  // test keeps its own planes.
  Sphere justLeft({-12.5f, 0, 10, 0}, 1.0f);
  EXPECT_FALSE(camera->isBodyInFrustum(justLeft));
  camera->calcFrustumPlanes(100.0f);
  EXPECT_TRUE(camera->isBodyInFrustum(justLeft));
  EXPECT_FALSE(camera->isBodyInViewport(justLeft));
}

TEST_F(CameraTest, RotateEulerOrbitsTheEyeAroundTheTarget) {
  Camera* camera = cameras->createCamera(0);
  camera->rotateEuler(0.0f, 1.5707964f, 0.0f);
  EXPECT_TRUE(nearVector(camera->eye(), Vector4{10, 0, 0, 0}, 1e-5f));
  EXPECT_TRUE(nearVector(camera->at(), Vector4{0, 0, 0, 0}, 0));
  EXPECT_TRUE(camera->isValid());

  camera->setAt({1, 1, 1, 0});
  camera->setEye({1, 1, 5, 0});
  camera->rotateEuler(1.5707964f, 0.0f, 0.0f);  // pitch: the eye swings about x around the target
  EXPECT_TRUE(nearVector(camera->eye(), Vector4{1, -3, 1, 0}, 1e-5f));
}

TEST_F(CameraTest, ViewFollowsTheCameraModeAndEverySetterInvalidates) {
  Camera* camera = cameras->createCamera(0);
  const rk::math::Matrix drawn = camera->viewMatrix();
  camera->setEyeOffset({1, 0, 0, 0});
  EXPECT_FALSE(camera->isValid());
  camera->updateMatrices();
  EXPECT_FALSE(rktest::nearMatrix(camera->viewMatrix(), drawn, 1e-4f));

  // A script view stays while the mode is not 0; the inverse and projection follow.
  rk::math::Matrix scripted = rk::math::matrixTranslation(1, 2, 3);
  camera->setCameraMode(1);
  camera->setViewMatrix(scripted);
  camera->setEye({0, 5, 5, 0});
  camera->setFovy(1.0f);
  camera->updateMatrices();
  EXPECT_TRUE(rktest::nearMatrix(camera->viewMatrix(), scripted, 0));
  EXPECT_TRUE(rktest::nearMatrix(camera->inverseViewMatrix(), rk::math::matrixTranslation(-1, -2, -3), 1e-6f));
  EXPECT_TRUE(rktest::nearMatrix(camera->projectionMatrix(),
                                 rk::math::matrixPerspectiveFovLH(1.0f, 16.0f / 9.0f, 0.001f, 1000.0f), 0));

  void (*setters[])(Camera*) = {
      [](Camera* c) { c->setFogMode(1, 2); },       [](Camera* c) { c->setFogRange(1, 2); },
      [](Camera* c) { c->setSoundZoomParam(2); },   [](Camera* c) { c->setSoundRolloffFactor(2); },
      [](Camera* c) { c->setFlareValid(true); },    [](Camera* c) { c->setViewShift({0, 1, 0, 0}); },
      [](Camera* c) { c->setNearFar(1.0f, 9.0f); }, [](Camera* c) { c->setUp({1, 0, 0, 0}); },
  };
  for (auto set : setters) {
    camera->updateMatrices();
    set(camera);
    EXPECT_FALSE(camera->isValid());
  }
}

TEST_F(CameraTest, StudioStackPushesCopiesAndKeepsItsLastEntry) {
  rk::gfx::CameraStudioInfo& stack = cameras->createCamera(0)->studioInfo();
  stack.top()->setLightMode(rk::gfx::StudioInfo::kOwnLights);
  stack.push();
  stack.push();
  EXPECT_EQ(stack.size(), 3u);
  EXPECT_EQ(stack.top()->lightMode(), rk::gfx::StudioInfo::kOwnLights);
  stack.top()->setLightMode(rk::gfx::StudioInfo::kLightingOff);

  std::unique_ptr<rk::gfx::CameraStudioInfo> copy(stack.clone());
  EXPECT_EQ(copy->size(), 3u);
  EXPECT_EQ(copy->top()->lightMode(), rk::gfx::StudioInfo::kLightingOff);
  EXPECT_NE(copy->top(), stack.top());

  stack.pop();
  EXPECT_EQ(stack.top()->lightMode(), rk::gfx::StudioInfo::kOwnLights);
  stack.pop();
  stack.pop();  // the last entry stays: every pass reads the top
  EXPECT_EQ(stack.size(), 1u);
  EXPECT_EQ(log.entries("rk::gfx::CameraStudioInfo::pop"), 1u);
}

TEST_F(CameraTest, LookupByMaskTakesTheLowestOfTheSixteenBits) {
  Camera* seven = cameras->createCamera(7);
  EXPECT_EQ(cameras->getCameraByMask(160), nullptr);  // camera 5 missing: no fall-through to 7
  Camera* five = cameras->createCamera(5);
  Camera* fifteen = cameras->createCamera(15);
  cameras->createCamera(16);
  struct Case {
    std::uint32_t mask;
    Camera* expected;
  } cases[] = {{160, five}, {128, seven}, {0, nullptr}, {1u << 16, nullptr}, {(1u << 16) | (1u << 15), fifteen},
               {0xFFFFFFFFu, nullptr}};
  for (const Case& c : cases) EXPECT_EQ(cameras->getCameraByMask(c.mask), c.expected) << c.mask;
}

TEST_F(CameraTest, LensFlareHoldsItsTexturesUntilTheCameraGoes) {
  auto* flare = new rk::gfx::RkTexture;
  auto* ghost = new rk::gfx::RkTexture;
  flare->addRef();
  ghost->addRef();
  Camera* camera = cameras->createCamera(2);
  camera->addRef();
  camera->lenseFlare().setTexture(flare);
  camera->lenseFlare().setTexture(flare);  // the same texture again keeps one reference
  camera->lenseFlare().joinGhostTexture(ghost);
  camera->lenseFlare().joinGhostTexture(ghost);
  EXPECT_EQ(flare->count(), 2);
  EXPECT_EQ(ghost->count(), 3);
  camera->release(__FILE__, __LINE__);  // the last reference: out of the manager and deleted
  EXPECT_EQ(cameras->getCamera(2), nullptr);
  EXPECT_EQ(flare->count(), 1);
  EXPECT_EQ(ghost->count(), 1);
  flare->release(__FILE__, __LINE__);
  ghost->release(__FILE__, __LINE__);
  EXPECT_TRUE(log.empty()) << log.text();
}

}  // namespace
