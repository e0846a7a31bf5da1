// The global wipe through its script functions: a model of its own drawn by
// camera 12 only, fades that end when their counter reaches the duration (a
// finished fade-in hides the wipe, a finished fade-out keeps covering), the
// colour bytes, reset and resume, and the singleton's life with script
// objects that outlive it.
#include <string>

#include <lua.hpp>

#include "common/global_wipe.h"
#include "gfx/gfx_model_command/rk_gfx_wipe.h"
#include "gfx/rk_model.h"
#include "gfx_model/gfx_model_rig.h"
#include "math/rk_counter.h"
#include "support/error_log_capture.h"

namespace {

using namespace gfxmodeltest;

class GlobalWipeScript : public ModelRig {
 protected:
  void SetUp() override {
    ModelRig::SetUp();
    rk::gfx::ModelManager::createInstance();
    rk::math::CounterManager::createInstance();
    L = luaL_newstate();
    luaL_openlibs(L);
    lua_register(L, "createGlobalWipe", lua_createGlobalWipe);
    lua_register(L, "destroyGlobalWipe", lua_destroyGlobalWipe);
    lua_register(L, "getGlobalWipe", lua_getGlobalWipe);
  }
  void TearDown() override {
    lua_close(L);
    if (GlobalWipe::findInstance()) GlobalWipe::destroyInstance();
    rk::math::CounterManager::destroyInstance();
    rk::gfx::ModelManager::destroyInstance();
    ModelRig::TearDown();
  }
  std::string run(const std::string& chunk) {
    if (luaL_dostring(L, chunk.c_str()) != 0) return std::string("error: ") + lua_tostring(L, -1);
    std::string out = lua_gettop(L) > 0 ? luaL_tolstring(L, -1, nullptr) : "";
    lua_settop(L, 0);
    return out;
  }
  // `seconds` of frames: the counters run, then camera 12 draws the wipe's model.
  void frames(float seconds) {
    for (float t = 0; t < seconds - 1e-4f; t += 0.1f) {
      rk::task::TaskManager::getInstance()->update(0.1f);
      drawWipeCamera();
    }
  }
  void drawWipeCamera() {
    rk::gfx::Camera* camera12 = rk::gfx::CameraManager::getInstance()->getCamera(12);
    context->beginCommandList(camera12, false, false);
    GlobalWipe::findInstance()->impl().model_->drawCommands(0);
    context->closeNowCommandList();
    context->closeDraw();
    context->present(1);
  }
  GlobalWipe::Impl& impl() { return GlobalWipe::findInstance()->impl(); }

