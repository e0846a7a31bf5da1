-- The stage's cameras, effect units and its scrolling ground. The map camera
-- flies forward over the ground; the actor camera looks at the play area
-- from the same height, so the actors stay in one plane while the map passes
-- below. The effect camera follows the actor camera; a map-linked camera
-- object makes the map-effect camera follow the map camera and gives the
-- background camera the map's view rotation, so the far layer under the
-- ground turns with the map but never comes nearer. The game plays its
-- sparks and explosions on the effect units. The warning and stage-name
-- cameras show their banners; the wipe camera flashes the screen.
StageView = Instance.class()

local TILE_LENGTH = 40
local TILE_COUNT = 6
local EYE_HEIGHT = 20
local EYE_BACK = 14

local function aim(camera, eyeX, eyeY, eyeZ, atX, atY, atZ)
  camera:setEye(eyeX, eyeY, eyeZ)
  camera:setAt(atX, atY, atZ)
  camera:setUp(0, 1, 0)
end

-- The effects of each effect unit, by camera.
local EFFECTS = {
  { camera = "ACTOR_EFFECT", names = {} },
  { camera = "EFFECT", names = { "effect/spark01" } },
  { camera = "MAP_EFFECT", names = { "effect/bomb01" } },
}
local EFFECT_PRIORITY = 10
local EFFECT_INSTANCES = 64
-- The far layer lies this far below the background camera.
local SKY_DEPTH = 60
-- The banner cameras look at their banners from this far.
local BANNER_DISTANCE = 10

local function bannerCamera(number)
  local camera = createCamera(number)
  camera:normalSetup()
  camera:setFovy(degToRad(45))
  aim(camera, 0, 0, -BANNER_DISTANCE, 0, 0, 0)
  return camera
end

local function bannerModel(file, number, y)
  local model = createModel()
  model:load(file)
  model:setRenderCameraBit(cameraBit(number))
  model:setPosition(0, y, 0)
  return model
end

-- The background and its far layer; the map-linked camera that carries the
-- map camera's view to the map-effect and background cameras.
function StageView:initLayers()
  self.backgroundCamera = createCamera(CAMERA.BACKGROUND)
  self.backgroundCamera:normalSetup()
  self.backgroundCamera:setFovy(degToRad(45))
  aim(self.backgroundCamera, 0, 0, 0, 0, -EYE_HEIGHT, EYE_BACK)
  self.sky = createModel()
  self.sky:load("model/sky/sky.mdl")
  self.sky:setRenderCameraBit(cameraBit(CAMERA.BACKGROUND))
  self.sky:setPosition(0, -SKY_DEPTH, 0)
  self.sky:setLightMode(0)
  if Guard.has("createLinkMapCameraObject") and Guard.has("createSyncCamera") then
    self.mapLink = createLinkMapCameraObject()
    self.mapLink:setCamera(self.mapEffectCamera)
    self.mapLink:setBGCamera(self.backgroundCamera)
    self.mapFollow = createSyncCamera()
    self.mapFollow:setCamera(self.mapCamera)
    self.mapFollow:push(self.mapLink)
    self.mapFollow:run()
  end
  self.warningCamera = bannerCamera(CAMERA.WARNING)
  self.warningBanner = bannerModel("model/banner/banner.mdl", CAMERA.WARNING, 0.28)
  self.stageNameCamera = bannerCamera(CAMERA.STAGE_NAME)
  self.stageNamePlate = bannerModel("model/nameplate/nameplate.mdl", CAMERA.STAGE_NAME, 1.2)
  self.shows = { warning = 0, stageName = 0 }
end

-- Shows the warning banner for `seconds`.
function StageView:showWarning(seconds)
  self.shows.warning = seconds
  self.warningBanner:changeAnime(0)
  self.warningBanner:setLoopAnime(true)
  self.warningBanner:setPlayAnime(true)
end

