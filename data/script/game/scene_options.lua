-- The options: window mode, the three volumes and the controls. The game
-- saves them to "config.dat" when it ends.
OptionsScene = {}

local function volumeEntry(volume)
  return {
    key = volume.key,
    label = volume.label,
    value = function() return string.format("%3d %%", Settings.volumePercent(volume.key)) end,
    adjust = function(direction) Settings.changeVolume(volume.key, direction * 10) end,
  }
end

local function windowEntry()
  return {
    key = "window",
    label = "SCREEN",
    value = function() return isWindowMode() and "WINDOW" or "FULL SCREEN" end,
    adjust = function() setFullScreen(isWindowMode()) end,
  }
end

local function background()
  TitleScene.backdrop()
  Screen.centred(Screen.WIDTH / 2, 672, "LEFT / RIGHT CHANGES A VALUE.  SAVED WHEN THE GAME ENDS.", COLOUR.DIM)
end

local entries = { windowEntry() }
for _, volume in ipairs(Settings.VOLUMES) do
  entries[#entries + 1] = volumeEntry(volume)
end
entries[#entries + 1] = { key = "keys", label = "CONTROLS", choose = function() KeyConfigScene.run(background) end }
entries[#entries + 1] = { key = "back", label = "BACK" }

local menu = Menu.new("options", "OPTIONS", entries, "back")

function OptionsScene.run()
  Transition.uncover(function() Screen.begin() background() menu:draw() Screen.finish() end)
  menu:run(background)
  Transition.cover(function() Screen.begin() background() menu:draw() Screen.finish() end)
  return "title"
end
