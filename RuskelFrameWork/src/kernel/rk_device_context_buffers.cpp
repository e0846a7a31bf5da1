// The device context's GPU buffers: vertex buffers of three formats and the
// 32-bit index buffer, all in upload-heap memory that the CPU writes in place,
// each rebuilt from its CPU data after a device rebuild.
#include <cstring>
#include <string>
#include <vector>

#include "gfx/rk_index_buffer.h"
#include "gfx/rk_vertex_buffer.h"
#include "kernel/rk_device_lost_recover_event.h"
#include "kernel/rk_error_log.h"
#include "rk_device_context_internal.h"

namespace rk {

namespace gpu = host::gpu;
using device_context_detail::check;
using device_context_detail::kSource;

namespace {

constexpr const char* kVertexBufferSource = "include/gfx/rk_vertex_buffer";
constexpr const char* kIndexBufferSource = "include/gfx/rk_index_buffer";

DeviceContext* context() { return DeviceContext::getInstance(); }

// The GPU buffer of every buffer class and its life across device loss: a
// buffer that existed when the device went is built again once it is back.
template <class Base>
class DeviceBuffer : public Base, public IDeviceLostRecoverEvent {
 public:
  DeviceBuffer() { context()->addDeviceLostListener(this); }
  ~DeviceBuffer() override {
    context()->removeDeviceLostListener(this);
    resource_.reset();
  }
  bool isCreated() const override { return static_cast<bool>(resource_); }
  void onLost() override {
    rebuild_on_recover_ = static_cast<bool>(resource_);
    if (!resource_) return;
    context()->waitForGpu();
    resource_.reset();
  }
  void onRecover() override {
    // An empty buffer was never built; building it now would only fail.
    if (rebuild_on_recover_) this->build();
    rebuild_on_recover_ = false;
  }

  gpu::Ref<gpu::Resource> resource_;

 protected:
  void destroy() override {
    if (!resource_) return;
    context()->waitForGpu();
    resource_.reset();
  }

 private:
  bool rebuild_on_recover_ = false;
};

struct PCVertex {
  float x, y, z, r, g, b, a;
};
struct VCUVertex {
  float x, y, z, r, g, b, a, u, v;
};
static_assert(sizeof(PCVertex) == 28 && sizeof(VCUVertex) == 36);

// Vertices kept in a CPU array and built from it.
template <class Vertex, int Kind>
class ArrayVertexBuffer : public DeviceBuffer<gfx::VertexBuffer> {
 public:
  void build() override { context()->buildVertexBuffer(this); }
  int getKind() const override { return Kind; }
  void setPosition(float x, float y, float z) override { current_.x = x, current_.y = y, current_.z = z; }
  void setColor(const gfx::Color& c) override {
    current_.r = c.getR(), current_.g = c.getG(), current_.b = c.getB(), current_.a = c.getA();
  }
  void setUV(float u, float v) override {
    if constexpr (Kind == gfx::VERTEX_KIND_POSITION_COLOR_UV) current_.u = u, current_.v = v;
  }
  void pushVertex() override { vertices_.push_back(current_); }
  std::uint32_t getVertexCount() const override { return static_cast<std::uint32_t>(vertices_.size()); }
  void clear() override { vertices_.clear(); }
  void setData(const void*, std::size_t) override {}
  host::HResult copyToGpu() override {
    const std::size_t bytes = vertices_.size() * sizeof(Vertex);
    // A grown array does not fit the old buffer: build a bigger one instead.
    if (!resource_ || bytes > resource_->getDesc().width) {
      build();
      return host::S_OK;
    }
    void* mapped = nullptr;
    const host::HResult hr = resource_->map(0, nullptr, &mapped);
    if (host::failed(hr)) return hr;
    if (bytes) std::memcpy(mapped, vertices_.data(), bytes);
    resource_->unmap(0, nullptr);
    view_.sizeInBytes = static_cast<std::uint32_t>(bytes);
    return host::S_OK;
  }
  host::HResult copy(const void*, std::size_t) override { return host::E_FAIL; }
  const gpu::VertexBufferView* view() const override { return resource_ ? &view_ : nullptr; }

  Vertex current_{};
  std::vector<Vertex> vertices_;
  gpu::VertexBufferView view_;
};

class VertexBufferPC final : public ArrayVertexBuffer<PCVertex, gfx::VERTEX_KIND_POSITION_COLOR> {};
class VertexBufferVCU final : public ArrayVertexBuffer<VCUVertex, gfx::VERTEX_KIND_POSITION_COLOR_UV> {};

// Model vertices read from the owner's memory, which must stay valid.
class VertexBufferNDSUV final : public DeviceBuffer<gfx::VertexBuffer> {
 public:
  static constexpr std::uint32_t kStride = 44;

