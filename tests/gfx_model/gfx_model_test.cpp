// Gfx models and their command list: links kept on both sides whatever is
// destroyed first, the two passes, visibility, and the billboard runs that
// draw many billboards of one texture as one draw.
#include "gfx/gfx_model_command/rk_gfx_billboard.h"
#include "gfx/gfx_model_command/rk_gfx_model_state.h"
#include "gfx/rk_model.h"
#include "gfx_model_rig.h"

namespace gfxmodeltest {
namespace {

using namespace rk::gfx::gfx_model_command;
using rk::gfx::GfxDeviceContext;
using rk::gfx::GfxModel;
using rk::gfx::GfxModelList;

// Records what each pass shows it.
struct Probe : rk::gfx::GfxModelCommand {
  std::vector<std::string>* log;
  std::string name;
  Probe(GfxModel* owner, std::vector<std::string>* l, std::string n) : GfxModelCommand(owner), log(l), name(n) {}
  void notify(GfxDeviceContext& c) override {
    log->push_back("notify " + name + " " + std::to_string(c.color_.getR()));
    c.color_ = rk::gfx::Color(0.5f, 0.5f, 0.5f, 1.0f);  // must not reach the drawing pass
  }
  void execute(GfxDeviceContext& c, std::int32_t arg) override {
    log->push_back("execute " + name + " " + std::to_string(c.color_.getR()) + " " + std::to_string(arg));
  }
};

std::vector<GfxModelList*> listOf(const GfxModel& m) { return {m.commands().begin(), m.commands().end()}; }

TEST(GfxModelLinks, EachSideUnlinksTheOtherWhateverGoesFirst) {
  std::vector<std::string> log;
  auto model = std::make_unique<GfxModel>();
  auto* a = new Probe(model.get(), &log, "a");
  auto* b = new Probe(model.get(), &log, "b");
  auto* c = new Probe(model.get(), &log, "c");
  EXPECT_EQ(listOf(*model), (std::vector<GfxModelList*>{a, b, c}));
  EXPECT_EQ(b->owner_, model.get());

  delete b;  // from the middle: the order of the others stays
  EXPECT_EQ(listOf(*model), (std::vector<GfxModelList*>{a, c}));
  Probe stranger(nullptr, &log, "s");
  model->removeCommand(&stranger);  // not listed: nothing changes
  EXPECT_EQ(listOf(*model), (std::vector<GfxModelList*>{a, c}));

  model->clearCommands();
  EXPECT_TRUE(model->commands().empty());
  EXPECT_EQ(a->owner_, nullptr);
  delete a;  // a former command touches no model
  EXPECT_TRUE(model->commands().empty());

  auto* d = new Probe(model.get(), &log, "d");
  model.reset();  // the model goes first: its commands survive without an owner
  EXPECT_EQ(c->owner_, nullptr);
  EXPECT_EQ(d->owner_, nullptr);
  d->detach();
  delete c;
  delete d;
}

TEST_F(ModelRig, NotifyRunsOnEveryCommandInItsOwnContextThenExecuteWhileVisible) {
  std::vector<std::string> log;
  Probe a(model.get(), &log, "a"), b(model.get(), &log, "b");
  drawModel();
  EXPECT_EQ(log, (std::vector<std::string>{"notify a 1.000000", "notify b 0.500000", "execute a 1.000000 0",
                                           "execute b 1.000000 0"}));
  log.clear();
  model->setVisible(false);
  drawModel();
  EXPECT_EQ(log, (std::vector<std::string>{"notify a 1.000000", "notify b 0.500000"}));
  EXPECT_TRUE(draws().empty());
}

TEST_F(ModelRig, AModelWithoutCommandsDrawsNothing) {
  drawModel();
  EXPECT_TRUE(draws().empty());
  EXPECT_TRUE(trace()->errors.empty());
}

// In the frame draw the model manager draws a gfx model in the passes of the
// cameras its bits name, again in the shadow pass when a shadow-plane flag is
// set, and never while it is invisible.
TEST_F(ModelRig, TheModelManagerDrawsItInItsCamerasPassesAndTheShadowPass) {
  rk::gfx::ModelManager* manager = rk::gfx::ModelManager::createInstance();
  rk::gfx::CameraManager::getInstance()->createCamera(2);
  std::unique_ptr<GfxModel> made(manager->createGfxModel());
  EXPECT_EQ(made->getManager(), manager);
  EXPECT_TRUE(manager->contains(made.get()));
  EXPECT_TRUE(made->isZWrite());
  EXPECT_EQ(made->zTest(), 1);
  EXPECT_EQ(made->getShadowColor(), 0x80000000u);
  EXPECT_FALSE(made->isShadowCast());
  LineDraw line(made.get());
  line.params().points = {{0, 0, 0, 0}, {1, 1, 0, 0}};

  auto drawsIn = [&](const std::string& list) {
    int n = 0;
    for (const gpu::Command& c : commandsOf(list)) n += as<gpu::cmd::Draw>(c) != nullptr;
    return n;
  };
  auto frame = [&] {
    trace()->clear();
    context->drawFrame();
  };
  frame();
  EXPECT_EQ(drawsIn("command_list_[0]"), 0) << "a new model is invisible";
  made->setVisible(true);
  made->setRenderCameraBit(1 << 2);
  frame();
  EXPECT_EQ(drawsIn("command_list_[0]"), 0);
  EXPECT_EQ(drawsIn("command_list_[2]"), 1);
  ASSERT_EQ(draws().size(), 1u);
  EXPECT_EQ(draws()[0].pipeline, "PIPELINE_DEFAULT2D_LINE");
  made->setShadowPlane(true);
  frame();
  EXPECT_EQ(drawsIn("command_list_[2]"), 2);
  made->setShadowPlaneOnly(true);
  frame();
  EXPECT_EQ(drawsIn("command_list_[2]"), 1);

  made.reset();  // leaves the draw order; the command survives without an owner
  EXPECT_TRUE(manager->models().empty());
  EXPECT_EQ(line.owner_, nullptr);
  rk::gfx::ModelManager::destroyInstance();
}

// Billboards: one draw per run of one texture, however many billboards or
// chips the run holds; other commands and other textures end a run.
class Billboards : public ModelRig {
 protected:
  void SetUp() override {
    ModelRig::SetUp();
    first = loadedTexture("first.dds", 1);
    second = loadedTexture("second.dds", 2);
  }
  BillBoard* billboard(rk::gfx::RkTexture* texture, int chips = 1) {
    auto* b = new BillBoard(model.get());
    b->setTexture(texture);
    for (int i = 0; i < chips; ++i) {
      BillboardChip* chip = b->createBillboardChip();
      chip->setWidthHeight(1, 1);
      chip->setUV(0, 0, 1, 1);
      chip->position = {float(i % 7), float(i % 5), 0, 0};
      chip->visible = true;
    }
    owned.emplace_back(b);
    return b;
  }
  void TearDown() override {
    owned.clear();
    ModelRig::TearDown();
  }
  rk::gfx::RkTexture *first = nullptr, *second = nullptr;
  std::vector<std::unique_ptr<GfxModelList>> owned;
};

TEST_F(Billboards, TwoThousandBillboardsOfOneTextureAreOneDraw) {
  for (int i = 0; i < 2000; ++i) billboard(first);
  drawModel();
  ASSERT_EQ(draws().size(), 1u);
  const gpu::TraceDraw& d = draws()[0];
  EXPECT_EQ(d.pipeline, "PIPELINE_TRIANGLE_COLOR_UV");
  EXPECT_EQ(d.topology, gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
  EXPECT_TRUE(d.indexed);
  EXPECT_EQ(d.count, 12000u);
  EXPECT_EQ(d.vertices.size() / d.vertexStride, 8000u);
  EXPECT_EQ(d.texture, idOf(first));
  EXPECT_EQ(d.indices[6], 4u);  // the second quad's indices follow its own vertices
  EXPECT_EQ(d.indices[11999], 7998u);
  EXPECT_TRUE(trace()->errors.empty());
}

TEST_F(Billboards, RunsEndAtAnotherTextureAnotherCommandOrTheIndexLimit) {
  struct Case {
    const char* name;
    std::function<void()> build;
    std::vector<std::pair<rk::gfx::RkTexture*, std::uint32_t>> draws;  // texture, index count
  };
  const Case cases[] = {
      {"textures A A B A", [&] { billboard(first), billboard(first), billboard(second), billboard(first); },
       {{first, 12}, {second, 6}, {first, 6}}},
      {"a colour command between two billboards",
       [&] {
         billboard(first);
         owned.emplace_back(new SetColor(model.get()));
         billboard(first);
       },
       {{first, 6}, {first, 6}}},
      {"12000 chips: the 16-bit counts split the run", [&] { billboard(first, 12000); },
       {{first, 65532}, {first, 6468}}},
      {"no texture, a texture never loaded, only hidden chips: nothing",
       [&] {
         billboard(nullptr);
         billboard(rk::gfx::RkTextureManager::getInstance()->createTexture("missing.dds"));
         billboard(first)->chips()[0]->visible = false;
       },
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    owned.clear();
    c.build();
    drawModel();
    ASSERT_EQ(draws().size(), c.draws.size());
    for (std::size_t i = 0; i < c.draws.size(); ++i) {
      EXPECT_EQ(draws()[i].texture, idOf(c.draws[i].first)) << i;
      EXPECT_EQ(draws()[i].count, c.draws[i].second) << i;
    }
  }
}

// A chip's quad lies in the camera's view plane, centred on the chip's own
// position, whatever the model's transformation.
TEST_F(Billboards, ChipsFaceTheCameraAtTheirOwnPositions) {
  camera->setEye({6, 3, -8, 0});
  camera->updateMatrices();
  auto* transform = new GfxTransformation(model.get());
  owned.emplace_back(transform);
  transform->transform().setPos({100, 0, 0, 0});
  BillBoard* b = billboard(first, 2);
  b->chips()[1]->position = {2, -1, 3, 0};
  b->chips()[1]->setWidthHeight(4, 2);
  drawModel();
  ASSERT_EQ(draws().size(), 1u);
  const rk::math::Vector4 sight = rk::math::vec3Normalize(camera->at().minus(camera->eye()));
  for (int chip = 0; chip < 2; ++chip) {
    const rk::math::Vector4 at = b->chips()[chip]->position;
    rk::math::Vector4 centre{};
    for (std::uint32_t i = 0; i < 4; ++i) {
      const std::vector<float> p = positionOf(draws()[0], 4 * chip + i);
      const rk::math::Vector4 offset{p[0] - at.x, p[1] - at.y, p[2] - at.z, 0};
      EXPECT_NEAR(rk::math::vec3Dot(offset, sight), 0.0f, 1e-4f) << chip << i;
      centre.addAssign(offset);
    }
    EXPECT_NEAR(rk::math::vec3Length(centre), 0.0f, 1e-4f) << chip;
  }
  rk::math::Matrix world;
  ASSERT_TRUE(draws()[0].constant(0, 0, &world));
  EXPECT_EQ(world.m[3][0], 0.0f) << "billboards draw with the identity world matrix";
}

}  // namespace
}  // namespace gfxmodeltest
