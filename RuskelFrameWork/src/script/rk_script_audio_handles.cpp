// The handle objects of the audio globals: reserved and one-shot sound effects
// (each holds a player index, -1 for none) and sound-group handles. Methods of a
// handle holding -1 do nothing and queries answer false; a method given another
// kind of object reports it and does nothing. Collecting a reserved handle frees
// its player; collecting a group handle drops its group's reference.
#include <string>

#include "audio/rk_audio_context.h"
#include "kernel/rk_error_log.h"
#include "rk_script_audio_internal.h"
#include "script/rk_lua_arg.h"

namespace rk::script::audio {

using rk::audio::AudioContext;
using rk::audio::AudioPlayer;

const LuaClass kSoundEffectClass{"rk::script::audio::SoundEffect"};
const LuaClass kSystemSoundEffectClass{"rk::script::audio::SystemSoundEffect"};
const LuaClass kSoundEffect3DClass{"rk::script::audio::SoundEffect3D"};
const LuaClass kOneShotSoundEffectClass{"rk::script::audio::OneShotSoundEffect"};
const LuaClass kOneShotSoundEffect3DClass{"rk::script::audio::OneShotSoundEffect3D"};
const LuaClass kOneShot3DSoundEffectClass{"rk::script::audio::OneShot3DSoundEffect"};
const LuaClass kSEGroupHandleClass{"rk::script::audio::SEGroupHandle"};

namespace {

using Guard = boost::lock_guard<boost::mutex>;

struct SoundHandle {
  int index;
};

// What the methods of one handle type work on: its class, its pool and the
// prefix of its bindings' names.
struct NormalKind {
  static const LuaClass& cls() { return kSoundEffectClass; }
  static AudioContext::SoundEffectPool& pool(AudioContext& c) { return c.normalSoundEffects(); }
  static constexpr const char* kPrefix = "sound_effect_";
};
struct SystemKind {
  static const LuaClass& cls() { return kSystemSoundEffectClass; }
  static AudioContext::SystemSoundPool& pool(AudioContext& c) { return c.systemSoundEffects(); }
  static constexpr const char* kPrefix = "system_sound_effect_";
};
struct ThreeDKind {
  static const LuaClass& cls() { return kSoundEffect3DClass; }
  static AudioContext::SoundEffectPool& pool(AudioContext& c) { return c.soundEffects3D(); }
  static constexpr const char* kPrefix = "sound_effect_3d_";
};
struct OneShotKind {
  static const LuaClass& cls() { return kOneShotSoundEffectClass; }
  static AudioContext::SoundEffectPool& pool(AudioContext& c) { return c.normalSoundEffects(); }
  static constexpr const char* kPrefix = "one_shot_sound_effect_";
};
struct OneShot3DKind {
  static const LuaClass& cls() { return kOneShotSoundEffect3DClass; }
  static AudioContext::SoundEffectPool& pool(AudioContext& c) { return c.soundEffects3D(); }
  static constexpr const char* kPrefix = "one_shot_sound_effect_3d_";
};
struct Locked3DKind {
  static const LuaClass& cls() { return kOneShot3DSoundEffectClass; }
  static AudioContext::SoundEffectPool& pool(AudioContext& c) { return c.soundEffects3D(); }
  static constexpr const char* kPrefix = "one_shot_3d_sound_effect_";
};

// The player index of the handle at argument 1; -1 for a handle holding none,
// and for any other value, which is reported with the method's name.
template <class K>
int selfIndex(lua_State* L, const char* method) {
  if (auto* handle = toLuaObject<SoundHandle>(L, 1, K::cls())) return handle->index;
  const std::string name = std::string(RK_AUDIO_BINDING("")) + K::kPrefix + method;
  reportNullObject(name.c_str());
  return -1;
}

// Runs `work` with the context's pool under the audio lock for a handle that
// holds a player.
template <class K, class Work>
void withPool(int index, Work work) {
  if (index < 0) return;
  AudioContext* c = AudioContext::getInstance();
  if (!c) return;
  Guard guard(c->lock());
  work(*c, K::pool(*c), index);
}

template <class K, class Work>
int poolMethod(lua_State* L, const char* method, Work work) {
  const int index = selfIndex<K>(L, method);
  withPool<K>(index, work);
  lua_settop(L, 0);
  return 0;
}

template <class K>
int setLoop(lua_State* L) {
  const bool loop = toBoolArg(L, 2);
  return poolMethod<K>(L, "setLoop", [&](AudioContext&, auto& pool, int i) { pool.setLoop(i, loop); });
}

template <class K>
int setVolume(lua_State* L) {
  const float volume = toFloatArg(L, 2);
  return poolMethod<K>(L, "setVolume", [&](AudioContext&, auto& pool, int i) { pool.setVolume(i, volume); });
}

template <class K>
int setPan(lua_State* L) {
  const float pan = toFloatArg(L, 2);
  return poolMethod<K>(L, "setPan", [&](AudioContext&, auto& pool, int i) {
    if (auto* output = pool.output(i)) output->setPan(pan);
  });
}

template <class K>
int setPos(lua_State* L) {
  const rk::math::Vector4 position{toFloatArg(L, 2), toFloatArg(L, 3), toFloatArg(L, 4), 0.0f};
  return poolMethod<K>(L, "setPos", [&](AudioContext&, auto& pool, int i) {
    if (AudioPlayer* player = pool.player(i)) player->setPos(position);
  });
}

// true pauses; false or nothing resumes.
template <class K>
int stop(lua_State* L) {
  const bool pause = toBoolArg(L, 2);
  return poolMethod<K>(L, "stop", [&](AudioContext&, auto& pool, int i) { pool.pause(i, pause); });
}

template <class K>
int fadeOut(lua_State* L) {
  const float seconds = toFloatArg(L, 2);
  return poolMethod<K>(L, "fadeOut", [&](AudioContext&, auto& pool, int i) { pool.fadeOut(i, seconds); });
}

template <class K>
int reset(lua_State* L) {
  return poolMethod<K>(L, "reset", [](AudioContext&, auto& pool, int i) {
    if (AudioPlayer* player = pool.player(i)) player->reset();
  });
}

template <class K>
int setLock(lua_State* L) {
  const bool lock = toBoolArg(L, 2);
  return poolMethod<K>(L, "setLock", [&](AudioContext&, auto& pool, int i) {
    if (AudioPlayer* player = pool.player(i)) player->status().lock = lock ? 1 : 0;
  });
}

template <class K, class Question>
int query(lua_State* L, const char* method, Question question) {
  bool answer = false;
  withPool<K>(selfIndex<K>(L, method), [&](AudioContext&, auto& pool, int i) { answer = question(pool, i); });
  lua_settop(L, 0);
  lua_pushboolean(L, answer);
  return 1;
}

template <class K>
int isLock(lua_State* L) {
  return query<K>(L, "isLock", [](auto& pool, int i) { return pool.isLocked(i); });
}

// The play flag, read under the lock.
template <class K>
int isPlay(lua_State* L) {
  return query<K>(L, "isPlay", [](auto& pool, int i) { return pool.isPlay(i); });
}

// ---------------------------------------------------------- SoundEffect

int sound_effect_setName(lua_State* L) {
  const char* text = toTextArg(L, 2);
  const std::string name = text ? text : "";
  return poolMethod<NormalKind>(L, "setName", [&](AudioContext& c, auto& pool, int i) {
    if (rk::audio::SoundSlot* slot = text ? c.findSoundFile(name.c_str()) : nullptr) pool.setSound(i, slot);
  });
}

int sound_effect_set3DSound(lua_State* L) {
  const int index = selfIndex<NormalKind>(L, "set3DSound");
  lua_settop(L, 0);
  if (index >= 0) debug::writeErrorLog(kSource, 905, RK_AUDIO_BINDING("sound_effect_set3DSound"));
  return 0;
}

int sound_effect_play(lua_State* L) {
  return poolMethod<NormalKind>(L, "play", [](AudioContext&, auto& pool, int i) {
    if (AudioPlayer* player = pool.player(i)) player->play();
  });
}

int noOperation(lua_State* L) {
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kSoundEffectMethods[] = {
    {"setName", sound_effect_setName},
    {"setLoop", setLoop<NormalKind>},
    {"setVolume", setVolume<NormalKind>},
    {"setPan", setPan<NormalKind>},
    {"set3DSound", sound_effect_set3DSound},
    {"set3DNoVirtualization", noOperation},
    {"setPos", setPos<NormalKind>},
    {"stop", stop<NormalKind>},
    {"fadeOut", fadeOut<NormalKind>},
    {"reset", reset<NormalKind>},
    {"setLock", setLock<NormalKind>},
    {"isLock", isLock<NormalKind>},
    {"isPlay", isPlay<NormalKind>},
    {"play", sound_effect_play},
    {nullptr, nullptr},
};

// ------------------------------------------------- names that only silence

// A system or 3D player given another name falls silent: its decoder is
// closed and its voice released, so the next tick ends the sound (or keeps a
// locked player reserved) instead of reading the closed stream.
template <class Pool>
void silence(Pool& pool, int i) {
  if (auto* decoder = pool.decoder(i)) decoder->close();
  if (auto* output = pool.output(i)) output->release();
}

int system_sound_effect_setName(lua_State* L) {
  const char* text = toTextArg(L, 2);
  const std::string name = text ? text : "";
  return poolMethod<SystemKind>(L, "setName", [&](AudioContext& c, auto& pool, int i) {
    if (text && c.findSoundFile(name.c_str())) silence(pool, i);
  });
}

int sound_effect_3d_setName(lua_State* L) {
  toTextArg(L, 2);
  return poolMethod<ThreeDKind>(L, "setName", [](AudioContext&, auto& pool, int i) { silence(pool, i); });
}

// ---------------------------------------------------- SystemSoundEffect

// (pause = true): only a boolean argument counts.
int system_sound_effect_stop(lua_State* L) {
  const bool pause = lua_type(L, 2) == LUA_TBOOLEAN ? lua_toboolean(L, 2) != 0 : true;
  const int index = selfIndex<SystemKind>(L, "stop");
  lua_settop(L, 0);
  if (index >= 0)
    if (AudioContext* c = AudioContext::getInstance()) c->controlSystemSoundEffect(index, pause);
  return 0;
}

const luaL_Reg kSystemSoundEffectMethods[] = {
    {"setName", system_sound_effect_setName},
    {"setLoop", setLoop<SystemKind>},
    {"setVolume", setVolume<SystemKind>},
    {"setPan", setPan<SystemKind>},
    {"set3DSound", noOperation},
    {"set3DNoVirtualization", noOperation},
    {"setPos", noOperation},
    {"stop", system_sound_effect_stop},
    {"fadeOut", fadeOut<SystemKind>},
    {"reset", reset<SystemKind>},
    {"play", reset<SystemKind>},
    {"isPlay", isPlay<SystemKind>},
    {"setLock", setLock<SystemKind>},
    {nullptr, nullptr},
};

// -------------------------------------------------------- SoundEffect3D

const luaL_Reg kSoundEffect3DMethods[] = {
    {"setName", sound_effect_3d_setName},
    {"setLoop", setLoop<ThreeDKind>},
    {"setVolume", setVolume<ThreeDKind>},
    {"setPan", setPan<ThreeDKind>},
    {"setPos", setPos<ThreeDKind>},
    {"stop", stop<ThreeDKind>},
    {"fadeOut", fadeOut<ThreeDKind>},
    {"reset", reset<ThreeDKind>},
    {"play", reset<ThreeDKind>},
    {"setLock", setLock<ThreeDKind>},
    {"isLock", isLock<ThreeDKind>},
    {"isPlay", isPlay<ThreeDKind>},
    {nullptr, nullptr},
};

// ------------------------------------------------------------ one-shots

int one_shot_sound_effect_term(lua_State* L) {
  const int index = selfIndex<OneShotKind>(L, "term");
  lua_settop(L, 0);
  if (index >= 0)
    if (AudioContext* c = AudioContext::getInstance()) c->endNormalOneShot(index);
  return 0;
}

template <class K>
int stop3D(lua_State* L, const char* method) {
  const int index = selfIndex<K>(L, method);
  lua_settop(L, 0);
  if (index >= 0)
    if (AudioContext* c = AudioContext::getInstance()) c->stop3DSoundEffect(index);
  return 0;
}

int one_shot_sound_effect_3d_term(lua_State* L) { return stop3D<OneShot3DKind>(L, "term"); }
int one_shot_3d_sound_effect_dead(lua_State* L) { return stop3D<Locked3DKind>(L, "dead"); }

const luaL_Reg kOneShotMethods[] = {
    {"isPlay", isPlay<OneShotKind>},
    {"term", one_shot_sound_effect_term},
    {nullptr, nullptr},
};
const luaL_Reg kOneShot3DMethods[] = {
    {"isPlay", isPlay<OneShot3DKind>},
    {"term", one_shot_sound_effect_3d_term},
    {nullptr, nullptr},
};
const luaL_Reg kLocked3DMethods[] = {
    {"isPlay", isPlay<Locked3DKind>},
    {"dead", one_shot_3d_sound_effect_dead},
    {nullptr, nullptr},
};

// ----------------------------------------------------------- collectors

// Takes the handle out of its block (so a second run does nothing) and gives
// its index to `release` when it holds a player.
template <class Release>
int collect(lua_State* L, const LuaClass& cls, Release release) {
  LuaObjectBlock* block = luaObjectBlock(L, 1);
  if (block && block->cls == &cls && block->object) {
    auto* handle = static_cast<SoundHandle*>(block->object);
    block->object = nullptr;
    const int index = handle->index;
    delete handle;
    if (index >= 0)
      if (AudioContext* c = AudioContext::getInstance()) release(*c, index);
  }
  lua_settop(L, 0);
  return 0;
}

int sound_effect_gc(lua_State* L) {
  return collect(L, kSoundEffectClass, [](AudioContext& c, int i) { c.releaseNormalSoundEffect(i); });
}
int system_sound_effect_gc(lua_State* L) {
  return collect(L, kSystemSoundEffectClass, [](AudioContext& c, int i) { c.releaseSystemSoundEffect(i); });
}
int sound_effect_3d_gc(lua_State* L) {
  return collect(L, kSoundEffect3DClass, [](AudioContext& c, int i) { c.release3DSoundEffect(i); });
}
template <const LuaClass& Cls>
int one_shot_gc(lua_State* L) {
  return collect(L, Cls, [](AudioContext&, int) {});
}
int one_shot_3d_sound_effect_gc(lua_State* L) {
  return collect(L, kOneShot3DSoundEffectClass, [](AudioContext& c, int i) { c.release3DSoundEffect(i); });
}

int group_handle_gc(lua_State* L) {
  LuaObjectBlock* block = luaObjectBlock(L, 1);
  if (block && block->cls == &kSEGroupHandleClass && block->object) {
    auto* name = static_cast<std::string*>(block->object);
    block->object = nullptr;
    if (AudioContext* c = AudioContext::getInstance()) c->releaseSoundEffectGroup(name->c_str());
    delete name;
  }
  lua_settop(L, 0);
  return 0;
}

struct HandleType {
  const LuaClass& cls;
  const luaL_Reg* methods;
  lua_CFunction collector;
};

const HandleType& handleType(HandleKind kind) {
  static const HandleType kTypes[] = {
      {kSoundEffectClass, kSoundEffectMethods, sound_effect_gc},
      {kSystemSoundEffectClass, kSystemSoundEffectMethods, system_sound_effect_gc},
      {kSoundEffect3DClass, kSoundEffect3DMethods, sound_effect_3d_gc},
      {kOneShotSoundEffectClass, kOneShotMethods, one_shot_gc<kOneShotSoundEffectClass>},
      {kOneShotSoundEffect3DClass, kOneShot3DMethods, one_shot_gc<kOneShotSoundEffect3DClass>},
      {kOneShot3DSoundEffectClass, kLocked3DMethods, one_shot_3d_sound_effect_gc},
  };
  return kTypes[static_cast<int>(kind)];
}

}  // namespace

int pushHandle(lua_State* L, HandleKind kind, int index) {
  const HandleType& type = handleType(kind);
  return pushLuaObject(L, new SoundHandle{index}, type.cls, type.methods, type.collector);
}

bool toHandleIndex(lua_State* L, int arg, int& index) {
  index = -1;
  LuaObjectBlock* block = luaObjectBlock(L, arg);
  if (!block || !block->object) return false;
  for (HandleKind kind : {HandleKind::SoundEffect, HandleKind::SystemSoundEffect, HandleKind::SoundEffect3D,
                          HandleKind::OneShotSoundEffect, HandleKind::OneShotSoundEffect3D,
                          HandleKind::OneShot3DSoundEffect}) {
    if (block->cls == &handleType(kind).cls) {
      index = static_cast<SoundHandle*>(block->object)->index;
      return true;
    }
  }
  return false;
}

int pushGroupHandle(lua_State* L, const char* name) {
  static const luaL_Reg kNoMethods[] = {{nullptr, nullptr}};
  return pushLuaObject(L, new std::string(name ? name : ""), kSEGroupHandleClass, kNoMethods, group_handle_gc);
}

}  // namespace rk::script::audio
