// Reads a presented swap-chain back buffer of the device context out through
// a read-back heap: one 0xAABBGGRR word per pixel, top row first.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "host/gpu.h"
#include "kernel/rk_device_context.h"

namespace rktest {

// `presentBarriers`: the copy is wrapped in transitions from the present state
// to copy source and back. `width`, when given, receives the buffer's width.
inline std::vector<std::uint32_t> readBackBuffer(rk::DeviceContext& context, unsigned index,
                                                 bool presentBarriers = false, int* width = nullptr) {
  namespace gpu = host::gpu;
  gpu::Device* device = context.getDevice();
  gpu::Ref<gpu::Resource> target;
  EXPECT_EQ(context.swapChain()->getBuffer(index, &target), host::S_OK);
  const gpu::ResourceDesc desc = target->getDesc();
  gpu::PlacedSubresourceFootprint footprint;
  std::uint64_t total = 0;
  device->getCopyableFootprints(desc, 0, 1, 0, &footprint, nullptr, nullptr, &total);
  gpu::HeapProperties heap;
  heap.type = gpu::D3D12_HEAP_TYPE_READBACK;
  gpu::Ref<gpu::Resource> buffer;
  EXPECT_EQ(device->createCommittedResource(heap, 0, gpu::ResourceDesc::buffer(total),
                                            gpu::D3D12_RESOURCE_STATE_COPY_DEST, nullptr, &buffer),
            host::S_OK);
  gpu::Ref<gpu::CommandAllocator> allocator;
  gpu::Ref<gpu::GraphicsCommandList> list;
  EXPECT_EQ(device->createCommandAllocator(gpu::D3D12_COMMAND_LIST_TYPE_DIRECT, &allocator), host::S_OK);
  EXPECT_EQ(device->createCommandList(0, gpu::D3D12_COMMAND_LIST_TYPE_DIRECT, allocator.get(), nullptr, &list),
            host::S_OK);
  if (presentBarriers) {
    const gpu::ResourceBarrier toCopy = gpu::ResourceBarrier::makeTransition(
        target.get(), gpu::D3D12_RESOURCE_STATE_PRESENT, gpu::D3D12_RESOURCE_STATE_COPY_SOURCE);
    list->resourceBarrier(1, &toCopy);
  }
  gpu::TextureCopyLocation dst, src;
  dst.resource = buffer.get();
  dst.type = gpu::D3D12_TEXTURE_COPY_TYPE_PLACED_FOOTPRINT;
  dst.placedFootprint = footprint;
  src.resource = target.get();
  list->copyTextureRegion(&dst, 0, 0, 0, &src, nullptr);
  if (presentBarriers) {
    const gpu::ResourceBarrier back = gpu::ResourceBarrier::makeTransition(
        target.get(), gpu::D3D12_RESOURCE_STATE_COPY_SOURCE, gpu::D3D12_RESOURCE_STATE_PRESENT);
    list->resourceBarrier(1, &back);
  }
  EXPECT_EQ(list->close(), host::S_OK);
  gpu::GraphicsCommandList* lists[] = {list.get()};
  context.commandQueue()->executeCommandLists(1, lists);
  context.waitForGpu();
  void* mapped = nullptr;
  buffer->map(0, nullptr, &mapped);
  if (width) *width = static_cast<int>(desc.width);
  std::vector<std::uint32_t> pixels(desc.width * desc.height);
  for (std::uint32_t y = 0; y < desc.height; ++y)
    std::memcpy(&pixels[y * desc.width], static_cast<std::uint8_t*>(mapped) + y * footprint.footprint.rowPitch,
                desc.width * 4);
  return pixels;
}

}  // namespace rktest
