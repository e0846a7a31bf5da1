// Lights, the light lists of the manager and the upload into the device
// context's light records. The device context is the process's static one; the
// fixture puts back the records and the colour state it touches.
#include <gtest/gtest.h>

#include <memory>

#include "gfx/rk_light.h"
#include "kernel/rk_device_context.h"
#include "renderer_rig.h"
#include "support/error_log_capture.h"

namespace {

using rk::gfx::Light;
using rk::gfx::LightManager;
using rk::gfx::LightParameter;

class Lights : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = context->backupColorState();
    clearRecords();
  }
  void TearDown() override {
    clearRecords();
    context->restoreColorState(saved_);
  }
  void clearRecords() {
    for (int n = 0; n < 16; ++n) {
      context->setLightingNo(n, false);
      context->setLightParameter(n, LightParameter{});
    }
  }
  static std::unique_ptr<Light> light(int number, float red, bool enabled = true) {
    auto l = std::make_unique<Light>(number);
    l->param_.diffuse[0] = red;
    l->enabled_ = enabled;
    return l;
  }

  rk::DeviceContext* context = rk::DeviceContext::getInstance();
  rk::ColorStateBackup saved_{};
  LightManager manager;
};

TEST_F(Lights, ANewLightIsAHalfGreyDirectionalLight) {
  Light l(5);
  EXPECT_FALSE(l.enabled_);
  EXPECT_EQ(l.number_, 5);
  EXPECT_EQ(l.param_.type, 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(l.param_.diffuse[i], 0.5f);
  EXPECT_EQ(l.param_.diffuse[3], 0.0f);
  EXPECT_EQ(l.param_.direction[0], -0.57735026f);
  EXPECT_EQ(l.param_.direction[1], -0.57735026f);
  EXPECT_EQ(l.param_.direction[2], 0.57735026f);
  EXPECT_TRUE(l.owners_.empty());

  // A point or spot light resets to all zero but the type; any other type to the default.
  struct Case { int type; float diffuse; float directionZ; };
  for (const Case c : {Case{1, 0.0f, 0.0f}, Case{2, 0.0f, 0.0f}, Case{3, 0.5f, 0.57735026f}, Case{0, 0.5f, 0.57735026f}}) {
    l.param_.range = 9.0f;
    l.param_.theta = 1.0f;
    l.param_.type = c.type;
    l.setDefaults();
    EXPECT_EQ(l.param_.type, c.type);
    EXPECT_EQ(l.param_.diffuse[1], c.diffuse) << c.type;
    EXPECT_EQ(l.param_.direction[2], c.directionZ) << c.type;
    EXPECT_EQ(l.param_.range, 0.0f);
    EXPECT_EQ(l.param_.theta, 0.0f);
  }
}

TEST_F(Lights, WithLightingOffTheUploadTouchesNothing) {
  auto a = light(2, 0.7f);
  manager.pushLight(a.get());
  context->setLightingNo(3, true);
  context->setColorStateRGBA(false, rk::gfx::Color(0.1f, 0.2f, 0.3f, 0.4f));
  manager.uploadLights();
  EXPECT_FALSE(context->isUseColor());
  EXPECT_EQ(context->colorState().getG(), 0.2f);
  EXPECT_FALSE(context->isLightInUse(2));
  EXPECT_TRUE(context->isLightInUse(3));
  EXPECT_EQ(context->lightParameter(2).diffuse[0], 0.0f);
}

TEST_F(Lights, TheLastLightOfEachNumberIsUploaded) {
  manager.lightingState() = {true, 0xFFFF8000u};
  auto first = light(2, 0.25f), second = light(2, 0.75f), other = light(7, 0.5f);
  manager.pushLight(first.get());
  manager.pushLight(other.get());
  manager.pushLight(second.get());
  ASSERT_EQ(manager.lights(2).size(), 2u);
  EXPECT_EQ(manager.lights(2)[0], first.get());
  EXPECT_EQ(manager.lastLight(2), second.get());
  EXPECT_EQ(manager.lastLight(0), nullptr);
  EXPECT_EQ(first->owners_.size(), 1u);
  context->setLightingNo(0, true);  // an empty number is cleared

  manager.uploadLights();
  EXPECT_TRUE(context->isUseColor());
  EXPECT_EQ(context->colorState().getR(), 1.0f);
  EXPECT_FLOAT_EQ(context->colorState().getG(), 128.0f / 255.0f);
  EXPECT_EQ(context->colorState().getB(), 0.0f);
  EXPECT_EQ(context->colorState().getA(), 1.0f);
  EXPECT_FALSE(context->isLightInUse(0));
  EXPECT_TRUE(context->isLightInUse(2));
  EXPECT_EQ(context->lightParameter(2).diffuse[0], 0.75f);
  EXPECT_TRUE(context->isLightInUse(7));
  EXPECT_EQ(context->lightParameter(7).diffuse[0], 0.5f);
  EXPECT_EQ(context->lightParameter(7).type, 3);

  // Popped, the earlier light of the number comes back.
  manager.popLight(second.get());
  EXPECT_TRUE(second->owners_.empty());
  manager.uploadLights();
  EXPECT_EQ(context->lightParameter(2).diffuse[0], 0.25f);

  // A disabled last light clears its in-use byte and keeps the stored record.
  first->enabled_ = false;
  first->param_.diffuse[0] = 0.9f;
  manager.uploadLights();
  EXPECT_FALSE(context->isLightInUse(2));
  EXPECT_EQ(context->lightParameter(2).diffuse[0], 0.25f);

  // An emptied number is cleared at the next upload.
  manager.popLight(first.get());
  manager.popLight(other.get());
  manager.uploadLights();
  EXPECT_FALSE(context->isLightInUse(7));
  EXPECT_TRUE(manager.lights(7).empty());
}

TEST_F(Lights, ADestroyedLightLeavesEveryList) {
  LightManager second;
  auto keep = light(4, 0.1f);
  auto twice = light(4, 0.2f);
  manager.pushLight(twice.get());
  manager.pushLight(keep.get());
  manager.pushLight(twice.get());
  second.pushLight(twice.get());
  ASSERT_EQ(twice->owners_.size(), 3u);
  twice.reset();
  ASSERT_EQ(manager.lights(4).size(), 1u);
  EXPECT_EQ(manager.lights(4)[0], keep.get());
  EXPECT_TRUE(second.lights(4).empty());
  EXPECT_EQ(keep->owners_.size(), 1u);
}

TEST_F(Lights, AManagerThatDiesFirstIsForgottenByItsLights) {
  auto l = light(1, 0.3f);
  {
    LightManager shortLived;
    shortLived.pushLight(l.get());
    shortLived.pushLight(l.get());
    manager.pushLight(l.get());
  }
  ASSERT_EQ(l->owners_.size(), 1u);
  EXPECT_EQ(l->owners_[0], static_cast<rk::gfx::ILightOwner*>(&manager));
  l.reset();  // would pop from the dead manager otherwise
  EXPECT_TRUE(manager.lights(1).empty());
}

TEST_F(Lights, OutOfRangeNumbersAndStrayPopsAreRefused) {
  rktest::ErrorLogCapture log;
  for (int number : {-1, 8, 15}) {
    auto l = light(number, 0.5f);
    manager.pushLight(l.get());
    EXPECT_TRUE(l->owners_.empty()) << number;
    EXPECT_TRUE(manager.lights(number).empty());
    EXPECT_EQ(manager.lastLight(number), nullptr);
  }
  EXPECT_EQ(log.entries("rk::gfx::LightManager::pushLight"), 3u);

  // Popping a light that is not listed changes nothing; a renumbered light is still found.
  auto listed = light(3, 0.5f), stray = light(3, 0.5f);
  manager.pushLight(listed.get());
  manager.popLight(stray.get());
  manager.popLight(nullptr);
  EXPECT_EQ(manager.lights(3).size(), 1u);
  listed->number_ = 6;
  manager.popLight(listed.get());
  EXPECT_TRUE(manager.lights(3).empty());
  EXPECT_TRUE(listed->owners_.empty());
}

// The frame's background list asks the manager to upload: a pushed light
// reaches its record once a frame is drawn, and a destroyed one is cleared.
class LightFrame : public rendertest::RendererRig {};

TEST_F(LightFrame, PushedLightsReachTheRecordsWhenAFrameIsDrawn) {
  buildScene();
  LightManager* lights = LightManager::getInstance();
  lights->lightingState() = {true, 0xFF000000u};
  auto l = std::make_unique<Light>(6);
  l->enabled_ = true;
  l->param_.range = 12.0f;
  lights->pushLight(l.get());
  context->setLightingNo(6, false);
  context->drawFrame();
  EXPECT_TRUE(context->isLightInUse(6));
  EXPECT_EQ(context->lightParameter(6).range, 12.0f);
  l.reset();
  context->drawFrame();
  EXPECT_FALSE(context->isLightInUse(6));
  context->setLightParameter(6, LightParameter{});
  context->setColorState(false, 0xFFFFFFFFu);
}

}  // namespace
