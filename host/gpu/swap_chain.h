// The swap chain of the game window (IDXGISwapChain3, flip model). Its buffers
// are render-target textures; present shows the current one, stretched to the
// window, and moves on to the next. On a window that GL cannot draw into (SDL's
// offscreen driver, or no video) present shows nothing but still flips.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "host/gpu/descs.h"
#include "host/gpu/object.h"
#include "host/gpu/resource.h"
#include "host/hresult.h"

namespace host::ui {
class Window;
}

namespace host::gpu {

namespace detail {
class Backend;
}

class SwapChain : public Object {
 public:
  SwapChain(std::shared_ptr<detail::Backend> backend, ui::Window* window, const SwapChainDesc1& desc);
  ~SwapChain() override;

  // Creates the buffers; the factory calls it once.
  HResult createBuffers();
  HResult getDesc1(SwapChainDesc1* desc) const;
  HResult getBuffer(std::uint32_t index, Ref<Resource>* buffer);
  std::uint32_t getCurrentBackBufferIndex() const { return current_; }
  // S_OK, or the next injected result (injectPresentResult), or a failure for a
  // sync interval above 4.
  HResult present(std::uint32_t syncInterval, std::uint32_t flags);
  // count 0 keeps the count, width/height 0 take the window's client size,
  // UNKNOWN keeps the format. DXGI_ERROR_INVALID_CALL while anyone else still
  // holds a buffer.
  HResult resizeBuffers(std::uint32_t count, std::uint32_t width, std::uint32_t height, Format format,
                        std::uint32_t flags);

  ui::Window* window() const { return window_; }
  std::uint32_t presentCount() const { return presents_; }
  // True on the trace back end, whose presents are only recorded (tests):
  // nothing needs to be paced to a display there.
  bool isTraced() const;

 private:
  std::shared_ptr<detail::Backend> backend_;
  ui::Window* window_;
  SwapChainDesc1 desc_;
  std::vector<Ref<Resource>> buffers_;
  std::uint32_t current_ = 0;
  std::uint32_t presents_ = 0;
};

// Test hook: the next presents (of any swap chain) return these results, in
// order. A DXGI_ERROR_DEVICE_REMOVED or _RESET result marks the device removed
// with `removedReason` (what getDeviceRemovedReason answers from then on).
void injectPresentResult(HResult result, HResult removedReason = DXGI_ERROR_DEVICE_REMOVED);
void clearInjectedPresentResults();

}  // namespace host::gpu
