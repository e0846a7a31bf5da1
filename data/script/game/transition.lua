-- Wipes between scenes. The game's global wipe draws them when the game
-- offers it; otherwise the framework's fade keeps the time and the screen
-- draws a black curtain of its own.
Transition = {}

local SECONDS = 0.4

local function wipe()
  if not Guard.has("getGlobalWipe") then return nil end
  if not Transition.created then
    Guard.call("createGlobalWipe")
    Transition.created = true
  end
  return getGlobalWipe()
end

local function duration()
  if AutoPlay.isActive() then return 0.1 end
  return SECONDS
end

-- Runs one fade while draw() repaints the scene each frame; `cover` true
-- darkens the screen, false uncovers it.
local function run(cover, draw)
  local seconds = duration()
  local global = wipe()
  if global then
    if cover then global:fadeOut(0, 0, 0, seconds) else global:fadeIn(0, 0, 0, seconds) end
  else
    wipeReset()
    if cover then fadeOut(0, 0, 0, seconds) else fadeIn(0, 0, 0, seconds) end
  end
  local t = 0
  repeat
    t = t + Frame.dt
    local progress = clamp(t / seconds, 0, 1)
    if not global then
      Screen.curtain = cover and progress or 1 - progress
    end
    if draw then draw() end
    Frame.next()
    local ended = global and global:isEndOfWipe() or (not global and isEndOfWipe())
  until ended or t >= seconds * 4
  Screen.curtain = (cover and not global) and 1 or 0
end

function Transition.cover(draw)
  run(true, draw)
end

function Transition.uncover(draw)
  run(false, draw)
end
