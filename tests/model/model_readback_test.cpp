// The sample ship, loaded through the file manager and its model root's task,
// posed at two animation times and drawn under a camera with the default
// studio settings on the OpenGL back end: read back, its pixels are lit, a box
// in front of it wins the depth test, and its planar shadow darkens the floor
// by exactly its shadow colour, once per pixel.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "model/model_rig.h"

namespace modeltest {
namespace {

using rk::math::Matrix;
using rk::math::Vector4;

struct Rgb {
  int r, g, b;
};
Rgb rgb(std::uint32_t p) { return {int(p & 0xFF), int(p >> 8 & 0xFF), int(p >> 16 & 0xFF)}; }
int brightness(std::uint32_t p) {
  const Rgb c = rgb(p);
  return c.r + c.g + c.b;
}

std::string readText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

constexpr int kImageWidth = 160, kImageHeight = 120;
const Matrix kShipWorld = rk::math::matrixTranslation(0.0f, 1.5f, 0.0f);

class ModelReadBack : public ModelRig {
 protected:
  void SetUp() override {
    ModelRig::SetUp();
    try {
      start(true, kImageWidth, kImageHeight);
    } catch (const HrException& e) {
      GTEST_SKIP() << "no OpenGL device here: " << e.what();
    }
    // The data folder's sample, from its description in data/models.
    describeModel("model/ship/ship.mdl", readText(std::string(RK_SOURCE_DIR) + "/data/models/ship.txt"));
    describeModel("model/floor/floor.mdl", "material 0.8 0.8 0.8 1\nbox 0 10 0.02 10 at 0 -0.02 0\nnode floor mesh 0\n");
    describeModel("model/block/block.mdl", "material 1 0 0 1\nbox 0 0.6 0.6 0.6\nnode block mesh 0\n");
    camera = rk::gfx::CameraManager::getInstance()->createCamera(0);
    camera->setEye({0.0f, 5.0f, -8.0f, 0.0f});
    camera->setAt({0.0f, 0.0f, 0.0f, 0.0f});
    // The shadow plane is the floor (y = 0); the light comes from above and +x.
    rk::gfx::StudioInfo* studio = camera->studioInfo().top();
    studio->createShadowPlane(0);
    studio->shadowPlanes()[0].light = {-1.0f, -1.0f, 0.0f, 0.0f};
  }

  // The pixel a world point lands on under camera 0.
  std::pair<int, int> pixelOf(const Vector4& p) {
    camera->updateMatrices();
    const Matrix vp = rk::math::matrixMultiply(camera->viewMatrix(), camera->projectionMatrix());
    const float x = p.x * vp.m[0][0] + p.y * vp.m[1][0] + p.z * vp.m[2][0] + vp.m[3][0];
    const float y = p.x * vp.m[0][1] + p.y * vp.m[1][1] + p.z * vp.m[2][1] + vp.m[3][1];
    const float w = p.x * vp.m[0][3] + p.y * vp.m[1][3] + p.z * vp.m[2][3] + vp.m[3][3];
    return {int((x / w + 1.0f) * 0.5f * kImageWidth), int((1.0f - y / w) * 0.5f * kImageHeight)};
  }
  std::uint32_t at(const std::vector<std::uint32_t>& pixels, const Vector4& p) {
    const auto [x, y] = pixelOf(p);
    EXPECT_TRUE(x >= 0 && x < kImageWidth && y >= 0 && y < kImageHeight) << x << "," << y;
    return pixels[std::size_t(std::clamp(y, 0, kImageHeight - 1)) * kImageWidth + std::size_t(std::clamp(x, 0, kImageWidth - 1))];
  }

