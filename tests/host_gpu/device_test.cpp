// Adapters, device creation per feature level, and what the device refuses:
// resources, root signatures and pipeline states that Direct3D would not make.
#include <gtest/gtest.h>

#include "gpu_rig.h"

namespace {

using namespace gpurig;
using host::DXGI_ERROR_NOT_FOUND;
using host::DXGI_ERROR_UNSUPPORTED;
using host::E_OUTOFMEMORY;

class Adapters : public ::testing::Test {
 protected:
  void TearDown() override { resetAdapterList(); }
};

std::u16string describe(Adapter* adapter) {
  AdapterDesc1 d;
  adapter->getDesc1(&d);
  return std::u16string(d.description);
}

TEST_F(Adapters, EnumerationFollowsThePreference) {
  AdapterList list;
  AdapterProfile slow = makeAdapter(u"slow", Driver::Trace), fast = makeAdapter(u"fast", Driver::Trace),
              middle = makeAdapter(u"middle", Driver::Trace);
  slow.performance = 0;
  fast.performance = 10;
  middle.performance = 5;
  list.adapters = {slow, fast, middle};
  setAdapterList(list);
  Ref<Factory> factory;
  ASSERT_EQ(createFactory(0, &factory), S_OK);
  struct Case {
    GpuPreference preference;
    std::vector<std::u16string> order;
  };
  const Case cases[] = {
      {DXGI_GPU_PREFERENCE_HIGH_PERFORMANCE, {u"fast", u"middle", u"slow"}},
      {DXGI_GPU_PREFERENCE_MINIMUM_POWER, {u"slow", u"middle", u"fast"}},
      {DXGI_GPU_PREFERENCE_UNSPECIFIED, {u"slow", u"fast", u"middle"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.preference);
    std::vector<std::u16string> seen;
    Ref<Adapter> adapter;
    for (std::uint32_t i = 0; factory->enumAdapterByGpuPreference(i, c.preference, &adapter) != DXGI_ERROR_NOT_FOUND; ++i)
      seen.push_back(describe(adapter.get()));
    EXPECT_EQ(seen, c.order);
  }
  std::uint32_t cookie = 0;
  Ref<Event> changed = Event::create(false, false);
  EXPECT_EQ(factory->registerAdaptersChangedEvent(changed.get(), &cookie), S_OK);
  EXPECT_EQ(factory->unregisterAdaptersChangedEvent(cookie), S_OK);
  EXPECT_EQ(factory->unregisterAdaptersChangedEvent(cookie), DXGI_ERROR_NOT_FOUND);
}

TEST_F(Adapters, DevicesAreMadeAtTheLevelsAnAdapterSupports) {
  AdapterList list;
  list.adapters = {makeAdapter(u"11.1 only", Driver::Trace, D3D_FEATURE_LEVEL_11_1),
                   makeAdapter(u"nothing", Driver::Trace, kNoFeatureLevel)};
  list.defaultAdapter = makeAdapter(u"default", Driver::Trace, D3D_FEATURE_LEVEL_12_1, 42);
  setAdapterList(list);
  Ref<Factory> factory;
  createFactory(0, &factory);
  Ref<Adapter> limited, broken;
  factory->enumAdapters1(0, &limited);
  factory->enumAdapters1(1, &broken);
  struct Case {
    Adapter* adapter;
    FeatureLevel level;
    HResult expected;
  };
  const Case cases[] = {
      {limited.get(), D3D_FEATURE_LEVEL_12_1, DXGI_ERROR_UNSUPPORTED},
      {limited.get(), D3D_FEATURE_LEVEL_12_0, DXGI_ERROR_UNSUPPORTED},
      {limited.get(), D3D_FEATURE_LEVEL_11_1, S_OK},
      {limited.get(), D3D_FEATURE_LEVEL_11_0, S_OK},
      {broken.get(), D3D_FEATURE_LEVEL_11_0, DXGI_ERROR_UNSUPPORTED},
      {nullptr, D3D_FEATURE_LEVEL_12_1, S_OK},
      {limited.get(), static_cast<FeatureLevel>(0x9300), E_INVALIDARG},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.level);
    EXPECT_EQ(createDevice(c.adapter, c.level, nullptr), c.expected == S_OK ? S_FALSE : c.expected) << "trial";
    Ref<Device> device;
    EXPECT_EQ(createDevice(c.adapter, c.level, &device), c.expected);
    EXPECT_EQ(bool(device), c.expected == S_OK);
    if (device) {
      EXPECT_EQ(device->featureLevel(), c.level);
    }
  }
  Ref<Device> onDefault;
  ASSERT_EQ(createDevice(nullptr, D3D_FEATURE_LEVEL_11_0, &onDefault), S_OK);
  EXPECT_EQ(onDefault->getAdapterLuid().lowPart, 42u);
}

class DeviceRules : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(rig.make(Driver::Trace)); }
  void TearDown() override { resetAdapterList(); }
  Rig rig;
};

