// The description records handed to the GPU layer, laid out like their
// Direct3D 12 and DXGI counterparts (same fields, same meaning, camelCase names).
#pragma once
#include <cstddef>
#include <cstdint>

#include "host/gpu/enums.h"

namespace host::gpu {

class Resource;
class RootSignature;

using GpuVirtualAddress = std::uint64_t;

// Descriptor handles are plain numbers: heap start + index x increment size.
// CPU handles stay below 2^32 so 32-bit fields can hold them.
struct CpuDescriptorHandle {
  std::size_t ptr = 0;
  CpuDescriptorHandle offset(int index, std::uint32_t increment) const {
    return {ptr + static_cast<std::size_t>(static_cast<std::int64_t>(index) * increment)};
  }
  bool operator==(const CpuDescriptorHandle& o) const { return ptr == o.ptr; }
  bool operator!=(const CpuDescriptorHandle& o) const { return ptr != o.ptr; }
};
struct GpuDescriptorHandle {
  std::uint64_t ptr = 0;
  GpuDescriptorHandle offset(int index, std::uint32_t increment) const {
    return {ptr + static_cast<std::uint64_t>(static_cast<std::int64_t>(index) * increment)};
  }
  bool operator==(const GpuDescriptorHandle& o) const { return ptr == o.ptr; }
  bool operator!=(const GpuDescriptorHandle& o) const { return ptr != o.ptr; }
};

struct Luid {
  std::uint32_t lowPart = 0;
  std::int32_t highPart = 0;
};

struct AdapterDesc1 {
  char16_t description[128] = {};
  std::uint32_t vendorId = 0;
  std::uint32_t deviceId = 0;
  std::uint32_t subSysId = 0;
  std::uint32_t revision = 0;
  std::size_t dedicatedVideoMemory = 0;
  std::size_t dedicatedSystemMemory = 0;
  std::size_t sharedSystemMemory = 0;
  Luid adapterLuid;
  std::uint32_t flags = 0;  // DXGI_ADAPTER_FLAG_SOFTWARE
};

struct SampleDesc {
  std::uint32_t count = 1;
  std::uint32_t quality = 0;
};

struct SwapChainDesc1 {
  std::uint32_t width = 0;   // 0: the window's client width
  std::uint32_t height = 0;  // 0: the window's client height
  Format format = DXGI_FORMAT_R8G8B8A8_UNORM;
  bool stereo = false;
  SampleDesc sampleDesc;
  DxgiUsage bufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
  std::uint32_t bufferCount = 2;
  DxgiScaling scaling = DXGI_SCALING_STRETCH;
  DxgiSwapEffect swapEffect = DXGI_SWAP_EFFECT_FLIP_DISCARD;
  DxgiAlphaMode alphaMode = DXGI_ALPHA_MODE_UNSPECIFIED;
  std::uint32_t flags = 0;
};

struct CommandQueueDesc {
  CommandListType type = D3D12_COMMAND_LIST_TYPE_DIRECT;
  std::int32_t priority = D3D12_COMMAND_QUEUE_PRIORITY_NORMAL;
  CommandQueueFlags flags = D3D12_COMMAND_QUEUE_FLAG_NONE;
  std::uint32_t nodeMask = 0;
};

struct DescriptorHeapDesc {
  DescriptorHeapType type = D3D12_DESCRIPTOR_HEAP_TYPE_CBV_SRV_UAV;
  std::uint32_t numDescriptors = 0;
  DescriptorHeapFlags flags = D3D12_DESCRIPTOR_HEAP_FLAG_NONE;
  std::uint32_t nodeMask = 0;
};

struct HeapProperties {
  HeapType type = D3D12_HEAP_TYPE_DEFAULT;
  std::uint32_t cpuPageProperty = 0;
  std::uint32_t memoryPoolPreference = 0;
  std::uint32_t creationNodeMask = 0;
  std::uint32_t visibleNodeMask = 0;
};

struct ResourceDesc {
  ResourceDimension dimension = D3D12_RESOURCE_DIMENSION_UNKNOWN;
  std::uint64_t alignment = 0;
  std::uint64_t width = 0;
  std::uint32_t height = 1;
  std::uint16_t depthOrArraySize = 1;
  std::uint16_t mipLevels = 1;  // 0 on a texture: the full chain
  Format format = DXGI_FORMAT_UNKNOWN;
  SampleDesc sampleDesc;
  TextureLayout layout = D3D12_TEXTURE_LAYOUT_UNKNOWN;
  ResourceFlags flags = D3D12_RESOURCE_FLAG_NONE;

