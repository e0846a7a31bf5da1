// The effect manager: instances spawn, age and end by themselves; stop, stop
// root, pause, speed, the instance limit and the transform of what they draw.
#include <gtest/gtest.h>

#include <cmath>

#include "host/effect.h"

namespace {

using namespace host::effect;

std::shared_ptr<const Effect> makeEffect(const EffectDesc& desc) {
  const std::vector<std::uint8_t> bytes = writeEffect(desc);
  std::string error;
  auto effect = Effect::create(bytes.data(), bytes.size(), &error);
  EXPECT_TRUE(effect) << error;
  return effect;
}

// Ten particles living exactly 30 frames, standing still.
std::shared_ptr<const Effect> burstEffect(float life = 30.0f) {
  EmitterDesc e;
  e.burst = 10;
  e.life = life;
  e.sizeStart = 1.0f;
  e.sizeEnd = 3.0f;
  e.colourStart[0] = 1.0f;
  e.colourEnd[0] = 0.0f;
  EffectDesc d;
  d.emitters = {e};
  return makeEffect(d);
}

TEST(EffectManager, ABurstSpawnsAgesAndTheInstanceEndsAtItsLifetime) {
  Manager manager(8);
  const Handle h = manager.play(burstEffect(), 0, 0, 0);
  ASSERT_GE(h, 0);
  EXPECT_TRUE(manager.exists(h));
  EXPECT_EQ(manager.particleCount(h), 0) << "nothing spawns before the first update";
  manager.update(1.0f);
  EXPECT_EQ(manager.particleCount(h), 10);
  // Halfway through their lives size and colour are halfway too.
  manager.update(15.0f);
  std::vector<SpriteBatch> batches;
  manager.collectSprites(batches);
  ASSERT_EQ(batches.size(), 1u);
  ASSERT_EQ(batches[0].sprites.size(), 10u);
  EXPECT_NEAR(batches[0].sprites[0].size, 2.0f, 1e-5f);
  EXPECT_NEAR(batches[0].sprites[0].colour[0], 0.5f, 1e-5f);
  manager.update(14.0f);  // age 29
  EXPECT_TRUE(manager.exists(h));
  manager.update(1.0f);  // age 30: every particle has lived its life
  EXPECT_FALSE(manager.exists(h));
  EXPECT_EQ(manager.instanceCount(), 0);
}

TEST(EffectManager, TheRateSpawnsOverItsWindowAfterTheDelay) {
  EmitterDesc e;
  e.rate = 0.5f;
  e.emitFrames = 10.0f;
  e.delayFrames = 4.0f;
  e.life = 100.0f;
  EffectDesc d;
  d.emitters = {e};
  Manager manager(4);
  const Handle h = manager.play(makeEffect(d), 0, 0, 0);
  manager.update(4.0f);
  EXPECT_EQ(manager.particleCount(h), 0);
  manager.update(6.0f);  // frames 4..10 of the window 4..14
  EXPECT_EQ(manager.particleCount(h), 3);
  manager.update(30.0f);
  EXPECT_EQ(manager.particleCount(h), 5) << "the window spawns rate x frames in all";
  EXPECT_TRUE(manager.exists(h));

  // The heaviest file allowed: its live particles stay bounded, whatever the step.
  e.rate = kMaxRate;
  e.emitFrames = kMaxFrames;
  e.delayFrames = 0.0f;
  e.life = kMaxFrames;
  d.emitters = {e};
  const Handle heavy = manager.play(makeEffect(d), 0, 0, 0);
  for (int i = 0; i < 8; ++i) manager.update(1000.0f);
  EXPECT_EQ(manager.particleCount(heavy), int(kMaxParticles));
}

TEST(EffectManager, StopPauseSpeedAndStopRoot) {
  Manager manager(8);
  auto effect = burstEffect();
  const Handle stopped = manager.play(effect, 0, 0, 0), paused = manager.play(effect, 0, 0, 0),
               fast = manager.play(effect, 0, 0, 0);
  manager.update(1.0f);
  manager.stop(stopped);
  EXPECT_FALSE(manager.exists(stopped));
  manager.stop(stopped);  // a stopped handle is simply unknown
  manager.setPaused(paused, true);
  manager.setSpeed(fast, 2.0f);
  manager.update(10.0f);
  EXPECT_FLOAT_EQ(manager.time(paused), 1.0f);
  EXPECT_FLOAT_EQ(manager.time(fast), 21.0f);
  manager.update(5.0f);
  EXPECT_FALSE(manager.exists(fast)) << "twice as fast, it ends after half the frames";
  manager.setPaused(paused, false);
  manager.update(1.0f);
  EXPECT_FLOAT_EQ(manager.time(paused), 2.0f);

  // Stop root: an endless emitter stops spawning; what lives dies out.
  EmitterDesc e;
  e.rate = 1.0f;
  e.emitFrames = kMaxFrames;
  e.life = 5.0f;
  EffectDesc d;
  d.emitters = {e};
  const Handle stream = manager.play(makeEffect(d), 0, 0, 0);
  manager.update(3.0f);
  EXPECT_EQ(manager.particleCount(stream), 3);
  manager.stopRoot(stream);
  manager.update(3.0f);
  EXPECT_TRUE(manager.exists(stream));
  EXPECT_EQ(manager.particleCount(stream), 3) << "no particle spawned after stop root";
  manager.update(5.0f);
  EXPECT_FALSE(manager.exists(stream));
}

TEST(EffectManager, TheInstanceLimitAndUnknownHandles) {
  Manager manager(2);
  auto effect = burstEffect();
  EXPECT_EQ(manager.play(nullptr, 0, 0, 0), kNoHandle);
  const Handle a = manager.play(effect, 0, 0, 0), b = manager.play(effect, 0, 0, 0);
  EXPECT_NE(a, b);
  EXPECT_EQ(manager.play(effect, 0, 0, 0), kNoHandle);
  manager.stop(a);
  EXPECT_GE(manager.play(effect, 0, 0, 0), 0);
  for (Handle unknown : {kNoHandle, 12345}) {
    EXPECT_FALSE(manager.exists(unknown));
    manager.setLocation(unknown, 1, 2, 3);
    manager.setPaused(unknown, true);
    EXPECT_EQ(manager.particleCount(unknown), 0);
  }
  manager.update(std::nanf(""));  // ignored
  manager.update(-1.0f);
  EXPECT_EQ(manager.instanceCount(), 2);
}

TEST(EffectManager, SpritesFollowTheInstanceTransformAndColourAndHiddenOnesDrawNothing) {
  EmitterDesc e;
  e.burst = 1;
  e.life = 100.0f;
  e.velocity[0] = 1.0f;  // one unit along local x per frame
  e.colourEnd[3] = 1.0f;
  EffectDesc d;
  d.emitters = {e};
  Manager manager(4);
  const Handle h = manager.play(makeEffect(d), 10, 0, 0);
  manager.setRotation(h, 0, 0, static_cast<float>(M_PI / 2));  // local x turns to world y
  manager.setScale(h, 2, 2, 2);
  manager.setColour(h, 1, 0.5f, 1, 1);
  manager.update(1.0f);  // born at the origin
  manager.update(1.0f);  // moved one local unit
  std::vector<SpriteBatch> batches;
  manager.collectSprites(batches);
  ASSERT_EQ(batches.size(), 1u);
  const Sprite& s = batches[0].sprites[0];
  EXPECT_NEAR(s.position[0], 10.0f, 1e-4f);
  EXPECT_NEAR(s.position[1], 2.0f, 1e-4f);
  EXPECT_NEAR(s.size, 2.0f, 1e-4f) << "size follows the scale";
  EXPECT_NEAR(s.colour[1], 0.5f, 1e-5f);

  const float m[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, -5}};
  manager.setMatrix(h, m);
  batches.clear();
  manager.collectSprites(batches);
  EXPECT_NEAR(batches[0].sprites[0].position[0], 1.0f, 1e-4f);
  EXPECT_NEAR(batches[0].sprites[0].position[2], -5.0f, 1e-4f);

  manager.setShown(h, false);
  batches.clear();
  manager.collectSprites(batches);
  EXPECT_TRUE(batches.empty());
  manager.update(1.0f);
  EXPECT_FLOAT_EQ(manager.time(h), 3.0f) << "a hidden instance keeps running";
}

}  // namespace
