// The model object: "createModel" makes a scene model of the model manager
// that its script object owns. Its methods load the model file, place the
// model, show it to cameras, light it, set its draw mode and UV offset, hand
// out its materials and bounding box and manage its culling box; the
// animation methods live in rk_script_model_anime.cpp. The object reaches
// the model through a cell the model clears when it is destroyed first.
#include "script/rk_script_model.h"

#include "col/rk_collision_obb.h"
#include "gfx/rk_material.h"
#include "gfx/rk_model_draw_info.h"
#include "gfx/rk_studio_info.h"
#include "kernel/rk_device_context.h"
#include "platform/driver/directx_driver/rk_directx12_model.h"
#include "rk_script_model_internal.h"
#include "script/rk_script_math.h"
#include "script/rk_script_rigidbody.h"

namespace rk::script::gph {

// Rigid bodies take the object as the model they place ("setModel").
const LuaClass kModelClass{"rk::gfx::Model", castGModel<gfx::Model>};

namespace {

using gfx::Model;

#define RK_MODEL_SELF(name) Model* model = selfModel(L, RK_MODEL_BINDING(name))


int pushXyz(lua_State* L, const ::rk::math::Vector4& v) {
  lua_settop(L, 0);
  lua_pushnumber(L, v.x);
  lua_pushnumber(L, v.y);
  lua_pushnumber(L, v.z);
  return 3;
}

gfx::StudioInfo* studioOf(Model* model) {
  gfx::ModelDrawInfo* info = model ? model->getModelDrawInfo(0) : nullptr;
  return info ? info->studio() : nullptr;
}

// The optional frame name: a string or a number, else none.
const char* frameArg(lua_State* L, int index) { return toTextArg(L, index); }

int lua_Model_load(lua_State* L) {
  const std::string name = toTextOrEmpty(L, 2);
  Model* model = heldModel(L);
  if (model && DeviceContext::getInstance()) model->load(name.c_str());
  return noResult(L);
}

int lua_ModelIsReady(lua_State* L) {
  RK_MODEL_SELF("lua_ModelIsReady");
  const bool ready = model && model->isReady();
  lua_settop(L, 0);
  lua_pushboolean(L, ready);
  return 1;
}

int lua_ModelSetRotationQuat(lua_State* L) {
  RK_MODEL_SELF("lua_ModelSetRotationQuat");
  if (model) model->setRotQuat({toFloatArg(L, 2), toFloatArg(L, 3), toFloatArg(L, 4), toFloatArg(L, 5)});
  return noResult(L);
}

int lua_Model_getQuat(lua_State* L) {
  RK_MODEL_SELF("lua_Model_getQuat");
  const ::rk::math::Vector4 q = model ? model->getRotQuat() : ::rk::math::Vector4{0.0f, 0.0f, 0.0f, 1.0f};
  pushXyz(L, q);
  lua_pushnumber(L, q.w);
  return 4;
}

int lua_Model_calcTransformation(lua_State* L) {
  RK_MODEL_SELF("lua_Model_calcTransformation");
  if (model) model->buildMatrix();
  return noResult(L);
}

int lua_Model_setScaling(lua_State* L) {
  RK_MODEL_SELF("lua_Model_setScaling");
  if (model) model->setScale(toXYZArgs(L, 2));
  return noResult(L);
}

int lua_Model_setPosition(lua_State* L) {
  RK_MODEL_SELF("lua_Model_setPosition");
  if (model) model->setPos(toXYZArgs(L, 2));
  return noResult(L);
}

int lua_Model_getPosition(lua_State* L) {
  RK_MODEL_SELF("lua_Model_getPosition");
  return pushXyz(L, model ? model->getPos() : ::rk::math::Vector4{});
}

int lua_Model_setYawPitchRoll(lua_State* L) {
  RK_MODEL_SELF("lua_Model_setYawPitchRoll");
  if (model) model->setYawPitchRoll(toFloatArg(L, 2), toFloatArg(L, 3), toFloatArg(L, 4));
  return noResult(L);
}

int lua_Model_setVisible(lua_State* L) {
  RK_MODEL_SELF("lua_Model_setVisible");
  if (model) model->setVisible(toBoolArg(L, 2));
  return noResult(L);
}

int lua_Model_isVisible(lua_State* L) {
  RK_MODEL_SELF("lua_Model_isVisible");
  const bool visible = model && model->isVisible();
  lua_settop(L, 0);
  lua_pushboolean(L, visible);
  return 1;
}

int lua_Model_setRenderBit(lua_State* L) {
  RK_MODEL_SELF("lua_Model_setRenderBit");
  if (model) model->setRenderCameraBit(toIntArg(L, 2));
  return noResult(L);
}

int lua_Model_setRenderCameraBit(lua_State* L) {
  RK_MODEL_SELF("lua_Model_setRenderCameraBit");
  if (model) model->setRenderCameraBit(toIntArg(L, 2));
  return noResult(L);
}

int lua_Model_setRenderPriority(lua_State* L) {
  RK_MODEL_SELF("lua_Model_setRenderPriority");
  if (model) model->setRenderPriority(toIntArg(L, 2));
  return noResult(L);
}

int lua_Model_setShadowPlane(lua_State* L) {
  RK_MODEL_SELF("lua_Model_setShadowPlane");
  if (model) model->setShadowPlane(toBoolArg(L, 2));
  return noResult(L);
}

int lua_Model_setShadow(lua_State* L) {
  RK_MODEL_SELF("lua_Model_setShadow");
  if (model) model->setShadow(toBoolArg(L, 2));
  return noResult(L);
}

int lua_Model_setShadowCast(lua_State* L) {
  RK_MODEL_SELF("lua_Model_setShadowCast");
  if (model) model->setShadowCast(toBoolArg(L, 2));
  return noResult(L);
}

// Alpha in bits 24-31, then red, green and blue: the low byte of each.
int lua_Model_setShadowColor(lua_State* L) {
  RK_MODEL_SELF("lua_Model_setShadowColor");
  auto byte = [L](int index) { return static_cast<std::uint32_t>(toIntArg(L, index)) & 0xFFu; };
  const std::uint32_t argb = byte(5) << 24 | byte(2) << 16 | byte(3) << 8 | byte(4);
  if (model) model->setShadowColor(argb);
  return noResult(L);
}

int lua_Model_setLightMode(lua_State* L) {
  RK_MODEL_SELF("lua_Model_setLightMode");
  if (gfx::StudioInfo* studio = studioOf(model)) studio->setLightMode(toIntArg(L, 2));
  return noResult(L);
}

int lua_Model_getLightMode(lua_State* L) {
  RK_MODEL_SELF("lua_Model_getLightMode");
  gfx::StudioInfo* studio = studioOf(model);
  const int mode = studio ? studio->lightMode() : 0;
  lua_settop(L, 0);
  lua_pushinteger(L, mode);
  return 1;
}

int lua_Model_setAmbientColor(lua_State* L) {
  RK_MODEL_SELF("lua_Model_setAmbientColor");
  if (gfx::StudioInfo* studio = studioOf(model)) studio->setAmbientColor(gfx::colorFromArgb(static_cast<std::uint32_t>(toInt64Arg(L, 2))));
  return noResult(L);
}

int lua_Model_setLightValid(lua_State* L) {
  RK_MODEL_SELF("lua_Model_setLightValid");
  if (gfx::StudioInfo* studio = studioOf(model)) studio->setLightEnable(toIntArg(L, 2), toBoolArg(L, 3));
  return noResult(L);
}

void setColour(float (&out)[4], const gfx::Color& colour) {
  out[0] = colour.getR();
  out[1] = colour.getG();
  out[2] = colour.getB();
  out[3] = colour.getA();
}

int lua_Model_setLightData(lua_State* L) {
  RK_MODEL_SELF("lua_Model_setLightData");
  gfx::LightParameter light;
  light.type = toIntArg(L, 3);
  setColour(light.diffuse, gfx::colorFromArgb(static_cast<std::uint32_t>(toInt64Arg(L, 4))));
  setColour(light.specular, gfx::colorFromArgb(static_cast<std::uint32_t>(toInt64Arg(L, 5))));
  setColour(light.ambient, gfx::colorFromArgb(static_cast<std::uint32_t>(toInt64Arg(L, 6))));
  for (int i = 0; i < 3; ++i) light.position[i] = toFloatArg(L, 7 + i);
  for (int i = 0; i < 3; ++i) light.direction[i] = toFloatArg(L, 10 + i);
  float* tail[] = {&light.range, &light.falloff, &light.attenuation0, &light.attenuation1, &light.attenuation2,
                   &light.theta, &light.phi};
  for (int i = 0; i < 7; ++i) *tail[i] = toFloatArg(L, 13 + i);
  if (gfx::StudioInfo* studio = studioOf(model)) studio->lights()[toIntArg(L, 2)] = light;
  return noResult(L);
}

int lua_Model_addAmbientColor(lua_State* L) {
  RK_MODEL_SELF("lua_Model_addAmbientColor");
  if (model && model->getRoot()) model->getRoot()->setAddColor(gfx::colorFromArgb(static_cast<std::uint32_t>(toInt64Arg(L, 2))));
  return noResult(L);
}

// The material object of the named frame (or of the model); nil when the
// model has no root or the root answers no material.
int lua_Model_getFrameMaterial(lua_State* L) {
  RK_MODEL_SELF("lua_Model_getFrameMaterial");
  const char* frame = frameArg(L, 2);
  const std::string name = frame ? frame : "";
  gfx::Material* material = nullptr;
  if (model && model->getRoot() && !model->getRoot()->getFrameMaterial(material, frame ? name.c_str() : nullptr))
    ::rk::debug::writeErrorLog("src/gfx/rk_model", __LINE__, "rk::gfx::Model::getFrameMaterial");
  lua_settop(L, 0);
  if (!material) {
    lua_pushnil(L);
    return 1;
  }
  return material->pushScriptObject(L);
}

int lua_Model_setDrawMode(lua_State* L) {
  RK_MODEL_SELF("lua_Model_setDrawMode");
  int mode = toIntArg(L, 2);
  if (mode < 0) mode = 65535;
  const char* frame = frameArg(L, 3);
  if (model) {
    if (!frame)
      model->setDrawMode(mode);
    else if (model->getRoot())
      model->getRoot()->setDrawMode(frame, mode);
  }
  return noResult(L);
}

int lua_Model_computeBoundingBox(lua_State* L) {
  RK_MODEL_SELF("lua_Model_computeBoundingBox");
  if (model && !model->isReady())
    ::rk::debug::writeErrorLog("src/script/rk_script_model", __LINE__, RK_MODEL_BINDING("lua_Model_computeBoundingBox"));
  ::rk::math::Vector4 low{}, high{};
  const char* frame = frameArg(L, 2);
  const std::string name = frame ? frame : "";
  if (model && model->getRoot() &&
      model->getRoot()->computeBoundingBox(&low, &high, frame ? name.c_str() : nullptr) < 0)
    low = high = ::rk::math::Vector4{};
  lua_settop(L, 0);
  for (float v : {low.x, low.y, low.z, high.x, high.y, high.z}) lua_pushnumber(L, v);
  return 6;
}

int lua_Model_calcUVOffset(lua_State* L) {
  RK_MODEL_SELF("lua_Model_calcUVOffset");
  const std::string frame = toTextOrEmpty(L, 2);
  if (model && model->getRoot() && model->getRoot()->isReady())
    model->getRoot()->offsetFrameUV(frame.c_str(), toFloatArg(L, 3), toFloatArg(L, 4));
  return noResult(L);
}

int lua_Model_createFrustumModel(lua_State* L) {
  RK_MODEL_SELF("lua_Model_createFrustumModel");
  if (model) model->createCullingBody();
  return noResult(L);
}

int lua_Model_releaseFrustumModel(lua_State* L) {
  RK_MODEL_SELF("lua_Model_releaseFrustumModel");
  if (model) model->releaseCullingBody();
  return noResult(L);
}

int lua_Model_setSizeFrustumModel(lua_State* L) {
  RK_MODEL_SELF("lua_Model_setSizeFrustumModel");
  if (model && model->cullingBody()) model->cullingBody()->setSize(toXYZArgs(L, 2));
  return noResult(L);
}

int lua_Model_setOffseteFrustumModel(lua_State* L) {
  RK_MODEL_SELF("lua_Model_setOffseteFrustumModel");
  const ::rk::math::Matrix* offset = math::toMatrix(L, 2);
  if (model && model->cullingBody() && offset) model->setCullingOffset(*offset);
  return noResult(L);
}

// The model's own methods, in table order after the four shared ones.
const luaL_Reg kModelMethods[] = {
    {"load", lua_Model_load},
    {"isReady", lua_ModelIsReady},
    {"setQuat", lua_ModelSetRotationQuat},
    {"getQuat", lua_Model_getQuat},
    {"changeAnime", lua_ModelChangeAnimation},
    {"shiftAnime", lua_ModelShiftAnimation},
    {"setLoopAnime", lua_ModelSetLoopAnimation},
    {"setPlayAnime", lua_ModelSetPlayAnimation},
    {"setStopAnime", lua_Model_setStopAnime},
    {"setRestartAnime", lua_Model_setRestartAnime},
    {"isLoopAnime", lua_Model_isLoopAnime},
    {"isEndOfAnime", lua_Model_isEndOfAnime},
    {"getAnimeID", lua_Model_getAnimeID},
    {"getAnimeTakeNum", lua_Model_getAnimeTakeNum},
    {"getAnimeNameByNum", lua_Model_getAnimeNameByNum},
    {"getNowAnimeTime", lua_Model_getNowAnimeTime},
    {"getMaxAnimeTime", lua_Model_getMaxAnimeTime},
    {"setNowAnimeTime", lua_Model_setNowAnimeTime},
    {"setVisible", lua_Model_setVisible},
    {"isVisible", lua_Model_isVisible},
    {"setShadowPlane", lua_Model_setShadowPlane},
    {"setShadow", lua_Model_setShadow},
    {"setShadowCast", lua_Model_setShadowCast},
    {"setShadowColor", lua_Model_setShadowColor},
    {"findFrameCenterPoint", lua_Model_findFrameCenterPoint},
    {"findFramePlane", lua_Model_findFramePlane},
    {"findFrameSphere", lua_Model_findFrameSphere},
    {"findFrameAABB", lua_Model_findFrameAABB},
    {"attach", lua_Model_attach},
    {"detach", lua_Model_detach},
    {"getFramePosAndRot", lua_Model_getFramePosAndRot},
    {"calcFrameMtx", lua_Model_calcFrameMtx},
    {"calcTransformation", lua_Model_calcTransformation},
    {"mulFrameMtxNormal", lua_Model_mulFrameMtxNormal},
    {"mulFrameMtxCoord", lua_Model_mulFrameMtxCoord},
    {"searchFrameNameBack", lua_Model_searchFrameNameBack},
    {"setRenderBit", lua_Model_setRenderBit},
    {"setScaling", lua_Model_setScaling},
    {"setPosition", lua_Model_setPosition},
    {"getPosition", lua_Model_getPosition},
    {"setYawPitchRoll", lua_Model_setYawPitchRoll},
    {"setRenderCameraBit", lua_Model_setRenderCameraBit},
    {"setRenderPriority", lua_Model_setRenderPriority},
    {"setLightMode", lua_Model_setLightMode},
    {"setAmbientColor", lua_Model_setAmbientColor},
    {"getLightMode", lua_Model_getLightMode},
    {"setLightValid", lua_Model_setLightValid},
    {"setLightData", lua_Model_setLightData},
    {"addAmbientColor", lua_Model_addAmbientColor},
    {"computeBoundingBox", lua_Model_computeBoundingBox},
    {"attachFrameEffect", lua_Model_attachFrameEffect},
    {"attachFrameEffectFromEffectName", lua_Model_attachFrameEffectFromEffectName},
    {"getAttachFrameEffect", lua_Model_getAttachFrameEffect},
    {"clearAttachFrameEffectAll", lua_Model_clearAttachFrameEffectAll},
    {"clearAttachFrameEffect", lua_Model_clearAttachFrameEffect},
    {"attachFrameQueueEffect", lua_Model_attachFrameQueueEffect},
    {"isAliveEffectQueue", lua_Model_isAliveEffectQueue},
    {"isRunAnimQueue", lua_Model_isRunAnimQueue},
    {"clearAnimQueue", lua_Model_clearAnimQueue},
    {"pushAnimQueueWait", lua_Model_pushAnimQueueWait},
    {"pushAnimQueueEndOfWait", lua_Model_pushAnimQueueEndOfWait},
    {"pushAnimQueuePlay", lua_Model_pushAnimQueuePlay},
    {"pushAnimQueueChange", lua_Model_pushAnimQueueChange},
    {"pushAnimQueueShift", lua_Model_pushAnimQueueShift},
    {"pushAnimQueueLoop", lua_Model_pushAnimQueueLoop},
    {"pushAnimQueueSoundEffect", lua_Model_pushAnimQueueSoundEffect},
    {"getFrameMaterial", lua_Model_getFrameMaterial},
    {"setDrawMode", lua_Model_setDrawMode},
    {"setFrameQuat", lua_Model_setFrameQuat},
    {"createFrustumModel", lua_Model_createFrustumModel},
    {"releaseFrustumModel", lua_Model_releaseFrustumModel},
    {"setSizeFrustumModel", lua_Model_setSizeFrustumModel},
    {"setOffseteFrustumModel", lua_Model_setOffseteFrustumModel},
    {"calcUVOffset", lua_Model_calcUVOffset},
    {nullptr, nullptr},
};

class ModelMethods : public ILuaMethod {
 public:
  void registerMethods(lua_State* L) override {
    setModelRenderMethods<Model, kModelClass>(L);
    setMethods(L, kModelMethods);
  }
  void setMetatable(lua_State* L) override { setObjectMetatable(L, lua_Model_gc); }
};

}  // namespace

int createModel(lua_State* L) {
  lua_settop(L, 0);
  gfx::ModelManager* manager = gfx::ModelManager::getInstance();
  if (!manager) {
    lua_pushnil(L);
    return 1;
  }
  Model* model = manager->createModel();
  ModelMethods methods;
  LuaObjectBlock* block = nullptr;
  const int results = pushLuaObject(L, methods, model, kModelClass, &block);
  if (block) model->scriptLinks().link(block);
  return results;
}

// Takes the model out of the draw order and destroys it with its root. A
// model the engine destroyed first has already cleared the object's cell.
int lua_Model_gc(lua_State* L) {
  LuaObjectBlock* block = luaObjectBlock(L, 1);
  if (block && block->cls == &kModelClass) {
    if (auto* model = toLuaObject<Model>(L, 1, kModelClass)) {
      if (gfx::ModelManager* manager = gfx::ModelManager::findInstance()) manager->removeModel(model);
      model->setRoot(nullptr);
      delete model;
    }
    LuaObjectLinks::release(block);
    block->object = nullptr;
  }
  lua_settop(L, 0);
  return 0;
}

}  // namespace rk::script::gph
