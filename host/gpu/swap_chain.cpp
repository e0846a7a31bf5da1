#include "host/gpu/swap_chain.h"

#include <algorithm>
#include <deque>

#include "host/gpu/backend.h"
#include "host/gpu/call_failure.h"
#include "host/memory.h"
#include "host/ui.h"

namespace host::gpu {
namespace {

// How often presenting hands freed memory back: often enough that the game
// does not stay at its busiest frames' size, seldom enough that the pages
// given back are not faulted in again every frame.
constexpr double kFreedMemorySeconds = 5.0;

struct InjectedPresent {
  HResult result;
  HResult removedReason;
};

std::deque<InjectedPresent>& injected() {
  static std::deque<InjectedPresent> queue;
  return queue;
}

}  // namespace

void injectPresentResult(HResult result, HResult removedReason) { injected().push_back({result, removedReason}); }
void clearInjectedPresentResults() { injected().clear(); }

SwapChain::SwapChain(std::shared_ptr<detail::Backend> backend, ui::Window* window, const SwapChainDesc1& desc)
    : backend_(std::move(backend)), window_(window), desc_(desc) {}

SwapChain::~SwapChain() = default;

HResult SwapChain::createBuffers() {
  buffers_.clear();
  HeapProperties heap;
  heap.type = D3D12_HEAP_TYPE_DEFAULT;
  const ResourceDesc desc =
      ResourceDesc::texture2D(desc_.format, desc_.width, desc_.height, 1, D3D12_RESOURCE_FLAG_ALLOW_RENDER_TARGET);
  for (std::uint32_t i = 0; i < desc_.bufferCount; ++i) {
    Ref<Resource> buffer = Ref<Resource>::adopt(new Resource(backend_, heap, desc, D3D12_RESOURCE_STATE_PRESENT));
    const HResult hr = backend_->createTexture(*buffer);
    if (failed(hr)) {
      buffers_.clear();
      return hr;
    }
    buffers_.push_back(buffer);
  }
  current_ = 0;
  return S_OK;
}

HResult SwapChain::getDesc1(SwapChainDesc1* desc) const {
  if (!desc) return E_INVALIDARG;
  *desc = desc_;
  return S_OK;
}

HResult SwapChain::getBuffer(std::uint32_t index, Ref<Resource>* buffer) {
  if (const HResult injected = detail::takeInjectedFailure(GpuCall::GetBuffer); failed(injected)) return injected;
  if (!buffer || index >= buffers_.size()) return DXGI_ERROR_INVALID_CALL;
  *buffer = buffers_[index];
  return S_OK;
}

HResult SwapChain::present(std::uint32_t syncInterval, std::uint32_t) {
  if (syncInterval > 4) return DXGI_ERROR_INVALID_CALL;
  ++presents_;
  HResult result = S_OK;
  if (!injected().empty()) {
    const InjectedPresent next = injected().front();
    injected().pop_front();
    result = next.result;
    if (result == DXGI_ERROR_DEVICE_REMOVED || result == DXGI_ERROR_DEVICE_RESET)
      backend_->removedReason = next.removedReason;
    if (failed(result)) return result;
  }
  // A removed device presents nothing any more.
  if (backend_->removedReason != S_OK) return DXGI_ERROR_DEVICE_REMOVED;
  if (buffers_.empty()) return DXGI_ERROR_INVALID_CALL;
  backend_->present(*this, *buffers_[current_], syncInterval);
  // Between frames is the time to hand what the frames freed (the driver's
  // per-frame buffers above all) back to the system.
  static memory::PeriodicRelease freedMemory(kFreedMemorySeconds);
  freedMemory.tick();
  current_ = (current_ + 1) % static_cast<std::uint32_t>(buffers_.size());
  return result;
}

bool SwapChain::isTraced() const { return backend_->trace() != nullptr; }

HResult SwapChain::resizeBuffers(std::uint32_t count, std::uint32_t width, std::uint32_t height, Format format,
                                 std::uint32_t) {
  for (const Ref<Resource>& buffer : buffers_)
    if (buffer->refCount() > 1) return DXGI_ERROR_INVALID_CALL;
  if (count != 0 && (count < 2 || count > 16)) return DXGI_ERROR_INVALID_CALL;
  if (format != DXGI_FORMAT_UNKNOWN && format != DXGI_FORMAT_R8G8B8A8_UNORM && format != DXGI_FORMAT_B8G8R8A8_UNORM)
    return DXGI_ERROR_INVALID_CALL;
  int w = 0, h = 0;
  ui::clientSize(window_, &w, &h);
  if (count) desc_.bufferCount = count;
  desc_.width = width ? width : static_cast<std::uint32_t>(std::max(w, 1));
  desc_.height = height ? height : static_cast<std::uint32_t>(std::max(h, 1));
  if (format != DXGI_FORMAT_UNKNOWN) desc_.format = format;
  return createBuffers();
}

}  // namespace host::gpu
