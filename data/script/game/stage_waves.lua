-- The enemy waves of a stage: when each comes, which kind of enemy, how many,
-- in which formation. Each kind flies and fires in its own way (KINDS); the
-- waves own the stage's enemy fire (StageBullets, `waves.bullets`) and its
-- pick-ups (StageItems, `waves.items`), so a boss can fire through the same
-- bullets. Enemies are made by the game's enemy manager with an enemy body
-- each; where the game offers no enemy creators (the scripts run on the
-- framework alone), a wave comes and goes without enemies.
StageWaves = Instance.class()

-- Kinds of enemy: hit points, speed down the area, how they move ("dive"
-- flies through; "hold" stops at `holdZ`, strafes for `stay` seconds and
-- leaves), how often they fire (seconds) and what (`fire` below), and
-- whether a kill always leaves a pick-up.
local KINDS = {
  drone = { hp = 8, speed = 8, move = "dive", sway = 2, reload = 2.4, fire = "aimed" },
  gunner = { hp = 16, speed = 10, move = "hold", holdZ = 12, stay = 7, sway = 5, reload = 1.8, fire = "fan" },
  lancer = { hp = 14, speed = 11, move = "dive", sway = 1, reload = 1.6, fire = "needles" },
  spinner = { hp = 24, speed = 5, move = "hold", holdZ = 14, stay = 8, sway = 2, reload = 1.5, fire = "ring" },
  laser = { hp = 24, speed = 9, move = "hold", holdZ = 13, stay = 8, sway = 3, reload = 3.2, fire = "laser" },
  bender = { hp = 24, speed = 9, move = "hold", holdZ = 14, stay = 8, sway = 6, reload = 3.6, fire = "chain" },
  carrier = { hp = 40, speed = 3.5, move = "dive", sway = 0.5, reload = 2.6, fire = "wide", drops = true },
}

-- The first stage: about 145 s of waves, none from 70 to 95 s (the mid-boss
-- comes at about 75 s) and none after 145 s (the boss at about 150 s).
StageWaves.STAGE01 = {
  { at = 2, kind = "drone", count = 5, formation = "line" },
  { at = 6, kind = "lancer", count = 4, formation = "line" },
  { at = 9, kind = "laser", count = 1, formation = "centre" },
  { at = 11, kind = "bender", count = 1, formation = "centre" },
  { at = 14, kind = "drone", count = 6, formation = "vee" },
  { at = 19, kind = "gunner", count = 2, formation = "pair" },
  { at = 25, kind = "spinner", count = 1, formation = "centre" },
  { at = 29, kind = "drone", count = 8, formation = "arc" },
  { at = 35, kind = "laser", count = 2, formation = "pair" },
  { at = 41, kind = "carrier", count = 1, formation = "centre" },
  { at = 44, kind = "lancer", count = 6, formation = "vee" },
  { at = 50, kind = "bender", count = 1, formation = "centre" },
  { at = 54, kind = "gunner", count = 3, formation = "line" },
  { at = 59, kind = "drone", count = 10, formation = "arc" },
  { at = 64, kind = "spinner", count = 2, formation = "pair" },
  -- The mid-boss's time: no waves from 70 to 95 s.
  { at = 96, kind = "drone", count = 8, formation = "vee" },
  { at = 100, kind = "laser", count = 2, formation = "pair" },
  { at = 105, kind = "lancer", count = 6, formation = "arc" },
  { at = 110, kind = "bender", count = 2, formation = "pair" },
  { at = 115, kind = "carrier", count = 1, formation = "centre" },
  { at = 118, kind = "gunner", count = 4, formation = "line" },
  { at = 124, kind = "spinner", count = 2, formation = "pair" },
  { at = 129, kind = "drone", count = 12, formation = "arc" },
  { at = 134, kind = "laser", count = 1, formation = "centre" },
  { at = 135, kind = "bender", count = 1, formation = "centre" },
  { at = 139, kind = "lancer", count = 8, formation = "vee" },
  -- The boss's time: no waves after 145 s.
}

