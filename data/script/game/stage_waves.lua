-- The enemy waves of a stage: when each comes, how many, in which formation
-- and how they fly. Enemies are made by the game's enemy manager with an
-- enemy body each; while the enemy library is not there, a wave comes and
-- goes without enemies.
StageWaves = Instance.class()

StageWaves.STAGE01 = {
  { at = 2, count = 5, formation = "line", hp = 10 },
  { at = 9, count = 6, formation = "vee", hp = 10 },
  { at = 17, count = 8, formation = "arc", hp = 15 },
  { at = 26, count = 6, formation = "line", hp = 20 },
  { at = 34, count = 10, formation = "vee", hp = 20 },
  { at = 44, count = 12, formation = "arc", hp = 25 },
}

local ENTRY_Z, EXIT_Z = 40, -20
local FLY_SPEED = 8

-- Where enemy i of n starts, by formation.
local FORMATIONS = {
  line = function(i, n) return (i - (n + 1) / 2) * 3, ENTRY_Z end,
  vee = function(i, n) local k = i - (n + 1) / 2 return k * 3, ENTRY_Z + math.abs(k) * 3 end,
  arc = function(i, n) local a = (i - 1) / math.max(1, n - 1) * math.pi return math.cos(a) * 10, ENTRY_Z + math.sin(a) * 6 end,
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
end

-- One enemy with a sphere body and the drone model; nil without the
-- enemy library.
function StageWaves:spawn(x, z, hp, index)
  local enemy = Guard.method(self.manager, "createEnemy", index)
  local body = Guard.call("createEnemyRigidBodySphere")
  if not enemy or not body then return nil end
  local model = createModel()
  model:load("model/drone/drone.mdl")
  model:setRenderCameraBit(cameraBit(CAMERA.ACTOR))
  Guard.method(enemy, "setHpMax", hp)
  Guard.method(enemy, "setHp", hp)
  Guard.method(enemy, "entryRootSphereBody", body)
  Guard.method(body, "setOwner", enemy)
  Guard.method(body, "setModel", model)
  Guard.method(body, "setValid", true)
  Guard.method(body, "setPos", x, 0, z)
  self.collision:add("enemies", body)
  return { enemy = enemy, body = body, model = model, x = x, z = z, phase = index }
end

function StageWaves:launch(wave)
  self.wave = self.wave + 1
  self.announce = 1.5
  local place = FORMATIONS[wave.formation] or FORMATIONS.line
  for i = 1, wave.count do
    local x, z = place(i, wave.count)
    local e = self:spawn(x, z, wave.hp, i)
    if e then self.enemies[#self.enemies + 1] = e end
  end
end

-- Flies the enemies down the play area with a sway; counts the dead ones
-- and lets go of those that left.
function StageWaves:update(dt)
  self.time = self.time + dt
  self.announce = (self.announce or 0) - dt
  while self.plan[self.next] and self.plan[self.next].at <= self.time do
    self:launch(self.plan[self.next])
    self.next = self.next + 1
  end
  for i = #self.enemies, 1, -1 do
    local e = self.enemies[i]
    e.z = e.z - FLY_SPEED * dt
    local x = e.x + math.sin(self.time * 2 + e.phase) * 2
    if e.model:isReady() and not e.model:isVisible() then e.model:setVisible(true) end
    Guard.method(e.body, "setPos", x, 0, e.z)
    -- Explosions that the hit rules queued on the body.
    Guard.method(e.body, "runDeadInfo")
    local dead = Guard.method(e.enemy, "isDead")
    if dead or e.z < EXIT_Z then
      if dead then self.kills = self.kills + 1 end
      self:drop(i)
    end
  end
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
    local d = math.abs(e.x - x) + math.max(0, e.z - z)
    if not bestDistance or d < bestDistance then best, bestDistance = e, d end
  end
  return best
end

function StageWaves:isAnnouncing()
  return (self.announce or 0) > 0
end

function StageWaves:release()
  for i = #self.enemies, 1, -1 do
    self:drop(i)
  end
end
