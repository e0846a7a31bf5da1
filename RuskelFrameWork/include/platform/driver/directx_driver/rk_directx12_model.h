// The model file reader: a bounded cursor over the file's bytes, and the model
// root's parse of the mesh part (textures, materials, meshes).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/driver/directx_driver/dx12units/rk_dx12_mesh_unit.h"
#include "res/rk_resource.h"

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

// The model root as far as the reader needs it: the model's file name and its
// shared mesh container. The task, the animation controller and the node tree
// are added with the model root itself.
class DxModelRoot12 {
 public:
  explicit DxModelRoot12(const std::string& name);
  ~DxModelRoot12();
  DxModelRoot12(const DxModelRoot12&) = delete;
  DxModelRoot12& operator=(const DxModelRoot12&) = delete;

  // Parses the mesh part of the reader's file into this root.
  void makeModel(ModelReader& reader);

  const std::string& name() const { return name_; }
  const std::string& folder() const { return folder_; }
  directx12::ModelMeshContainer* meshContainer() const { return mesh_container_; }

 private:
  void readTextures(ModelReader& reader);
  void readMaterials(ModelReader& reader, std::vector<directx12::ModelMaterial>& out);
  void readMeshes(ModelReader& reader, std::vector<directx12::ModelMaterial>& materials);

  std::string name_;
  std::string folder_;
  directx12::ModelMeshContainer* mesh_container_ = nullptr;  // one reference
};

}  // namespace rk::driver::directx
