// Test helpers for the GPU layer: a device with a queue, one command list, a
// colour target and a depth buffer, the framework's root signature, pipelines
// from the shader sources in data/shaders, constant and vertex uploads, and a
// read-back of the colour target (pixels top row first, RGBA bytes).
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "host/gpu.h"

namespace gpurig {

using namespace host::gpu;
using host::E_FAIL;
using host::E_INVALIDARG;
using host::E_NOTIMPL;
using host::E_UNEXPECTED;
using host::HResult;
using host::S_FALSE;
using host::S_OK;
using host::failed;
using Matrix = std::array<float, 16>;

inline Matrix identity() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

inline Matrix translation(float x, float y, float z) {
  Matrix m = identity();
  m[12] = x;  // row-major, row vectors: the translation is the fourth row
  m[13] = y;
  m[14] = z;
  return m;
}

// Left-handed off-centre orthographic projection, row-major for row vectors.
inline Matrix orthoOffCenter(float l, float r, float b, float t, float n, float f) {
  Matrix m{};
  m[0] = 2 / (r - l);
  m[5] = 2 / (t - b);
  m[10] = 1 / (f - n);
  m[12] = -(l + r) / (r - l);
  m[13] = -(t + b) / (t - b);
  m[14] = -n / (f - n);
  m[15] = 1;
  return m;
}

inline std::string shaderSource(const std::string& file) {
  std::ifstream in(std::string(RK_SOURCE_DIR) + "/data/shaders/" + file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Vertex layouts of the three pipeline families.
struct ColourVertex {
  float x, y, z;
  float r, g, b, a;
};
struct UvVertex {
  float x, y, z;
  float r, g, b, a;
  float u, v;
};
inline const InputElementDesc kColourLayout[] = {
    {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT},
    {"COLOR", 0, DXGI_FORMAT_R32G32B32A32_FLOAT},
};
inline const InputElementDesc kUvLayout[] = {
    {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT},
    {"COLOR", 0, DXGI_FORMAT_R32G32B32A32_FLOAT},
    {"TEXCOORD", 0, DXGI_FORMAT_R32G32_FLOAT},
};
inline const InputElementDesc kModelLayout[] = {
    {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT},
    {"NORMAL", 0, DXGI_FORMAT_R32G32B32_FLOAT},
    {"TEXCOORD", 0, DXGI_FORMAT_R32G32_FLOAT},
    {"TANGENT", 0, DXGI_FORMAT_R32G32B32_FLOAT},
};

// Six root constant-buffer views b0..b5 and a table with one texture at t0,
// with one static sampler, as the renderer builds it.
inline Ref<RootSignature> frameworkRootSignature(Device* device, Filter filter = D3D12_FILTER_MIN_MAG_MIP_LINEAR) {
  DescriptorRange range;
  range.rangeType = D3D12_DESCRIPTOR_RANGE_TYPE_SRV;
  RootParameter params[7];
  for (std::uint32_t i = 0; i < 6; ++i) {
    params[i].parameterType = D3D12_ROOT_PARAMETER_TYPE_CBV;
    params[i].descriptor.shaderRegister = i;
  }
  params[6].parameterType = D3D12_ROOT_PARAMETER_TYPE_DESCRIPTOR_TABLE;
  params[6].descriptorTable = {1, &range};
  params[6].shaderVisibility = D3D12_SHADER_VISIBILITY_PIXEL;
  StaticSamplerDesc sampler;
  sampler.filter = filter;
  sampler.addressU = sampler.addressV = D3D12_TEXTURE_ADDRESS_MODE_MIRROR;
  RootSignatureDesc desc{7, params, 1, &sampler, 0x1D};
  Ref<Blob> blob, error;
  EXPECT_EQ(serializeRootSignature(desc, D3D_ROOT_SIGNATURE_VERSION_1, &blob, &error), S_OK);
  Ref<RootSignature> signature;
  EXPECT_EQ(device->createRootSignature(0, blob->getBufferPointer(), blob->getBufferSize(), &signature), S_OK);
  return signature;
}

class Rig {
 public:
  static constexpr std::uint32_t kWidth = 64;
  static constexpr std::uint32_t kHeight = 48;

  // False (the test should skip) when the driver cannot make a device.
  bool make(Driver driver) {
    if (driver == Driver::Trace)
      setAdapterList(traceAdapterList());
    else
      resetAdapterList();
    if (failed(createDevice(nullptr, D3D_FEATURE_LEVEL_11_0, &device))) return false;
    EXPECT_EQ(device->createCommandQueue(CommandQueueDesc{}, &queue), S_OK);
    EXPECT_EQ(device->createCommandAllocator(D3D12_COMMAND_LIST_TYPE_DIRECT, &allocator), S_OK);
    EXPECT_EQ(device->createCommandList(0, D3D12_COMMAND_LIST_TYPE_DIRECT, allocator.get(), nullptr, &list), S_OK);
    list->close();
    list->setName("rig list");
    EXPECT_EQ(device->createFence(0, D3D12_FENCE_FLAG_NONE, &fence), S_OK);
    EXPECT_EQ(device->createDescriptorHeap({D3D12_DESCRIPTOR_HEAP_TYPE_RTV, 2}, &rtvHeap), S_OK);
    EXPECT_EQ(device->createDescriptorHeap({D3D12_DESCRIPTOR_HEAP_TYPE_DSV, 1}, &dsvHeap), S_OK);
    EXPECT_EQ(device->createDescriptorHeap(
                  {D3D12_DESCRIPTOR_HEAP_TYPE_CBV_SRV_UAV, 16, D3D12_DESCRIPTOR_HEAP_FLAG_SHADER_VISIBLE}, &srvHeap),
              S_OK);
    HeapProperties heap;
    EXPECT_EQ(device->createCommittedResource(heap, 0,
                                              ResourceDesc::texture2D(DXGI_FORMAT_R8G8B8A8_UNORM, kWidth, kHeight, 1,
                                                                      D3D12_RESOURCE_FLAG_ALLOW_RENDER_TARGET),
                                              D3D12_RESOURCE_STATE_RENDER_TARGET, nullptr, &target),
              S_OK);
    target->setName("target");
    EXPECT_EQ(device->createCommittedResource(heap, 0,
                                              ResourceDesc::texture2D(DXGI_FORMAT_D24_UNORM_S8_UINT, kWidth, kHeight, 1,
                                                                      D3D12_RESOURCE_FLAG_ALLOW_DEPTH_STENCIL),
                                              D3D12_RESOURCE_STATE_DEPTH_WRITE, nullptr, &depth),
              S_OK);
    device->createRenderTargetView(target.get(), nullptr, rtv());
    device->createDepthStencilView(depth.get(), nullptr, dsv());
    signature = frameworkRootSignature(device.get());
    return true;
  }

  CpuDescriptorHandle rtv() const { return rtvHeap->getCPUDescriptorHandleForHeapStart(); }
  CpuDescriptorHandle dsv() const { return dsvHeap->getCPUDescriptorHandleForHeapStart(); }

  // A pipeline from two shader files; `tweak` adjusts the description first.
  Ref<PipelineState> pipeline(const std::string& vs, const std::string& ps, const InputElementDesc* layout,
                              std::uint32_t count, const std::function<void(GraphicsPipelineStateDesc&)>& tweak = {},
                              const std::string& name = "test pipeline") {
    const std::string vsText = shaderSource(vs), psText = shaderSource(ps);
    GraphicsPipelineStateDesc d;
    d.rootSignature = signature.get();
    d.vs = {vsText.data(), vsText.size()};
    d.ps = {psText.data(), psText.size()};
    d.inputLayout = {layout, count};
    d.rasterizerState.cullMode = D3D12_CULL_MODE_NONE;
    d.rasterizerState.depthClipEnable = false;
    d.depthStencilState.depthEnable = false;
    d.rtvFormats[0] = DXGI_FORMAT_R8G8B8A8_UNORM;
    d.dsvFormat = DXGI_FORMAT_D24_UNORM_S8_UINT;
    if (tweak) tweak(d);
    Ref<PipelineState> p;
    EXPECT_EQ(device->createGraphicsPipelineState(d, &p), S_OK);
    if (p) p->setName(name);
    return p;
  }
  Ref<PipelineState> colourPipeline(const std::function<void(GraphicsPipelineStateDesc&)>& tweak = {},
                                    const std::string& name = "colour") {
    return pipeline("rk_easy_poly_vs.cso", "rk_easy_poly_ps.cso", kColourLayout, 2, tweak, name);
  }

  // An upload buffer holding the bytes (kept alive by the rig).
  Ref<Resource> upload(const void* data, std::size_t size) {
    HeapProperties heap;
    heap.type = D3D12_HEAP_TYPE_UPLOAD;
    Ref<Resource> buffer;
    const std::size_t rounded = (size + 255) / 256 * 256;
    EXPECT_EQ(device->createCommittedResource(heap, 0, ResourceDesc::buffer(rounded), D3D12_RESOURCE_STATE_GENERIC_READ,
                                              nullptr, &buffer),
              S_OK);
    void* mapped = nullptr;
    buffer->map(0, nullptr, &mapped);
    std::memcpy(mapped, data, size);
    keep.push_back(buffer);
    return buffer;
  }
  GpuVirtualAddress constants(const Matrix& m) { return upload(m.data(), sizeof(m))->getGPUVirtualAddress(); }

  template <class V>
  void drawVertices(const std::vector<V>& vertices, PrimitiveTopology topology) {
    Ref<Resource> buffer = upload(vertices.data(), vertices.size() * sizeof(V));
    VertexBufferView view{buffer->getGPUVirtualAddress(), static_cast<std::uint32_t>(vertices.size() * sizeof(V)),
                          sizeof(V)};
    list->iaSetVertexBuffers(0, 1, &view);
    list->iaSetPrimitiveTopology(topology);
    list->drawInstanced(static_cast<std::uint32_t>(vertices.size()), 1, 0, 0);
  }

  // Starts recording with the full-target viewport and scissor, the colour
  // target and (when asked) the depth buffer bound, and identity matrices.
  void begin(bool withDepth = true) {
    EXPECT_EQ(list->reset(allocator.get(), nullptr), S_OK);
    list->setGraphicsRootSignature(signature.get());
    DescriptorHeap* heaps[] = {srvHeap.get()};
    list->setDescriptorHeaps(1, heaps);
    setViewport({0, 0, float(kWidth), float(kHeight), 0, 1});
    setScissor({0, 0, std::int32_t(kWidth), std::int32_t(kHeight)});
    const CpuDescriptorHandle r = rtv(), d = dsv();
    list->omSetRenderTargets(1, &r, false, withDepth ? &d : nullptr);
    list->setGraphicsRootConstantBufferView(0, constants(identity()));
    list->setGraphicsRootConstantBufferView(1, constants(identity()));
  }
  void setViewport(const Viewport& v) { list->rsSetViewports(1, &v); }
  void setScissor(const Rect& r) { list->rsSetScissorRects(1, &r); }
  void clear(float r, float g, float b, float a) {
    const float colour[4] = {r, g, b, a};
    list->clearRenderTargetView(rtv(), colour, 0, nullptr);
  }
  void clearDepth(float depthValue, std::uint8_t stencil) {
    list->clearDepthStencilView(dsv(), D3D12_CLEAR_FLAG_DEPTH | D3D12_CLEAR_FLAG_STENCIL, depthValue, stencil, 0,
                                nullptr);
  }

  // Closes, executes and waits for the GPU.
  void execute() {
    EXPECT_EQ(list->close(), S_OK);
    GraphicsCommandList* lists[] = {list.get()};
    queue->executeCommandLists(1, lists);
    waitIdle();
  }
  void waitIdle() {
    ++fenceValue;
    queue->signal(fence.get(), fenceValue);
    if (fence->getCompletedValue() < fenceValue) {
      Ref<Event> done = Event::create(false, false);
      fence->setEventOnCompletion(fenceValue, done.get());
      done->wait(INFINITE);
    }
  }

  // The colour target, top row first, one 0xAABBGGRR word per pixel.
  std::vector<std::uint32_t> readPixels() {
    HeapProperties heap;
    heap.type = D3D12_HEAP_TYPE_READBACK;
    PlacedSubresourceFootprint footprint;
    std::uint64_t total = 0;
    device->getCopyableFootprints(target->getDesc(), 0, 1, 0, &footprint, nullptr, nullptr, &total);
    Ref<Resource> buffer;
    EXPECT_EQ(device->createCommittedResource(heap, 0, ResourceDesc::buffer(total), D3D12_RESOURCE_STATE_COPY_DEST,
                                              nullptr, &buffer),
              S_OK);
    EXPECT_EQ(list->reset(allocator.get(), nullptr), S_OK);
    TextureCopyLocation dst, src;
    dst.resource = buffer.get();
    dst.type = D3D12_TEXTURE_COPY_TYPE_PLACED_FOOTPRINT;
    dst.placedFootprint = footprint;
    src.resource = target.get();
    list->copyTextureRegion(&dst, 0, 0, 0, &src, nullptr);
    execute();
    void* mapped = nullptr;
    buffer->map(0, nullptr, &mapped);
    std::vector<std::uint32_t> pixels(kWidth * kHeight);
    for (std::uint32_t y = 0; y < kHeight; ++y)
      std::memcpy(&pixels[y * kWidth], static_cast<std::uint8_t*>(mapped) + y * footprint.footprint.rowPitch,
                  kWidth * 4);
    return pixels;
  }

  Ref<Device> device;
  Ref<CommandQueue> queue;
  Ref<CommandAllocator> allocator;
  Ref<GraphicsCommandList> list;
  Ref<Fence> fence;
  std::uint64_t fenceValue = 0;
  Ref<DescriptorHeap> rtvHeap, dsvHeap, srvHeap;
  Ref<Resource> target, depth;
  Ref<RootSignature> signature;
  std::vector<Ref<Resource>> keep;
};

// Packed colours as read back (little-endian RGBA bytes).
constexpr std::uint32_t rgba(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255) {
  return std::uint32_t(r) | std::uint32_t(g) << 8 | std::uint32_t(b) << 16 | std::uint32_t(a) << 24;
}
constexpr std::uint32_t kRed = rgba(255, 0, 0), kGreen = rgba(0, 255, 0), kBlue = rgba(0, 0, 255),
                        kBlack = rgba(0, 0, 0), kWhite = rgba(255, 255, 255);

// A rectangle of two triangles (a strip) in one colour, at depth z.
inline std::vector<ColourVertex> quad(float x0, float y0, float x1, float y1, float z, float r, float g, float b,
                                      float a = 1) {
  return {{x0, y0, z, r, g, b, a}, {x1, y0, z, r, g, b, a}, {x0, y1, z, r, g, b, a}, {x1, y1, z, r, g, b, a}};
}

}  // namespace gpurig