TEST_F(DeviceRules, CommittedResourcesAreCheckedAsDirect3DChecksThem) {
  HeapProperties upload, readback, defaults;
  upload.type = D3D12_HEAP_TYPE_UPLOAD;
  readback.type = D3D12_HEAP_TYPE_READBACK;
  ResourceDesc rowMajorTexture = ResourceDesc::texture2D(DXGI_FORMAT_R8G8B8A8_UNORM, 4, 4);
  ResourceDesc unknownLayoutBuffer = ResourceDesc::buffer(256);
  unknownLayoutBuffer.layout = D3D12_TEXTURE_LAYOUT_UNKNOWN;
  struct Case {
    const char* name;
    HeapProperties heap;
    ResourceDesc desc;
    ResourceStates state;
    HResult expected;
  };
  const Case cases[] = {
      {"upload buffer", upload, ResourceDesc::buffer(300), D3D12_RESOURCE_STATE_GENERIC_READ, S_OK},
      {"empty buffer", upload, ResourceDesc::buffer(0), D3D12_RESOURCE_STATE_GENERIC_READ, E_INVALIDARG},
      {"upload buffer written as copy target", upload, ResourceDesc::buffer(256), D3D12_RESOURCE_STATE_COPY_DEST,
       E_INVALIDARG},
      {"readback buffer", readback, ResourceDesc::buffer(256), D3D12_RESOURCE_STATE_COPY_DEST, S_OK},
      {"readback buffer read generically", readback, ResourceDesc::buffer(256), D3D12_RESOURCE_STATE_GENERIC_READ,
       E_INVALIDARG},
      {"buffer without row-major layout", upload, unknownLayoutBuffer, D3D12_RESOURCE_STATE_GENERIC_READ, E_INVALIDARG},
      {"huge buffer", upload, ResourceDesc::buffer(std::uint64_t{1} << 40), D3D12_RESOURCE_STATE_GENERIC_READ,
       E_OUTOFMEMORY},
      {"texture", defaults, rowMajorTexture, D3D12_RESOURCE_STATE_COMMON, S_OK},
      {"texture on an upload heap", upload, rowMajorTexture, D3D12_RESOURCE_STATE_GENERIC_READ, E_INVALIDARG},
      {"texture of unknown format", defaults, ResourceDesc::texture2D(static_cast<Format>(1), 4, 4),
       D3D12_RESOURCE_STATE_COMMON, E_INVALIDARG},
      {"block-compressed render target", defaults,
       ResourceDesc::texture2D(DXGI_FORMAT_BC1_UNORM, 4, 4, 1, D3D12_RESOURCE_FLAG_ALLOW_RENDER_TARGET),
       D3D12_RESOURCE_STATE_COMMON, E_INVALIDARG},
      {"depth format without the depth flag", defaults, ResourceDesc::texture2D(DXGI_FORMAT_D24_UNORM_S8_UINT, 4, 4),
       D3D12_RESOURCE_STATE_COMMON, E_INVALIDARG},
      {"more mips than the chain", defaults, ResourceDesc::texture2D(DXGI_FORMAT_R8G8B8A8_UNORM, 4, 4, 4),
       D3D12_RESOURCE_STATE_COMMON, E_INVALIDARG},
      {"wider than 16384", defaults, ResourceDesc::texture2D(DXGI_FORMAT_R8G8B8A8_UNORM, 16385, 4),
       D3D12_RESOURCE_STATE_COMMON, E_INVALIDARG},
      {"volume", defaults, [] {
         ResourceDesc d = ResourceDesc::texture2D(DXGI_FORMAT_R8G8B8A8_UNORM, 4, 4);
         d.dimension = D3D12_RESOURCE_DIMENSION_TEXTURE3D;
         return d;
       }(), D3D12_RESOURCE_STATE_COMMON, E_NOTIMPL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Ref<Resource> r;
    EXPECT_EQ(rig.device->createCommittedResource(c.heap, 0, c.desc, c.state, nullptr, &r), c.expected);
    EXPECT_EQ(bool(r), c.expected == S_OK);
  }
}

TEST_F(DeviceRules, OnlyCpuVisibleBuffersMapAndTheirAddressesResolve) {
  HeapProperties upload, defaults;
  upload.type = D3D12_HEAP_TYPE_UPLOAD;
  Ref<Resource> a, b, gpuOnly, texture;
  ASSERT_EQ(rig.device->createCommittedResource(upload, 0, ResourceDesc::buffer(300), D3D12_RESOURCE_STATE_GENERIC_READ,
                                                nullptr, &a),
            S_OK);
  ASSERT_EQ(rig.device->createCommittedResource(upload, 0, ResourceDesc::buffer(256), D3D12_RESOURCE_STATE_GENERIC_READ,
                                                nullptr, &b),
            S_OK);
  ASSERT_EQ(rig.device->createCommittedResource(defaults, 0, ResourceDesc::buffer(256), D3D12_RESOURCE_STATE_COMMON,
                                                nullptr, &gpuOnly),
            S_OK);
  ASSERT_EQ(rig.device->createCommittedResource(defaults, 0, ResourceDesc::texture2D(DXGI_FORMAT_R8G8B8A8_UNORM, 8, 8, 0),
                                                D3D12_RESOURCE_STATE_COMMON, nullptr, &texture),
            S_OK);
  void* p = nullptr;
  EXPECT_EQ(a->map(0, nullptr, &p), S_OK);
  EXPECT_EQ(gpuOnly->map(0, nullptr, &p), E_INVALIDARG);
  EXPECT_EQ(texture->map(0, nullptr, &p), E_INVALIDARG);
  EXPECT_EQ(texture->getDesc().mipLevels, 4) << "mip count 0 is the full chain";
  EXPECT_EQ(texture->getGPUVirtualAddress(), 0u);
  std::uint64_t offset = 0;
  EXPECT_EQ(findBufferByAddress(a->getGPUVirtualAddress() + 299, &offset), a.get());
  EXPECT_EQ(offset, 299u);
  EXPECT_EQ(findBufferByAddress(a->getGPUVirtualAddress() + 300, &offset), nullptr) << "past the end";
  const GpuVirtualAddress gone = b->getGPUVirtualAddress();
  b.reset();
  EXPECT_EQ(findBufferByAddress(gone, &offset), nullptr);
}

RootSignatureDesc frameworkDesc(RootParameter (&params)[7], DescriptorRange& range, StaticSamplerDesc& sampler) {
  for (std::uint32_t i = 0; i < 6; ++i) {
    params[i].parameterType = D3D12_ROOT_PARAMETER_TYPE_CBV;
    params[i].descriptor.shaderRegister = i;
  }
  params[6].parameterType = D3D12_ROOT_PARAMETER_TYPE_DESCRIPTOR_TABLE;
  params[6].descriptorTable = {1, &range};
  params[6].shaderVisibility = D3D12_SHADER_VISIBILITY_PIXEL;
  sampler.addressU = sampler.addressV = D3D12_TEXTURE_ADDRESS_MODE_MIRROR;
  sampler.minLod = -D3D12_FLOAT32_MAX;
  return RootSignatureDesc{7, params, 1, &sampler, 0x1D};
}

TEST_F(DeviceRules, RootSignaturesSurviveSerialisationAndCorruptBlobsAreRefused) {
  RootParameter params[7];
  DescriptorRange range;
  StaticSamplerDesc sampler;
  const RootSignatureDesc desc = frameworkDesc(params, range, sampler);
  Ref<Blob> blob, error;
  ASSERT_EQ(serializeRootSignature(desc, D3D_ROOT_SIGNATURE_VERSION_1, &blob, &error), S_OK);
  Ref<RootSignature> signature;
  ASSERT_EQ(rig.device->createRootSignature(0, blob->getBufferPointer(), blob->getBufferSize(), &signature), S_OK);
  EXPECT_EQ(signature->flags(), 0x1Du);
  ASSERT_EQ(signature->parameters().size(), 7u);
  EXPECT_EQ(signature->parameters()[5].shaderRegister, 5u);
  ASSERT_EQ(signature->parameters()[6].ranges.size(), 1u);
  EXPECT_EQ(signature->parameters()[6].ranges[0].offsetInDescriptorsFromTableStart, D3D12_DESCRIPTOR_RANGE_OFFSET_APPEND);
  ASSERT_EQ(signature->staticSamplers().size(), 1u);
  EXPECT_EQ(signature->staticSamplers()[0].addressU, D3D12_TEXTURE_ADDRESS_MODE_MIRROR);
  EXPECT_EQ(signature->staticSamplers()[0].minLod, -D3D12_FLOAT32_MAX);

  const auto* bytes = static_cast<const std::uint8_t*>(blob->getBufferPointer());
  for (std::size_t cut = 0; cut < blob->getBufferSize(); cut += 3) {
    SCOPED_TRACE(cut);
    std::vector<std::uint8_t> truncated(bytes, bytes + cut);
    EXPECT_EQ(rig.device->createRootSignature(0, truncated.data(), truncated.size(), &signature), E_INVALIDARG);
  }
  std::vector<std::uint8_t> longer(bytes, bytes + blob->getBufferSize());
  longer.push_back(0);
  EXPECT_EQ(rig.device->createRootSignature(0, longer.data(), longer.size(), &signature), E_INVALIDARG);
  std::vector<std::uint8_t> wrongMagic(bytes, bytes + blob->getBufferSize());
  wrongMagic[0] ^= 0xff;
  EXPECT_EQ(rig.device->createRootSignature(0, wrongMagic.data(), wrongMagic.size(), &signature), E_INVALIDARG);
  EXPECT_EQ(rig.device->createRootSignature(0, nullptr, 0, &signature), E_INVALIDARG);
}

TEST_F(DeviceRules, SerialisationExplainsWhatIsWrong) {
  RootParameter params[7];
  DescriptorRange range;
  StaticSamplerDesc sampler;
  RootSignatureDesc desc = frameworkDesc(params, range, sampler);
  params[6].descriptorTable = {0, nullptr};
  Ref<Blob> blob, error;
  EXPECT_EQ(serializeRootSignature(desc, D3D_ROOT_SIGNATURE_VERSION_1, &blob, &error), E_INVALIDARG);
  ASSERT_TRUE(error);
  EXPECT_STREQ(static_cast<const char*>(error->getBufferPointer()), "descriptor table 6 has no ranges");
  EXPECT_FALSE(blob);

  // 64 DWORDs at most: 33 root views take 66.
  std::vector<RootParameter> many(33);
  desc = RootSignatureDesc{33, many.data(), 0, nullptr, 0};
  EXPECT_EQ(serializeRootSignature(desc, D3D_ROOT_SIGNATURE_VERSION_1, &blob, &error), E_INVALIDARG);
  EXPECT_STREQ(static_cast<const char*>(error->getBufferPointer()), "root signature is larger than 64 DWORDs");
}

TEST_F(DeviceRules, PipelineStatesNeedAVertexShaderAndTakeNoOtherStages) {
  const std::string code = "#version 330 core\nvoid main() {}\n";
  const InputElementDesc bad[] = {{"POSITION", 0, static_cast<Format>(7777)}};
  struct Case {
    const char* name;
    std::function<void(GraphicsPipelineStateDesc&)> tweak;
    HResult expected;
  };
  const Case cases[] = {
      {"complete", [](GraphicsPipelineStateDesc&) {}, S_OK},
      {"no vertex shader", [](GraphicsPipelineStateDesc& d) { d.vs = {}; }, E_INVALIDARG},
      {"no root signature", [](GraphicsPipelineStateDesc& d) { d.rootSignature = nullptr; }, E_INVALIDARG},
      {"geometry shader", [&](GraphicsPipelineStateDesc& d) { d.gs = {code.data(), code.size()}; }, E_NOTIMPL},
      {"unknown vertex format", [&](GraphicsPipelineStateDesc& d) { d.inputLayout = {bad, 1}; }, E_INVALIDARG},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GraphicsPipelineStateDesc d;
    d.rootSignature = rig.signature.get();
    d.vs = {code.data(), code.size()};
    c.tweak(d);
    Ref<PipelineState> p;
    EXPECT_EQ(rig.device->createGraphicsPipelineState(d, &p), c.expected);
  }
  // Appended elements follow each other.
  Ref<PipelineState> p = rig.pipeline("rk_model_draw_vs.cso", "rk_model_draw_ps.cso", kModelLayout, 4);
  ASSERT_EQ(p->inputLayout().size(), 4u);
  EXPECT_EQ(p->inputLayout()[1].offset, 12u);
  EXPECT_EQ(p->inputLayout()[2].offset, 24u);
  EXPECT_EQ(p->inputLayout()[3].offset, 32u);
}

TEST_F(DeviceRules, FootprintsAlignRowsTo256AndSubresourcesTo512) {
  struct Case {
    Format format;
    std::uint32_t width, height;
    std::vector<std::uint64_t> offsets;
    std::vector<std::uint32_t> pitches, rows;
    std::vector<std::uint64_t> rowBytes;
    std::uint64_t total;
  };
  const Case cases[] = {
      {DXGI_FORMAT_B8G8R8A8_UNORM, 5, 3, {0, 1024}, {256, 256}, {3, 1}, {20, 8}, 1032},
      {DXGI_FORMAT_BC1_UNORM, 16, 8, {0, 512, 1024}, {256, 256, 256}, {2, 1, 1}, {32, 16, 8}, 1032},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    const ResourceDesc desc =
        ResourceDesc::texture2D(c.format, c.width, c.height, static_cast<std::uint16_t>(c.offsets.size()));
    const std::size_t n = c.offsets.size();
    std::vector<PlacedSubresourceFootprint> layouts(n);
    std::vector<std::uint32_t> rows(n);
    std::vector<std::uint64_t> rowBytes(n);
    std::uint64_t total = 0;
    rig.device->getCopyableFootprints(desc, 0, static_cast<std::uint32_t>(n), 0, layouts.data(), rows.data(),
                                      rowBytes.data(), &total);
    for (std::size_t i = 0; i < n; ++i) {
      EXPECT_EQ(layouts[i].offset, c.offsets[i]);
      EXPECT_EQ(layouts[i].footprint.rowPitch, c.pitches[i]);
    }
    EXPECT_EQ(rows, c.rows);
    EXPECT_EQ(rowBytes, c.rowBytes);
    EXPECT_EQ(total, c.total);
  }
}

}  // namespace
