-- The stage: the map scrolls, enemy waves come, a mid-boss halfway and the
-- boss at the end, the player flies and shoots. It is cleared when the boss
-- is destroyed; it ends when its time is flown, the player is lost or the
-- player quits from the pause menu, and hands its result to the results
-- screen.
StageScene = {}

-- The stage takes about three minutes when the boss falls in time; its
-- clock runs out well after that.
local STAGE_SECONDS = 240
-- When the bosses come (the waves leave room around them), and how long the
-- warning before each one shows.
local BOSSES = {
  { kind = "midboss", at = 75, index = 100 },
  { kind = "boss", at = 150, index = 101, music = "BGM_BOSS01", final = true },
}
local WARNING_SECONDS = 3
-- After the boss is destroyed the stage goes on this long for its explosion.
local CLEAR_DELAY = 3
local SCROLL_SPEED = 12
local FLIGHT_POINTS = 10     -- per metre flown
local CLEAR_BONUS = 5000
-- Auto-play leaves the stage this long before its time is up, for the
-- results and the way back to the title.
local AUTOPLAY_RESERVE = 1.2

-- The status display lives as long as the game: the status unit keeps plain
-- pointers to what is entered into it, so those stay alive with it.
local status

-- The status camera looks at its plane from this far with this field of
-- view; the display's pieces are placed on that plane by screen pixels.
local STATUS_DISTANCE = 10
local STATUS_FOVY = math.rad(49)
-- The score's nine digits after the HUD's "SCORE" label, each this many
-- pixels wide; the chain timer's gauge under the chain banner.
local SCORE_AT = { left = 128, top = 36, cell = 24 }
local CHAIN_GAUGE_AT = { left = 1040, top = 216, width = 192 }
-- The score display's digit cells and the gauges are this many units wide.
local DIGIT_UNITS, GAUGE_UNITS = 64, 256

-- A world matrix command on the status model: what follows it is drawn
-- with its model space's origin at screen pixel (left, top), `pixels`
-- pixels to a unit.
local function placeOnStatus(model, left, top, pixels)
  local unit = 2 * STATUS_DISTANCE * math.tan(STATUS_FOVY / 2) / Screen.HEIGHT
  local placement = model:createWorldMatrix()
  placement:setScale(pixels * unit, pixels * unit, 1)
  placement:setPos((left - Screen.WIDTH / 2) * unit, (Screen.HEIGHT / 2 - top) * unit, 0)
  placement:calc()
  return placement
end

local function createStatus()
  if status then return status end
  status = { unit = Guard.call("createGameStatusUnit") }
  if Guard.has("createGameStatusScoreDisplay") then
    status.model = createGfxModel()
    status.model:setRenderCameraBit(cameraBit(CAMERA.STATUS))
    -- The model's commands draw in order: each placement moves what comes
    -- after it (the score's digits, then the chain timer's gauge).
    status.scoreAt = placeOnStatus(status.model, SCORE_AT.left, SCORE_AT.top, SCORE_AT.cell / DIGIT_UNITS)
    status.score = createGameStatusScoreDisplay(status.model)
    Guard.method(status.unit, "entryScoreDisplay", status.score)
    -- Kills in quick succession build a chain on the combo gauge; a finished
    -- chain pays the score display.
    status.gaugeAt = placeOnStatus(status.model, CHAIN_GAUGE_AT.left, CHAIN_GAUGE_AT.top,
                                   CHAIN_GAUGE_AT.width / GAUGE_UNITS)
    status.combo = Guard.call("createGameStatusComboGauge", status.model, TASK_PRIORITY.STATUS)
    Guard.method(status.unit, "entryComboGauge", status.combo)
    Guard.method(status.combo, "entryNotifyComboEndToScoreDisplay", status.score)
    Guard.method(status.combo, "run")
  end
  -- The player's body writes its hit points into the entered shield gauge.
  status.shield = Guard.call("createGameStatusShiledGauge")
  Guard.method(status.shield, "setMaxGauge", 100)
  Guard.method(status.shield, "setNowGauge", 100)
  Guard.method(status.unit, "entryShieldGauge", status.shield)
  return status
end

-- How far from a boss's beam line the pilot keeps (the beam's radius and
-- the machine's, and a margin), and how far beside the boss's core it flies:
-- near enough for its shots to hit the core.
local BEAM_CLEARANCE = 1.7
local BESIDE_CORE = 2.0

