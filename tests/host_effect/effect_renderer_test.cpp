// The effect renderer: the quads it records on the trace back end (pipelines,
// textures, corners, the sprite limit, device loss) and what the GL back end
// draws from them, read back.
#include <gtest/gtest.h>

#include "host/effect.h"
#include "host_gpu/gpu_rig.h"

namespace {

using namespace gpurig;
using host::effect::EffectDesc;
using host::effect::EmitterDesc;
using host::effect::Manager;
using host::effect::Renderer;
using host::effect::RendererSetup;

std::shared_ptr<const host::effect::Effect> makeEffect(std::uint32_t burst, std::uint32_t texture, bool additive,
                                                       float size, const float colour[4]) {
  EmitterDesc e;
  e.burst = burst;
  e.texture = texture;
  e.flags = additive ? std::uint32_t(host::effect::kFlagAdditive) : 0u;
  e.life = 60.0f;
  e.sizeStart = e.sizeEnd = size;
  for (int c = 0; c < 4; ++c) e.colourStart[c] = e.colourEnd[c] = colour[c];
  EffectDesc d;
  d.emitters = {e};
  const std::vector<std::uint8_t> bytes = host::effect::writeEffect(d);
  return host::effect::Effect::create(bytes.data(), bytes.size(), nullptr);
}

const float kRedColour[4] = {1, 0, 0, 1};
const float kGreenColour[4] = {0, 1, 0, 1};

class EffectRenderer : public ::testing::Test {
 protected:
  bool make(Driver driver) {
    if (!rig.make(driver)) return false;
    base = rig.pipeline("rk_poly_color_uv_vs.cso", "rk_poly_color_uv_ps.cso", kUvLayout, 3);
    setup = {rig.device.get(), rig.queue.get(), base.get(), 8000};
    renderer = Renderer::create(setup);
    EXPECT_TRUE(renderer);
    return renderer != nullptr;
  }
  void TearDown() override { resetAdapterList(); }

