// The model root's operations once its file is loaded: animation control,
// frame queries, texture-coordinate offsets, materials and the draw.
#include <cstring>

#include "gfx/rk_camera.h"
#include "gfx/rk_model_draw_info.h"
#include "gfx/rk_vertex_buffer.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_anime_unit.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_node_unit.h"
#include "platform/driver/directx_driver/rk_directx12_model.h"
#include "platform/driver/directx_driver/rk_directx12_model_draw_context.h"
#include "platform/driver/directx_driver/rk_pipeline_kind.h"

namespace rk::driver::directx {

using directx12::MeshContainer;

namespace {
constexpr const char* kSource = "src/platform/driver/directx_driver/rk_directx12_model";
constexpr std::size_t kUvOffset = 24;  // texture coordinates inside a 44-byte vertex
}  // namespace

void DxModelRoot12::setLoopAnime(bool loop) {
  if (controller_) controller_->setLoop(loop);
}
bool DxModelRoot12::isLoopAnime() { return controller_ && controller_->getLoop(); }
void DxModelRoot12::setPlayAnime(int) {
  if (controller_) controller_->setPlaying();
}
bool DxModelRoot12::shiftAnime(int take, float blendSeconds) {
  return controller_ && controller_->changeTake(take, blendSeconds);
}
void DxModelRoot12::changeAnime(int take) {
  if (controller_) controller_->setTake(take);
}
bool DxModelRoot12::getAnimeID(int& take, const char* name) {
  return controller_ && controller_->anime() && name && controller_->anime()->getTakeIndexByName(name, take);
}
bool DxModelRoot12::isEndOfAnime() { return !controller_ || controller_->isEndOfTake(); }
float DxModelRoot12::getNowAnimeTime() { return controller_ ? controller_->getTime() : 0.0f; }
void DxModelRoot12::setNowAnimeTime(float time) {
  if (controller_) controller_->setTime(time);
}
float DxModelRoot12::getMaxAnimeTime() { return controller_ ? controller_->getLength() : 0.0f; }

void DxModelRoot12::updateAnime(float seconds) {
  if (controller_) controller_->update(seconds);
}

void DxModelRoot12::applyPose() {
  if (node_tree_ && controller_) node_tree_->applyPose(base_, controller_);
}

int DxModelRoot12::getAnimeTakeNum() { return controller_ ? controller_->getTakeCount() : 0; }

const char* DxModelRoot12::getAnimeNameByNum(int index) {
  if (!controller_ || !controller_->anime() || index < 0 ||
      static_cast<std::size_t>(index) >= controller_->anime()->takes.size())
    return "none";
  return controller_->anime()->takes[static_cast<std::size_t>(index)].first.c_str();
}

bool DxModelRoot12::getFrameMatrix(math::Matrix& out, const char* frame) {
  if (!node_tree_ || !frame) return false;
  return node_tree_->findFrameMatrix(out, base_, frame, res::nameKey(frame));
}

bool DxModelRoot12::getFrameMaterial(gfx::Material*& out, const char* frame) {
  if (!frame) {
    out = &root_material_;
    return true;
  }
  if (node_tree_ && node_tree_->findFrameMaterial(out, frame, res::nameKey(frame))) return true;
  debug::writeErrorLog(kSource, 700, "rk::driver::directx::DxModelRoot12::getFrameMaterial");
  return false;
}

gfx::ModelDrawInfo* DxModelRoot12::getModelDrawInfo(int) { return &gfx::ModelDrawInfo::shared(); }

void DxModelRoot12::offsetFrameUV(const char* frame, float du, float dv) {
  if (state_ != kReady || !node_tree_ || !frame) return;
  std::vector<MeshContainer*> meshes;
  node_tree_->collectFrameMeshes(meshes, mesh_container_, frame, res::nameKey(frame));
  for (MeshContainer* mesh : meshes) {
    if (!mesh->vertexBuffer || mesh->vertices.empty()) continue;
    // Each call starts from the file's coordinates: the CPU copy stays as read.
    std::vector<std::uint8_t> moved = mesh->vertices;
    for (std::size_t at = 0; at + directx12::kModelVertexBytes <= moved.size(); at += directx12::kModelVertexBytes) {
      float uv[2];
      std::memcpy(uv, moved.data() + at + kUvOffset, sizeof uv);
      uv[0] += du, uv[1] += dv;
      std::memcpy(moved.data() + at + kUvOffset, uv, sizeof uv);
    }
    mesh->vertexBuffer->copy(moved.data(), moved.size());
  }
}

void DxModelRoot12::draw(directx12::Directx12ModelDrawContext& context) {
  if (state_ != kReady || !visible_ || !node_tree_) return;
  DeviceContext* device = DeviceContext::getInstance();
  directx12::ModelMeshContainer* container =
      resource_ && singletonExists(InstanceSlot::MeshUnit)
          ? directx12::DX12MeshUnit::getInstance()->find(resource_->name())
          : mesh_container_;
  context.setRoot(this);
  device->pushPipeline(PIPELINE_MODEL_DRAW);
  context.push(base_);

  // A model with its own studio lights them for its meshes; one with its
  // lighting off draws unlit. Either way the pass's constants come back after.
  bool ownLights = false;
  const gfx::StudioInfo* studio = context.drawInfo()->studio();
  if (!context.isShadowPass() && studio && device->currentCamera() &&
      (studio->lightMode() == gfx::StudioInfo::kOwnLights || studio->lightMode() == gfx::StudioInfo::kLightingOff)) {
    device->applyStudioLights(*studio);
    ownLights = true;
  }
  const bool rootMaterial = root_material_.top().valid;
  if (rootMaterial && !context.isShadowPass()) {
    directx12::ModelDrawInfoData* data = context.allocDrawData();
    data->setUsed(true);
    root_material_.writeConstants(*data);
    if (host::gpu::GraphicsCommandList* list = device->getNowCommandList())
      if (data->materialSlot()->mapped()) data->materialSlot()->bind(list);
  }
  node_tree_->darw(context, container, nullptr, rootMaterial);
  if (ownLights) device->bindPassConstants();

  context.pop();
  device->popPipeline();
  context.setRoot(nullptr);
}

}  // namespace rk::driver::directx

namespace rk {

driver::directx::DxModelRoot12* DeviceContext::createModelRoot(const std::string& name) {
  return new driver::directx::DxModelRoot12(name);
}

}  // namespace rk
