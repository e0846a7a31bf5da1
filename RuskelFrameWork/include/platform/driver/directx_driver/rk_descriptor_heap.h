// The one shader-visible descriptor heap of the renderer, handed out one slot
// at a time. Slot i always describes descriptor i; slots are never removed,
// only marked free, and the lowest free slot is reused first.
#pragma once
#include <cstdint>
#include <vector>

#include "host/gpu.h"

namespace rk::driver::directx {

class DescriptorHeap {
 public:
  // What alllocSlot returns when every descriptor of the heap is in use.
  static constexpr int kNoSlot = -1;

  DescriptorHeap() = default;
  DescriptorHeap(const DescriptorHeap&) = delete;
  DescriptorHeap& operator=(const DescriptorHeap&) = delete;

  // Creates the heap. A failure is shown in an error box (with the device's
  // removed reason when the device is gone) and returned.
  host::HResult init(host::gpu::Device* device, host::gpu::DescriptorHeapType type, bool shaderVisible,
                     std::uint32_t capacity);
  // Releases the heap and forgets every slot.
  void release();

  // The lowest free slot, marked used. The last descriptor is reported when it
  // is handed out; a full heap gives kNoSlot rather than a place outside it.
  int alllocSlot();
  // Marks a slot free again.
  void freeSlot(int index);

  host::gpu::CpuDescriptorHandle getCPUHandle(int index) const;
  host::gpu::GpuDescriptorHandle getGPUHandle(int index) const;

  host::gpu::DescriptorHeap* heap() const { return heap_.get(); }
  std::uint32_t capacity() const { return capacity_; }
  std::size_t slotCount() const { return slots_.size(); }
  bool isUsed(int index) const;

 private:
  struct Slot {
    bool used = false;
    host::gpu::CpuDescriptorHandle cpu;
    host::gpu::GpuDescriptorHandle gpu;
  };

  host::gpu::Ref<host::gpu::DescriptorHeap> heap_;
  host::gpu::DescriptorHeapType type_ = host::gpu::D3D12_DESCRIPTOR_HEAP_TYPE_CBV_SRV_UAV;
  host::gpu::DescriptorHeapFlags flags_ = host::gpu::D3D12_DESCRIPTOR_HEAP_FLAG_SHADER_VISIBLE;
  host::gpu::Device* device_ = nullptr;
  std::uint32_t capacity_ = 0;
  std::vector<Slot> slots_;
};

}  // namespace rk::driver::directx
