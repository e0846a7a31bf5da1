// The model file reader: a bounded cursor over the file's bytes, and the model
// root that loads, parses, animates and draws one model file.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "gfx/rk_animation_controller_interface.h"
#include "gfx/rk_material.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_mesh_unit.h"
#include "platform/driver/rk_model_root.h"
#include "res/rk_resource.h"
#include "task/rk_task.h"

namespace rk::driver::directx::directx12 {
class DX12AnimationController;
class DX12ModelNodeRoot;
class Directx12ModelDrawContext;
}  // namespace rk::driver::directx::directx12

namespace rk::driver::directx {

// Every move is checked against the data size. A move past the end writes one
// entry naming the operation, leaves the cursor at the end and marks the reader
// overrun; reads at or past the end yield zero bytes, never what lies beyond.
class ModelReader {
 public:
  explicit ModelReader(res::ResourceData* resource);

  const std::uint8_t* data() const { return data_; }
  std::uint32_t size() const { return size_; }
  std::uint32_t cursor() const { return cursor_; }
  bool overrun() const { return overrun_; }
  std::uint32_t remaining() const { return size_ - cursor_; }
  res::ResourceData* resource() const { return resource_.get(); }

  void advanceDWORD();
  void advance16byte();
  void advanceString();
  void advanceByte(std::uint32_t count);
  // The resolved name at `index`; an index outside the list is reported and
  // yields an empty name.
  std::string getTextureName(std::uint32_t index) const;

  // Whether the zero-terminated string at the cursor equals `text` (bounded).
  bool isString(const char* text) const;
  // The string at the cursor up to its zero or the end of the data.
  std::string string() const;
  // The 32-bit word at the cursor, 0 when fewer than 4 bytes are left.
  std::uint32_t dword() const;
  // Reads a word and advances past it.
  std::uint32_t readDWORD();

  std::vector<std::string>& textureNames() { return texture_names_; }

 private:
  bool moveTo(std::uint64_t target, int line, const char* operation);

  res::ResourcePtr resource_;
  const std::uint8_t* data_ = nullptr;
  std::uint32_t size_ = 0;
  std::uint32_t cursor_ = 0;
  bool overrun_ = false;
  std::vector<std::string> texture_names_;
};

// The Direct3D 12 model root: one per scene model. Its task asks the file
// manager for the model file, parses it once the bytes are there (meshes,
// materials and textures shared through the mesh unit; a fresh animation
// controller and node tree of its own), waits for the textures and then
// counts as ready. It draws its node tree through the model draw context.
class DxModelRoot12 : public ModelRoot, public gfx::IAnimationControllerInterface, public task::Task {
 public:
  enum State : int { kIdle = 0, kLoading = 1, kMeshRead = 2, kReady = 3 };

  // Registers the task; the load starts with its first initialise step.
  explicit DxModelRoot12(const std::string& name);
  ~DxModelRoot12() override;
  DxModelRoot12(const DxModelRoot12&) = delete;
  DxModelRoot12& operator=(const DxModelRoot12&) = delete;

  // Parses the reader's file: the mesh part (unless the mesh unit already
  // holds it), then the animation controller, the node tree and the first pose.
  void makeModel(ModelReader& reader);

  // ---- task: owned by its scene model, never deleted by the task manager
  bool isOwnedElsewhere() override { return true; }
  int initStep(float dt) override;
  void update(float dt) override;

  // ---- ModelRoot
  bool isReady() override { return state_ == kReady; }
  void setBaseMatrix(const math::Matrix& m) override { base_ = m; }
  void offsetFrameUV(const char* frame, float du, float dv) override;
  void setLoopAnime(bool loop) override;
  bool isLoopAnime() override;
  void setPlayAnime(int value) override;
  bool shiftAnime(int take, float blendSeconds) override;
  void changeAnime(int take) override;
  bool getAnimeID(int& take, const char* name) override;
  bool isEndOfAnime() override;
  float getNowAnimeTime() override;
  void setNowAnimeTime(float time) override;
  float getMaxAnimeTime() override;
  void setShadowColor(std::uint32_t) override {}
  std::uint32_t getShadowColor() override { return 0x40FFFFFFu; }
  const gfx::Color& getAddColor() override { return add_color_; }
  void setAddColor(const gfx::Color& color) override { add_color_ = color; }
  void setVisible(bool visible) override { visible_ = visible ? 1 : 0; }
  bool isVisible() override { return visible_ != 0; }
  bool findFrameCenterPoint(math::Vector4&, const char*) override { return false; }
  bool findFramePlane(math::Vector4&, const char*) override { return false; }
  bool findFrameSphere(math::Vector4&, float&, const char*) override { return false; }
  bool findFrameAABB(math::Vector4&, math::Vector4&, const char*) override { return false; }
  bool getFrameMatrix(math::Matrix& out, const char* frame) override;
  void searchFrameNameBack(const char*, int) override {}
  gfx::ModelDrawInfo* getModelDrawInfo(int index) override;
  void pushModelDrawInfo(int) override {}
  void popModelDrawInfo(int) override {}
  bool getFrameMaterial(gfx::Material*& out, const char* frame) override;
  host::HResult computeBoundingBox(math::Vector4*, math::Vector4*, const char*) override { return host::E_FAIL; }
  void setDrawMode(const char*, int) override {}
  void setFrameQuat(const char*, const math::Vector4&, bool) override {}
  void draw(directx12::Directx12ModelDrawContext& context) override;

  // ---- IAnimationControllerInterface (the same operations as above)
  void setStopAnime() override {}
  void setRestartAnime() override {}
  void updateAnime(float seconds) override;
  void applyPose() override;
  int getAnimeTakeNum() override;
  const char* getAnimeNameByNum(int index) override;

  const std::string& name() const { return name_; }
  const std::string& folder() const { return folder_; }
  int state() const { return state_; }
  directx12::ModelMeshContainer* meshContainer() const { return mesh_container_; }
  directx12::DX12AnimationController* controller() const { return controller_; }
  directx12::DX12ModelNodeRoot* nodeTree() const { return node_tree_; }
  res::ResourceData* resource() const { return resource_.get(); }
  const math::Matrix& baseMatrix() const { return base_; }
  gfx::Material& rootMaterial() { return root_material_; }

 private:
  void readTextures(ModelReader& reader);
  void readMaterials(ModelReader& reader, std::vector<directx12::ModelMaterial>& out);
  void readMeshes(ModelReader& reader, std::vector<directx12::ModelMaterial>& materials);
  void readMeshPart(ModelReader& reader);
  bool texturesReady() const;

  std::string name_;
  std::string folder_;
  directx12::ModelMeshContainer* mesh_container_ = nullptr;  // one reference
  directx12::DX12AnimationController* controller_ = nullptr;
  directx12::DX12ModelNodeRoot* node_tree_ = nullptr;
  res::ResourcePtr resource_;
  math::Matrix base_ = math::matrixIdentity();
  int state_ = kLoading;
  std::uint8_t visible_ = 0;
  gfx::Color add_color_;
  gfx::Material root_material_;
};

}  // namespace rk::driver::directx
