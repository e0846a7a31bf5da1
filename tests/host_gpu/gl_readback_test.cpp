// The GL back end under llvmpipe: what it draws, read back from the target.
// These tests pin the Direct3D rules the renderer relies on: clears, row-major
// matrices, y downward, depth range and clamping, stencil reference, culling,
// texture row order, and presenting a swap chain buffer.
#include <gtest/gtest.h>

#include <cstdio>

#include "gpu_rig.h"
#include "host/dds.h"
#include "host/gpu/gl/context.h"
#include "host/ui.h"

namespace {

using namespace gpurig;

class GlDraw : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!rig.make(Driver::OpenGL)) GTEST_SKIP() << "no OpenGL 3.3 core context can be created here";
    std::printf("GL context (%s) started in %.1f ms\n", host::gpu::gl::contextKind(),
                host::gpu::gl::contextStartupMs());
  }
  std::uint32_t at(const std::vector<std::uint32_t>& pixels, int x, int y) { return pixels[y * Rig::kWidth + x]; }

  Rig rig;
};

TEST_F(GlDraw, ClearsIgnoreScissorAndWriteMaskButKeepToTheirRectangles) {
  Ref<PipelineState> masked = rig.colourPipeline([](GraphicsPipelineStateDesc& d) {
    d.blendState.renderTarget[0].renderTargetWriteMask = 0;
  });
  rig.begin(false);
  rig.list->setPipelineState(masked.get());
  rig.setScissor({0, 0, 4, 4});
  rig.clear(1, 0, 0, 1);
  const float green[4] = {0, 1, 0, 1};
  const Rect rect{10, 5, 20, 15};
  rig.list->clearRenderTargetView(rig.rtv(), green, 1, &rect);
  rig.execute();
  const auto pixels = rig.readPixels();
  EXPECT_EQ(at(pixels, 0, 0), kRed);
  EXPECT_EQ(at(pixels, 63, 47), kRed);
  EXPECT_EQ(at(pixels, 10, 5), kGreen);
  EXPECT_EQ(at(pixels, 19, 14), kGreen);
  EXPECT_EQ(at(pixels, 20, 14), kRed);
  EXPECT_EQ(at(pixels, 15, 15), kRed);
}