-- Shows the stage-name plate for `seconds`; the HUD prints the name on it.
function StageView:showStageName(name, seconds)
  self.stageName = name
  self.shows.stageName = seconds
end

function StageView:stageNameShown()
  return self.shows.stageName > 0 and self.stageName or nil
end

-- A white flash over everything through the game's global wipe.
function StageView:flash()
  local wipe = Transition.created and Guard.call("getGlobalWipe")
  if not wipe then return end
  wipe:setVisible(true)
  wipe:fadeIn(255, 240, 200, 0.8)
end

local function showFor(model, seconds)
  local shown = seconds > 0
  if shown ~= model:isVisible() and (not shown or model:isReady()) then model:setVisible(shown) end
end

function StageView:updateLayers(dt)
  for key, left in pairs(self.shows) do
    self.shows[key] = math.max(0, left - dt)
  end
  showFor(self.warningBanner, self.shows.warning)
  showFor(self.stageNamePlate, self.shows.stageName)
  if not self.sky:isVisible() and self.sky:isReady() then self.sky:setVisible(true) end
  if not self.mapLink then
    aim(self.mapEffectCamera, 0, EYE_HEIGHT, self.distance - EYE_BACK, 0, 0, self.distance)
  end
end

function StageView:init()
  self.distance = 0
  self.mapCamera = createCamera(CAMERA.MAP)
  self.actorCamera = createCamera(CAMERA.ACTOR)
  self.effectCamera = createCamera(CAMERA.EFFECT)
  self.mapEffectCamera = createCamera(CAMERA.MAP_EFFECT)
  for _, camera in ipairs({ self.mapCamera, self.actorCamera, self.effectCamera, self.mapEffectCamera }) do
    camera:normalSetup()
    camera:setFovy(degToRad(45))
  end
  aim(self.actorCamera, 0, EYE_HEIGHT, -EYE_BACK, 0, 0, 0)
  aim(self.effectCamera, 0, EYE_HEIGHT, -EYE_BACK, 0, 0, 0)
  self:initLayers()
  self.effectUnits = {}
  for _, set in ipairs(EFFECTS) do
    local unit = createEffectUnit(CAMERA[set.camera], EFFECT_PRIORITY, 0, 0, 0, EFFECT_INSTANCES)
    for _, name in ipairs(set.names) do
      unit:load(name)
    end
    self.effectUnits[#self.effectUnits + 1] = unit
  end
  self.tiles = {}
  for i = 1, TILE_COUNT do
    local tile = createModel()
    tile:load("model/ground/ground.mdl")
    tile:setRenderCameraBit(cameraBit(CAMERA.MAP))
    self.tiles[i] = tile
  end
end

-- Scrolls the map by `speed` × dt and keeps the tiles ahead of the camera.
function StageView:update(dt, speed)
  self.distance = self.distance + speed * dt
  local z = self.distance
  aim(self.mapCamera, 0, EYE_HEIGHT, z - EYE_BACK, 0, 0, z)
  self:updateLayers(dt)
  for _, unit in ipairs(self.effectUnits) do
    if not unit:isSetupAll() then unit:setupAll() end
  end
  local first = math.floor(z / TILE_LENGTH) - 2
  for i, tile in ipairs(self.tiles) do
    if not tile:isVisible() and tile:isReady() then
      tile:setVisible(true)
    end
    tile:setPosition(0, -2, (first + i - 1) * TILE_LENGTH)
  end

end

function StageView:release()
  if self.mapFollow then
    self.mapFollow:stop()
    self.mapFollow:pop(self.mapLink)
  end
  for _, model in ipairs({ self.sky, self.warningBanner, self.stageNamePlate }) do
    model:setVisible(false)
  end
  for _, tile in ipairs(self.tiles) do
    tile:setVisible(false)
  end
  self.tiles = {}
  for i, unit in ipairs(self.effectUnits) do
    for _, name in ipairs(EFFECTS[i].names) do
      unit:release(name)
    end
  end
  self.effectUnits = {}
end
