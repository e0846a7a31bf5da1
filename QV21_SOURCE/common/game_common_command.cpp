#include "common/game_common_command.h"

#include "common/game_config_script.h"
#include "common/game_manager.h"
#include "font/initial_font_adapter.h"
#include "common/global_wipe.h"
#include "common/map_camera.h"
#include "script/rk_lua_arg.h"
#include "status/score_command.h"
#include "status/status_command.h"

namespace common {

namespace {

// Camera numbers of the game's drawing layers.
template <int Number>
int lua_cameraNumber(lua_State* L) {
  lua_settop(L, 0);
  lua_pushinteger(L, Number);
  return 1;
}

// damage × reload time, each first taken to single precision.
int lua_calcHpFromDamageReloadTime(lua_State* L) {
  const float damage = rk::script::toFloatArg(L, 1);
  const float reload = rk::script::toFloatArg(L, 2);
  lua_settop(L, 0);
  lua_pushnumber(L, damage * reload);
  return 1;
}

}  // namespace

const std::vector<rk::script::LuaFunctionPair>& gameCommonCommandLib() {
  static const std::vector<rk::script::LuaFunctionPair> entries = {
      {lua_createLinkMapCameraObject, "createLinkMapCameraObject"},
      {lua_createGameConfig, "createGameConfig"},
      {lua_getGameManager, "getGameManager"},
      {lua_cameraNumber<0>, "getCameraNoBackground"},
      {lua_cameraNumber<1>, "getCameraNoMap"},
      {lua_cameraNumber<2>, "getCameraNoActor"},
      {lua_cameraNumber<2>, "getCameraNoActorEffect"},
      {lua_cameraNumber<3>, "getCameraNoEffect"},
      {lua_cameraNumber<5>, "getCameraNoDebMap"},
      {lua_cameraNumber<6>, "getCameraNoStatusDispolay"},
      {lua_cameraNumber<7>, "getCameraNoMenuUnder"},
      {lua_cameraNumber<8>, "getCameraNoWeaponModelSelect"},
      {lua_cameraNumber<9>, "getCameraNoContinue"},
      {lua_cameraNumber<9>, "getCameraNoWeaponSelect"},
      {lua_cameraNumber<10>, "getCameraNoWeaponSelectDEMO"},
      {lua_cameraNumber<11>, "getCameraNoWeaponSelectPowerParam"},
      {lua_cameraNumber<8>, "getCameraNoWarning"},
      {lua_cameraNumber<4>, "getCameraNoMapEffect"},
      {lua_cameraNumber<10>, "getCameraNoRanking"},
      {lua_cameraNumber<10>, "getCameraNoLogo"},
      {lua_cameraNumber<10>, "getCameraNoGameOver"},
      {lua_cameraNumber<12>, "getCameraNoWipeEffect"},
      {lua_cameraNumber<13>, "getCameraNoTopEffect"},
      {lua_cameraNumber<6>, "getCameraNoGameWipe"},
      {lua_cameraNumber<14>, "getCameraNoStageName"},
      {lua_calcHpFromDamageReloadTime, "calcHpFromDamageReloadTime"},
      {status::lua_getScoreRanking, "getScoreRanking"},
      {status::lua_getNowRank, "getNowRank"},
      {font::lua_createInitialFont, "createInitialFont"},
      {status::lua_insertRankIn, "insertRankIn"},
      {lua_createGlobalWipe, "createGlobalWipe"},
      {lua_destroyGlobalWipe, "destroyGlobalWipe"},
      {lua_getGlobalWipe, "getGlobalWipe"},
      {status::lua_createStatusGauge, "createStatusGauge"},
  };
  return entries;
}

}  // namespace common
