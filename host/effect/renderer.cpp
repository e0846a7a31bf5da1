#include "host/effect/renderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "host/dds.h"

namespace host::effect {

namespace {

using namespace host::gpu;

struct QuadVertex {
  float x, y, z;
  float r, g, b, a;
  float u, v;
};
static_assert(sizeof(QuadVertex) == 36);

constexpr std::uint32_t kTextureSize = 32;
constexpr std::size_t kMinBuffer = 64 * 1024;
constexpr std::size_t kAlign = 256;  // constant views need 256-byte addresses

// One RGBA8 image of a built-in sprite: white, its alpha the shape.
std::vector<std::uint8_t> spriteImage(std::uint32_t kind) {
  std::vector<std::uint8_t> pixels(kTextureSize * kTextureSize * 4, 255);
  for (std::uint32_t y = 0; y < kTextureSize; ++y) {
    for (std::uint32_t x = 0; x < kTextureSize; ++x) {
      const float u = (x + 0.5f) / kTextureSize * 2.0f - 1.0f, v = (y + 0.5f) / kTextureSize * 2.0f - 1.0f;
      const float r = std::sqrt(u * u + v * v);
      float alpha = 1.0f;
      if (kind == kTextureDisc) {
        const float edge = std::max(0.0f, 1.0f - r);
        alpha = std::min(1.0f, edge * 1.6f);
      } else if (kind == kTextureRing) {
        const float d = (r - 0.72f) / 0.14f;
        alpha = r > 1.0f ? 0.0f : std::exp(-d * d);
      } else if (kind == kTextureSpark) {
        const float cross = std::max(std::exp(-std::abs(u) * 10.0f), std::exp(-std::abs(v) * 10.0f));
        alpha = std::max(0.0f, 1.0f - r) * std::min(1.0f, cross + std::max(0.0f, 0.5f - r));
      }
      pixels[(y * kTextureSize + x) * 4 + 3] = static_cast<std::uint8_t>(std::lround(alpha * 255.0f));
    }
  }
  return pixels;
}

void copyMatrix(float out[4][4], const float in[4][4]) { std::memcpy(out, in, sizeof(float) * 16); }

void multiply(const float a[4][4], const float b[4][4], float out[4][4]) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      float s = 0.0f;
      for (int k = 0; k < 4; ++k) s += a[r][k] * b[k][c];
      out[r][c] = s;
    }
}

}  // namespace

Renderer::Renderer(const RendererSetup& setup) : setup_(setup) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) view_[r][c] = projection_[r][c] = r == c ? 1.0f : 0.0f;
}

Renderer::~Renderer() = default;

std::unique_ptr<Renderer> Renderer::create(const RendererSetup& setup, HResult* result) {
  std::unique_ptr<Renderer> renderer(new Renderer(setup));
  const HResult hr = renderer->build();
  if (result) *result = hr;
  if (failed(hr)) return nullptr;
  return renderer;
}

HResult Renderer::build() {
  ready_ = false;
  if (!setup_.device || !setup_.queue || !setup_.pipeline || !setup_.pipeline->rootSignature()) return E_INVALIDARG;
  HResult hr = makePipelines();
  if (!failed(hr)) hr = makeTextures();
  if (failed(hr)) {
    onLostDevice();
    return hr;
  }
  ready_ = true;
  return S_OK;
}

HResult Renderer::makePipelines() {
  const PipelineState& base = *setup_.pipeline;
  // The base's description with its pointers taken from the copies it keeps.
  GraphicsPipelineStateDesc desc = base.desc();
  std::vector<InputElementDesc> layout;
  for (const PipelineState::InputElement& e : base.inputLayout())
    layout.push_back({e.semanticName.c_str(), e.semanticIndex, e.format, e.inputSlot, e.offset});
  desc.rootSignature = base.rootSignature();
  desc.vs = {base.vertexShader().data(), base.vertexShader().size()};
  desc.ps = {base.pixelShader().data(), base.pixelShader().size()};
  desc.ds = desc.hs = desc.gs = {};
  desc.inputLayout = {layout.data(), static_cast<std::uint32_t>(layout.size())};
  desc.primitiveTopologyType = D3D12_PRIMITIVE_TOPOLOGY_TYPE_TRIANGLE;
  desc.rasterizerState.cullMode = D3D12_CULL_MODE_NONE;
  // Behind models, never hiding each other.
  desc.depthStencilState.depthEnable = true;
  desc.depthStencilState.depthWriteMask = D3D12_DEPTH_WRITE_MASK_ZERO;
  desc.depthStencilState.depthFunc = D3D12_COMPARISON_FUNC_LESS_EQUAL;
  desc.depthStencilState.stencilEnable = false;
  desc.dsvFormat = DXGI_FORMAT_D24_UNORM_S8_UINT;
  for (int additive = 0; additive < 2; ++additive) {
    RenderTargetBlendDesc& blend = desc.blendState.renderTarget[0];
    blend.blendEnable = true;
    blend.srcBlend = D3D12_BLEND_SRC_ALPHA;
    blend.destBlend = additive ? D3D12_BLEND_ONE : D3D12_BLEND_INV_SRC_ALPHA;
    blend.blendOp = D3D12_BLEND_OP_ADD;
    blend.srcBlendAlpha = D3D12_BLEND_ZERO;
    blend.destBlendAlpha = D3D12_BLEND_ONE;
    blend.blendOpAlpha = D3D12_BLEND_OP_ADD;
    blend.renderTargetWriteMask = D3D12_COLOR_WRITE_ENABLE_ALL;
    const HResult hr = setup_.device->createGraphicsPipelineState(desc, &pipelines_[additive]);
    if (failed(hr)) return hr;
    pipelines_[additive]->setName(additive ? "effect additive" : "effect alpha");
  }
  return S_OK;
}

