// The model object's frame-effect methods in a real script state: effects
// played on a frame (from a handle or by name), looked up and released by
// frame name, queued per frame, and the report of missing arguments.
#include <gtest/gtest.h>

#include "effect/rk_effect_handle.h"
#include "effect/rk_effect_system.h"
#include "effect/rk_effect_unit.h"
#include "fs/rk_file_manager.h"
#include "gfx/rk_camera.h"
#include "gfx/rk_model.h"
#include "host/effect.h"
#include "platform/driver/directx_driver/rk_directx12_model.h"
#include "res/rk_resource.h"
#include "script/rk_script.h"
#include "script/rk_script_model.h"
#include "script_math/script_math_fixture.h"
#include "support/error_log_capture.h"
#include "support/lua_run.h"
#include "support/temp_dir.h"
#include "task/rk_task.h"

namespace {

using rk::gfx::Model;

// A ready root with one frame, "muzzle", 2 units ahead of the model.
class MuzzleRoot : public rk::driver::directx::DxModelRoot12 {
 public:
  MuzzleRoot() : DxModelRoot12("muzzle") {}
  bool isReady() override { return true; }
  bool getFrameMatrix(rk::math::Matrix& out, const char* frame) override {
    const bool muzzle = frame && std::string(frame) == "muzzle";
    out = muzzle ? rk::math::matrixTranslation(0, 0, 2) : rk::math::matrixIdentity();
    return !frame || muzzle;
  }
};

std::vector<std::uint8_t> effectBytes(float life) {
  host::effect::EmitterDesc e;
  e.burst = 4;
  e.life = life;
  host::effect::EffectDesc d;
  d.emitters = {e};
  return host::effect::writeEffect(d);
}

class ModelFrameEffectApi : public ::testing::Test {
 protected:
  void SetUp() override {
    cwd_ = std::make_unique<rktest::CurrentDirGuard>(dir_.path());
    rk::task::TaskManager::createInstance();
    resources_ = rk::res::ResourceManager::createInstance();
    rk::fs::FileManager::createInstance(resources_, false);
    rk::gfx::CameraManager::createInstance();
    system_ = rk::effect::EffectSystem::createInstance();
    models_ = rk::gfx::ModelManager::createInstance();
    rk::res::ResourcePtr r = resources_->getResourceData("effect/a.ea");
    r->ownedBytes() = effectBytes(30.0f);
    r->setReady(true);
    held_.push_back(r);
    states_ = rk::script::ScriptStateManager::createInstance();
    L_ = states_->createScriptState()->luaState();
    ASSERT_NE(L_, nullptr);
    ASSERT_EQ(run(rktest::kMathPrelude), "");
    ASSERT_EQ(run("u = createEffectUnit(0, 10, 0, 0, 0, 16) check(u:load('effect/a') and u:isSetupAll(), 'unit') "
                  "m = createModel() m:setVisible(true) m:setPosition(1, 0, 0) m:calcTransformation() "
                  "id = createMatrix()"),
              "");
    model()->setRoot(new MuzzleRoot);
    log_.clear();
  }
  void TearDown() override {
    rk::script::ScriptStateManager::destroyInstance();
    rk::gfx::ModelManager::destroyInstance();
    rk::effect::EffectSystem::destroyInstance();
    rk::gfx::CameraManager::destroyInstance();
    rk::fs::FileManager::destroyInstance();
    held_.clear();
    rk::res::ResourceManager::destroyInstance();
    rk::task::TaskManager::getInstance()->deleteTasks(true);
    rk::task::TaskManager::destroyInstance();
    cwd_.reset();
  }
  Model* model() {
    lua_getglobal(L_, "m");
    auto* m = rk::script::toLuaObject<Model>(L_, -1, rk::script::gph::kModelClass);
    lua_settop(L_, 0);
    return m;
  }
  void frames(int count) {
    for (int i = 0; i < count; ++i) {
      rk::effect::EffectUnit* unit = system_->getEffectUnit(0);  // takes a reference
      unit->update(1.0f / 60.0f);
      unit->release("test", 0);
      models_->sync();
    }
  }
  std::string run(const std::string& code) { return rktest::runLua(L_, code); }

