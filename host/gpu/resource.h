// GPU resources: buffers and 2-D textures (ID3D12Resource). Buffers live in CPU
// memory in both back ends; upload and readback buffers map persistently.
// Textures keep their bytes in the trace back end and a GL texture in the GL one.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "host/gpu/descs.h"
#include "host/gpu/object.h"
#include "host/hresult.h"

namespace host::gpu {

namespace detail {
class Backend;
}

class Resource : public Object {
 public:
  Resource(std::shared_ptr<detail::Backend> backend, const HeapProperties& heap, const ResourceDesc& desc,
           ResourceStates initialState);
  ~Resource() override;

  // The description, with a texture's mip count 0 resolved to the full chain.
  const ResourceDesc& getDesc() const { return desc_; }
  HeapType heapType() const { return heap_.type; }
  // Buffers only (0 for a texture): the address views and root constants use.
  GpuVirtualAddress getGPUVirtualAddress() const { return address_; }
  // Upload and readback buffers only: a pointer to the whole buffer, valid until
  // the resource dies (mapping is persistent, as on an upload heap).
  HResult map(std::uint32_t subresource, const Range* readRange, void** data);
  void unmap(std::uint32_t subresource, const Range* writtenRange);

  // Unique for the life of the process; commands name resources by it.
  std::uint64_t id() const { return id_; }
  // The state the last executed barrier left (the initial state before any).
  ResourceStates trackedState() const { return state_; }
  std::uint32_t subresourceCount() const;

  // --- for the back ends ---
  std::vector<std::uint8_t>& bufferBytes() { return bytes_; }
  // Trace back end: the tightly packed bytes of each subresource, made on demand.
  std::vector<std::uint8_t>& subresourceBytes(std::uint32_t subresource);
  void setTrackedState(ResourceStates state) { state_ = state; }
  std::uint32_t glName = 0;  // GL texture name (GL back end)

 private:
  std::shared_ptr<detail::Backend> backend_;
  HeapProperties heap_;
  ResourceDesc desc_;
  ResourceStates state_;
  std::uint64_t id_;
  GpuVirtualAddress address_ = 0;
  std::vector<std::uint8_t> bytes_;
  std::vector<std::vector<std::uint8_t>> subresources_;
};

// Resolves an address to the buffer that holds it and the offset inside, or null.
Resource* findBufferByAddress(GpuVirtualAddress address, std::uint64_t* offset);
// The live resource with that id, or null.
Resource* findResource(std::uint64_t id);

}  // namespace host::gpu
