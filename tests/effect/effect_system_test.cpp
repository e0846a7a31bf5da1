// The effect system: units per camera number, loading effects through the
// file manager, playing, advancing with the frame, per-camera drawing and
// device loss.
#include <gtest/gtest.h>

#include "effect_rig.h"

namespace {

using effecttest::EffectRig;
using effecttest::effectBytes;
using rk::effect::EffectHandle;
using rk::effect::EffectUnit;
using rk::math::Vector4;

const Vector4 kOrigin{0, 0, 0, 0};
const Vector4 kOne{1, 1, 1, 0};

class EffectSystem : public EffectRig {};

TEST_F(EffectSystem, OneUnitPerCameraNumberMadeOnceWithItsCameraAndFiledUntilItsLastRelease) {
  cameras();
  EffectUnit* unit = system->createEffectUnit(5, 40, 1, 2, 3, 2);
  ASSERT_NE(unit, nullptr);
  EXPECT_NE(rk::gfx::CameraManager::getInstance()->getCamera(5), nullptr) << "the unit makes its camera";
  EXPECT_EQ(unit->cameraNumber(), 5);
  EXPECT_EQ(unit->priority(), 40);
  EXPECT_EQ(unit->name(), "EffectUnit");
  EXPECT_TRUE(unit->isActive());
  EffectUnit* again = system->createEffectUnit(5, 99, 0, 0, 0, 50);
  EXPECT_EQ(again, unit);
  EXPECT_EQ(unit->priority(), 40);
  EXPECT_EQ(unit->manager().maxInstances(), 2) << "a second call's arguments are ignored";
  EXPECT_EQ(unit->count(), 2);
  EffectUnit* found = system->getEffectUnit(5);
  EXPECT_EQ(found, unit);
  EXPECT_EQ(system->getEffectUnit(6), nullptr);
  EXPECT_EQ(system->getEffectUnit(-5), nullptr);

  release(found);
  release(again);
  EXPECT_EQ(system->unitCount(), 1u);
  release(unit);
  EXPECT_EQ(system->unitCount(), 0u);
  EXPECT_EQ(system->getEffectUnit(5), nullptr);
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(EffectSystem, ReleasingAUnitTheSystemNoLongerFilesIsReportedAndThrows) {
  cameras();
  EffectUnit* alone = system->createEffectUnit(1, 10, 0, 0, 0, 4);
  EffectUnit* held = system->createEffectUnit(2, 10, 0, 0, 0, 4);
  auto* handle = new EffectHandle(held, "effect/a");
  handle->addRef();
  rk::effect::EffectSystem::destroyInstance();
  system = rk::effect::EffectSystem::createInstance();
  EXPECT_THROW(release(alone), HrException);
  EXPECT_EQ(log.entries("rk::effect::EffectSystem::removeEffectUnit"), 1u);
  release(held);  // the handle still holds it
  // The handle's end releases the unit last, without throwing out of its destructor.
  EXPECT_NO_THROW(release(handle));
  EXPECT_EQ(log.entries("rk::effect::EffectSystem::removeEffectUnit"), 2u);
  // The units are left to the task manager, which deletes them at the end.
}

TEST_F(EffectSystem, LoadsCountAndRemovesBalanceThem) {
  cameras();
  writeEffectFile("effect/a", effectBytes());
  EffectUnit* unit = system->createEffectUnit(0, 10, 0, 0, 0, 8);
  EXPECT_TRUE(unit->isSetupAll()) << "an empty unit is set up";
  ASSERT_TRUE(unit->loadEffect("effect/a"));
  EXPECT_TRUE(unit->loadEffect("effect/a"));
  EXPECT_EQ(unit->loadCount("effect/a"), 2);
  EXPECT_EQ(unit->effectCount(), 1u);
  ASSERT_TRUE(waitSetup(unit));
  EXPECT_TRUE(unit->setupEffect("effect/a"));

  unit->removeEffect("effect/a");
  EXPECT_EQ(unit->loadCount("effect/a"), 1);
  EXPECT_GE(unit->play("effect/a", kOrigin, kOrigin, kOne), 0);
  unit->removeEffect("effect/a");
  EXPECT_EQ(unit->effectCount(), 0u);
  EXPECT_EQ(unit->play("effect/a", kOrigin, kOrigin, kOne), -1);
  unit->removeEffect("effect/a");  // unknown names change nothing
  EXPECT_FALSE(unit->setupEffect("effect/unknown"));
  EXPECT_EQ(log.entries("rk::effect::EffectUnit::setup"), 1u);
  release(unit);
}

TEST_F(EffectSystem, AMissingOrDamagedFileIsLoggedAndPlaysNothingWhileScriptsGoOn) {
  cameras();
  std::string damaged = effectBytes();
  damaged[40] ^= 0x10;
  writeEffectFile("effect/damaged", damaged);
  writeEffectFile("effect/short", effectBytes().substr(0, 30));
  EffectUnit* unit = system->createEffectUnit(0, 10, 0, 0, 0, 8);

  EXPECT_FALSE(unit->loadEffect("effect/missing"));
  EXPECT_EQ(unit->effectCount(), 0u);
  EXPECT_EQ(log.entries("rk::effect::EffectMaster::load"), 1u);
  EXPECT_EQ(unit->play("effect/missing", kOrigin, kOrigin, kOne), -1);

  ASSERT_TRUE(unit->loadEffect("effect/damaged"));
  ASSERT_TRUE(unit->loadEffect("effect/short"));
  EXPECT_TRUE(waitSetup(unit)) << "a damaged file does not keep the unit waiting";
  EXPECT_EQ(log.entries("rk::effect::EffectMaster::setup"), 2u);
  EXPECT_NE(log.text().find("checksum"), std::string::npos);
  EXPECT_EQ(unit->play("effect/damaged", kOrigin, kOrigin, kOne), -1);
  EXPECT_EQ(unit->play("effect/short", kOrigin, kOrigin, kOne), -1);
  unit->setupAll();
  EXPECT_EQ(log.entries("rk::effect::EffectMaster::setup"), 2u) << "reported once";
  release(unit);
}

TEST_F(EffectSystem, PlayedEffectsAdvanceWithTheFrameStepAndEndAtTheirLifetime) {
  cameras();
  writeEffectFile("effect/a", effectBytes(30.0f));
  EffectUnit* unit = system->createEffectUnit(0, 10, 0, 0, 0, 8);
  ASSERT_TRUE(unit->loadEffect("effect/a"));
  ASSERT_TRUE(waitSetup(unit));
  const int instance = unit->play("effect/a", Vector4{1, 2, 3, 0}, Vector4{0, 0, 0, 0}, Vector4{2, 2, 2, 0});
  ASSERT_GE(instance, 0);
  float m[4][3];
  ASSERT_TRUE(unit->manager().matrix(instance, m));
  EXPECT_FLOAT_EQ(m[0][0], 2.0f);
  EXPECT_FLOAT_EQ(m[3][2], 3.0f);

  unit->update(1.0f / 60.0f);
  EXPECT_NEAR(unit->manager().time(instance), 1.0f, 1e-5f);
  EXPECT_EQ(unit->manager().particleCount(instance), 10);
  unit->update(0.25f);
  EXPECT_NEAR(unit->manager().time(instance), 16.0f, 1e-3f);
  // The task pass drives it: half a second is thirty frames.
  rk::task::TaskManager::getInstance()->update(0.25f);
  rk::task::TaskManager::getInstance()->update(0.25f);
  EXPECT_FALSE(unit->manager().exists(instance));
  release(unit);
}

TEST_F(EffectSystem, HandlesStopFollowBodiesAndStopWhenTheLastReferenceGoes) {
  cameras();
  writeEffectFile("effect/a", effectBytes(100.0f));
  EffectUnit* unit = system->createEffectUnit(2, 10, 0, 0, 0, 8);
  ASSERT_TRUE(unit->loadEffect("effect/a"));
  ASSERT_TRUE(waitSetup(unit));
  auto* handle = new EffectHandle(unit, "effect/a");
  handle->addRef();
  EXPECT_EQ(unit->count(), 2) << "the handle holds its unit";
  EXPECT_EQ(handle->instance(), -1);
  handle->playEffect(kOrigin, kOrigin, kOne);
  const int first = handle->instance();
  EXPECT_TRUE(handle->isAlive());
  handle->playEffect(kOrigin, kOrigin, kOne);
  EXPECT_TRUE(unit->manager().exists(first)) << "a new play leaves the earlier instance running";

  rk::math::Matrix world = rk::math::matrixTranslation(4, 5, 6);
  static_cast<rk::rigidbody::ISyncBody*>(handle)->syncBody(&world);
  float m[4][3];
  ASSERT_TRUE(unit->manager().matrix(handle->instance(), m));
  EXPECT_FLOAT_EQ(m[3][1], 5.0f);
  handle->setPos(7, 8, 9);
  ASSERT_TRUE(unit->manager().matrix(handle->instance(), m));
  EXPECT_FLOAT_EQ(m[3][0], 7.0f);
  handle->setShown(false);
  EXPECT_FALSE(unit->manager().isShown(handle->instance()));

  handle->stop();
  EXPECT_FALSE(handle->isAlive());
  EXPECT_EQ(handle->instance(), -1);
  handle->stop();  // nothing left to stop

  handle->playEffect(kOrigin, kOrigin, kOne);
  const int last = handle->instance();
  release(handle);
  EXPECT_FALSE(unit->manager().exists(last)) << "the handle's end stops its instance";
  EXPECT_EQ(unit->count(), 1);
  EXPECT_TRUE(unit->handles().empty());
  EXPECT_TRUE(unit->manager().exists(first));
  release(unit);
}

// The camera-list names of the draws in the trace.
std::vector<std::string> listsOfDraws(const host::gpu::Trace& trace) {
  std::vector<std::string> lists;
  for (const host::gpu::TraceEntry& e : trace.entries)
    if (e.draw >= 0) lists.push_back(e.list);
  return lists;
}

TEST_F(EffectSystem, EachUnitDrawsInItsOwnCamerasListAfterTheModels) {
  buildScene();
  rk::gfx::CameraManager::getInstance()->createCamera(0);
  writeEffectFile("effect/a", effectBytes(100.0f, 3));
  EffectUnit* unit = system->createEffectUnit(1, 10, 0, 0, 0, 8);
  ASSERT_TRUE(unit->loadEffect("effect/a"));
  ASSERT_TRUE(waitSetup(unit));
  ASSERT_GE(unit->play("effect/a", kOrigin, kOrigin, kOne), 0);
  unit->update(1.0f / 60.0f);

  trace()->clear();
  context->drawFrame();
  EXPECT_EQ(listsOfDraws(*trace()), std::vector<std::string>{"command_list_[1]"});
  ASSERT_EQ(trace()->draws.size(), 1u);
  EXPECT_EQ(trace()->draws[0].count, 18u);
  EXPECT_EQ(trace()->draws[0].pipeline, "effect alpha");
  EXPECT_EQ(system->currentCamera(), 1);
  // After the pass's second stencil clear, which follows the models.
  int clears = 0;
  for (const host::gpu::TraceEntry& e : trace()->entries) {
    if (e.list != "command_list_[1]") continue;
    if (host::gpu::kindOf(e.command) == host::gpu::CommandKind::ClearDepthStencil) ++clears;
    if (e.draw >= 0) {
      EXPECT_EQ(clears, 2);
    }
  }
  // The camera's view and projection, multiplied into b1.
  const rk::gfx::Camera* camera = rk::gfx::CameraManager::getInstance()->getCamera(1);
  const rk::math::Matrix vp = rk::math::matrixMultiply(camera->viewMatrix(), camera->projectionMatrix());
  float bound[16];
  ASSERT_TRUE(trace()->draws[0].constant(1, 0, &bound));
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(bound[i], vp.m[i / 4][i % 4], 1e-5f);
  EXPECT_TRUE(trace()->errors.empty());

  // Without its camera the unit keeps advancing and draws nothing.
  rk::gfx::Camera* gone = rk::gfx::CameraManager::getInstance()->getCamera(1);
  gone->addRef();
  gone->release("effect test", 0);
  ASSERT_EQ(rk::gfx::CameraManager::getInstance()->getCamera(1), nullptr);
  trace()->clear();
  unit->update(1.0f / 60.0f);
  context->drawFrame();
  EXPECT_TRUE(trace()->draws.empty());
  rk::gfx::CameraManager::getInstance()->createCamera(1);
  context->drawFrame();
  EXPECT_EQ(trace()->draws.size(), 1u);
  EXPECT_TRUE(log.empty()) << log.text();
  release(unit);
}

TEST_F(EffectSystem, ARebuiltDeviceGivesTheUnitsANewRenderer) {
  buildScene();
  writeEffectFile("effect/a", effectBytes(100.0f, 2));
  EffectUnit* unit = system->createEffectUnit(0, 10, 0, 0, 0, 8);
  ASSERT_TRUE(unit->loadEffect("effect/a"));
  ASSERT_TRUE(waitSetup(unit));
  ASSERT_GE(unit->play("effect/a", kOrigin, kOrigin, kOne), 0);
  unit->update(1.0f / 60.0f);
  ASSERT_NE(unit->renderer(), nullptr);

  // A reset device is reported, rebuilt and the listeners told.
  host::gpu::injectPresentResult(host::DXGI_ERROR_DEVICE_RESET);
  context->drawFrame();
  ASSERT_NE(unit->renderer(), nullptr);
  EXPECT_TRUE(unit->renderer()->isReady());
  trace()->clear();
  context->drawFrame();
  ASSERT_EQ(trace()->draws.size(), 1u);
  EXPECT_EQ(trace()->draws[0].count, 12u);
  EXPECT_TRUE(trace()->errors.empty());

  // Lost alone: nothing is drawn with the released objects.
  system->onLost();
  EXPECT_FALSE(unit->renderer()->isReady());
  system->onRecover();
  EXPECT_TRUE(unit->renderer()->isReady());
  release(unit);
}

}  // namespace
