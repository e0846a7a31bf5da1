-- The stage's cameras, effect units and its scrolling ground. The map camera
-- flies forward over the ground; the actor camera looks at the play area
-- from the same height, so the actors stay in one plane while the map passes
-- below. The effect and map-effect cameras follow the actor and map cameras;
-- the game plays its sparks and explosions on their effect units.
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
  aim(self.mapEffectCamera, 0, EYE_HEIGHT, z - EYE_BACK, 0, 0, z)
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
