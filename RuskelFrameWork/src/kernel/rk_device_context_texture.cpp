// The device context's textures: the GPU texture and its shader-resource view
// made from DDS bytes, and the binding at the root signature's texture table.
#include <string>

#include "host/dds.h"
#include "kernel/rk_error_log.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_texture.h"
#include "rk_device_context_internal.h"

namespace rk {

namespace gpu = host::gpu;
using device_context_detail::check;
using device_context_detail::kSource;

namespace {
constexpr std::uint32_t kTextureTable = 6;
}

void DeviceContext::setupTexture(gfx::RkTexture12* texture, const std::uint8_t* bytes, std::size_t size,
                                 std::uint32_t flags) {
  if (!device_) {
    debug::writeErrorLog(kSource, 3600, "rk::DeviceContext::setupTexture");
    return;
  }
  if (texture->resource()) {
    debug::writeErrorLog(kSource, 3604, "rk::DeviceContext::setupTexture");
    texture->resourceRef().reset();
  }
  // The old view goes with the old texture; the new one takes a fresh slot.
  if (current_texture_ == texture) current_texture_ = nullptr;
  texture->releaseView(true);

  host::dds::UploadBatch batch(device_.get());
  check(batch.begin(gpu::D3D12_COMMAND_LIST_TYPE_DIRECT), 3611, L"resourceUpload.Begin()");
  const host::HResult hr = host::dds::createTextureFromMemory(device_.get(), batch, bytes, size,
                                                              &texture->resourceRef(), 0,
                                                              gpu::D3D12_RESOURCE_FLAG_NONE, flags);
  std::future<void> done = batch.end(command_queue_.get());
  if (done.valid()) done.wait();
  if (host::failed(hr)) {
    // Bytes the DDS reader rejects are reported once; the texture stays
    // without a view and whatever uses it draws untextured.
    const std::string text = "rk::DeviceContext::setupTexture\n" + texture->info().name_;
    debug::writeErrorLog(kSource, 3620, text.c_str());
    texture->resourceRef().reset();
    return;
  }

  const int slot = desc_heap_.alllocSlot();
  if (slot == driver::directx::DescriptorHeap::kNoSlot) {
    // A full heap: the texture stays without a view and is never bound.
    debug::writeErrorLog(kSource, 3626, "rk::DeviceContext::setupTexture");
    return;
  }
  texture->setView(slot, desc_heap_.getCPUHandle(slot), desc_heap_.getGPUHandle(slot));
  gpu::Resource* resource = texture->resource();
  gpu::ShaderResourceViewDesc view;
  view.format = resource->getDesc().format;
  view.viewDimension = gpu::D3D12_SRV_DIMENSION_TEXTURE2D;
  view.shader4ComponentMapping = gpu::D3D12_DEFAULT_SHADER_4_COMPONENT_MAPPING;
  view.mostDetailedMip = 0;
  view.mipLevels = resource->getDesc().mipLevels;
  view.planeSlice = 0;
  device_->createShaderResourceView(resource, &view, desc_heap_.getCPUHandle(slot));
}

void DeviceContext::setTexture(gfx::RkTexture* texture) {
  if (!texture) {
    current_texture_ = nullptr;
    return;
  }
  if (texture == current_texture_) return;
  // A texture without a view has no descriptor the GPU could read.
  auto* gpuTexture = dynamic_cast<gfx::RkTexture12*>(texture);
  if (!gpuTexture || !gpuTexture->hasView()) return;
  gpu::GraphicsCommandList* list = getNowCommandList();
  if (!list) return;
  current_texture_ = texture;
  list->setGraphicsRootDescriptorTable(kTextureTable, gpuTexture->gpuHandle());
}

}  // namespace rk