HResult Renderer::makeTextures() {
  Device* device = setup_.device;
  HResult hr = device->createDescriptorHeap(
      {D3D12_DESCRIPTOR_HEAP_TYPE_CBV_SRV_UAV, kTextureCount, D3D12_DESCRIPTOR_HEAP_FLAG_SHADER_VISIBLE}, &heap_);
  if (failed(hr)) return hr;
  host::dds::UploadBatch batch(device);
  hr = batch.begin();
  if (failed(hr)) return hr;
  std::vector<std::vector<std::uint8_t>> images;
  const std::uint32_t increment = device->getDescriptorHandleIncrementSize(D3D12_DESCRIPTOR_HEAP_TYPE_CBV_SRV_UAV);
  for (std::uint32_t kind = 0; kind < kTextureCount; ++kind) {
    hr = device->createCommittedResource(HeapProperties{}, D3D12_HEAP_FLAG_NONE,
                                         ResourceDesc::texture2D(DXGI_FORMAT_R8G8B8A8_UNORM, kTextureSize, kTextureSize),
                                         D3D12_RESOURCE_STATE_COPY_DEST, nullptr, &textures_[kind]);
    if (failed(hr)) return hr;
    textures_[kind]->setName("effect sprite " + std::to_string(kind));
    images.push_back(spriteImage(kind));
    host::dds::SubresourceData data{images.back().data(), kTextureSize * 4, kTextureSize * kTextureSize * 4};
    hr = batch.upload(textures_[kind].get(), 0, &data, 1);
    if (failed(hr)) return hr;
    batch.transition(textures_[kind].get(), D3D12_RESOURCE_STATE_COPY_DEST, D3D12_RESOURCE_STATE_PIXEL_SHADER_RESOURCE);
    device->createShaderResourceView(textures_[kind].get(), nullptr,
                                     heap_->getCPUDescriptorHandleForHeapStart().offset(kind, increment));
  }
  std::future<void> done = batch.end(setup_.queue);
  if (done.valid()) done.wait();
  return S_OK;
}

void Renderer::onLostDevice() {
  ready_ = false;
  list_ = nullptr;
  for (auto& p : pipelines_) p.reset();
  for (auto& t : textures_) t.reset();
  heap_.reset();
  for (PoolPart& part : pool_) {
    part.buffers.clear();
    part.used = 0;
  }
}

HResult Renderer::onResetDevice(const RendererSetup& setup) {
  onLostDevice();
  setup_ = setup;
  return build();
}

void Renderer::setCameraMatrix(const float view[4][4]) { copyMatrix(view_, view); }

void Renderer::setProjectionMatrix(const float projection[4][4]) { copyMatrix(projection_, projection); }

void Renderer::newFrame() {
  part_ = (part_ + 1) % kPoolFrames;
  PoolPart& part = pool_[part_];
  // Keep the largest buffer for the next frames that use this part.
  if (part.buffers.size() > 1) {
    auto largest = std::max_element(part.buffers.begin(), part.buffers.end(), [](const auto& a, const auto& b) {
      return a->getDesc().width < b->getDesc().width;
    });
    gpu::Ref<gpu::Resource> keep = *largest;
    part.buffers.clear();
    part.buffers.push_back(keep);
  }
  part.used = 0;
}

