// The effect file: what the writer writes the reader reads back exactly, and
// every damaged or out-of-range file is refused with a reason.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "host/effect.h"

namespace {

using namespace host::effect;

EffectDesc twoEmitters() {
  EffectDesc d;
  EmitterDesc a;
  a.flags = kFlagAdditive;
  a.texture = kTextureRing;
  a.burst = 12;
  a.life = 20.0f;
  a.lifeSpread = 4.0f;
  a.radius = 0.5f;
  a.velocity[1] = 0.1f;
  a.velocitySpread[0] = 0.05f;
  a.acceleration[1] = -0.01f;
  a.colourStart[0] = 0.25f;
  a.colourEnd[3] = 0.0f;
  a.sizeStart = 0.5f;
  a.sizeEnd = 2.0f;
  EmitterDesc b;
  b.texture = kTextureSpark;
  b.rate = 2.5f;
  b.emitFrames = 30.0f;
  b.delayFrames = 10.0f;
  d.emitters = {a, b};
  return d;
}

bool sameEmitter(const EmitterDesc& a, const EmitterDesc& b) {
  return a.flags == b.flags && a.texture == b.texture && a.burst == b.burst &&
         std::memcmp(&a.rate, &b.rate, sizeof(float) * 25) == 0;
}

TEST(EffectFile, WhatIsWrittenReadsBackExactly) {
  const EffectDesc written = twoEmitters();
  const std::vector<std::uint8_t> bytes = writeEffect(written);
  ASSERT_EQ(bytes.size(), kHeaderSize + 2 * kEmitterSize);
  EffectDesc read;
  std::string error;
  ASSERT_TRUE(readEffect(bytes.data(), bytes.size(), &read, &error)) << error;
  ASSERT_EQ(read.emitters.size(), 2u);
  EXPECT_TRUE(sameEmitter(read.emitters[0], written.emitters[0]));
  EXPECT_TRUE(sameEmitter(read.emitters[1], written.emitters[1]));
}

TEST(EffectFile, EveryCutAndEveryFlippedByteIsRefused) {
  const std::vector<std::uint8_t> bytes = writeEffect(twoEmitters());
  std::string error;
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    EXPECT_FALSE(readEffect(bytes.data(), cut, nullptr, &error)) << "cut at " << cut;
    EXPECT_FALSE(error.empty());
  }
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    for (std::uint8_t mask : {0x01, 0x80}) {
      std::vector<std::uint8_t> damaged = bytes;
      damaged[at] ^= mask;
      EXPECT_FALSE(readEffect(damaged.data(), damaged.size(), nullptr, &error)) << "flip at " << at;
    }
  }
  std::vector<std::uint8_t> longer = bytes;
  longer.push_back(0);
  EXPECT_FALSE(readEffect(longer.data(), longer.size(), nullptr, &error));
  EXPECT_FALSE(readEffect(nullptr, 0, nullptr, &error));
}

TEST(EffectFile, HeaderAndValueChecksNameTheirReason) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* name;
    std::function<void(EffectDesc&)> change;
    const char* reason;
  };
  const Case cases[] = {
      {"no emitters", [](EffectDesc& d) { d.emitters.clear(); }, "emitter count"},
      {"33 emitters", [](EffectDesc& d) { d.emitters.resize(33, d.emitters[0]); }, "emitter count"},
      {"unknown flag", [](EffectDesc& d) { d.emitters[0].flags = 2; }, "flags"},
      {"unknown texture", [](EffectDesc& d) { d.emitters[1].texture = kTextureCount; }, "texture"},
      {"huge burst", [](EffectDesc& d) { d.emitters[0].burst = kMaxBurst + 1; }, "burst"},
      {"NaN velocity", [nan](EffectDesc& d) { d.emitters[0].velocity[2] = nan; }, "finite"},
      {"infinite size", [](EffectDesc& d) { d.emitters[0].sizeEnd = INFINITY; }, "finite"},
      {"zero life", [](EffectDesc& d) { d.emitters[0].life = 0.0f; }, "lifetime"},
      {"spread past life", [](EffectDesc& d) { d.emitters[0].lifeSpread = 20.0f; }, "lifetime"},
      {"negative rate", [](EffectDesc& d) { d.emitters[1].rate = -1.0f; }, "rate"},
      {"colour above one", [](EffectDesc& d) { d.emitters[0].colourStart[2] = 1.5f; }, "colour"},
      {"negative size", [](EffectDesc& d) { d.emitters[0].sizeStart = -1.0f; }, "size"},
      {"spawns nothing", [](EffectDesc& d) { d.emitters[1].emitFrames = 0.0f; }, "spawns nothing"},
  };
  for (const Case& c : cases) {
    EffectDesc d = twoEmitters();
    c.change(d);
    const std::vector<std::uint8_t> bytes = writeEffect(d);
    std::string error;
    EXPECT_FALSE(readEffect(bytes.data(), bytes.size(), nullptr, &error)) << c.name;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
  }

  std::vector<std::uint8_t> bytes = writeEffect(twoEmitters());
  std::string error;
  bytes[4] = 2;  // version 2
  EXPECT_FALSE(readEffect(bytes.data(), bytes.size(), nullptr, &error));
  EXPECT_NE(error.find("version"), std::string::npos);
  bytes[4] = 1;
  bytes[0] = 'X';
  EXPECT_FALSE(readEffect(bytes.data(), bytes.size(), nullptr, &error));
  EXPECT_NE(error.find("not an effect"), std::string::npos);
}

}  // namespace
