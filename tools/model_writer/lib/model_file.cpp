#include "model_writer/lib/model_file.h"

#include <algorithm>
#include <cfloat>
#include <cstring>

namespace modelfile {

void ModelFileMesh::computeBox() {
  if (vertices.size() < 11) return;
  for (int k = 0; k < 3; ++k) boxMin[k] = FLT_MAX, boxMax[k] = -FLT_MAX;
  for (std::size_t v = 0; v + 11 <= vertices.size(); v += 11)
    for (int k = 0; k < 3; ++k) {
      boxMin[k] = std::min(boxMin[k], vertices[v + k]);
      boxMax[k] = std::max(boxMax[k], vertices[v + k]);
    }
}

void ModelFile::raw(const void* p, std::size_t n) {
  const auto* b = static_cast<const std::uint8_t*>(p);
  out_.insert(out_.end(), b, b + n);
}

void ModelFile::keys(const char* tag, const std::vector<std::vector<float>>& list) {
  str(tag), pad(), u32(std::uint32_t(list.size()));
  for (const std::vector<float>& k : list) raw(k.data(), k.size() * 4);
  pad();
}

void ModelFile::node(const ModelFileNode& n) {
  str("NODE"), str(n.name), pad();
  raw(n.scale, 12), raw(n.rotation, 16), raw(n.translation, 12);
  u32(std::uint32_t(n.meshes.size())), raw(n.meshes.data(), n.meshes.size() * 4), pad();
  str("CHILD"), pad(), u32(std::uint32_t(n.children.size())), pad();
  for (const ModelFileNode& c : n.children) node(c);
  str("CHILD-END"), pad(), str("NEND"), str(n.name), pad();
}

std::vector<std::uint8_t> ModelFile::bytes() {
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
  for (const ModelFileMaterial& m : materials) raw(m.diffuse, 16), raw(m.specular, 16), raw(m.textures, 16);
  str("MESH"), pad(), u32(std::uint32_t(meshes.size())), pad();
  for (const ModelFileMesh& m : meshes) {
    meshOffsets.push_back(out_.size());
    u32(m.material), u32(std::uint32_t(m.vertices.size() / 11));
    raw(m.vertices.data(), m.vertices.size() * 4);
    u32(std::uint32_t(m.indices.size())), raw(m.indices.data(), m.indices.size() * 4);
    pad(), raw(m.boxMin, 12), raw(m.boxMax, 12), pad();
  }
  nodeOffset = out_.size();
  node(root);
  animeOffset = out_.size();
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
  const auto node32 = std::uint32_t(nodeOffset), anime32 = std::uint32_t(animeOffset);
  std::memcpy(out_.data() + offsets, &node32, 4);
  std::memcpy(out_.data() + offsets + 4, &anime32, 4);
  return out_;
}

}  // namespace modelfile
