-- Auto-play: when QUORVANDEL_AUTOPLAY holds a number of seconds, the game
-- plays itself for that long: menus take the entries of a fixed plan, the
-- stage is flown by a simple pilot, and the title screen ends the game once
-- the time is used up.
AutoPlay = {}

local seconds = tonumber(os.getenv("QUORVANDEL_AUTOPLAY") or "")
local elapsed = 0

-- Menu plans, one list per visit of a menu: each step names an entry and
-- what to do on it ("ok" chooses it, "left" and "right" change its value).
-- The title's last plan repeats, so the stage is flown again and again while
-- enough time is left for another round.
local plans = {
  title = { { { "options", "ok" } }, { { "ranking", "ok" } }, { { "start", "ok" } } },
  options = { { { "se", "left" }, { "keys", "ok" } }, { { "back", "ok" } } },
  keys = { { { "pad_shot", "right" }, { "back", "ok" } } },
}
local visits = {}
-- A new round of the stage starts only with at least this many seconds left.
local ROUND_SECONDS = 10

function AutoPlay.isActive()
  return seconds ~= nil and seconds > 0
end

function AutoPlay.advance(dt)
  elapsed = elapsed + dt
end

function AutoPlay.remaining()
  if not AutoPlay.isActive() then
    return math.huge
  end
  return seconds - elapsed
end

function AutoPlay.isOver()
  return AutoPlay.remaining() <= 0
end

-- The steps for this visit of the menu `id`: an empty list once the plan is
-- used up or the time is over, which makes the menu leave (Menu:autoStep).
function AutoPlay.plan(id)
  visits[id] = (visits[id] or 0) + 1
  local list = plans[id]
  if AutoPlay.isOver() or not list then
    return {}
  end
  local steps = list[visits[id]]
  if not steps and id == "title" and AutoPlay.remaining() >= ROUND_SECONDS then
    steps = list[#list]
  end
  local copy = {}
  for i, step in ipairs(steps or {}) do
    copy[i] = { step[1], step[2] }
  end
  return copy
end

-- The letters typed at the high-score entry.
AutoPlay.NAME = "AUTO"

-- What the auto-play did, for its summary line: stage rounds flown and
-- cleared, the best stage score, the kills and the combo chains the game
-- paid for.
local played = { rounds = 0, cleared = 0, best_score = 0, kills = 0, combos = 0 }
local watched = {}

-- Called once a frame by the stage with itself: a combo chain that has just
-- ended and raised the score display was paid (a chain of one kill ends
-- without pay).
function AutoPlay.watch(stage)
  if not AutoPlay.isActive() then return end
  local combo = stage.status and stage.status.combo
  if not combo then return end
  local ended = Guard.method(combo, "isComboEnd")
  local shown = stage:fightScore()
  if watched.stage == stage and ended and watched.ended == false and shown > watched.shown then
    played.combos = played.combos + 1
  end
  watched.stage, watched.ended, watched.shown = stage, ended, shown
end

-- Called by the results screen with each stage's result.
function AutoPlay.record(result)
  if not AutoPlay.isActive() or not result then return end
  played.rounds = played.rounds + 1
  if result.cleared then played.cleared = played.cleared + 1 end
  played.best_score = math.max(played.best_score, result.score or 0)
  played.kills = played.kills + (result.kills or 0)
  watched = {}
end

-- One line on standard output when the auto-play ends the game.
function AutoPlay.finish()
  if not AutoPlay.isActive() then return end
  io.stdout:write(string.format("autoplay summary: seconds=%.1f rounds=%d cleared=%d best_score=%d kills=%d combos=%d\n",
    elapsed, played.rounds, played.cleared, played.best_score, played.kills, played.combos))
  io.stdout:flush()
end
