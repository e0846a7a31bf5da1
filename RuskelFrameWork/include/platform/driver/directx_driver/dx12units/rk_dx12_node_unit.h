// The node (frame) tree of a model file: one fresh tree per model root, read
// from the file's node part. Nodes carry their names, the local matrices the
// animation overwrites, a frame material each, the indices of their meshes in
// the shared mesh container and the box around those meshes; they draw
// themselves recursively through the model draw context.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gfx/rk_material.h"
#include "host/hresult.h"
#include "math/rk_matrix.h"
#include "res/rk_resource.h"

namespace rk::driver::directx {
class ModelReader;
}

namespace rk::driver::directx::directx12 {

class DX12AnimationController;
class Directx12ModelDrawContext;
class MeshContainer;
class ModelMeshContainer;

class DX12ModelNode {
 public:
  DX12ModelNode();
  virtual ~DX12ModelNode();
  DX12ModelNode(const DX12ModelNode&) = delete;
  DX12ModelNode& operator=(const DX12ModelNode&) = delete;

  // Reads one NODE record and its children at the reader's cursor.
  virtual host::HResult createNode(ModelReader& reader, DX12ModelNode* parent);

  // Pre-order searches by name (hash first, then the exact name). The matrix
  // search passes local x parent down and writes the first match's product.
  bool findFrameMatrix(math::Matrix& out, const math::Matrix& parent, const std::string& name, int hash) const;
  // A null name answers this node's own material.
  bool findFrameMaterial(gfx::Material*& out, const char* name, int hash);
  bool collectFrameMeshes(std::vector<MeshContainer*>& out, const ModelMeshContainer* container,
                          const std::string& name, int hash) const;
  // Pre-order: every node the controller's take animates gets the animated local matrix.
  void applyPose(const math::Matrix& parent, const DX12AnimationController* controller);
  // Draws this node's meshes and then its children (pre-order).
  void darw(Directx12ModelDrawContext& context, ModelMeshContainer* container, DX12ModelNode* parent,
            bool useRootMaterial);

  const std::string& name() const { return name_; }
  int hash() const { return hash_; }
  const math::Matrix& localMatrix() const { return local_; }
  void setLocalMatrix(const math::Matrix& m) { local_ = m; }
  gfx::Material& material() { return material_; }
  const std::vector<std::uint32_t>& meshIndices() const { return mesh_indices_; }
  const float* boxMin() const { return box_min_; }
  const float* boxMax() const { return box_max_; }
  DX12ModelNode* parent() const { return parent_; }
  const std::vector<std::unique_ptr<DX12ModelNode>>& children() const { return children_; }
  bool isVisible() const { return visible_ != 0; }
  // Every node of the tree below and including this one.
  std::size_t countNodes() const;

 protected:
  // Reads this node's record; `depth` bounds the nesting a damaged file could claim.
  host::HResult readRecord(ModelReader& reader, DX12ModelNode* parent, int depth);

 private:
  std::string name_;
  int hash_ = 0;
  math::Matrix local_ = math::matrixIdentity();
  // The file's scale, rotation and translation: what a take leaves unanimated.
  float bind_[3][4] = {{1, 1, 1, 0}, {0, 0, 0, 1}, {0, 0, 0, 0}};
  gfx::Material material_;
  std::vector<std::uint32_t> mesh_indices_;
  float box_min_[3];
  float box_max_[3];
  DX12ModelNode* parent_ = nullptr;
  std::vector<std::unique_ptr<DX12ModelNode>> children_;
  std::uint8_t visible_ = 1;
};

// The root node keeps the file's resource alive.
class DX12ModelNodeRoot : public DX12ModelNode {
 public:
  explicit DX12ModelNodeRoot(res::ResourceData* resource) : resource_(resource) {}
  ~DX12ModelNodeRoot() override;
  // Checks the file's tag, seeks to the node part and reads the root record.
  host::HResult createNode(ModelReader& reader, DX12ModelNode* parent) override;

 private:
  res::ResourcePtr resource_;
};

class DX12NodeUnit {
 public:
  static DX12NodeUnit* createInstance();
  static DX12NodeUnit* getInstance();
  static void destroyInstance();

  // A new tree over the resource (the caller owns it), or null after a failed
  // build, which is shown in an error box first.
  DX12ModelNodeRoot* createNodeTree(res::ResourceData* resource);
};

}  // namespace rk::driver::directx::directx12
