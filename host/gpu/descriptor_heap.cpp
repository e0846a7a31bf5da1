#include "host/gpu/descriptor_heap.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace host::gpu {
namespace {

// Handle ranges of the live heaps. CPU handles are placed first-fit from 64 KiB
// up and stay below 2^32; GPU handles of shader-visible heaps live at 2^40 and
// above, so the two kinds never look alike.
struct Registry {
  std::mutex mutex;
  std::map<std::size_t, DescriptorHeap*> cpu;   // start -> heap
  std::map<std::uint64_t, std::uint64_t> gpu;   // start -> end of taken GPU ranges
};

Registry& registry() {
  static Registry r;
  return r;
}

constexpr std::size_t kCpuBase = 0x10000;
constexpr std::uint64_t kGpuBase = std::uint64_t{1} << 40;
constexpr std::size_t kGap = 0x1000;  // between heaps: a handle one past the end names nothing

std::size_t heapBytes(const DescriptorHeapDesc& desc) {
  return std::size_t{desc.numDescriptors} * descriptorIncrement(desc.type);
}

}  // namespace

std::uint32_t descriptorIncrement(DescriptorHeapType type) {
  switch (type) {
    case D3D12_DESCRIPTOR_HEAP_TYPE_CBV_SRV_UAV: return 32;
    case D3D12_DESCRIPTOR_HEAP_TYPE_SAMPLER: return 32;
    case D3D12_DESCRIPTOR_HEAP_TYPE_RTV: return 32;
    case D3D12_DESCRIPTOR_HEAP_TYPE_DSV: return 8;
  }
  return 0;
}

DescriptorHeap::DescriptorHeap(const DescriptorHeapDesc& desc) : desc_(desc), slots_(desc.numDescriptors) {
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  const std::size_t bytes = heapBytes(desc_);
  std::size_t start = kCpuBase;
  for (const auto& [heapStart, heap] : r.cpu) {
    if (start + bytes + kGap <= heapStart) break;
    start = std::max(start, heapStart + heapBytes(heap->desc_) + kGap);
  }
  cpuStart_ = start;
  r.cpu[cpuStart_] = this;
  if (desc_.flags & D3D12_DESCRIPTOR_HEAP_FLAG_SHADER_VISIBLE) {
    std::uint64_t gpu = kGpuBase;
    for (const auto& [gpuStart, gpuEnd] : r.gpu) {
      if (gpu + bytes + kGap <= gpuStart) break;
      gpu = std::max<std::uint64_t>(gpu, gpuEnd + kGap);
    }
    gpuStart_ = gpu;
    r.gpu[gpuStart_] = gpuStart_ + bytes;
  }
}

DescriptorHeap::~DescriptorHeap() {
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.cpu.erase(cpuStart_);
  if (gpuStart_) r.gpu.erase(gpuStart_);
}

Descriptor* DescriptorHeap::slot(CpuDescriptorHandle handle) {
  const std::uint32_t step = descriptorIncrement(desc_.type);
  if (handle.ptr < cpuStart_ || step == 0) return nullptr;
  const std::size_t offset = handle.ptr - cpuStart_;
  if (offset % step != 0 || offset / step >= slots_.size()) return nullptr;
  return &slots_[offset / step];
}

const Descriptor* DescriptorHeap::slot(GpuDescriptorHandle handle) const {
  const std::uint32_t step = descriptorIncrement(desc_.type);
  if (gpuStart_ == 0 || handle.ptr < gpuStart_ || step == 0) return nullptr;
  const std::uint64_t offset = handle.ptr - gpuStart_;
  if (offset % step != 0 || offset / step >= slots_.size()) return nullptr;
  return &slots_[offset / step];
}

Descriptor* findDescriptor(CpuDescriptorHandle handle, DescriptorHeapType* type) {
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  auto it = r.cpu.upper_bound(handle.ptr);
  if (it == r.cpu.begin()) return nullptr;
  --it;
  Descriptor* d = it->second->slot(handle);
  if (d && type) *type = it->second->getDesc().type;
  return d;
}

}  // namespace host::gpu