  rk::gfx::Camera* camera = nullptr;
};

TEST_F(ModelReadBack, TheSampleShipDrawsLitDepthTestedAndCastsItsShadowOnce) {
  DxModelRoot12* ship = createRoot("model/ship/ship.mdl");
  DxModelRoot12* floor = createRoot("model/floor/floor.mdl");
  DxModelRoot12* block = createRoot("model/block/block.mdl");
  for (DxModelRoot12* root : {ship, floor, block}) {
    ASSERT_TRUE(loadUntilReady(root)) << root->name();
    root->setVisible(true);
  }
  ASSERT_EQ(ship->getAnimeTakeNum(), 1);
  EXPECT_STREQ(ship->getAnimeNameByNum(0), "bank");
  EXPECT_FLOAT_EQ(ship->getMaxAnimeTime(), 4.0f);

  // The block sits halfway between the eye and the middle of the right wing.
  const Vector4 rightWing{0.93f, 1.5f, -1.2f, 1.0f};
  const Vector4 blockCentre{0.465f, 3.25f, -4.6f, 1.0f};
  auto draw = [&] {
    return drawFrame([&](rk::gfx::Camera&, Directx12ModelDrawContext& ctx) {
      drawModel(ctx, floor, false);
      drawModel(ctx, block, false, rk::math::matrixTranslation(blockCentre.x, blockCentre.y, blockCentre.z));
      drawModel(ctx, ship, false, kShipWorld);  // drawn last, behind the block
      drawModel(ctx, ship, true, kShipWorld);
    });
  };

  // A point on the left wing's upper face, and where each time's bank takes it.
  // Each pose is drawn twice: with the default studio (lit) and with the
  // studio's lighting off (unlit: texture x diffuse + emissive).
  const Vector4 wingPoint{-0.93f, 0.08f, -1.2f, 1.0f};
  rk::gfx::StudioInfo* studio = camera->studioInfo().top();
  std::vector<std::uint32_t> lit[2], unlit[2];
  Vector4 wingAt[2];
  const float times[2] = {0.0f, 1.0f};
  for (int i = 0; i < 2; ++i) {
    ship->setNowAnimeTime(times[i]);
    ship->updateAnime(0.0f);
    ship->applyPose();
    Matrix frame;
    ASSERT_TRUE(ship->getFrameMatrix(frame, "ship"));
    wingAt[i] = rk::math::vec3TransformCoord(wingPoint, rk::math::matrixMultiply(frame, kShipWorld));
    studio->setLightMode(rk::gfx::StudioInfo::kKeepLighting);
    lit[i] = readBackBuffer(draw());
    studio->setLightMode(rk::gfx::StudioInfo::kLightingOff);
    unlit[i] = readBackBuffer(draw());
  }
  // The bank moved the wing: the two poses give different images.
  EXPECT_NE(lit[0], lit[1]);
  EXPECT_GT(std::abs(wingAt[1].y - wingAt[0].y), 0.1f);

  // Lit = unlit x (studio ambient 64/255 + the default directional light's
  // 0.5 x cos 54.7 degrees on an upward face) = unlit x 0.5397.
  const float kUpwardLight = 64.0f / 255.0f + 0.5f * 0.57735026f;
  const std::uint32_t background = 0xFF200000u;  // the clear colour (0, 0, 32/255)
  auto expectLit = [&](std::uint32_t litPixel, std::uint32_t unlitPixel, const char* what) {
    SCOPED_TRACE(what);
    EXPECT_NE(litPixel, background) << std::hex << litPixel;
    EXPECT_GT(brightness(unlitPixel), 60) << std::hex << unlitPixel;  // not black
    const Rgb l = rgb(litPixel), u = rgb(unlitPixel);
    EXPECT_NEAR(l.r, u.r * kUpwardLight, 3) << std::hex << litPixel << " " << unlitPixel;
    EXPECT_NEAR(l.g, u.g * kUpwardLight, 3);
    EXPECT_NEAR(l.b, u.b * kUpwardLight, 3);
  };
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    // The wing: textured blue-grey, lit by the studio ambient and the default
    // directional light.
    const std::uint32_t wing = at(lit[i], wingAt[i]);
    EXPECT_GE(rgb(wing).b, rgb(wing).r) << std::hex << wing;
    if (i == 0) expectLit(wing, at(unlit[i], wingAt[i]), "wing");  // the banked wing no longer faces up

    // The block in front wins over the ship drawn after it: red.
    const Rgb b = rgb(at(lit[i], rightWing));
    EXPECT_GT(b.r, 60);
    EXPECT_LT(b.g, 10);
    EXPECT_LT(b.b, 10);

    // The floor is lit; where the wing's shadow lies (the wing point moved
    // along the light onto y = 0) it is darker by the shadow colour's alpha,
    // blended once although the wing's upper and lower faces both cover it.
    const Vector4 floorPoint{2.5f, 0.0f, 1.0f, 1.0f};
    const std::uint32_t floorLit = at(lit[i], floorPoint);
    expectLit(floorLit, at(unlit[i], floorPoint), "floor");
    for (const auto* pixels : {&lit[i], &unlit[i]}) {
      const std::uint32_t floor = at(*pixels, floorPoint);
      const std::uint32_t shadow = at(*pixels, {wingAt[i].x - wingAt[i].y, 0.0f, wingAt[i].z, 1.0f});
      EXPECT_NEAR(rgb(shadow).g, rgb(floor).g / 2, 3) << std::hex << shadow << " " << floor;
      EXPECT_NEAR(rgb(shadow).r, rgb(floor).r / 2, 3);
      EXPECT_NEAR(rgb(shadow).b, rgb(floor).b / 2, 3);
    }
  }
  EXPECT_TRUE(log.empty()) << log.text();
}

}  // namespace
}  // namespace modeltest
