// Shared by the device context's source files: the source name its reports
// carry, the constant pools by layout, and the throw-if-failed form that names
// the failing call as the renderer writes it.
#pragma once
#include "kernel/rk_device_context.h"
#include "kernel/rk_hr_exception.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_constants.h"

namespace rk::device_context_detail {

constexpr const char* kSource = "src/kernel/rk_device_context";

// The pool of each constant layout.
template <class T>
constexpr int poolOf();
template <>
constexpr int poolOf<driver::directx::directx12::DX12World>() { return DeviceContext::kWorldPool; }
template <>
constexpr int poolOf<driver::directx::directx12::DX12Material>() { return DeviceContext::kMaterialPool; }
template <>
constexpr int poolOf<driver::directx::directx12::DX12Ambient>() { return DeviceContext::kAmbientPool; }
template <>
constexpr int poolOf<driver::directx::directx12::DX12Camera>() { return DeviceContext::kCameraPool; }
template <>
constexpr int poolOf<driver::directx::directx12::DX12DirectionalLight>() { return DeviceContext::kLightPool; }
template <>
constexpr int poolOf<driver::directx::directx12::DX12FOGInfo>() { return DeviceContext::kFogPool; }

// Throws HrException for a failed call, naming it by `text`.
inline void check(host::HResult hr, int line, const wchar_t* text) { throwIfFailed(hr, kSource, line, text); }

}  // namespace rk::device_context_detail

namespace rk {

template <class T>
ConstantSlot* DeviceContext::acquireSlot() {
  ConstantSlotPool& pool = constant_pools_[device_context_detail::poolOf<T>()][current_frame_];
  return pool.acquire(T::kSlotSize, T::kRootIndex, T::kTypeName, *device_, desc_heap_);
}

}  // namespace rk
