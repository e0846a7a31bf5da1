-- The ranking: the ten best scores with their names. `highlight` marks a
-- rank just entered.
RankingScene = {}

local SHOW_SECONDS = 10

local function draw(highlight)
  Screen.begin()
  TitleScene.backdrop()
  Screen.panel(340, 180, 940, 660, "RANKING")
  for rank = 1, RANK_COUNT do
    local name, score = getScoreRanking(rank)
    local y = 200 + rank * 40
    local c = rank == highlight and COLOUR.TITLE or COLOUR.TEXT
    Screen.text(400, y, string.format("%2d", rank), c)
    Screen.text(480, y, name or "", c)
    Screen.text(700, y, string.format("%10d", score or 0), c)
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
