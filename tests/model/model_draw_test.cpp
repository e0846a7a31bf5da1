// Model roots on the trace device: the node tree's frame queries, hidden
// nodes, the constant pairs and materials of each mesh draw, own studio
// lighting, planar shadow passes, texture-coordinate offsets and the load
// states of the root's task.
#include <gtest/gtest.h>

#include <cfloat>

#include "gfx/rk_model_draw_info.h"
#include "model/model_rig.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_node_unit.h"

namespace modeltest {
namespace {

using rk::driver::directx::directx12::DX12Material;
using rk::driver::directx::directx12::DX12DirectionalLight;
using rk::math::Matrix;

// body (mesh 0) > arm_ (hidden, mesh 1) > hand (mesh 0); body > leg > hand (mesh 1).
constexpr char kRobot[] = R"(
texture skin.tga 4 4 solid FF808080
material 1 0 0 1 texture 0
material 0 1 0 1 specular 0.5 0.5 0.5 1
box 0 1 1 1
box 1 2 2 2
node body mesh 0 translate 0 1 0
node arm_ parent body mesh 1 translate 1 0 0
node hand parent arm_ mesh 0 translate 0 -1 0
node leg parent body translate 0 -2 0
node hand parent leg mesh 1
take wave 10
pos wave body 0 0 1 0
pos wave body 10 0 3 0
)";

class ModelDraw : public ModelRig {
 protected:
  void SetUp() override {
    ModelRig::SetUp();
    start(false);
    describeModel("model/robot/robot.mdl", kRobot);
    camera = rk::gfx::CameraManager::getInstance()->createCamera(0);
  }

  DxModelRoot12* loadRobot() {
    DxModelRoot12* root = createRoot("model/robot/robot.mdl");
    EXPECT_TRUE(loadUntilReady(root));
    root->setVisible(true);
    return root;
  }

  // Draws the root in one camera pass (normal, then shadow when asked) and
  // answers the trace's indexed draws.
  std::vector<gpu::TraceDraw> drawPass(DxModelRoot12* root, bool shadow = false,
                                       rk::gfx::ModelDrawInfo* info = nullptr) {
    trace()->clear();
    drawFrame([&](rk::gfx::Camera&, Directx12ModelDrawContext& ctx) {
      ctx.begin(rk::math::matrixIdentity(), nullptr, shadow, info);
      root->draw(ctx);
      ctx.end();
    });
    std::vector<gpu::TraceDraw> out;
    for (const gpu::TraceDraw& d : trace()->draws)
      if (d.indexed) out.push_back(d);
    return out;
  }

  static Matrix worldOf(const gpu::TraceDraw& d) {
    Matrix m{};
    EXPECT_TRUE(d.constant(0, 0, &m));
    return m;
  }
  static DX12Material materialOf(const gpu::TraceDraw& d) {
    DX12Material m{};
    EXPECT_TRUE(d.constant(2, 0, &m));
    return m;
  }