  void build() override { context()->buildVertexBuffer(this); }
  int getKind() const override { return gfx::VERTEX_KIND_MODEL_VERTEX; }
  void setPosition(float, float, float) override {}
  void setColor(const gfx::Color&) override {}
  void setUV(float, float) override {}
  void pushVertex() override {}
  std::uint32_t getVertexCount() const override { return static_cast<std::uint32_t>(bytes_ / kStride); }
  void clear() override {}
  void setData(const void* data, std::size_t bytes) override {
    data_ = data;
    bytes_ = bytes;
  }
  host::HResult copyToGpu() override { return host::E_FAIL; }
  host::HResult copy(const void* source, std::size_t bytes) override {
    static constexpr const wchar_t* kName = L"VertexBufferNDSUV::copy(const void* src , std::size_t size";
    if (!resource_) throwIfFailed(host::E_FAIL, kSource, 1180, kName);
    void* mapped = nullptr;
    throwIfFailed(resource_->map(0, nullptr, &mapped), kSource, 1183, L"resource_->Map(0, nullptr, &res)");
    if (bytes_ < bytes) throwIfFailed(host::E_OUTOFMEMORY, kSource, 1190, kName);
    std::memcpy(mapped, source, bytes);
    resource_->unmap(0, nullptr);
    return host::S_OK;
  }
  const gpu::VertexBufferView* view() const override { return resource_ ? &view_ : nullptr; }

  const void* data_ = nullptr;
  std::size_t bytes_ = 0;
  gpu::VertexBufferView view_;
};

class IndexBuffer12 final : public DeviceBuffer<gfx::IndexBuffer> {
 public:
  void build() override {
    context()->uploadResource(indices_.data(), indices_.size() * sizeof(std::uint32_t), &resource_,
                              L"INDEX_BUFFER_UPLOADER");
    view_.bufferLocation = resource_->getGPUVirtualAddress();
    view_.sizeInBytes = static_cast<std::uint32_t>(resource_->getDesc().width);
    view_.format = gpu::DXGI_FORMAT_R32_UINT;
  }
  void push(std::uint32_t index) override { indices_.push_back(index); }
  std::uint32_t getCount() const override { return static_cast<std::uint32_t>(indices_.size()); }
  void setIndices(const std::uint32_t* indices, std::uint32_t count) override {
    indices_.assign(count, 0u);
    if (count) std::memcpy(indices_.data(), indices, count * sizeof(std::uint32_t));
  }
  void clear() override { indices_.clear(); }
  const gpu::IndexBufferView* view() const override { return resource_ ? &view_ : nullptr; }

