// The gfx model object: "createGfxModel" makes a gfx model of the model
// manager that its script object owns. Its methods set the model's drawing
// switches and append commands, each handed out as an object of its own that
// owns the command. The object reaches the model through a cell that the
// model clears when the scene deletes it first (the device context's
// shut-down deletes every listed model).
#include "gfx/rk_gfx_model.h"
#include "gfx/rk_model.h"
#include "rk_script_gfx_model_internal.h"

namespace rk::script::gph {

const LuaClass kGfxModelClass{"rk::gfx::GfxModel"};
const LuaClass kGfxCommandClass{"rk::gfx::GfxModelList"};

void* castToGfxCommand(void* object, const LuaClass& target) {
  return &target == &kGfxCommandClass ? object : nullptr;
}

gfx::GfxModel* toGfxModel(lua_State* L, int index) { return toLuaObject<gfx::GfxModel>(L, index, kGfxModelClass); }

gfx::GfxModelList* toGfxModelList(lua_State* L, int index) {
  return toLuaObject<gfx::GfxModelList>(L, index, kGfxCommandClass);
}

gfx::GfxModel* selfGfxModel(lua_State* L, const char* binding, int line) {
  gfx::GfxModel* model = toGfxModel(L, 1);
  if (!model) debug::writeErrorLog("src/script/rk_script_graphics", line, binding);
  return model;
}

int pushGfxCommand(lua_State* L, gfx::GfxModelList* command, const LuaClass& cls, const luaL_Reg* methods,
                   lua_CFunction collector) {
  return pushLuaObject(L, command, cls, methods, collector);
}

namespace {

// Deletes the command of a command object and clears the object; false when
// the object held none.
bool deleteHeldCommand(lua_State* L) {
  LuaObjectBlock* block = luaObjectBlock(L, 1);
  auto* command = toLuaObject<gfx::GfxModelList>(L, 1, kGfxCommandClass);
  if (!command) return false;
  block->object = nullptr;
  command->detach();
  delete command;
  return true;
}

}  // namespace

int releaseGfxCommand(lua_State* L) {
  if (!deleteHeldCommand(L)) RK_GPH_REPORT_NULL("releaseGfxCommand");
  lua_settop(L, 0);
  return 0;
}

}  // namespace rk::script::gph

namespace rk::gfx {

int GfxModel::deleteList(lua_State* L) {
  if (!script::gph::deleteHeldCommand(L)) debug::writeErrorLog("src/gfx/rk_gfx_model", __LINE__, "rk::gfx::GfxModel::deleteList");
  lua_settop(L, 0);
  return 0;
}

}  // namespace rk::gfx