-- The actor camera shows the plane from about z = -9 (bottom) to z = 17
-- (top): enemies come in just above the top and fire only once in view.
local ENTRY_Z, EXIT_Z, LEAVE_Z = 21, -14, 24
local PLAY_TOP = 16
-- Fire grows faster as the stage goes on: the reload is divided by
-- 1 + time / HARDER seconds.
local HARDER = 150
-- The first kill and every DROP_EVERY-th after it leave a pick-up (a
-- carrier always does).
local DROP_EVERY = 4

-- Where enemy i of n starts, by formation.
local FORMATIONS = {
  line = function(i, n) return (i - (n + 1) / 2) * 3, ENTRY_Z end,
  vee = function(i, n) local k = i - (n + 1) / 2 return k * 3, ENTRY_Z + math.abs(k) * 3 end,
  arc = function(i, n) local a = (i - 1) / math.max(1, n - 1) * math.pi return math.cos(a) * 10, ENTRY_Z + math.sin(a) * 6 end,
  pair = function(i, n) return (i - (n + 1) / 2) * 12, ENTRY_Z end,
  centre = function(i, n) return (i - (n + 1) / 2) * 4, ENTRY_Z end,
}

local function enemyManager()
  local game = Guard.call("getGameManager")
  return Guard.method(game, "getEnemyManager")
end

function StageWaves:init(plan, collision)
  self.plan = plan
  self.collision = collision
  self.next = 1
  self.time = 0
  self.enemies = {}
  self.kills = 0
  self.wave = 0
  self.manager = enemyManager()
  self.bullets = StageBullets.new(collision)
  self.items = StageItems.new(collision)
end

function StageWaves:canSpawn()
  return Guard.has("createEnemyRigidBodySphere") and self.manager ~= nil
      and type(self.manager.createEnemy) == "function"
end

-- One enemy of `kind` with a sphere body and the drone model; nil without the
-- enemy library.
function StageWaves:spawn(kind, x, z, index)
  -- Nothing is taken from the game's pools unless a whole enemy can be made.
  if not self:canSpawn() then return nil end
  local spec = KINDS[kind] or KINDS.drone
  local enemy = self.manager:createEnemy(index)
  local body = createEnemyRigidBodySphere()
  local model = createModel()
  model:load("model/drone/drone.mdl")
  model:setRenderCameraBit(cameraBit(CAMERA.ACTOR))
  Guard.method(enemy, "setHpMax", spec.hp)
  Guard.method(enemy, "setHp", spec.hp)
  -- Enemies come out of the pool unhurtable; these can be shot down.
  Guard.method(enemy, "setNoDamageFlag", false)
  Guard.method(enemy, "entryRootSphereBody", body)
  Guard.method(body, "setOwner", enemy)
  Guard.method(body, "setModel", model)
  Guard.method(body, "setValid", true)
  Guard.method(body, "setPos", x, 0, z)
  self.collision:add("enemies", body)
  return { enemy = enemy, body = body, model = model, kind = kind, spec = spec, x = x, z = z, baseX = x,
           phase = index, age = 0, reload = spec.reload * (0.5 + 0.15 * index), shots = 0 }
end

