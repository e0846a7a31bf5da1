// The sphere model object and the model-manager display globals. A sphere
// model is drawn from "createSphereModel" until its object is collected; its
// object owns it but is linked to it, so a model deleted by the scene first
// (the device context's shut-down deletes every listed model) reads as the
// null object and is not deleted twice.
#include "gfx/rk_model.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_mesh_unit.h"
#include "rk_script_graphics_internal.h"
#include "script/rk_script_graphics.h"
#include "script/rk_lua_object.h"

namespace rk::script::gph {

const LuaClass kSphereModelClass{"rk::gfx::SphereModel"};

namespace {

using gfx::ModelManager;
using gfx::SphereModel;

#define RK_SPHERE_SELF(name)                                                 \
  SphereModel* sphere = toLuaObject<SphereModel>(L, 1, kSphereModelClass);   \
  if (!sphere) RK_GPH_REPORT_NULL(name)

int sphereSetRadius(lua_State* L) {
  RK_SPHERE_SELF("lua_SphereModel_setRadius");
  if (sphere) sphere->setRadius(toFloatArg(L, 2));
  return noResults(L);
}

int sphereSetPos(lua_State* L) {
  RK_SPHERE_SELF("lua_SphereModel_setPos");
  if (sphere) sphere->setPos(math::Vector4{toFloatArg(L, 2), toFloatArg(L, 3), toFloatArg(L, 4), 0.0f});
  return noResults(L);
}

// Takes the model out of the draw order and deletes it, once. A model the
// scene already deleted has cleared the link and is left alone. Without a
// model manager the model is still deleted: nothing else owns it then, and
// its destructor asks only a live manager.
int sphereCollector(lua_State* L) {
  LuaObjectBlock* block = luaObjectBlock(L, 1);
  if (block && block->cls == &kSphereModelClass) {
    auto* sphere = static_cast<SphereModel*>(block->cell ? block->cell->object : block->object);
    LuaObjectLinks::release(block);
    block->object = nullptr;
    if (sphere) {
      if (ModelManager* models = ModelManager::findInstance()) models->removeModel(sphere);
      delete sphere;
    }
  }
  return noResults(L);
}

const luaL_Reg kSphereMethods[] = {
    {"setRadius", sphereSetRadius},
    {"setPos", sphereSetPos},
    {nullptr, nullptr},
};

}  // namespace

int createSphereModel(lua_State* L) {
  lua_settop(L, 0);
  ModelManager* models = ModelManager::getInstance();  // reports a missing manager
  auto* sphere = new SphereModel;
  if (models) {
    sphere->setManager(models);
    models->addModel(sphere);
  }
  LuaObjectBlock* block = nullptr;
  const int results = pushLuaObject(L, sphere, kSphereModelClass, kSphereMethods, sphereCollector, &block);
  sphere->scriptLinks().link(block);
  return results;
}

int setModelPause(lua_State* L) {
  const bool pause = toBoolArg(L, 1);
  lua_settop(L, 0);
  if (ModelManager* models = ModelManager::getInstance()) models->setPause(pause);
  return 0;
}

int isModelPause(lua_State* L) {
  lua_settop(L, 0);
  ModelManager* models = ModelManager::getInstance();
  lua_pushboolean(L, models && models->isPause());
  return 1;
}

// The mesh cache has nothing to show a script: only its absence is reported.
int dumpDisplayModelContainer(lua_State* L) {
  lua_settop(L, 0);
  driver::directx::directx12::DX12MeshUnit::getInstance();
  return 0;
}

}  // namespace rk::script::gph
