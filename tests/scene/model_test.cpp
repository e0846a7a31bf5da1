// The loaded-model scene model over a stand-in root: the animation command
// queue, the stop switch, the culling box the sync places, sound-effect
// entries, frame points and the release of the root.
#include <string>

#include "audio/rk_audio_context.h"
#include "col/rk_collision_obb.h"
#include "gfx/rk_model.h"
#include "platform/driver/directx_driver/rk_directx12_model.h"
#include "scene/scene_rig.h"
#include "support/math_near.h"

namespace {

using rk::gfx::Model;
using rk::math::Matrix;
using rk::math::Vector4;

// A root that is ready at once and records what the model asks of it.
class FakeRoot : public rk::driver::directx::DxModelRoot12 {
 public:
  FakeRoot(std::string& trace, int* alive) : DxModelRoot12("fake"), trace_(trace), alive_(alive) { ++*alive_; }
  ~FakeRoot() override { --*alive_; }
  bool isReady() override { return true; }
  void changeAnime(int take) override { add("change" + std::to_string(take)); }
  bool shiftAnime(int take, float blend) override {
    add("shift" + std::to_string(take) + "/" + std::to_string(blend).substr(0, 4));
    return true;
  }
  void setPlayAnime(int value) override { add("play" + std::to_string(value)); }
  void setLoopAnime(bool loop) override { add(loop ? "loop" : "once"); }
  bool isEndOfAnime() override { return ended; }
  void updateAnime(float seconds) override { add("anime" + std::to_string(seconds).substr(0, 4)); }
  void setBaseMatrix(const Matrix& m) override { base = m; }
  void setVisible(bool visible) override { add(visible ? "show" : "hide"); }
  bool getFrameMatrix(Matrix& out, const char* frame) override {
    if (frame && std::string(frame) == "muzzle") {
      out = rk::math::matrixTranslation(0, 0, 2);
      return true;
    }
    out = rk::math::matrixIdentity();
    return !frame;
  }

  bool ended = false;
  Matrix base = rk::math::matrixIdentity();

 private:
  void add(const std::string& what) { trace_ += what + " "; }
  std::string& trace_;
  int* alive_;
};

class ModelTest : public scenetest::SceneRig {
 protected:
  void SetUp() override {
    SceneRig::SetUp();
    manager = rk::gfx::ModelManager::createInstance();
    model = manager->createModel();
    root = new FakeRoot(trace, &roots);
    model->setRoot(root);
  }
  void TearDown() override {
    delete model;
    rk::gfx::ModelManager::destroyInstance();
    SceneRig::TearDown();
  }
  std::string take() {
    std::string out;
    out.swap(trace);
    return out;
  }

