// Effects on a model's frames: started where the frame is, moved with it by
// the sync, dropped when they end, shown and hidden with the model, queued so
// that one plays after the other, and refused (reported) without a frame or a
// unit.
#include "effect/effect_rig.h"
#include "gfx/rk_model.h"
#include "platform/driver/directx_driver/rk_directx12_model.h"

namespace {

using rk::gfx::Model;
using rk::math::Matrix;

// A ready root with one frame, "muzzle", 2 units ahead of the model.
class MuzzleRoot : public rk::driver::directx::DxModelRoot12 {
 public:
  MuzzleRoot() : DxModelRoot12("muzzle") {}
  bool isReady() override { return true; }
  bool getFrameMatrix(Matrix& out, const char* frame) override {
    out = frame && std::string(frame) == "muzzle" ? rk::math::matrixTranslation(0, 0, 2) : rk::math::matrixIdentity();
    return !frame || std::string(frame) == "muzzle";
  }
};

class ModelEffects : public effecttest::EffectRig {
 protected:
  void SetUp() override {
    EffectRig::SetUp();
    cameras();
    manager = rk::gfx::ModelManager::createInstance();
    writeEffectFile("effect/spark", effecttest::effectBytes(30.0f));
    unit = system->createEffectUnit(0, 10, 0, 0, 0, 8);
    ASSERT_TRUE(unit->loadEffect("effect/spark"));
    ASSERT_TRUE(waitSetup(unit));
    model = manager->createModel();
    model->setRoot(new MuzzleRoot);
    model->setVisible(true);
    model->setPos({1, 0, 0, 0});
    model->buildMatrix();
  }
  void TearDown() override {
    delete model;
    release(unit);
    rk::gfx::ModelManager::destroyInstance();
    EffectRig::TearDown();
  }
  // The translation row of an attached effect's instance.
  std::array<float, 3> placeOf(const Model::FrameEffect& e) {
    float m[4][3] = {};
    EXPECT_TRUE(unit->manager().matrix(e.handle->instance(), m));
    return {m[3][0], m[3][1], m[3][2]};
  }
  void frames(int count) {
    for (int i = 0; i < count; ++i) {
      unit->update(1.0f / 60.0f);
      model->sync();
    }
  }

  rk::gfx::ModelManager* manager = nullptr;
  rk::effect::EffectUnit* unit = nullptr;
  Model* model = nullptr;
};

TEST_F(ModelEffects, AnEffectFollowsItsFrameUntilItEnds) {
  ASSERT_TRUE(model->attachFrameEffect(0, "muzzle", "effect/spark", nullptr, rk::math::matrixTranslation(0, 1, 0),
                                       false, 0, 0));
  ASSERT_EQ(model->frameEffects().size(), 1u);
  const Model::FrameEffect& e = model->frameEffects()[0];
  EXPECT_EQ(placeOf(e), (std::array<float, 3>{1, 1, 2}));  // offset, then the frame, then the model
  EXPECT_TRUE(unit->manager().isShown(e.handle->instance()));

  model->setPos({5, 0, 0, 0});
  model->buildMatrix();
  model->sync();
  EXPECT_EQ(placeOf(model->frameEffects()[0]), (std::array<float, 3>{5, 1, 2}));
  model->setVisible(false);
  EXPECT_FALSE(unit->manager().isShown(model->frameEffects()[0].handle->instance()));

  frames(40);  // its 30 frames are over: the sync drops it
  EXPECT_TRUE(model->frameEffects().empty());
  EXPECT_EQ(unit->count(), 1) << "the dropped handle gave its unit back";
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(ModelEffects, QueuedEffectsOnOneFramePlayOneAfterTheOther) {
  ASSERT_TRUE(model->attachFrameQueueEffect(0, "muzzle", "effect/spark", nullptr, rk::math::matrixIdentity(), 0.0f, 0, 0));
  ASSERT_TRUE(model->attachFrameQueueEffect(0, "muzzle", "effect/spark", nullptr, rk::math::matrixIdentity(), 0.0f, 0, 0));
  EXPECT_TRUE(model->isAliveEffectQueue("muzzle"));
  EXPECT_FALSE(model->isAliveEffectQueue("tail"));
  model->sync();
  ASSERT_EQ(model->frameEffects().size(), 1u);
  const int first = model->frameEffects()[0].handle->instance();
  frames(10);
  ASSERT_EQ(model->frameEffects().size(), 1u);
  EXPECT_EQ(model->frameEffects()[0].handle->instance(), first) << "the second waits for the frame";
  frames(30);
  ASSERT_EQ(model->frameEffects().size(), 1u);
  EXPECT_NE(model->frameEffects()[0].handle->instance(), first);
  EXPECT_FALSE(model->isAliveEffectQueue("muzzle"));
}

TEST_F(ModelEffects, AMissingFrameOrUnitIsReportedAndAttachesNothing) {
  EXPECT_FALSE(model->attachFrameEffect(0, "tail", "effect/spark", nullptr, rk::math::matrixIdentity(), false, 0, 0));
  EXPECT_FALSE(model->attachFrameEffect(7, "muzzle", "effect/spark", nullptr, rk::math::matrixIdentity(), false, 0, 0));
  EXPECT_EQ(log.entries("rk::gfx::Model::attachFrameEffect"), 2u);
  EXPECT_FALSE(model->attachFrameQueueEffect(0, nullptr, "effect/spark", nullptr, rk::math::matrixIdentity(), 0, 0, 0));
  EXPECT_EQ(log.entries("rk::gfx::Model::attachFrameQueueEffect"), 1u);
  EXPECT_FALSE(model->attachFrameQueueEffect(0, "tail", "effect/spark", nullptr, rk::math::matrixIdentity(), 0, 0, 0));
  EXPECT_TRUE(model->frameEffects().empty());
  EXPECT_FALSE(model->isAliveEffectQueue("tail"));
}

}  // namespace
