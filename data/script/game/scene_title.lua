-- The title screen: the game's name over a slowly drifting backdrop and the
-- main menu.
TitleScene = {}

local STARS = {}
for i = 1, 48 do
  STARS[i] = { x = (i * 197) % Screen.WIDTH, y = (i * 131) % Screen.HEIGHT, speed = 20 + (i * 37) % 80 }
end

-- The drifting stars behind every menu screen.
function TitleScene.stars()
  for _, star in ipairs(STARS) do
    local x = (star.x - Frame.time * star.speed) % Screen.WIDTH
    Screen.fill(x, star.y, x + 3, star.y + 3, COLOUR.DIM)
  end
end

-- The backdrop that the title and its sub-screens share.
function TitleScene.backdrop()
  TitleScene.stars()
  Screen.centred(Screen.WIDTH / 2, 32, "QUORVANDEL", COLOUR.TITLE)
  Screen.centred(Screen.WIDTH / 2, 96, "ARMORED MACHINE SOLDIER", COLOUR.DIM)
end

local menu = Menu.new("title", "MAIN MENU", {
  { key = "start", label = "START" },
  { key = "options", label = "OPTIONS" },
  { key = "ranking", label = "RANKING" },
  { key = "exit", label = "EXIT" },
}, "exit")

function TitleScene.run()
  Transition.uncover(function() Screen.begin() TitleScene.backdrop() menu:draw() Screen.finish() end)
  local chosen = menu:run(TitleScene.backdrop)
  Transition.cover(function() Screen.begin() TitleScene.backdrop() menu:draw() Screen.finish() end)
  if chosen == "start" then return "stage" end
  return chosen
end
