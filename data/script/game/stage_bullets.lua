-- The enemies' fire in a stage: the game's pooled enemy bullets (spheres and
-- capsules), growing lasers and bendable laser chains, each kind in its list
-- inside the game's collision group against the player's body, so the game's
-- hit rules hurt the player and take a bullet out when it hits. Bullets that
-- hit or leave the play area are put back into the game's pools.
--
-- Drawing: round bullets carry the magenta "bullet" model, capsule bullets the
-- magenta "needle" model (the body syncs them); growing lasers are capsule
-- ribbons and bendable lasers poly lines, both with the green laser strip
-- texture, on one gfx model of the actor camera.
--
-- The stage's waves own the stage's one StageBullets (`stage.waves.bullets`);
-- a boss fires through it too, so the pilot sees its bullets as well.
--
-- The API (x, z are play-area coordinates on the actors' plane y = 0; speeds
-- in units a second; angles in radians, 0 = towards -z, the player's side,
-- growing towards +x):
--   StageBullets.new(collision)           the stage's StageCollision
--   b:fire(kind, x, z, vx, vz [, opts])   one "sphere" or "capsule" bullet;
--                                         opts.damage, opts.radius
--   b:fireAngle(kind, x, z, angle, speed [, opts])
--   b:aimed(kind, x, z, speed [, count [, spread [, opts]]])
--                                         a fan of `count` bullets `spread`
--                                         apart, centred on the player
--   b:ring(kind, x, z, speed, count [, offset [, opts]])
--   b:laser(x, z, angle, speed [, length [, opts]])  a growing laser (its
--                                         capsule and ribbon reach twice
--                                         `length` behind the head)
--   b:aimedLaser(x, z, speed [, length [, opts]])
--   b:chain(x, z, speed [, length [, opts]])  a bendable laser whose head
--                                         turns towards the player (opts.turn,
--                                         opts.life in seconds)
--   b:angleToPlayer(x, z)                 the angle from (x, z) to the player
--   b:update(dt)                          once a frame
--   b:threats(x, z, radius)               the bullets near (x, z), for dodging
--   b:clear()                             takes back everything in flight
--   b:release()                           at the stage's end
--   b.fired                               counts by kind (sphere, capsule,
--                                         laser, chain)
StageBullets = Instance.class()

-- Bullets beyond these bounds have left the play area.
local AREA = { left = -24, right = 24, near = -14, far = 30 }
local DAMAGE = { sphere = 2, capsule = 2, laser = 4, chain = 2 }
local RADIUS = { sphere = 0.4, capsule = 0.25 }
local CAPSULE_HEIGHT = 1.2
local MODELS = { sphere = "model/bullet/bullet.mdl", capsule = "model/needle/needle.mdl" }
local LASER_COLOUR = 0xFFFFFFFF      -- the strip is green itself
local LASER_TEXTURE = "textures/enemy_laser.tga"
local LASER_RADIUS = 0.45
local CHAIN_WIDTH = 0.9
local CHAIN_LIFE = 4

local CREATE = {
  sphere = "createEnemyBulletRigidBodySphere",
  capsule = "createEnemyBulletRigidBodyCapsule",
}
local LISTS = {
  sphere = { list = "createEnemyBulletRigidBodySphereList", group = "createColGroupPlayerEnemyBulletSphere" },
  capsule = { list = "createEnemyBulletRigidBodyCapsuleList", group = "createColGroupPlayerEnemyBulletCapsule" },
  laser = { list = "createEnemyBulletRigidBodyLaserCapsuleList", group = "createColGroupPlayerEnemyBulletLaserCapsule" },
  chain = { list = "createEnemyBulletRigidBodySphereCapsuleListList",
            group = "createColGroupPlayerEnemyBulletCapsuleLaserList" },
}

-- Bad arguments fire nothing: every number must be a finite number.
local function finite(...)
  for i = 1, select("#", ...) do
    local v = select(i, ...)
    if type(v) ~= "number" or v ~= v or v == math.huge or v == -math.huge then return false end
  end
  return true
end

local function num(v, default)
  return finite(v) and v or default
end

-- A count of bullets in one pattern: a whole number from 1 to MAX_PATTERN.
local MAX_PATTERN = 64
local function patternCount(n, default)
  n = finite(n) and math.floor(n) or default
  return math.max(1, math.min(MAX_PATTERN, n))
end

local function outside(x, z)
  return x == nil or x < AREA.left or x > AREA.right or z < AREA.near or z > AREA.far
end

