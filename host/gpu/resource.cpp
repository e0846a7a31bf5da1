#include "host/gpu/resource.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <unordered_map>

#include "host/gpu/backend.h"
#include "host/gpu/format.h"

namespace host::gpu {
namespace {

// Live resources by id, and buffers by the address range they occupy. Addresses
// are handed out in 64 KiB steps from 4 GiB up, so no address is 0 and no
// buffer's range touches another's.
struct Registry {
  std::mutex mutex;
  std::uint64_t nextId = 1;
  GpuVirtualAddress nextAddress = GpuVirtualAddress{1} << 32;
  std::unordered_map<std::uint64_t, Resource*> byId;
  std::map<GpuVirtualAddress, Resource*> byAddress;
};

Registry& registry() {
  static Registry r;
  return r;
}

constexpr GpuVirtualAddress kAddressStep = 0x10000;

}  // namespace

Resource::Resource(std::shared_ptr<detail::Backend> backend, const HeapProperties& heap, const ResourceDesc& desc,
                   ResourceStates initialState)
    : backend_(std::move(backend)), heap_(heap), desc_(desc), state_(initialState) {
  if (desc_.dimension != D3D12_RESOURCE_DIMENSION_BUFFER && desc_.mipLevels == 0)
    desc_.mipLevels = fullMipCount(desc_.width, desc_.height);
  if (desc_.dimension == D3D12_RESOURCE_DIMENSION_BUFFER) bytes_.assign(desc_.width, 0);

  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  id_ = r.nextId++;
  r.byId[id_] = this;
  if (desc_.dimension == D3D12_RESOURCE_DIMENSION_BUFFER) {
    address_ = r.nextAddress;
    r.nextAddress += (desc_.width + kAddressStep - 1) / kAddressStep * kAddressStep + kAddressStep;
    r.byAddress[address_] = this;
  }
}

Resource::~Resource() {
  if (backend_) backend_->releaseResource(*this);
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.byId.erase(id_);
  if (address_) r.byAddress.erase(address_);
}

HResult Resource::map(std::uint32_t subresource, const Range*, void** data) {
  const bool mappable = heap_.type == D3D12_HEAP_TYPE_UPLOAD || heap_.type == D3D12_HEAP_TYPE_READBACK;
  if (!mappable || desc_.dimension != D3D12_RESOURCE_DIMENSION_BUFFER || subresource != 0) return E_INVALIDARG;
  if (data) *data = bytes_.data();
  return S_OK;
}

void Resource::unmap(std::uint32_t, const Range*) {}

std::uint32_t Resource::subresourceCount() const {
  if (desc_.dimension == D3D12_RESOURCE_DIMENSION_BUFFER) return 1;
  return std::uint32_t{desc_.mipLevels} * desc_.depthOrArraySize;
}

std::vector<std::uint8_t>& Resource::subresourceBytes(std::uint32_t subresource) {
  if (subresources_.size() < subresourceCount()) subresources_.resize(subresourceCount());
  std::vector<std::uint8_t>& bytes = subresources_.at(subresource);
  if (bytes.empty()) {
    const std::uint32_t mip = subresource % desc_.mipLevels;
    const std::uint32_t w = std::max<std::uint32_t>(1, static_cast<std::uint32_t>(desc_.width >> mip));
    const std::uint32_t h = std::max<std::uint32_t>(1, desc_.height >> mip);
    std::uint64_t row = 0;
    std::uint32_t rows = 0;
    if (surfaceLayout(desc_.format, w, h, &row, &rows)) bytes.assign(row * rows, 0);
  }
  return bytes;
}

Resource* findBufferByAddress(GpuVirtualAddress address, std::uint64_t* offset) {
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  auto it = r.byAddress.upper_bound(address);
  if (it == r.byAddress.begin()) return nullptr;
  --it;
  Resource* buffer = it->second;
  const std::uint64_t inside = address - it->first;
  if (inside >= buffer->bufferBytes().size()) return nullptr;
  if (offset) *offset = inside;
  return buffer;
}

Resource* findResource(std::uint64_t id) {
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  auto it = r.byId.find(id);
  return it == r.byId.end() ? nullptr : it->second;
}

}  // namespace host::gpu