  rktest::ErrorLogCapture log_;
  rktest::TempDir dir_;
  std::unique_ptr<rktest::CurrentDirGuard> cwd_;
  rk::res::ResourceManager* resources_ = nullptr;
  rk::effect::EffectSystem* system_ = nullptr;
  rk::gfx::ModelManager* models_ = nullptr;
  rk::script::ScriptStateManager* states_ = nullptr;
  lua_State* L_ = nullptr;
  std::vector<rk::res::ResourcePtr> held_;
};

TEST_F(ModelFrameEffectApi, EffectsAttachedToAFrame) {
  ASSERT_EQ(run("local t = createMatrix() t:translation(0, 1, 0)\n"
                "check(m:attachFrameEffectFromEffectName(0, 'muzzle', 'effect/a', nil, t, 1, '0.5', true), 'by name')\n"
                "local h = createEffectHandle(u, 'effect/a')\n"
                "check(m:attachFrameEffect(0, 'muzzle', h) == true, 'a handle, identity offset')\n"
                "check(m:attachFrameEffect(0, 'tail', h, id) == false, 'no such frame')\n"
                "check(m:attachFrameEffectFromEffectName(0, nil, 'effect/a') == false, 'no frame name')\n"
                "local a = m:getAttachFrameEffect('muzzle') local b = m:getAttachFrameEffect('muzzle')\n"
                "check(type(a) == 'userdata' and a ~= b, 'a new object each call')\n"
                "check(m:getAttachFrameEffect('tail') == nil, 'nothing on the tail')\n"
                "a = nil b = nil collectgarbage() collectgarbage()"),
            "");
  Model* m = model();
  ASSERT_EQ(m->frameEffects().size(), 2u) << "releasing the looked-up objects ends no attachment";
  EXPECT_EQ(m->frameEffects()[0].loop, 0) << "the number 1 is no boolean";
  EXPECT_EQ(m->frameEffects()[0].flag, 1);
  EXPECT_EQ(m->frameEffects()[0].offset.m[3][1], 1.0f);
  EXPECT_EQ(log_.entries("rk::gfx::Model::attachFrameEffect"), 0u) << log_.text();

  ASSERT_EQ(run("m:clearAttachFrameEffect('muzzle')"), "");
  ASSERT_EQ(m->frameEffects().size(), 1u) << "only the first record of the name goes";
  ASSERT_EQ(run("m:clearAttachFrameEffectAll() check(m:getAttachFrameEffect('muzzle') == nil, 'all gone')"), "");
  EXPECT_TRUE(m->frameEffects().empty());
}

TEST_F(ModelFrameEffectApi, QueuedEffectsPlayOneAfterTheOther) {
  ASSERT_EQ(run("check(m:attachFrameQueueEffect(0, 'muzzle', 'effect/a', nil, id, 1, 0.5, 1), 'first') "
                "check(m:attachFrameQueueEffect(0, 'muzzle', 'effect/a', nil, id), 'second') "
                "check(m:isAliveEffectQueue('muzzle') and not m:isAliveEffectQueue(), 'queued')"),
            "");
  frames(1);
  Model* m = model();
  ASSERT_EQ(m->frameEffects().size(), 1u);
  EXPECT_EQ(m->frameEffects()[0].loop, 1) << "the queue takes the number 1 as true";
  const int first = m->frameEffects()[0].handle->instance();
  ASSERT_EQ(run("check(m:isAliveEffectQueue('muzzle'), 'the second still waits')"), "");
  frames(40);
  ASSERT_EQ(m->frameEffects().size(), 1u);
  EXPECT_NE(m->frameEffects()[0].handle->instance(), first);
  ASSERT_EQ(run("check(not m:isAliveEffectQueue('muzzle'), 'taken')"), "");
}

TEST_F(ModelFrameEffectApi, AQueuedEntryThatCannotAttachGivesWayInTheSameSync) {
  ASSERT_EQ(run("check(m:attachFrameQueueEffect(7, 'muzzle', 'effect/a', nil, id), 'no unit 7') "
                "check(m:attachFrameQueueEffect(0, 'muzzle', 'effect/a', nil, id), 'unit 0')"),
            "");
  frames(1);
  EXPECT_EQ(model()->frameEffects().size(), 1u) << "the second entry plays in the first sync";
  EXPECT_EQ(log_.entries("rk::gfx::Model::attachFrameEffect"), 1u) << log_.text();
  ASSERT_EQ(run("check(not m:isAliveEffectQueue('muzzle'), 'both taken')"), "");
}

TEST_F(ModelFrameEffectApi, MissingArgumentsAreReportedAndRefused) {
  struct Case {
    const char* code;
    const char* entry;
  };
  const Case cases[] = {
      {"check(m:attachFrameEffect(0, 'muzzle', 5) == false)",
       "rk::script::gph::`anonymous-namespace'::lua_Model_attachFrameEffect"},
      {"check(m:attachFrameQueueEffect(0, 'muzzle', nil, nil, id) == false)", "rk::gfx::Model::attachFrameQueueEffect"},
      {"check(m:attachFrameQueueEffect(0, 'muzzle', 'effect/a') == false)",
       "rk::script::gph::`anonymous-namespace'::lua_Model_attachFrameQueueEffect"},
      {"check(m.attachFrameEffectFromEffectName(u, 0, 'muzzle', 'effect/a') == false)",
       "rk::script::gph::`anonymous-namespace'::lua_Model_attachFrameEffectFromEffectName"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    log_.clear();
    EXPECT_EQ(run(c.code), "");
    EXPECT_EQ(log_.entries(c.entry), 1u) << log_.text();
  }
  EXPECT_TRUE(model()->frameEffects().empty());
  log_.clear();
  ASSERT_EQ(run("m.clearAttachFrameEffectAll(u) m.clearAttachFrameEffect(nil, 'muzzle') "
                "check(m.isAliveEffectQueue(nil, 'muzzle') == false and m.getAttachFrameEffect(u) == nil)"),
            "");
  EXPECT_TRUE(log_.empty()) << "these four do not report a null model";
}

}  // namespace
