-- The stage's mid-boss and boss. Each is one enemy of the game's enemy
-- manager with several bodies that follow nodes of its animated model: a
-- sphere on the core (the root body), boxes on the turrets or arms and a
-- capsule across the hull. Its beams are capsule enemy bullets laid along
-- muzzle frames of the model, drawn by a beam model hung on the same frames,
-- so a beam hurts where it is seen even while the arms sweep. The boss
-- changes its phase as its hit points fall, fires bullet patterns through
-- the stage's bullets when the stage has them, and explodes when destroyed.
StageBoss = Instance.class()

local ENTRY_Z = 36
local ENTRY_SECONDS = 3
local DYING_SECONDS = 2.5
local BEAM_WIDTH = 1.1
local BEAM_CHARGE_WIDTH = 0.25
local BEAM_RADIUS = 0.45
local BEAM_GROW_SPEED = 90  -- metres per second while a beam reaches out
-- A beam that hurt the player (the hit rule takes it out of the play) comes
-- back into it after this rest, so a player caught in it is hurt a few times
-- a second and not at every physics step.
local BEAM_HIT_REST = 0.4

-- What each boss is made of. `phases` run from the first while the hit
-- points are above `above` (a share of the maximum): the take that plays,
-- how fast it moves, which muzzles fire beams and how often, and the bullet
-- pattern it fires between them.
StageBoss.KINDS = {
  midboss = {
    name = "MID BOSS", model = "model/midboss/midboss.mdl", hp = 120, score = 30000, at = { x = 0, z = 10 },
    -- Not destroyed by then, it leaves the stage.
    leaveAfter = 20,
    core = { node = "core", radius = 1.8 },
    hull = { radius = 0.9, height = 2.6 },
    boxes = { { node = "turret_l", size = { 0.8, 0.7, 1.3 }, offset = { 0, 1, 0 } },
              { node = "turret_r", size = { 0.8, 0.7, 1.3 }, offset = { 0, 1, 0 } } },
    -- Each muzzle with the frame behind it on its barrel: the two give the
    -- beam's line.
    muzzles = { { "muzzle_l", "barrel_l" }, { "muzzle_r", "barrel_r" } },
    beamLength = 26, beamDamage = 8,
    phases = {
      { above = 0.5, take = 0, sway = 5, speed = 0.45, beams = { 1, 2 }, every = 5.5, charge = 0.9, fire = 2.2,
        pattern = "aimed" },
      { above = 0, take = 1, sway = 7, speed = 0.7, beams = { 1, 2 }, every = 4.5, charge = 0.7, fire = 3.0,
        pattern = "ring" },
    },
  },
  boss = {
    name = "BOSS", model = "model/boss/boss.mdl", hp = 300, score = 100000, at = { x = 0, z = 11 },
    core = { node = "core", radius = 2.2 },
    hull = { radius = 1.1, height = 3.4 },
    boxes = { { node = "arm_l", size = { 0.7, 0.6, 3.2 }, offset = { 0, 2.6, 0 } },
              { node = "arm_r", size = { 0.7, 0.6, 3.2 }, offset = { 0, 2.6, 0 } } },
    muzzles = { { "muzzle_l", "arm_l" }, { "muzzle_r", "arm_r" }, { "muzzle_c", "cannon" } },
    beamLength = 30, beamDamage = 10,
    phases = {
      { above = 0.66, take = 0, sway = 5, speed = 0.4, beams = { 3 }, every = 5, charge = 1.0, fire = 2.0,
        pattern = "aimed" },
      { above = 0.33, take = 1, sway = 6, speed = 0.55, beams = { 1, 2 }, every = 6, charge = 0.8, fire = 3.6,
        pattern = "ring" },
      { above = 0, take = 2, sway = 8, speed = 0.8, beams = { 1, 2, 3 }, every = 4.5, charge = 0.6, fire = 2.6,
        pattern = "spiral" },
    },
  },
}

local function enemyManager()
  return Guard.method(Guard.call("getGameManager"), "getEnemyManager")
end

