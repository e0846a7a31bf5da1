-- Task priorities: lower numbers run earlier in a frame.
TASK_PRIORITY = {
  SYSTEM = 1,
  SCRIPT = 4,      -- script tasks such as "script/autoexec"
  PHYSICS = 7,     -- the physics step with its collision groups
  STAGE = 10,
  ENEMY = 20,
  PLAYER = 30,
  FLUSH = 64,      -- flush and sync units, range attack
  STATUS = 70,     -- combo gauge and range scope
  MODEL = 137,     -- the model manager draws last
}
