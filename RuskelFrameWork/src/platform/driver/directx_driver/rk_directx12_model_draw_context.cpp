#include "platform/driver/directx_driver/rk_directx12_model_draw_context.h"

#include <cstring>

#include "gfx/rk_model_draw_info.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_error_log.h"

namespace rk::driver::directx::directx12 {

namespace {

constexpr const char* kSource = "src/platform/driver/directx_driver/rk_directx12_model_draw_context";

std::unique_ptr<ConstantSlot> makeSlot(std::uint32_t size, std::uint32_t root, const char* name) {
  DeviceContext* context = DeviceContext::getInstance();
  auto slot = std::make_unique<ConstantSlot>(size, root);
  if (context->getDevice()) slot->create(*context->getDevice(), context->descriptorHeap(), name);
  return slot;
}

void bindOnList(ConstantSlot* slot) {
  if (!slot || !slot->mapped()) return;
  if (host::gpu::GraphicsCommandList* list = DeviceContext::getInstance()->getNowCommandList()) slot->bind(list);
}

}  // namespace

ModelDrawInfoData::ModelDrawInfoData()
    : world_(makeSlot(DX12World::kSlotSize, DX12World::kRootIndex, DX12World::kTypeName)),
      material_(makeSlot(DX12Material::kSlotSize, DX12Material::kRootIndex, DX12Material::kTypeName)) {}

ModelDrawInfoData::~ModelDrawInfoData() {
  DeviceContext* context = DeviceContext::getInstance();
  if (world_->mapped()) world_->release(context->descriptorHeap());
  if (material_->mapped()) material_->release(context->descriptorHeap());
}

DX12World* ModelDrawInfoData::worldConstants() const { return world_->as<DX12World>(); }
DX12Material* ModelDrawInfoData::materialConstants() const { return material_->as<DX12Material>(); }

void ModelDrawInfoData::setWorld(const math::Matrix& world) {
  if (DX12World* w = worldConstants()) w->world = world;
  bindOnList(world_.get());
}

ModelDrawInfoData* ModelDrawInfoData::clone() const {
  auto* copy = new ModelDrawInfoData;
  if (world_->mapped() && copy->world_->mapped()) std::memcpy(copy->world_->mapped(), world_->mapped(), 256);
  if (material_->mapped() && copy->material_->mapped())
    std::memcpy(copy->material_->mapped(), material_->mapped(), 256);
  copy->used_ = false;
  return copy;
}

Directx12ModelDrawContext::~Directx12ModelDrawContext() = default;

void Directx12ModelDrawContext::begin(const math::Matrix& world, gfx::GModel* model, bool shadowPass,
                                      gfx::ModelDrawInfo* drawInfo) {
  stack_.push_back(world);
  model_ = model;
  draw_info_ = drawInfo;
  shadow_pass_ = shadowPass;
}

void Directx12ModelDrawContext::push(const math::Matrix& local) {
  stack_.push_back(math::matrixMultiply(local, getTop()));
}

void Directx12ModelDrawContext::pop() {
  if (!stack_.empty()) stack_.pop_back();
}

math::Matrix Directx12ModelDrawContext::getTop() const {
  if (stack_.empty()) {
    debug::writeErrorLog(kSource, 232, "rk::driver::directx::directx12::Directx12ModelDrawContext::getTop");
    return math::matrixIdentity();
  }
  return stack_.back();
}

ModelDrawInfoData* Directx12ModelDrawContext::allocDrawData() {
  if (next_ >= pool_.size()) pool_.push_back(std::make_unique<ModelDrawInfoData>());
  ModelDrawInfoData* data = pool_[next_++].get();
  if (DX12World* w = data->worldConstants()) w->world = getTop();
  return data;
}

void Directx12ModelDrawContext::bindDrawData(ModelDrawInfoData* data) {
  if (!data) return;
  bindOnList(data->worldSlot());
  bindOnList(data->materialSlot());
}

void Directx12ModelDrawContext::end() {
  stack_.clear();
  model_ = nullptr;
  draw_info_ = nullptr;
  root_ = nullptr;
}

gfx::ModelDrawInfo* Directx12ModelDrawContext::drawInfo() const {
  return draw_info_ ? draw_info_ : &gfx::ModelDrawInfo::shared();
}

}  // namespace rk::driver::directx::directx12
