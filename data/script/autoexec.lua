-- The first script the game runs. Nothing is drawn yet: the script waits one
-- frame after another, and the game runs until its window is closed.
function main()
  while true do
    coroutine.yield()
  end
end

entryCoRoutine("main")
