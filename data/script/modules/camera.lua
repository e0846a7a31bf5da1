-- The camera numbers of the game's drawing layers, read once from the game
-- library.
CAMERA = {}

local layers = {
  BACKGROUND = "getCameraNoBackground", MAP = "getCameraNoMap", ACTOR = "getCameraNoActor",
  ACTOR_EFFECT = "getCameraNoActorEffect", EFFECT = "getCameraNoEffect", MAP_EFFECT = "getCameraNoMapEffect",
  DEBUG_MAP = "getCameraNoDebMap", STATUS = "getCameraNoStatusDispolay", MENU_UNDER = "getCameraNoMenuUnder",
  WEAPON_MODEL_SELECT = "getCameraNoWeaponModelSelect", CONTINUE = "getCameraNoContinue",
  WEAPON_SELECT = "getCameraNoWeaponSelect", WEAPON_SELECT_DEMO = "getCameraNoWeaponSelectDEMO",
  WEAPON_SELECT_POWER = "getCameraNoWeaponSelectPowerParam", WARNING = "getCameraNoWarning",
  RANKING = "getCameraNoRanking", LOGO = "getCameraNoLogo", GAME_OVER = "getCameraNoGameOver",
  WIPE_EFFECT = "getCameraNoWipeEffect", TOP_EFFECT = "getCameraNoTopEffect", GAME_WIPE = "getCameraNoGameWipe",
  STAGE_NAME = "getCameraNoStageName",
}

for layer, functionName in pairs(layers) do
  local get = _G[functionName]
  if get then
    CAMERA[layer] = get()
  end
end
