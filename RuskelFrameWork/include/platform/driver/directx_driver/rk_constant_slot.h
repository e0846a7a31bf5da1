// Constant slots: every shader-constant write takes a small upload buffer of its
// own, persistently mapped, with a constant-buffer view in the shader-visible
// heap, and binds its address as a root constant-buffer view. Slots come from a
// pool per constant type and frame; the frame draw rewinds the pools, so the
// n-th slot of a type is the same object in every frame with that frame index.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "host/gpu.h"

namespace rk {

namespace driver::directx {
class DescriptorHeap;
}

// A committed upload buffer of `size` bytes rounded up to 256, in the generic
// read state. Throws HrException carrying `name`, which also becomes the debug name.
void createUploadBuffer(host::gpu::Device& device, std::uint32_t size, host::gpu::Ref<host::gpu::Resource>* resource,
                        const char* name);

class ConstantSlot {
 public:
  ConstantSlot(std::uint32_t size, std::uint32_t rootIndex) : size_(size), root_index_(rootIndex) {}
  ConstantSlot(const ConstantSlot&) = delete;
  ConstantSlot& operator=(const ConstantSlot&) = delete;

  // Makes the buffer, maps it for good, takes a descriptor and writes a
  // constant-buffer view of the whole buffer there. Throws HrException.
  void create(host::gpu::Device& device, driver::directx::DescriptorHeap& heap, const char* name);
  // Unmaps and drops the buffer and gives the descriptor back.
  void release(driver::directx::DescriptorHeap& heap);
  // Binds the buffer's address at the slot's root parameter on the list.
  void bind(host::gpu::GraphicsCommandList* list) const;

  template <class T>
  T* as() {
    return static_cast<T*>(mapped_);
  }
  void* mapped() const { return mapped_; }
  host::gpu::GpuVirtualAddress gpuAddress() const { return gpu_address_; }
  std::uint32_t size() const { return size_; }
  std::uint32_t rootIndex() const { return root_index_; }
  int descriptorIndex() const { return descriptor_index_; }
  host::gpu::Resource* resource() const { return resource_.get(); }

 private:
  host::gpu::GpuVirtualAddress gpu_address_ = 0;
  std::uint32_t size_;
  host::gpu::CpuDescriptorHandle cpu_handle_;
  host::gpu::GpuDescriptorHandle gpu_handle_;
  host::gpu::Ref<host::gpu::Resource> resource_;
  int descriptor_index_ = -1;
  std::uint32_t root_index_;
  void* mapped_ = nullptr;
};

class ConstantSlotPool {
 public:
  ConstantSlotPool() = default;
  ConstantSlotPool(const ConstantSlotPool&) = delete;
  ConstantSlotPool& operator=(const ConstantSlotPool&) = delete;
  ~ConstantSlotPool();

  // The next slot of this frame, created when the pool has none left.
  ConstantSlot* acquire(std::uint32_t size, std::uint32_t rootIndex, const char* name, host::gpu::Device& device,
                        driver::directx::DescriptorHeap& heap);
  // The same for a constant layout (see rk_dx12_constants.h).
  template <class T>
  ConstantSlot* acquire(host::gpu::Device& device, driver::directx::DescriptorHeap& heap) {
    return acquire(T::kSlotSize, T::kRootIndex, T::kTypeName, device, heap);
  }
  // Hands the slots out again from the first.
  void rewind() { used_ = 0; }
  // Releases and deletes every slot.
  void clear(driver::directx::DescriptorHeap& heap);

  std::size_t size() const { return slots_.size(); }
  std::size_t used() const { return used_; }
  // The n-th slot of the pool (handed out n-th in every frame), or null.
  ConstantSlot* slot(std::size_t index) const { return index < slots_.size() ? slots_[index] : nullptr; }

 private:
  std::vector<ConstantSlot*> slots_;
  std::size_t used_ = 0;
};

}  // namespace rk
