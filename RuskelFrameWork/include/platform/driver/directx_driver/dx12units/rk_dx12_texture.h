// The GPU side of a texture: the texture resource and its shader-resource view
// in a slot of the renderer's descriptor heap. It registers for device loss:
// the GPU texture goes with the device and is set up again from the file bytes.
#pragma once
#include <cstdint>

#include "gfx/rk_texture.h"
#include "host/gpu.h"
#include "kernel/rk_device_lost_recover_event.h"

namespace rk::gfx {

class RkTexture12 : public RkTexture, public IDeviceLostRecoverEvent {
 public:
  RkTexture12();
  ~RkTexture12() override;

  void getSize(std::uint32_t* width, std::uint32_t* height) const override;
  void onLost() override;
  void onRecover() override;

  host::gpu::Resource* resource() const { return texture_.get(); }
  host::gpu::Ref<host::gpu::Resource>& resourceRef() { return texture_; }
  // True once a shader-resource view exists; only then may it be bound.
  bool hasView() const { return slot_ != -1; }
  host::gpu::GpuDescriptorHandle gpuHandle() const { return {srv_gpu_}; }
  int slot() const { return slot_; }
  // Stores a fresh view slot (the caller made the view there).
  void setView(int slot, host::gpu::CpuDescriptorHandle cpu, host::gpu::GpuDescriptorHandle gpu);
  // Frees the view slot (when the heap still holds it) and forgets the handles.
  void releaseView(bool freeSlot);

 protected:
  void destroy() override;

 private:
  void releaseTexture();

  host::gpu::Ref<host::gpu::Resource> texture_;
  host::gpu::CpuDescriptorHandle srv_cpu_;
  std::uint64_t srv_gpu_ = 0;
  int slot_ = -1;
};

}  // namespace rk::gfx
