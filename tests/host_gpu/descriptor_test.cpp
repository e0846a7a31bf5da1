// Descriptor heaps: handle arithmetic, where views land, and handles that name
// nothing.
#include <gtest/gtest.h>

#include "gpu_rig.h"

namespace {

using namespace gpurig;

class Descriptors : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(rig.make(Driver::Trace)); }
  void TearDown() override { resetAdapterList(); }
  Ref<DescriptorHeap> heap(DescriptorHeapType type, std::uint32_t count, bool visible) {
    Ref<DescriptorHeap> h;
    EXPECT_EQ(rig.device->createDescriptorHeap(
                  {type, count, visible ? D3D12_DESCRIPTOR_HEAP_FLAG_SHADER_VISIBLE : D3D12_DESCRIPTOR_HEAP_FLAG_NONE}, &h),
              S_OK);
    return h;
  }
  Rig rig;
};

TEST_F(Descriptors, HandlesAreStartPlusIndexTimesIncrement) {
  struct Case {
    DescriptorHeapType type;
    bool visible;
  };
  const Case cases[] = {{D3D12_DESCRIPTOR_HEAP_TYPE_CBV_SRV_UAV, true},
                        {D3D12_DESCRIPTOR_HEAP_TYPE_CBV_SRV_UAV, false},
                        {D3D12_DESCRIPTOR_HEAP_TYPE_RTV, false},
                        {D3D12_DESCRIPTOR_HEAP_TYPE_DSV, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    Ref<DescriptorHeap> h = heap(c.type, 8224, c.visible);
    const std::uint32_t step = rig.device->getDescriptorHandleIncrementSize(c.type);
    ASSERT_GT(step, 0u);
    const CpuDescriptorHandle start = h->getCPUDescriptorHandleForHeapStart();
    EXPECT_LT(start.ptr + std::size_t{8224} * step, std::size_t{1} << 32) << "CPU handles fit 32 bits";
    EXPECT_EQ(start.offset(8223, step).ptr, start.ptr + 8223u * step);
    EXPECT_NE(h->slot(start.offset(8223, step)), nullptr);
    EXPECT_EQ(h->slot(start.offset(8224, step)), nullptr) << "one past the end";
    EXPECT_EQ(h->slot(CpuDescriptorHandle{start.ptr + step / 2}), nullptr) << "between two slots";
    if (c.visible) {
      const GpuDescriptorHandle gpu = h->getGPUDescriptorHandleForHeapStart();
      EXPECT_NE(gpu.ptr, 0u);
      EXPECT_NE(gpu.ptr, start.ptr);
      EXPECT_EQ(h->slot(gpu.offset(5, step)), h->slot(start.offset(5, step)));
    } else {
      EXPECT_EQ(h->getGPUDescriptorHandleForHeapStart().ptr, 0u);
    }
  }
}

TEST_F(Descriptors, LiveHeapsNeverShareHandlesAndFreedRangesAreReused) {
  Ref<DescriptorHeap> a = heap(D3D12_DESCRIPTOR_HEAP_TYPE_CBV_SRV_UAV, 100, true);
  Ref<DescriptorHeap> b = heap(D3D12_DESCRIPTOR_HEAP_TYPE_CBV_SRV_UAV, 100, true);
  const std::uint32_t step = descriptorIncrement(D3D12_DESCRIPTOR_HEAP_TYPE_CBV_SRV_UAV);
  const std::size_t aStart = a->getCPUDescriptorHandleForHeapStart().ptr, bStart = b->getCPUDescriptorHandleForHeapStart().ptr;
  EXPECT_TRUE(aStart + 100 * step <= bStart || bStart + 100 * step <= aStart);
  EXPECT_EQ(findDescriptor(b->getCPUDescriptorHandleForHeapStart()), b->slot(b->getCPUDescriptorHandleForHeapStart()));
  a.reset();
  Ref<DescriptorHeap> c = heap(D3D12_DESCRIPTOR_HEAP_TYPE_CBV_SRV_UAV, 50, true);
  EXPECT_EQ(c->getCPUDescriptorHandleForHeapStart().ptr, aStart);
  EXPECT_EQ(findDescriptor(CpuDescriptorHandle{aStart + 60 * step}), nullptr) << "past the smaller heap";
}

TEST_F(Descriptors, ViewsLandWhereTheirHandleSaysAndWrongHeapsAreIgnored) {
  Ref<DescriptorHeap> rtvs = heap(D3D12_DESCRIPTOR_HEAP_TYPE_RTV, 4, false);
  const std::uint32_t step = rig.device->getDescriptorHandleIncrementSize(D3D12_DESCRIPTOR_HEAP_TYPE_RTV);
  const CpuDescriptorHandle second = rtvs->getCPUDescriptorHandleForHeapStart().offset(1, step);
  rig.device->createRenderTargetView(rig.target.get(), nullptr, second);
  ASSERT_EQ(rtvs->slot(second)->kind, Descriptor::RenderTarget);
  EXPECT_EQ(rtvs->slot(second)->resource, rig.target->id());
  EXPECT_EQ(rtvs->slot(rtvs->getCPUDescriptorHandleForHeapStart())->kind, Descriptor::Empty);
  // A shader view written into a render-target heap is not Direct3D's either.
  rig.device->createShaderResourceView(rig.target.get(), nullptr, rtvs->getCPUDescriptorHandleForHeapStart());
  EXPECT_EQ(rtvs->slot(rtvs->getCPUDescriptorHandleForHeapStart())->kind, Descriptor::Empty);

  // A render-target range given by its first handle.
  rig.device->createRenderTargetView(rig.target.get(), nullptr, rtvs->getCPUDescriptorHandleForHeapStart());
  rig.begin(false);
  const CpuDescriptorHandle first = rtvs->getCPUDescriptorHandleForHeapStart();
  rig.list->omSetRenderTargets(2, &first, true, nullptr);
  rig.execute();
  const auto& targets = std::get<cmd::SetRenderTargets>(rig.device->trace()->entries.back().command).targets;
  EXPECT_EQ(targets, (std::vector<std::uint64_t>{rig.target->id(), rig.target->id()}));
}

TEST_F(Descriptors, AViewOfAReleasedTextureReadsAsNoTexture) {
  Ref<Resource> texture;
  HeapProperties heapProps;
  ASSERT_EQ(rig.device->createCommittedResource(heapProps, 0, ResourceDesc::texture2D(DXGI_FORMAT_R8G8B8A8_UNORM, 2, 2),
                                                D3D12_RESOURCE_STATE_PIXEL_SHADER_RESOURCE, nullptr, &texture),
            S_OK);
  rig.device->createShaderResourceView(texture.get(), nullptr, rig.srvHeap->getCPUDescriptorHandleForHeapStart());
  texture.reset();
  Ref<PipelineState> colour = rig.colourPipeline();
  rig.begin(false);
  rig.list->setPipelineState(colour.get());
  rig.list->setGraphicsRootDescriptorTable(6, rig.srvHeap->getGPUDescriptorHandleForHeapStart());
  rig.drawVertices(quad(0, 0, 1, 1, 0, 1, 1, 1), D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
  rig.execute();
  ASSERT_EQ(rig.device->trace()->draws.size(), 1u);
  EXPECT_EQ(rig.device->trace()->draws[0].texture, 0u);
  EXPECT_EQ(rig.device->trace()->draws[0].textureName, "");
}

}  // namespace