function StageWaves:launch(wave)
  self.wave = self.wave + 1
  self.announce = 1.5
  local place = FORMATIONS[wave.formation] or FORMATIONS.line
  for i = 1, wave.count do
    local x, z = place(i, wave.count)
    local e = self:spawn(wave.kind or "drone", x, z, i)
    if e then self.enemies[#self.enemies + 1] = e end
  end
end

-- What each kind fires.
local FIRE = {
  aimed = function(b, e) b:aimed("sphere", e.x, e.z - 1, 11) end,
  fan = function(b, e) b:aimed("sphere", e.x, e.z - 1, 10, e.shots % 2 == 0 and 3 or 5, 0.22) end,
  needles = function(b, e) b:aimed("capsule", e.x, e.z - 1, e.shots % 2 == 0 and 16 or 13) end,
  ring = function(b, e) b:ring("sphere", e.x, e.z, 7, 12, e.shots * 0.13) end,
  laser = function(b, e) b:aimedLaser(e.x, e.z - 1, 18, 4) end,
  chain = function(b, e) b:chain(e.x, e.z - 1, 11, 8) end,
  wide = function(b, e)
    b:aimed("capsule", e.x, e.z - 1, 9, 7, 0.3)
    if e.shots % 3 == 2 then b:ring("sphere", e.x, e.z, 6, 10) end
  end,
}

-- Moves enemy e by its kind's way of flying; true once it has left.
function StageWaves:fly(e, dt)
  local spec = e.spec
  e.age = e.age + dt
  if spec.move == "hold" then
    if e.age < spec.stay then
      e.z = math.max(spec.holdZ, e.z - spec.speed * dt)
    else
      e.z = e.z + spec.speed * dt  -- back up and away
    end
  else
    e.z = e.z - spec.speed * dt
  end
  e.x = clamp(e.baseX + math.sin(self.time * 1.3 + e.phase) * spec.sway, -14, 14)
  return e.z < EXIT_Z or (spec.move == "hold" and e.age >= spec.stay and e.z > LEAVE_Z)
end

function StageWaves:fire(e, dt)
  e.reload = e.reload - dt * (1 + self.time / HARDER)
  if e.reload > 0 or e.z > PLAY_TOP or e.z < -2 then return end
  e.reload = e.spec.reload
  e.shots = e.shots + 1
  local pattern = FIRE[e.spec.fire]
  if pattern then pattern(self.bullets, e) end
end

-- Flies and fires the enemies; counts the dead ones, lets some of them drop
-- a pick-up, and lets go of those that left.
function StageWaves:update(dt)
  self.time = self.time + dt
  self.announce = (self.announce or 0) - dt
  while self.plan[self.next] and self.plan[self.next].at <= self.time do
    self:launch(self.plan[self.next])
    self.next = self.next + 1
  end
  for i = #self.enemies, 1, -1 do
    local e = self.enemies[i]
    local gone = self:fly(e, dt)
    if e.model:isReady() and not e.model:isVisible() then e.model:setVisible(true) end
    Guard.method(e.body, "setPos", e.x, 0, e.z)
    -- Explosions that the hit rules queued on the body.
    Guard.method(e.body, "runDeadInfo")
    local dead = Guard.method(e.enemy, "isDead")
    if dead then
      self.kills = self.kills + 1
      if e.spec.drops or self.kills % DROP_EVERY == 1 then self.items:drop(e.x, e.z) end
      self:drop(i)
    elseif gone then
      self:drop(i)
    else
      self:fire(e, dt)
    end
  end
  self.bullets:update(dt)
  self.items:update(dt)
end

-- Takes enemy i out of the play: out of the collision lists, body and model
-- put away; the enemy's explosion is the game's own.
function StageWaves:drop(i)
  local e = table.remove(self.enemies, i)
  self.collision:remove("enemies", e.body)
  Guard.method(e.body, "setValid", false)
  Guard.method(e.body, "setOwner", nil)
  Guard.method(e.enemy, "entryRootSphereBody", nil)
  Guard.method(e.enemy, "finalize")
  e.model:setVisible(false)
end

-- The nearest enemy ahead of (x, z), for the auto pilot; nil when none.
function StageWaves:nearest(x, z)
  local best, bestDistance
  for _, e in ipairs(self.enemies) do
    if e.z < PLAY_TOP + 2 then
      local d = math.abs(e.x - x) + math.max(0, e.z - z)
      if not bestDistance or d < bestDistance then best, bestDistance = e, d end
    end
  end
  return best
end

function StageWaves:isAnnouncing()
  return (self.announce or 0) > 0
end

-- A one-line summary of the stage's fighting, for logs and tests.
function StageWaves:summary()
  local f = self.bullets.fired
  return string.format("waves=%d kills=%d spheres=%d capsules=%d lasers=%d chains=%d items_dropped=%d items_collected=%d",
    self.wave, self.kills, f.sphere, f.capsule, f.laser, f.chain, self.items.dropped, self.items.collected)
end

-- With QUORVANDEL_STAGE_SUMMARY naming a file, each stage appends its
-- summary line there when it ends (tests read it); it is printed as well.
function StageWaves:report()
  local line = "stage summary: " .. self:summary()
  print(line)
  local path = os.getenv("QUORVANDEL_STAGE_SUMMARY")
  local file = path and path ~= "" and io.open(path, "a")
  if file then
    file:write(line, "\n")
    file:close()
  end
end

function StageWaves:release()
  self:report()
  for i = #self.enemies, 1, -1 do
    self:drop(i)
  end
  self.bullets:release()
  self.items:release()
end

StageWaves.KINDS = KINDS
