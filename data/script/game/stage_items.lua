-- Pick-ups in a stage: a shot-down enemy sometimes leaves one of the game's
-- items, which drifts towards the player's side. The game's pick-up rule
-- (the player's body against the item list) applies it: a shield item
-- mends the shield, a full-shield item fills it, a power item raises the
-- shot level, and any of them pays a score bonus when there is nothing to
-- mend or raise; it queues the "player_power_up" sound, which the stage plays
-- with the other queued sounds. The rule's messages play on the effect
-- camera's unit, which gets their effects here.
--
--   StageItems.new(collision)      the stage's StageCollision
--   items:drop(x, z [, kind])      a pick-up at (x, z); kind defaults to the
--                                  next in a fixed rotation
--   items:update(dt)               once a frame
--   items:nearest(x, z)            the nearest pick-up {x, z}, for the pilot
--   items:release()
--   items.dropped, items.collected counts
StageItems = Instance.class()

StageItems.SHIELD, StageItems.POWER, StageItems.FULL_SHIELD = 2, 1, 4
-- Mostly shield items; now and then a full shield or a power item.
local ROTATION = { 2, 4, 2, 1, 2, 4 }
local DRIFT = 3.5
local NEAR_Z = -14
local MESSAGES = { "effect/power_up_mes", "effect/recovery_mes", "effect/item_bonus" }

function StageItems:init(collision)
  self.collision = collision
  self.items = {}
  self.dropped, self.collected = 0, 0
  self.turn = 0
  self.list = Guard.call("createItemList")
  local player = collision and collision.playerBody
  self.group = self.list and player and Guard.call("createPlayerHitItem")
  if self.group then
    self.group:setPlayerRigidBody(player)
    self.group:setItemRigidBodyList(self.list)
    addCollisionGroup(self.group)
  end
  self.effects = Guard.call("findEffectUnit", CAMERA.EFFECT)
  for _, name in ipairs(MESSAGES) do
    Guard.method(self.effects, "load", name)
  end
end

function StageItems:drop(x, z, kind)
  if not self.group or not Guard.has("createItemHandle") then return nil end
  if type(x) ~= "number" or type(z) ~= "number" then return nil end
  if type(kind) ~= "number" then kind = nil end
  if not kind then
    self.turn = self.turn % #ROTATION + 1
    kind = ROTATION[self.turn]
  end
  local item = createItemHandle()
  item:setItemKind(kind)
  item:setPos(x, 0, z)
  item:setVelocity(0, 0, -DRIFT)
  item:setValid(true)
  local model = createModel()
  model:load("model/pickup/pickup.mdl")
  model:setRenderCameraBit(cameraBit(CAMERA.ACTOR))
  Guard.method(model, "setLightValid", false)
  item:setModel(model)
  self.list:push(item)
  self.dropped = self.dropped + 1
  local entry = { item = item, model = model, x = x, z = z }
  self.items[#self.items + 1] = entry
  return entry
end

function StageItems:take(i)
  local e = table.remove(self.items, i)
  self.list:remove(e.item)
  e.item:clearSyncModel()
  e.item:finalize()
  e.model:setVisible(false)
end

function StageItems:update(dt)
  if self.effects and not self.effects:isSetupAll() then self.effects:setupAll() end
  for i = #self.items, 1, -1 do
    local e = self.items[i]
    local x, _, z = e.item:getPos()
    e.x, e.z = x or e.x, z or e.z
    if not e.model:isVisible() and e.model:isReady() then e.model:setVisible(true) end
    -- The pick-up rule turns a collected item invalid.
    if not e.item:isValid() then
      self.collected = self.collected + 1
      self:take(i)
    elseif e.z < NEAR_Z then
      self:take(i)
    else
      e.item:setVelocity(0, 0, -DRIFT)
    end
  end
end

function StageItems:nearest(x, z)
  local best, bestDistance
  for _, e in ipairs(self.items) do
    local d = (e.x - x) ^ 2 + (e.z - z) ^ 2
    if not bestDistance or d < bestDistance then best, bestDistance = e, d end
  end
  return best
end

function StageItems:release()
  for i = #self.items, 1, -1 do self:take(i) end
  if self.group then removeCollisionGroup(self.group) end
  self.group = nil
  for _, name in ipairs(MESSAGES) do
    Guard.method(self.effects, "release", name)
  end
  self.effects = nil
end
