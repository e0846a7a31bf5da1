#include "gfx/rk_texture_manager.h"

#include <map>
#include <vector>

#include "fs/rk_file_manager.h"
#include "gfx/rk_texture.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_hr_exception.h"
#include "kernel/rk_instance_table.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_texture.h"
#include "res/rk_resource.h"

namespace rk::gfx {

namespace {
constexpr const char* kSource = "src/gfx/rk_texture";
const SingletonReport kReport{kSource, "rk::gfx::RkTextureManager", 310, 319, 328};
}  // namespace

struct RkTextureManager::Impl {
  std::multimap<int, RkTexture*> textures;  // by the stored name's resource key

  RkTexture* insertNew(const std::string& name) {
    auto* texture = new RkTexture12;
    texture->addRef();
    texture->info().name_ = name;
    texture->info().listed_ = true;
    textures.emplace(res::nameKey(name), texture);
    return texture;
  }
};

RkTextureManager* RkTextureManager::createInstance() {
  return singletonCreate<RkTextureManager>(InstanceSlot::TextureManager, kReport);
}
RkTextureManager* RkTextureManager::getInstance() {
  return singletonGet<RkTextureManager>(InstanceSlot::TextureManager, kReport);
}
void RkTextureManager::destroyInstance() { singletonDestroy<RkTextureManager>(InstanceSlot::TextureManager, kReport); }

RkTextureManager::RkTextureManager() : impl_(new Impl) {}

RkTextureManager::~RkTextureManager() {
  std::vector<RkTexture*> owned;
  for (const auto& entry : impl_->textures)
    if (entry.second->info().manager_owned_) owned.push_back(entry.second);
  for (RkTexture* texture : owned) {
    // The count is read from each release: the texture is gone after the last.
    while (texture->release(kSource, 360) > 0) {
    }
  }
  if (!impl_->textures.empty()) debug::writeErrorLog(kSource, 366, "rk::gfx::RkTextureManager::~RkTextureManager");
  impl_->textures.clear();
}

RkTexture* RkTextureManager::find(const std::string& name) const {
  auto [begin, end] = impl_->textures.equal_range(res::nameKey(name));
  for (auto it = begin; it != end; ++it)
    if (it->second->info().name_ == name) return it->second;
  return nullptr;
}

RkTexture* RkTextureManager::loadTexture(const std::string& requested) {
  std::string stored, mode;
  const bool compressed = fs::FileManager::mapAssetName(stored, mode, requested);
  if (RkTexture* cached = find(stored)) {
    cached->addRef();
    return cached;
  }
  RkTexture* texture = impl_->insertNew(stored);
  try {
    texture->info().resource_ =
        fs::FileManager::getInstance()->loadFile(stored, mode.c_str(), compressed, "rk::gfx::RkTextureManager");
  } catch (const HrException& e) {
    // A file that cannot be opened is reported once; the texture stays cached
    // without bytes, so its set-up only marks it loaded and it never gets a view.
    const std::string text = "rk::gfx::RkTextureManager::loadTexture\n" + stored + "\n" + e.what();
    debug::writeErrorLog(kSource, 400, text.c_str());
  }
  return texture;
}

RkTexture* RkTextureManager::createTexture(const std::string& name) {
  if (RkTexture* cached = find(name)) {
    cached->addRef();
    return cached;
  }
  RkTexture* texture = impl_->insertNew(name);
  texture->info().resource_.reset();
  texture->info().manager_owned_ = true;
  return texture;
}

void RkTextureManager::removeRkTexture(RkTexture* texture) {
  for (auto it = impl_->textures.begin(); it != impl_->textures.end(); ++it) {
    if (it->second == texture) {
      impl_->textures.erase(it);
      return;
    }
  }
  debug::writeErrorLog(kSource, 430, "rk::gfx::RkTextureManager::Impl::removeRkTexture");
}

std::size_t RkTextureManager::count() const { return impl_->textures.size(); }

}  // namespace rk::gfx