TEST_F(GlDraw, RowMajorMatricesMoveGeometryInPixelsWithYDownward) {
  Ref<PipelineState> colour = rig.colourPipeline();
  rig.begin(false);
  rig.clear(0, 0, 0, 1);
  rig.list->setPipelineState(colour.get());
  // The background list's projection: one unit per pixel, origin top-left.
  rig.list->setGraphicsRootConstantBufferView(1, rig.constants(orthoOffCenter(0, Rig::kWidth, Rig::kHeight, 0, 0.01f, 1)));
  rig.list->setGraphicsRootConstantBufferView(0, rig.constants(translation(30, 4, 0)));
  rig.drawVertices(quad(0, 0, 10, 8, 0.5f, 0, 1, 0), D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
  rig.execute();
  const auto pixels = rig.readPixels();
  EXPECT_EQ(at(pixels, 30, 4), kGreen);
  EXPECT_EQ(at(pixels, 39, 11), kGreen);
  EXPECT_EQ(at(pixels, 40, 11), kBlack);
  EXPECT_EQ(at(pixels, 30, 12), kBlack);
  EXPECT_EQ(at(pixels, 5, 4), kBlack) << "the translation in the fourth row was not applied";
  EXPECT_EQ(at(pixels, 35, Rig::kHeight - 1 - 7), kBlack) << "y points up";
}

TEST_F(GlDraw, DepthFollowsTheViewportRangeAndClampsWhenClipIsOff) {
  auto depthLess = [](bool clip) {
    return [clip](GraphicsPipelineStateDesc& d) {
      d.depthStencilState.depthEnable = true;
      d.depthStencilState.depthFunc = D3D12_COMPARISON_FUNC_LESS;
      d.rasterizerState.depthClipEnable = clip;
    };
  };
  Ref<PipelineState> clamped = rig.colourPipeline(depthLess(false));
  Ref<PipelineState> clipped = rig.colourPipeline(depthLess(true));
  rig.begin(true);
  rig.clear(0, 0, 0, 1);
  rig.clearDepth(1.0f, 0);
  rig.list->setPipelineState(clamped.get());
  rig.drawVertices(quad(-1, -1, 1, 1, 0.6f, 0, 1, 0), D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
  // Left: z 0.8 through a viewport of depth 0..0.5 lands at 0.4, in front of 0.6.
  rig.setViewport({0, 0, float(Rig::kWidth), float(Rig::kHeight), 0, 0.5f});
  rig.drawVertices(quad(-1, -1, -0.4f, 1, 0.8f, 1, 0, 0), D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
  rig.setViewport({0, 0, float(Rig::kWidth), float(Rig::kHeight), 0, 1});
  // Middle: z -0.5 is clamped to 0 and passes.
  rig.drawVertices(quad(-0.3f, -1, 0.3f, 1, -0.5f, 0, 0, 1), D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
  // Right: the same depth is clipped away when depth clip is on; with GL's
  // -1..1 clip space it would have been drawn.
  rig.list->setPipelineState(clipped.get());
  rig.drawVertices(quad(0.4f, -1, 1, 1, -0.5f, 1, 1, 1), D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
  rig.execute();
  const auto pixels = rig.readPixels();
  EXPECT_EQ(at(pixels, 5, 24), kRed);
  EXPECT_EQ(at(pixels, 32, 24), kBlue);
  EXPECT_EQ(at(pixels, 58, 24), kGreen);
}

TEST_F(GlDraw, ScissorAndViewportAreMeasuredFromTheTop) {
  Ref<PipelineState> colour = rig.colourPipeline();
  rig.begin(false);
  rig.clear(0, 0, 0, 1);
  rig.list->setPipelineState(colour.get());
  rig.setScissor({0, 0, 32, 12});
  rig.drawVertices(quad(-1, -1, 1, 1, 0.5f, 1, 0, 0), D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
  rig.setScissor({0, 0, 64, 48});
  rig.setViewport({0, 24, 64, 24, 0, 1});
  rig.drawVertices(quad(-1, -1, 1, 1, 0.5f, 0, 1, 0), D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
  // Positive y in clip space is the top of the viewport.
  rig.setViewport({0, 0, 64, 48, 0, 1});
  rig.drawVertices(quad(0.5f, 0.5f, 1, 1, 0.5f, 0, 0, 1), D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
  rig.execute();
  const auto pixels = rig.readPixels();
  EXPECT_EQ(at(pixels, 5, 2), kRed);
  EXPECT_EQ(at(pixels, 40, 2), kBlack);
  EXPECT_EQ(at(pixels, 5, 15), kBlack);
  EXPECT_EQ(at(pixels, 5, 30), kGreen);
  EXPECT_EQ(at(pixels, 60, 3), kBlue);
  EXPECT_EQ(at(pixels, 60, 20), kBlack);
}

TEST_F(GlDraw, StencilReferenceSelectsInsideOrOutsideAClipShape) {
  // The stencil clip and mask pipelines of the renderer.
  Ref<PipelineState> clip = rig.colourPipeline([](GraphicsPipelineStateDesc& d) {
    d.blendState.renderTarget[0].renderTargetWriteMask = 0;
    d.depthStencilState.depthEnable = false;
    d.depthStencilState.depthWriteMask = D3D12_DEPTH_WRITE_MASK_ZERO;
    d.depthStencilState.depthFunc = D3D12_COMPARISON_FUNC_NEVER;
    d.depthStencilState.stencilEnable = true;
    d.depthStencilState.frontFace = d.depthStencilState.backFace = {
        D3D12_STENCIL_OP_REPLACE, D3D12_STENCIL_OP_REPLACE, D3D12_STENCIL_OP_REPLACE, D3D12_COMPARISON_FUNC_ALWAYS};
  });
  Ref<PipelineState> mask = rig.colourPipeline([](GraphicsPipelineStateDesc& d) {
    d.depthStencilState.depthEnable = true;
    d.depthStencilState.depthWriteMask = D3D12_DEPTH_WRITE_MASK_ZERO;
    d.depthStencilState.depthFunc = D3D12_COMPARISON_FUNC_LESS_EQUAL;
    d.depthStencilState.stencilEnable = true;
    d.depthStencilState.stencilWriteMask = 0;
    d.depthStencilState.frontFace = d.depthStencilState.backFace = {
        D3D12_STENCIL_OP_KEEP, D3D12_STENCIL_OP_KEEP, D3D12_STENCIL_OP_KEEP, D3D12_COMPARISON_FUNC_NOT_EQUAL};
  });
  rig.begin(true);
  rig.clear(0, 0, 0, 1);
  rig.clearDepth(1.0f, 0);
  rig.list->setPipelineState(clip.get());
  rig.list->omSetStencilRef(1);
  rig.drawVertices(quad(-0.5f, -0.5f, 0.5f, 0.5f, 0.5f, 1, 1, 1), D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
  rig.list->setPipelineState(mask.get());
  rig.drawVertices(quad(-1, -1, 1, 1, 0.5f, 1, 0, 0), D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);  // not 1: outside
  rig.list->omSetStencilRef(0);
  rig.drawVertices(quad(-1, -1, 1, 1, 0.5f, 0, 1, 0), D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);  // not 0: inside
  rig.execute();
  auto pixels = rig.readPixels();
  EXPECT_EQ(at(pixels, 2, 2), kRed);
  EXPECT_EQ(at(pixels, 32, 24), kGreen);

  // Without a depth-stencil view the same pipeline tests nothing.
  rig.begin(false);
  rig.list->setPipelineState(mask.get());
  rig.list->omSetStencilRef(0);
  rig.drawVertices(quad(-1, -1, 1, 1, 0.5f, 0, 0, 1), D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
  rig.execute();
  pixels = rig.readPixels();
  EXPECT_EQ(at(pixels, 2, 2), kBlue);
  EXPECT_EQ(at(pixels, 32, 24), kBlue);
}

TEST_F(GlDraw, ModelPipelineCullsClockwiseFacesAndLightsWithTheAmbientColour) {
  struct ModelVertex {
    float x, y, z, nx, ny, nz, u, v, tx, ty, tz;
  };
  Ref<PipelineState> model = rig.pipeline("rk_model_draw_vs.cso", "rk_model_draw_ps.cso", kModelLayout, 4,
                                          [](GraphicsPipelineStateDesc& d) {
                                            d.rasterizerState.cullMode = D3D12_CULL_MODE_FRONT;
                                            d.depthStencilState.depthEnable = true;
                                            d.depthStencilState.depthFunc = D3D12_COMPARISON_FUNC_LESS_EQUAL;
                                          });
  const float material[12] = {1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0};
  const float ambient[4] = {0.5f, 0.5f, 0.5f, 1};
  const std::vector<std::uint8_t> zeros(1024, 0);
  rig.begin(true);
  rig.clear(0, 0, 0, 1);
  rig.clearDepth(1.0f, 0);
  rig.list->setPipelineState(model.get());
  rig.list->setGraphicsRootConstantBufferView(2, rig.upload(material, sizeof(material))->getGPUVirtualAddress());
  rig.list->setGraphicsRootConstantBufferView(3, rig.upload(zeros.data(), zeros.size())->getGPUVirtualAddress());
  rig.list->setGraphicsRootConstantBufferView(4, rig.upload(ambient, sizeof(ambient))->getGPUVirtualAddress());
  rig.list->setGraphicsRootConstantBufferView(5, rig.upload(zeros.data(), zeros.size())->getGPUVirtualAddress());
  // Left triangle clockwise on screen (a front face: culled), right one counter-clockwise.
  rig.drawVertices(std::vector<ModelVertex>{{-1, 1, 0.5f, 0, 0, -1},
                                            {-0.2f, -1, 0.5f, 0, 0, -1},
                                            {-1, -1, 0.5f, 0, 0, -1},
                                            {0.2f, 1, 0.5f, 0, 0, -1},
                                            {0.2f, -1, 0.5f, 0, 0, -1},
                                            {1, -1, 0.5f, 0, 0, -1}},
                   D3D_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
  rig.execute();
  const auto pixels = rig.readPixels();
  EXPECT_EQ(at(pixels, 4, 40), kBlack);
  const std::uint32_t lit = at(pixels, 40, 40);
  EXPECT_NEAR(int(lit & 0xff), 128, 2);
  EXPECT_NEAR(int(lit >> 8 & 0xff), 128, 2);
  EXPECT_EQ(lit >> 24, 255u);
}

// A DDS file of 2x2 BGRA pixels, or of one BC1 block.
std::vector<std::uint8_t> ddsFile(std::uint32_t width, std::uint32_t height, std::uint32_t pfFlags,
                                  std::uint32_t fourCC, const std::vector<std::uint32_t>& masks,
                                  const std::vector<std::uint8_t>& pixels) {
  std::vector<std::uint32_t> h(32, 0);
  h[0] = 0x20534444;
  h[1] = 124;
  h[2] = 0x1007;
  h[3] = height;
  h[4] = width;
  h[19] = 32;
  h[20] = pfFlags;
  h[21] = fourCC;
  for (std::size_t i = 0; i < masks.size(); ++i) h[22 + i] = masks[i];
  h[27] = 0x1000;
  std::vector<std::uint8_t> out(128 + pixels.size());
  std::memcpy(out.data(), h.data(), 128);
  std::copy(pixels.begin(), pixels.end(), out.begin() + 128);
  return out;
}

TEST_F(GlDraw, DdsTexturesSampleWithTheirTopRowAtTheTop) {
  rig.signature = frameworkRootSignature(rig.device.get(), D3D12_FILTER_MIN_MAG_MIP_POINT);
  Ref<PipelineState> textured = rig.pipeline("rk_poly_color_uv_vs.cso", "rk_poly_color_uv_ps.cso", kUvLayout, 3);
  // BGRA bytes: red, green / blue, white.
  const auto bgra = ddsFile(2, 2, 0x41, 0, {32, 0xff0000, 0xff00, 0xff, 0xff000000},
                            {0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 255, 255, 255, 255});
  // One BC1 block whose two end colours are both pure green.
  const auto bc1 = ddsFile(4, 4, 0x4, 0x31545844, {}, {0xe0, 0x07, 0xe0, 0x07, 0, 0, 0, 0});
  host::dds::UploadBatch batch(rig.device.get());
  ASSERT_EQ(batch.begin(), S_OK);
  Ref<Resource> quadrants, block;
  ASSERT_EQ(host::dds::createTextureFromMemory(rig.device.get(), batch, bgra.data(), bgra.size(), &quadrants), S_OK);
  ASSERT_EQ(host::dds::createTextureFromMemory(rig.device.get(), batch, bc1.data(), bc1.size(), &block), S_OK);
  batch.end(rig.queue.get()).wait();
  const std::uint32_t step = rig.device->getDescriptorHandleIncrementSize(D3D12_DESCRIPTOR_HEAP_TYPE_CBV_SRV_UAV);
  rig.device->createShaderResourceView(quadrants.get(), nullptr, rig.srvHeap->getCPUDescriptorHandleForHeapStart());
  rig.device->createShaderResourceView(block.get(), nullptr,
                                       rig.srvHeap->getCPUDescriptorHandleForHeapStart().offset(1, step));

  auto uvQuad = [](float x0, float y0, float x1, float y1) {
    return std::vector<UvVertex>{{x0, y1, 0.5f, 1, 1, 1, 1, 0, 0},
                                 {x1, y1, 0.5f, 1, 1, 1, 1, 1, 0},
                                 {x0, y0, 0.5f, 1, 1, 1, 1, 0, 1},
                                 {x1, y0, 0.5f, 1, 1, 1, 1, 1, 1}};
  };
  rig.begin(false);
  rig.clear(0, 0, 0, 1);
  rig.list->setPipelineState(textured.get());
  rig.list->setGraphicsRootDescriptorTable(6, rig.srvHeap->getGPUDescriptorHandleForHeapStart());
  rig.drawVertices(uvQuad(-1, -1, 0, 1), D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
  rig.list->setGraphicsRootDescriptorTable(6, rig.srvHeap->getGPUDescriptorHandleForHeapStart().offset(1, step));
  rig.drawVertices(uvQuad(0, -1, 1, 1), D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
  rig.execute();
  const auto pixels = rig.readPixels();
  EXPECT_EQ(at(pixels, 8, 8), kRed);
  EXPECT_EQ(at(pixels, 24, 8), kGreen);
  EXPECT_EQ(at(pixels, 8, 40), kBlue);
  EXPECT_EQ(at(pixels, 24, 40), kWhite);
  EXPECT_EQ(at(pixels, 48, 24), kGreen);
}

TEST_F(GlDraw, EveryShaderPairLinksWithItsLayoutAndBrokenSourceFails) {
  EXPECT_TRUE(rig.pipeline("rk_easy_poly_vs.cso", "rk_easy_poly_ps.cso", kColourLayout, 2));
  EXPECT_TRUE(rig.pipeline("rk_poly_color_uv_vs.cso", "rk_poly_color_uv_ps.cso", kUvLayout, 3));
  EXPECT_TRUE(rig.pipeline("rk_model_draw_vs.cso", "rk_model_draw_ps.cso", kModelLayout, 4));
  const std::string broken = "#version 330 core\nvoid main() { undefined_call(); }\n";
  GraphicsPipelineStateDesc d;
  d.rootSignature = rig.signature.get();
  d.vs = {broken.data(), broken.size()};
  Ref<PipelineState> p;
  EXPECT_EQ(rig.device->createGraphicsPipelineState(d, &p), E_INVALIDARG);
  EXPECT_FALSE(p);
}

// A 64 × 48 window and a swap chain on the rig's queue; the rig draws into
// the chain's first buffer.
host::ui::Window* windowWithChain(Rig& rig, Ref<SwapChain>* chain) {
  host::ui::Window* window =
      host::ui::createWindow("GpuTest", "gpu", host::ui::WS_CAPTION, 64, 48, [](host::ui::Window*, unsigned, host::ui::WParam, host::ui::LParam) { return host::ui::LResult{0}; });
  Ref<Factory> factory;
  EXPECT_EQ(createFactory(0, &factory), S_OK);
  if (!factory || factory->createSwapChainForWindow(rig.queue.get(), window, SwapChainDesc1{}, chain) != S_OK) return window;
  Ref<Resource> buffer;
  EXPECT_EQ((*chain)->getBuffer(0, &buffer), S_OK);
  rig.target = buffer;
  rig.device->createRenderTargetView(buffer.get(), nullptr, rig.rtv());
  return window;
}

TEST_F(GlDraw, SwapChainBuffersAreDrawnPresentedAndFlipped) {
  Ref<SwapChain> chain;
  host::ui::Window* window = windowWithChain(rig, &chain);
  ASSERT_TRUE(chain);
  EXPECT_EQ(rig.target->getDesc().width, 64u);
  rig.begin(false);
  rig.clear(0, 0, 1, 1);
  rig.execute();
  EXPECT_EQ(chain->present(1, 0), S_OK);
  EXPECT_EQ(chain->getCurrentBackBufferIndex(), 1u);
  rig.waitIdle();
  EXPECT_EQ(rig.readPixels()[0], kBlue);
  host::ui::destroyWindow(window);
}

// Presenting leaves the context on the window (binding a window's drawable
// again each frame is costly); a window that goes takes the context back to
// the hidden helper window, so drawing goes on.
TEST_F(GlDraw, DrawingGoesOnAfterThePresentedWindowGoes) {
  const Ref<Resource> own = rig.target;
  Ref<SwapChain> chain;
  host::ui::Window* window = windowWithChain(rig, &chain);
  ASSERT_TRUE(chain);
  rig.begin(false);
  rig.clear(0, 0, 1, 1);
  rig.execute();
  ASSERT_EQ(chain->present(1, 0), S_OK);
  rig.waitIdle();
  host::ui::destroyWindow(window);

  rig.target = own;
  rig.device->createRenderTargetView(own.get(), nullptr, rig.rtv());
  rig.begin(false);
  rig.clear(1, 0, 0, 1);
  rig.execute();
  rig.waitIdle();
  EXPECT_EQ(rig.readPixels()[0], kRed);
}

}  // namespace
