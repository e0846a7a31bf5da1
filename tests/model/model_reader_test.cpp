// The model reader: textures, materials and meshes read from a generated file,
// a second copy of a model sharing the cached meshes, and damaged files that
// are reported without reading outside the data.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "gfx/rk_index_buffer.h"
#include "gfx/rk_vertex_buffer.h"
#include "platform/driver/directx_driver/rk_directx12_model.h"
#include "renderer_resources/resources_rig.h"
#include "support/error_log_capture.h"
#include "support/model_file_writer.h"

namespace modeltest {
namespace {

using rk::driver::directx::DxModelRoot12;
using rk::driver::directx::ModelReader;
using rk::driver::directx::directx12::DX12MeshUnit;
using rk::driver::directx::directx12::ModelMeshContainer;
using rktest::ModelFile;
using rktest::ModelFileMesh;

ModelFileMesh mesh(std::uint32_t material, int vertices, std::vector<std::uint32_t> indices, float seed) {
  ModelFileMesh m;
  m.material = material;
  for (int i = 0; i < vertices * 11; ++i) m.vertices.push_back(seed + float(i));
  m.indices = std::move(indices);
  for (int i = 0; i < 3; ++i) m.boxMin[i] = seed - float(i), m.boxMax[i] = seed + float(i);
  return m;
}

// Two textures (one listed twice), three materials, two meshes.
ModelFile robo() {
  ModelFile f;
  f.textures = {"body.tga", "face.tga", "body.tga"};
  f.materials.resize(3);
  f.materials[0].textures[0] = 0;
  f.materials[0].textures[3] = 2;  // the same file as texture 0
  f.materials[0].diffuse[1] = 0.5f;
  f.materials[1].textures[0] = 1;
  f.materials[1].specular[2] = 0.25f;
  f.meshes = {mesh(1, 3, {0, 1, 2}, 10.0f), mesh(0, 4, {}, 100.0f)};
  return f;
}

class ModelReaderTest : public resourcetest::ResourceRig {
 protected:
  void SetUp() override {
    ResourceRig::SetUp();
    DX12MeshUnit::createInstance();
    std::filesystem::create_directories(data.file("model/robo"));
    for (const char* name : {"model/robo/body.dds", "model/robo/face.dds", "body.dds", "face.dds"})
      resourcetest::writeFile(data.file(name), resourcetest::makeDds(3));
  }
  void TearDown() override {
    roots_.clear();
    resources_.clear();
    DX12MeshUnit::destroyInstance();
    ResourceRig::TearDown();
  }

  // A loaded resource of the given bytes under `name`, as the file manager leaves it.
  rk::res::ResourceData* resource(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    auto* r = new rk::res::ResourceData(name.c_str(), rk::res::ResourceManager::getInstance());
    r->ownedBytes() = bytes;
    r->setReady(true);
    resources_.emplace_back(r);
    return r;
  }

  DxModelRoot12* load(const std::string& name, const std::vector<std::uint8_t>& bytes,
                      std::vector<std::string>* names = nullptr) {
    roots_.push_back(std::make_unique<DxModelRoot12>(name));
    ModelReader reader(resource(name, bytes));
    roots_.back()->makeModel(reader);
    if (names) *names = reader.textureNames();
    return roots_.back().get();
  }

  std::vector<std::unique_ptr<DxModelRoot12>> roots_;
  std::vector<rk::res::ResourcePtr> resources_;
};

TEST_F(ModelReaderTest, MeshesMaterialsAndTextureNamesAreReadBack) {
  rktest::ErrorLogCapture log;
  ModelFile file = robo();
  std::vector<std::string> names;
  DxModelRoot12* root = load("model/robo/robo.mdl", file.bytes(), &names);

  EXPECT_EQ(names, (std::vector<std::string>{"model/robo/body.dds", "model/robo/face.dds", "model/robo/body.dds"}));
  ModelMeshContainer* c = root->meshContainer();
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->count(), 1);
  EXPECT_EQ(c->name, "model/robo/robo.mdl");
  ASSERT_EQ(c->materials.size(), 3u);
  const auto& m = c->materials;
  EXPECT_FLOAT_EQ(m[0].diffuse[1], 0.5f);
  EXPECT_FLOAT_EQ(m[1].specular[2], 0.25f);
  ASSERT_NE(m[0].textures[0], nullptr);
  EXPECT_EQ(m[0].textures[0], m[0].textures[3]);  // duplicates share the one texture
  EXPECT_EQ(m[0].textures[0]->info().name_, "model/robo/body.dds");
  EXPECT_EQ(m[0].textures[0]->count(), 2);
  ASSERT_NE(m[1].textures[0], nullptr);
  EXPECT_EQ(m[1].textures[0]->info().name_, "model/robo/face.dds");
  for (int i : {1, 2}) EXPECT_EQ(m[0].textures[i], nullptr);
  for (auto* t : m[2].textures) EXPECT_EQ(t, nullptr);
  EXPECT_EQ(m[0].used, 1);
  EXPECT_EQ(m[1].used, 1);
  EXPECT_EQ(m[2].used, 0);

