// The frame draw's model passes with loaded models: three boxes on cameras 0
// and 1 with different masks and priorities, one of them casting a plane
// shadow, and a fourth whose culling box lies behind the camera. The trace
// shows each camera's two passes in priority order and no culled draw; read
// back from the OpenGL back end, camera 0's image shows the boxes it draws and
// nothing where the others stand.
#include "col/rk_collision_obb.h"
#include "gfx/rk_model.h"
#include "model/model_rig.h"

namespace {

using rk::gfx::Model;
using rk::math::Vector4;

constexpr int kWidth = 160, kHeight = 120;

class SceneDraw : public modeltest::ModelRig {
 protected:
  void TearDown() override {
    for (Model* m : {red, green, blue, culled}) delete m;
    if (rk::gfx::ModelManager::findInstance()) rk::gfx::ModelManager::destroyInstance();
    ModelRig::TearDown();
  }

  // Boxes 1 unit wide in four colours, placed along x in front of camera 0.
  void buildModels() {
    manager = rk::gfx::ModelManager::createInstance();
    const char* colours[4][2] = {{"red", "1 0 0 1"}, {"green", "0 1 0 1"}, {"blue", "0 0 1 1"}, {"yellow", "1 1 0 1"}};
    for (auto& c : colours)
      describeModel(std::string("model/") + c[0] + ".mdl",
                    std::string("material ") + c[1] + "\nbox 0 1 1 1\nnode box mesh 0\n");
    camera0 = rk::gfx::CameraManager::getInstance()->createCamera(0);
    camera0->setEye({0, 0, -8, 0});
    camera0->setAspect(float(kWidth) / kHeight);
    camera1 = rk::gfx::CameraManager::getInstance()->createCamera(1);
    camera1->setEye({0, 0, -8, 0});
    camera1->setViewport({120, 90, 40, 30, 0.0f, 1.0f});  // a corner of its own
    // Priorities 5, 1, 5 in the order red, green, blue: drawn green, red, blue.
    red = make("red", 5, 1 << 0, {-2, 0, 0, 0});
    green = make("green", 1, 1 << 0 | 1 << 1, {0, 0, 0, 0});
    blue = make("blue", 5, 1 << 1, {0, 2, 0, 0});
    culled = make("yellow", 5, 1 << 0, {2, 0, 0, 0});
    culled->createCullingBody();
    culled->setCullingOffset(rk::math::matrixTranslation(0, 0, -50));  // behind the eye
    green->setShadowPlane(true);
    green->setShadow(true);
    camera0->studioInfo().top()->createShadowPlane(0);
    camera0->studioInfo().top()->shadowPlanes()[0].plane = {0, 1, 0, 1};  // the floor y = -1
    camera1->studioInfo().top()->createShadowPlane(0);
  }
  Model* make(const char* colour, int priority, int bits, const Vector4& at) {
    Model* m = manager->createModel();
    m->load((std::string("model/") + colour + ".mdl").c_str());
    m->setRenderPriority(priority);
    m->setRenderCameraBit(bits);
    m->setPos(at);
    m->setVisible(true);
    return m;
  }
  bool loadAll() {
    for (Model* m : {red, green, blue, culled})
      if (!loadUntilReady(m->getRoot())) return false;
    for (Model* m : {red, green, blue, culled}) m->setVisible(true);  // the roots too
    return true;
  }
  // One frame: the model update and sync, then the frame draw.
  unsigned frame() {
    manager->update(1.0f / 60.0f);
    manager->sync();
    const unsigned index = context->currentFrame();
    context->drawFrame();
    return index;
  }

