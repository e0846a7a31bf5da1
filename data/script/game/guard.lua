-- The game's own functions come from its script libraries, which the
-- framework alone does not have. Scripts reach them through these helpers: a
-- missing function or method reads as nil, so the scene flow also runs on the
-- framework without the game (as some tests run it).
Guard = {}

function Guard.has(name)
  return type(_G[name]) == "function"
end

-- Calls the global `name` with the arguments; nil when it does not exist.
function Guard.call(name, ...)
  local fn = _G[name]
  if type(fn) ~= "function" then
    return nil
  end
  return fn(...)
end

-- Calls object:method(...) when the object has that method; nil otherwise.
function Guard.method(object, name, ...)
  if object == nil then
    return nil
  end
  local fn = object[name]
  if type(fn) ~= "function" then
    return nil
  end
  return fn(object, ...)
end
