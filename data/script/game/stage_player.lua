-- The player's machine in the stage: its model flown by the stick inside
-- the play area, and the game's player objects (actor, collision body, shot)
-- when the player library offers them.
StagePlayer = Instance.class()

local SPEED = 14
local AREA = { left = -12, right = 12, near = -6, far = 10 }
local SHOT_INTERVAL = 0.12
local SHOT_SPEED = 60
local SHOT_RANGE = 45
-- A beam shot takes its hit points off the enemy it hits.
local SHOT_DAMAGE = 2
local HP = 100
-- After a hit the machine cannot be hurt for this long (the hit rules start
-- the period) and blinks meanwhile.
local NO_DAMAGE_SECONDS = 1.2
local BLINK_SECONDS = 0.08

function StagePlayer:init(collision)
  self.collision = collision
  self.x, self.z = 0, -3
  self.bank = 0
  self.shotTimer = 0
  self.model = createModel()
  self.model:load("model/ship/ship.mdl")
  self.model:setRenderCameraBit(cameraBit(CAMERA.ACTOR))
  self.actor = Guard.call("createPlayerActor")
  Guard.method(self.actor, "setHpMax", HP)
  Guard.method(self.actor, "setHp", HP)
  -- Actors start out of harm's way; the stage's player can be hit.
  Guard.method(self.actor, "setNoDamageFlag", false)
  Guard.method(self.actor, "setNoDamageCounter", NO_DAMAGE_SECONDS)
  self.body = Guard.call("createPlayerColRigidBody")
  Guard.method(self.body, "setRadius", 0.8)
  Guard.method(self.body, "setOwner", self.actor)
  Guard.method(self.body, "setModel", self.model)
  Guard.method(self.body, "setValid", true)
  collision:add("players", self.body)
  self.shots = {}
end

function StagePlayer:isAlive()
  return self.actor == nil or not Guard.method(self.actor, "isDead")
end

-- A beam shot from the nose, when the player library makes them.
function StagePlayer:fire()
  local shot = Guard.call("createBulletBeamShot")
  if not shot then return end
  Guard.method(shot, "setHp", SHOT_DAMAGE)
  Guard.method(shot, "setPos", self.x, 0, self.z + 2)
  Guard.method(shot, "setVelocity", 0, 0, SHOT_SPEED)
  Guard.method(shot, "setValid", true)
  self.collision:add("shots", shot)
  self.shots[#self.shots + 1] = { body = shot, z = self.z + 2 }
end

-- Lets go of the shots that hit something or flew out of range.
function StagePlayer:updateShots(dt)
  for i = #self.shots, 1, -1 do
    local shot = self.shots[i]
    shot.z = shot.z + SHOT_SPEED * dt
    if shot.z > SHOT_RANGE or Guard.method(shot.body, "isValid") == false then
      self:dropShot(i)
    end
  end
end

function StagePlayer:dropShot(i)
  local shot = table.remove(self.shots, i)
  self.collision:remove("shots", shot.body)
  Guard.method(shot.body, "finalize")
end

-- Moves by the stick (x right, y forward) and fires while `firing`.
function StagePlayer:update(dt, stickX, stickY, firing)
  self.x = clamp(self.x + stickX * SPEED * dt, AREA.left, AREA.right)
  self.z = clamp(self.z + stickY * SPEED * dt, AREA.near, AREA.far)
  self.bank = lerp(self.bank, -stickX * 0.5, math.min(1, dt * 8))
  if self.model:isReady() then
    local shown = true
    if Guard.method(self.actor, "isNoDamagePeriod") then
      local since = (Guard.method(self.actor, "calcNoDamageLerp") or 1) * NO_DAMAGE_SECONDS
      shown = math.floor(since / BLINK_SECONDS) % 2 == 1
    end
    if shown ~= self.model:isVisible() then self.model:setVisible(shown) end
  end
  self.model:setPosition(self.x, 0, self.z)
  self.model:setYawPitchRoll(0, 0, self.bank)
  Guard.method(self.body, "setPos", self.x, 0, self.z)
  self:updateShots(dt)
  self.shotTimer = self.shotTimer - dt
  if firing and self.shotTimer <= 0 then
    self.shotTimer = SHOT_INTERVAL
    self:fire()
  end
end

function StagePlayer:position()
  return self.x, self.z
end

function StagePlayer:release()
  for i = #self.shots, 1, -1 do
    self:dropShot(i)
  end
  self.collision:remove("players", self.body)
  Guard.method(self.body, "setOwner", nil)
  Guard.method(self.body, "setValid", false)
  self.model:setVisible(false)
end

StagePlayer.AREA = AREA
StagePlayer.SHOT_SPEED = SHOT_SPEED
