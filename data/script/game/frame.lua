-- The frame clock of the scenes: every wait for the next frame goes through
-- Frame.next, which also counts the auto-play time.
Frame = { dt = 1 / 60, time = 0 }

function Frame.next()
  coroutine.yield()
  local dt = getDT()
  Frame.dt = dt
  Frame.time = Frame.time + dt
  AutoPlay.advance(dt)
end

-- Waits `seconds`, calling draw() once a frame; stops early when skip()
-- returns true.
function Frame.wait(seconds, draw, skip)
  local t = 0
  while t < seconds do
    if draw then draw() end
    if skip and skip() then return end
    Frame.next()
    t = t + Frame.dt
  end
end
