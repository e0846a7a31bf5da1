#include "platform/driver/directx_driver/rk_descriptor_heap.h"

#include <string>

#include "kernel/rk_error_log.h"

namespace rk::driver::directx {

namespace {
constexpr const char* kSource = "src/platform/driver/directx_driver/rk_descriptor_heap";
}

host::HResult DescriptorHeap::init(host::gpu::Device* device, host::gpu::DescriptorHeapType type, bool shaderVisible,
                                   std::uint32_t capacity) {
  device_ = device;
  type_ = type;
  flags_ = shaderVisible ? host::gpu::D3D12_DESCRIPTOR_HEAP_FLAG_SHADER_VISIBLE
                         : host::gpu::D3D12_DESCRIPTOR_HEAP_FLAG_NONE;
  capacity_ = capacity;
  slots_.clear();
  const host::gpu::DescriptorHeapDesc desc{type_, capacity_, flags_, 0};
  const host::HResult hr = device ? device->createDescriptorHeap(desc, &heap_) : host::E_POINTER;
  if (host::failed(hr)) {
    std::string text, caption;
    debug::showErrorCodeMessage(text, caption, hr, kSource, 46);
    if (hr == host::DXGI_ERROR_DEVICE_REMOVED && device)
      debug::showErrorCodeMessage(text, caption, device->getDeviceRemovedReason(), kSource, 49);
  }
  return hr;
}

void DescriptorHeap::release() {
  heap_.reset();
  slots_.clear();
  device_ = nullptr;
}

int DescriptorHeap::alllocSlot() {
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    if (!slots_[i].used) {
      slots_[i].used = true;
      return static_cast<int>(i);
    }
  }
  if (slots_.size() + 1 >= capacity_)
    debug::writeErrorLog(kSource, 78, "rk::driver::directx::DescriptorHeap::alllocSlot");
  if (!heap_ || slots_.size() >= capacity_) return kNoSlot;
  const std::uint32_t increment = device_->getDescriptorHandleIncrementSize(type_);
  const int index = static_cast<int>(slots_.size());
  Slot slot;
  slot.used = true;
  slot.cpu = heap_->getCPUDescriptorHandleForHeapStart().offset(index, increment);
  slot.gpu = heap_->getGPUDescriptorHandleForHeapStart().offset(index, increment);
  slots_.push_back(slot);
  return index;
}

void DescriptorHeap::freeSlot(int index) {
  if (index >= 0 && static_cast<std::size_t>(index) < slots_.size()) slots_[index].used = false;
}

bool DescriptorHeap::isUsed(int index) const {
  return index >= 0 && static_cast<std::size_t>(index) < slots_.size() && slots_[index].used;
}

host::gpu::CpuDescriptorHandle DescriptorHeap::getCPUHandle(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= slots_.size()) {
    debug::writeErrorLog(kSource, 101, "rk::driver::directx::DescriptorHeap::getCPUHandle");
    return {};
  }
  return slots_[index].cpu;
}

host::gpu::GpuDescriptorHandle DescriptorHeap::getGPUHandle(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= slots_.size()) {
    debug::writeErrorLog(kSource, 110, "rk::driver::directx::DescriptorHeap::getGPUHandle");
    return {};
  }
  return slots_[index].gpu;
}

}  // namespace rk::driver::directx
