#include "platform/driver/directx_driver/rk_directx12_model.h"

#include <cstring>

#include "fs/rk_file_manager.h"
#include "gfx/rk_index_buffer.h"
#include "gfx/rk_texture.h"
#include "gfx/rk_texture_manager.h"
#include "gfx/rk_vertex_buffer.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_hr_exception.h"
#include "kernel/rk_instance_table.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_anime_unit.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_node_unit.h"

namespace rk::driver::directx {

using directx12::DX12MeshUnit;
using directx12::MeshContainer;
using directx12::ModelMaterial;
using directx12::ModelMeshContainer;

namespace {
constexpr const char* kSource = "src/platform/driver/directx_driver/rk_directx12_model";
constexpr const char* kMakeModel = "rk::driver::directx::DxModelRoot12::makeModel";
constexpr std::uint32_t kMaterialBytes = 48;

void report(int line, const char* text) { debug::writeErrorLog(kSource, line, text); }

void releaseTextures(ModelMaterial& m) {
  for (gfx::RkTexture*& t : m.textures)
    if (t) t->release(kSource, 30), t = nullptr;
}
}  // namespace

// ---- ModelReader ----

ModelReader::ModelReader(res::ResourceData* resource) : resource_(resource) {
  if (resource && resource->data()) {
    data_ = resource->data();
    size_ = resource->size();
  }
}

bool ModelReader::moveTo(std::uint64_t target, int line, const char* operation) {
  if (target > size_) {
    report(line, operation);
    cursor_ = size_;
    overrun_ = true;
    return false;
  }
  cursor_ = static_cast<std::uint32_t>(target);
  return true;
}

void ModelReader::advanceDWORD() {
  moveTo(std::uint64_t{cursor_} + 4, 60, "rk::driver::directx::ModelReader::advanceDWORD");
}

void ModelReader::advance16byte() {
  moveTo((std::uint64_t{cursor_} + 15) & ~std::uint64_t{15}, 66,
         "rk::driver::directx::ModelReader::advance16byte");
}

void ModelReader::advanceString() {
  const void* zero = cursor_ < size_ ? std::memchr(data_ + cursor_, 0, size_ - cursor_) : nullptr;
  // An unterminated string runs to the end of the data, which is an overrun.
  const std::uint64_t target =
      zero ? static_cast<const std::uint8_t*>(zero) - data_ + 1 : std::uint64_t{size_} + 1;
  moveTo(target, 74, "rk::driver::directx::ModelReader::advanceString");
}

void ModelReader::advanceByte(std::uint32_t count) {
  moveTo(std::uint64_t{cursor_} + count, 80, "rk::driver::directx::ModelReader::advanceByte");
}

std::string ModelReader::getTextureName(std::uint32_t index) const {
  if (index >= texture_names_.size()) {
    report(86, "rk::driver::directx::ModelReader::getTextureName");
    return std::string();
  }
  return texture_names_[index];
}

bool ModelReader::isString(const char* text) const {
  const std::size_t n = std::strlen(text) + 1;  // with its zero
  return remaining() >= n && std::memcmp(data_ + cursor_, text, n) == 0;
}

std::string ModelReader::string() const {
  if (cursor_ >= size_) return std::string();
  const char* p = reinterpret_cast<const char*>(data_ + cursor_);
  return std::string(p, strnlen(p, size_ - cursor_));
}

std::uint32_t ModelReader::dword() const {
  if (remaining() < 4) return 0;
  const std::uint8_t* p = data_ + cursor_;
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

std::uint32_t ModelReader::readDWORD() {
  const std::uint32_t value = dword();
  advanceDWORD();
  return value;
}

// ---- DxModelRoot12 ----

namespace {
std::string folderOf(const std::string& name) {
  const std::size_t slash = name.rfind('/');
  return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}
}  // namespace

DxModelRoot12::DxModelRoot12(const std::string& name)
    : Task(0, "DxModelRoot"), name_(name), folder_(folderOf(name)) {}

DxModelRoot12::~DxModelRoot12() {
  if (mesh_container_) mesh_container_->release(kSource, 130);
  mesh_container_ = nullptr;
  // The units are checked as the framework's order guarantees them; the tree
  // and the controller are this root's own either way.
  if (controller_) {
    directx12::DX12AnimeUnit::getInstance();
    delete controller_;
  }
  if (node_tree_) {
    directx12::DX12NodeUnit::getInstance();
    delete node_tree_;
  }
}

int DxModelRoot12::initStep(float) {
  if (state_ == kIdle) return 1;
  std::string stored, mode;
  const bool compressed = fs::FileManager::mapAssetName(stored, mode, name_);
  fs::FileManager* files = fs::FileManager::getInstance();
  if (!files) return 1;  // reported by getInstance; asked again next frame
  try {
    resource_ = files->loadFile(stored, mode.c_str(), compressed, nullptr);
  } catch (const HrException& e) {
    // A model file that cannot be opened is reported; the root stays idle and is never drawn.
    debug::writeErrorLog(kSource, 150, (std::string("rk::driver::directx::DxModelRoot12::initStep\n") + e.what()).c_str());
    state_ = kIdle;
    return 1;
  }
  folder_ = folderOf(name_);
  setActive(true);
  return 0;
}

void DxModelRoot12::update(float) {
  if (state_ == kLoading) {
    if (!resource_ || !resource_->isLoaded()) return;
    ModelReader reader(resource_.get());
    makeModel(reader);
    state_ = kMeshRead;
  }
  if (state_ != kMeshRead) return;
  if (!mesh_container_ || !texturesReady()) return;
  state_ = kReady;
  setActive(false);
  applyPose();
}

bool DxModelRoot12::texturesReady() const {
  for (const MeshContainer* mesh : mesh_container_->meshes) {
    if (!mesh->material) continue;
    for (const gfx::RkTexture* t : mesh->material->textures)
      if (t && !t->info().loaded_) return false;
  }
  return true;
}

void DxModelRoot12::makeModel(ModelReader& reader) {
  readMeshPart(reader);
  res::ResourceData* resource = reader.resource();
  if (!resource) return;
  if (singletonExists(InstanceSlot::AnimeUnit)) {
    delete controller_;
    controller_ = directx12::DX12AnimeUnit::getInstance()->createAnimationController(resource);
  }
  if (singletonExists(InstanceSlot::NodeUnit)) {
    delete node_tree_;
    node_tree_ = directx12::DX12NodeUnit::getInstance()->createNodeTree(resource);
  }
  applyPose();
}

void DxModelRoot12::readMeshPart(ModelReader& reader) {
  // A tag mismatch is reported and the blocks are looked for from the start.
  if (!reader.isString("EX-FILE")) {
    report(137, kMakeModel);
  } else {
    reader.advanceString();
    reader.advance16byte();
    reader.advanceDWORD();
    reader.advanceDWORD();
    reader.advance16byte();
    DX12MeshUnit* unit = DX12MeshUnit::getInstance();
    if (unit && reader.resource() && unit->has(reader.resource()->name())) {
      // A second copy shares the cached meshes and textures.
      bool existed = false;
      ModelMeshContainer* c = unit->getOrCreate(reader.resource()->name(), existed);
      if (!existed) report(149, kMakeModel);
      if (mesh_container_) mesh_container_->release(kSource, 150);
      mesh_container_ = c;
      return;
    }
  }

  bool textures = false, materials = false, meshes = false;
  while (!(textures && materials && meshes) && !reader.overrun()) {
    std::vector<ModelMaterial> pass_materials;  // freed at the end of each pass
    bool found = false;
    if (reader.isString("TEXTURES")) {
      readTextures(reader);
      textures = found = true;
    }
    if (!reader.overrun() && reader.isString("MATERIALS")) {
      readMaterials(reader, pass_materials);
      materials = found = true;
    }
    if (!reader.overrun() && reader.isString("MESH")) {
      readMeshes(reader, pass_materials);
      meshes = found = true;
    }
    for (ModelMaterial& m : pass_materials) releaseTextures(m);
    // A pass that finds no block would find none again: stop.
    if (!found && !reader.overrun()) {
      report(173, kMakeModel);
      break;
    }
  }
}

void DxModelRoot12::readTextures(ModelReader& reader) {
  reader.advanceString();
  reader.advance16byte();
  const std::uint32_t count = reader.readDWORD();
  reader.advance16byte();
  for (std::uint32_t i = 0; i < count && !reader.overrun(); ++i) {
    std::string stored, mode;
    fs::FileManager::mapAssetName(stored, mode, reader.string());
    reader.textureNames().push_back(folder_ + stored);
    reader.advanceString();
  }
  reader.advance16byte();
}

void DxModelRoot12::readMaterials(ModelReader& reader, std::vector<ModelMaterial>& out) {
  reader.advanceString();
  reader.advance16byte();
  const std::uint32_t count = reader.readDWORD();
  reader.advance16byte();
  for (std::uint32_t i = 0; i < count && !reader.overrun(); ++i) {
    if (reader.remaining() < kMaterialBytes) {  // a record cut short is not read
      reader.advanceByte(kMaterialBytes);
      break;
    }
    const std::uint8_t* record = reader.data() + reader.cursor();
    ModelMaterial m;
    for (int slot : {0, 3, 1, 2}) {
      std::int32_t index = 0;
      std::memcpy(&index, record + 32 + 4 * slot, 4);
      if (index < 0) continue;
      const std::string name = reader.getTextureName(static_cast<std::uint32_t>(index));
      if (!name.empty()) m.textures[slot] = gfx::RkTextureManager::getInstance()->loadTexture(name);
    }
    std::memcpy(m.diffuse, record, 16);
    std::memcpy(m.specular, record + 16, 16);
    m.used = 0;
    out.push_back(m);
    reader.advanceByte(kMaterialBytes);
  }
}

void DxModelRoot12::readMeshes(ModelReader& reader, std::vector<ModelMaterial>& materials) {
  reader.advanceString();
  reader.advance16byte();
  const std::uint32_t count = reader.readDWORD();
  reader.advance16byte();
  bool existed = false;
  ModelMeshContainer* c = DX12MeshUnit::getInstance()->getOrCreate(name_, existed);
  if (mesh_container_) mesh_container_->release(kSource, 222);
  mesh_container_ = c;
  if (existed) {
    report(225, kMakeModel);
    return;
  }
  // The container takes over the pass's texture references.
  c->materials = materials;
  for (ModelMaterial& m : materials)
    for (gfx::RkTexture*& t : m.textures) t = nullptr;
  DeviceContext* context = DeviceContext::getInstance();

  for (std::uint32_t i = 0; i < count && !reader.overrun(); ++i) {
    auto* mesh = new MeshContainer;
    mesh->addRef();
    const std::uint32_t material = reader.readDWORD();
    if (material < c->materials.size()) {
      c->materials[material].used = 1;
      mesh->material = &c->materials[material];
    } else {
      report(240, kMakeModel);  // no such material: the mesh draws without one
    }

    // Counts are checked against the bytes left before anything is sized.
    const std::uint32_t vertices = reader.readDWORD();
    if (reader.overrun() || std::uint64_t{vertices} * directx12::kModelVertexBytes > reader.remaining()) {
      reader.advanceByte(reader.remaining() + 1);
      mesh->release(kSource, 247);
      break;
    }
    const std::uint32_t vertex_bytes = vertices * directx12::kModelVertexBytes;
    mesh->vertices.assign(reader.data() + reader.cursor(), reader.data() + reader.cursor() + vertex_bytes);
    context->createVertexBuffer(gfx::VERTEX_KIND_MODEL_VERTEX, &mesh->vertexBuffer);
    mesh->vertexBuffer->setData(mesh->vertices.data(), vertex_bytes);
    if (vertices > 0) mesh->vertexBuffer->build();  // an empty upload buffer is refused
    reader.advanceByte(vertex_bytes);

    const std::uint32_t indices = reader.readDWORD();
    if (reader.overrun() || std::uint64_t{indices} * 4 > reader.remaining()) {
      reader.advanceByte(reader.remaining() + 1);
      mesh->release(kSource, 262);
      break;
    }
    mesh->indices.resize(indices);
    if (indices > 0) std::memcpy(mesh->indices.data(), reader.data() + reader.cursor(), std::size_t{indices} * 4);
    context->createIndexBuffer(&mesh->indexBuffer);
    mesh->indexBuffer->setIndices(mesh->indices.data(), indices);
    if (indices > 0) mesh->indexBuffer->build();
    reader.advanceByte(indices * 4);

    reader.advance16byte();
    if (reader.overrun() || reader.remaining() < 24) {
      reader.advanceByte(24);
      mesh->release(kSource, 275);
      break;
    }
    std::memcpy(mesh->boxMin, reader.data() + reader.cursor(), 12);
    std::memcpy(mesh->boxMax, reader.data() + reader.cursor() + 12, 12);
    reader.advanceByte(24);
    reader.advance16byte();

    c->setupContainer(mesh);
    c->meshes.push_back(mesh);
  }
}

}  // namespace rk::driver::directx
