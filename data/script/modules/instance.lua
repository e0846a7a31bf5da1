-- Classes for scripts: Instance.class(base) makes a class table whose
-- new(...) builds an object and calls its init(...).
Instance = {}

function Instance.class(base)
  local class = {}
  class.__index = class
  if base then
    setmetatable(class, { __index = base })
  end
  class.super = base
  function class.new(...)
    local object = setmetatable({}, class)
    if object.init then
      object:init(...)
    end
    return object
  end
  return class
end

-- True when `object` was made by `class` or a class derived from it.
function Instance.isA(object, class)
  local current = getmetatable(object)
  while current do
    if current == class then return true end
    current = current.super
  end
  return false
end
