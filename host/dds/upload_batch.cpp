// The upload batch and texture creation from DDS bytes.
#include <algorithm>
#include <cstring>

#include "host/dds.h"

namespace host::dds {

using namespace host::gpu;

UploadBatch::UploadBatch(Device* device) : device_(Ref<Device>::share(device)) {}

UploadBatch::~UploadBatch() = default;

HResult UploadBatch::begin(CommandListType type) {
  if (!device_ || isRecording()) return E_UNEXPECTED;
  HResult hr = device_->createCommandAllocator(type, &allocator_);
  if (failed(hr)) return hr;
  hr = device_->createCommandList(0, type, allocator_.get(), nullptr, &list_);
  if (failed(hr)) return hr;
  list_->setName("upload batch");
  staging_.clear();
  return S_OK;
}

HResult UploadBatch::upload(Resource* resource, std::uint32_t firstSubresource, const SubresourceData* data,
                            std::uint32_t count) {
  if (!isRecording()) return E_UNEXPECTED;
  if (!resource || !data || count == 0 || firstSubresource + std::uint64_t{count} > resource->subresourceCount())
    return E_INVALIDARG;
  const ResourceDesc& desc = resource->getDesc();
  std::vector<PlacedSubresourceFootprint> layouts(count);
  std::vector<std::uint32_t> rows(count);
  std::vector<std::uint64_t> rowBytes(count);
  std::uint64_t total = 0;
  device_->getCopyableFootprints(desc, firstSubresource, count, 0, layouts.data(), rows.data(), rowBytes.data(),
                                 &total);
  for (std::uint32_t i = 0; i < count; ++i)
    if (!data[i].data || data[i].rowPitch < static_cast<std::int64_t>(rowBytes[i])) return E_INVALIDARG;
  HeapProperties heap;
  heap.type = D3D12_HEAP_TYPE_UPLOAD;
  Ref<Resource> staging;
  HResult hr = device_->createCommittedResource(heap, D3D12_HEAP_FLAG_NONE, ResourceDesc::buffer(total),
                                                D3D12_RESOURCE_STATE_GENERIC_READ, nullptr, &staging);
  if (failed(hr)) return hr;
  void* mapped = nullptr;
  hr = staging->map(0, nullptr, &mapped);
  if (failed(hr)) return hr;
  auto* out = static_cast<std::uint8_t*>(mapped);
  for (std::uint32_t i = 0; i < count; ++i) {
    const auto* in = static_cast<const std::uint8_t*>(data[i].data);
    for (std::uint32_t r = 0; r < rows[i]; ++r)
      std::memcpy(out + layouts[i].offset + std::uint64_t{r} * layouts[i].footprint.rowPitch,
                  in + static_cast<std::uint64_t>(data[i].rowPitch) * r, rowBytes[i]);
  }
  staging->unmap(0, nullptr);
  for (std::uint32_t i = 0; i < count; ++i) {
    TextureCopyLocation dst;
    dst.resource = resource;
    dst.type = D3D12_TEXTURE_COPY_TYPE_SUBRESOURCE_INDEX;
    dst.subresourceIndex = firstSubresource + i;
    TextureCopyLocation src;
    src.resource = staging.get();
    src.type = D3D12_TEXTURE_COPY_TYPE_PLACED_FOOTPRINT;
    src.placedFootprint = layouts[i];
    list_->copyTextureRegion(&dst, 0, 0, 0, &src, nullptr);
  }
  staging_.push_back(staging);
  return S_OK;
}

void UploadBatch::transition(Resource* resource, ResourceStates before, ResourceStates after) {
  if (!isRecording() || !resource) return;
  const ResourceBarrier barrier = ResourceBarrier::makeTransition(resource, before, after);
  list_->resourceBarrier(1, &barrier);
}

std::future<void> UploadBatch::end(CommandQueue* queue) {
  if (!isRecording() || !queue) return {};
  list_->close();
  GraphicsCommandList* lists[] = {list_.get()};
  queue->executeCommandLists(1, lists);
  Ref<Fence> fence;
  device_->createFence(0, D3D12_FENCE_FLAG_NONE, &fence);
  queue->signal(fence.get(), 1);
  std::vector<Ref<Resource>> staging = std::move(staging_);
  staging_.clear();
  list_.reset();
  allocator_.reset();
  return std::async(std::launch::deferred, [fence, staging]() mutable {
    if (fence->getCompletedValue() < 1) {
      Ref<Event> done = Event::create(false, false);
      fence->setEventOnCompletion(1, done.get());
      done->wait(INFINITE);
    }
    staging.clear();
  });
}

HResult createTextureFromMemory(Device* device, UploadBatch& batch, const std::uint8_t* data, std::size_t size,
                                Ref<Resource>* texture, std::size_t maxSize, ResourceFlags resourceFlags,
                                unsigned loadFlags) {
  if (!device || !texture) return E_INVALIDARG;
  if (!batch.isRecording()) return E_UNEXPECTED;
  Image image;
  HResult hr = parse(data, size, &image);
  if (failed(hr)) return hr;
  if (image.dimension != D3D12_RESOURCE_DIMENSION_TEXTURE2D || image.cube || image.arraySize != 1)
    return HR_ERROR_NOT_SUPPORTED;
  // Skip top mips larger than the limit, as long as smaller ones remain.
  const std::size_t limit = maxSize ? maxSize : D3D12_REQ_TEXTURE2D_U_OR_V_DIMENSION;
  std::uint32_t skip = 0;
  while (skip + 1 < image.mipCount &&
         (image.surfaces[skip].width > limit || image.surfaces[skip].height > limit))
    ++skip;
  if (image.surfaces[skip].width > limit || image.surfaces[skip].height > limit) return HR_ERROR_NOT_SUPPORTED;
  const Format format = (loadFlags & DDS_LOADER_FORCE_SRGB) ? toSrgb(image.format) : image.format;
  const std::uint32_t mips = image.mipCount - skip;
  HeapProperties heap;
  heap.type = D3D12_HEAP_TYPE_DEFAULT;
  const ResourceDesc desc = ResourceDesc::texture2D(format, image.surfaces[skip].width, image.surfaces[skip].height,
                                                    static_cast<std::uint16_t>(mips), resourceFlags);
  Ref<Resource> made;
  hr = device->createCommittedResource(heap, D3D12_HEAP_FLAG_NONE, desc, D3D12_RESOURCE_STATE_COPY_DEST, nullptr,
                                       &made);
  if (failed(hr)) return hr;
  std::vector<SubresourceData> subresources;
  for (std::uint32_t i = skip; i < image.mipCount; ++i) {
    const Surface& s = image.surfaces[i];
    subresources.push_back({data + s.offset, static_cast<std::int64_t>(s.rowBytes), static_cast<std::int64_t>(s.bytes)});
  }
  hr = batch.upload(made.get(), 0, subresources.data(), mips);
  if (failed(hr)) return hr;
  batch.transition(made.get(), D3D12_RESOURCE_STATE_COPY_DEST, D3D12_RESOURCE_STATE_PIXEL_SHADER_RESOURCE);
  *texture = made;
  return S_OK;
}

}  // namespace host::dds
