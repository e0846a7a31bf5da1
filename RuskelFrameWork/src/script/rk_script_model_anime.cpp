// The model object's animation methods (takes, loop, play, stop, time) and
// its animation queue, which the model manager works through every frame.
#include "rk_script_model_internal.h"
#include "script/rk_script_math.h"

namespace rk::script::gph {

using gfx::Model;

#define RK_MODEL_SELF(name) Model* model = selfModel(L, RK_MODEL_BINDING(name))

namespace {
int pushBool(lua_State* L, bool value) {
  lua_settop(L, 0);
  lua_pushboolean(L, value);
  return 1;
}
int pushNumber(lua_State* L, double value) {
  lua_settop(L, 0);
  lua_pushnumber(L, value);
  return 1;
}
}  // namespace

int lua_ModelChangeAnimation(lua_State* L) {
  RK_MODEL_SELF("lua_ModelChangeAnimation");
  if (model) model->changeAnime(toIntArg(L, 2));
  return noResult(L);
}

int lua_ModelShiftAnimation(lua_State* L) {
  RK_MODEL_SELF("lua_ModelShiftAnimation");
  if (model) model->shiftAnime(toIntArg(L, 2), toFloatArg(L, 3));
  return noResult(L);
}

int lua_ModelSetLoopAnimation(lua_State* L) {
  RK_MODEL_SELF("lua_ModelSetLoopAnimation");
  if (model) model->setLoopAnime(toBoolArg(L, 2));
  return noResult(L);
}

int lua_ModelSetPlayAnimation(lua_State* L) {
  RK_MODEL_SELF("lua_ModelSetPlayAnimation");
  if (model) model->setPlayAnime(toBoolArg(L, 2) ? 1 : 0);
  return noResult(L);
}

int lua_Model_setStopAnime(lua_State* L) {
  RK_MODEL_SELF("lua_Model_setStopAnime");
  if (model) model->setStopAnime();
  return noResult(L);
}

int lua_Model_setRestartAnime(lua_State* L) {
  RK_MODEL_SELF("lua_Model_setRestartAnime");
  if (model) model->setRestartAnime();
  return noResult(L);
}

int lua_Model_isLoopAnime(lua_State* L) {
  RK_MODEL_SELF("lua_Model_isLoopAnime");
  return pushBool(L, model && model->isLoopAnime());
}

int lua_Model_isEndOfAnime(lua_State* L) {
  RK_MODEL_SELF("lua_Model_isEndOfAnime");
  return pushBool(L, model && model->isEndOfAnime());
}

// The take number of the name; 0 when the name is unknown.
int lua_Model_getAnimeID(lua_State* L) {
  RK_MODEL_SELF("lua_Model_getAnimeID");
  const std::string name = toTextOrEmpty(L, 2);
  int take = 0;
  if (!model || !model->getAnimeID(take, name.c_str())) take = 0;
  return pushNumber(L, static_cast<unsigned>(take));
}

int lua_Model_getAnimeTakeNum(lua_State* L) {
  RK_MODEL_SELF("lua_Model_getAnimeTakeNum");
  return pushNumber(L, model ? static_cast<unsigned>(model->getAnimeTakeNum()) : 0u);
}

int lua_Model_getAnimeNameByNum(lua_State* L) {
  RK_MODEL_SELF("lua_Model_getAnimeNameByNum");
  const char* name = model ? model->getAnimeNameByNum(toIntArg(L, 2)) : nullptr;
  const std::string text = name ? name : "";
  lua_settop(L, 0);
  if (name)
    lua_pushstring(L, text.c_str());
  else
    lua_pushnil(L);
  return 1;
}

int lua_Model_getNowAnimeTime(lua_State* L) {
  RK_MODEL_SELF("lua_Model_getNowAnimeTime");
  return pushNumber(L, model ? model->getNowAnimeTime() : 0.0f);
}

int lua_Model_getMaxAnimeTime(lua_State* L) {
  RK_MODEL_SELF("lua_Model_getMaxAnimeTime");
  return pushNumber(L, model ? model->getMaxAnimeTime() : 0.0f);
}

int lua_Model_setNowAnimeTime(lua_State* L) {
  if (Model* model = heldModel(L)) model->setNowAnimeTime(toFloatArg(L, 2));
  return noResult(L);
}

int lua_Model_isRunAnimQueue(lua_State* L) {
  RK_MODEL_SELF("lua_Model_isRunAnimQueue");
  return pushBool(L, model && model->isRunAnimQueue());
}

int lua_Model_clearAnimQueue(lua_State* L) {
  RK_MODEL_SELF("lua_Model_clearAnimQueue");
  if (model) model->clearAnimQueue();
  return noResult(L);
}

int lua_Model_pushAnimQueueWait(lua_State* L) {
  RK_MODEL_SELF("lua_Model_pushAnimQueueWait");
  if (model) model->pushAnimQueueWait(toFloatArg(L, 2));
  return noResult(L);
}

int lua_Model_pushAnimQueueEndOfWait(lua_State* L) {
  RK_MODEL_SELF("lua_Model_pushAnimQueueEndOfWait");
  if (model) model->pushAnimQueueEndOfWait();
  return noResult(L);
}

int lua_Model_pushAnimQueuePlay(lua_State* L) {
  RK_MODEL_SELF("lua_Model_pushAnimQueuePlay");
  if (model) model->pushAnimQueuePlay(toBoolArg(L, 2) ? 1 : 0);
  return noResult(L);
}

int lua_Model_pushAnimQueueChange(lua_State* L) {
  RK_MODEL_SELF("lua_Model_pushAnimQueueChange");
  if (model) model->pushAnimQueueChange(toIntArg(L, 2));
  return noResult(L);
}

int lua_Model_pushAnimQueueShift(lua_State* L) {
  RK_MODEL_SELF("lua_Model_pushAnimQueueShift");
  if (model) model->pushAnimQueueShift(toIntArg(L, 2), toFloatArg(L, 3));
  return noResult(L);
}

int lua_Model_pushAnimQueueLoop(lua_State* L) {
  RK_MODEL_SELF("lua_Model_pushAnimQueueLoop");
  if (model) model->pushAnimQueueLoop(toBoolArg(L, 2));
  return noResult(L);
}

// Sound name; frame name (optional); volume (1 unless a number); offset
// (identity unless a matrix object); flag (only a boolean counts).
int lua_Model_pushAnimQueueSoundEffect(lua_State* L) {
  RK_MODEL_SELF("lua_Model_pushAnimQueueSoundEffect");
  const std::string sound = toTextOrEmpty(L, 2);
  const std::string frame = toTextOrEmpty(L, 3);
  const float volume = lua_type(L, 4) == LUA_TNUMBER ? toFloatArg(L, 4) : 1.0f;
  const ::rk::math::Matrix* offset = math::toMatrix(L, 5);
  const bool flag = lua_type(L, 6) == LUA_TBOOLEAN && lua_toboolean(L, 6);
  if (model)
    model->pushAnimQueueSoundEffect(sound.c_str(), frame.c_str(), volume, offset ? *offset : ::rk::math::matrixIdentity(),
                                    flag);
  return noResult(L);
}

}  // namespace rk::script::gph
