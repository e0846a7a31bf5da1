// Inside the GPU layer only: what a back end does for the D3D12-shaped objects.
// The trace back end records; the GL back end draws.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "host/hresult.h"

namespace host::gpu {
class GraphicsCommandList;
class PipelineState;
class Resource;
class SwapChain;
class Trace;
}  // namespace host::gpu

namespace host::gpu::detail {

class Backend {
 public:
  virtual ~Backend() = default;
  virtual Trace* trace() { return nullptr; }

  // What the device's getDeviceRemovedReason answers; set by injected presents.
  HResult removedReason = S_OK;

  // A new texture gets its storage; a failure fails its creation.
  virtual HResult createTexture(Resource& texture) { return S_OK; }
  virtual void releaseResource(Resource& resource) {}
  // A new pipeline gets its program; `log` says why it could not.
  virtual HResult createPipeline(PipelineState& pipeline, std::string* log) { return S_OK; }
  virtual void releasePipeline(PipelineState& pipeline) {}

  virtual void execute(const GraphicsCommandList& list) = 0;
  // A completion object for the work issued so far; null when it is complete.
  virtual void* insertSync() { return nullptr; }
  // True when the work before `sync` has completed within the time.
  virtual bool waitSync(void* sync, std::uint64_t timeoutNs) { return true; }
  virtual void deleteSync(void* sync) {}
  // Shows `buffer` of the swap chain's window.
  virtual void present(SwapChain& swapChain, Resource& buffer, std::uint32_t syncInterval) = 0;
};

std::shared_ptr<Backend> makeTraceBackend();
// Null (with the reason in *error) when no GL context can be made.
std::shared_ptr<Backend> makeGlBackend(std::string* error);

}  // namespace host::gpu::detail
