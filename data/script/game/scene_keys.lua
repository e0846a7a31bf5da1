-- The controls: the pad button and the keyboard key of each game action.
-- Left and right step the pad button; OK waits for a key to press.
KeyConfigScene = {}

local KEY_WAIT_SECONDS = 3

local function keyName(code)
  if code == 0 then return "-" end
  return findDIKFromString(code)
end

-- Waits for a key; keeps the old one when none comes in time.
local function captureKey(action, draw)
  local t = 0
  while t < KEY_WAIT_SECONDS and not AutoPlay.isActive() do
    local code = getPressDIK()
    if code >= 0 then
      Settings.setKey(action, code)
      return
    end
    Screen.begin()
    draw()
    Screen.centred(Screen.WIDTH / 2, 672, "PRESS A KEY FOR " .. action.label, COLOUR.ALERT)
    Screen.finish()
    Frame.next()
    t = t + Frame.dt
  end
end

local function entries(draw)
  local list = {}
  for _, action in ipairs(Settings.ACTIONS) do
    list[#list + 1] = {
      key = "pad_" .. action.key,
      label = action.label,
      value = function()
        return string.format("PAD %2d   KEY %s", Settings.padButton(action) + 1, keyName(Settings.key(action)))
      end,
      adjust = function(direction) Settings.setPadButton(action, Settings.padButton(action) + direction) end,
      choose = function() captureKey(action, draw) end,
    }
  end
  list[#list + 1] = { key = "back", label = "BACK" }
  return list
end

function KeyConfigScene.run(background)
  local menu
  local function draw()
    background()
    menu:draw()
  end
  menu = Menu.new("keys", "CONTROLS", entries(draw), "back")
  menu.box = { 240, 96, 1040, 192 + #menu.entries * 64 }
  menu:run(background)
  Settings.applyControls()
end