  rk::gfx::Camera* camera = nullptr;
};

TEST_F(ModelDraw, FrameQueriesSearchPreOrderAndUnknownNamesAnswerNothing) {
  DxModelRoot12* root = loadRobot();
  ASSERT_NE(root->nodeTree(), nullptr);
  EXPECT_EQ(root->nodeTree()->countNodes(), 5u);
  root->setBaseMatrix(rk::math::matrixTranslation(0, 0, 5));

  // The first "hand" in pre-order: body, arm_, hand.
  Matrix m;
  ASSERT_TRUE(root->getFrameMatrix(m, "hand"));
  EXPECT_FLOAT_EQ(m.m[3][0], 1.0f);
  EXPECT_FLOAT_EQ(m.m[3][1], 1.0f + 0.0f - 1.0f);
  EXPECT_FLOAT_EQ(m.m[3][2], 5.0f);

  rk::gfx::Material* material = nullptr;
  ASSERT_TRUE(root->getFrameMaterial(material, nullptr));
  EXPECT_EQ(material, &root->rootMaterial());
  ASSERT_TRUE(root->getFrameMaterial(material, "arm_"));
  EXPECT_EQ(material, &root->nodeTree()->children()[0]->material());
  EXPECT_TRUE(log.empty()) << log.text();

  // Unknown names answer nothing and are reported.
  EXPECT_FALSE(root->getFrameMatrix(m, "tail"));
  EXPECT_FALSE(root->getFrameMaterial(material, "tail"));
  root->offsetFrameUV("tail", 0.5f, 0.5f);
  EXPECT_EQ(log.entries("rk::driver::directx::DxModelRoot12::getFrameMatrix"), 1u);
  EXPECT_EQ(log.entries("rk::driver::directx::DxModelRoot12::getFrameMaterial"), 1u);
  EXPECT_EQ(log.entries("rk::driver::directx::DxModelRoot12::offsetFrameUV"), 1u);

  // Boxes: the union of a node's meshes; inverted for a node without any.
  const auto& body = *root->nodeTree();
  const auto& leg = *body.children()[1];
  EXPECT_FLOAT_EQ(body.boxMin()[0], -0.5f);
  EXPECT_FLOAT_EQ(body.boxMax()[1], 0.5f);
  EXPECT_EQ(leg.boxMin()[0], FLT_MAX);
  EXPECT_EQ(leg.boxMax()[0], -FLT_MAX);
  EXPECT_FALSE(body.children()[0]->isVisible());
  EXPECT_TRUE(body.children()[0]->children()[0]->isVisible());
}

TEST_F(ModelDraw, EachVisibleMeshDrawsWithItsOwnWorldAndMaterialAndHiddenNodesPassTheirMatrixOn) {
  DxModelRoot12* root = loadRobot();
  const std::vector<gpu::TraceDraw> draws = drawPass(root);
  // body, then hand under the hidden arm_, then the hand under leg.
  ASSERT_EQ(draws.size(), 3u);
  const float x[3] = {0, 1, 0}, y[3] = {1, 1 - 1, 1 - 2};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(draws[i].pipeline, "PIPELINE_MODEL_DRAW");
    const Matrix w = worldOf(draws[i]);
    EXPECT_FLOAT_EQ(w.m[3][0], x[i]);
    EXPECT_FLOAT_EQ(w.m[3][1], y[i]);
    EXPECT_EQ(draws[i].count, 36u);
  }
  const DX12Material red = materialOf(draws[0]), green = materialOf(draws[2]);
  EXPECT_EQ(red.diffuse[0], 1.0f);
  EXPECT_EQ(red.untextured, 0);
  EXPECT_NE(draws[0].texture, 0u);
  EXPECT_EQ(green.diffuse[1], 1.0f);
  EXPECT_EQ(green.specular[0], 0.5f);
  EXPECT_EQ(green.emissive[3], 0.0f);
  EXPECT_EQ(green.untextured, 1);  // no texture: the shader samples none
  EXPECT_EQ(green.shadow_pass, 0);
  EXPECT_EQ(green.shadow_color[3], 0.0f);

