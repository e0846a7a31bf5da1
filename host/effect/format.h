// The effect file: one or more emitters of camera-facing textured quads, in a
// small versioned binary layout of our own (described in README.md beside
// this file). The reader checks every size against the bytes it was given and
// every value against its range; a file that fails any check is refused with
// a reason and never half read.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace host::effect {

// Built-in sprite images an emitter can draw with.
enum SpriteTexture : std::uint32_t {
  kTextureSolid = 0,  // plain white: the vertex colour alone
  kTextureDisc = 1,   // white disc fading out towards its rim
  kTextureRing = 2,   // thin bright ring
  kTextureSpark = 3,  // four-pointed star
  kTextureCount = 4,
};

enum EmitterFlags : std::uint32_t {
  kFlagAdditive = 1u << 0,  // adds its light; without it the quads blend by alpha
  kFlagKnown = kFlagAdditive,
};

// Times are in frames of 1/60 s, distances in world units (per frame for
// speeds, per frame squared for accelerations). Colours are RGBA 0..1.
struct EmitterDesc {
  std::uint32_t flags = 0;
  std::uint32_t texture = kTextureDisc;
  std::uint32_t burst = 0;     // particles spawned when the emitter starts
  float rate = 0.0f;           // particles per frame while it emits
  float emitFrames = 0.0f;     // how long the rate runs
  float delayFrames = 0.0f;    // wait before the emitter starts
  float life = 30.0f;          // particle lifetime
  float lifeSpread = 0.0f;     // +- random part of the lifetime
  float radius = 0.0f;         // particles start in a ball of this radius
  float velocity[3] = {0, 0, 0};
  float velocitySpread[3] = {0, 0, 0};  // +- random part per axis
  float acceleration[3] = {0, 0, 0};
  float colourStart[4] = {1, 1, 1, 1};
  float colourEnd[4] = {1, 1, 1, 0};
  float sizeStart = 1.0f;      // quad edge length at birth
  float sizeEnd = 1.0f;        // and at the end of its life
};

struct EffectDesc {
  std::vector<EmitterDesc> emitters;
};

constexpr char kMagic[4] = {'Q', 'V', 'F', 'X'};
constexpr std::uint16_t kVersion = 1;
constexpr std::size_t kHeaderSize = 16;
constexpr std::size_t kEmitterSize = 112;
constexpr std::uint16_t kMaxEmitters = 32;
constexpr std::uint32_t kMaxBurst = 2000;
constexpr float kMaxRate = 100.0f;
constexpr float kMaxFrames = 36000.0f;  // ten minutes
constexpr std::size_t kMaxParticles = 10000;  // alive at once per emitter of an instance

// The file's bytes; a description the reader would refuse is written anyway
// (the writer tool checks with the reader).
std::vector<std::uint8_t> writeEffect(const EffectDesc& effect);
// Reads a whole file. False with `error` saying why for anything that is not
// exactly one well-formed effect file of a known version.
bool readEffect(const std::uint8_t* data, std::size_t size, EffectDesc* effect, std::string* error);
// Checks one emitter's values; false with the reason.
bool checkEmitter(const EmitterDesc& emitter, std::string* error);

// CRC-32 (the zlib polynomial) of the bytes.
std::uint32_t crc32(const std::uint8_t* data, std::size_t size);

}  // namespace host::effect