  rktest::ErrorLogCapture log_;
  lua_State* L = nullptr;
};

TEST_F(GlobalWipeScript, IsAHiddenModelOfCamera12AimedAtTheOrigin) {
  run("createGlobalWipe(1, 2) w = getGlobalWipe()");
  ASSERT_NE(GlobalWipe::findInstance(), nullptr);
  EXPECT_EQ(impl().model_->getRenderCameraBit(), 4096);
  EXPECT_FALSE(impl().model_->isVisible());
  EXPECT_EQ(run("return w:isVisible()"), "false");
  ASSERT_EQ(impl().model_->commands().size(), 1u);
  EXPECT_EQ(impl().model_->commands().front(), impl().wipe_);
  rk::gfx::Camera* camera12 = rk::gfx::CameraManager::getInstance()->getCamera(12);
  ASSERT_EQ(impl().cam_, camera12);
  EXPECT_EQ(camera12->count(), 1);
  EXPECT_FLOAT_EQ(camera12->eye().z, -10.0f);
  EXPECT_FLOAT_EQ(camera12->up().y, 1.0f);
  EXPECT_FLOAT_EQ(camera12->at().z, 0.0f);
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(GlobalWipeScript, AFinishedFadeInHidesTheWipeAndAFinishedFadeOutKeepsCovering) {
  run("createGlobalWipe() w = getGlobalWipe() w:fadeIn(255, 0, 0, 0.5)");
  EXPECT_EQ(run("return tostring(w:isVisible()) .. ' ' .. tostring(w:isEndOfWipe())"), "true false");
  frames(0.3f);
  EXPECT_EQ(run("return tostring(w:isVisible()) .. ' ' .. tostring(w:isEndOfWipe())"), "true false");
  frames(0.3f);
  EXPECT_EQ(run("return tostring(w:isVisible()) .. ' ' .. tostring(w:isEndOfWipe())"), "false true");
  frames(0.3f);
  EXPECT_EQ(run("return tostring(w:isEndOfWipe())"), "true") << "stays ended: the counter stopped";

  run("w:fadeOut(0, 0, 255, 0.5)");
  frames(0.7f);
  EXPECT_EQ(run("return tostring(w:isVisible()) .. ' ' .. tostring(w:isEndOfWipe())"), "true true");
  const rk::gfx::Color cover = impl().wipe_->currentColor();
  EXPECT_FLOAT_EQ(cover.getB(), 1.0f);
  EXPECT_FLOAT_EQ(cover.getA(), 1.0f);
}

TEST_F(GlobalWipeScript, ColourBytesWrapAndAZeroDurationEndsAtOnce) {
  run("createGlobalWipe() w = getGlobalWipe() w:fadeIn(256, 511, 128, 0)");
  EXPECT_EQ(run("return tostring(w:isEndOfWipe())"), "true");
  const rk::gfx::Color c = impl().wipe_->currentColor();
  EXPECT_FLOAT_EQ(c.getR(), 0.0f);
  EXPECT_FLOAT_EQ(c.getG(), 1.0f);
  EXPECT_FLOAT_EQ(c.getB(), 128.0f / 255.0f);
}

// Reset hides the wipe but keeps the counter's value; a later start resumes
// from it, and a counter already past the duration is stopped at the next draw.
TEST_F(GlobalWipeScript, ResetHidesAndStartResumesFromTheCountersValue) {
  run("createGlobalWipe() w = getGlobalWipe() w:fadeOut(255, 255, 255, 1)");
  frames(0.4f);
  run("w:reset()");
  rk::math::Counter* counter = impl().wipe_->counter();
  const float kept = counter->value();
  EXPECT_NEAR(kept, 0.4f, 1e-4);
  EXPECT_EQ(run("return w:isVisible()"), "false");
  frames(0.3f);
  EXPECT_FLOAT_EQ(counter->value(), kept) << "stopped";
  run("w:start()");
  frames(0.3f);
  EXPECT_NEAR(counter->value(), 0.7f, 1e-4);
  run("w:stop()");
  counter->setValue(2.0f);
  run("w:start()");
  drawWipeCamera();
  EXPECT_FALSE(counter->isActive()) << "past the duration: stopped again by the draw";
}

TEST_F(GlobalWipeScript, ASecondCreateReportsAndReplacesTheFirstWithoutLeavingItBehind) {
  run("createGlobalWipe() old = getGlobalWipe() old:fadeOut(0, 0, 0, 1) createGlobalWipe()");
  EXPECT_EQ(log_.entries("GlobalWipe::createInstance"), 1u) << log_.text();
  EXPECT_EQ(rk::gfx::ModelManager::getInstance()->models().size(), 1u) << "one wipe draws";
  EXPECT_EQ(run("return old:isVisible()"), "false");
  EXPECT_EQ(log_.entries("GlobalWipe::lua_isVisible"), 1u) << "the replaced wipe reads as null";
  EXPECT_EQ(run("return getGlobalWipe():isVisible()"), "false");
}

TEST_F(GlobalWipeScript, DestroyedWipeObjectsReadNullAndCamera12IsLetGo) {
  run("createGlobalWipe() w = getGlobalWipe() destroyGlobalWipe(7)");
  EXPECT_EQ(GlobalWipe::findInstance(), nullptr);
  EXPECT_TRUE(rk::gfx::ModelManager::getInstance()->models().empty());
  EXPECT_EQ(rk::gfx::CameraManager::getInstance()->getCamera(12), nullptr) << "its reference was the last";
  EXPECT_EQ(run("w:fadeIn(1, 1, 1, 1) return w:isEndOfWipe()"), "false");
  EXPECT_EQ(log_.entries("GlobalWipe::lua_fadeIn"), 1u);
  run("destroyGlobalWipe()");
  EXPECT_EQ(log_.entries("GlobalWipe::destroyInstance"), 1u);
  EXPECT_EQ(run("none = getGlobalWipe() none:start() return none:isVisible()"), "false");
  EXPECT_EQ(log_.entries("GlobalWipe::getInstance"), 1u);
  EXPECT_EQ(log_.entries("GlobalWipe::lua_start"), 1u);
  run("w = nil none = nil collectgarbage()");
}

// Without a camera manager camera 12 cannot be had: the hard failure reaches
// the script as an error and the exception waits for the host.
TEST_F(GlobalWipeScript, WithoutCamera12CreationFailsHard) {
  rk::gfx::CameraManager::destroyInstance();
  EXPECT_NE(run("createGlobalWipe()").find("impl_->cam_"), std::string::npos);
  EXPECT_TRUE(rk::script::hasParkedException());
  rk::script::takeParkedException();
  EXPECT_EQ(GlobalWipe::findInstance(), nullptr);
  EXPECT_TRUE(rk::gfx::ModelManager::getInstance()->models().empty()) << "the half-built wipe is gone";
  rk::gfx::CameraManager::createInstance();
}

}  // namespace
