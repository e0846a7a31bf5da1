-- Small helpers every script may use.

function clamp(value, low, high)
  if value < low then return low end
  if value > high then return high end
  return value
end

function lerp(from, to, t)
  return from + (to - from) * t
end

-- Gives up the rest of this frame `frames` times (inside a coroutine).
function waitFrames(frames)
  for _ = 1, frames do
    coroutine.yield()
  end
end

-- Calls `step(frame)` once a frame until it returns true or `limit` frames
-- have passed; returns whether it finished.
function waitUntil(step, limit)
  for frame = 1, limit or math.huge do
    if step(frame) then return true end
    coroutine.yield()
  end
  return false
end
