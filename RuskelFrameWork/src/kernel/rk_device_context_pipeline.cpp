// The device context's root signature, the eight pipeline states built from the
// shader pack, and the pipeline stack that drawing code pushes and pops.
#include <cstring>
#include <string>
#include <thread>

#include "fs/rk_file_manager.h"
#include "rk_device_context_internal.h"
#include "kernel/rk_error_log.h"
#include "res/rk_resource.h"

namespace rk {

namespace gpu = host::gpu;
using device_context_detail::check;
using device_context_detail::kSource;

namespace {

const gpu::InputElementDesc kPositionColour[] = {
    {"POSITION", 0, gpu::DXGI_FORMAT_R32G32B32_FLOAT},
    {"COLOR", 0, gpu::DXGI_FORMAT_R32G32B32A32_FLOAT},
};
const gpu::InputElementDesc kPositionColourUv[] = {
    {"POSITION", 0, gpu::DXGI_FORMAT_R32G32B32_FLOAT},
    {"COLOR", 0, gpu::DXGI_FORMAT_R32G32B32A32_FLOAT},
    {"TEXCOORD", 0, gpu::DXGI_FORMAT_R32G32_FLOAT},
};
const gpu::InputElementDesc kModelVertex[] = {
    {"POSITION", 0, gpu::DXGI_FORMAT_R32G32B32_FLOAT},
    {"NORMAL", 0, gpu::DXGI_FORMAT_R32G32B32_FLOAT},
    {"TEXCOORD", 0, gpu::DXGI_FORMAT_R32G32_FLOAT},
    {"TANGENT", 0, gpu::DXGI_FORMAT_R32G32B32_FLOAT},
};

constexpr const char* kEasyPolyVs = "shaders/rk_easy_poly_vs.cso";
constexpr const char* kEasyPolyPs = "shaders/rk_easy_poly_ps.cso";
constexpr const char* kColorUvVs = "shaders/rk_poly_color_uv_vs.cso";
constexpr const char* kColorUvPs = "shaders/rk_poly_color_uv_ps.cso";
constexpr const char* kModelVs = "shaders/rk_model_draw_vs.cso";
constexpr const char* kModelPs = "shaders/rk_model_draw_ps.cso";

// What differs between the eight kinds; everything else is common to all.
struct PipelineRow {
  const char* name;
  const char* vertex_shader;
  const char* pixel_shader;
  const gpu::InputElementDesc* layout;
  std::uint32_t layout_count;
  gpu::PrimitiveTopologyType topology;
  gpu::CullMode cull;
  bool depth;
  gpu::DepthWriteMask depth_write;
  gpu::ComparisonFunc depth_func;
  bool stencil;
  gpu::ComparisonFunc stencil_func;
  gpu::StencilOp stencil_pass;
  gpu::StencilOp stencil_fail;  // also on depth failure
  std::uint8_t stencil_write_mask;
};

constexpr auto kTriangle = gpu::D3D12_PRIMITIVE_TOPOLOGY_TYPE_TRIANGLE;
constexpr auto kNoCull = gpu::D3D12_CULL_MODE_NONE;
constexpr auto kWriteAll = gpu::D3D12_DEPTH_WRITE_MASK_ALL;
constexpr auto kWriteNone = gpu::D3D12_DEPTH_WRITE_MASK_ZERO;
constexpr auto kKeep = gpu::D3D12_STENCIL_OP_KEEP;

const PipelineRow kPipelines[PIPELINE_KIND_COUNT] = {
    {"PIPELINE_DEFAULT2D_TRIANGLE", kEasyPolyVs, kEasyPolyPs, kPositionColour, 2, kTriangle, kNoCull, false, kWriteAll,
     gpu::D3D12_COMPARISON_FUNC_LESS, false, gpu::D3D12_COMPARISON_FUNC_ALWAYS, kKeep, kKeep, 0xFF},
    {"PIPELINE_DEFAULT2D_LINE", kEasyPolyVs, kEasyPolyPs, kPositionColour, 2, gpu::D3D12_PRIMITIVE_TOPOLOGY_TYPE_LINE,
     kNoCull, false, kWriteAll, gpu::D3D12_COMPARISON_FUNC_LESS, false, gpu::D3D12_COMPARISON_FUNC_ALWAYS, kKeep, kKeep,
     0xFF},
    {"PIPELINE_TRIANGLE_COLOR_UV", kColorUvVs, kColorUvPs, kPositionColourUv, 3, kTriangle, kNoCull, false, kWriteAll,
     gpu::D3D12_COMPARISON_FUNC_LESS, false, gpu::D3D12_COMPARISON_FUNC_ALWAYS, kKeep, kKeep, 0xFF},
    {"PIPELINE_MODEL_DRAW", kModelVs, kModelPs, kModelVertex, 4, kTriangle, gpu::D3D12_CULL_MODE_FRONT, true, kWriteAll,
     gpu::D3D12_COMPARISON_FUNC_LESS_EQUAL, false, gpu::D3D12_COMPARISON_FUNC_ALWAYS, kKeep, kKeep, 0xFF},
    // Planar shadows: each pixel once, where the stencil still equals the reference.
    {"PIPELINE_MODEL_SHADOW", kModelVs, kModelPs, kModelVertex, 4, kTriangle, gpu::D3D12_CULL_MODE_FRONT, true,
     kWriteNone, gpu::D3D12_COMPARISON_FUNC_LESS_EQUAL, true, gpu::D3D12_COMPARISON_FUNC_EQUAL,
     gpu::D3D12_STENCIL_OP_INCR, kKeep, 0xFF},
    // Writes the reference into the stencil where the shape covers, drawing nothing.
    {"PIPELINE_STENCIL_CLIP", kEasyPolyVs, kEasyPolyPs, kPositionColour, 2, kTriangle, kNoCull, false, kWriteNone,
     gpu::D3D12_COMPARISON_FUNC_NEVER, true, gpu::D3D12_COMPARISON_FUNC_ALWAYS, gpu::D3D12_STENCIL_OP_REPLACE,
     gpu::D3D12_STENCIL_OP_REPLACE, 0xFF},
    // Draws where the stencil differs from the reference, leaving it as it is.
    {"PIPELINE_STENCIL_MASK", kEasyPolyVs, kEasyPolyPs, kPositionColour, 2, kTriangle, kNoCull, true, kWriteNone,
     gpu::D3D12_COMPARISON_FUNC_LESS_EQUAL, true, gpu::D3D12_COMPARISON_FUNC_NOT_EQUAL, kKeep, kKeep, 0x00},
    {"PIPELINE_STENCIL_VCUV_MASK", kColorUvVs, kColorUvPs, kPositionColourUv, 3, kTriangle, kNoCull, true, kWriteNone,
     gpu::D3D12_COMPARISON_FUNC_LESS_EQUAL, true, gpu::D3D12_COMPARISON_FUNC_NOT_EQUAL, kKeep, kKeep, 0x00},
};

bool validKind(int kind) { return kind >= 0 && kind < PIPELINE_KIND_COUNT; }

gpu::GraphicsPipelineStateDesc describe(const PipelineRow& row) {
  gpu::GraphicsPipelineStateDesc d;
  gpu::RenderTargetBlendDesc& blend = d.blendState.renderTarget[0];
  blend.blendEnable = true;
  blend.srcBlend = gpu::D3D12_BLEND_SRC_ALPHA;
  blend.destBlend = gpu::D3D12_BLEND_INV_SRC_ALPHA;
  blend.blendOp = gpu::D3D12_BLEND_OP_ADD;
  blend.srcBlendAlpha = gpu::D3D12_BLEND_ONE;
  blend.destBlendAlpha = gpu::D3D12_BLEND_ZERO;
  blend.blendOpAlpha = gpu::D3D12_BLEND_OP_ADD;
  blend.logicOp = gpu::D3D12_LOGIC_OP_NOOP;
  blend.renderTargetWriteMask = gpu::D3D12_COLOR_WRITE_ENABLE_ALL;
  d.sampleMask = 0xFFFFFFFFu;

  gpu::RasterizerDesc& raster = d.rasterizerState;
  raster.fillMode = gpu::D3D12_FILL_MODE_SOLID;
  raster.cullMode = row.cull;
  raster.frontCounterClockwise = false;
  raster.depthClipEnable = false;

  gpu::DepthStencilDesc& ds = d.depthStencilState;
  ds.depthEnable = row.depth;
  ds.depthWriteMask = row.depth_write;
  ds.depthFunc = row.depth_func;
  ds.stencilEnable = row.stencil;
  ds.stencilReadMask = 0xFF;
  ds.stencilWriteMask = row.stencil_write_mask;
  ds.frontFace = {row.stencil_fail, row.stencil_fail, row.stencil_pass, row.stencil_func};
  ds.backFace = ds.frontFace;

  d.inputLayout = {row.layout, row.layout_count};
  d.ibStripCutValue = gpu::D3D12_INDEX_BUFFER_STRIP_CUT_VALUE_DISABLED;
  d.primitiveTopologyType = row.topology;
  d.dsvFormat = gpu::DXGI_FORMAT_D24_UNORM_S8_UINT;
  d.sampleDesc = {1, 0};
  d.nodeMask = 0;
  return d;
}

gpu::ShaderBytecode bytecode(const gpu::Ref<gpu::Blob>& blob) {
  if (!blob) return {};
  return {blob->getBufferPointer(), blob->getBufferSize()};
}

}  // namespace

const char* pipelineKindName(int kind) { return validKind(kind) ? kPipelines[kind].name : nullptr; }

gpu::PipelineState* DeviceContext::pipelineState(int kind) const {
  return validKind(kind) ? pipeline_states_[kind].pipeline_state.get() : nullptr;
}

void DeviceContext::createRootSignature() {
  gpu::RootParameter parameters[7];
  for (std::uint32_t i = 0; i < 6; ++i) {
    parameters[i].parameterType = gpu::D3D12_ROOT_PARAMETER_TYPE_CBV;
    parameters[i].descriptor = {i, 0};
    parameters[i].shaderVisibility = gpu::D3D12_SHADER_VISIBILITY_ALL;
  }
  gpu::DescriptorRange texture;
  texture.rangeType = gpu::D3D12_DESCRIPTOR_RANGE_TYPE_SRV;
  texture.numDescriptors = 1;
  texture.baseShaderRegister = 0;
  texture.registerSpace = 0;
  texture.offsetInDescriptorsFromTableStart = gpu::D3D12_DESCRIPTOR_RANGE_OFFSET_APPEND;
  parameters[6].parameterType = gpu::D3D12_ROOT_PARAMETER_TYPE_DESCRIPTOR_TABLE;
  parameters[6].descriptorTable = {1, &texture};
  parameters[6].shaderVisibility = gpu::D3D12_SHADER_VISIBILITY_PIXEL;

  gpu::StaticSamplerDesc sampler;
  sampler.filter = gpu::D3D12_FILTER_MIN_MAG_MIP_LINEAR;
  sampler.addressU = gpu::D3D12_TEXTURE_ADDRESS_MODE_MIRROR;
  sampler.addressV = gpu::D3D12_TEXTURE_ADDRESS_MODE_MIRROR;
  sampler.addressW = gpu::D3D12_TEXTURE_ADDRESS_MODE_WRAP;
  sampler.mipLodBias = 0.0f;
  sampler.maxAnisotropy = 16;
  sampler.comparisonFunc = gpu::D3D12_COMPARISON_FUNC_NEVER;
  sampler.borderColor = gpu::D3D12_STATIC_BORDER_COLOR_TRANSPARENT_BLACK;
  sampler.minLod = -gpu::D3D12_FLOAT32_MAX;
  sampler.maxLod = gpu::D3D12_FLOAT32_MAX;
  sampler.shaderRegister = 0;
  sampler.registerSpace = 0;
  sampler.shaderVisibility = gpu::D3D12_SHADER_VISIBILITY_PIXEL;

  const gpu::RootSignatureFlags flags = gpu::D3D12_ROOT_SIGNATURE_FLAG_ALLOW_INPUT_ASSEMBLER_INPUT_LAYOUT |
                                        gpu::D3D12_ROOT_SIGNATURE_FLAG_DENY_HULL_SHADER_ROOT_ACCESS |
                                        gpu::D3D12_ROOT_SIGNATURE_FLAG_DENY_DOMAIN_SHADER_ROOT_ACCESS |
                                        gpu::D3D12_ROOT_SIGNATURE_FLAG_DENY_GEOMETRY_SHADER_ROOT_ACCESS;
  const gpu::RootSignatureDesc desc{7, parameters, 1, &sampler, flags};
  gpu::Ref<gpu::Blob> blob, error;
  const host::HResult hr = gpu::serializeRootSignature(desc, gpu::D3D_ROOT_SIGNATURE_VERSION_1, &blob, &error);
  if (host::failed(hr)) {
    std::string text;
    if (error) text.assign(static_cast<const char*>(error->getBufferPointer()), error->getBufferSize());
    host::ui::messageBox(window_, text, "エラー", host::ui::MB_ICONERROR);
    check(hr, 2450, L"エラー");
  }
  check(device_->createRootSignature(0, blob->getBufferPointer(), blob->getBufferSize(), &root_signature_), 2456,
        L"device_->CreateRootSignature()");
  root_signature_->setName("root_signature_");
}

void DeviceContext::loadShaderBlob(const char* name, gpu::Ref<gpu::Blob>* blob) {
  if (!name) return;
  fs::FileManager* files = fs::FileManager::getInstance();
  res::ResourcePtr resource = files->loadFile(name, "rb", false, nullptr);
  // A shader the pack lacks is read from the data folder; its bytes are used
  // only once its load has completed.
  while (resource && !resource->isLoaded()) {
    files->notify();
    std::this_thread::sleep_for(std::chrono::microseconds(10));
  }
  const std::uint32_t size = resource ? resource->size() : 0;
  check(gpu::createBlob(size, blob), 2480, L"D3DCreateBlob()");
  if (size) std::memcpy((*blob)->getBufferPointer(), resource->data(), size);
}

void DeviceContext::createPipelineState(int kind, const char* name) {
  const PipelineRow& row = kPipelines[kind];
  PipelineRecord& record = pipeline_states_[kind];
  loadShaderBlob(row.vertex_shader, &record.vertex_shader);
  loadShaderBlob(row.pixel_shader, &record.pixel_shader);

  gpu::GraphicsPipelineStateDesc desc = describe(row);
  desc.rootSignature = root_signature_.get();
  desc.vs = bytecode(record.vertex_shader);
  desc.ps = bytecode(record.pixel_shader);
  desc.ds = bytecode(record.domain_shader);
  desc.hs = bytecode(record.hull_shader);
  desc.gs = bytecode(record.geometry_shader);
  // As many targets of the swap chain's format as it has buffers.
  gpu::SwapChainDesc1 chain;
  swap_chain_->getDesc1(&chain);
  desc.numRenderTargets = chain.bufferCount;
  for (std::uint32_t i = 0; i < chain.bufferCount && i < 8; ++i) desc.rtvFormats[i] = chain.format;
  check(device_->createGraphicsPipelineState(desc, &record.pipeline_state), 2505,
        L"device_->CreateGraphicsPipelineState()");
  record.pipeline_state->setName(name);
}

void DeviceContext::setPipeline(int kind) {
  gpu::GraphicsCommandList* list = getNowCommandList();
  if (!list) return;
  if (!validKind(kind)) {
    debug::writeErrorLog(kSource, 2515, "rk::DeviceContext::setPipeline");
    return;
  }
  list->setPipelineState(pipeline_states_[kind].pipeline_state.get());
  // Without a depth-stencil view the target has neither depth nor stencil test.
  const PipelineRow& row = kPipelines[kind];
  const gpu::CpuDescriptorHandle target = rtv_handle_[current_frame_];
  const gpu::CpuDescriptorHandle depth = depth_stencil_.getDSVHandle();
  list->omSetRenderTargets(1, &target, false, row.depth || row.stencil ? &depth : nullptr);
  list->omSetStencilRef(kind == PIPELINE_STENCIL_CLIP || kind == PIPELINE_STENCIL_MASK ? 1 : 0);
}

void DeviceContext::pushPipeline(int kind) {
  pipeline_stack_.push_back(kind);
  setPipeline(kind);
}

void DeviceContext::popPipeline() {
  if (pipeline_stack_.empty()) return;
  pipeline_stack_.pop_back();
  if (!pipeline_stack_.empty()) setPipeline(pipeline_stack_.back());
}

}  // namespace rk
