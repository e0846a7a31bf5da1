-- Constants of the game shared by its scripts.
ACTOR_KIND = {
  BODY = 0,
  PLAYER = 1,
  ENEMY = 2,
  PLAYER_BULLET = 3,
  ENEMY_BULLET = 4,
}

SE_GROUP = "audio/se/common01.bsp"
SE = {
  SHOT_HIT = "audio/se/common01/shot_hit.ogg",
  EXPLOSION = "audio/se/common01/explosion02.ogg",
  PLAYER_DAMAGE = "audio/se/common01/player_damage.ogg",
  POWER_UP = "audio/se/common01/player_power_up.ogg",
  SP_ATTACK = "audio/se/common01/player_sp_attack.ogg",
  REFLECT = "audio/se/common01/reflect.ogg",
}
BGM_STAGE01 = "audio/bgm/stage01.ogg"
BGM_BOSS01 = "audio/bgm/boss01.ogg"

SCORE_PER_CHAIN_KILL = 1000
RANK_COUNT = 10

-- Logical buttons of the game actions on the player's controller; 0 and 1
-- stay OK and cancel, 6 and 7 tab and delete.
ACTION = {
  SHOT = 2,
  TRANS = 3,
  CAPTURE = 4,
  GUARD = 5,
  PAUSE = 8,
  LOCKON = 9,
}
PAD_BUTTON_COUNT = 16
