-- Debug output that costs nothing unless DEBUG_MODE is set.
DEBUG_MODE = DEBUG_MODE or false

function dprint(...)
  if DEBUG_MODE then
    print(...)
  end
end

-- Checks a condition in debug runs; the message names what went wrong.
function dassert(condition, message)
  if DEBUG_MODE and not condition then
    error(message or "assertion failed", 2)
  end
  return condition
end