-- The auto pilot: lines up with the nearest enemy (or picks up an item),
-- weaves when there is neither, steers away from the bullets closing in
-- and keeps firing.
local function pilot(stage)
  local x, z = stage.player:position()
  local target = stage.waves:nearest(x, z)
  local tx = target and target.x or math.sin(stage.time * 0.9) * 8
  local tz = math.sin(stage.time * 0.6) * 4 - 2
  local item = stage.waves.items and stage.waves.items:nearest(x, z)
  if item and item.z < z + 10 then tx, tz = item.x, item.z end
  if stage.boss then tx, tz = stage:bossLine(x, z) end
  -- Under a boss it keeps up with the swaying core.
  local pull = stage.boss and 1 or 3
  local sx, sz = clamp((tx - x) / pull, -1, 1), clamp((tz - z) / 3, -1, 1)
  local dx, dz, danger = stage.waves.bullets:dodge(x, z, StagePlayer.AREA)
  local stickX = clamp(sx * (1 - danger) + dx, -1, 1)
  -- A boss's beam comes before any bullet: out of its line at full speed,
  -- towards the middle when the line is dead on.
  if stage.boss then
    for _, beamX in ipairs(stage.boss:beamsAt(z)) do
      local off = x - beamX
      if math.abs(off) < BEAM_CLEARANCE then
        if math.abs(off) < 0.2 then off = -x end
        stickX = off >= 0 and 1 or -1
      end
    end
  end
  return stickX, clamp(sz * (1 - danger) + dz, -1, 1), true
end

local function drawHud(stage)
  Screen.begin()
  -- The score display draws the digits; without one the HUD prints them.
  Screen.text(32, 32, stage.status.score and "SCORE" or string.format("SCORE %09d", stage:score()))
  Screen.text(32, 64, string.format("KILLS %d", stage.waves.kills + stage.bossKills), COLOUR.DIM)
  local shield = Guard.method(stage.status.shield, "getNowGauge")
  if shield then
    Screen.text(32, 640, "SHIELD", COLOUR.DIM)
    Screen.frame(144, 646, 448, 666, COLOUR.DIM)
    Screen.fill(146, 648, 146 + 300 * clamp(shield / 100, 0, 1), 664, shield > 30 and COLOUR.CURSOR or COLOUR.ALERT)
  end
  Screen.text(1088, 32, string.format("TIME %02d", math.max(0, math.ceil(STAGE_SECONDS - stage.time))))
  local boss = stage.boss
  if boss and not boss:isDone() then
    Screen.centred(Screen.WIDTH / 2, 32, boss.kind.name, COLOUR.TITLE)
    Screen.frame(340, 72, 940, 84, COLOUR.DIM)
    Screen.fill(342, 74, 342 + 596 * boss:hpShare(), 82, COLOUR.ALERT)
  end
  if stage.warning > 0 and math.floor(stage.warning * 4) % 2 == 0 then
    Screen.centred(Screen.WIDTH / 2, 320, "WARNING", COLOUR.ALERT)
  end
  if stage.warning == 0 and stage.waves:isAnnouncing() then
    Screen.centred(Screen.WIDTH / 2, 320, string.format("WAVE %d", stage.waves.wave), COLOUR.ALERT)
  end
  local stageName = stage.view:stageNameShown()
  if stageName then
    Screen.centred(Screen.WIDTH / 2, 256, stageName, COLOUR.TITLE)
  end
  if AutoPlay.isActive() then
    Screen.text(1088, 672, "AUTO PLAY", COLOUR.DIM)
  end
  Screen.finish()
end

-- Sounds that the game queued during the last physics step (hits,
-- explosions), played where they happened. The step empties the list
-- before it runs again.
local function playQueuedSounds()
  for i = 0, getEntrySEDataSize() - 1 do
    local name, x, y, z, volume = getEntrySEData(i)
    if name then playOneShotSoundEffect3D(name, x, y, z, volume) end
  end
end

local Stage = Instance.class()

function Stage:init()
  self.time = 0
  self.view = StageView.new()
  self.collision = StageCollision.new()
  self.player = StagePlayer.new(self.collision)
  self.waves = StageWaves.new(StageWaves.STAGE01, self.collision)
  self.status = createStatus()
  Guard.method(self.status.shield, "setNowGauge", 100)
  Guard.method(self.status.score, "clear")
  Guard.method(self.status.combo, "setComboZero")
  Guard.method(self.status.unit, "setVisible", true)
  Guard.method(self.status.model, "setVisible", true)
  self.statusCamera = createCamera(CAMERA.STATUS)
  -- The status display's camera looks down +z at its own plane, where the
  -- combo banner slides in on the right.
  self.statusCamera:normalSetup()
  self.statusCamera:setFovy(STATUS_FOVY)
  self.statusCamera:setEye(0, 0, -STATUS_DISTANCE)
  self.statusCamera:setAt(0, 0, 0)
  self.statusCamera:setUp(0, 1, 0)
  self.nextBoss, self.warned, self.warning, self.bossKills = 1, 0, 0, 0
  self.flightPaid = 0
  self.view:showStageName(STAGE_NAMES[STAGE.STAGE01], 2.5)
end

