// Triangle meshes from ".geo" data: loading through the file manager, the
// triangles built from the file, damaged files, and the box search.
#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "col/col_expect.h"
#include "col/rk_geo_collision.h"
#include "fs/rk_compressed_container.h"
#include "fs/rk_file_manager.h"
#include "kernel/rk_hr_exception.h"
#include "res/rk_resource.h"
#include "support/error_log_capture.h"
#include "support/temp_dir.h"

namespace {

using rk::collision::BoundingBox;
using rk::collision::BoundingBoxTriangleSearchStrategy;
using rk::collision::GeoCollision;
using rk::collision::Triangle;
using rk::math::Vector4;
using rktest::nearVector;
using rktest::v3;
using Bytes = std::vector<std::uint8_t>;

// Writes little-endian fields into a growing byte buffer.
struct GeoWriter {
  Bytes bytes;
  void u16(std::size_t at, std::uint16_t v) {
    grow(at + 2);
    bytes[at] = v & 0xFF, bytes[at + 1] = v >> 8;
  }
  void u32(std::size_t at, std::uint32_t v) {
    grow(at + 4);
    for (int i = 0; i < 4; ++i) bytes[at + i] = (v >> (8 * i)) & 0xFF;
  }
  void vec(std::size_t at, const Vector4& v) {
    grow(at + 16);
    std::memcpy(&bytes[at], &v, 16);
  }
  void grow(std::size_t size) {
    if (bytes.size() < size) bytes.resize(size);
  }
};

// Header, then the vertices at 16, then the index triples.
Bytes geoFile(const std::vector<Vector4>& vertices, const std::vector<std::uint16_t>& indices) {
  GeoWriter w;
  const std::uint32_t vertexBase = 16, indexBase = 16 + 16 * static_cast<std::uint32_t>(vertices.size());
  w.u16(0, 16);
  w.u16(2, static_cast<std::uint16_t>(indices.size() / 3));
  w.u32(8, vertexBase);
  w.u32(12, indexBase);
  for (std::size_t i = 0; i < vertices.size(); ++i) w.vec(vertexBase + 16 * i, vertices[i]);
  for (std::size_t i = 0; i < indices.size(); ++i) w.u16(indexBase + 2 * i, indices[i]);
  w.grow(indexBase);
  return w.bytes;
}

const std::vector<Vector4> kCorner{{0, 0, 0, 1}, {1, 0, 0, 1}, {0, 0, 1, 1}};

class GeoCollisionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cwd_ = std::make_unique<rktest::CurrentDirGuard>(dir_.path());
    resources_ = rk::res::ResourceManager::createInstance();
    files_ = rk::fs::FileManager::createInstance(resources_, false);
  }
  void TearDown() override {
    rk::fs::FileManager::destroyInstance();
    rk::res::ResourceManager::destroyInstance();
    cwd_.reset();
  }

  // The bytes as an already delivered resource under the stored name, the way
  // a pack entry or a finished load presents them.
  void provide(const std::string& stored, const Bytes& bytes) {
    rk::res::ResourcePtr r = resources_->getResourceData(stored);
    r->ownedBytes() = bytes;
    r->setReady(true);
    held_.push_back(r);
  }
  std::unique_ptr<GeoCollision> meshFrom(const Bytes& bytes) {
    provide("mesh.gea", bytes);
    auto mesh = std::make_unique<GeoCollision>(new BoundingBoxTriangleSearchStrategy);
    mesh->load("mesh.geo");
    return mesh;
  }

  rktest::ErrorLogCapture log_;
  rktest::TempDir dir_;
  std::unique_ptr<rktest::CurrentDirGuard> cwd_;
  rk::res::ResourceManager* resources_ = nullptr;
  rk::fs::FileManager* files_ = nullptr;
  std::vector<rk::res::ResourcePtr> held_;
};

