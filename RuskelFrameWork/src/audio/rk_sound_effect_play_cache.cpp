#include "audio/rk_sound_effect_play_cache.h"

#include <map>
#include <string>

#include "audio/rk_audio_context.h"
#include "kernel/rk_error_log.h"
#include "res/rk_resource.h"
#include "script/rk_lua_arg.h"

namespace rk::audio {

namespace {

constexpr const char* kSource = "src/audio/rk_sound_effect_play_cache";

#define RK_CACHE_DATA(name) "rk::audio::`anonymous-namespace'::SoundEffectPlayCacheData::" name
#define RK_CACHE_METHOD(name) "rk::audio::`anonymous-namespace'::lua_SoundEffectPlayCache_" name

// One cached 3D sound. Nothing ever gives a record a player, so a record lives
// only as long as the call that made it.
class SoundEffectPlayCacheData {
 public:
  SoundEffectPlayCacheData(const char* name, const math::Vector4& position, bool loop, float volume, bool flag)
      : name_(name ? name : ""), position_(position), loop_(loop), volume_(volume), flag_(flag) {}
  ~SoundEffectPlayCacheData() {
    if (player_ < 0) return;
    if (state_ == 0 || state_ == 1) {
      debug::writeErrorLog(kSource, 90, RK_CACHE_DATA("~SoundEffectPlayCacheData"));
    } else if (AudioContext* context = AudioContext::getInstance()) {
      context->isNormalSEPlay(player_);
    }
  }

  const std::string& name() const { return name_; }
  int player() const { return player_; }

  // Plays the sound again with new settings: without a player, only reported.
  void replay(const math::Vector4& position, bool loop, float volume) {
    loop_ = loop;
    volume_ = volume;
    if (player_ >= 0) return;
    debug::writeErrorLog(kSource, 120, RK_CACHE_DATA("replay"));
    debug::writeErrorLog(kSource, 130, RK_CACHE_DATA("setPos"));
    debug::writeErrorLog(kSource, 140, RK_CACHE_DATA("setLoop"));
    debug::writeErrorLog(kSource, 150, RK_CACHE_DATA("setVol"));
  }
  void refreshVolume() {
    if (AudioContext* context = AudioContext::getInstance()) {
      boost::lock_guard<boost::mutex> guard(context->lock());
      context->normalSoundEffects().setVolume(player_, volume_);
    }
  }

 private:
  std::string name_;
  math::Vector4 position_;
  bool loop_;
  float volume_ = 1.0f;
  bool flag_;
  int player_ = -1;
  int state_ = 2;
};

}  // namespace

struct SoundEffectPlayCache::Impl {
  std::multimap<std::uint32_t, SoundEffectPlayCacheData*> records;
  script::LuaObjectLinks links;