  rk::gfx::ModelManager* manager = nullptr;
  rk::gfx::Camera* camera0 = nullptr;
  rk::gfx::Camera* camera1 = nullptr;
  Model* red = nullptr;
  Model* green = nullptr;
  Model* blue = nullptr;
  Model* culled = nullptr;
};

TEST_F(SceneDraw, EachCameraDrawsItsModelsInPriorityOrderThenThePlaneShadowsAndSkipsTheCulled) {
  start(false, kWidth, kHeight);
  buildModels();
  ASSERT_TRUE(loadAll());
  trace()->clear();
  frame();

  // Each model draw is one indexed draw; the material's diffuse names the box.
  std::vector<std::string> drawn;
  for (const host::gpu::TraceDraw& d : trace()->draws) {
    if (!d.indexed) continue;
    const std::string cameraName = d.viewport.width == 40.0f ? "1" : "0";
    if (d.pipeline == "PIPELINE_MODEL_SHADOW") {
      drawn.push_back(cameraName + ":shadow");
      continue;
    }
    float rgb[3] = {};
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(d.constant(2, i * sizeof(float), &rgb[i]));
    const char* name = rgb[0] == 1 && rgb[1] == 1 ? "yellow" : rgb[0] == 1 ? "red" : rgb[1] == 1 ? "green" : "blue";
    drawn.push_back(cameraName + ":" + name);
  }
  EXPECT_EQ(drawn, (std::vector<std::string>{"0:green", "0:red", "0:shadow", "1:green", "1:blue", "1:shadow"}));

  // Moving the culling box back in front of the camera brings the yellow box back.
  culled->setCullingOffset(rk::math::matrixIdentity());
  trace()->clear();
  frame();
  int yellow = 0;
  for (const host::gpu::TraceDraw& d : trace()->draws) {
    float rg[2] = {};
    if (d.indexed && d.constant(2, 0, &rg[0]) && d.constant(2, 4, &rg[1]) && rg[0] == 1 && rg[1] == 1) ++yellow;
  }
  EXPECT_EQ(yellow, 1);
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(SceneDraw, ReadBackOfCameraZeroShowsTheBoxesItDraws) {
  try {
    start(true, kWidth, kHeight);
  } catch (const HrException& e) {
    GTEST_SKIP() << "no OpenGL device here: " << e.what();
  }
  buildModels();
  green->setShadowPlane(false);
  ASSERT_TRUE(loadAll());
  const std::vector<std::uint32_t> pixels = readBackBuffer(frame());

  auto pixelAt = [&](const Vector4& p) {
    Vector4 screen;
    EXPECT_TRUE(camera0->projectToScreen(p, screen));
    return pixels[std::size_t(screen.y) * kWidth + std::size_t(screen.x)];
  };
  auto channels = [](std::uint32_t p) { return std::array<int, 3>{int(p & 0xFF), int(p >> 8 & 0xFF), int(p >> 16 & 0xFF)}; };
  const auto r = channels(pixelAt({-2, 0, -0.5f, 0}));
  const auto g = channels(pixelAt({0, 0, -0.5f, 0}));
  EXPECT_GT(r[0], 40);
  EXPECT_LT(r[1] + r[2], 10);
  EXPECT_GT(g[1], 40);
  EXPECT_LT(g[0] + g[2], 10);
  // The blue box belongs to camera 1 and the yellow one is culled: background.
  const std::uint32_t background = 0xFF200000u;
  EXPECT_EQ(pixelAt({0, 2, -0.5f, 0}), background);
  EXPECT_EQ(pixelAt({2, 0, -0.5f, 0}), background);
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(SceneDraw, ASphereModelDrawsItsMarkerOfItsRadiusAtItsPlaceInCameraZeroOnly) {
  start(false, kWidth, kHeight);
  manager = rk::gfx::ModelManager::createInstance();
  rk::gfx::CameraManager::getInstance()->createCamera(0);
  rk::gfx::CameraManager::getInstance()->createCamera(1)->setViewport({120, 90, 40, 30, 0.0f, 1.0f});
  rk::gfx::SphereModel sphere;  // drawn from its creation, invisible or not
  sphere.setRadius(2.5f);
  sphere.setPos({1, 2, 0, 0});
  manager->addModel(&sphere);
  trace()->clear();
  frame();
  std::vector<const host::gpu::TraceDraw*> lines;
  for (const host::gpu::TraceDraw& d : trace()->draws)
    if (d.topology == host::gpu::D3D_PRIMITIVE_TOPOLOGY_LINELIST) lines.push_back(&d);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0]->viewport.width, float(kWidth));
  EXPECT_EQ(lines[0]->count, 48u);  // three circles of eight segments
  EXPECT_EQ(lines[0]->vertexFloats(0, 0, 3), (std::vector<float>{0, 2.5f, 0}));
  float translation[3] = {};
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(lines[0]->constant(0, (12 + i) * sizeof(float), &translation[i]));
  EXPECT_EQ(translation[0], 1.0f);
  EXPECT_EQ(translation[1], 2.0f);
  manager->removeModel(&sphere);
  EXPECT_TRUE(log.empty()) << log.text();
}

}  // namespace
