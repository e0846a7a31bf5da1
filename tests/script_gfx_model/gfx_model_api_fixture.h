// Gfx model objects in a real script state: the graphics rig with a model
// manager and camera 0 looking at the origin from -z, so a gfx model can be
// drawn alone into the trace.
#pragma once
#include <string>
#include <vector>

#include "gfx/rk_camera.h"
#include "gfx/rk_gfx_model.h"
#include "gfx/rk_model.h"
#include "script/rk_script_graphics.h"
#include "script_graphics/graphics_fixture.h"

namespace gfxmodelapitest {

using graphicstest::LuaCase;

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
};

// The qualified name of a graphics binding, as error-log entries spell it.
#define GPH(name) "rk::script::gph::`anonymous-namespace'::" name

}  // namespace gfxmodelapitest
