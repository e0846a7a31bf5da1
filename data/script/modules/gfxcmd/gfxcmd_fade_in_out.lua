-- A fade value that moves from transparent to opaque (fade out) or back (fade
-- in) over a duration, stepped once a frame.
FadeInOut = Instance.class()

function FadeInOut:init(duration, fadeIn)
  self.duration = duration
  self.fadeIn = fadeIn
  self.time = 0
end

-- Advances the fade; returns its alpha, 0..1.
function FadeInOut:step(dt)
  self.time = math.min(self.time + dt, self.duration)
  return self:alpha()
end

function FadeInOut:alpha()
  local t = self.duration > 0 and self.time / self.duration or 1
  if self.fadeIn then
    return 1 - t
  end
  return t
end

function FadeInOut:isDone()
  return self.time >= self.duration
end