  // The pool: one pair per mesh draw, reused from the first every frame (each
  // frame in flight has its own context; two frames on, the first is current again).
  drawPass(root);
  EXPECT_EQ(context->modelDrawContext()->poolUsed(), 3u);
  drawPass(root);
  drawPass(root);
  EXPECT_EQ(context->modelDrawContext()->poolUsed(), 3u);
  EXPECT_EQ(context->modelDrawContext()->poolSize(), 3u);
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(ModelDraw, MaterialsOverrideTheMeshColoursInTheirOrder) {
  DxModelRoot12* root = loadRobot();
  auto& body = *root->nodeTree();
  auto& firstHand = *body.children()[0]->children()[0];
  auto& secondHand = *body.children()[1]->children()[0];
  // A valid frame material takes the emissive colour of the first frame of its name.
  firstHand.material().top().emissive = rk::gfx::Color(0.25f, 0, 0, 1);
  secondHand.material().top().valid = true;
  secondHand.material().top().diffuse = rk::gfx::Color(0, 0, 1, 1);
  secondHand.material().top().emissive = rk::gfx::Color(0, 0.5f, 0, 1);
  std::vector<gpu::TraceDraw> draws = drawPass(root);
  ASSERT_EQ(draws.size(), 3u);
  DX12Material m = materialOf(draws[2]);
  EXPECT_EQ(m.diffuse[2], 1.0f);
  EXPECT_EQ(m.emissive[0], 0.25f);
  EXPECT_EQ(m.emissive[1], 0.0f);
  EXPECT_EQ(materialOf(draws[1]).diffuse[0], 1.0f);  // the first hand keeps its mesh colours

  // A valid root material wins over everything.
  root->rootMaterial().top().valid = true;
  root->rootMaterial().top().diffuse = rk::gfx::Color(0.5f, 0.5f, 0.5f, 1);
  draws = drawPass(root);
  for (const gpu::TraceDraw& d : draws) EXPECT_EQ(materialOf(d).diffuse[0], 0.5f);
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(ModelDraw, AModelWithItsOwnStudioLightsItselfAndTheNextDrawsGetThePassBack) {
  DxModelRoot12* root = loadRobot();
  rk::gfx::ModelDrawInfo own;
  own.studio()->setLightMode(rk::gfx::StudioInfo::kOwnLights);
  rk::gfx::LightParameter sun;
  sun.type = 3;
  sun.direction[1] = -2.0f;
  sun.diffuse[0] = 0.75f;
  own.studio()->lights()[0] = sun;

  DX12DirectionalLight lights{};
  std::vector<gpu::TraceDraw> draws = drawPass(root, false, &own);
  ASSERT_EQ(draws.size(), 3u);
  ASSERT_TRUE(draws[0].constant(3, 0, &lights));
  EXPECT_EQ(lights.direction[1], -1.0f);
  EXPECT_EQ(lights.color[0], 0.75f);
  EXPECT_EQ(lights.unlit, 0);

  // Lighting off: the model's draws are unlit.
  own.studio()->setLightMode(rk::gfx::StudioInfo::kLightingOff);
  draws = drawPass(root, false, &own);
  ASSERT_TRUE(draws[0].constant(3, 0, &lights));
  EXPECT_EQ(lights.unlit, 1);

  // The shared draw information keeps the pass's lighting: the default directional light.
  draws = drawPass(root);
  ASSERT_TRUE(draws[0].constant(3, 0, &lights));
  EXPECT_EQ(lights.unlit, 0);
  EXPECT_FLOAT_EQ(lights.direction[0], -0.57735026f);
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(ModelDraw, TheShadowPassFlattensOnTheLowestNumberedPlaneInTheShadowColour) {
  DxModelRoot12* root = loadRobot();
  // Without a plane the pass draws unflattened and says so.
  std::vector<gpu::TraceDraw> draws = drawPass(root, true);
  ASSERT_EQ(draws.size(), 3u);
  EXPECT_GE(log.entries("rk::driver::directx::directx12::DX12ModelNode::darw"), 1u);
  EXPECT_FLOAT_EQ(worldOf(draws[0]).m[3][1], 1.0f);

  rk::gfx::StudioInfo* studio = camera->studioInfo().top();
  studio->createShadowPlane(3);
  studio->createShadowPlane(1);
  studio->shadowPlanes()[3].plane = {0, 1, 0, 10};  // y = -10: not used
  studio->shadowPlanes()[1].plane = {0, 1, 0, 2};   // y = -2
  draws = drawPass(root, true);
  ASSERT_EQ(draws.size(), 3u);
  for (const gpu::TraceDraw& d : draws) {
    EXPECT_EQ(d.pipeline, "PIPELINE_MODEL_SHADOW");
    EXPECT_TRUE(d.stencilTest);
    const DX12Material m = materialOf(d);
    EXPECT_EQ(m.shadow_pass, 1);
    EXPECT_EQ(m.shadow_color[3], 0.5f);
    // Every point lands on the plane y = -2.
    const Matrix w = worldOf(d);
    const float py = 0.5f * w.m[0][1] + 0.5f * w.m[1][1] + 0.5f * w.m[2][1] + w.m[3][1];
    const float pw = 0.5f * w.m[0][3] + 0.5f * w.m[1][3] + 0.5f * w.m[2][3] + w.m[3][3];
    EXPECT_NEAR(py / pw, -2.0f, 1e-4f);
  }
}

TEST_F(ModelDraw, ALoadedModelDrawsAgainAfterTheDeviceIsRebuilt) {
  DxModelRoot12* root = loadRobot();
  ASSERT_EQ(drawPass(root).size(), 3u);
  gpu::injectPresentResult(host::DXGI_ERROR_DEVICE_RESET);
  context->drawFrame();  // lost, released and built again
  ASSERT_NE(context->modelDrawContext(), nullptr);
  const std::vector<gpu::TraceDraw> draws = drawPass(root);
  ASSERT_EQ(draws.size(), 3u);
  EXPECT_NE(draws[0].texture, 0u);  // the texture was set up again from its bytes
  EXPECT_EQ(draws[0].count, 36u);
  EXPECT_EQ(materialOf(draws[0]).diffuse[0], 1.0f);
  EXPECT_EQ(log.entries("rk::driver::directx::directx12::ModelMeshContainer::setupContainer"), 0u);
}

TEST_F(ModelDraw, TextureCoordinateOffsetsStartFromTheFileEveryTime) {
  DxModelRoot12* root = loadRobot();
  auto uvOf = [&](float du, float dv) {
    root->offsetFrameUV("body", du, dv);
    const std::vector<gpu::TraceDraw> draws = drawPass(root);
    return draws.at(0).vertexFloats(0, 24, 2);
  };
  const std::vector<float> file = uvOf(0, 0);
  const std::vector<float> moved = uvOf(0.25f, -0.5f);
  EXPECT_FLOAT_EQ(moved[0], file[0] + 0.25f);
  EXPECT_FLOAT_EQ(moved[1], file[1] - 0.5f);
  const std::vector<float> again = uvOf(0.25f, -0.5f);  // not added twice
  EXPECT_EQ(again, moved);
}

TEST_F(ModelDraw, TheRootIsReadyOnlyOnceItsTexturesAreAndAMissingTextureNeverStopsIt) {
  // A model naming a texture file that does not exist.
  modelfile::ModelFile file;
  file.textures = {"nowhere.tga"};
  file.materials.resize(1);
  file.materials[0].textures[0] = 0;
  file.meshes = {modelfile::box(0, 1, 1, 1)};
  file.root.name = "n";
  file.root.meshes = {0};
  writeModel("model/lost/lost.mdl", file);

  DxModelRoot12* robot = createRoot("model/robot/robot.mdl");
  DxModelRoot12* lost = createRoot("model/lost/lost.mdl");
  EXPECT_EQ(robot->state(), DxModelRoot12::kLoading);
  rk::task::TaskManager* tasks = rk::task::TaskManager::getInstance();
  tasks->update(0.0f);  // the load is asked for
  for (int i = 0; i < 2000 && !robot->resource()->isLoaded(); ++i) {
    rk::fs::FileManager::getInstance()->notify();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  tasks->update(0.0f);  // parsed; the texture has been asked for, not delivered
  EXPECT_EQ(robot->state(), DxModelRoot12::kMeshRead);
  EXPECT_FALSE(robot->isReady());
  ASSERT_TRUE(loadUntilReady(robot));
  ASSERT_TRUE(loadUntilReady(lost));
  EXPECT_EQ(log.entries("rk::gfx::RkTextureManager::loadTexture"), 1u);
  lost->setVisible(true);
  const std::vector<gpu::TraceDraw> draws = drawPass(lost);
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(materialOf(draws[0]).untextured, 1);
}

TEST_F(ModelDraw, AFileWithoutTakesAnswersTheDefaultsOfNoAnimation) {
  describeModel("model/still/still.mdl", "material 1 1 1 1\nbox 0 1 1 1\nnode n mesh 0\n");
  DxModelRoot12* root = createRoot("model/still/still.mdl");
  ASSERT_TRUE(loadUntilReady(root));
  // A file with an empty animation part still has a controller, with no takes.
  EXPECT_EQ(root->getAnimeTakeNum(), 0);
  EXPECT_STREQ(root->getAnimeNameByNum(0), "none");
  EXPECT_FALSE(root->shiftAnime(1, 0.5f));
  int take = 7;
  EXPECT_FALSE(root->getAnimeID(take, "walk"));
  EXPECT_EQ(take, 7);
  EXPECT_EQ(root->getShadowColor(), 0x40FFFFFFu);
  EXPECT_EQ(root->getModelDrawInfo(1), &rk::gfx::ModelDrawInfo::shared());
}

}  // namespace
}  // namespace modeltest

namespace modeltest {
namespace {

using rk::driver::directx::directx12::DX12ModelNodeRoot;
using rk::driver::directx::directx12::DX12NodeUnit;

void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) { std::memcpy(b.data() + at, &v, 4); }

// Damaged node parts: reported, never read past the data (the sanitizer build
// checks), and a tree whose root cannot be read is refused with an error box.
TEST_F(ModelDraw, DamagedNodePartsAreReportedAndNeverReadPastTheData) {
  modelfile::ModelFile file;
  file.materials.resize(1);
  file.meshes = {modelfile::box(0, 1, 1, 1)};
  file.root.name = "root";
  file.root.meshes = {0};
  file.root.children.resize(2);
  file.root.children[0].name = "a";
  file.root.children[1].name = "b";
  const std::vector<std::uint8_t> good = file.bytes();
  const std::size_t node = file.nodeOffset;
  const std::size_t meshCount = node + 16 + 40;  // after the tag, name and transform
  const std::size_t childCount = node + 16 + 48 + 16;
  struct Case {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&)> damage;
    const char* entry;
    int nodes;  // 0: no tree
  };
  const char* const kCreate = "rk::driver::directx::directx12::DX12ModelNode::createNode";
  const Case cases[] = {
      {"huge child count", [&](auto& b) { put32(b, childCount, 0x7FFFFFFF); }, kCreate, 1},
      {"huge mesh count", [&](auto& b) { put32(b, meshCount, 0x40000000); }, kCreate, 1},
      {"mesh index past the meshes", [&](auto& b) { put32(b, meshCount + 4, 9); }, kCreate, 3},
      {"node offset past the data", [&](auto& b) { put32(b, 16, 0x00FFFFFF); }, "rk::res::ResourceReader::seek", 0},
      {"no file tag", [&](auto& b) { b[0] = 'Y'; }, "rk::driver::directx::directx12::DX12ModelNodeRoot::createNode", 0},
      // Two children cannot fit in what is left: the count is refused.
      {"cut inside the first child", [&](auto& b) { b.resize(childCount + 40); }, kCreate, 1},
      {"wrong end tag", [&](auto& b) { b[file.animeOffset - 16] = 'X'; }, kCreate, 3},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    rktest::ErrorLogCapture caseLog;
    boxes.clear();
    std::vector<std::uint8_t> bytes = good;
    c.damage(bytes);
    // Only the file's bytes, through the file manager's loaded resource.
    const std::string name = "model/bad" + std::to_string(n++) + ".mdl";
    std::filesystem::create_directories(data.file("model"));
    ASSERT_TRUE(ddsfile::writeFile(data.file(name), bytes));
    DxModelRoot12* root = createRoot(name);
    for (int i = 0; i < 200 && root->state() != DxModelRoot12::kMeshRead && !root->isReady(); ++i) {
      rk::fs::FileManager::getInstance()->notify();
      rk::task::TaskManager::getInstance()->update(0.0f);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GE(caseLog.entries(c.entry), 1u) << caseLog.text();
    if (c.nodes == 0) {
      EXPECT_EQ(root->nodeTree(), nullptr);
      EXPECT_EQ(boxes.size(), 1u);  // the failed build's error box
    } else {
      ASSERT_NE(root->nodeTree(), nullptr);
      EXPECT_EQ(root->nodeTree()->countNodes(), std::size_t(c.nodes));
    }
    // Drawing and frame queries stay safe whatever was read.
    root->setVisible(true);
    drawPass(root);
    rk::math::Matrix m;
    root->getFrameMatrix(m, "b");
  }
}

}  // namespace
}  // namespace modeltest
