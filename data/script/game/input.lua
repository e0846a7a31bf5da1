-- Reading the pads: menu actions from the system controller, flight input
-- from the first player's controller.
Input = {}

local system, player

-- Direction numbers of the POV and the analog pad: 0 up, clockwise in
-- eighths, -1 none.
local MENU_DIRECTIONS = { [0] = "up", [2] = "right", [4] = "down", [6] = "left" }

function Input.init()
  system = getController(-1)
  player = getController(0)
  -- The D-pad answers the POV queries only while they are switched on;
  -- without it a pad's D-pad would move neither the menus nor the ship.
  if system then system:setPov(true) end
  if player then player:setPov(true) end
end

function Input.player()
  return player
end

local function direction(controller)
  local d = controller:getPovRepeat()
  if d < 0 then d = controller:getAnalogRepeat() end
  if d < 0 then d = controller:getPovTrig() end
  if d < 0 then d = controller:getAnalogTrig() end
  return d
end

-- "up", "down", "left", "right", "ok", "cancel" or nil.
function Input.menuAction()
  if not system then return nil end
  if system:isButtonTrig(BUTTON_OK()) then return "ok" end
  if system:isButtonTrig(BUTTON_CANCEL()) then return "cancel" end
  return MENU_DIRECTIONS[direction(system)]
end

local EIGHTHS = {
  [0] = { 0, 1 }, { 0.7071, 0.7071 }, { 1, 0 }, { 0.7071, -0.7071 },
  { 0, -1 }, { -0.7071, -0.7071 }, { -1, 0 }, { -0.7071, 0.7071 },
}

-- The flight stick as x (right) and y (up), each -1..1: the left stick, or
-- the direction pad when the stick rests.
function Input.stick()
  if not player then return 0, 0 end
  -- The stick reads as the pad reports it, -32768..32767 on each axis.
  local x, y = player:getLeftStick()
  x, y = x / 32767, y / 32767
  if math.abs(x) + math.abs(y) > 0.1 then
    return clamp(x, -1, 1), clamp(y, -1, 1)
  end
  local d = player:getPovCount()
  if d < 0 then d = player:getAnalogCount() end
  local v = EIGHTHS[d]
  if v then return v[1], v[2] end
  return 0, 0
end

-- Whether the player holds the game button `button` (ACTION in define_game).
function Input.isHeld(button)
  return player ~= nil and player:isButtonCount(button)
end

function Input.isPressed(button)
  return player ~= nil and player:isButtonTrig(button)
end
