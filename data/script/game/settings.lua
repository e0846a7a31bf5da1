-- The player's settings over the game's settings object: volumes in whole
-- percent, the pad buttons and keyboard keys of the game actions. Changes
-- are applied at once; the game writes them to "config.dat" when it ends.
Settings = {}

local config

function Settings.config()
  config = config or Guard.call("createGameConfig")
  return config
end

Settings.VOLUMES = {
  { key = "total", label = "MASTER VOLUME", get = "getTotalVolume", set = "setTotalVolume" },
  { key = "bgm", label = "MUSIC VOLUME", get = "getBGMVolume", set = "setBGMVolume" },
  { key = "se", label = "EFFECT VOLUME", get = "getSEVolume", set = "setSEVolume" },
}

-- The game actions: the logical button each one fires and the accessors of
-- its pad button and keyboard key in the settings.
Settings.ACTIONS = {
  { key = "shot", label = "SHOT", button = ACTION.SHOT, pad = "Shot", dik = "Shot" },
  { key = "trans", label = "TRANS", button = ACTION.TRANS, pad = "Trans", dik = "Trans" },
  { key = "capture", label = "CAPTURE", button = ACTION.CAPTURE, pad = "Capture", dik = "Capture" },
  { key = "guard", label = "GUARD", button = ACTION.GUARD, pad = "Guard", dik = "Guard" },
  { key = "lockon", label = "LOCK ON", button = ACTION.LOCKON, pad = "LockOn", dik = "LockOn" },
  { key = "pause", label = "PAUSE", button = ACTION.PAUSE, pad = "Pause", dik = "Pause" },
}

local function volumeOf(entry)
  local c = Settings.config()
  if not c then return 100 end
  return math.floor(c[entry.get](c) * 100 + 0.5)
end

function Settings.volumePercent(key)
  for _, entry in ipairs(Settings.VOLUMES) do
    if entry.key == key then return volumeOf(entry) end
  end
  return 100
end

function Settings.applyVolumes()
  setAudioVolume(Settings.volumePercent("total") / 100)
  setMusicTotalVolume(Settings.volumePercent("bgm") / 100)
  setSoundEffectTotalVolume(Settings.volumePercent("se") / 100)
end

-- Moves a volume by `step` percent within 0..100 and applies it.
function Settings.changeVolume(key, step)
  local c = Settings.config()
  if not c then return end
  for _, entry in ipairs(Settings.VOLUMES) do
    if entry.key == key then
      local percent = clamp(volumeOf(entry) + step, 0, 100)
      c[entry.set](c, percent / 100)
    end
  end
  Settings.applyVolumes()
end

function Settings.padButton(action)
  local c = Settings.config()
  return c and c["getJoypad" .. action.pad](c) or 0
end

function Settings.setPadButton(action, button)
  local c = Settings.config()
  if c then c["setJoypad" .. action.pad](c, button % PAD_BUTTON_COUNT) end
end

function Settings.key(action)
  local c = Settings.config()
  return c and c["getDikKey" .. action.dik](c) or 0
end

function Settings.setKey(action, code)
  local c = Settings.config()
  if c then c["setDikKey" .. action.dik](c, code) end
end

-- Puts the saved pad buttons and keys on the first player's controller,
-- beside the direction keys.
function Settings.applyControls()
  local c = Settings.config()
  local controller = Input.player()
  if not c or not controller then return end
  controller:initJoypadKeyCustomTable()
  for _, action in ipairs(Settings.ACTIONS) do
    controller:setJoyPadMacro(Settings.padButton(action), action.button)
    controller:setKeyboardMacro(action.button, Settings.key(action), 0)
  end
  controller:setKeyboradDirButton(DIR_BUTTON_UP(), c:getDikKeyUp())
  controller:setKeyboradDirButton(DIR_BUTTON_RIGHT(), c:getDikKeyRight())
  controller:setKeyboradDirButton(DIR_BUTTON_DOWN(), c:getDikKeyDown())
  controller:setKeyboradDirButton(DIR_BUTTON_LEFT(), c:getDikKeyLeft())
end
