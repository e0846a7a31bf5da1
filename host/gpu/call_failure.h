// Test hook: makes chosen calls of the GPU layer fail with a chosen result, so
// that the failure paths of their callers can run. Each injection fires once,
// on the (skip + 1)-th call of its kind made after it was injected.
#pragma once
#include "host/hresult.h"

namespace host::gpu {

enum class GpuCall {
  CreateFactory,
  RegisterAdaptersChangedEvent,
  GetDesc1,
  CreateSwapChain,
  GetBuffer,
  CreateCommandQueue,
  CreateCommandAllocator,
  CreateCommandList,
  CloseCommandList,
  ResetCommandList,
  ResetCommandAllocator,
  CreateDescriptorHeap,
  CreateCommittedResource,
  CreateFence,
  SerializeRootSignature,
  CreateRootSignature,
  CreateGraphicsPipelineState,
  CreateBlob,
  Signal,
  SetEventOnCompletion,
};

void injectCallFailure(GpuCall call, HResult result, unsigned skip = 0);
void clearInjectedCallFailures();

namespace detail {
// S_OK, or the result of an injection that fires on this call.
HResult takeInjectedFailure(GpuCall call);
}  // namespace detail

}  // namespace host::gpu
