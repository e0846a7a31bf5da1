-- The stage: the map scrolls, enemy waves come, the player flies and
-- shoots. It ends when its time is flown, the player is lost or the player
-- quits from the pause menu, and hands its result to the results screen.
StageScene = {}

local STAGE_SECONDS = 60
local SCROLL_SPEED = 12
local FLIGHT_POINTS = 10     -- per metre flown
local CLEAR_BONUS = 5000
-- Auto-play leaves the stage this long before its time is up, for the
-- results and the way back to the title.
local AUTOPLAY_RESERVE = 1.2

-- The status display lives as long as the game: the status unit keeps plain
-- pointers to what is entered into it, so those stay alive with it.
local status

local function createStatus()
  if status then return status end
  status = { unit = Guard.call("createGameStatusUnit") }
  if Guard.has("createGameStatusScoreDisplay") then
    status.model = createGfxModel()
    status.model:setRenderCameraBit(cameraBit(CAMERA.STATUS))
    status.score = createGameStatusScoreDisplay(status.model)
    Guard.method(status.unit, "entryScoreDisplay", status.score)
  end
  -- The player's body writes its hit points into the entered shield gauge.
  status.shield = Guard.call("createGameStatusShiledGauge")
  Guard.method(status.shield, "setMaxGauge", 100)
  Guard.method(status.shield, "setNowGauge", 100)
  Guard.method(status.unit, "entryShieldGauge", status.shield)
  return status
end

-- The auto pilot: lines up with the nearest enemy, weaves when there is
-- none, and keeps firing.
local function pilot(stage)
  local x, z = stage.player:position()
  local target = stage.waves:nearest(x, z)
  local tx = target and target.x or math.sin(stage.time * 0.9) * 8
  local tz = math.sin(stage.time * 0.6) * 4
  return clamp((tx - x) / 3, -1, 1), clamp((tz - z) / 3, -1, 1), true
end

local function drawHud(stage)
  Screen.begin()
  Screen.text(32, 32, string.format("SCORE %09d", stage:score()))
  Screen.text(32, 64, string.format("KILLS %d", stage.waves.kills), COLOUR.DIM)
  local shield = Guard.method(stage.status.shield, "getNowGauge")
  if shield then
    Screen.text(32, 640, "SHIELD", COLOUR.DIM)
    Screen.frame(144, 646, 448, 666, COLOUR.DIM)
    Screen.fill(146, 648, 146 + 300 * clamp(shield / 100, 0, 1), 664, shield > 30 and COLOUR.CURSOR or COLOUR.ALERT)
  end
  Screen.text(1088, 32, string.format("TIME %02d", math.max(0, math.ceil(STAGE_SECONDS - stage.time))))
  if stage.waves:isAnnouncing() then
    Screen.centred(Screen.WIDTH / 2, 320, string.format("WAVE %d", stage.waves.wave), COLOUR.ALERT)
  end
  if stage.time < 2 then
    Screen.centred(Screen.WIDTH / 2, 256, STAGE_NAMES[STAGE.STAGE01], COLOUR.TITLE)
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
  Guard.method(self.status.unit, "setVisible", true)
  Guard.method(self.status.model, "setVisible", true)
  self.statusCamera = createCamera(CAMERA.STATUS)
end

function Stage:score()
  local shown = Guard.method(self.status.score, "get") or 0
  return shown + math.floor(self.view.distance * FLIGHT_POINTS)
end

function Stage:step(dt, stickX, stickY, firing)
  self.time = self.time + dt
  self.view:update(dt, SCROLL_SPEED)
  self.player:update(dt, stickX, stickY, firing)
  self.waves:update(dt)
  playQueuedSounds()
end

function Stage:release()
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
    if stage.time >= STAGE_SECONDS then cleared = true break end
    if not stage.player:isAlive() then break end
    if AutoPlay.remaining() < AUTOPLAY_RESERVE then break end
    Frame.next()
  end
  Transition.cover(function() drawHud(stage) end)
  fadeoutMusic(1.0)
  local result = { score = stage:score(), kills = stage.waves.kills, cleared = cleared, quit = quit }
  if cleared then result.score = result.score + CLEAR_BONUS end
  stage:release()
  collectgarbage()
  return "results", result
end
