#include "platform/driver/directx_driver/dx12units/rk_dx12_depth_stencil.h"

#include "kernel/rk_hr_exception.h"

namespace rk::driver::directx {

namespace gpu = host::gpu;

namespace {
constexpr const char* kSource = "src/platform/driver/directx_driver/dx12units/rk_dx12_depth_stencil";
}

DX12DepthStencil::DX12DepthStencil() {
  heap_properties_.type = gpu::D3D12_HEAP_TYPE_DEFAULT;
  // Mip count 0 asks for the full chain; only mip 0 is ever viewed.
  desc_ = gpu::ResourceDesc::texture2D(gpu::DXGI_FORMAT_D24_UNORM_S8_UINT, 1280, 720, 0,
                                       gpu::D3D12_RESOURCE_FLAG_ALLOW_DEPTH_STENCIL);
  desc_.layout = gpu::D3D12_TEXTURE_LAYOUT_UNKNOWN;
  clear_value_.format = gpu::DXGI_FORMAT_D24_UNORM_S8_UINT;
  clear_value_.depth = 1.0f;
  clear_value_.stencil = 0;
}

void DX12DepthStencil::setSize(std::uint32_t width, std::uint32_t height) {
  desc_.width = width;
  desc_.height = height;
}

void DX12DepthStencil::build(gpu::Device* device) {
  release();
  gpu::DescriptorHeapDesc heapDesc{gpu::D3D12_DESCRIPTOR_HEAP_TYPE_DSV, 1, gpu::D3D12_DESCRIPTOR_HEAP_FLAG_NONE, 0};
  throwIfFailed(device->createDescriptorHeap(heapDesc, &heap_), kSource, 52, L"device->CreateDescriptorHeap()");
  heap_->setName("DepthBufer Heap");
  throwIfFailed(device->createCommittedResource(heap_properties_, gpu::D3D12_HEAP_FLAG_NONE, desc_,
                                                gpu::D3D12_RESOURCE_STATE_DEPTH_WRITE, &clear_value_, &resource_),
                kSource, 61, L"Depth Buffer");
  resource_->setName("Depth Buffer");
  dsv_handle_ = heap_->getCPUDescriptorHandleForHeapStart();
  gpu::DepthStencilViewDesc view;
  view.format = gpu::DXGI_FORMAT_D24_UNORM_S8_UINT;
  device->createDepthStencilView(resource_.get(), &view, dsv_handle_);
  created_ = true;
}

void DX12DepthStencil::release() {
  resource_.reset();
  heap_.reset();
  dsv_handle_ = {};
  created_ = false;
}

}  // namespace rk::driver::directx
