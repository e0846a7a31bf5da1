// One unit's frame of effects at the sprite limit: advancing 8000 live
// particles, and turning them into quads on the trace back end.
#include <benchmark/benchmark.h>

#include <cstring>

#include "host/effect.h"
#include "host/gpu.h"

namespace {

using namespace host::effect;

std::shared_ptr<const Effect> crowd(std::uint32_t count) {
  EmitterDesc e;
  e.burst = count;
  e.life = kMaxFrames;
  e.radius = 5.0f;
  e.velocitySpread[0] = e.velocitySpread[1] = e.velocitySpread[2] = 0.01f;
  e.acceleration[1] = -0.0001f;
  EffectDesc d;
  d.emitters = {e};
  const std::vector<std::uint8_t> bytes = writeEffect(d);
  return Effect::create(bytes.data(), bytes.size(), nullptr);
}

void BM_UpdateEightThousandParticles(benchmark::State& state) {
  Manager manager(16);
  auto effect = crowd(2000);
  for (int i = 0; i < 4; ++i) manager.play(effect, 0, 0, 0);
  manager.update(1.0f);
  for (auto _ : state) manager.update(1.0f);
}
BENCHMARK(BM_UpdateEightThousandParticles);

void BM_DrawEightThousandQuads(benchmark::State& state) {
  namespace gpu = host::gpu;
  gpu::setAdapterList(gpu::traceAdapterList());
  gpu::Ref<gpu::Device> device;
  gpu::createDevice(nullptr, gpu::D3D_FEATURE_LEVEL_11_0, &device);
  gpu::Ref<gpu::CommandQueue> queue;
  device->createCommandQueue(gpu::CommandQueueDesc{}, &queue);
  gpu::Ref<gpu::CommandAllocator> allocator;
  device->createCommandAllocator(gpu::D3D12_COMMAND_LIST_TYPE_DIRECT, &allocator);
  gpu::Ref<gpu::GraphicsCommandList> list;
  device->createCommandList(0, gpu::D3D12_COMMAND_LIST_TYPE_DIRECT, allocator.get(), nullptr, &list);
  // A minimal root signature and pipeline of the colour-uv family.
  gpu::DescriptorRange range;
  range.rangeType = gpu::D3D12_DESCRIPTOR_RANGE_TYPE_SRV;
  gpu::RootParameter params[7];
  for (std::uint32_t i = 0; i < 6; ++i) {
    params[i].parameterType = gpu::D3D12_ROOT_PARAMETER_TYPE_CBV;
    params[i].descriptor.shaderRegister = i;
  }
  params[6].parameterType = gpu::D3D12_ROOT_PARAMETER_TYPE_DESCRIPTOR_TABLE;
  params[6].descriptorTable = {1, &range};
  gpu::StaticSamplerDesc sampler;
  gpu::Ref<gpu::Blob> blob, error;
  gpu::serializeRootSignature({7, params, 1, &sampler, 0x1D}, gpu::D3D_ROOT_SIGNATURE_VERSION_1, &blob, &error);
  gpu::Ref<gpu::RootSignature> signature;
  device->createRootSignature(0, blob->getBufferPointer(), blob->getBufferSize(), &signature);
  const gpu::InputElementDesc layout[] = {{"POSITION", 0, gpu::DXGI_FORMAT_R32G32B32_FLOAT},
                                          {"COLOR", 0, gpu::DXGI_FORMAT_R32G32B32A32_FLOAT},
                                          {"TEXCOORD", 0, gpu::DXGI_FORMAT_R32G32_FLOAT}};
  const char vs[] = "void main() {}";
  gpu::GraphicsPipelineStateDesc desc;
  desc.rootSignature = signature.get();
  desc.vs = {vs, std::strlen(vs)};
  desc.ps = {vs, std::strlen(vs)};
  desc.inputLayout = {layout, 3};
  gpu::Ref<gpu::PipelineState> pipeline;
  device->createGraphicsPipelineState(desc, &pipeline);
  auto renderer = Renderer::create({device.get(), queue.get(), pipeline.get(), 8000});

  Manager manager(16);
  auto effect = crowd(2000);
  for (int i = 0; i < 4; ++i) manager.play(effect, 0, 0, 0);
  manager.update(1.0f);
  for (auto _ : state) {
    renderer->newFrame();
    renderer->beginRendering(list.get());
    renderer->draw(manager);
    renderer->endRendering();
    state.PauseTiming();
    list->close();
    list->reset(allocator.get(), nullptr);
    state.ResumeTiming();
  }
  state.counters["quads"] = renderer->lastSpriteCount();
  renderer.reset();
  gpu::resetAdapterList();
}
BENCHMARK(BM_DrawEightThousandQuads);

}  // namespace
