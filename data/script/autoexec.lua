-- The first script the game runs. It loads the common sound effects, starts
-- the stage music (which loops by the points in its file) and keeps the game
-- running until its window is closed. Nothing is drawn yet.
function main()
  -- Held for the whole run: collecting the handle would release the group.
  COMMON_SE = loadSEGroup(SE_GROUP)
  while isSoundEffectLoding() do
    coroutine.yield()
  end
  playMusic(BGM_STAGE01)
  while true do
    coroutine.yield()
  end
end

entryCoRoutine("main")
