-- A vertical menu: entries with a label, an optional value shown beside it
-- and an optional adjust(direction) for left and right. run() returns the
-- key of the entry chosen with OK, or the leave key on cancel.
Menu = Instance.class()

-- Frames between two auto-play presses, so the cursor is seen moving.
local AUTO_DELAY = 4
-- Rows two text cells apart.
local ROW = 64

function Menu:init(id, heading, entries, leaveKey)
  self.id = id
  self.heading = heading
  self.entries = entries
  self.leaveKey = leaveKey
  self.cursor = 1
  self.box = { 400, 160, 880, 256 + #entries * ROW }
end

function Menu:indexOf(key)
  for i, entry in ipairs(self.entries) do
    if entry.key == key then return i end
  end
  return nil
end

-- The next auto-play action: walk to the planned entry, then act on it;
-- with the plan used up, choose the leave entry.
function Menu:autoStep(plan)
  self.autoWait = (self.autoWait or 0) + 1
  if self.autoWait < AUTO_DELAY then return nil end
  self.autoWait = 0
  local step = plan[1] or { self.leaveKey, "ok" }
  local index = self:indexOf(step[1]) or self:indexOf(self.leaveKey)
  if not index then return "cancel" end
  if index < self.cursor then return "up" end
  if index > self.cursor then return "down" end
  table.remove(plan, 1)
  return step[2]
end

function Menu:draw()
  local l, t, r, b = self.box[1], self.box[2], self.box[3], self.box[4]
  Screen.panel(l, t, r, b, self.heading)
  for i, entry in ipairs(self.entries) do
    local y = t + 32 + i * ROW
    local selected = i == self.cursor
    if selected then
      Screen.fill(l + 16, y - 12, r - 16, y + 44, COLOUR.CURSOR, 96)
    end
    Screen.text(l + 40, y, entry.label, selected and COLOUR.TITLE or COLOUR.TEXT)
    if entry.value then
      Screen.text(l + 300, y, entry.value(), COLOUR.TEXT)
    end
  end
end

-- Applies one action; returns the chosen key when the menu ends.
function Menu:apply(action)
  local count = #self.entries
  local entry = self.entries[self.cursor]
  if action == "up" then
    self.cursor = (self.cursor - 2) % count + 1
  elseif action == "down" then
    self.cursor = self.cursor % count + 1
  elseif (action == "left" or action == "right") and entry.adjust then
    entry.adjust(action == "left" and -1 or 1)
  elseif action == "ok" then
    if entry.choose then
      entry.choose()
    else
      return entry.key
    end
  elseif action == "cancel" then
    return self.leaveKey
  end
  return nil
end

-- Runs the menu with `background()` drawn under it; returns the chosen key.
function Menu:run(background)
  local plan = AutoPlay.isActive() and AutoPlay.plan(self.id) or nil
  while true do
    local action
    if plan then action = self:autoStep(plan) else action = Input.menuAction() end
    local chosen = action and self:apply(action)
    Screen.begin()
    if background then background() end
    self:draw()
    Screen.finish()
    if chosen then return chosen end
    Frame.next()
  end
end
