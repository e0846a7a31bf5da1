// The mesh cache: one ModelMeshContainer per model file name, shared by every
// model root that shows the file. Only the part the model reader fills is
// here; frame queries and drawing belong with the node unit.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "kernel/rk_device_lost_recover_event.h"
#include "policy/rk_shared_object.h"

namespace rk::gfx {
class IndexBuffer;
class RkTexture;
class VertexBuffer;
}  // namespace rk::gfx

namespace rk::driver::directx::directx12 {

// One material of a model file: the 32 colour bytes as read, four textures
// (one reference each, null for none) and whether a mesh uses it.
struct ModelMaterial {
  float diffuse[4] = {0, 0, 0, 0};
  float specular[4] = {0, 0, 0, 0};
  gfx::RkTexture* textures[4] = {nullptr, nullptr, nullptr, nullptr};
  std::uint8_t used = 0;
};

// The size of one model vertex: position, normal, uv, tangent.
constexpr std::uint32_t kModelVertexBytes = 44;

class MeshContainer : public policy::SharedObject {
 public:
  // Gives back the buffers and empties the CPU copies.
  void destroy() override;

  std::uint8_t setup = 0;
  ModelMaterial* material = nullptr;  // inside the owning container's vector
  gfx::VertexBuffer* vertexBuffer = nullptr;
  gfx::IndexBuffer* indexBuffer = nullptr;
  std::vector<std::uint8_t> vertices;  // kModelVertexBytes each; the vertex buffer reads them
  std::vector<std::uint32_t> indices;
  float boxMin[3] = {0, 0, 0};
  float boxMax[3] = {0, 0, 0};
};

class ModelMeshContainer : public policy::SharedObject, public IDeviceLostRecoverEvent {
 public:
  // Releases meshes and textures, leaves the mesh unit and the device-lost list.
  void destroy() override;
  void onLost() override;
  void onRecover() override;
  // Marks a freshly read mesh set up and takes over its reference.
  void setupContainer(MeshContainer* mesh);

  std::vector<MeshContainer*> meshes;
  std::vector<ModelMaterial> materials;
  std::string name;
};

class DX12MeshUnit {
 public:
  static DX12MeshUnit* createInstance();
  static DX12MeshUnit* getInstance();
  static void destroyInstance();

  // Releases every container still registered.
  ~DX12MeshUnit();

  // The container of `name` with one more reference; creates it when missing.
  ModelMeshContainer* getOrCreate(const std::string& name, bool& existed);
  ModelMeshContainer* find(const std::string& name) const;
  bool has(const std::string& name) const { return find(name) != nullptr; }
  // Forgets a container (its last release).
  void remove(ModelMeshContainer* container);

 private:
  std::multimap<int, ModelMeshContainer*> map_;
};

}  // namespace rk::driver::directx::directx12