  // One camera pass: identity view and projection (clip space is world space).
  void drawFrame() {
    const float identity[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    renderer->setCameraMatrix(identity);
    renderer->setProjectionMatrix(identity);
    rig.begin(true);
    rig.clear(0, 0, 0, 1);
    rig.clearDepth(1.0f, 0);
    renderer->newFrame();
    renderer->beginRendering(rig.list.get());
    renderer->draw(manager);
    renderer->endRendering();
    rig.execute();
  }

  Rig rig;
  Ref<PipelineState> base;
  RendererSetup setup;
  std::unique_ptr<Renderer> renderer;
  Manager manager{16};
};

TEST_F(EffectRenderer, EachEmitterIsOneDrawOfCameraFacingQuadsWithItsBlendAndTexture) {
  ASSERT_TRUE(make(Driver::Trace));
  // The camera looks along -x: its right axis is world +z, its up world +y.
  const float view[4][4] = {{0, 0, -1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, 1}};
  manager.play(makeEffect(3, host::effect::kTextureDisc, true, 1.0f, kGreenColour), 0, 0, 0);
  manager.play(makeEffect(2, host::effect::kTextureRing, false, 2.0f, kRedColour), 5, 0, 0);
  manager.update(1.0f);
  rig.device->trace()->clear();
  renderer->setCameraMatrix(view);
  rig.begin(true);
  renderer->newFrame();
  renderer->beginRendering(rig.list.get());
  renderer->draw(manager);
  renderer->endRendering();
  rig.execute();

  const Trace& trace = *rig.device->trace();
  EXPECT_TRUE(trace.errors.empty()) << trace.errors.front();
  ASSERT_EQ(trace.draws.size(), 2u);
  const TraceDraw& additive = trace.draws[0];
  EXPECT_EQ(additive.pipelineState, renderer->pipeline(true));
  EXPECT_EQ(additive.count, 18u);
  EXPECT_EQ(additive.textureName, "effect sprite 1");
  EXPECT_EQ(additive.topology, D3D_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
  EXPECT_TRUE(additive.depthTest);
  const TraceDraw& alpha = trace.draws[1];
  EXPECT_EQ(alpha.pipelineState, renderer->pipeline(false));
  EXPECT_EQ(alpha.count, 12u);
  EXPECT_EQ(alpha.textureName, "effect sprite 2");
  // First corner: top-left, half the size left along the camera's right (+z) and up.
  EXPECT_EQ(alpha.vertexFloats(0, 0, 3), (std::vector<float>{5.0f, 1.0f, -1.0f}));
  EXPECT_EQ(alpha.vertexFloats(0, 12, 4), (std::vector<float>{1, 0, 0, 1}));
  EXPECT_EQ(alpha.vertexFloats(5, 28, 2), (std::vector<float>{1, 1}));
  // The blend states: additive adds, alpha blends over.
  EXPECT_EQ(renderer->pipeline(true)->desc().blendState.renderTarget[0].destBlend, D3D12_BLEND_ONE);
  EXPECT_EQ(renderer->pipeline(false)->desc().blendState.renderTarget[0].destBlend, D3D12_BLEND_INV_SRC_ALPHA);
  EXPECT_EQ(renderer->pipeline(false)->desc().depthStencilState.depthWriteMask, D3D12_DEPTH_WRITE_MASK_ZERO);
  EXPECT_EQ(renderer->pipeline(false)->vertexShader(), base->vertexShader());
}

TEST_F(EffectRenderer, TheSpriteLimitCapsAFrameAndALostDeviceDrawsNothingUntilReset) {
  ASSERT_TRUE(make(Driver::Trace));
  setup.squareMaxCount = 4;
  ASSERT_EQ(renderer->onResetDevice(setup), host::S_OK);
  manager.play(makeEffect(3, host::effect::kTextureSolid, false, 1.0f, kRedColour), 0, 0, 0);
  manager.play(makeEffect(3, host::effect::kTextureSolid, false, 1.0f, kRedColour), 0, 0, 0);
  manager.update(1.0f);
  rig.device->trace()->clear();
  drawFrame();
  EXPECT_EQ(renderer->lastSpriteCount(), 4u);
  ASSERT_EQ(rig.device->trace()->draws.size(), 2u);
  EXPECT_EQ(rig.device->trace()->draws[1].count, 6u);

  renderer->onLostDevice();
  EXPECT_FALSE(renderer->isReady());
  rig.device->trace()->clear();
  drawFrame();
  EXPECT_TRUE(rig.device->trace()->draws.empty());
  ASSERT_EQ(renderer->onResetDevice(setup), host::S_OK);
  drawFrame();
  EXPECT_EQ(rig.device->trace()->draws.size(), 2u);

  // Many frames reuse the ring's buffers instead of growing it.
  for (int i = 0; i < 10; ++i) drawFrame();
  EXPECT_TRUE(rig.device->trace()->errors.empty());

  RendererSetup missing = setup;
  missing.pipeline = nullptr;
  host::HResult hr = host::S_OK;
  EXPECT_FALSE(Renderer::create(missing, &hr));
  EXPECT_EQ(hr, host::E_INVALIDARG);
}

TEST_F(EffectRenderer, TheGlBackEndShowsThePlayedParticles) {
  if (!make(Driver::OpenGL)) GTEST_SKIP() << "no OpenGL 3.3 core context can be created here";
  manager.play(makeEffect(1, host::effect::kTextureSolid, false, 0.4f, kRedColour), -0.5f, 0, 0.5f);
  manager.play(makeEffect(1, host::effect::kTextureDisc, true, 0.8f, kGreenColour), 0.5f, 0, 0.5f);
  drawFrame();
  auto pixels = rig.readPixels();
  auto at = [&](int x, int y) { return pixels[y * Rig::kWidth + x]; };
  EXPECT_EQ(at(32, 24), kBlack) << "nothing before the first update";

  manager.update(1.0f);
  drawFrame();
  pixels = rig.readPixels();
  EXPECT_EQ(at(16, 24), kRed);
  EXPECT_EQ(at(48, 24), kGreen) << "the disc's centre, added onto black";
  EXPECT_EQ(at(48 - 12, 24 - 9), kBlack) << "the disc fades out before the quad's corner";
  EXPECT_EQ(at(32, 24), kBlack);
  EXPECT_EQ(at(16, 4), kBlack);
}

}  // namespace
