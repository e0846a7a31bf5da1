// Writes model files for tests: header, TEXTURES, MATERIALS and MESH blocks,
// and a one-node tree, with the padding and offsets of the real format.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace rktest {

struct ModelFileMaterial {
  float diffuse[4] = {1, 1, 1, 1};
  float specular[4] = {0, 0, 0, 1};
  std::int32_t textures[4] = {-1, -1, -1, -1};
};

struct ModelFileMesh {
  std::uint32_t material = 0;
  std::vector<float> vertices;  // 11 floats per vertex
  std::vector<std::uint32_t> indices;
  float boxMin[3] = {0, 0, 0};
  float boxMax[3] = {0, 0, 0};
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

  // Offsets of the mesh records, filled by bytes(): for cutting and patching.
  std::vector<std::size_t> meshOffsets;

  std::vector<std::uint8_t> bytes() {
    out_.clear();
    meshOffsets.clear();
    str("EX-FILE");
    pad();
    const std::size_t offsets = out_.size();
    u32(0), u32(0);
    pad();
    str("TEXTURES"), pad(), u32(std::uint32_t(textures.size())), pad();
    for (const std::string& t : textures) str(t);
    pad();
    str("MATERIALS"), pad(), u32(std::uint32_t(materials.size())), pad();
    for (const ModelFileMaterial& m : materials) {
      raw(m.diffuse, 16), raw(m.specular, 16), raw(m.textures, 16);
    }
    str("MESH"), pad(), u32(std::uint32_t(meshes.size())), pad();
    for (const ModelFileMesh& m : meshes) {
      meshOffsets.push_back(out_.size());
      u32(m.material), u32(std::uint32_t(m.vertices.size() / 11));
      raw(m.vertices.data(), m.vertices.size() * 4);
      u32(std::uint32_t(m.indices.size())), raw(m.indices.data(), m.indices.size() * 4);
      pad(), raw(m.boxMin, 12), raw(m.boxMax, 12), pad();
    }
    const std::uint32_t node = std::uint32_t(out_.size());
    str("NODE"), str("root"), pad();
    const float srt[10] = {1, 1, 1, 0, 0, 0, 1, 0, 0, 0};
    raw(srt, 40), u32(0), pad();
    str("CHILD"), pad(), u32(0), pad(), str("CHILD-END"), pad(), str("NEND"), str("root"), pad();
    const std::uint32_t anime = std::uint32_t(out_.size());
    str("ANIME-START"), pad(), u32(std::uint32_t(takes.size())), pad();
    for (const ModelFileTake& t : takes) {
      str("TAKE"), str(t.name), pad();
      const double second = 0.0;
      raw(&t.rate, 8), raw(&second, 8), u32(std::uint32_t(t.tracks.size())), pad();
      for (const ModelFileTrack& k : t.tracks) {
        str("F-ANIME"), str(k.node), pad();
        keys("SCALE", k.scale), keys("QUAT", k.quat), keys("POS", k.pos);
        str("F-ANIME-END"), str(k.node), pad();
      }
      str("TAKE-END"), str(t.name), pad();
    }
    std::memcpy(out_.data() + offsets, &node, 4);
    std::memcpy(out_.data() + offsets + 4, &anime, 4);
    return out_;
  }

 private:
  void raw(const void* p, std::size_t n) {
    const auto* b = static_cast<const std::uint8_t*>(p);
    out_.insert(out_.end(), b, b + n);
  }
  void u32(std::uint32_t v) { raw(&v, 4); }
  void str(const std::string& s) { raw(s.c_str(), s.size() + 1); }
  void keys(const char* tag, const std::vector<std::vector<float>>& list) {
    str(tag), pad(), u32(std::uint32_t(list.size()));
    for (const std::vector<float>& k : list) raw(k.data(), k.size() * 4);
    pad();
  }
  void pad() { out_.resize((out_.size() + 15) & ~std::size_t{15}, 0); }

  std::vector<std::uint8_t> out_;
};

}  // namespace rktest