function StageBullets:init(collision)
  self.collision = collision
  self.lists, self.groups = {}, {}
  local player = collision and collision.playerBody
  for kind, names in pairs(LISTS) do
    local list = Guard.call(names.list)
    local group = list and player and Guard.call(names.group)
    if group then
      group:setPlayer(player)
      group:setBulletList(list)
      addCollisionGroup(group)
      self.groups[#self.groups + 1] = group
      self.lists[kind] = list
    end
  end
  self.live = {}      -- { kind, body, model }
  self.lasers = {}    -- { body, lead, ribbon }
  self.chains = {}    -- { body, line, x, z, angle, speed, turn, life }
  self.models = { sphere = {}, capsule = {} }  -- models put away, by kind
  self.ribbons, self.lines = {}, {}
  self.fired = { sphere = 0, capsule = 0, laser = 0, chain = 0 }
  self.gfx = createGfxModel()
  self.gfx:setRenderCameraBit(cameraBit(CAMERA.ACTOR))
  -- The ribbons show the green laser strip (slot 1 left empty). The command
  -- objects are kept: collecting one takes its command out of the gfx model.
  self.laserTexture = createTexture(LASER_TEXTURE)
  self.states = {}
  for stage = 0, 1 do
    local texture = self.gfx:createSetTexture()
    texture:setTexture(stage, stage == 0 and self.laserTexture or nil)
    self.states[#self.states + 1] = texture
  end
  local colour = self.gfx:createSetColor()
  colour:setColor(LASER_COLOUR)
  self.states[#self.states + 1] = colour
  self.gfx:setVisible(true)
end

-- A model for a bullet of `kind`, from those put away or newly loaded.
function StageBullets:takeModel(kind)
  local pool = self.models[kind]
  local model = table.remove(pool)
  if not model then
    model = createModel()
    model:load(MODELS[kind])
    model:setRenderCameraBit(cameraBit(CAMERA.ACTOR))
    Guard.method(model, "setLightValid", false)
  end
  return model
end

function StageBullets:canFire(kind)
  return self.lists[kind] ~= nil and Guard.has(CREATE[kind] or "")
end

function StageBullets:fire(kind, x, z, vx, vz, opts)
  if not self:canFire(kind) or not finite(x, z, vx, vz) then return nil end
  opts = type(opts) == "table" and opts or {}
  local body = Guard.call(CREATE[kind])
  if not body then return nil end
  body:setHp(num(opts.damage, DAMAGE[kind]))
  body:setRadius(num(opts.radius, RADIUS[kind]))
  if kind == "capsule" then
    body:setHeight(CAPSULE_HEIGHT)
    body:setBaseAxis(0, 0, 1)
    body:setYawPitchRoll(math.atan2(vx, vz), 0, 0)
  end
  body:setPos(x, 0, z)
  body:setVelocity(vx, 0, vz)
  body:setValid(true)
  local model = self:takeModel(kind)
  body:setModel(model)
  self.lists[kind]:push(body)
  self.fired[kind] = self.fired[kind] + 1
  local bullet = { kind = kind, body = body, model = model, shown = false, vx = vx, vz = vz }
  self.live[#self.live + 1] = bullet
  return bullet
end

-- Angle 0 flies towards -z (down the screen, at the player's side).
local function direction(angle)
  return math.sin(angle), -math.cos(angle)
end

function StageBullets:fireAngle(kind, x, z, angle, speed, opts)
  if not finite(angle, speed) then return nil end
  local dx, dz = direction(angle)
  return self:fire(kind, x, z, dx * speed, dz * speed, opts)
end

function StageBullets:angleToPlayer(x, z)
  local px, pz = self.collision:playerPosition()
  if not px or not finite(x, z) then return 0 end
  return math.atan2(px - x, -(pz - z))
end

function StageBullets:aimed(kind, x, z, speed, count, spread, opts)
  count = patternCount(count, 1)
  spread = finite(spread) and spread or 0.25
  if not finite(x, z) then return end
  local centre = self:angleToPlayer(x, z)
  for i = 1, count do
    self:fireAngle(kind, x, z, centre + (i - (count + 1) / 2) * spread, speed, opts)
  end
end

function StageBullets:ring(kind, x, z, speed, count, offset, opts)
  count = patternCount(count, 8)
  offset = finite(offset) and offset or 0
  for i = 1, count do
    self:fireAngle(kind, x, z, offset + (i - 1) * 2 * math.pi / count, speed, opts)
  end
end

-- A laser that grows from (x, z) along `angle` to `length` and flies on.
function StageBullets:laser(x, z, angle, speed, length, opts)
  if not self.lists.laser or not Guard.has("createEnemyBulletRigidBodyLaserCapsule") then return nil end
  if not finite(x, z, angle, speed) then return nil end
  length = finite(length) and length or nil
  opts = type(opts) == "table" and opts or {}
  local body = createEnemyBulletRigidBodyLaserCapsule()
  local dx, dz = direction(angle)
  body:setTotalLength(length or 5)
  body:setBaseAxis(dx, 0, dz)
  body:setHp(num(opts.damage, DAMAGE.laser))
  body:setRadius(LASER_RADIUS)
  local lead = body:getLeadSphere()
  lead:setPos(x, 0, z)
  lead:setVelocity(dx * speed, 0, dz * speed)
  local ribbon = table.remove(self.ribbons) or self.gfx:createCapsuleLaser()
  ribbon:setVisible(true)
  body:setGfxCapsuleLaser(ribbon)
  self.lists.laser:push(body)
  self.fired.laser = self.fired.laser + 1
  local laser = { body = body, lead = lead, ribbon = ribbon, vx = dx * speed, vz = dz * speed }
  self.lasers[#self.lasers + 1] = laser
  return laser
end

function StageBullets:aimedLaser(x, z, speed, length, opts)
  return self:laser(x, z, self:angleToPlayer(x, z), speed, length, opts)
end

-- A bendable laser: its head flies from (x, z) and turns towards the player
-- by at most `turn` radians a second, and the chain of capsules behind it
-- follows the head's path.
function StageBullets:chain(x, z, speed, length, opts)
  if not self.lists.chain or not Guard.has("createEnemyBulletRigidBodySphereCapsuleList") then return nil end
  if not finite(x, z, speed) then return nil end
  length = finite(length) and length or nil
  opts = type(opts) == "table" and opts or {}
  local body = createEnemyBulletRigidBodySphereCapsuleList()
  body:setRadius(LASER_RADIUS)
  body:setLength(length or 7)
  body:setHp(num(opts.damage, DAMAGE.chain))
  body:setPos(x, 0, z)
  body:setValid(true)
  local line = table.remove(self.lines)
  if not line then
    -- A new line maps every texel to (0, 0), where the strip is clear: its
    -- caps and body take the whole strip, across and along.
    line = self.gfx:createPolyLineDraw()
    line:setTopUV(0, 0, 1, 0.25)
    line:setCenterUV(0, 0.25, 1, 0.75)
    line:setEndUV(0, 0.75, 1, 1)
  end
  line:setWidth(CHAIN_WIDTH)
  line:setTexture(self.laserTexture)
  line:clear()
  line:setVisible(true)
  self.lists.chain:push(body)
  self.fired.chain = self.fired.chain + 1
  local chain = { body = body, line = line, x = x, z = z, speed = speed, length = length or 7, turn = num(opts.turn, 1.6),
                  angle = num(opts.angle, self:angleToPlayer(x, z)), life = num(opts.life, CHAIN_LIFE) }
  self.chains[#self.chains + 1] = chain
  return chain
end

-- Puts bullet i back: out of its list, model hidden and kept, body back to
-- the pool.
function StageBullets:dropBullet(i)
  local b = table.remove(self.live, i)
  self.lists[b.kind]:remove(b.body)
  b.body:clearSyncModel()
  b.body:finalize()
  b.model:setVisible(false)
  local pool = self.models[b.kind]
  pool[#pool + 1] = b.model
end

function StageBullets:dropLaser(i)
  local l = table.remove(self.lasers, i)
  self.lists.laser:remove(l.body)
  l.body:setGfxCapsuleLaser(nil)
  l.body:finalize()
  l.ribbon:setVisible(false)
  self.ribbons[#self.ribbons + 1] = l.ribbon
end

function StageBullets:dropChain(i)
  local c = table.remove(self.chains, i)
  self.lists.chain:remove(c.body)
  c.body:finalize()
  c.line:clear()
  c.line:setVisible(false)
  self.lines[#self.lines + 1] = c.line
end

local function wrapAngle(a)
  return (a + math.pi) % (2 * math.pi) - math.pi
end

function StageBullets:updateChain(c, dt)
  c.life = c.life - dt
  if c.life > 0 then
    local want = wrapAngle(self:angleToPlayer(c.x, c.z) - c.angle)
    -- It stops turning once it has passed the player.
    local px, pz = self.collision:playerPosition()
    if pz and c.z > pz then
      c.angle = c.angle + clamp(want, -c.turn * dt, c.turn * dt)
    end
  end
  local dx, dz = direction(c.angle)
  c.x, c.z = c.x + dx * c.speed * dt, c.z + dz * c.speed * dt
  c.body:setPos(c.x, 0, c.z)
  c.body:makeLine()
  c.line:clear()
  for i = 1, c.body:getPointSize() do
    local x, y, z = c.body:getPoint(i)
    if x then c.line:addPos(x, y, z) end
  end
end

function StageBullets:update(dt)
  for i = #self.live, 1, -1 do
    local b = self.live[i]
    local x, _, z = b.body:getPos()
    if not b.shown and b.model:isReady() then
      b.model:setVisible(true)
      b.shown = true
    end
    if not b.body:isValid() or outside(x, z) then
      self:dropBullet(i)
    else
      -- Bodies lose speed to their damping; bullets keep theirs.
      b.body:setVelocity(b.vx, 0, b.vz)
    end
  end
  for i = #self.lasers, 1, -1 do
    local l = self.lasers[i]
    local x, _, z = l.lead:getPos()
    if outside(x, z) then
      self:dropLaser(i)
    else
      l.lead:setVelocity(l.vx, 0, l.vz)
    end
  end
  for i = #self.chains, 1, -1 do
    local c = self.chains[i]
    self:updateChain(c, dt)
    -- The chain has left once its head has been outside for as long as
    -- the chain takes to follow it out.
    c.gone = outside(c.x, c.z) and (c.gone or 0) + dt or nil
    if c.gone and c.gone * c.speed > c.length + 1 then self:dropChain(i) end
  end
end

-- The bullets and laser heads within `radius` of (x, z): a list of
-- { x, z, vx, vz } for the pilot.
function StageBullets:threats(x, z, radius)
  local found = {}
  local r2 = radius * radius
  local function consider(body)
    local bx, _, bz = body:getPos()
    if bx and (bx - x) ^ 2 + (bz - z) ^ 2 <= r2 then
      local vx, _, vz = body:getVelocity()
      found[#found + 1] = { x = bx, z = bz, vx = vx or 0, vz = vz or 0 }
    end
  end
  for _, b in ipairs(self.live) do consider(b.body) end
  for _, l in ipairs(self.lasers) do
    consider(l.lead)
    consider(l.body)
  end
  -- A bendable laser: its head and every few points of its chain, all
  -- moving with the head.
  for _, c in ipairs(self.chains) do
    local dx, dz = direction(c.angle)
    local vx, vz = dx * c.speed, dz * c.speed
    local function point(bx, bz)
      if bx and (bx - x) ^ 2 + (bz - z) ^ 2 <= r2 then
        found[#found + 1] = { x = bx, z = bz, vx = vx, vz = vz }
      end
    end
    point(c.x, c.z)
    for i = 1, c.body:getPointSize(), 4 do
      local bx, _, bz = c.body:getPoint(i)
      point(bx, bz)
    end
  end
  return found
end

-- A stick push (x, z) away from the bullets whose paths come within reach of
-- (x, z) in the next moments, and how urgent it is (0 to 1). The sooner and
-- the closer a pass, the harder the push; sideways off the bullet's path,
-- towards the open side of `area` (left, right, near, far) when it is dead on.
local SAFE = 2.4
local HORIZON = 1.1
local REACH = 14

function StageBullets:dodge(x, z, area)
  local px, pz, danger = 0, 0, 0
  for _, t in ipairs(self:threats(x, z, REACH)) do
    local rx, rz = x - t.x, z - t.z
    local v2 = t.vx * t.vx + t.vz * t.vz
    local at = v2 > 0 and clamp((rx * t.vx + rz * t.vz) / v2, 0, HORIZON) or 0
    local dx, dz = rx - t.vx * at, rz - t.vz * at
    local d = math.sqrt(dx * dx + dz * dz)
    if d < SAFE and (v2 > 0 or d < SAFE) then
      local weight = (1 - at / HORIZON) * 0.5 + (1 - d / SAFE) * 0.5
      if d < 0.3 then
        -- Dead on: step sideways off the path, towards the middle.
        local speed = math.sqrt(v2)
        local sx, sz = -t.vz / math.max(speed, 1e-3), t.vx / math.max(speed, 1e-3)
        if sx * -x + sz * -z < 0 then sx, sz = -sx, -sz end
        dx, dz, d = sx, sz, 1
      end
      px, pz = px + dx / d * weight * 2, pz + dz / d * weight * 2
      danger = math.max(danger, weight)
    end
  end
  -- Keep off the edges, where there is no room to step aside.
  if area then
    local margin = 3
    if x < area.left + margin then px = px + (area.left + margin - x) / margin end
    if x > area.right - margin then px = px - (x - area.right + margin) / margin end
    if z < area.near + margin then pz = pz + (area.near + margin - z) / margin end
    if z > area.far - margin then pz = pz - (z - area.far + margin) / margin end
  end
  return clamp(px, -1, 1), clamp(pz, -1, 1), clamp(danger * 1.5, 0, 1)
end

function StageBullets:count()
  return #self.live + #self.lasers + #self.chains
end

function StageBullets:clear()
  for i = #self.live, 1, -1 do self:dropBullet(i) end
  for i = #self.lasers, 1, -1 do self:dropLaser(i) end
  for i = #self.chains, 1, -1 do self:dropChain(i) end
end

function StageBullets:release()
  self:clear()
  for _, group in ipairs(self.groups) do
    removeCollisionGroup(group)
  end
  self.groups, self.lists = {}, {}
  self.gfx:setVisible(false)
end

StageBullets.AREA = AREA
