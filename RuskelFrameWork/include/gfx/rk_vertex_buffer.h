// Vertex buffers of the three vertex formats, and their delayed-release holder.
// Kind 0: position and colour (28 bytes); kind 1: position, colour and u, v
// (36 bytes); kind 2: model vertices (44 bytes) read from the owner's memory.
// Operations that do not apply to a format do nothing (or return E_FAIL).
#pragma once
#include <cstddef>
#include <cstdint>

#include "gfx/rk_color.h"
#include "gfx/rk_gresource.h"
#include "host/hresult.h"
#include "policy/rk_counter_release.h"

namespace host::gpu { struct VertexBufferView; }

namespace rk::gfx {

enum VertexKind : int {
  VERTEX_KIND_POSITION_COLOR = 0,
  VERTEX_KIND_POSITION_COLOR_UV = 1,
  VERTEX_KIND_MODEL_VERTEX = 2,
};

class VertexBuffer : public GResource {
 public:
  virtual int getKind() const = 0;
  // The current vertex, which pushVertex appends.
  virtual void setPosition(float x, float y, float z) = 0;
  virtual void setColor(const Color& color) = 0;
  virtual void setUV(float u, float v) = 0;
  virtual void pushVertex() = 0;
  virtual std::uint32_t getVertexCount() const = 0;
  // Empties the CPU array.
  virtual void clear() = 0;
  // Model vertices: the owner's data (not copied; it must outlive the buffer).
  virtual void setData(const void* data, std::size_t bytes) = 0;
  // Rewrites the GPU buffer from the CPU array (builds it when missing).
  virtual host::HResult copyToGpu() = 0;
  // Model vertices: rewrites the GPU buffer from `source`.
  virtual host::HResult copy(const void* source, std::size_t bytes) = 0;
  // The view the draw binds; null before the first build.
  virtual const host::gpu::VertexBufferView* view() const = 0;
};

// Holds one reference of its payload until the delayed release drops it.
class VertexBufferContainer : public policy::CounterReleaseContainer<VertexBuffer> {
 public:
  explicit VertexBufferContainer(VertexBuffer* buffer, int count = 1)
      : CounterReleaseContainer(buffer, count) {}
  void release() override;
};

}  // namespace rk::gfx
