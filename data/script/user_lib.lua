-- Preloaded first into every script: makes the functions of the game's seven
-- libraries globals of this script state.
GAME_LIBRARIES = {
  "player_command",
  "actor_body_command",
  "enemy_command",
  "status_unit_command",
  "collision_gorup_lib",
  "game_commmon_command_lib",
  "flush_group_command",
}

for _, name in ipairs(GAME_LIBRARIES) do
  loadUserLibrary(name)
end
