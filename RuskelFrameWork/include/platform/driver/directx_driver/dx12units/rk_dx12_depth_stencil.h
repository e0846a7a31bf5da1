// The depth-stencil buffer of the back buffers: a D24S8 texture on the default
// heap with its one-descriptor view heap. The device build sets its size to the
// screen size and builds it; a rebuild starts from scratch.
#pragma once
#include "host/gpu.h"

namespace rk::driver::directx {

class DX12DepthStencil {
 public:
  DX12DepthStencil();
  DX12DepthStencil(const DX12DepthStencil&) = delete;
  DX12DepthStencil& operator=(const DX12DepthStencil&) = delete;

  void setSize(std::uint32_t width, std::uint32_t height);
  // Releases what exists, then creates the view heap, the buffer and its view.
  // Throws HrException naming the failing creation.
  void build(host::gpu::Device* device);
  void release();

  bool isCreated() const { return created_; }
  host::gpu::CpuDescriptorHandle getDSVHandle() const { return dsv_handle_; }
  host::gpu::Resource* resource() const { return resource_.get(); }
  const host::gpu::ResourceDesc& desc() const { return desc_; }

 private:
  host::gpu::HeapProperties heap_properties_;
  host::gpu::ResourceDesc desc_;
  host::gpu::ClearValue clear_value_;
  host::gpu::Ref<host::gpu::Resource> resource_;
  host::gpu::Ref<host::gpu::DescriptorHeap> heap_;
  host::gpu::CpuDescriptorHandle dsv_handle_;
  bool created_ = false;
};

}  // namespace rk::driver::directx