-- The bosses' timeline: the warning before each, the boss music, the boss
-- itself; the boss after the last one's explosion clears the stage.
function Stage:updateBosses(dt)
  self.warning = math.max(0, self.warning - dt)
  local next = BOSSES[self.nextBoss]
  if next and self.warned < self.nextBoss and self.time >= next.at - WARNING_SECONDS then
    self.warned = self.nextBoss
    self.warning = WARNING_SECONDS
    self.view:showWarning(WARNING_SECONDS)
    if next.music and _G[next.music] then playMusic(_G[next.music]) end
  end
  if next and self.time >= next.at then
    self.nextBoss = self.nextBoss + 1
    if self.boss then self.boss:release() end
    self.boss = StageBoss.canCreate() and StageBoss.new(self, next.kind, next.index) or nil
    self.bossIsFinal = next.final
    if not self.boss and next.final then self.noBoss = true end
  end
  if self.boss then
    self.boss:update(dt)
    if self.boss:isDone() then
      if self.boss:isDestroyed() then self.bossKills = self.bossKills + 1 end
      if self.bossIsFinal and self.boss:isDestroyed() then self.clearAt = self.time + CLEAR_DELAY end
      self.boss:release()
      self.boss = nil
    end
  end
end

-- Where the auto pilot flies while a boss is on: under the boss's core,
-- ahead of it by as far as it sways while a shot flies up to it, and beside
-- it, out of the lines of its beams, while they charge or fire.
function Stage:bossLine(x, z)
  local bx, bz = self.boss:position()
  local aim = bx + self.boss:swaySpeed() * math.max(0, bz - z) / StagePlayer.SHOT_SPEED
  local tx, tz = aim, -3
  local side = math.sin(self.time * 0.3) > 0 and 1 or -1
  for _, beamX in ipairs(self.boss:beamsAt(z)) do
    if math.abs(beamX - tx) < BESIDE_CORE then
      if math.abs(beamX - aim) > 0.2 then side = aim < beamX and -1 or 1 end
      tx = beamX + side * BESIDE_CORE
    end
  end
  return clamp(tx, StagePlayer.AREA.left + 1, StagePlayer.AREA.right - 1), tz
end

-- True once the stage is won: the boss destroyed and its explosion over, or
-- the time flown when the game cannot make the boss.
function Stage:isCleared()
  if self.clearAt then return self.time >= self.clearAt end
  return self.noBoss and self.time >= STAGE_SECONDS
end

-- The flight's points go onto the score display as the map scrolls, so
-- that it shows the whole score.
function Stage:payFlight()
  local due = math.floor(self.view.distance * FLIGHT_POINTS)
  if due > self.flightPaid then
    Guard.method(self.status.score, "add", due - self.flightPaid)
    self.flightPaid = due
  end
end

function Stage:score()
  return Guard.method(self.status.score, "get") or self.flightPaid
end

-- The score won by fighting: kills, chains, bonuses (the flight's points
-- left out).
function Stage:fightScore()
  return self:score() - self.flightPaid
end

function Stage:step(dt, stickX, stickY, firing)
  self.time = self.time + dt
  self.view:update(dt, SCROLL_SPEED)
  self:payFlight()
  self.player:update(dt, stickX, stickY, firing)
  self.waves:update(dt)
  self:updateBosses(dt)
  playQueuedSounds()
end

function Stage:release()
  if self.boss then self.boss:release() end
  self.waves:release()
  self.player:release()
  self.collision:release()
  self.view:release()
  Guard.method(self.status.unit, "setVisible", false)
  Guard.method(self.status.model, "setVisible", false)
end

-- The pause menu over the stopped stage; true when the player quits.
local function pause(stage)
  Guard.call("setPhysicalPause", true)
  local menu = Menu.new("pause", "PAUSE", {
    { key = "resume", label = "RESUME" },
    { key = "quit", label = "QUIT" },
  }, "resume")
  local chosen = menu:run(function() drawHud(stage) end)
  Guard.call("setPhysicalPause", false)
  return chosen == "quit"
end

function StageScene.run()
  local stage = Stage.new()
  playMusic(BGM_STAGE01)
  Transition.uncover(function() drawHud(stage) end)
  local cleared, quit = false, false
  while true do
    local x, y, firing
    if AutoPlay.isActive() then
      x, y, firing = pilot(stage)
    else
      x, y = Input.stick()
      firing = Input.isHeld(ACTION.SHOT)
      if Input.isPressed(ACTION.PAUSE) and pause(stage) then quit = true break end
    end
    stage:step(Frame.dt, x, y, firing)
    AutoPlay.watch(stage)
    drawHud(stage)
    if stage:isCleared() then cleared = true break end
    if stage.time >= STAGE_SECONDS then break end
    if not stage.player:isAlive() then break end
    if AutoPlay.remaining() < AUTOPLAY_RESERVE then break end
    Frame.next()
  end
  Transition.cover(function() drawHud(stage) end)
  fadeoutMusic(1.0)
  local result = { score = stage:score(), kills = stage.waves.kills + stage.bossKills, cleared = cleared, quit = quit }
  if cleared then result.score = result.score + CLEAR_BONUS end
  stage:release()
  collectgarbage()
  return "results", result
end
