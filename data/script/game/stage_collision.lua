-- The stage's collision groups: the player's shots against the enemies and
-- the player against the enemies, over lists of bodies that the player and
-- the waves keep up to date. A group whose creator is not offered (the
-- scripts run on the framework alone) is left out.
StageCollision = Instance.class()

function StageCollision:init()
  self.players = createRigidBodySphereList()
  self.shots = createRigidBodyCapsuleList()
  self.enemies = createRigidBodySphereList()
  self.groups = {}
  self:join("createColGroupBeamShotEnemySphere", self.shots, self.enemies)
  self:join("createColGroupPlayerEnemySphere", self.players, self.enemies)
  -- Enemies and their bullets may hurt the player in a stage.
  setGlobalVariable("PlayerModeCtrl", 1)
end

function StageCollision:join(creator, sideA, sideB)
  local group = Guard.call(creator)
  if not group then return end
  group:setCollisionGroup(sideA, sideB)
  addCollisionGroup(group)
  self.groups[#self.groups + 1] = group
end

-- Adds or removes a body of one side ("players", "shots" or "enemies").
-- The player's body is kept too: the enemy bullets' groups test against it.
function StageCollision:add(side, body)
  if not body then return end
  self[side]:push(body)
  if side == "players" then self.playerBody = body end
end

function StageCollision:remove(side, body)
  if not body then return end
  self[side]:remove(body)
  if side == "players" and self.playerBody == body then self.playerBody = nil end
end

-- Where the player's body is: x, z; nil without one.
function StageCollision:playerPosition()
  if not self.playerBody then return nil end
  local x, _, z = Guard.method(self.playerBody, "getPos")
  return x, z
end

-- Takes the groups out of the physics step before the lists go.
function StageCollision:release()
  for _, group in ipairs(self.groups) do
    removeCollisionGroup(group)
  end
  self.groups = {}
  for _, side in ipairs({ "players", "shots", "enemies" }) do
    self[side]:clear()
  end
  setGlobalVariable("PlayerModeCtrl", 0)
end
