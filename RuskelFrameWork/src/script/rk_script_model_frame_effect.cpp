// The model object's frame-effect methods: effects played on a frame and
// moved with it, looked up and released by frame name, and effects queued
// per frame so that they play one after another.
#include "effect/rk_effect_handle.h"
#include "rk_script_model_internal.h"
#include "script/rk_script_effect.h"
#include "script/rk_script_math.h"

namespace rk::script::gph {

using gfx::Model;
namespace rm = ::rk::math;

#define RK_MODEL_SELF(name) Model* model = selfModel(L, RK_MODEL_BINDING(name))

namespace {

void reportBinding(const char* binding, int line) {
  ::rk::debug::writeErrorLog("src/script/rk_script_model", line, binding);
}

// A frame name: a string or a number as its text; null for anything else.
bool frameArg(lua_State* L, int index, std::string& out) {
  const char* text = toTextArg(L, index);
  out = text ? text : "";
  return text != nullptr;
}

bool booleanOnly(lua_State* L, int index) { return lua_type(L, index) == LUA_TBOOLEAN && lua_toboolean(L, index); }

int pushBool(lua_State* L, bool value) {
  lua_settop(L, 0);
  lua_pushboolean(L, value);
  return 1;
}

}  // namespace

// Plays a handle's effect on the frame: flag 1 false, no sound, flag 2 false.
// A handle argument that holds no handle is reported and refused.
int lua_Model_attachFrameEffect(lua_State* L) {
  static const char kName[] = RK_MODEL_BINDING("lua_Model_attachFrameEffect");
  Model* model = selfModel(L, kName);
  std::string frame;
  const bool named = frameArg(L, 3, frame);
  auto* handle = toLuaObject<::rk::effect::EffectHandle>(L, 4, effect::kEffectHandleClass);
  const int offsetType = lua_type(L, 5);
  const rm::Matrix* offset = math::toMatrix(L, 5);
  const bool noOffset = offsetType == LUA_TNONE || offsetType == LUA_TNIL || offsetType == LUA_TBOOLEAN;
  if (model && (!handle || (!offset && !noOffset))) reportBinding(kName, __LINE__);
  const bool attached = model && named && handle && (offset || noOffset) &&
                        model->playFrameEffect(frame.c_str(), handle, offset ? *offset : rm::matrixIdentity(), false,
                                               -1, 0);
  return pushBool(L, attached);
}

int lua_Model_attachFrameEffectFromEffectName(lua_State* L) {
  RK_MODEL_SELF("lua_Model_attachFrameEffectFromEffectName");
  const int unit = toIntArg(L, 2);
  std::string frame;
  const bool named = frameArg(L, 3, frame);
  const std::string effectName = toTextOrEmpty(L, 4);
  const std::string sound = toTextOrEmpty(L, 5);
  const rm::Matrix* offset = math::toMatrix(L, 6);
  const bool flag1 = booleanOnly(L, 7);
  const float volume = lua_isnumber(L, 8) ? toFloatArg(L, 8) : 1.0f;
  const bool flag2 = booleanOnly(L, 9);
  const bool attached = model && named &&
                        model->attachFrameEffect(unit, frame.c_str(), effectName.c_str(), sound.c_str(),
                                                 offset ? *offset : rm::matrixIdentity(), flag1, volume, flag2 ? 1 : 0);
  return pushBool(L, attached);
}

// A new handle object for the first effect on the frame, or nil.
int lua_Model_getAttachFrameEffect(lua_State* L) {
  Model* model = heldModel(L);
  const std::string frame = toTextOrEmpty(L, 2);
  ::rk::effect::EffectHandle* handle = model ? model->findFrameEffect(frame.c_str()) : nullptr;
  lua_settop(L, 0);
  if (!handle) {
    lua_pushnil(L);
    return 1;
  }
  return effect::pushEffectHandle(L, handle);
}

int lua_Model_clearAttachFrameEffectAll(lua_State* L) {
  if (Model* model = heldModel(L)) model->detachFrameEffects();
  return noResult(L);
}

int lua_Model_clearAttachFrameEffect(lua_State* L) {
  const std::string frame = toTextOrEmpty(L, 2);
  if (Model* model = heldModel(L)) model->detachFrameEffect(frame.c_str());
  return noResult(L);
}

// Unit, frame, effect name (required), sound, offset (matrix, required),
// flag 1, volume (0 when absent), flag 2.
int lua_Model_attachFrameQueueEffect(lua_State* L) {
  static const char kName[] = RK_MODEL_BINDING("lua_Model_attachFrameQueueEffect");
  Model* model = selfModel(L, kName);
  const int unit = toIntArg(L, 2);
  std::string frame;
  const bool named = frameArg(L, 3, frame);
  const char* effectText = toTextArg(L, 4);
  const std::string effectName = effectText ? effectText : "";
  const std::string sound = toTextOrEmpty(L, 5);
  const rm::Matrix* offset = math::toMatrix(L, 6);
  const bool flag1 = toBoolArg(L, 7);
  const float volume = toFloatArg(L, 8);
  const bool flag2 = toBoolArg(L, 9);
  bool queued = false;
  if (model) {
    if (!effectText) ::rk::debug::writeErrorLog("src/gfx/rk_model", __LINE__, "rk::gfx::Model::attachFrameQueueEffect");
    if (!offset) reportBinding(kName, __LINE__);
    if (named && effectText && offset)
      queued = model->attachFrameQueueEffect(unit, frame.c_str(), effectName.c_str(), sound.c_str(), *offset,
                                             flag1 ? 1.0f : 0.0f, flag2 ? 1 : 0, volume);
  }
  return pushBool(L, queued);
}

int lua_Model_isAliveEffectQueue(lua_State* L) {
  Model* model = heldModel(L);
  const std::string frame = toTextOrEmpty(L, 2);
  return pushBool(L, model && model->isAliveEffectQueue(frame.c_str()));
}

}  // namespace rk::script::gph