  static ResourceDesc buffer(std::uint64_t bytes) {
    ResourceDesc d;
    d.dimension = D3D12_RESOURCE_DIMENSION_BUFFER;
    d.width = bytes;
    d.layout = D3D12_TEXTURE_LAYOUT_ROW_MAJOR;
    return d;
  }
  static ResourceDesc texture2D(Format format, std::uint64_t width, std::uint32_t height, std::uint16_t mips = 1,
                                ResourceFlags flags = D3D12_RESOURCE_FLAG_NONE) {
    ResourceDesc d;
    d.dimension = D3D12_RESOURCE_DIMENSION_TEXTURE2D;
    d.width = width;
    d.height = height;
    d.mipLevels = mips;
    d.format = format;
    d.flags = flags;
    return d;
  }
};

struct ClearValue {
  Format format = DXGI_FORMAT_UNKNOWN;
  float color[4] = {0, 0, 0, 0};
  float depth = 1.0f;
  std::uint8_t stencil = 0;
};

struct Range {
  std::size_t begin = 0;
  std::size_t end = 0;
};

struct RenderTargetViewDesc {
  Format format = DXGI_FORMAT_UNKNOWN;  // UNKNOWN: the resource's format
  RtvDimension viewDimension = D3D12_RTV_DIMENSION_TEXTURE2D;
  std::uint32_t mipSlice = 0;
  std::uint32_t planeSlice = 0;
};
struct DepthStencilViewDesc {
  Format format = DXGI_FORMAT_UNKNOWN;
  DsvDimension viewDimension = D3D12_DSV_DIMENSION_TEXTURE2D;
  DsvFlags flags = D3D12_DSV_FLAG_NONE;
  std::uint32_t mipSlice = 0;
};
struct ShaderResourceViewDesc {
  Format format = DXGI_FORMAT_UNKNOWN;
  SrvDimension viewDimension = D3D12_SRV_DIMENSION_TEXTURE2D;
  std::uint32_t shader4ComponentMapping = D3D12_DEFAULT_SHADER_4_COMPONENT_MAPPING;
  std::uint32_t mostDetailedMip = 0;
  std::uint32_t mipLevels = 0xffffffff;  // all from mostDetailedMip down
  std::uint32_t planeSlice = 0;
  float resourceMinLodClamp = 0.0f;
};
struct ConstantBufferViewDesc {
  GpuVirtualAddress bufferLocation = 0;
  std::uint32_t sizeInBytes = 0;
};

struct VertexBufferView {
  GpuVirtualAddress bufferLocation = 0;
  std::uint32_t sizeInBytes = 0;
  std::uint32_t strideInBytes = 0;
};
struct IndexBufferView {
  GpuVirtualAddress bufferLocation = 0;
  std::uint32_t sizeInBytes = 0;
  Format format = DXGI_FORMAT_R32_UINT;  // R16_UINT or R32_UINT
};

struct Viewport {
  float topLeftX = 0, topLeftY = 0, width = 0, height = 0, minDepth = 0, maxDepth = 1;
};
struct Rect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};
struct Box {
  std::uint32_t left = 0, top = 0, front = 0, right = 0, bottom = 0, back = 1;
};

struct ResourceTransitionBarrier {
  Resource* resource = nullptr;
  std::uint32_t subresource = D3D12_RESOURCE_BARRIER_ALL_SUBRESOURCES;
  ResourceStates stateBefore = D3D12_RESOURCE_STATE_COMMON;
  ResourceStates stateAfter = D3D12_RESOURCE_STATE_COMMON;
};
struct ResourceBarrier {
  ResourceBarrierType type = D3D12_RESOURCE_BARRIER_TYPE_TRANSITION;
  ResourceBarrierFlags flags = D3D12_RESOURCE_BARRIER_FLAG_NONE;
  ResourceTransitionBarrier transition;

  static ResourceBarrier makeTransition(Resource* resource, ResourceStates before, ResourceStates after,
                                        std::uint32_t subresource = D3D12_RESOURCE_BARRIER_ALL_SUBRESOURCES) {
    ResourceBarrier b;
    b.transition = {resource, subresource, before, after};
    return b;
  }
};

