// Gfx model objects in a real script state: the graphics rig with a model
// manager and camera 0 looking at the origin from -z, so a gfx model can be
// drawn alone into the trace.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "RuskelFrameWork/src/script/rk_script_gfx_model_internal.h"

#include "gfx/rk_camera.h"
#include "gfx/rk_gfx_list_device_context.h"
#include "gfx/rk_gfx_model.h"
#include "gfx/rk_model.h"
#include "kernel/rk_device_context.h"
#include "script/rk_script_graphics.h"
#include "script_graphics/graphics_fixture.h"

namespace gfxmodelapitest {

using graphicstest::LuaCase;

// A command that records the drawing state it meets, for the state commands
// before it in its list.
struct Probe : rk::gfx::GfxModelCommand {
  struct Seen {
    bool depthTest, depthWrite, alphaBlend;
    rk::gfx::Color color;
    rk::gfx::RkTexture* textures[2];
    rk::math::Matrix world;
  };
  Probe(rk::gfx::GfxModel* model, std::vector<Seen>* seen) : GfxModelCommand(model), seen_(seen) {}
  void execute(rk::gfx::GfxDeviceContext& c, std::int32_t) override {
    seen_->push_back({c.depth_test_, c.depth_write_, c.alpha_blend_, c.color_, {c.textures_[0], c.textures_[1]},
                      rk::DeviceContext::getInstance()->worldMatrix()});
  }
  std::vector<Seen>* seen_;
};

class GfxModelApi : public graphicstest::GraphicsApi {
 protected:
  void SetUp() override {
    GraphicsApi::SetUp();
    manager = rk::gfx::ModelManager::createInstance();
    camera = rk::gfx::CameraManager::getInstance()->createCamera(0);
    camera->addRef();
    camera->setEye({0, 0, -10, 0});
    camera->setAt({0, 0, 0, 0});
    camera->setUp({0, 1, 0, 0});
    camera->setAspect(float(kWidth) / float(kHeight));
    camera->updateMatrices();
  }
  void TearDown() override {
    rk::script::ScriptStateManager::destroyInstance();  // collects every object first
    probes_.clear();
    rk::gfx::ModelManager::destroyInstance();
    camera->release(__FILE__, __LINE__);
    GraphicsApi::TearDown();
  }

  // The payload of a global as `cls` (null for anything else).
  template <class T>
  T* global(const char* name, const rk::script::LuaClass& cls) {
    lua_getglobal(L, name);
    T* object = rk::script::toLuaObject<T>(L, -1, cls);
    lua_settop(L, 0);
    return object;
  }
  rk::gfx::GfxModel* gfxModel(const char* name) {
    return global<rk::gfx::GfxModel>(name, rk::script::gph::kGfxModelClass);
  }

  // The command of a command object global (null for anything else).
  rk::gfx::GfxModelList* command(const char* name) {
    return global<rk::gfx::GfxModelList>(name, rk::script::gph::kGfxCommandClass);
  }
  // Appends a probe to the gfx model of the global; the test owns it.
  void addProbe(const char* model) { probes_.emplace_back(new Probe(gfxModel(model), &seen)); }

  // Draws one gfx model in camera 0's pass, alone in the trace.
  void drawModel(rk::gfx::GfxModel* model) {
    trace()->clear();
    context->beginCommandList(camera, false, false);
    model->drawCommands(0);
    context->closeNowCommandList();
    context->closeDraw();
    context->present(1);
  }

  // Runs each case in its own chunk; `prefix` runs first in the same chunk.
  void runCases(const std::vector<LuaCase>& cases, const std::string& prefix = "") {
    for (const LuaCase& c : cases) {
      log.clear();
      EXPECT_EQ(run(prefix + c.code), "") << c.name;
      if (c.logEntry)
        EXPECT_EQ(log.entries(c.logEntry), 1u) << c.name << "\n" << log.text();
      else
        EXPECT_TRUE(log.empty()) << c.name << "\n" << log.text();
      collect();
    }
  }

  // The names of a method list, in order.
  static std::vector<std::string> namesOf(const luaL_Reg* methods) {
    std::vector<std::string> names;
    for (const luaL_Reg* m = methods; m->name; ++m) names.push_back(m->name);
    return names;
  }

  rk::gfx::ModelManager* manager = nullptr;
  rk::gfx::Camera* camera = nullptr;
  std::vector<Probe::Seen> seen;

 private:
  std::vector<std::unique_ptr<Probe>> probes_;
};

// The qualified name of a graphics binding, as error-log entries spell it.
#define GPH(name) "rk::script::gph::`anonymous-namespace'::" name

}  // namespace gfxmodelapitest
