#include "platform/driver/directx_driver/rk_constant_slot.h"

#include "kernel/rk_hr_exception.h"
#include "platform/driver/directx_driver/rk_descriptor_heap.h"
#include "util/rk_text.h"

namespace rk {

namespace gpu = host::gpu;

namespace {
constexpr const char* kSource = "src/kernel/rk_device_context";
}

void createUploadBuffer(gpu::Device& device, std::uint32_t size, gpu::Ref<gpu::Resource>* resource,
                        const char* name) {
  gpu::HeapProperties heap;
  heap.type = gpu::D3D12_HEAP_TYPE_UPLOAD;
  heap.creationNodeMask = 1;
  heap.visibleNodeMask = 1;
  const std::uint64_t rounded = (std::uint64_t{size} + 255) / 256 * 256;
  const host::HResult hr =
      device.createCommittedResource(heap, gpu::D3D12_HEAP_FLAG_NONE, gpu::ResourceDesc::buffer(rounded),
                                     gpu::D3D12_RESOURCE_STATE_GENERIC_READ, nullptr, resource);
  throwIfFailed(hr, kSource, 2890, util::toWideString(name).c_str());
  (*resource)->setName(name);
}

void ConstantSlot::create(gpu::Device& device, driver::directx::DescriptorHeap& heap, const char* name) {
  createUploadBuffer(device, size_, &resource_, name);
  throwIfFailed(resource_->map(0, nullptr, &mapped_), kSource, 2925, util::toWideString(name).c_str());
  gpu_address_ = resource_->getGPUVirtualAddress();
  descriptor_index_ = heap.alllocSlot();
  if (descriptor_index_ == driver::directx::DescriptorHeap::kNoSlot) return;  // bound by address all the same
  cpu_handle_ = heap.getCPUHandle(descriptor_index_);
  gpu_handle_ = heap.getGPUHandle(descriptor_index_);
  const gpu::ConstantBufferViewDesc view{gpu_address_, static_cast<std::uint32_t>(resource_->getDesc().width)};
  device.createConstantBufferView(&view, cpu_handle_);
}

void ConstantSlot::release(driver::directx::DescriptorHeap& heap) {
  if (resource_) {
    resource_->unmap(0, nullptr);
    resource_.reset();
    mapped_ = nullptr;
  }
  if (descriptor_index_ != -1) {
    heap.freeSlot(descriptor_index_);
    descriptor_index_ = -1;
  }
}

void ConstantSlot::bind(gpu::GraphicsCommandList* list) const {
  if (list) list->setGraphicsRootConstantBufferView(root_index_, gpu_address_);
}

ConstantSlotPool::~ConstantSlotPool() {
  for (ConstantSlot* slot : slots_) delete slot;
}

ConstantSlot* ConstantSlotPool::acquire(std::uint32_t size, std::uint32_t rootIndex, const char* name,
                                        gpu::Device& device, driver::directx::DescriptorHeap& heap) {
  if (used_ < slots_.size()) return slots_[used_++];
  auto* slot = new ConstantSlot(size, rootIndex);
  try {
    slot->create(device, heap, name);
  } catch (...) {
    slot->release(heap);
    delete slot;
    throw;
  }
  slots_.push_back(slot);
  used_ = slots_.size();
  return slot;
}

void ConstantSlotPool::clear(driver::directx::DescriptorHeap& heap) {
  for (ConstantSlot* slot : slots_) {
    slot->release(heap);
    delete slot;
  }
  slots_.clear();
  used_ = 0;
}

}  // namespace rk
