#include "host/effect/format.h"

#include <cmath>
#include <cstring>

namespace host::effect {

namespace {

void putU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void putU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void putF32(std::vector<std::uint8_t>& out, float f) {
  std::uint32_t v;
  std::memcpy(&v, &f, 4);
  putU32(out, v);
}
void setU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint16_t getU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t getU32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
float getF32(const std::uint8_t* p) {
  const std::uint32_t v = getU32(p);
  float f;
  std::memcpy(&f, &v, 4);
  return f;
}

// The float fields of an emitter record, in file order.
template <class E, class F>
void eachFloat(E& e, F f) {
  f(e.rate);
  f(e.emitFrames);
  f(e.delayFrames);
  f(e.life);
  f(e.lifeSpread);
  f(e.radius);
  for (auto& v : e.velocity) f(v);
  for (auto& v : e.velocitySpread) f(v);
  for (auto& v : e.acceleration) f(v);
  for (auto& v : e.colourStart) f(v);
  for (auto& v : e.colourEnd) f(v);
  f(e.sizeStart);
  f(e.sizeEnd);
}

bool fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

bool inRange(float v, float lo, float hi) { return std::isfinite(v) && v >= lo && v <= hi; }

}  // namespace

std::uint32_t crc32(const std::uint8_t* data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::vector<std::uint8_t> writeEffect(const EffectDesc& effect) {
  std::vector<std::uint8_t> out(kMagic, kMagic + 4);
  putU16(out, kVersion);
  putU16(out, static_cast<std::uint16_t>(effect.emitters.size()));
  putU32(out, 0);  // size, filled below
  putU32(out, 0);  // checksum, filled below
  for (const EmitterDesc& e : effect.emitters) {
    putU32(out, e.flags);
    putU32(out, e.texture);
    putU32(out, e.burst);
    eachFloat(e, [&](float v) { putF32(out, v); });
  }
  setU32(out, 8, static_cast<std::uint32_t>(out.size()));
  setU32(out, 12, crc32(out.data() + kHeaderSize, out.size() - kHeaderSize));
  return out;
}

bool checkEmitter(const EmitterDesc& e, std::string* error) {
  if (e.flags & ~kFlagKnown) return fail(error, "unknown emitter flags");
  if (e.texture >= kTextureCount) return fail(error, "unknown sprite texture");
  if (e.burst > kMaxBurst) return fail(error, "burst count too large");
  bool finite = true;
  eachFloat(e, [&](float v) { finite = finite && std::isfinite(v); });
  if (!finite) return fail(error, "a value is not a finite number");
  if (!inRange(e.rate, 0.0f, kMaxRate)) return fail(error, "spawn rate out of range");
  if (!inRange(e.emitFrames, 0.0f, kMaxFrames) || !inRange(e.delayFrames, 0.0f, kMaxFrames))
    return fail(error, "emit time out of range");
  if (!inRange(e.life, 1.0f, kMaxFrames) || !inRange(e.lifeSpread, 0.0f, e.life - 1.0f))
    return fail(error, "lifetime out of range");
  if (e.radius < 0.0f || e.sizeStart < 0.0f || e.sizeEnd < 0.0f) return fail(error, "negative radius or size");
  for (float v : e.velocitySpread)
    if (v < 0.0f) return fail(error, "negative velocity spread");
  for (int i = 0; i < 4; ++i)
    if (!inRange(e.colourStart[i], 0.0f, 1.0f) || !inRange(e.colourEnd[i], 0.0f, 1.0f))
      return fail(error, "colour out of 0..1");
  if (e.burst == 0 && (e.rate == 0.0f || e.emitFrames == 0.0f)) return fail(error, "emitter spawns nothing");
  return true;
}

bool readEffect(const std::uint8_t* data, std::size_t size, EffectDesc* effect, std::string* error) {
  if (!data || size < kHeaderSize) return fail(error, "shorter than the header");
  if (std::memcmp(data, kMagic, 4) != 0) return fail(error, "not an effect file");
  const std::uint16_t version = getU16(data + 4);
  if (version != kVersion) return fail(error, "unknown version " + std::to_string(version));
  const std::uint16_t count = getU16(data + 6);
  if (count == 0 || count > kMaxEmitters) return fail(error, "emitter count out of range");
  const std::uint32_t declared = getU32(data + 8);
  if (declared != size) return fail(error, "declared size differs from the real size");
  if (size != kHeaderSize + std::size_t(count) * kEmitterSize) return fail(error, "size does not fit the emitters");
  if (getU32(data + 12) != crc32(data + kHeaderSize, size - kHeaderSize)) return fail(error, "checksum mismatch");

  EffectDesc result;
  result.emitters.resize(count);
  for (std::uint16_t i = 0; i < count; ++i) {
    const std::uint8_t* p = data + kHeaderSize + std::size_t(i) * kEmitterSize;
    EmitterDesc& e = result.emitters[i];
    e.flags = getU32(p);
    e.texture = getU32(p + 4);
    e.burst = getU32(p + 8);
    p += 12;
    eachFloat(e, [&](float& v) {
      v = getF32(p);
      p += 4;
    });
    std::string why;
    if (!checkEmitter(e, &why)) return fail(error, "emitter " + std::to_string(i) + ": " + why);
  }
  if (effect) *effect = std::move(result);
  return true;
}

}  // namespace host::effect
