-- The scene flow: each scene runs until it names the next one (and what to
-- hand it); "exit" ends the game.
SceneFlow = {}

local SCENES = {
  title = function() return TitleScene.run() end,
  options = function() return OptionsScene.run() end,
  ranking = function(highlight) return RankingScene.run(highlight) end,
  stage = function() return StageScene.run() end,
  results = function(result) return ResultsScene.run(result) end,
}

function SceneFlow.run(first)
  local name, handed = first, nil
  while name ~= "exit" do
    local scene = SCENES[name]
    dassert(scene, "no scene named " .. tostring(name))
    if not scene then scene = SCENES.title end
    name, handed = scene(handed)
  end
end