  static std::uint32_t calcHash(const char* name) {
    if (!name) {
      debug::writeErrorLog(kSource, 60, "rk::audio::SoundEffectPlayCache::Impl::calcHash");
      return 0;
    }
    return static_cast<std::uint32_t>(res::nameKey(name));
  }
  SoundEffectPlayCacheData* find(std::uint32_t hash, const char* name) {
    auto range = records.equal_range(hash);
    for (auto it = range.first; it != range.second; ++it)
      if (name && it->second->name() == name) return it->second;
    return nullptr;
  }
  void erase(std::multimap<std::uint32_t, SoundEffectPlayCacheData*>::iterator it) {
    delete it->second;
    records.erase(it);
  }
};

const script::LuaClass SoundEffectPlayCache::kLuaClass{
    "rk::audio::SoundEffectPlayCache", script::castToInterface<SoundEffectPlayCache, task::Task>};

SoundEffectPlayCache::SoundEffectPlayCache()
    : task::Task(kPriority, "SoundEffectPlayCashe"), impl_(std::make_unique<Impl>()) {
  setActive(true);
}

SoundEffectPlayCache::~SoundEffectPlayCache() {
  impl_->links.clear();
  releaseAll();
}

void SoundEffectPlayCache::update(float) {
  for (auto it = impl_->records.begin(); it != impl_->records.end();) {
    if (!it->second) {
      it = impl_->records.erase(it);
      continue;
    }
    if (it->second->player() >= 0) it->second->refreshVolume();
    ++it;
  }
}

void SoundEffectPlayCache::play3D(const char* name, const math::Vector4& position, bool loop, float volume,
                                  bool flag) {
  const std::uint32_t hash = Impl::calcHash(name);
  if (SoundEffectPlayCacheData* record = impl_->find(hash, name)) {
    record->replay(position, loop, volume);
    return;
  }
  auto* record = new SoundEffectPlayCacheData(name, position, loop, volume, flag);
  if (record->player() < 0) {
    delete record;  // without a player there is nothing to keep
    return;
  }
  impl_->records.emplace(hash, record);
}

void SoundEffectPlayCache::release(const char* name) {
  const std::uint32_t hash = Impl::calcHash(name);
  auto range = impl_->records.equal_range(hash);
  for (auto it = range.first; it != range.second; ++it) {
    if (name && it->second->name() == name) {
      impl_->erase(it);
      return;
    }
  }
}

void SoundEffectPlayCache::releaseAll() {
  for (auto& entry : impl_->records) delete entry.second;
  impl_->records.clear();
}

std::size_t SoundEffectPlayCache::recordCount() const { return impl_->records.size(); }

// ------------------------------------------------------------ script object

namespace {

SoundEffectPlayCache* self(lua_State* L, const char* method) {
  auto* cache = script::toLuaObject<SoundEffectPlayCache>(L, 1, SoundEffectPlayCache::kLuaClass);
  if (!cache) script::reportNullObject(method);
  return cache;
}

int lua_SoundEffectPlayCache_play3D(lua_State* L) {
  const char* text = script::toTextArg(L, 2);
  const std::string name = text ? text : "";
  const math::Vector4 position{script::toFloatArg(L, 3), script::toFloatArg(L, 4), script::toFloatArg(L, 5), 0.0f};
  const bool loop = script::toBoolArg(L, 6);
  const float volume = script::toFloatArg(L, 7);
  const bool flag = script::toBoolArg(L, 8);
  SoundEffectPlayCache* cache = self(L, RK_CACHE_METHOD("play3D"));
  lua_settop(L, 0);
  if (cache) cache->play3D(text ? name.c_str() : nullptr, position, loop, volume, flag);
  return 0;
}

int lua_SoundEffectPlayCache_release(lua_State* L) {
  const char* text = script::toTextArg(L, 2);
  const std::string name = text ? text : "";
  SoundEffectPlayCache* cache = self(L, RK_CACHE_METHOD("release"));
  lua_settop(L, 0);
  if (cache) cache->release(text ? name.c_str() : nullptr);
  return 0;
}

int lua_SoundEffectPlayCache_releaseAll(lua_State* L) {
  SoundEffectPlayCache* cache = self(L, RK_CACHE_METHOD("releaseAll"));
  lua_settop(L, 0);
  if (cache) cache->releaseAll();
  return 0;
}

// The task manager alone deletes tasks: collecting the object ends the task,
// which the manager deletes at the end of its next pass.
int lua_SoundEffectPlayCache_gc(lua_State* L) {
  script::LuaObjectBlock* block = script::luaObjectBlock(L, 1);
  if (block && block->cls == &SoundEffectPlayCache::kLuaClass) {
    if (auto* cache = script::toLuaObject<SoundEffectPlayCache>(L, 1, SoundEffectPlayCache::kLuaClass)) {
      cache->setActive(false);
      cache->setAlive(false);
    }
    script::LuaObjectLinks::release(block);
  }
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kMethods[] = {
    {"play3D", lua_SoundEffectPlayCache_play3D},
    {"release", lua_SoundEffectPlayCache_release},
    {"releaseAll", lua_SoundEffectPlayCache_releaseAll},
    {nullptr, nullptr},
};

}  // namespace

void SoundEffectPlayCache::registerMethods(lua_State* L) { script::setMethods(L, kMethods); }

void SoundEffectPlayCache::setMetatable(lua_State* L) { script::setObjectMetatable(L, lua_SoundEffectPlayCache_gc); }

int SoundEffectPlayCache::pushNew(lua_State* L) {
  lua_settop(L, 0);
  auto* cache = new SoundEffectPlayCache();
  script::LuaObjectBlock* block = nullptr;
  script::pushLuaObject(L, *cache, cache, kLuaClass, &block);
  cache->impl_->links.link(block);
  return 1;
}

}  // namespace rk::audio
