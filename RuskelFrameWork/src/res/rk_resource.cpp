#include "res/rk_resource.h"

#include <cstring>

#include "fs/rk_file_manager.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"

namespace rk::res {

namespace {

constexpr const char* kSource = "src/res/rk_resource";
const SingletonReport kManagerReport{kSource, "rk::res::ResourceManager", 269, 288, 279};

void report(int line, const char* text) { debug::writeErrorLog(kSource, line, text); }

std::uint32_t readU32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

}  // namespace

int nameKey(const char* name) {
  if (!name) return 0;
  std::uint32_t sum = 0;
  for (const char* p = name; *p; ++p) sum += static_cast<std::uint32_t>(static_cast<signed char>(*p) + 3);
  return static_cast<int>(sum % 251u);
}

// ------------------------------------------------------------------ ResourceData

ResourceData::ResourceData(const char* name, ResourceManager* manager)
    : key_(nameKey(name)), name_(name ? name : ""), manager_(manager) {
  if (!manager_) {
    report(76, "rk::res::ResourceData::ResourceData");
    return;
  }
  manager_->insert(this);
}

ResourceData::~ResourceData() {
  if (count() != 0) report(119, "rk::res::ResourceData::~ResourceData");
  if (parent_) {
    ResourceData* parent = parent_;
    parent_ = nullptr;
    --parent->view_count_;
    parent->release(kSource, 121);
  }
}

void ResourceData::destroy() {
  if (!manager_) {
    report(233, "rk::res::ResourceData::destroy");
    return;
  }
  manager_->removeResourceData(this);
}

void ResourceData::reload() {
  if (view_) return;
  fs::FileManager* files = fs::FileManager::getInstance();
  if (!files) return;
  ResourcePtr self(this);  // keeps the resource alive while the load is queued
  files->reloadFile(this);
}

void ResourceData::setView(const std::uint8_t* bytes, std::uint32_t size, ResourceData* parent) {
  if (parent) {
    parent->addRef();
    ++parent->view_count_;
  }
  ResourceData* old = parent_;
  parent_ = parent;
  view_ = true;
  view_bytes_ = bytes;
  view_size_ = size;
  if (old) {
    --old->view_count_;
    old->release(kSource, 160);
  }
}

const std::uint8_t* ResourceData::data() const {
  if (view_) return view_bytes_;
  return owned_.empty() ? nullptr : owned_.data();
}

std::uint32_t ResourceData::size() const {
  return view_ ? view_size_ : static_cast<std::uint32_t>(owned_.size());
}

// --------------------------------------------------------------- ResourceManager

ResourceManager* ResourceManager::createInstance() {
  return singletonCreate<ResourceManager>(InstanceSlot::ResourceManager, kManagerReport);
}

ResourceManager* ResourceManager::getInstance() {
  return singletonGet<ResourceManager>(InstanceSlot::ResourceManager, kManagerReport);
}

void ResourceManager::destroyInstance() {
  singletonDestroy<ResourceManager>(InstanceSlot::ResourceManager, kManagerReport);
}

ResourceManager::ResourceManager() = default;

ResourceManager::~ResourceManager() {
  // Resources that outlive the manager must not reach back into it.
  for (auto& entry : map_) entry.second->detachManager();
}

ResourcePtr ResourceManager::findResource(const std::string& name) {
  auto range = map_.equal_range(nameKey(name));
  for (auto it = range.first; it != range.second; ++it)
    if (it->second->name() == name) return ResourcePtr(it->second);
  return ResourcePtr();
}

ResourcePtr ResourceManager::getResourceData(const std::string& name) {
  ResourcePtr found = findResource(name);
  if (found) return found;
  return ResourcePtr(new ResourceData(name.c_str(), this));
}

void ResourceManager::insert(ResourceData* resource) { map_.emplace(resource->key(), resource); }

void ResourceManager::removeResourceData(ResourceData* resource) {
  auto range = map_.equal_range(resource->key());
  if (range.first == range.second) {
    report(401, "rk::res::ResourceManager::removeResourceData");
    return;
  }
  for (auto it = range.first; it != range.second; ++it) {
    if (it->second == resource) {
      map_.erase(it);
      return;
    }
  }
}

// ------------------------------------------------------------------------ RomPack

RomPack::RomPack() = default;
RomPack::~RomPack() = default;

bool RomPack::load(const char* name) {
  name_ = name ? name : "";
  fs::FileManager* files = fs::FileManager::getInstance();
  if (!files) return false;
  pack_ = files->loadFile(name_, "rb", true, nullptr);
  return static_cast<bool>(pack_);
}

bool RomPack::isReady() const { return pack_ && pack_->isLoaded(); }

void RomPack::setup(bool script) {
  const std::uint8_t* content = pack_ ? pack_->data() : nullptr;
  const std::uint32_t size = pack_ ? pack_->size() : 0;
  if (!content || size < 16) {
    report(520, "rk::res::RomPack::setup");
    return;
  }
  ResourceManager* manager = ResourceManager::getInstance();
  if (!manager) return;

  const std::uint32_t count = readU32(content);
  std::uint64_t cursor = 16;
  for (std::uint32_t i = 0; i < count; ++i) {
    // The directory record and its name must lie inside the content; past that
    // point nothing further can be read, so the walk ends.
    if (cursor + 8 > size) {
      report(535, "rk::res::RomPack::setup");
      break;
    }
    const std::uint32_t offset = readU32(content + cursor);
    const std::uint32_t length = readU32(content + cursor + 4);
    const std::uint8_t* nameStart = content + cursor + 8;
    const void* zero = std::memchr(nameStart, 0, size - (cursor + 8));
    if (!zero) {
      report(545, "rk::res::RomPack::setup");
      break;
    }
    std::string entryName(reinterpret_cast<const char*>(nameStart));
    cursor = (static_cast<const std::uint8_t*>(zero) - content) + 1;
    cursor = (cursor + 15) & ~std::uint64_t(15);

    // An entry whose bytes do not lie inside the content is skipped.
    if (offset > size || length > size - offset) {
      report(556, "rk::res::RomPack::setup");
      continue;
    }
    ResourcePtr entry = manager->getResourceData(entryName);
    if (!entry->data()) {
      entry->setView(content + offset, length, pack_.get());
      if (script) entry->setRunnable(true);
    }
    entries_.push_back(entry);
  }
}

}  // namespace rk::res
