// Index buffers of 32-bit indices, and their delayed-release holder.
#pragma once
#include <cstdint>

#include "gfx/rk_gresource.h"
#include "policy/rk_counter_release.h"

namespace host::gpu { struct IndexBufferView; }

namespace rk::gfx {

class IndexBuffer : public GResource {
 public:
  virtual void push(std::uint32_t index) = 0;
  virtual std::uint32_t getCount() const = 0;
  // Replaces the array by `count` indices.
  virtual void setIndices(const std::uint32_t* indices, std::uint32_t count) = 0;
  virtual void clear() = 0;
  // The view the draw binds; null before the first build.
  virtual const host::gpu::IndexBufferView* view() const = 0;
};

class IndexBufferContainer : public policy::CounterReleaseContainer<IndexBuffer> {
 public:
  explicit IndexBufferContainer(IndexBuffer* buffer, int count = 1) : CounterReleaseContainer(buffer, count) {}
  void release() override;
};

}  // namespace rk::gfx