  ASSERT_EQ(c->meshes.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const auto* got = c->meshes[i];
    const ModelFileMesh& want = file.meshes[i];
    EXPECT_EQ(got->count(), 1);
    EXPECT_EQ(got->setup, 1);
    EXPECT_EQ(got->material, &c->materials[want.material]);
    ASSERT_EQ(got->vertices.size(), want.vertices.size() * 4);
    EXPECT_EQ(std::memcmp(got->vertices.data(), want.vertices.data(), got->vertices.size()), 0);
    EXPECT_EQ(got->indices, want.indices);
    for (int k = 0; k < 3; ++k) {
      EXPECT_FLOAT_EQ(got->boxMin[k], want.boxMin[k]);
      EXPECT_FLOAT_EQ(got->boxMax[k], want.boxMax[k]);
    }
    ASSERT_NE(got->vertexBuffer, nullptr);
    ASSERT_NE(got->indexBuffer, nullptr);
    EXPECT_EQ(got->indexBuffer->getCount(), want.indices.size());
  }
  EXPECT_TRUE(c->meshes[0]->vertexBuffer->isCreated());
  EXPECT_TRUE(c->meshes[0]->indexBuffer->isCreated());
  EXPECT_FALSE(c->meshes[1]->indexBuffer->isCreated());  // no indices: an empty draw
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(ModelReaderTest, AModelWithoutAFolderNamesItsTexturesWithoutOne) {
  std::vector<std::string> names;
  load("robo.mdl", robo().bytes(), &names);
  EXPECT_EQ(names, (std::vector<std::string>{"body.dds", "face.dds", "body.dds"}));
}

TEST_F(ModelReaderTest, ASecondCopySharesTheCachedMeshesAndLoadsNoTexture) {
  rktest::ErrorLogCapture log;
  const std::vector<std::uint8_t> bytes = robo().bytes();
  DxModelRoot12* first = load("model/robo/robo.mdl", bytes);
  ModelMeshContainer* c = first->meshContainer();
  ASSERT_NE(c, nullptr);
  const std::size_t textures = rk::gfx::RkTextureManager::getInstance()->count();
  const int bodyRefs = c->materials[0].textures[0]->count();

  std::vector<std::string> names;
  DxModelRoot12* second = load("model/robo/robo.mdl", bytes, &names);
  EXPECT_EQ(second->meshContainer(), c);
  EXPECT_EQ(c->count(), 2);
  EXPECT_TRUE(names.empty());  // the mesh part was not read again
  EXPECT_EQ(rk::gfx::RkTextureManager::getInstance()->count(), textures);
  EXPECT_EQ(c->materials[0].textures[0]->count(), bodyRefs);
  EXPECT_EQ(c->meshes.size(), 2u);

  // Releasing one copy leaves the other's meshes intact.
  roots_.erase(roots_.begin());
  EXPECT_EQ(c->count(), 1);
  EXPECT_EQ(DX12MeshUnit::getInstance()->find("model/robo/robo.mdl"), c);
  EXPECT_EQ(c->meshes[0]->setup, 1);
  EXPECT_EQ(c->meshes[0]->indices, (std::vector<std::uint32_t>{0, 1, 2}));
  roots_.clear();
  EXPECT_FALSE(DX12MeshUnit::getInstance()->has("model/robo/robo.mdl"));
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(ModelReaderTest, MeshesAreSetUpAgainAfterADeviceReset) {
  rktest::ErrorLogCapture log;
  DxModelRoot12* root = load("model/robo/robo.mdl", robo().bytes());
  ModelMeshContainer* c = root->meshContainer();
  ASSERT_NE(c, nullptr);
  c->onLost();
  for (const auto* m : c->meshes) EXPECT_EQ(m->setup, 0);
  resetDevice();  // the container follows the device context's loss and recovery
  for (const auto* m : c->meshes) EXPECT_EQ(m->setup, 1);
  EXPECT_TRUE(c->meshes[0]->vertexBuffer->isCreated());
  EXPECT_TRUE(c->meshes[0]->indexBuffer->isCreated());
  EXPECT_EQ(log.entries("rk::driver::directx::directx12::ModelMeshContainer::setupContainer"), 0u);
}

// Damaged files: each is reported with the named entry, reads nothing outside
// the data (the sanitizer build checks), and keeps only the meshes read whole.
struct Damage {
  const char* what;
  std::function<void(std::vector<std::uint8_t>&, const ModelFile&)> change;
  const char* entry;
  int meshes;  // -1: no container
};

void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) { std::memcpy(b.data() + at, &v, 4); }
std::size_t find(const std::vector<std::uint8_t>& b, const std::string& tag) {
  return std::search(b.begin(), b.end(), tag.c_str(), tag.c_str() + tag.size() + 1) - b.begin();
}
auto cutAt(std::function<std::size_t(const std::vector<std::uint8_t>&, const ModelFile&)> at) {
  return [at](std::vector<std::uint8_t>& b, const ModelFile& f) { b.resize(at(b, f)); };
}

const char* const kMake = "rk::driver::directx::DxModelRoot12::makeModel";
const char* const kString = "rk::driver::directx::ModelReader::advanceString";
const char* const kDword = "rk::driver::directx::ModelReader::advanceDWORD";
const char* const kBytes = "rk::driver::directx::ModelReader::advanceByte";
const char* const kPad = "rk::driver::directx::ModelReader::advance16byte";

TEST_F(ModelReaderTest, DamagedFilesAreReportedAndNeverReadPastTheData) {
  const std::vector<Damage> cases = {
      {"empty file", cutAt([](auto&, auto&) { return 0; }), kMake, -1},
      {"cut in the leading tag", cutAt([](auto&, auto&) { return 4; }), kMake, -1},
      {"cut in the header words", cutAt([](auto&, auto&) { return 22; }), kDword, -1},
      {"cut in a texture name", cutAt([](auto& b, auto&) { return find(b, "body.tga") + 3; }), kString, -1},
      {"cut in a material record", cutAt([](auto& b, auto&) { return find(b, "MATERIALS") + 16 + 16 + 20; }),
       kBytes, -1},
      {"cut in the mesh count", cutAt([](auto& b, auto&) { return find(b, "MESH") + 18; }), kDword, 0},
      {"cut in the first vertices", cutAt([](auto&, auto& f) { return f.meshOffsets[0] + 8 + 50; }), kBytes, 0},
      {"cut in the first indices", cutAt([](auto&, auto& f) { return f.meshOffsets[0] + 8 + 132 + 4 + 6; }),
       kBytes, 0},
      {"cut in the first box", cutAt([](auto&, auto& f) { return f.meshOffsets[1] - 10; }), kBytes, 0},
      {"cut after the first mesh", cutAt([](auto&, auto& f) { return f.meshOffsets[1]; }), kDword, 1},
      {"cut in the last padding", cutAt([](auto& b, auto&) { return find(b, "NODE") - 4; }), kPad, 2},
      // Blocks are then looked for at the start, where none begins.
      {"wrong leading tag", [](auto& b, auto&) { b[1] = 'Y'; }, kMake, -1},
      {"no known block", [](auto& b, auto&) { b[32] = 'X'; }, kMake, -1},
      {"huge texture count", [](auto& b, auto&) { put32(b, find(b, "TEXTURES") + 16, 0xFFFFFFFFu); }, kString, -1},
      {"huge material count", [](auto& b, auto&) { put32(b, find(b, "MATERIALS") + 16, 0x7FFFFFFFu); }, kBytes,
       -1},
      {"huge mesh count", [](auto& b, auto&) { put32(b, find(b, "MESH") + 16, 0xFFFFFFFFu); }, kBytes, 2},
      {"huge vertex count", [](auto& b, auto& f) { put32(b, f.meshOffsets[0] + 4, 0x0FFFFFFFu); }, kBytes, 0},
      {"vertex count that wraps", [](auto& b, auto& f) { put32(b, f.meshOffsets[0] + 4, 0x5D1745D2u); }, kBytes, 0},
      {"huge index count", [](auto& b, auto& f) { put32(b, f.meshOffsets[0] + 8 + 132, 0x40000001u); }, kBytes, 0},
      {"material index out of range", [](auto& b, auto& f) { put32(b, f.meshOffsets[1], 99); }, kMake, 2},
      {"texture index out of range",
       [](auto& b, auto&) { put32(b, find(b, "MATERIALS") + 16 + 16 + 32 + 48, 7); },
       "rk::driver::directx::ModelReader::getTextureName", 2},
  };
  int n = 0;
  for (const Damage& d : cases) {
    SCOPED_TRACE(d.what);
    rktest::ErrorLogCapture log;
    ModelFile file = robo();
    std::vector<std::uint8_t> bytes = file.bytes();
    d.change(bytes, file);
    // Exactly the file's bytes: anything read beyond them is caught by the sanitizer.
    DxModelRoot12* root = load("model/robo/case" + std::to_string(n++) + ".mdl", bytes);
    EXPECT_GE(log.entries(d.entry), 1u) << log.text();
    ModelMeshContainer* c = root->meshContainer();
    if (d.meshes < 0) {
      EXPECT_EQ(c, nullptr);
    } else {
      ASSERT_NE(c, nullptr);
      EXPECT_EQ(c->meshes.size(), std::size_t(d.meshes));
      for (const auto* m : c->meshes) EXPECT_EQ(m->setup, 1);
    }
  }
}

TEST_F(ModelReaderTest, AMeshWithAMaterialOutsideTheListHasNone) {
  ModelFile file = robo();
  file.meshes[0].material = 3;
  DxModelRoot12* root = load("model/robo/robo.mdl", file.bytes());
  ASSERT_NE(root->meshContainer(), nullptr);
  EXPECT_EQ(root->meshContainer()->meshes[0]->material, nullptr);
  EXPECT_EQ(root->meshContainer()->meshes[1]->material, &root->meshContainer()->materials[0]);
}

}  // namespace
}  // namespace modeltest
