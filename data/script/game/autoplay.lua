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
