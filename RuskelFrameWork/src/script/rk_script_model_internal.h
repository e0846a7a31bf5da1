// The model object's bindings, shared between the files that define them
// and the file that builds the model's method table.
#pragma once
#include <lua.hpp>

#include "gfx/rk_model.h"
#include "kernel/rk_error_log.h"
#include "script/rk_lua_arg.h"
#include "script/rk_script_model.h"

namespace rk::script::gph {

#define RK_MODEL_BINDING(name) "rk::script::gph::`anonymous-namespace'::" name

// The model of argument 1, or null after the binding's error-log entry.
inline gfx::Model* selfModel(lua_State* L, const char* binding) {
  auto* model = toLuaObject<gfx::Model>(L, 1, kModelClass);
  if (!model) ::rk::debug::writeErrorLog("src/script/rk_script_model", __LINE__, binding);
  return model;
}
// The model of argument 1 for the bindings that do not report.
inline gfx::Model* heldModel(lua_State* L) { return toLuaObject<gfx::Model>(L, 1, kModelClass); }

inline int noResult(lua_State* L) {
  lua_settop(L, 0);
  return 0;
}

// Animation and animation-queue bindings.
int lua_ModelChangeAnimation(lua_State* L);
int lua_ModelShiftAnimation(lua_State* L);
int lua_ModelSetLoopAnimation(lua_State* L);
int lua_ModelSetPlayAnimation(lua_State* L);
int lua_Model_setStopAnime(lua_State* L);
int lua_Model_setRestartAnime(lua_State* L);
int lua_Model_isLoopAnime(lua_State* L);
int lua_Model_isEndOfAnime(lua_State* L);
int lua_Model_getAnimeID(lua_State* L);
int lua_Model_getAnimeTakeNum(lua_State* L);
int lua_Model_getAnimeNameByNum(lua_State* L);
int lua_Model_getNowAnimeTime(lua_State* L);
int lua_Model_getMaxAnimeTime(lua_State* L);
int lua_Model_setNowAnimeTime(lua_State* L);
int lua_Model_isRunAnimQueue(lua_State* L);
int lua_Model_clearAnimQueue(lua_State* L);
int lua_Model_pushAnimQueueWait(lua_State* L);
int lua_Model_pushAnimQueueEndOfWait(lua_State* L);
int lua_Model_pushAnimQueuePlay(lua_State* L);
int lua_Model_pushAnimQueueChange(lua_State* L);
int lua_Model_pushAnimQueueShift(lua_State* L);
int lua_Model_pushAnimQueueLoop(lua_State* L);
int lua_Model_pushAnimQueueSoundEffect(lua_State* L);

// Frame bindings.
int lua_Model_findFrameCenterPoint(lua_State* L);
int lua_Model_findFramePlane(lua_State* L);
int lua_Model_findFrameSphere(lua_State* L);
int lua_Model_findFrameAABB(lua_State* L);
int lua_Model_attach(lua_State* L);
int lua_Model_detach(lua_State* L);
int lua_Model_getFramePosAndRot(lua_State* L);
int lua_Model_calcFrameMtx(lua_State* L);
int lua_Model_mulFrameMtxNormal(lua_State* L);
int lua_Model_mulFrameMtxCoord(lua_State* L);
int lua_Model_searchFrameNameBack(lua_State* L);
int lua_Model_setFrameQuat(lua_State* L);

// Frame-effect bindings.
int lua_Model_attachFrameEffect(lua_State* L);
int lua_Model_attachFrameEffectFromEffectName(lua_State* L);
int lua_Model_getAttachFrameEffect(lua_State* L);
int lua_Model_clearAttachFrameEffectAll(lua_State* L);
int lua_Model_clearAttachFrameEffect(lua_State* L);
int lua_Model_attachFrameQueueEffect(lua_State* L);
int lua_Model_isAliveEffectQueue(lua_State* L);

}  // namespace rk::script::gph
