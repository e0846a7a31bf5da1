-- The ranking: the ten best scores with their names. `highlight` marks a
-- rank just entered.
RankingScene = {}

local SHOW_SECONDS = 10

local function draw(highlight)
  Screen.begin()
  TitleScene.stars()
  Screen.panel(96, 128, 1184, 544, "RANKING")
  -- Two columns of five.
  for rank = 1, RANK_COUNT do
    local name, score = getScoreRanking(rank)
    local x = rank <= 5 and 144 or 672
    local y = 224 + ((rank - 1) % 5) * 64
    local c = rank == highlight and COLOUR.TITLE or COLOUR.TEXT
    Screen.text(x, y, string.format("%2d", rank), c)
    Screen.text(x + 64, y, name or "", c)
    Screen.text(x + 240, y, string.format("%9d", score or 0), c)
  end
  Screen.finish()
end

function RankingScene.run(highlight)
  local paint = function() draw(highlight) end
  Transition.uncover(paint)
  local seconds = AutoPlay.isActive() and 0.3 or SHOW_SECONDS
  Frame.wait(seconds, paint, function()
    local action = Input.menuAction()
    return action == "ok" or action == "cancel"
  end)
  Transition.cover(paint)
  return "title"
end
