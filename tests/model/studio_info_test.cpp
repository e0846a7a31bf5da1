// Studio information: copies, light enables, shadow planes and their
// matrices, and reflect, backup and release through the device context's
// ambient state and light records.
#include <gtest/gtest.h>

#include "gfx/rk_model_draw_info.h"
#include "gfx/rk_studio_info.h"
#include "kernel/rk_device_context.h"
#include "support/error_log_capture.h"

namespace {

using rk::gfx::Color;
using rk::gfx::LightParameter;
using rk::gfx::StudioInfo;

class StudioInfoTest : public ::testing::Test {
 protected:
  void SetUp() override { saved_.backup(); }
  void TearDown() override { saved_.release(); }
  rk::DeviceContext* context = rk::DeviceContext::getInstance();
  rktest::ErrorLogCapture log;

 private:
  StudioInfo saved_;  // the device context's lighting as the test found it
};

LightParameter light(int type, float r) {
  LightParameter p;
  p.type = type;
  p.diffuse[0] = r;
  return p;
}

TEST_F(StudioInfoTest, ACopyTakesTheLightingButNeitherPlanesNorBackups) {
  StudioInfo studio;
  EXPECT_EQ(studio.lightMode(), StudioInfo::kKeepLighting);
  studio.setLightMode(StudioInfo::kOwnLights);
  studio.setAmbientColor(Color(0.5f, 0.25f, 0, 1));
  studio.setLightEnable(2, true);
  studio.lights()[2].diffuse[1] = 0.5f;
  studio.setLightEnable(2, true);  // present: kept as it is
  studio.setLightEnable(4, true);
  studio.setLightEnable(4, false);
  studio.spotLight().valid = true;
  studio.createShadowPlane(1);
  studio.backup();

  const StudioInfo copy(studio);
  EXPECT_EQ(copy.lightMode(), StudioInfo::kOwnLights);
  EXPECT_FLOAT_EQ(copy.ambientColor().getG(), 0.25f);
  ASSERT_EQ(copy.lights().size(), 1u);
  EXPECT_EQ(copy.lights().at(2).diffuse[1], 0.5f);
  EXPECT_TRUE(copy.spotLight().valid);
  EXPECT_TRUE(copy.shadowPlanes().empty());
  EXPECT_EQ(copy.backupDepth(), 0u);

  // A model's draw information copies its studio the same way.
  rk::gfx::ModelDrawInfo info;
  EXPECT_EQ(info.kind(), 2);
  info.studio()->setLightMode(StudioInfo::kLightingOff);
  std::unique_ptr<rk::gfx::SceneParameter> clone(info.clone());
  ASSERT_NE(clone->studio(), nullptr);
  EXPECT_NE(clone->studio(), info.studio());
  EXPECT_EQ(clone->studio()->lightMode(), StudioInfo::kLightingOff);
  studio.release();
}

TEST_F(StudioInfoTest, ShadowPlanesAreListedInOrderAndFlattenAlongTheirLight) {
  StudioInfo studio;
  for (int n : {5, 1, 3, 1}) studio.createShadowPlane(n);
  std::vector<int> numbers{9};
  studio.listShadowPlanes(numbers);
  EXPECT_EQ(numbers, (std::vector<int>{9, 1, 3, 5}));
  const rk::gfx::ShadowPlane& fresh = studio.shadowPlanes().at(1);
  EXPECT_FALSE(fresh.valid);
  EXPECT_EQ(fresh.matrix.m[0][0], 1.0f);  // identity until computed

  // The plane y = 0 lit from above and +x: (x, y, z) lands on (x - y, 0, z).
  studio.shadowPlanes()[1].light = {-1.0f, -1.0f, 0.0f, 0.0f};
  studio.updateShadowMatrices();
  const rk::math::Matrix& m = studio.shadowPlanes().at(1).matrix;
  const rk::math::Vector4 p = rk::math::vec3TransformCoord({2.0f, 3.0f, 4.0f, 1.0f}, m);
  EXPECT_NEAR(p.x, -1.0f, 1e-5f);
  EXPECT_NEAR(p.y, 0.0f, 1e-5f);
  EXPECT_NEAR(p.z, 4.0f, 1e-5f);
}

TEST_F(StudioInfoTest, ReflectLoadsTheStudioAndReleaseRestoresWhatBackupSaved) {
  context->setColorStateRGBA(false, Color(0.1f, 0.2f, 0.3f, 1));
  context->setLightingNo(3, true);
  context->setLightParameter(3, light(1, 0.9f));

  StudioInfo studio;
  studio.backup();
  // Mode 2 keeps the current lighting.
  studio.reflect();
  EXPECT_FALSE(context->isUseColor());
  EXPECT_TRUE(context->isLightInUse(3));

  // Mode 1: ambient on, its colour cut to multiples of 1/255, its lights only.
  studio.setLightMode(StudioInfo::kOwnLights);
  studio.setAmbientColor(Color(0.5f, 1.0f, 0.0f, 1));
  studio.lights()[0] = light(3, 0.25f);
  studio.reflect();
  EXPECT_TRUE(context->isUseColor());
  EXPECT_FLOAT_EQ(context->colorState().getR(), 127.0f / 255.0f);
  EXPECT_TRUE(context->isLightInUse(0));
  EXPECT_FALSE(context->isLightInUse(3));
  EXPECT_EQ(context->lightParameter(0).diffuse[0], 0.25f);

  // Mode 0: ambient off and black.
  studio.setLightMode(StudioInfo::kLightingOff);
  studio.reflect();
  EXPECT_FALSE(context->isUseColor());
  EXPECT_EQ(context->colorState().getA(), 0.0f);

  studio.release();
  EXPECT_FALSE(context->isUseColor());
  EXPECT_FLOAT_EQ(context->colorState().getG(), 0.2f);
  EXPECT_TRUE(context->isLightInUse(3));
  EXPECT_FALSE(context->isLightInUse(0));
  EXPECT_EQ(context->lightParameter(3).diffuse[0], 0.9f);
  EXPECT_EQ(context->lightParameter(0).type, 0);  // absent numbers get a zero record
  EXPECT_EQ(studio.backupDepth(), 0u);
  studio.release();  // nothing left: nothing happens
  context->setLightingNo(3, false);
  EXPECT_TRUE(log.empty()) << log.text();
}

}  // namespace
