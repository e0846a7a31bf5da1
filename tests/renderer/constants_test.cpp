// Constant slots and their pools, the descriptor heap behind them, and what the
// camera passes and the light manager upload.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "gfx/rk_studio_info.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_constants.h"
#include "renderer_rig.h"

namespace rendertest {
namespace {

namespace cmd = host::gpu::cmd;
using namespace rk::driver::directx::directx12;
using rk::driver::directx::DescriptorHeap;

using Constants = RendererRig;

constexpr auto kWorldPool = rk::DeviceContext::kWorldPool, kMaterialPool = rk::DeviceContext::kMaterialPool,
               kAmbientPool = rk::DeviceContext::kAmbientPool, kLightPool = rk::DeviceContext::kLightPool,
               kFogPool = rk::DeviceContext::kFogPool;

TEST_F(Constants, EveryWriteTakesAFreshSlotAndFramesReuseTheirSlots) {
  buildScene();
  context->drawFrame();
  context->drawFrame();  // both frames have drawn once
  const unsigned frame = context->currentFrame();
  rk::ConstantSlotPool& worlds = context->constantPool(kWorldPool, frame);
  const std::size_t steady = worlds.size();

  // Within a list every write gets its own slot, bound at root 0 in order.
  context->beginCommandList(nullptr, false, false);
  const std::size_t first = worlds.used();
  std::vector<rk::math::Matrix> written;
  for (int i = 0; i < 5; ++i) {
    written.push_back(rk::math::matrixTranslation(float(i), 0.0f, 0.0f));
    context->setWorldMatrix(written.back());
  }
  std::vector<gpu::GpuVirtualAddress> bound;
  for (const gpu::Command& c : context->getNowCommandList()->commands())
    if (const auto* r = as<cmd::SetRootConstantBufferView>(c); r && r->rootIndex == 0) bound.push_back(r->address);
  context->closeNowCommandList();
  ASSERT_EQ(bound.size(), 6u);  // the begin's identity, then the five
  EXPECT_EQ(std::set<gpu::GpuVirtualAddress>(bound.begin(), bound.end()).size(), 6u);
  EXPECT_EQ(worlds.used(), first + 5);
  EXPECT_GE(worlds.size(), steady + 5);  // the busiest frame so far grew the pool
  for (int i = 0; i < 5; ++i) {
    rk::ConstantSlot* slot = worlds.slot(first + i);
    EXPECT_EQ(slot->gpuAddress(), bound[i + 1]);
    EXPECT_EQ(std::memcmp(slot->as<DX12World>()->world.m, written[i].m, sizeof written[i].m), 0);
  }

  // The frames that follow rewind the pools: no frame makes new slots any more.
  const std::size_t grown = worlds.size();
  for (int i = 0; i < 4; ++i) context->drawFrame();
  EXPECT_EQ(worlds.size(), grown);
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(Constants, AFullDescriptorHeapIsReportedAndReusesFreedSlots) {
  buildScene();
  DescriptorHeap heap;
  ASSERT_EQ(heap.init(context->getDevice(), gpu::D3D12_DESCRIPTOR_HEAP_TYPE_CBV_SRV_UAV, true, 4), host::S_OK);
  EXPECT_EQ(heap.alllocSlot(), 0);
  EXPECT_EQ(heap.alllocSlot(), 1);
  EXPECT_EQ(heap.alllocSlot(), 2);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(heap.alllocSlot(), 3);  // the last one: reported, still handed out
  EXPECT_EQ(log.entries("rk::driver::directx::DescriptorHeap::alllocSlot"), 1u);
  EXPECT_EQ(heap.alllocSlot(), DescriptorHeap::kNoSlot);  // never a place outside the heap
  EXPECT_EQ(log.entries("rk::driver::directx::DescriptorHeap::alllocSlot"), 2u);
  const std::uint32_t step =
      context->getDevice()->getDescriptorHandleIncrementSize(gpu::D3D12_DESCRIPTOR_HEAP_TYPE_CBV_SRV_UAV);
  EXPECT_EQ(heap.getGPUHandle(3).ptr - heap.getGPUHandle(0).ptr, 3u * step);
  heap.freeSlot(1);
  EXPECT_EQ(heap.alllocSlot(), 1);
  heap.getCPUHandle(4);
  heap.getGPUHandle(-1);
  EXPECT_EQ(log.entries("rk::driver::directx::DescriptorHeap::getCPUHandle"), 1u);
  EXPECT_EQ(log.entries("rk::driver::directx::DescriptorHeap::getGPUHandle"), 1u);

  // A constant slot made while the heap is full has no descriptor but still
  // binds by its address; releasing slots frees their descriptors for others.
  rk::ConstantSlotPool pool;
  rk::ConstantSlot* slot = pool.acquire<DX12Ambient>(*context->getDevice(), heap);
  EXPECT_EQ(slot->descriptorIndex(), -1);
  EXPECT_NE(slot->gpuAddress(), 0u);
  EXPECT_EQ(slot->size(), 256u);
  heap.freeSlot(2);
  rk::ConstantSlot* light = pool.acquire<DX12DirectionalLight>(*context->getDevice(), heap);
  EXPECT_EQ(light->descriptorIndex(), 2);
  EXPECT_EQ(light->resource()->getDesc().width, 1024u);
  EXPECT_EQ(light->resource()->name(), "struct rk::driver::directx::directx12::DX12DirectionalLight");
  pool.clear(heap);
  EXPECT_FALSE(heap.isUsed(2));
  EXPECT_EQ(pool.size(), 0u);
}

rk::gfx::LightParameter light(int type) {
  rk::gfx::LightParameter p;
  p.type = type;
  const float diffuse[4] = {0.1f, 0.2f, 0.3f, 0.4f}, specular[4] = {0.5f, 0.6f, 0.7f, 0.8f},
              ambient[4] = {0.9f, 0.8f, 0.7f, 0.6f};
  std::memcpy(p.diffuse, diffuse, sizeof diffuse);
  std::memcpy(p.specular, specular, sizeof specular);
  std::memcpy(p.ambient, ambient, sizeof ambient);
  p.position[0] = 1, p.position[1] = 2, p.position[2] = 3;
  p.direction[0] = 0, p.direction[1] = -3, p.direction[2] = 4;
  p.range = 25.0f;
  return p;
}

TEST_F(Constants, ACameraPassUploadsItsStudioLightsAndFog) {
  buildScene();
  rk::gfx::Camera* camera = rk::gfx::CameraManager::getInstance()->createCamera(1);
  camera->setEye({4.0f, 5.0f, 6.0f, 0.0f});
  camera->setFogEnable(true);
  camera->setFogColor(0x80FF0000u);
  camera->setFogRange(3.0f, 30.0f);
  rk::gfx::StudioInfo* studio = camera->studioInfo().top();
  studio->setLightMode(rk::gfx::StudioInfo::kOwnLights);
  studio->lights()[0] = light(1);   // point
  studio->lights()[2] = light(3);   // directional
  studio->lights()[5] = light(2);   // spot: not uploaded
  studio->lights()[16] = light(1);  // beyond the sixteen records
  const unsigned frame = context->currentFrame();
  context->drawFrame();

  // Each pool's first slot of the frame is the camera pass's (the ambient one
  // doubles as the frame's default ambient slot, which only marks a built device).
  auto first = [this, frame](rk::DeviceContext::ConstantPool pool) { return context->constantPool(pool, frame).slot(0); };
  const auto* lights = first(kLightPool)->as<DX12DirectionalLight>();
  EXPECT_EQ(lights->eye[0], 4.0f);
  EXPECT_EQ(lights->eye[3], 1.0f);
  EXPECT_EQ(lights->points[0].enabled, 1);
  EXPECT_EQ(lights->points[0].position[2], 3.0f);
  EXPECT_FLOAT_EQ(lights->points[0].diffuse[2], 0.3f);
  EXPECT_EQ(lights->points[0].range, 25.0f);
  EXPECT_FLOAT_EQ(lights->points[0].ambient[3], 0.6f);
  EXPECT_EQ(lights->has_directional, 1);
  EXPECT_FLOAT_EQ(lights->direction[1], -0.6f);
  EXPECT_FLOAT_EQ(lights->direction[2], 0.8f);
  EXPECT_FLOAT_EQ(lights->color[3], 0.4f);
  for (int i : {1, 2, 5, 15}) EXPECT_EQ(lights->points[i].enabled, 0) << i;

  const auto* material = first(kMaterialPool)->as<DX12Material>();
  EXPECT_FLOAT_EQ(material->diffuse[0], 0.1f);
  EXPECT_EQ(material->diffuse[3], 1.0f);
  EXPECT_FLOAT_EQ(material->specular[3], 0.8f);
  const auto* passAmbient = first(kAmbientPool)->as<DX12Ambient>();
  EXPECT_EQ(passAmbient->color[0], 0.0f);
  EXPECT_EQ(passAmbient->color[3], 1.0f);
  const auto* fog = first(kFogPool)->as<DX12FOGInfo>();
  EXPECT_EQ(fog->enabled, 1);
  EXPECT_EQ(fog->eye[1], 5.0f);
  EXPECT_EQ(fog->color[0], 1.0f);
  EXPECT_FLOAT_EQ(fog->color[3], 128.0f / 255.0f);
  EXPECT_EQ(fog->start, 3.0f);
  EXPECT_EQ(fog->end, 30.0f);

  // The next frame with this index reuses the slot; the studio's lights are gone
  // and nothing of them is left in it.
  studio->setLightMode(rk::gfx::StudioInfo::kKeepLighting);
  rk::gfx::LightManager::getInstance()->lightingState().ambient = 0xFF804020u;
  context->drawFrame();
  context->drawFrame();
  // Light-manager lighting brings the default directional light: a new light's
  // half grey, shining down and forward.
  EXPECT_EQ(lights->has_directional, 1);
  EXPECT_FLOAT_EQ(lights->direction[0], -0.57735026f);
  EXPECT_FLOAT_EQ(lights->direction[2], 0.57735026f);
  EXPECT_FLOAT_EQ(lights->color[0], 0.5f);
  EXPECT_EQ(lights->unlit, 0);
  EXPECT_EQ(lights->points[0].enabled, 0);
  EXPECT_FLOAT_EQ(lights->ambient[0], 64.0f / 255.0f);  // the studio's ambient colour
  EXPECT_EQ(lights->ambient[3], 1.0f);
  EXPECT_FLOAT_EQ(passAmbient->color[0], 128.0f / 255.0f);  // the light manager's
  EXPECT_FLOAT_EQ(passAmbient->color[2], 32.0f / 255.0f);
  EXPECT_EQ(passAmbient->color[3], 1.0f);
  EXPECT_EQ(material->diffuse[0], 0.0f);

  // A studio with its lighting off marks the pass unlit.
  studio->setLightMode(rk::gfx::StudioInfo::kLightingOff);
  context->drawFrame();
  context->drawFrame();
  EXPECT_EQ(lights->unlit, 1);
}

TEST_F(Constants, LightingOnSetsTheColourStateOnTheBackgroundList) {
  buildScene();
  rk::gfx::LightManager::getInstance()->lightingState() = {true, 0xFFFF8000u};
  context->beginCommandList(nullptr, true, true);
  EXPECT_TRUE(context->isUseColor());
  EXPECT_FLOAT_EQ(context->colorState().getG(), 128.0f / 255.0f);
  context->closeNowCommandList();
  context->closeDraw();
  context->present(1);
  trace()->clear();
  context->drawFrame();
  // The list starts with the colour-state flag clear (the frame's default
  // ambient constant), then the lit colour is bound with the flag set.
  int ambientBinds = 0;
  for (const gpu::Command& c : commandsOf("command_list_bg_clear_"))
    if (const auto* r = as<cmd::SetRootConstantBufferView>(c); r && r->rootIndex == 4) ++ambientBinds;
  EXPECT_EQ(ambientBinds, 2);

  // Disabled, the colour is kept but nothing is uploaded or bound.
  context->beginCommandList(nullptr, false, false);
  const std::size_t before = context->getNowCommandList()->commands().size();
  context->setColorState(false, 0xFF00FF00u);
  EXPECT_EQ(context->getNowCommandList()->commands().size(), before);
  EXPECT_FALSE(context->isUseColor());
  EXPECT_EQ(context->colorState().getG(), 1.0f);
  context->closeNowCommandList();

  // The light records take numbers 0 to 15 only.
  context->setLightingNo(15, true);
  context->setLightingNo(16, true);
  context->setLightParameter(-1, light(1));
  context->setLightParameter(3, light(1));
  EXPECT_TRUE(context->isLightInUse(15));
  EXPECT_EQ(context->lightParameter(3).range, 25.0f);
  EXPECT_EQ(log.entries("rk::DeviceContext::setLightingNo"), 1u);
  EXPECT_EQ(log.entries("rk::DeviceContext::setLightParameter"), 1u);
}

}  // namespace
}  // namespace rendertest
