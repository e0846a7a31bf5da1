-- The player's machine in the stage: its model flown by the stick inside
-- the play area, and the game's player objects (actor, collision body, shot)
-- when the player library offers them.
StagePlayer = Instance.class()

local SPEED = 14
local AREA = { left = -12, right = 12, near = -6, far = 10 }
local SHOT_INTERVAL = 0.12

function StagePlayer:init()
  self.x, self.z = 0, -3
  self.bank = 0
  self.shotTimer = 0
  self.model = createModel()
  self.model:load("model/ship/ship.mdl")
  self.model:setRenderCameraBit(cameraBit(CAMERA.ACTOR))
  self.actor = Guard.call("createPlayerActor")
  self.body = Guard.call("createPlayerColRigidBody")
  Guard.method(self.body, "setModel", self.model)
  Guard.method(self.body, "setValid", true)
  self.shots = {}
end

function StagePlayer:isAlive()
  return self.actor == nil or not Guard.method(self.actor, "isDead")
end

-- A beam shot from the nose, when the player library makes them.
function StagePlayer:fire()
  local shot = Guard.call("createBulletBeamShot")
  if not shot then return end
  Guard.method(shot, "setPos", self.x, 0, self.z + 2)
  Guard.method(shot, "setVelocity", 0, 0, 60)
  self.shots[#self.shots + 1] = shot
  if #self.shots > 32 then table.remove(self.shots, 1) end
end

-- Moves by the stick (x right, y forward) and fires while `firing`.
function StagePlayer:update(dt, stickX, stickY, firing)
  self.x = clamp(self.x + stickX * SPEED * dt, AREA.left, AREA.right)
  self.z = clamp(self.z + stickY * SPEED * dt, AREA.near, AREA.far)
  self.bank = lerp(self.bank, -stickX * 0.5, math.min(1, dt * 8))
  if not self.model:isVisible() and self.model:isReady() then
    self.model:setVisible(true)
  end
  self.model:setPosition(self.x, 0, self.z)
  self.model:setYawPitchRoll(0, 0, self.bank)
  Guard.method(self.body, "setPos", self.x, 0, self.z)
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
  self.model:setVisible(false)
  Guard.method(self.body, "setValid", false)
  self.shots = {}
end

StagePlayer.AREA = AREA
