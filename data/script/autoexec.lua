-- The first script the game runs: it brings in the game's scenes, puts the
-- saved controls on the player's pad, loads the common sound effects and
-- runs the scene flow from the title screen until the player exits.
local MODULES = {
  "guard", "autoplay", "frame", "input", "screen", "transition", "menu", "settings",
  "scene_title", "scene_keys", "scene_options", "scene_ranking",
  "stage_view", "stage_collision", "stage_player", "stage_bullets", "stage_items", "stage_waves", "stage_boss",
  "scene_stage", "scene_results", "flow",
}
for _, name in ipairs(MODULES) do
  includeModule("script/game/" .. name)
end

function main()
  -- Every frame steps the game by exactly 1/60 s, so a slow frame slows the
  -- game instead of making it jump.
  setFixFrame(true)
  Input.init()
  Settings.applyControls()
  -- Held for the whole run: collecting the handle would release the group.
  COMMON_SE = loadSEGroup(SE_GROUP)
  while isSoundEffectLoding() do
    Frame.next()
  end
  SceneFlow.run("title")
  AutoPlay.finish()
  exitGame()
  while true do
    coroutine.yield()
  end
end

entryCoRoutine("main")
