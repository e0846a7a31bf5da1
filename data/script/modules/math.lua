-- Three-component vectors as plain tables {x, y, z}.
Vec3 = {}

function Vec3.new(x, y, z)
  return { x = x or 0, y = y or 0, z = z or 0 }
end

function Vec3.add(a, b) return Vec3.new(a.x + b.x, a.y + b.y, a.z + b.z) end
function Vec3.sub(a, b) return Vec3.new(a.x - b.x, a.y - b.y, a.z - b.z) end
function Vec3.scale(a, k) return Vec3.new(a.x * k, a.y * k, a.z * k) end
function Vec3.dot(a, b) return a.x * b.x + a.y * b.y + a.z * b.z end
function Vec3.length(a) return math.sqrt(Vec3.dot(a, a)) end

-- The unit vector along `a`; a zero vector stays zero.
function Vec3.normalize(a)
  local length = Vec3.length(a)
  if length == 0 then return Vec3.new() end
  return Vec3.scale(a, 1 / length)
end

function degToRad(degrees) return degrees * math.pi / 180 end
