#include "status/hud_draw.h"

#include <string>

#include "fs/rk_file_manager.h"
#include "gfx/rk_index_buffer.h"
#include "gfx/rk_texture.h"
#include "gfx/rk_texture_manager.h"
#include "gfx/rk_vertex_buffer.h"
#include "host/fs.h"
#include "host/gpu.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_instance_table.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_texture.h"
#include "platform/driver/directx_driver/rk_pipeline_kind.h"
#include "res/rk_resource.h"

namespace status {

bool isAtlasReady(rk::gfx::RkTexture* texture) {
  auto* gpuTexture = dynamic_cast<rk::gfx::RkTexture12*>(texture);
  return gpuTexture && gpuTexture->resource();
}

rk::gfx::RkTexture* loadAtlas(const char* name) {
  rk::gfx::RkTextureManager* textures = rk::gfx::RkTextureManager::getInstance();
  if (!textures) return nullptr;
  std::string stored, mode;
  rk::fs::FileManager::mapAssetName(stored, mode, name);
  if (!textures->find(stored)) {
    // Only a file that is there is asked for: a missing one would be queued,
    // reported by the file manager and kept as a texture that never draws.
    const bool inPack = rk::singletonExists(rk::InstanceSlot::ResourceManager) &&
                        rk::res::ResourceManager::getInstance()->findResource(stored);
    if (!inPack && !host::fs::exists(stored)) return nullptr;
  }
  return textures->loadTexture(name);
}

bool uploadQuads(rk::gfx::VertexBuffer*& buffer, const std::vector<HudVertex>& quads) {
  if (!buffer) {
    rk::DeviceContext* device = rk::DeviceContext::getInstance();
    if (!device) return false;
    device->createVertexBuffer(rk::gfx::VERTEX_KIND_POSITION_COLOR_UV, &buffer);
    if (!buffer) return false;
  }
  buffer->clear();
  for (const HudVertex& v : quads) {
    buffer->setColor(v.color);
    buffer->setPosition(v.x, v.y, 0.0f);
    buffer->setUV(v.u, v.v);
    buffer->pushVertex();
  }
  return buffer->copyToGpu() >= 0;
}

bool makeQuadIndices(rk::gfx::IndexBuffer*& buffer, std::size_t quads) {
  if (buffer) return true;
  rk::DeviceContext* device = rk::DeviceContext::getInstance();
  if (!device) return false;
  device->createIndexBuffer(&buffer);
  if (!buffer) return false;
  for (std::uint32_t index : quadIndices(quads)) buffer->push(index);
  buffer->build();
  return true;
}

void drawQuads(rk::gfx::RkTexture* texture, rk::gfx::VertexBuffer* vertices, rk::gfx::IndexBuffer* indices) {
  if (!isAtlasReady(texture) || !vertices || !indices || !vertices->view() || !indices->view()) return;
  rk::DeviceContext* device = rk::DeviceContext::getInstance();
  if (!device) return;
  host::gpu::GraphicsCommandList* list = device->getNowCommandList();
  if (!list) return;
  device->pushPipeline(rk::PIPELINE_TRIANGLE_COLOR_UV);
  if (device->currentTexture() != texture) device->setTexture(texture);
  device->sendVertexBuffer(vertices);
  list->iaSetIndexBuffer(indices->view());
  list->iaSetPrimitiveTopology(rk::DeviceContext::toTopologyKind(4));
  list->drawIndexedInstanced(indices->getCount(), 1, 0, 0, 0);
  device->popPipeline();
}

}  // namespace status
