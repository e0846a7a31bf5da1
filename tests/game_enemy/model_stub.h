// A scene model whose root is ready at once and answers frames and materials
// from tables the test fills, pushed to the scripts as a model object that
// the test owns (its collector does nothing).
#pragma once
#include <map>
#include <memory>
#include <string>

#include <lua.hpp>

#include "gfx/rk_material.h"
#include "gfx/rk_model.h"
#include "platform/driver/directx_driver/rk_directx12_model.h"
#include "script/rk_script_model.h"

namespace enemytest {

class StubRoot : public rk::driver::directx::DxModelRoot12 {
 public:
  StubRoot() : DxModelRoot12("stub") {}
  bool isReady() override { return ready; }
  bool getFrameMatrix(rk::math::Matrix& out, const char* frame) override {
    out = rk::math::matrixIdentity();
    if (!frame) return true;
    auto it = frames.find(frame);
    if (it == frames.end()) return false;
    out = it->second;
    return true;
  }
  bool getFrameMaterial(rk::gfx::Material*& out, const char* frame) override {
    if (!frame) {
      out = &own;
      return true;
    }
    auto it = materials.find(frame);
    if (it == materials.end()) return false;
    out = it->second.get();
    return true;
  }

  bool ready = true;
  rk::gfx::Material own;
  std::map<std::string, std::unique_ptr<rk::gfx::Material>> materials;
  std::map<std::string, rk::math::Matrix> frames;
};

// A model with a stub root; `root` stays valid while the model lives.
struct StubModel {
  StubModel() : root(new StubRoot()) { model.setRoot(root); }
  ~StubModel() { model.setRoot(nullptr); }
  // The model as the script global `name`.
  void push(lua_State* L, const char* name) {
    static const luaL_Reg none[] = {{nullptr, nullptr}};
    rk::script::pushLuaObject(L, &model, rk::script::gph::kModelClass, none, [](lua_State* S) {
      lua_settop(S, 0);
      return 0;
    });
    lua_setglobal(L, name);
  }
  rk::gfx::Model model;
  StubRoot* root;
};

}  // namespace enemytest
