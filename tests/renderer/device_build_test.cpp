// Building the device: adapter choice, feature-level fallback, the failing
// calls of the build, the shader pack's eight pipelines, the root signature,
// and releasing it all again.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "renderer_rig.h"

namespace rendertest {
namespace {

using host::gpu::AdapterList;
using host::gpu::AdapterProfile;
using host::gpu::Driver;
using host::gpu::GpuCall;

AdapterProfile adapter(std::uint32_t luid, int performance,
                       gpu::FeatureLevel maxLevel = gpu::D3D_FEATURE_LEVEL_12_1) {
  AdapterProfile profile = gpu::makeAdapter(u"adapter", Driver::Trace, maxLevel, luid);
  profile.performance = performance;
  return profile;
}

AdapterList listOf(std::vector<AdapterProfile> adapters) {
  AdapterList list;
  list.adapters = std::move(adapters);
  list.defaultAdapter = adapter(0xdef, 0);
  return list;
}

using DeviceBuild = RendererRig;

struct AdapterCase {
  const char* what;
  AdapterList list;
  std::uint32_t deviceLuid;     // the adapter the device runs on
  gpu::FeatureLevel level;      // the level it was made at
  std::uint32_t adapterIndex;
  bool luidLookupReported;      // no adapter chosen: the LUID lookup finds no record
};

TEST_F(DeviceBuild, ChoosesTheFirstCapableAdapterByPreferenceAndTheBestFeatureLevel) {
  const AdapterCase cases[] = {
      {"faster adapter first", listOf({adapter(1, 1), adapter(2, 5)}), 2, gpu::D3D_FEATURE_LEVEL_12_1, 0, false},
      {"faster adapter cannot make a device",
       listOf({adapter(1, 1), adapter(2, 5, gpu::kNoFeatureLevel)}), 1, gpu::D3D_FEATURE_LEVEL_12_1, 1, false},
      {"only 11.1", listOf({adapter(3, 0, gpu::D3D_FEATURE_LEVEL_11_1)}), 3, gpu::D3D_FEATURE_LEVEL_11_1, 0, false},
      {"only 11.0", listOf({adapter(4, 0, gpu::D3D_FEATURE_LEVEL_11_0)}), 4, gpu::D3D_FEATURE_LEVEL_11_0, 0, false},
      {"no adapter can: the default one",
       listOf({adapter(1, 0, gpu::kNoFeatureLevel), adapter(2, 0, gpu::kNoFeatureLevel)}), 0xdef,
       gpu::D3D_FEATURE_LEVEL_12_1, 2, true},
  };
  ASSERT_TRUE(rktest::writeShaderPack(data.file("shaders.pkp")));
  for (const AdapterCase& c : cases) {
    SCOPED_TRACE(c.what);
    log.clear();
    gpu::setAdapterList(c.list);
    context->initDevice();
    ASSERT_NE(context->getDevice(), nullptr);
    EXPECT_EQ(context->getDevice()->getAdapterLuid().lowPart, c.deviceLuid);
    EXPECT_EQ(context->getDevice()->featureLevel(), c.level);
    EXPECT_EQ(context->adapterIndex(), c.adapterIndex);
    EXPECT_EQ(context->adapters().size(), c.list.adapters.size());
    if (!c.luidLookupReported) {
      EXPECT_EQ(context->adapterLuid().lowPart, c.deviceLuid);
    }
    EXPECT_EQ(log.entries("rk::policy::MaxFixVector<struct rk::DeviceContext::DxgiAdapterInfo,16>::operator []"),
              c.luidLookupReported ? 1u : 0u);
    context->shutdownFence();
    context->releaseDevice(false);
  }
}

TEST_F(DeviceBuild, SeventeenAdaptersFillTheListOnceEvenWhenRebuilt) {
  std::vector<AdapterProfile> many;
  for (std::uint32_t i = 0; i < 17; ++i) many.push_back(adapter(i + 1, 0));
  gpu::setAdapterList(listOf(many));
  buildDevice();
  EXPECT_EQ(context->adapters().size(), 16u);
  EXPECT_EQ(log.entries("rk::policy::MaxFixVector<struct rk::DeviceContext::DxgiAdapterInfo,16>::push_back"), 1u);
  // A rebuild lists the adapters afresh instead of appending to the old list.
  context->shutdownFence();
  context->releaseDevice(true);
  context->initDevice();
  EXPECT_EQ(context->adapters().size(), 16u);
  EXPECT_EQ(log.entries("rk::policy::MaxFixVector<struct rk::DeviceContext::DxgiAdapterInfo,16>::push_back"), 2u);
}

struct FailingCall {
  GpuCall call;
  unsigned skip;
  const char* name;  // the failing expression as the exception names it
};

TEST_F(DeviceBuild, EveryFailingCallOfTheBuildThrowsNamingItsExpression) {
  const FailingCall cases[] = {
      {GpuCall::CreateFactory, 0, "CreateDXGIFactory2()"},
      {GpuCall::RegisterAdaptersChangedEvent, 0, "spDxgiFactory7->RegisterAdaptersChangedEvent()"},
      {GpuCall::GetDesc1, 0, "adapter->GetDesc1()"},
      {GpuCall::CreateCommandQueue, 0, "device_->CreateCommandQueue()"},
      {GpuCall::CreateSwapChain, 0, "dxgi_factory_->CreateSwapChainForHwnd()"},
      {GpuCall::CreateCommandAllocator, 0, "device_->CreateCommandAllocator"},
      {GpuCall::CreateCommandAllocator, 1, "device_->CreateCommandAllocator()"},
      {GpuCall::CreateCommandAllocator, 9, "command_allocator_07"},
      {GpuCall::CreateCommandAllocator, 33, "command_allocator_14"},
      {GpuCall::CreateCommandList, 0, "device_->CreateCommandList()"},
      {GpuCall::CreateCommandList, 16, "device_->CreateCommandList()"},
      {GpuCall::CloseCommandList, 0, "command_list_bg_clear_->Close()"},
      {GpuCall::CloseCommandList, 1, "command_list_top_->Close()"},
      {GpuCall::CloseCommandList, 2, "command_list_[cam]->Close()"},
      {GpuCall::CreateDescriptorHeap, 0, "heap_rtv_"},
      {GpuCall::GetBuffer, 1, "swap_chain_->GetBuffer"},
      {GpuCall::CreateFence, 0, "Fence"},
      {GpuCall::SerializeRootSignature, 0, "エラー"},
      {GpuCall::CreateRootSignature, 0, "device_->CreateRootSignature()"},
      {GpuCall::CreateBlob, 0, "D3DCreateBlob()"},
      {GpuCall::CreateGraphicsPipelineState, 7, "device_->CreateGraphicsPipelineState()"},
      {GpuCall::CreateDescriptorHeap, 1, "device->CreateDescriptorHeap()"},
      {GpuCall::CreateCommittedResource, 0, "Depth Buffer"},
      {GpuCall::CreateDescriptorHeap, 2, "desc_heap_.init()"},
      {GpuCall::CreateCommittedResource, 1, "struct rk::driver::directx::directx12::DX12Ambient"},
  };
  ASSERT_TRUE(rktest::writeShaderPack(data.file("shaders.pkp")));
  for (const FailingCall& c : cases) {
    SCOPED_TRACE(c.name);
    gpu::injectCallFailure(c.call, host::E_OUTOFMEMORY, c.skip);
    try {
      context->initDevice();
      ADD_FAILURE() << "built without failing";
    } catch (const HrException& e) {
      EXPECT_EQ(e.code(), host::E_OUTOFMEMORY);
      EXPECT_EQ(nameOf(e), c.name);
    }
    gpu::clearInjectedCallFailures();
    // What the build made before it failed is released, and a frame draws nothing.
    context->shutdownFence();
    context->releaseDevice(false);
    EXPECT_EQ(context->getDevice(), nullptr);
    context->drawFrame();
  }
  // The failed descriptor heap and root signature also showed their boxes.
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption, "エラー");
  EXPECT_EQ(boxes[1].caption, "エラー");
}

TEST_F(DeviceBuild, NoFeatureLevelOnTheDefaultAdapterThrows) {
  AdapterList none;
  none.defaultAdapter = adapter(0xdef, 0, gpu::kNoFeatureLevel);
  gpu::setAdapterList(none);
  ASSERT_TRUE(rktest::writeShaderPack(data.file("shaders.pkp")));
  try {
    context->initDevice();
    FAIL() << "a device was made";
  } catch (const HrException& e) {
    EXPECT_EQ(e.code(), host::DXGI_ERROR_UNSUPPORTED);
    EXPECT_EQ(nameOf(e), "D3D12CreateDevice()");
  }
}

std::string shaderText(const char* file) {
  std::ifstream in(std::string(RK_SOURCE_DIR) + "/data/shaders/" + file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct PipelineCase {
  int kind;
  const char* name;
  const char* vs;
  const char* ps;
  std::uint32_t inputs;
  gpu::PrimitiveTopologyType topology;
  gpu::CullMode cull;
  bool depth;
  gpu::DepthWriteMask depthWrite;
  bool stencil;
  gpu::ComparisonFunc stencilFunc;
  gpu::StencilOp stencilPass;
  std::uint8_t stencilWriteMask;
};

TEST_F(DeviceBuild, TheEightPipelinesComeFromTheShaderPackWithTheirStates) {
  using namespace host::gpu;
  const PipelineCase cases[] = {
      {0, "PIPELINE_DEFAULT2D_TRIANGLE", "rk_easy_poly_vs.cso", "rk_easy_poly_ps.cso", 2,
       D3D12_PRIMITIVE_TOPOLOGY_TYPE_TRIANGLE, D3D12_CULL_MODE_NONE, false, D3D12_DEPTH_WRITE_MASK_ALL, false,
       D3D12_COMPARISON_FUNC_ALWAYS, D3D12_STENCIL_OP_KEEP, 0xFF},
      {1, "PIPELINE_DEFAULT2D_LINE", "rk_easy_poly_vs.cso", "rk_easy_poly_ps.cso", 2,
       D3D12_PRIMITIVE_TOPOLOGY_TYPE_LINE, D3D12_CULL_MODE_NONE, false, D3D12_DEPTH_WRITE_MASK_ALL, false,
       D3D12_COMPARISON_FUNC_ALWAYS, D3D12_STENCIL_OP_KEEP, 0xFF},
      {2, "PIPELINE_TRIANGLE_COLOR_UV", "rk_poly_color_uv_vs.cso", "rk_poly_color_uv_ps.cso", 3,
       D3D12_PRIMITIVE_TOPOLOGY_TYPE_TRIANGLE, D3D12_CULL_MODE_NONE, false, D3D12_DEPTH_WRITE_MASK_ALL, false,
       D3D12_COMPARISON_FUNC_ALWAYS, D3D12_STENCIL_OP_KEEP, 0xFF},
      {3, "PIPELINE_MODEL_DRAW", "rk_model_draw_vs.cso", "rk_model_draw_ps.cso", 4,
       D3D12_PRIMITIVE_TOPOLOGY_TYPE_TRIANGLE, D3D12_CULL_MODE_FRONT, true, D3D12_DEPTH_WRITE_MASK_ALL, false,
       D3D12_COMPARISON_FUNC_ALWAYS, D3D12_STENCIL_OP_KEEP, 0xFF},
      {4, "PIPELINE_MODEL_SHADOW", "rk_model_draw_vs.cso", "rk_model_draw_ps.cso", 4,
       D3D12_PRIMITIVE_TOPOLOGY_TYPE_TRIANGLE, D3D12_CULL_MODE_FRONT, true, D3D12_DEPTH_WRITE_MASK_ZERO, true,
       D3D12_COMPARISON_FUNC_EQUAL, D3D12_STENCIL_OP_INCR, 0xFF},
      {5, "PIPELINE_STENCIL_CLIP", "rk_easy_poly_vs.cso", "rk_easy_poly_ps.cso", 2,
       D3D12_PRIMITIVE_TOPOLOGY_TYPE_TRIANGLE, D3D12_CULL_MODE_NONE, false, D3D12_DEPTH_WRITE_MASK_ZERO, true,
       D3D12_COMPARISON_FUNC_ALWAYS, D3D12_STENCIL_OP_REPLACE, 0xFF},
      {6, "PIPELINE_STENCIL_MASK", "rk_easy_poly_vs.cso", "rk_easy_poly_ps.cso", 2,
       D3D12_PRIMITIVE_TOPOLOGY_TYPE_TRIANGLE, D3D12_CULL_MODE_NONE, true, D3D12_DEPTH_WRITE_MASK_ZERO, true,
       D3D12_COMPARISON_FUNC_NOT_EQUAL, D3D12_STENCIL_OP_KEEP, 0x00},
      {7, "PIPELINE_STENCIL_VCUV_MASK", "rk_poly_color_uv_vs.cso", "rk_poly_color_uv_ps.cso", 3,
       D3D12_PRIMITIVE_TOPOLOGY_TYPE_TRIANGLE, D3D12_CULL_MODE_NONE, true, D3D12_DEPTH_WRITE_MASK_ZERO, true,
       D3D12_COMPARISON_FUNC_NOT_EQUAL, D3D12_STENCIL_OP_KEEP, 0x00},
  };
  buildDevice();
  for (const PipelineCase& c : cases) {
    SCOPED_TRACE(c.name);
    const PipelineState* p = context->pipelineState(c.kind);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->name(), c.name);
    EXPECT_EQ(p->vertexShader(), shaderText(c.vs));
    EXPECT_EQ(p->pixelShader(), shaderText(c.ps));
    EXPECT_EQ(p->rootSignature(), context->rootSignature());
    EXPECT_EQ(p->inputLayout().size(), c.inputs);
    const GraphicsPipelineStateDesc& d = p->desc();
    EXPECT_EQ(d.primitiveTopologyType, c.topology);
    EXPECT_EQ(d.rasterizerState.cullMode, c.cull);
    EXPECT_FALSE(d.rasterizerState.depthClipEnable);
    EXPECT_EQ(d.depthStencilState.depthEnable, c.depth);
    EXPECT_EQ(d.depthStencilState.depthWriteMask, c.depthWrite);
    EXPECT_EQ(d.depthStencilState.stencilEnable, c.stencil);
    EXPECT_EQ(d.depthStencilState.frontFace.stencilFunc, c.stencilFunc);
    EXPECT_EQ(d.depthStencilState.frontFace.stencilPassOp, c.stencilPass);
    EXPECT_EQ(d.depthStencilState.stencilWriteMask, c.stencilWriteMask);
    EXPECT_TRUE(d.blendState.renderTarget[0].blendEnable);
    EXPECT_EQ(d.blendState.renderTarget[0].srcBlend, D3D12_BLEND_SRC_ALPHA);
    EXPECT_EQ(d.blendState.renderTarget[0].destBlend, D3D12_BLEND_INV_SRC_ALPHA);
    EXPECT_EQ(d.dsvFormat, DXGI_FORMAT_D24_UNORM_S8_UINT);
    EXPECT_EQ(d.numRenderTargets, 2u);  // the swap chain's buffer count
    EXPECT_EQ(d.rtvFormats[1], DXGI_FORMAT_R8G8B8A8_UNORM);
  }
  // Six constant buffers b0..b5, a texture table at t0, one mirroring sampler.
  const RootSignature* signature = context->rootSignature();
  ASSERT_EQ(signature->parameters().size(), 7u);
  for (std::uint32_t i = 0; i < 6; ++i) {
    EXPECT_EQ(signature->parameters()[i].type, D3D12_ROOT_PARAMETER_TYPE_CBV);
    EXPECT_EQ(signature->parameters()[i].shaderRegister, i);
  }
  EXPECT_EQ(signature->parameters()[6].type, D3D12_ROOT_PARAMETER_TYPE_DESCRIPTOR_TABLE);
  EXPECT_EQ(signature->parameters()[6].visibility, D3D12_SHADER_VISIBILITY_PIXEL);
  EXPECT_EQ(signature->flags(), 0x1Du);
  ASSERT_EQ(signature->staticSamplers().size(), 1u);
  EXPECT_EQ(signature->staticSamplers()[0].addressU, D3D12_TEXTURE_ADDRESS_MODE_MIRROR);
  EXPECT_EQ(signature->staticSamplers()[0].addressW, D3D12_TEXTURE_ADDRESS_MODE_WRAP);
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(DeviceBuild, AShaderMissingFromThePackIsReadFromTheFolderOrEndsTheBuild) {
  rktest::PackSources shaders;
  for (const auto& entry : rktest::shaderSources())
    if (entry.first != "shaders/rk_model_draw_ps.cso") shaders.push_back(entry);

  // Not in the pack and not in the folder: the file manager's failure ends the build.
  try {
    buildDevice(shaders);
    FAIL() << "built without the shader";
  } catch (const HrException& e) {
    EXPECT_NE(std::string(e.what()).find("「shaders/rk_model_draw_ps.cso」が見つかりません。"), std::string::npos)
        << e.what();
  }
  context->shutdownFence();
  context->releaseDevice(false);

  // A loose file of that name in the data folder is loaded and used.
  const std::string loose = "#version 330 core\nout vec4 target;\nvoid main() { target = vec4(1.0); }\n";
  rktest::writeBytes(data.file("shaders/rk_model_draw_ps.cso"), loose);
  buildDevice(shaders);
  EXPECT_EQ(context->pipelineState(rk::PIPELINE_MODEL_DRAW)->pixelShader(), loose);
  EXPECT_EQ(context->pipelineState(rk::PIPELINE_MODEL_SHADOW)->pixelShader(), loose);
}

TEST_F(DeviceBuild, ReleaseGivesEverythingBackAndTheNextBuildStartsAfresh) {
  buildDevice();
  EXPECT_NE(context->defaultAmbientSlot(), nullptr);
  EXPECT_TRUE(context->depthStencil().isCreated());
  EXPECT_EQ(context->depthStencil().desc().width, static_cast<std::uint64_t>(kWidth));
  EXPECT_EQ(context->swapChain()->presentCount(), 0u);
  rk::res::ResourceManager* resources = rk::res::ResourceManager::getInstance();
  const std::size_t withPack = resources->count();
  EXPECT_GT(withPack, 6u);  // the pack and its shader entries

  context->shutdownFence();
  context->releaseDevice(false);
  EXPECT_EQ(context->getDevice(), nullptr);
  EXPECT_EQ(context->swapChain(), nullptr);
  EXPECT_EQ(context->defaultAmbientSlot(), nullptr);
  EXPECT_FALSE(context->depthStencil().isCreated());
  EXPECT_EQ(context->descriptorHeap().heap(), nullptr);
  EXPECT_EQ(resources->count(), 0u);  // the shader pack went with the device
  for (int kind = 0; kind < rk::PIPELINE_KIND_COUNT; ++kind) EXPECT_EQ(context->pipelineState(kind), nullptr);
  context->waitForGpu();  // no fence: returns at once

  context->initDevice();
  EXPECT_NE(context->defaultAmbientSlot(), nullptr);
  EXPECT_EQ(context->descriptorHeap().slotCount(), 2u);  // the two frames' default ambient slots
  EXPECT_TRUE(log.empty()) << log.text();
}

}  // namespace
}  // namespace rendertest