 private:
  std::vector<std::uint32_t> indices_;
  gpu::IndexBufferView view_;
};

template <class Buffer, class Vertex>
void uploadArray(DeviceContext& dc, Buffer* buffer, const wchar_t* name) {
  buffer->resource_.reset();
  const std::size_t bytes = buffer->vertices_.size() * sizeof(Vertex);
  dc.uploadResource(buffer->vertices_.data(), bytes, &buffer->resource_, name);
  buffer->view_ = {buffer->resource_->getGPUVirtualAddress(), static_cast<std::uint32_t>(bytes),
                   static_cast<std::uint32_t>(sizeof(Vertex))};
}

}  // namespace

void gfx::VertexBufferContainer::release() {
  if (payload_ && payload_->release(kVertexBufferSource, 54) == 0) payload_ = nullptr;
}

void gfx::IndexBufferContainer::release() {
  if (payload_ && payload_->release(kIndexBufferSource, 31) == 0) payload_ = nullptr;
}

void DeviceContext::createVertexBuffer(int kind, gfx::VertexBuffer** out) {
  gfx::VertexBuffer* made = nullptr;
  switch (kind) {
    case gfx::VERTEX_KIND_POSITION_COLOR: made = new VertexBufferPC; break;
    case gfx::VERTEX_KIND_POSITION_COLOR_UV: made = new VertexBufferVCU; break;
    case gfx::VERTEX_KIND_MODEL_VERTEX: made = new VertexBufferNDSUV; break;
    default: break;
  }
  if (!made) {
    if (!out || !*out) check(host::E_OUTOFMEMORY, 1240, L"(*ppvb)");
    return;
  }
  if (!out) {
    delete made;
    check(host::E_OUTOFMEMORY, 1240, L"(*ppvb)");
  }
  *out = made;
  made->addRef();
}

void DeviceContext::createIndexBuffer(gfx::IndexBuffer** out) {
  if (!out) check(host::E_OUTOFMEMORY, 1260, L"(*ppib)");
  *out = new IndexBuffer12;
  (*out)->addRef();
}

void DeviceContext::uploadResource(const void* data, std::size_t bytes, gpu::Ref<gpu::Resource>* resource,
                                   const wchar_t* name) {
  if (*resource) {
    debug::writeErrorLog(kSource, 1290, "rk::DeviceContext::uploadResource");
    resource->reset();
  }
  if (!device_) check(host::E_FAIL, 1293, name);
  gpu::HeapProperties heap;
  heap.type = gpu::D3D12_HEAP_TYPE_UPLOAD;
  const std::uint64_t width = (static_cast<std::uint64_t>(bytes) + 255u) & ~std::uint64_t{255};
  check(device_->createCommittedResource(heap, gpu::D3D12_HEAP_FLAG_NONE, gpu::ResourceDesc::buffer(width),
                                         gpu::D3D12_RESOURCE_STATE_GENERIC_READ, nullptr, resource),
        1300, name);
  std::string narrow;
  for (const wchar_t* p = name; *p; ++p) narrow += static_cast<char>(*p);
  (*resource)->setName(narrow);
  void* mapped = nullptr;
  check((*resource)->map(0, nullptr, &mapped), 1306, name);
  if (data && bytes) std::memcpy(mapped, data, bytes);
  (*resource)->unmap(0, nullptr);
}

void DeviceContext::buildVertexBuffer(gfx::VertexBuffer* buffer) {
  switch (buffer->getKind()) {
    case gfx::VERTEX_KIND_POSITION_COLOR: {
      auto* pc = static_cast<VertexBufferPC*>(buffer);
      if (pc->vertices_.empty()) debug::writeErrorLog(kSource, 1320, "rk::DeviceContext::buildVertexBuffer");
      uploadArray<VertexBufferPC, PCVertex>(*this, pc, L"VERTEX_KIND_POSITION_COLOR");
      break;
    }
    case gfx::VERTEX_KIND_MODEL_VERTEX: {
      auto* model = static_cast<VertexBufferNDSUV*>(buffer);
      model->resource_.reset();
      const std::size_t bytes = model->bytes_ / VertexBufferNDSUV::kStride * VertexBufferNDSUV::kStride;
      uploadResource(model->data_, bytes, &model->resource_, L"VERTEX_KIND_MODEL_VERTEX");
      model->view_ = {model->resource_->getGPUVirtualAddress(), static_cast<std::uint32_t>(bytes),
                      VertexBufferNDSUV::kStride};
      break;
    }
    default:
      uploadArray<VertexBufferVCU, VCUVertex>(*this, static_cast<VertexBufferVCU*>(buffer),
                                              L"VERTEX_KIND_POSITION_COLOR_UV");
      break;
  }
}

void DeviceContext::sendVertexBuffer(gfx::VertexBuffer* buffer) {
  gpu::GraphicsCommandList* list = getNowCommandList();
  if (!list) return;
  const int kind = buffer->getKind();
  const gpu::VertexBufferView* view = buffer->view();
  if (kind < 0 || kind > 2 || !view) {
    debug::writeErrorLog(kSource, 1350, "rk::DeviceContext::sendVertexBuffer");
    return;
  }
  list->iaSetVertexBuffers(0, 1, view);
}

gpu::PrimitiveTopology DeviceContext::toTopologyKind(int primitive) {
  switch (primitive) {
    case 1: return gpu::D3D_PRIMITIVE_TOPOLOGY_POINTLIST;
    case 2: return gpu::D3D_PRIMITIVE_TOPOLOGY_LINELIST;
    case 3: return gpu::D3D_PRIMITIVE_TOPOLOGY_LINESTRIP;
    case 5: return gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP;
    case 6: return gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLELIST_ADJ;
    default: return gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLELIST;
  }
}

void DeviceContext::drawPolygon(int primitive, gfx::VertexBuffer* buffer, std::uint32_t count) {
  gpu::GraphicsCommandList* list = getNowCommandList();
  if (!list) return;
  list->iaSetPrimitiveTopology(toTopologyKind(primitive));
  const int kind = buffer->getKind();
  const gpu::VertexBufferView* view = buffer->view();
  if ((kind != gfx::VERTEX_KIND_POSITION_COLOR && kind != gfx::VERTEX_KIND_POSITION_COLOR_UV) || !view) {
    debug::writeErrorLog(kSource, 1380, "rk::DeviceContext::drawPolygon");
    return;
  }
  list->iaSetVertexBuffers(0, 1, view);
  list->drawInstanced(count, 1, 0, 0);
}

}  // namespace rk