namespace rk::script::gph {

namespace {

using gfx::GfxModel;

int lua_GfxModel_cls(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_cls");
  if (model) model->clearCommands();
  return noResults(L);
}

int lua_GfxModel_setShadowPlaneOnly(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_setShadowPlaneOnly");
  if (model) model->setShadowPlaneOnly(toBoolArg(L, 2));
  return noResults(L);
}

int lua_GfxModel_setVisible(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_setVisible");
  if (model) model->setVisible(toBoolArg(L, 2));
  return noResults(L);
}

int lua_GfxModel_isVisible(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_isVisible");
  return pushBoolean(L, model && model->isVisible());
}

int lua_GfxModel_setZBufferWrite(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_setZBufferWrite");
  if (model) model->setZWrite(toBoolArg(L, 2));
  return noResults(L);
}

int lua_GfxModel_setZBuffer(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_setZBuffer");
  if (model) model->setZTest(toBoolArg(L, 2) ? 1 : 0);
  return noResults(L);
}

int lua_GfxModel_setRenderCameraBit(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_setRenderCameraBit");
  if (model) model->setRenderCameraBit(lowWordArg(L, 2));
  return noResults(L);
}

// Behind the models that already have the priority, the model's own included.
int lua_GfxModel_setRenderPriority(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_setRenderPriority");
  if (model) model->setRenderPriority(lowWordArg(L, 2));
  return noResults(L);
}

// The lowest set bit among bits 0 to 15; 16 when none of them is set.
int lua_GfxModel_getRenderCameraNo(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_getRenderCameraNo");
  const auto bits = static_cast<std::uint32_t>(model ? model->getRenderCameraBit() : 0);
  int number = 0;
  while (number < 16 && !(bits & (1u << number))) ++number;
  lua_settop(L, 0);
  lua_pushinteger(L, number);
  return 1;
}

// Takes the model out of the draw order and deletes it, once; its commands
// lose their owner and stay with their objects. A model the scene deleted
// first has cleared the object's cell and is reported as null.
int releaseGfxModel(lua_State* L) {
  LuaObjectBlock* block = luaObjectBlock(L, 1);
  GfxModel* model = toGfxModel(L, 1);
  if (!model) RK_GPH_REPORT_NULL("releaseGfxModel");
  if (block && block->cls == &kGfxModelClass) {
    LuaObjectLinks::release(block);
    block->object = nullptr;
  }
  if (model) {
    if (gfx::ModelManager* models = gfx::ModelManager::findInstance()) models->removeModel(model);
    delete model;
  }
  lua_settop(L, 0);
  return 0;
}

}  // namespace

// In the order the table is filled. Each command creator takes its place
// when its command object is bound.
const luaL_Reg kGfxModelMethods[] = {
    {"cls", lua_GfxModel_cls},
    {"setShadowPlaneOnly", lua_GfxModel_setShadowPlaneOnly},
    {"setVisible", lua_GfxModel_setVisible},
    {"isVisible", lua_GfxModel_isVisible},
    {"createBillBoard", lua_GfxModel_createBillBoard},
    {"setZBufferWrite", lua_GfxModel_setZBufferWrite},
    {"setZBuffer", lua_GfxModel_setZBuffer},
    {"clearZBuffer", lua_GfxModel_clearZBuffer},
    {"setRenderCameraBit", lua_GfxModel_setRenderCameraBit},
    {"setRenderPriority", lua_GfxModel_setRenderPriority},
    {"getRenderCameraNo", lua_GfxModel_getRenderCameraNo},
    {"createSetTexture", lua_GfxModel_createSetTexture},
    {"createLaser", lua_GfxModel_createLaser},
    {"createTextureStageDefault", lua_GfxModel_createTextureStageDefault},
    {"createAlphaBlend", lua_GfxModel_createAlphaBlend},
    {"createAddBlend", lua_GfxModel_createAddBlend},
    {"createSubBlend", lua_GfxModel_createSubBlend},
    {"createMulBlend", lua_GfxModel_createMulBlend},
    {"createSamplerAddressU", lua_GfxModel_createSamplerAddressU},
    {"createSamplerAddressV", lua_GfxModel_createSamplerAddressV},
    {"createMultiTextureDefault", lua_GfxModel_createMultiTextureDefault},
    {"disableMultiTexture", lua_GfxModel_disableMultiTexture},
    {"createWorldMatrix", lua_GfxModel_createWorldMatrix},
    {"createWindow", lua_GfxModel_createWindow},
    {"createAmbientColor", lua_GfxModel_createAmbientColor},
    {"createLighting", lua_GfxModel_createLighting},
    {"createLineDraw", lua_GfxModel_createLineDraw},
    {"createSetColor", lua_GfxModel_createSetColor},
    {"createCapsuleLaser", lua_GfxModel_createCapsuleLaser},
    {"createTestZBuffer", lua_GfxModel_createTestZBuffer},
    {"createStrechBlt", lua_GfxModel_createStrechBlt},
    {"createDrawFlash", lua_GfxModel_createDrawFlash},
    {"createWipe", lua_GfxModel_createWipe},
    {"createPolyLineDraw", lua_GfxModel_createPolyLineDraw},
    {nullptr, nullptr},
};

// Any arguments are discarded. Without a model manager the model is still
// made (and reported by the manager's look-up); it is then never drawn.
int createGfxModel(lua_State* L) {
  lua_settop(L, 0);
  gfx::ModelManager* models = gfx::ModelManager::getInstance();
  GfxModel* model = nullptr;
  if (models) {
    model = models->createGfxModel();
  } else {
    model = new GfxModel;
  }
  LuaObjectBlock* block = nullptr;
  const int results = pushLuaObject(L, model, kGfxModelClass, kGfxModelMethods, releaseGfxModel, &block);
  model->scriptLinks().link(block);
  return results;
}

}  // namespace rk::script::gph
