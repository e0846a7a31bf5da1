// A whole frame on the OpenGL back end: an effect played at the origin in
// front of camera 0 shows in the presented back buffer, read back.
#include <gtest/gtest.h>

#include <cstring>

#include "effect_rig.h"
#include "support/back_buffer.h"

namespace {

namespace gpu = host::gpu;

class EffectGlFrame : public effecttest::EffectRig {
 protected:
  // The back buffer `index`, top row first, one 0xAABBGGRR word per pixel.
  std::vector<std::uint32_t> readBackBuffer(std::uint32_t index) { return rktest::readBackBuffer(*context, index); }
};

TEST_F(EffectGlFrame, AnEffectPlayedBeforeCameraZeroShowsInTheFrame) {
  gpu::resetAdapterList();
  try {
    buildScene();
  } catch (const HrException&) {
    GTEST_SKIP() << "no OpenGL device can be made here";
  }
  if (!context->getDevice() || context->getDevice()->trace()) GTEST_SKIP() << "no OpenGL device";
  rk::gfx::CameraManager::getInstance()->createCamera(0);  // at (0, 0, 10), looking at the origin
  context->setClearColor(rk::gfx::Color(0.0f, 0.0f, 0.0f, 1.0f));

  host::effect::EmitterDesc e;
  e.burst = 1;
  e.texture = host::effect::kTextureSolid;
  e.life = 100.0f;
  e.sizeStart = e.sizeEnd = 3.0f;
  for (float* colour : {e.colourStart, e.colourEnd}) colour[0] = 1, colour[1] = 0, colour[2] = 0, colour[3] = 1;
  host::effect::EffectDesc d;
  d.emitters = {e};
  const std::vector<std::uint8_t> bytes = host::effect::writeEffect(d);
  writeEffectFile("effect/red", std::string(bytes.begin(), bytes.end()));

  rk::effect::EffectUnit* unit = system->createEffectUnit(0, 10, 0, 0, 0, 8);
  ASSERT_TRUE(unit->loadEffect("effect/red"));
  ASSERT_TRUE(waitSetup(unit));
  ASSERT_GE(unit->play("effect/red", rk::math::Vector4{0, 0, 0, 0}, rk::math::Vector4{0, 0, 0, 0},
                       rk::math::Vector4{1, 1, 1, 0}),
            0);
  unit->update(1.0f / 60.0f);

  const unsigned frame = context->currentFrame();
  context->drawFrame();
  const std::vector<std::uint32_t> pixels = readBackBuffer(frame);
  const std::uint32_t red = 0xFF0000FFu, black = 0xFF000000u;
  EXPECT_EQ(pixels[24 * kWidth + 32], red) << std::hex << pixels[24 * kWidth + 32];
  EXPECT_EQ(pixels[2 * kWidth + 2], black) << std::hex << pixels[2 * kWidth + 2];
  EXPECT_TRUE(log.empty()) << log.text();
  release(unit);
}

}  // namespace