bool Renderer::allocate(std::size_t bytes, GpuVirtualAddress* address, std::uint8_t** data) {
  PoolPart& part = pool_[part_];
  const std::size_t start = (part.used + kAlign - 1) / kAlign * kAlign;
  if (part.buffers.empty() || start + bytes > part.buffers.back()->getDesc().width) {
    HeapProperties heap;
    heap.type = D3D12_HEAP_TYPE_UPLOAD;
    const std::size_t size = (std::max(bytes, kMinBuffer) + kAlign - 1) / kAlign * kAlign;
    gpu::Ref<gpu::Resource> buffer;
    if (failed(setup_.device->createCommittedResource(heap, D3D12_HEAP_FLAG_NONE, ResourceDesc::buffer(size),
                                                      D3D12_RESOURCE_STATE_GENERIC_READ, nullptr, &buffer)))
      return false;
    buffer->setName("effect upload");
    part.buffers.push_back(buffer);
    part.used = 0;
    return allocate(bytes, address, data);
  }
  void* mapped = nullptr;
  if (failed(part.buffers.back()->map(0, nullptr, &mapped))) return false;
  *address = part.buffers.back()->getGPUVirtualAddress() + start;
  *data = static_cast<std::uint8_t*>(mapped) + start;
  part.used = start + bytes;
  return true;
}

void Renderer::beginRendering(GraphicsCommandList* list) { list_ = list; }

void Renderer::endRendering() { list_ = nullptr; }

void Renderer::draw(const Manager& manager) {
  last_sprites_ = 0;
  if (!ready_ || !list_) return;
  std::vector<SpriteBatch> batches;
  manager.collectSprites(batches);
  if (batches.empty()) return;

  // World identity and view-projection, at b0 and b1.
  GpuVirtualAddress constants = 0;
  std::uint8_t* bytes = nullptr;
  if (!allocate(2 * kAlign, &constants, &bytes)) return;
  float world[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  float viewProjection[4][4];
  multiply(view_, projection_, viewProjection);
  std::memcpy(bytes, world, sizeof world);
  std::memcpy(bytes + kAlign, viewProjection, sizeof viewProjection);

  // The camera's right and up axes in world space: the view matrix's first two columns.
  float right[3] = {view_[0][0], view_[1][0], view_[2][0]};
  float up[3] = {view_[0][1], view_[1][1], view_[2][1]};
  for (float* axis : {right, up}) {
    const float length = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
    if (length > 0.0f)
      for (int c = 0; c < 3; ++c) axis[c] /= length;
  }

  const std::uint32_t increment =
      setup_.device->getDescriptorHandleIncrementSize(D3D12_DESCRIPTOR_HEAP_TYPE_CBV_SRV_UAV);
  list_->setGraphicsRootSignature(setup_.pipeline->rootSignature());
  DescriptorHeap* heaps[] = {heap_.get()};
  list_->setDescriptorHeaps(1, heaps);
  list_->setGraphicsRootConstantBufferView(0, constants);
  list_->setGraphicsRootConstantBufferView(1, constants + kAlign);
  list_->iaSetPrimitiveTopology(D3D_PRIMITIVE_TOPOLOGY_TRIANGLELIST);

  std::uint32_t budget = setup_.squareMaxCount;
  for (const SpriteBatch& batch : batches) {
    const std::uint32_t count = std::min<std::uint32_t>(budget, static_cast<std::uint32_t>(batch.sprites.size()));
    if (count == 0) break;
    const std::size_t size = std::size_t(count) * 6 * sizeof(QuadVertex);
    GpuVirtualAddress address = 0;
    std::uint8_t* out = nullptr;
    if (!allocate(size, &address, &out)) return;
    auto* v = reinterpret_cast<QuadVertex*>(out);
    for (std::uint32_t i = 0; i < count; ++i) {
      const Sprite& s = batch.sprites[i];
      const float h = s.size * 0.5f;
      auto corner = [&](float sx, float sy, float u, float uv) {
        QuadVertex q;
        q.x = s.position[0] + (right[0] * sx + up[0] * sy) * h;
        q.y = s.position[1] + (right[1] * sx + up[1] * sy) * h;
        q.z = s.position[2] + (right[2] * sx + up[2] * sy) * h;
        q.r = s.colour[0], q.g = s.colour[1], q.b = s.colour[2], q.a = s.colour[3];
        q.u = u, q.v = uv;
        return q;
      };
      const QuadVertex tl = corner(-1, 1, 0, 0), tr = corner(1, 1, 1, 0), bl = corner(-1, -1, 0, 1),
                       br = corner(1, -1, 1, 1);
      *v++ = tl, *v++ = tr, *v++ = bl;
      *v++ = bl, *v++ = tr, *v++ = br;
    }
    list_->setPipelineState(pipelines_[batch.additive ? 1 : 0].get());
    list_->setGraphicsRootDescriptorTable(kTextureRootIndex,
                                          heap_->getGPUDescriptorHandleForHeapStart().offset(
                                              static_cast<int>(std::min(batch.texture, kTextureCount - 1)), increment));
    const VertexBufferView view{address, static_cast<std::uint32_t>(size), sizeof(QuadVertex)};
    list_->iaSetVertexBuffers(0, 1, &view);
    list_->drawInstanced(count * 6, 1, 0, 0);
    budget -= count;
    last_sprites_ += count;
  }
}

}  // namespace host::effect