  rk::gfx::ModelManager* manager = nullptr;
  Model* model = nullptr;
  FakeRoot* root = nullptr;
  std::string trace;
  int roots = 0;
};

TEST_F(ModelTest, NewModelsAreListedInvisibleShellsWithTheDocumentedDefaults) {
  Model* fresh = manager->createModel();
  EXPECT_TRUE(manager->contains(fresh));
  EXPECT_EQ(fresh->getManager(), manager);
  EXPECT_FALSE(fresh->isReady()) << "no root";
  EXPECT_FALSE(fresh->isVisible());
  EXPECT_EQ(fresh->getDrawMode(), 1);
  EXPECT_EQ(fresh->getShadowColor(), 0x40FFFFFFu);
  EXPECT_FALSE(fresh->hasCullingBody());
  EXPECT_EQ(fresh->getModelName(), nullptr);
  Matrix zero{};
  EXPECT_TRUE(rktest::nearMatrix(fresh->getCullingOffset(), zero, 0));
  fresh->draw(0, false);  // nothing to draw and nothing to fail
  delete fresh;
  EXPECT_FALSE(manager->contains(fresh));
}

TEST_F(ModelTest, QueueRunsCommandsUntilOneHasToWait) {
  struct Case {
    const char* what;
    std::function<void(Model*)> fill;
    std::vector<float> steps;
    std::vector<std::string> after;  // the trace after each step
  } cases[] = {
      {"a zero wait lets the change through in the same update",
       [](Model* m) {
         m->pushAnimQueueWait(0.0f);
         m->pushAnimQueueChange(2);
       },
       {0.1f},
       {"change2 "}},
      {"a wait holds the queue until the summed steps reach it",
       [](Model* m) {
         m->pushAnimQueueWait(0.5f);
         m->pushAnimQueueShift(1, 0.5f);
         m->pushAnimQueuePlay(3);
         m->pushAnimQueueLoop(true);
       },
       {0.25f, 0.125f, 0.125f},
       {"", "", "shift1/0.50 play3 loop "}},
      {"the end-of-animation wait holds until the root's take ends",
       [](Model* m) {
         m->pushAnimQueueEndOfWait();
         m->pushAnimQueueChange(4);
       },
       {0.1f, 0.1f},
       {"", "change4 "}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    model->clearAnimQueue();
    root->ended = false;
    c.fill(model);
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
      if (i == 1) root->ended = true;  // the take ends before the second step
      model->updateAnimQueue(c.steps[i]);
      EXPECT_EQ(take(), c.after[i]) << "step " << i;
    }
    EXPECT_FALSE(model->isRunAnimQueue());
  }
}

TEST_F(ModelTest, AStoppedModelKeepsItsPoseWhileItsQueueAndMatrixMove) {
  model->setOffset({0, 1, 0, 0});
  model->setPos({5, 0, 0, 0});
  model->setStopAnime();
  model->pushAnimQueueChange(1);
  manager->update(0.5f);
  EXPECT_EQ(take(), "change1 anime0.00 ");
  EXPECT_FLOAT_EQ(model->getMatrix().m[3][0], 5.0f);
  EXPECT_TRUE(rktest::nearMatrix(root->base, rk::math::matrixTranslation(0, 1, 0), 0));
  model->setRestartAnime();
  manager->update(0.5f);
  EXPECT_EQ(take(), "anime0.50 ");
}

TEST_F(ModelTest, SoundEffectEntriesSoundAtTheModelOrAtItsFrame) {
  rk::audio::AudioContext* audio = rk::audio::AudioContext::getInstance();
  audio->clearEntrySE();
  model->setPos({1, 2, 3, 0});
  model->buildMatrix();
  model->pushAnimQueueSoundEffect("se/step.ogg", nullptr, 80, rk::math::matrixIdentity(), true);
  model->pushAnimQueueSoundEffect("se/shot.ogg", "muzzle", 100, rk::math::matrixTranslation(1, 0, 0), false);
  model->updateAnimQueue(0.0f);
  ASSERT_EQ(audio->entrySE().size(), 2u);
  EXPECT_EQ(audio->entrySE()[0].name, "se/step.ogg");
  EXPECT_TRUE(rktest::nearVector(audio->entrySE()[0].position, Vector4{1, 2, 3, 0}, 0));
  EXPECT_FLOAT_EQ(audio->entrySE()[0].volume, 80.0f);
  EXPECT_EQ(audio->entrySE()[0].flag, 1);
  // The frame point: offset, then the frame (z + 2), then the world.
  EXPECT_TRUE(rktest::nearVector(audio->entrySE()[1].position, Vector4{2, 2, 5, 1}, 1e-6f));
  audio->clearEntrySE();
}

TEST_F(ModelTest, SyncPlacesTheCullingBoxAtTheWorldTimesItsOffset) {
  model->setPos({0, 0, 4, 0});
  model->buildMatrix();
  rk::collision::OBB* box = model->createCullingBody();
  box->setSize({2, 2, 2, 0});
  model->sync();  // an offset still all zero: the box sits at the model
  EXPECT_TRUE(rktest::nearVector(rk::collision::centerOf(*box), Vector4{0, 0, 4, 0}, 0));
  model->setCullingOffset(rk::math::matrixTranslation(0, 3, 0));
  model->sync();
  EXPECT_TRUE(rktest::nearVector(rk::collision::centerOf(*box), Vector4{0, 3, 4, 0}, 0));
  EXPECT_TRUE(model->hasCullingBody());
  EXPECT_NE(model->createCullingBody(), box);  // a new box replaces the old one
  model->releaseCullingBody();
  EXPECT_FALSE(model->hasCullingBody());
}

TEST_F(ModelTest, FramePointsAndVisibilityGoThroughTheRootAndDeletingTheModelDeletesTheRoot) {
  model->setPos({0, 1, 0, 0});
  model->buildMatrix();
  Vector4 out;
  EXPECT_TRUE(model->transformFramePoint(out, {1, 0, 0, 0}, "muzzle", rk::math::matrixIdentity()));
  EXPECT_TRUE(rktest::nearVector(out, Vector4{1, 1, 2, 1}, 1e-6f));
  EXPECT_FALSE(model->transformFramePoint(out, {0, 0, 0, 0}, "tail", rk::math::matrixIdentity()));
  model->setVisible(true);
  EXPECT_EQ(take(), "show ");
  EXPECT_EQ(roots, 1);
  model->setRoot(new FakeRoot(trace, &roots));  // the first root goes
  EXPECT_EQ(roots, 1);
  delete model;
  model = nullptr;
  EXPECT_EQ(take(), "hide ");
  EXPECT_EQ(roots, 0);
}

}  // namespace