struct SubresourceFootprint {
  Format format = DXGI_FORMAT_UNKNOWN;
  std::uint32_t width = 0, height = 0, depth = 1;
  std::uint32_t rowPitch = 0;
};
struct PlacedSubresourceFootprint {
  std::uint64_t offset = 0;
  SubresourceFootprint footprint;
};
struct TextureCopyLocation {
  Resource* resource = nullptr;
  TextureCopyType type = D3D12_TEXTURE_COPY_TYPE_SUBRESOURCE_INDEX;
  std::uint32_t subresourceIndex = 0;          // for SUBRESOURCE_INDEX
  PlacedSubresourceFootprint placedFootprint;  // for PLACED_FOOTPRINT
};

// ------------------------------------------------------------ root signature
struct DescriptorRange {
  DescriptorRangeType rangeType = D3D12_DESCRIPTOR_RANGE_TYPE_SRV;
  std::uint32_t numDescriptors = 1;
  std::uint32_t baseShaderRegister = 0;
  std::uint32_t registerSpace = 0;
  std::uint32_t offsetInDescriptorsFromTableStart = D3D12_DESCRIPTOR_RANGE_OFFSET_APPEND;
};
struct RootDescriptorTable {
  std::uint32_t numDescriptorRanges = 0;
  const DescriptorRange* descriptorRanges = nullptr;
};
struct RootConstants {
  std::uint32_t shaderRegister = 0;
  std::uint32_t registerSpace = 0;
  std::uint32_t num32BitValues = 0;
};
struct RootDescriptor {
  std::uint32_t shaderRegister = 0;
  std::uint32_t registerSpace = 0;
};
struct RootParameter {
  RootParameterType parameterType = D3D12_ROOT_PARAMETER_TYPE_CBV;
  RootDescriptorTable descriptorTable;  // for DESCRIPTOR_TABLE
  RootConstants constants;              // for 32BIT_CONSTANTS
  RootDescriptor descriptor;            // for CBV, SRV, UAV
  ShaderVisibility shaderVisibility = D3D12_SHADER_VISIBILITY_ALL;
};
struct StaticSamplerDesc {
  Filter filter = D3D12_FILTER_MIN_MAG_MIP_LINEAR;
  TextureAddressMode addressU = D3D12_TEXTURE_ADDRESS_MODE_WRAP;
  TextureAddressMode addressV = D3D12_TEXTURE_ADDRESS_MODE_WRAP;
  TextureAddressMode addressW = D3D12_TEXTURE_ADDRESS_MODE_WRAP;
  float mipLodBias = 0;
  std::uint32_t maxAnisotropy = 16;
  ComparisonFunc comparisonFunc = D3D12_COMPARISON_FUNC_NEVER;
  StaticBorderColor borderColor = D3D12_STATIC_BORDER_COLOR_TRANSPARENT_BLACK;
  float minLod = 0;
  float maxLod = D3D12_FLOAT32_MAX;
  std::uint32_t shaderRegister = 0;
  std::uint32_t registerSpace = 0;
  ShaderVisibility shaderVisibility = D3D12_SHADER_VISIBILITY_PIXEL;
};
struct RootSignatureDesc {
  std::uint32_t numParameters = 0;
  const RootParameter* parameters = nullptr;
  std::uint32_t numStaticSamplers = 0;
  const StaticSamplerDesc* staticSamplers = nullptr;
  RootSignatureFlags flags = D3D12_ROOT_SIGNATURE_FLAG_NONE;
};

