#include "platform/driver/directx_driver/dx12units/rk_dx12_mesh_unit.h"

#include "gfx/rk_index_buffer.h"
#include "gfx/rk_texture.h"
#include "gfx/rk_vertex_buffer.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"
#include "res/rk_resource.h"

namespace rk::driver::directx::directx12 {

namespace {
constexpr const char* kSource = "src/platform/driver/directx_driver/dx12units/rk_dx12_mesh_unit";
const SingletonReport kReport{kSource, "rk::driver::directx::directx12::DX12MeshUnit", 40, 48, 56};

// The device context when one exists; containers made without a device (tests
// of the reader alone) simply stay off the device-lost list.
DeviceContext* contextIfAny() {
  return singletonExists(InstanceSlot::DeviceContext) ? DeviceContext::getInstance() : nullptr;
}
}  // namespace

void MeshContainer::destroy() {
  if (vertexBuffer) vertexBuffer->release(kSource, 70);
  if (indexBuffer) indexBuffer->release(kSource, 71);
  vertexBuffer = nullptr;
  indexBuffer = nullptr;
  vertices.clear();
  indices.clear();
  setup = 0;
}

void ModelMeshContainer::destroy() {
  for (MeshContainer* mesh : meshes) mesh->release(kSource, 80);
  meshes.clear();
  for (ModelMaterial& m : materials)
    for (gfx::RkTexture*& t : m.textures)
      if (t) t->release(kSource, 84), t = nullptr;
  materials.clear();
  if (singletonExists(InstanceSlot::MeshUnit)) DX12MeshUnit::getInstance()->remove(this);
  if (DeviceContext* context = contextIfAny()) context->removeDeviceLostListener(this);
}

void ModelMeshContainer::onLost() {
  for (MeshContainer* mesh : meshes) mesh->setup = 0;
}

void ModelMeshContainer::onRecover() {
  for (MeshContainer* mesh : meshes) setupContainer(mesh);
}

void ModelMeshContainer::setupContainer(MeshContainer* mesh) {
  if (mesh->count() != 1)
    debug::writeErrorLog(kSource, 100, "rk::driver::directx::directx12::ModelMeshContainer::setupContainer");
  mesh->setup = 1;
}

DX12MeshUnit* DX12MeshUnit::createInstance() { return singletonCreate<DX12MeshUnit>(InstanceSlot::MeshUnit, kReport); }
DX12MeshUnit* DX12MeshUnit::getInstance() { return singletonGet<DX12MeshUnit>(InstanceSlot::MeshUnit, kReport); }
void DX12MeshUnit::destroyInstance() { singletonDestroy<DX12MeshUnit>(InstanceSlot::MeshUnit, kReport); }

DX12MeshUnit::~DX12MeshUnit() {
  // Entries are not counted references: drop one reference of each container
  // still registered (the map is emptied first, so no release edits it).
  std::vector<ModelMeshContainer*> left;
  for (const auto& entry : map_) left.push_back(entry.second);
  map_.clear();
  for (ModelMeshContainer* c : left) c->release(kSource, 64);
}

ModelMeshContainer* DX12MeshUnit::find(const std::string& name) const {
  auto range = map_.equal_range(res::nameKey(name));
  for (auto it = range.first; it != range.second; ++it)
    if (it->second && it->second->name == name) return it->second;
  return nullptr;
}

ModelMeshContainer* DX12MeshUnit::getOrCreate(const std::string& name, bool& existed) {
  if (ModelMeshContainer* c = find(name)) {
    c->addRef();
    existed = true;
    return c;
  }
  auto* c = new ModelMeshContainer;
  c->addRef();
  c->name = name;
  if (DeviceContext* context = contextIfAny()) context->addDeviceLostListener(c);
  map_.emplace(res::nameKey(name), c);
  existed = false;
  return c;
}

void DX12MeshUnit::remove(ModelMeshContainer* container) {
  auto range = map_.equal_range(res::nameKey(container->name));
  for (auto it = range.first; it != range.second; ++it)
    if (it->second == container) {
      map_.erase(it);
      return;
    }
}

}  // namespace rk::driver::directx::directx12
