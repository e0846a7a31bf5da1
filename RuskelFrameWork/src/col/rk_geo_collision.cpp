#include "col/rk_geo_collision.h"

#include <cstdint>
#include <cstring>

#include "fs/rk_file_manager.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_hr_exception.h"
#include "res/rk_resource.h"

namespace rk::collision {

namespace {

constexpr const char* kSource = "src/col/rk_geo_collision";
constexpr std::uint16_t kHeaderSize = 16;
constexpr std::uint64_t kVertexSize = 16;
constexpr std::uint64_t kIndexTripleSize = 6;

std::uint16_t readU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t readU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

struct GeoCollision::Impl {
  std::unique_ptr<ITriangleSearchStrategy> strategy;
  res::ResourcePtr resource;
  std::vector<Triangle> triangles;
  bool ready = false;

  void buildTriangles();
  void reportDamaged() const;
};

void GeoCollision::Impl::reportDamaged() const {
  const std::string text = "rk::collision::GeoCollision::Impl::buildTriangles\n" + resource->name();
  debug::writeErrorLog(kSource, 330, text.c_str());
}

// The file's counts and offsets are checked against its real size before any
// triangle is made: a damaged file yields no triangles at all.
void GeoCollision::Impl::buildTriangles() {
  const std::uint8_t* data = resource->data();
  const std::uint64_t size = data ? resource->size() : 0;
  if (size < 2) return reportDamaged();
  if (readU16(data) != kHeaderSize) {
    const std::string text =
        resource->name() + "のヘッダサイズが違います。\nデータをコンバートしなおしてください。";
    debug::writeErrorLog(kSource, 311, text.c_str());
    throwIfFailed(host::E_FAIL, kSource, 311, L"");
  }
  if (size < kHeaderSize) return reportDamaged();
  const std::uint16_t count = readU16(data + 2);
  const std::uint64_t vertexBase = readU32(data + 8);
  const std::uint64_t indexBase = readU32(data + 12);
  if (count > 0 && indexBase + kIndexTripleSize * count > size) return reportDamaged();
  for (std::uint64_t i = 0; i < 3u * count; ++i) {
    const std::uint64_t index = readU16(data + indexBase + 2 * i);
    if (vertexBase + kVertexSize * (index + 1) > size) return reportDamaged();
  }

  triangles.reserve(triangles.size() + count);
  for (std::uint32_t i = 0; i < count; ++i) {
    Vector4 v[3];
    for (int k = 0; k < 3; ++k) {
      const std::uint16_t index = readU16(data + indexBase + kIndexTripleSize * i + 2 * k);
      std::memcpy(&v[k], data + vertexBase + kVertexSize * index, sizeof(Vector4));
    }
    triangles.emplace_back();
    triangles.back().setVertices(v[0], v[1], v[2]);
  }
}

GeoCollision::GeoCollision(ITriangleSearchStrategy* strategy) : impl_(new Impl) { impl_->strategy.reset(strategy); }

GeoCollision::~GeoCollision() = default;

void GeoCollision::load(const std::string& name) {
  std::string stored, mode;
  const bool compressed = fs::FileManager::mapAssetName(stored, mode, name);
  fs::FileManager* files = fs::FileManager::getInstance();
  if (!files) return;
  impl_->resource = files->loadFile(stored, mode.c_str(), compressed, nullptr);
}

bool GeoCollision::isLoaded() const { return impl_->resource && impl_->resource->isLoaded(); }

// Built once: the index points into the triangle vector, which must not grow later.
void GeoCollision::initialize() {
  if (impl_->ready) return;
  if (!isLoaded()) {
    debug::writeErrorLog(kSource, 426, "rk::collision::GeoCollision::initialize");
    return;
  }
  impl_->buildTriangles();
  if (impl_->strategy) impl_->strategy->build(&impl_->triangles);
  impl_->ready = true;
}

bool GeoCollision::isReady() const { return impl_->ready; }

ITriangleSearchStrategy* GeoCollision::getSearchStrategy() const { return impl_->strategy.get(); }

const std::vector<Triangle>& GeoCollision::getTriangles() const { return impl_->triangles; }

}  // namespace rk::collision
