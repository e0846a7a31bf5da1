-- The base of the enemy scripts: an actor body with hit points and a short
-- no-damage period after each hit.
EnemyBase = Instance.class()

function EnemyBase:init(body, hp, noDamageSeconds)
  self.body = body
  body:setHpMax(hp)
  body:setHp(hp)
  body:setNoDamageFlag(false)
  body:setNoDamageCounter(noDamageSeconds or 0.1)
end

-- Takes `damage` unless the body is in its no-damage period; returns whether
-- the hit counted.
function EnemyBase:hit(damage)
  if self.body:isNoDamage() then
    return false
  end
  self.body:setHp(self.body:getHp() - damage)
  self.body:startNoDamageCounter()
  return true
end

function EnemyBase:isDead()
  return self.body:isDead()
end