-- True when the game offers everything a boss is built from.
function StageBoss.canCreate()
  for _, name in ipairs({ "createEnemyRigidBodySphere", "createEnemyRigidBodyCapsule", "createEnemyRigidBodyOBB",
                          "createSyncBoss01CenterSphereCollsion", "createSyncModelFrameOBB", "createSyncBeamCapsule",
                          "createRigidBodyCapsuleList", "createRigidBodyOBBList",
                          "createEnemyBulletRigidBodyCapsuleList" }) do
    if not Guard.has(name) then return false end
  end
  local manager = enemyManager()
  return manager ~= nil and type(manager.createEnemy) == "function"
end

-- The boss bodies' collision groups over the stage's lists: the player's
-- beam shots against the hull capsule and the arm boxes, the player touching
-- them, and the beams against the player. The core sphere joins the stage's
-- own enemy list.
local function joinGroups(self, stage)
  local collision = stage.collision
  self.capsules = createRigidBodyCapsuleList()
  self.boxes = createRigidBodyOBBList()
  self.beamList = createEnemyBulletRigidBodyCapsuleList()
  self.groups = {}
  local function add(group)
    if not group then return end
    addCollisionGroup(group)
    self.groups[#self.groups + 1] = group
  end
  local function pair(creator, a, b)
    local group = Guard.call(creator)
    Guard.method(group, "setCollisionGroup", a, b)
    add(group)
  end
  pair("createColGroupBeamShotEnemyCapsule", collision.shots, self.capsules)
  pair("createColGroupBeamShotEnemyOBB", collision.shots, self.boxes)
  pair("createColGroupPlayerEnemyCapsule", collision.players, self.capsules)
  pair("createColGroupPlayerEnemyOBB", collision.players, self.boxes)
  if stage.player.body then
    local group = Guard.call("createColGroupPlayerEnemyBulletCapsule")
    Guard.method(group, "setPlayer", stage.player.body)
    Guard.method(group, "setBulletList", self.beamList)
    add(group)
  end
end

-- stage: the running stage (collision, player, view, status).
function StageBoss:init(stage, kindName, index)
  local kind = StageBoss.KINDS[kindName]
  self.stage, self.kind, self.kindName = stage, kind, kindName
  self.time, self.state = 0, "entering"
  self.x, self.z = kind.at.x, ENTRY_Z
  self.phase, self.beamTimer, self.patternTimer = 1, 2, 1.5
  self.killed = false
  joinGroups(self, stage)

  local model = createModel()
  model:load(kind.model)
  model:setRenderCameraBit(cameraBit(CAMERA.ACTOR))
  model:setPosition(self.x, 0, self.z)
  self.model = model

  local enemy = enemyManager():createEnemy(index or 100)
  enemy:setHpMax(kind.hp)
  enemy:setHp(kind.hp)
  Guard.method(enemy, "setBoss", true)
  -- Nothing hurts it while it flies in.
  Guard.method(enemy, "setNoDamageFlag", true)
  self.enemy = enemy

  -- The root body on the core, placed by the model each frame.
  local core = createEnemyRigidBodySphere()
  core:setRadius(kind.core.radius)
  enemy:entryRootSphereBody(core)
  core:setOwner(enemy)
  core:setPlayerHitDead(false)
  core:setPos(self.x, 0, self.z)
  core:setValid(true)
  stage.collision:add("enemies", core)
  self.core = core
  self.coreSync = createSyncBoss01CenterSphereCollsion()
  self.coreSync:setModelAndCollision(model, core, kind.core.node)

  -- The hull: a capsule across the boss, moved with it.
  local hull = createEnemyRigidBodyCapsule()
  hull:setRadius(kind.hull.radius)
  hull:setHeight(kind.hull.height)
  hull:setBaseAxis(1, 0, 0)
  hull:setOwner(enemy)
  hull:setPlayerHitDead(false)
  hull:setPos(self.x, 0, self.z)
  hull:setValid(true)
  self.capsules:push(hull)
  self.hull = hull

  -- Boxes on the turrets or arms, placed on their nodes each frame.
  self.boxBodies, self.boxSyncs = {}, {}
  for i, b in ipairs(kind.boxes) do
    local box = createEnemyRigidBodyOBB()
    box:setSize(b.size[1], b.size[2], b.size[3])
    box:setOwner(enemy)
    box:setPlayerHitDead(false)
    box:setPos(self.x, 0, self.z)
    box:setValid(true)
    self.boxes:push(box)
    local sync = createSyncModelFrameOBB()
    sync:setModelAndCollision(model, box, b.node)
    sync:setOffset(b.offset[1], b.offset[2], b.offset[3])
    self.boxBodies[i], self.boxSyncs[i] = box, sync
  end

  -- A beam per muzzle: the collision capsule follows the frame, the beam
  -- model hangs on it.
  self.beams = {}
  local hang = createMatrix()
  hang:identity()
  for i, muzzle in ipairs(kind.muzzles) do
    local frame = muzzle[1]
    local body = createSyncBeamCapsule()
    body:setModelFrame(model, frame)
    body:setRadius(BEAM_RADIUS)
    body:setHeight(0)
    body:setHp(kind.beamDamage)
    body:setValid(false)
    self.beamList:push(body)
    local look = createModel()
    look:load("model/bossbeam/bossbeam.mdl")
    look:setRenderCameraBit(cameraBit(CAMERA.ACTOR))
    look:setVisible(false)
    -- Unlit: a beam glows in its own colour whatever the light.
    look:setLightMode(0)
    self.beams[i] = { body = body, look = look, frame = frame, state = "off", time = 0, length = 0,
                      hung = false, hang = hang, fired = 0,
                      back = muzzle[2] }
  end
  self.beamsFired = 0
end

-- The boss's hit points as a share of its maximum (0 when destroyed).
function StageBoss:hpShare()
  local hp = Guard.method(self.enemy, "getHp") or 0
  return clamp(hp / self.kind.hp, 0, 1)
end

function StageBoss:isDone()
  return self.state == "gone"
end

function StageBoss:isDestroyed()
  return self.killed
end

-- Where the auto pilot should line up: under the core.
function StageBoss:position()
  return self.x, self.z
end

-- How fast the boss sways sideways (metres a second): it only sways while
-- it fights.
function StageBoss:swaySpeed()
  if self.state ~= "fighting" then return 0 end
  local phase = self.kind.phases[self.phase]
  return math.cos(self.time * phase.speed) * phase.speed * phase.sway
end

local function showWhenReady(model)
  if model:isReady() and not model:isVisible() then model:setVisible(true) end
end

function StageBoss:playTake(take)
  if self.take == take then return end
  self.take = take
  self.model:changeAnime(take)
  self.model:setLoopAnime(true)
  self.model:setPlayAnime(true)
end

-- A beam's cycle: "charge" shows a thin beam without harm, "fire" grows the
-- full beam out of the muzzle and makes it hurt, then it goes "off".
function StageBoss:startBeam(beam, phase)
  if beam.state ~= "off" then return end
  beam.state, beam.time, beam.length = "charge", 0, self.kind.beamLength
  beam.charge, beam.fire = phase.charge, phase.fire
end

function StageBoss:stopBeam(beam)
  beam.state, beam.time, beam.length = "off", 0, 0
  beam.body:setValid(false)
  beam.body:setHeight(0)
  beam.look:setVisible(false)
end

function StageBoss:updateBeam(beam, dt)
  if beam.state == "off" then return end
  if not beam.hung and beam.look:isReady() and self.model:isReady() then
    beam.hung = self.model:attach(beam.look, beam.frame, beam.hang)
  end
  beam.time = beam.time + dt
  local width, length = BEAM_CHARGE_WIDTH, self.kind.beamLength
  if beam.state == "charge" then
    -- A flickering sight line.
    width = BEAM_CHARGE_WIDTH * (0.6 + 0.4 * math.abs(math.sin(beam.time * 30)))
    if beam.time >= beam.charge then
      beam.state, beam.time, beam.length, beam.rest = "fire", 0, 0, 0
      beam.body:setHp(self.kind.beamDamage)
      beam.fired = beam.fired + 1
      self.beamsFired = self.beamsFired + 1
      beam.body:setValid(true)
    end
  elseif beam.state == "fire" then
    beam.length = math.min(self.kind.beamLength, beam.length + BEAM_GROW_SPEED * dt)
    length = beam.length
    width = BEAM_WIDTH * (0.9 + 0.1 * math.sin(beam.time * 40))
    -- The capsule's height is half its segment, which starts at the muzzle.
    beam.body:setHeight(math.max(0, length / 2 - BEAM_RADIUS))
    if not beam.body:isValid() then
      beam.rest = beam.rest + dt
      if beam.rest >= BEAM_HIT_REST then
        beam.rest = 0
        beam.body:setHp(self.kind.beamDamage)
        beam.body:setValid(true)
      end
    end
    if beam.time >= beam.fire then
      self:stopBeam(beam)
      return
    end
  end
  beam.look:setScaling(width, width, length)
  if beam.hung then beam.look:setVisible(true) end
end

-- Bullet patterns through the stage's bullets, when the stage has them.
function StageBoss:firePattern(pattern)
  local bullets = self.stage.waves and self.stage.waves.bullets
  if not bullets then return end
  local x, z = self.x, self.z - 2
  if pattern == "aimed" then
    Guard.method(bullets, "aimed", "sphere", x, z, 14, 5, 0.22)
  elseif pattern == "ring" then
    Guard.method(bullets, "ring", "sphere", x, z, 10, 16, self.time)
  else
    Guard.method(bullets, "ring", "capsule", x, z, 12, 6, self.time * 2)
    Guard.method(bullets, "aimed", "sphere", x, z, 16, 3, 0.3)
    self.lasers = (self.lasers or 0) + 1
    if self.lasers % 3 == 0 then Guard.method(bullets, "aimedLaser", x, z, 22, 7) end
  end
end

-- Where the beams that are charging or firing cross the line z: a list of
-- x, for the auto pilot to keep out of.
function StageBoss:beamsAt(z)
  local xs = {}
  for _, beam in ipairs(self.beams) do
    if beam.state ~= "off" then
      local found, mx, _, mz = self.model:getFramePosAndRot(beam.frame, beam.hang)
      local foundBack, bx, _, bz = self.model:getFramePosAndRot(beam.back, beam.hang)
      -- The beam runs on from the frame behind the muzzle through the muzzle.
      local dx, dz = mx - bx, mz - bz
      if found and foundBack and dz < -0.1 and z < mz then
        xs[#xs + 1] = mx + dx * (z - mz) / dz
      end
    end
  end
  return xs
end

function StageBoss:currentPhase()
  local share = self:hpShare()
  local phases = self.kind.phases
  local n = 1
  while phases[n + 1] and share <= phases[n].above do n = n + 1 end
  return n
end

function StageBoss:fight(dt)
  self.phase = self:currentPhase()
  local phase = self.kind.phases[self.phase]
  self:playTake(phase.take)
  local at = self.kind.at
  self.x = at.x + math.sin(self.time * phase.speed) * phase.sway
  self.z = at.z + math.sin(self.time * phase.speed * 1.7) * 1.5
  self.beamTimer = self.beamTimer - dt
  if self.beamTimer <= 0 then
    self.beamTimer = phase.every
    for _, i in ipairs(phase.beams) do
      self:startBeam(self.beams[i], phase)
    end
  end
  self.patternTimer = self.patternTimer - dt
  if self.patternTimer <= 0 then
    self.patternTimer = 1.6 - 0.3 * self.phase
    self:firePattern(phase.pattern)
  end
end

-- Explosions over the hull while it sinks, then the big one.
function StageBoss:explode(dt)
  self.dyingTime = (self.dyingTime or 0) + dt
  self.blastTimer = (self.blastTimer or 0) - dt
  local offset = self.stage.view.distance
  if self.blastTimer <= 0 then
    self.blastTimer = 0.18
    Guard.call("runBomb01Effect", self.x + math.random() * 8 - 4, 0, self.z + offset + math.random() * 4 - 2, 1)
  end
  self.model:setPosition(self.x + math.sin(self.dyingTime * 50) * 0.2, -self.dyingTime * 0.6, self.z)
  if self.dyingTime >= DYING_SECONDS then
    Guard.call("runBomb01Effect", self.x, 0, self.z + offset, 3)
    playOneShotSoundEffect3D(SE.EXPLOSION, self.x, 0, self.z, 1)
    self:takeOut()
    self.state = "gone"
  end
end

function StageBoss:update(dt)
  if self.state == "gone" then return end
  self.time = self.time + dt
  showWhenReady(self.model)
  if self.state == "entering" then
    local t = clamp(self.time / ENTRY_SECONDS, 0, 1)
    self.z = lerp(ENTRY_Z, self.kind.at.z, 1 - (1 - t) * (1 - t))
    self:playTake(self.kind.phases[1].take)
    if t >= 1 then
      self.state, self.time = "fighting", 0
      Guard.method(self.enemy, "setNoDamageFlag", false)
    end
  elseif self.state == "fighting" then
    self:fight(dt)
    if self.kind.leaveAfter and self.time >= self.kind.leaveAfter then
      self.state = "leaving"
      Guard.method(self.enemy, "setNoDamageFlag", true)
      for _, beam in ipairs(self.beams) do self:stopBeam(beam) end
    end
  elseif self.state == "leaving" then
    self.z = self.z + 10 * dt
    if self.z > ENTRY_Z then
      self:takeOut()
      self.state = "gone"
      return
    end
  end
  if self.state ~= "dying" then
    self.model:setPosition(self.x, 0, self.z)
    self.hull:setPos(self.x, 0, self.z)
  end
  for _, beam in ipairs(self.beams) do
    self:updateBeam(beam, dt)
  end
  -- The explosion that the hit rules queued on the killed body.
  Guard.method(self.core, "runDeadInfo")
  for _, box in ipairs(self.boxBodies) do Guard.method(box, "runDeadInfo") end
  Guard.method(self.hull, "runDeadInfo")
  if self.state == "fighting" and Guard.method(self.enemy, "isDead") then
    self:destroyed()
  elseif self.state == "dying" then
    self:explode(dt)
  end
end

-- Killed by the player: the beams stop, the bodies leave the play, the score
-- is paid and the explosions start.
function StageBoss:destroyed()
  self.killed = true
  self.state = "dying"
  for _, beam in ipairs(self.beams) do self:stopBeam(beam) end
  self:dropBodies()
  Guard.method(self.stage.status.score, "add", self.kind.score)
  self.stage.view:flash()
  playOneShotSoundEffect3D(SE.EXPLOSION, self.x, 0, self.z, 1)
end

function StageBoss:dropBodies()
  if self.bodiesDropped then return end
  self.bodiesDropped = true
  self.stage.collision:remove("enemies", self.core)
  self.capsules:remove(self.hull)
  for _, box in ipairs(self.boxBodies) do self.boxes:remove(box) end
  for _, body in ipairs({ self.core, self.hull, table.unpack(self.boxBodies) }) do
    body:setValid(false)
    body:setOwner(nil)
  end
  self.coreSync:setModelAndCollision(nil, nil, "")
  for _, sync in ipairs(self.boxSyncs) do sync:setModelAndCollision(nil, nil, "") end
  self.enemy:entryRootSphereBody(nil)
  self.enemy:finalize()
end

-- Everything out of the play and the physics step.
function StageBoss:takeOut()
  for _, beam in ipairs(self.beams) do
    self:stopBeam(beam)
    self.beamList:remove(beam.body)
    beam.body:setModelFrame(nil, "")
    beam.body:finalize()
    beam.look:detach()
  end
  self.beams = {}
  self:dropBodies()
  for _, group in ipairs(self.groups) do removeCollisionGroup(group) end
  self.groups = {}
  self.model:setVisible(false)
end

function StageBoss:release()
  if self.state ~= "gone" then
    self:takeOut()
    self.state = "gone"
  end
end
