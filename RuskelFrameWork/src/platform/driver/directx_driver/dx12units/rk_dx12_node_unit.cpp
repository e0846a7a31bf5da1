#include "platform/driver/directx_driver/dx12units/rk_dx12_node_unit.h"

#include <algorithm>
#include <cfloat>
#include <cstring>
#include <new>
#include <thread>

#include "gfx/rk_camera.h"
#include "gfx/rk_index_buffer.h"
#include "gfx/rk_texture.h"
#include "gfx/rk_vertex_buffer.h"
#include "host/xmath.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_anime_unit.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_mesh_unit.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_texture.h"
#include "platform/driver/directx_driver/rk_directx12_model.h"
#include "platform/driver/directx_driver/rk_directx12_model_draw_context.h"
#include "platform/driver/directx_driver/rk_pipeline_kind.h"
#include "platform/driver/rk_model_root.h"

namespace rk::driver::directx::directx12 {

namespace {

constexpr const char* kSource = "src/platform/driver/directx_driver/dx12units/rk_dx12_node_unit";
const SingletonReport kReport{kSource, "rk::driver::directx::directx12::DX12NodeUnit", 40, 48, 56};
constexpr const char* kCreateNode = "rk::driver::directx::directx12::DX12ModelNode::createNode";
constexpr const char* kDarw = "rk::driver::directx::directx12::DX12ModelNode::darw";
// The smallest NODE record: its tag and name, transform and mesh count, the
// CHILD tag and count, CHILD-END and NEND with the name, each padded to 16.
constexpr std::uint32_t kMinNodeBytes = 16 + 48 + 16 + 16 + 16 + 16;
// Nesting deeper than this is taken for damage rather than a model.
constexpr int kMaxDepth = 256;

void report(int line, const char* text) { debug::writeErrorLog(kSource, line, text); }

math::Matrix fromXm(const host::xmath::Matrix& m) {
  math::Matrix out;
  std::memcpy(&out, &m, sizeof out);
  return out;
}

// Checks a tag at the cursor (reporting a mismatch), then skips it and pads.
void expectTag(ModelReader& r, const char* tag, bool pad = true) {
  if (!r.isString(tag)) report(120, kCreateNode);
  r.advanceString();
  if (pad) r.advance16byte();
}

void readFloats(ModelReader& r, float* out, int count) {
  for (int i = 0; i < count; ++i) {
    const std::uint32_t bits = r.readDWORD();
    std::memcpy(&out[i], &bits, 4);
  }
}

bool matches(const DX12ModelNode& node, const std::string& name, int hash) {
  return node.hash() == hash && node.name() == name;
}

void copyColor(float* out, const float* in) { std::memcpy(out, in, sizeof(float) * 4); }

}  // namespace

DX12ModelNode::DX12ModelNode() {
  std::fill(std::begin(box_min_), std::end(box_min_), FLT_MAX);
  std::fill(std::begin(box_max_), std::end(box_max_), -FLT_MAX);
}

DX12ModelNode::~DX12ModelNode() = default;

host::HResult DX12ModelNode::createNode(ModelReader& reader, DX12ModelNode* parent) {
  return readRecord(reader, parent, 0);
}

host::HResult DX12ModelNode::readRecord(ModelReader& r, DX12ModelNode* parent, int depth) {
  parent_ = parent;
  expectTag(r, "NODE", false);
  name_ = r.string();
  r.advanceString();
  r.advance16byte();
  visible_ = name_.empty() || name_.back() != '_' ? 1 : 0;

  float s[3], q[4], t[3];
  readFloats(r, s, 3);
  q[0] = q[1] = q[2] = 0.0f, q[3] = 1.0f;
  readFloats(r, q, 4);
  readFloats(r, t, 3);
  for (int i = 0; i < 3; ++i) bind_[0][i] = s[i], bind_[2][i] = t[i];
  for (int i = 0; i < 4; ++i) bind_[1][i] = q[i];
  local_ = fromXm(host::xmath::matrixMultiply(
      host::xmath::matrixMultiply(host::xmath::matrixScaling(s[0], s[1], s[2]),
                                  host::xmath::matrixRotationQuaternion({q[0], q[1], q[2], q[3]})),
      host::xmath::matrixTranslation(t[0], t[1], t[2])));
  std::fill(std::begin(box_min_), std::end(box_min_), FLT_MAX);
  std::fill(std::begin(box_max_), std::end(box_max_), -FLT_MAX);

  // Mesh indices: the count must fit in the bytes that are left.
  const std::uint32_t meshes = r.readDWORD();
  if (meshes > r.remaining() / 4) {
    report(150, kCreateNode);
    r.advanceByte(r.remaining() + 1);
    return host::S_OK;
  }
  const ModelMeshContainer* container = nullptr;
  if (singletonExists(InstanceSlot::MeshUnit) && r.resource())
    container = DX12MeshUnit::getInstance()->find(r.resource()->name());
  for (std::uint32_t i = 0; i < meshes; ++i) {
    const std::uint32_t index = r.readDWORD();
    mesh_indices_.push_back(index);
    // Without the container (its mesh part was never read) the box stays empty.
    if (!container) continue;
    if (index >= container->meshes.size()) {
      report(162, kCreateNode);
      continue;
    }
    const MeshContainer* mesh = container->meshes[index];
    for (int k = 0; k < 3; ++k) {
      box_min_[k] = std::min(box_min_[k], mesh->boxMin[k]);
      box_max_[k] = std::max(box_max_[k], mesh->boxMax[k]);
    }
  }
  r.advance16byte();

  expectTag(r, "CHILD");
  const std::uint32_t children = r.readDWORD();
  r.advance16byte();
  if (r.overrun()) return host::S_OK;
  if (children > r.remaining() / kMinNodeBytes || (children > 0 && depth >= kMaxDepth)) {
    // A count the bytes cannot hold, or nesting no model has: stop reading here.
    report(180, kCreateNode);
    r.advanceByte(r.remaining() + 1);
    return host::S_OK;
  }
  for (std::uint32_t i = 0; i < children && !r.overrun(); ++i) {
    std::unique_ptr<DX12ModelNode> child(new (std::nothrow) DX12ModelNode);
    if (!child) return host::E_OUTOFMEMORY;
    const host::HResult hr = child->readRecord(r, this, depth + 1);
    children_.push_back(std::move(child));
    if (host::failed(hr)) return hr;
  }
  expectTag(r, "CHILD-END");
  expectTag(r, "NEND", false);
  if (r.string() != name_) report(196, kCreateNode);
  r.advanceString();
  r.advance16byte();
  hash_ = res::nameKey(name_);
  return host::S_OK;
}

std::size_t DX12ModelNode::countNodes() const {
  std::size_t n = 1;
  for (const auto& child : children_) n += child->countNodes();
  return n;
}

bool DX12ModelNode::findFrameMatrix(math::Matrix& out, const math::Matrix& parent, const std::string& name,
                                    int hash) const {
  const math::Matrix combined = math::matrixMultiply(local_, parent);
  if (matches(*this, name, hash)) {
    out = combined;
    return true;
  }
  for (const auto& child : children_)
    if (child->findFrameMatrix(out, combined, name, hash)) return true;
  return false;
}

bool DX12ModelNode::findFrameMaterial(gfx::Material*& out, const char* name, int hash) {
  if (!name || matches(*this, name, hash)) {
    out = &material_;
    return true;
  }
  for (const auto& child : children_)
    if (child->findFrameMaterial(out, name, hash)) return true;
  return false;
}

bool DX12ModelNode::collectFrameMeshes(std::vector<MeshContainer*>& out, const ModelMeshContainer* container,
                                       const std::string& name, int hash) const {
  if (matches(*this, name, hash)) {
    if (container)
      for (std::uint32_t index : mesh_indices_)
        if (index < container->meshes.size()) out.push_back(container->meshes[index]);
    return true;
  }
  for (const auto& child : children_)
    if (child->collectFrameMeshes(out, container, name, hash)) return true;
  return false;
}

void DX12ModelNode::applyPose(const math::Matrix& parent, const DX12AnimationController* controller) {
  if (controller) {
    host::xmath::Matrix animated;
    const host::xmath::Vector bind[3] = {{bind_[0][0], bind_[0][1], bind_[0][2], bind_[0][3]},
                                         {bind_[1][0], bind_[1][1], bind_[1][2], bind_[1][3]},
                                         {bind_[2][0], bind_[2][1], bind_[2][2], bind_[2][3]}};
    if (controller->getNodeMatrix(name_, animated, bind)) local_ = fromXm(animated);
  }
  const math::Matrix combined = math::matrixMultiply(local_, parent);
  for (const auto& child : children_) child->applyPose(combined, controller);
}

void DX12ModelNode::darw(Directx12ModelDrawContext& context, ModelMeshContainer* container, DX12ModelNode* parent,
                         bool useRootMaterial) {
  context.push(local_);
  if (visible_ && container) {
    DeviceContext* device = DeviceContext::getInstance();
    const bool shadow = context.isShadowPass();
    device->pushPipeline(shadow ? PIPELINE_MODEL_SHADOW : PIPELINE_MODEL_DRAW);
    ModelRoot* root = context.root();
    for (std::uint32_t index : mesh_indices_) {
      if (index >= container->meshes.size()) continue;  // reported when the tree was read
      MeshContainer* mesh = container->meshes[index];
      ModelDrawInfoData* data = context.allocDrawData();
      data->setUsed(true);
      DX12Material* constants = data->materialConstants();
      if (!constants) continue;  // no device: nothing can be drawn
      std::memset(constants->shadow_color, 0, sizeof constants->shadow_color);
      constants->shadow_pass = shadow ? 1 : 0;
      constants->untextured = 0;

      math::Matrix world = context.getTop();
      if (shadow) {
        gfx::Camera* camera = device->currentCamera();
        std::vector<int> planes;
        if (camera) camera->studioInfo().top()->listShadowPlanes(planes);
        if (planes.empty()) {
          report(300, kDarw);
        } else {
          world = math::matrixMultiply(world, camera->studioInfo().top()->shadowPlanes().at(planes.front()).matrix);
          constants->shadow_color[3] = 0.5f;
        }
      } else if (useRootMaterial) {
        gfx::Material* material = nullptr;
        if (root && root->getFrameMaterial(material, nullptr) && material)
          material->writeConstants(*data);
        else
          report(310, "rk::gfx::Model::getFrameMaterial");
      } else if (material_.top().valid) {
        material_.writeConstants(*data);
        gfx::Material* frame = nullptr;
        if (root && root->getFrameMaterial(frame, name_.c_str()) && frame) {
          const gfx::Color emissive = frame->getEmissive();
          copyColor(constants->emissive, emissive.data());
        } else {
          report(320, "rk::gfx::Model::getFrameMaterial");
        }
      } else if (mesh->material) {
        copyColor(constants->diffuse, mesh->material->diffuse);
        copyColor(constants->specular, mesh->material->specular);
        std::memset(constants->emissive, 0, sizeof constants->emissive);
      } else {
        // A mesh whose material index lay outside the list: plain white.
        const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
        copyColor(constants->diffuse, white);
        std::memset(constants->specular, 0, sizeof constants->specular);
        std::memset(constants->emissive, 0, sizeof constants->emissive);
      }

      // A texture that failed to load has no view: the mesh draws untextured.
      gfx::RkTexture* texture = mesh->material ? mesh->material->textures[0] : nullptr;
      auto* gpuTexture = dynamic_cast<gfx::RkTexture12*>(texture);
      if (!gpuTexture || !gpuTexture->hasView()) constants->untextured = 1;

      data->setWorld(world);
      context.bindDrawData(data);
      device->setTexture(texture);
      if (!mesh->vertexBuffer || !mesh->indexBuffer || !mesh->indexBuffer->view() || !mesh->vertexBuffer->view())
        continue;  // a mesh without indices is an empty draw
      host::gpu::GraphicsCommandList* list = device->getNowCommandList();
      if (!list) continue;
      device->sendVertexBuffer(mesh->vertexBuffer);
      list->iaSetIndexBuffer(mesh->indexBuffer->view());
      list->iaSetPrimitiveTopology(host::gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
      list->drawIndexedInstanced(mesh->indexBuffer->getCount(), 1, 0, 0, 0);
    }
    device->popPipeline();
  }
  for (const auto& child : children_) child->darw(context, container, this, useRootMaterial);
  context.pop();
  (void)parent;
}

DX12ModelNodeRoot::~DX12ModelNodeRoot() = default;

host::HResult DX12ModelNodeRoot::createNode(ModelReader& r, DX12ModelNode* parent) {
  if (!r.isString("EX-FILE")) {
    report(240, "rk::driver::directx::directx12::DX12ModelNodeRoot::createNode");
    return host::E_FAIL;
  }
  r.advanceString();
  r.advance16byte();
  const std::uint32_t offset = r.readDWORD();
  if (offset > r.size() || offset < r.cursor()) {
    report(248, "rk::res::ResourceReader::seek");
    return host::E_FAIL;
  }
  r.advanceByte(offset - r.cursor());
  return readRecord(r, parent, 0);
}

DX12NodeUnit* DX12NodeUnit::createInstance() { return singletonCreate<DX12NodeUnit>(InstanceSlot::NodeUnit, kReport); }
DX12NodeUnit* DX12NodeUnit::getInstance() { return singletonGet<DX12NodeUnit>(InstanceSlot::NodeUnit, kReport); }
void DX12NodeUnit::destroyInstance() { singletonDestroy<DX12NodeUnit>(InstanceSlot::NodeUnit, kReport); }

DX12ModelNodeRoot* DX12NodeUnit::createNodeTree(res::ResourceData* resource) {
  ModelReader reader(resource);
  auto* root = new (std::nothrow) DX12ModelNodeRoot(resource);
  const host::HResult hr = root ? root->createNode(reader, nullptr) : host::E_OUTOFMEMORY;
  if (host::succeeded(hr)) return root;
  // The box runs on a thread of its own while this thread waits for it.
  std::thread box(debug::makeErrorMessageTask(DeviceContext::getInstance()->getWindowHandle(), hr));
  box.join();
  delete root;
  return nullptr;
}

}  // namespace rk::driver::directx::directx12
