// Writes model files: header, TEXTURES, MATERIALS and MESH blocks, the node
// tree and the animation takes, with the padding and offsets of the format.
// Shapes (boxes, spheres, a ship) make meshes with normals, texture
// coordinates and boxes; a short text description builds a whole model.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace modelfile {

struct ModelFileMaterial {
  float diffuse[4] = {1, 1, 1, 1};
  float specular[4] = {0, 0, 0, 1};
  std::int32_t textures[4] = {-1, -1, -1, -1};
};

struct ModelFileMesh {
  std::uint32_t material = 0;
  std::vector<float> vertices;  // 11 floats per vertex: position, normal, uv, tangent
  std::vector<std::uint32_t> indices;
  float boxMin[3] = {0, 0, 0};
  float boxMax[3] = {0, 0, 0};
  // Sets the box around the vertex positions (an empty mesh keeps its box).
  void computeBox();
};

struct ModelFileNode {
  std::string name = "root";
  float scale[3] = {1, 1, 1};
  float rotation[4] = {0, 0, 0, 1};  // quaternion x, y, z, w
  float translation[3] = {0, 0, 0};
  std::vector<std::uint32_t> meshes;
  std::vector<ModelFileNode> children;
};

// One animated node of a take: keys as (x, y, z, frame) or (x, y, z, w, frame).
struct ModelFileTrack {
  std::string node;
  std::vector<std::vector<float>> scale, quat, pos;
};
struct ModelFileTake {
  std::string name;
  double rate = 30.0;
  std::vector<ModelFileTrack> tracks;
};

struct ModelFile {
  std::vector<ModelFileTake> takes;
  std::vector<std::string> textures;
  std::vector<ModelFileMaterial> materials;
  std::vector<ModelFileMesh> meshes;
  ModelFileNode root;

  // Offsets of the mesh records and of the node part, filled by bytes(): for
  // cutting and patching files in tests.
  std::vector<std::size_t> meshOffsets;
  std::size_t nodeOffset = 0;
  std::size_t animeOffset = 0;

  std::vector<std::uint8_t> bytes();

 private:
  void raw(const void* p, std::size_t n);
  void u32(std::uint32_t v) { raw(&v, 4); }
  void str(const std::string& s) { raw(s.c_str(), s.size() + 1); }
  void pad() { out_.resize((out_.size() + 15) & ~std::size_t{15}, 0); }
  void keys(const char* tag, const std::vector<std::vector<float>>& list);
  void node(const ModelFileNode& n);

  std::vector<std::uint8_t> out_;
};

// Shapes centred on `at`, outward normals, texture coordinates 0..1 per face.
ModelFileMesh box(std::uint32_t material, float sx, float sy, float sz, const float at[3] = nullptr);
ModelFileMesh sphere(std::uint32_t material, float radius, int slices, int stacks, const float at[3] = nullptr);
// A small arrow-headed ship along +z: a pointed hull with two wings.
ModelFileMesh ship(std::uint32_t material, float length);

// A texture the description asks for: its file name as the model lists it,
// the stored DDS name, and its pattern and size for the DDS writer.
struct TextureSource {
  std::string listed;
  std::string stored;
  std::string pattern;
  std::uint32_t width = 16, height = 16;
};

// Reads a model description (one statement per line, '#' starts a comment):
//   texture <name.tga> <width> <height> <pattern...>
//   material <r g b a> [specular <r g b a>] [texture <index>]
//   box <material> <sx> <sy> <sz> [at <x y z>]
//   sphere <material> <radius> <slices> <stacks> [at <x y z>]
//   ship <material> <length>
//   node <name> [parent <name>] [mesh <i>...] [translate <x y z>] [scale <x y z>] [rotate <ax ay az degrees>]
//   take <name> <keys per second>
//   scale|pos <take> <node> <frame> <x y z>
//   quat <take> <node> <frame> <ax ay az degrees>
// The first node is the root. Returns false with a message naming the line.
bool parseDescription(const std::string& text, ModelFile& model, std::vector<TextureSource>& textures,
                      std::string& error);

}  // namespace modelfile