TEST_F(GeoCollisionTest, LoadsACompressedFileThenBuildsItsTriangles) {
  Bytes container;
  const Bytes content = geoFile(kCorner, {0, 1, 2});
  ASSERT_EQ(rk::fs::compressContainer(content.data(), content.size(), container), 0);
  rktest::writeBytes(dir_.file("stage.gea"), std::string(container.begin(), container.end()));

  GeoCollision mesh(new BoundingBoxTriangleSearchStrategy);
  EXPECT_FALSE(mesh.isLoaded());
  mesh.load("stage.geo");
  for (int i = 0; i < 50 && !mesh.isLoaded(); ++i) {
    files_->loadStep();
    files_->notify();
  }
  ASSERT_TRUE(mesh.isLoaded());
  EXPECT_FALSE(mesh.isReady());
  mesh.initialize();
  ASSERT_TRUE(mesh.isReady());

  ASSERT_EQ(mesh.getTriangles().size(), 1u);
  const Triangle& t = mesh.getTriangles()[0];
  EXPECT_TRUE(nearVector(t.vertex(2), Vector4{0, 0, 1, 1}, 0));  // w comes from the file
  EXPECT_TRUE(nearVector(t.getNormal(), v3(0, -1, 0), 1e-6f));
  EXPECT_EQ(t.getD(), 0);
  EXPECT_TRUE(nearVector(t.getEdge(0), v3(1, 0, 0), 1e-6f));
  EXPECT_TRUE(nearVector(t.getEdge(1), v3(-0.70710678f, 0, 0.70710678f), 1e-6f));
  EXPECT_TRUE(nearVector(t.getEdge(2), v3(0, 0, -1), 1e-6f));
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(GeoCollisionTest, TheWindingOfTheIndicesDecidesTheNormal) {
  auto mesh = meshFrom(geoFile(kCorner, {0, 2, 1}));
  ASSERT_TRUE(mesh->isLoaded());
  mesh->initialize();
  ASSERT_EQ(mesh->getTriangles().size(), 1u);
  EXPECT_TRUE(nearVector(mesh->getTriangles()[0].getNormal(), v3(0, 1, 0), 1e-6f));
}

TEST_F(GeoCollisionTest, AnEmptyMeshIsReadyAndFindsNothing) {
  auto mesh = meshFrom(geoFile({}, {}));
  mesh->initialize();
  ASSERT_TRUE(mesh->isReady());
  EXPECT_TRUE(mesh->getTriangles().empty());
  auto* strategy = static_cast<BoundingBoxTriangleSearchStrategy*>(mesh->getSearchStrategy());
  EXPECT_EQ(strategy->getMin().x, FLT_MAX);
  EXPECT_EQ(strategy->getMax().z, -FLT_MAX);
  std::vector<const Triangle*> found;
  EXPECT_EQ(strategy->search(found, {v3(-1e30f, 0, -1e30f), v3(1e30f, 0, 1e30f)}), 0u);
}

TEST_F(GeoCollisionTest, InitializeWaitsForDataAndBuildsOnlyOnce) {
  GeoCollision mesh(new BoundingBoxTriangleSearchStrategy);
  mesh.initialize();  // nothing loaded yet
  EXPECT_FALSE(mesh.isReady());
  EXPECT_EQ(log_.entries("rk::collision::GeoCollision::initialize"), 1u);
  EXPECT_NE(log_.text().find("src/col/rk_geo_collision(426)"), std::string::npos);

  provide("late.gea", geoFile(kCorner, {0, 1, 2, 0, 2, 1}));
  mesh.load("late.geo");
  mesh.initialize();
  mesh.initialize();
  ASSERT_TRUE(mesh.isReady());
  EXPECT_EQ(mesh.getTriangles().size(), 2u);
  std::vector<const Triangle*> found;
  EXPECT_EQ(mesh.getSearchStrategy()->search(found, {v3(0, 0, 0), v3(1, 0, 1)}), 2u);
}

TEST_F(GeoCollisionTest, AWrongHeaderSizeFailsHardBeforeAnyTriangle) {
  Bytes bytes = geoFile(kCorner, {0, 1, 2});
  bytes[0] = 20;
  auto mesh = meshFrom(bytes);
  EXPECT_THROW(mesh->initialize(), HrException);
  EXPECT_FALSE(mesh->isReady());
  EXPECT_TRUE(mesh->getTriangles().empty());
  EXPECT_EQ(log_.entries("mesh.geaのヘッダサイズが違います。"), 1u) << log_.text();
}

// Every count and offset is checked against the real size of the data.
TEST_F(GeoCollisionTest, DamagedFilesAreReportedAndGiveNoTriangles) {
  const Bytes good = geoFile(kCorner, {0, 1, 2});  // 16 header + 48 vertices + 6 indices = 70 bytes
  struct Case {
    const char* what;
    Bytes bytes;
  };
  auto with = [&good](std::size_t at, std::uint32_t value, bool wide) {
    GeoWriter w{good};
    wide ? w.u32(at, value) : w.u16(at, static_cast<std::uint16_t>(value));
    return w.bytes;
  };
  const Case cases[] = {
      {"empty", {}},
      {"one byte", {16}},
      {"header cut short", Bytes(good.begin(), good.begin() + 12)},
      {"index array cut short", Bytes(good.begin(), good.end() - 1)},
      {"count larger than the file", with(2, 60000, false)},
      {"index offset past the end", with(12, 71, true)},
      {"index offset near 4 GiB", with(12, 0xFFFFFFFEu, true)},
      {"vertex offset past the end", with(8, 64, true)},
      {"vertex offset near 4 GiB", with(8, 0xFFFFFFF0u, true)},
      {"index past the vertices", with(68, 3, false)},
      {"largest index", with(64, 0xFFFF, false)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    log_.clear();
    auto mesh = meshFrom(c.bytes);
    ASSERT_TRUE(mesh->isLoaded());
    EXPECT_NO_THROW(mesh->initialize());
    EXPECT_TRUE(mesh->isReady());
    EXPECT_TRUE(mesh->getTriangles().empty());
    std::vector<const Triangle*> found;
    EXPECT_EQ(mesh->getSearchStrategy()->search(found, {v3(-10, 0, -10), v3(10, 0, 10)}), 0u);
    EXPECT_EQ(log_.entries("rk::collision::GeoCollision::Impl::buildTriangles"), 1u) << log_.text();
    mesh.reset();
    held_.clear();
  }
}

TEST_F(GeoCollisionTest, ALoadOfAMissingFileFailsHard) {
  GeoCollision mesh(new BoundingBoxTriangleSearchStrategy);
  EXPECT_THROW(mesh.load("missing.geo"), HrException);
  EXPECT_FALSE(mesh.isLoaded());
}

// Triangles of the search fixture, by their x-z boxes:
//   0: x 0..1,  z 0..1 (at height 0)
//   1: x 2..3,  z 0..1 (at height 100)
//   2: x 0..1,  z 5..6
Triangle triangleOver(float x0, float z0, float y) {
  Triangle t;
  t.setVertices(v3(x0, y, z0), v3(x0, y, z0 + 1), v3(x0 + 1, y, z0));
  return t;
}

TEST(TriangleSearch, FindsTrianglesWhoseGroundBoxesMeetTheQuery) {
  const std::vector<Triangle> triangles{triangleOver(0, 0, 0), triangleOver(2, 0, 100), triangleOver(0, 5, 0)};
  BoundingBoxTriangleSearchStrategy strategy;
  strategy.build(&triangles);
  EXPECT_TRUE(nearVector(strategy.getMin(), v3(0, 0, 0), 0));
  EXPECT_TRUE(nearVector(strategy.getMax(), v3(3, 0, 6), 0));

  struct Case {
    const char* what;
    BoundingBox box;
    std::vector<int> want;
  } cases[] = {
      {"all of it", {v3(-1, 0, -1), v3(7, 0, 7)}, {0, 1, 2}},
      {"one cell", {v3(0.2f, 0, 0.2f), v3(0.4f, 0, 0.4f)}, {0}},
      // Height plays no part: triangle 1 lies at y = 100.
      {"tall triangle", {v3(2.5f, -5, 0.5f), v3(2.6f, -5, 0.6f)}, {1}},
      {"edge contact counts", {v3(-2, 0, 0), v3(0, 0, 1)}, {0}},
      {"between triangles", {v3(1.5f, 0, 2), v3(1.8f, 0, 3)}, {}},
      {"outside the mesh", {v3(10, 0, 10), v3(11, 0, 11)}, {}},
      {"spanning two", {v3(0.5f, 0, 0.5f), v3(2.5f, 0, 0.5f)}, {0, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<const Triangle*> found{nullptr};  // results are appended
    const std::uint32_t size = strategy.search(found, c.box);
    ASSERT_EQ(size, c.want.size() + 1);
    for (std::size_t i = 0; i < c.want.size(); ++i) EXPECT_EQ(found[i + 1], &triangles[c.want[i]]);
  }

  // Rebuilding starts the index afresh.
  strategy.build(&triangles);
  std::vector<const Triangle*> found;
  EXPECT_EQ(strategy.search(found, {v3(-1, 0, -1), v3(7, 0, 7)}), 3u);
}

TEST(TriangleSearch, AnUnbuiltStrategyFindsNothing) {
  BoundingBoxTriangleSearchStrategy strategy;
  std::vector<const Triangle*> found;
  EXPECT_EQ(strategy.search(found, {v3(-1, 0, -1), v3(1, 0, 1)}), 0u);
}

}  // namespace
