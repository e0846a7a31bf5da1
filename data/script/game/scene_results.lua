-- The results of a stage: the score, and when it makes the ranking, the
-- entry of the player's name. Then the ranking shows where it went.
ResultsScene = {}

local LETTERS = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-"
local END_MARK = #LETTERS + 1  -- the picker's last place finishes the name
NAME_LENGTH = 6                -- the score file keeps 7 bytes of name
local AUTO_DELAY = 3

local function letterAt(index)
  return LETTERS:sub(index, index)
end

local function draw(result, rank, name, picker)
  Screen.begin()
  TitleScene.backdrop()
  Screen.panel(320, 160, 960, 608, result.cleared and "STAGE CLEAR" or "RESULTS")
  Screen.text(400, 256, string.format("SCORE  %10d", result.score))
  Screen.text(400, 320, string.format("KILLS  %10d", result.kills), COLOUR.DIM)
  if rank > 0 then
    Screen.text(400, 384, string.format("NEW RECORD!  RANK %d", rank), COLOUR.ALERT)
    local shown = picker == END_MARK and "END" or letterAt(picker)
    Screen.text(400, 448, "NAME   " .. name .. (#name < NAME_LENGTH and "_" or ""), COLOUR.TITLE)
    Screen.text(400, 512, "LETTER " .. shown, COLOUR.TEXT)
  end
  Screen.finish()
end

-- The auto-play typist: moves the picker to each letter of the name in
-- turn and takes it, then to the end mark.
local function autoAction(state, name, picker)
  state.wait = (state.wait or 0) + 1
  if state.wait < AUTO_DELAY then return nil end
  state.wait = 0
  local want = #name < #AutoPlay.NAME and LETTERS:find(AutoPlay.NAME:sub(#name + 1, #name + 1), 1, true) or END_MARK
  if picker ~= want then return "jump", want end
  return "ok"
end

-- Picks letters with up and down, takes one with OK, removes the last with
-- cancel; OK on the end mark (or a full name) finishes.
local function enterName(result, rank)
  local name, picker, state = "", 1, {}
  while true do
    local action, target
    if AutoPlay.isActive() then action, target = autoAction(state, name, picker) else action = Input.menuAction() end
    if action == "jump" then
      picker = target
    elseif action == "up" then
      picker = (picker - 2) % END_MARK + 1
    elseif action == "down" then
      picker = picker % END_MARK + 1
    elseif action == "cancel" then
      name = name:sub(1, -2)
    elseif action == "ok" then
      if picker == END_MARK then break end
      name = name .. letterAt(picker)
      if #name >= NAME_LENGTH then picker = END_MARK end
    end
    draw(result, rank, name, picker)
    Frame.next()
  end
  if name == "" then name = "NONAME" end
  return name
end

function ResultsScene.run(result)
  result = result or { score = 0, kills = 0 }
  AutoPlay.record(result)
  local rank = getNowRank(result.score)
  local paint = function() draw(result, rank, "", 1) end
  Transition.uncover(paint)
  if rank > 0 then
    local name = enterName(result, rank)
    insertRankIn(result.score, name)
    paint = function() draw(result, 0, "", 1) end
  else
    Frame.wait(AutoPlay.isActive() and 0.2 or 4, paint, function() return Input.menuAction() == "ok" end)
  end
  Transition.cover(paint)
  if rank > 0 then
    return "ranking", rank
  end
  return "title"
end