// ------------------------------------------------------------ pipeline state
struct ShaderBytecode {
  const void* shaderBytecode = nullptr;
  std::size_t bytecodeLength = 0;
};
struct SoDeclarationEntry;
struct StreamOutputDesc {
  const SoDeclarationEntry* soDeclaration = nullptr;
  std::uint32_t numEntries = 0;
  const std::uint32_t* bufferStrides = nullptr;
  std::uint32_t numStrides = 0;
  std::uint32_t rasterizedStream = 0;
};
struct RenderTargetBlendDesc {
  bool blendEnable = false;
  bool logicOpEnable = false;
  Blend srcBlend = D3D12_BLEND_ONE;
  Blend destBlend = D3D12_BLEND_ZERO;
  BlendOp blendOp = D3D12_BLEND_OP_ADD;
  Blend srcBlendAlpha = D3D12_BLEND_ONE;
  Blend destBlendAlpha = D3D12_BLEND_ZERO;
  BlendOp blendOpAlpha = D3D12_BLEND_OP_ADD;
  LogicOp logicOp = D3D12_LOGIC_OP_NOOP;
  ColorWriteEnable renderTargetWriteMask = D3D12_COLOR_WRITE_ENABLE_ALL;
};
struct BlendDesc {
  bool alphaToCoverageEnable = false;
  bool independentBlendEnable = false;
  RenderTargetBlendDesc renderTarget[8];
};
struct RasterizerDesc {
  FillMode fillMode = D3D12_FILL_MODE_SOLID;
  CullMode cullMode = D3D12_CULL_MODE_BACK;
  bool frontCounterClockwise = false;
  std::int32_t depthBias = 0;
  float depthBiasClamp = 0;
  float slopeScaledDepthBias = 0;
  bool depthClipEnable = true;  // false: depth is clamped to the viewport's range
  bool multisampleEnable = false;
  bool antialiasedLineEnable = false;
  std::uint32_t forcedSampleCount = 0;
  ConservativeRasterizationMode conservativeRaster = D3D12_CONSERVATIVE_RASTERIZATION_MODE_OFF;
};
struct DepthStencilOpDesc {
  StencilOp stencilFailOp = D3D12_STENCIL_OP_KEEP;
  StencilOp stencilDepthFailOp = D3D12_STENCIL_OP_KEEP;
  StencilOp stencilPassOp = D3D12_STENCIL_OP_KEEP;
  ComparisonFunc stencilFunc = D3D12_COMPARISON_FUNC_ALWAYS;
};
struct DepthStencilDesc {
  bool depthEnable = true;
  DepthWriteMask depthWriteMask = D3D12_DEPTH_WRITE_MASK_ALL;
  ComparisonFunc depthFunc = D3D12_COMPARISON_FUNC_LESS;
  bool stencilEnable = false;
  std::uint8_t stencilReadMask = D3D12_DEFAULT_STENCIL_READ_MASK;
  std::uint8_t stencilWriteMask = D3D12_DEFAULT_STENCIL_WRITE_MASK;
  DepthStencilOpDesc frontFace;
  DepthStencilOpDesc backFace;
};
struct InputElementDesc {
  const char* semanticName = nullptr;
  std::uint32_t semanticIndex = 0;
  Format format = DXGI_FORMAT_UNKNOWN;
  std::uint32_t inputSlot = 0;
  std::uint32_t alignedByteOffset = D3D12_APPEND_ALIGNED_ELEMENT;
  InputClassification inputSlotClass = D3D12_INPUT_CLASSIFICATION_PER_VERTEX_DATA;
  std::uint32_t instanceDataStepRate = 0;
};
struct InputLayoutDesc {
  const InputElementDesc* inputElementDescs = nullptr;
  std::uint32_t numElements = 0;
};
struct CachedPipelineState {
  const void* cachedBlob = nullptr;
  std::size_t cachedBlobSizeInBytes = 0;
};
struct GraphicsPipelineStateDesc {
  RootSignature* rootSignature = nullptr;
  ShaderBytecode vs, ps, ds, hs, gs;
  StreamOutputDesc streamOutput;
  BlendDesc blendState;
  std::uint32_t sampleMask = 0xffffffff;
  RasterizerDesc rasterizerState;
  DepthStencilDesc depthStencilState;
  InputLayoutDesc inputLayout;
  IndexBufferStripCutValue ibStripCutValue = D3D12_INDEX_BUFFER_STRIP_CUT_VALUE_DISABLED;
  PrimitiveTopologyType primitiveTopologyType = D3D12_PRIMITIVE_TOPOLOGY_TYPE_TRIANGLE;
  std::uint32_t numRenderTargets = 1;
  Format rtvFormats[8] = {};
  Format dsvFormat = DXGI_FORMAT_UNKNOWN;
  SampleDesc sampleDesc;
  std::uint32_t nodeMask = 0;
  CachedPipelineState cachedPso;
  PipelineStateFlags flags = D3D12_PIPELINE_STATE_FLAG_NONE;
};

}  // namespace host::gpu
