// The sound-effect globals of the audio table: sound groups, reserved players,
// one-shots, the pools' status stacks and per-handle volumes.
#include <string>
#include <vector>

#include "audio/rk_audio_context.h"
#include "host/ui.h"
#include "kernel/rk_error_log.h"
#include "rk_script_audio_internal.h"
#include "script/rk_lua_arg.h"

namespace rk::script::audio {

using rk::audio::AudioContext;

namespace {

// Names with more results than this make room on the Lua stack first.
constexpr int kNamesBeforeStackCheck = 20;

AudioContext* context() { return AudioContext::getInstance(); }

// A name argument copied out of Lua, so it outlives the emptied stack.
struct NameArg {
  explicit NameArg(lua_State* L, int index) {
    const char* read = toTextArg(L, index);
    present = read != nullptr;
    if (present) text = read;
  }
  const char* get() const { return present ? text.c_str() : nullptr; }
  bool present = false;
  std::string text;
};

// Handles that scripts dropped hold their players until the collector runs:
// when a pool is full (or the name is unknown) one full collection frees them
// and the creator is tried once more. No lock may be held here.
template <class Attempt>
int withRetry(lua_State* L, Attempt attempt) {
  int index = attempt();
  if (index < 0) {
    lua_gc(L, LUA_GCCOLLECT, 0);
    index = attempt();
  }
  return index;
}

}  // namespace

// ------------------------------------------------------------ sound groups

int loadSEGroup(lua_State* L) {
  const NameArg name(L, 1);
  lua_settop(L, 0);
  if (!name.present) {
    debug::writeErrorLog(kSource, 300, RK_AUDIO_BINDING("loadSEGroup"));
  } else if (AudioContext* c = context()) {
    c->loadSEGroup(name.get());
  }
  return pushGroupHandle(L, name.present ? name.get() : "");
}

int isSoundEffectLoding(lua_State* L) {
  lua_settop(L, 0);
  AudioContext* c = context();
  lua_pushboolean(L, c && c->isLoadRequested());
  return 1;
}

int releaseSoundEffectFromGroup(lua_State* L) {
  const NameArg name(L, 1);
  lua_settop(L, 0);
  if (name.present)
    if (AudioContext* c = context()) c->releaseSoundEffectGroup(name.get());
  lua_pushboolean(L, 1);
  return 1;
}

int getSoundEffectName(lua_State* L) {
  const NameArg name(L, 1);
  lua_settop(L, 0);
  std::vector<std::string> names;
  if (name.present)
    if (AudioContext* c = context()) c->getSoundEffectName(names, name.get());
  const int count = static_cast<int>(names.size());
  if (count >= kNamesBeforeStackCheck && !lua_checkstack(L, count + 16)) {
    host::ui::messageBox(nullptr, "getSoundEffectName()でスタックの確保に失敗しました。", "エラー",
                         host::ui::MB_ICONERROR);
    host::ui::postQuitMessage(0);
    return 0;
  }
  for (const std::string& each : names) lua_pushlstring(L, each.data(), each.size());
  return count;
}

int setSoundEffectRootFolder(lua_State* L) {
  const NameArg folder(L, 1);
  lua_settop(L, 0);
  if (folder.present)
    if (AudioContext* c = context()) c->setSoundEffectRootFolder(folder.get());
  return 0;
}

// ----------------------------------------------------------- creators

int createSoundEffect(lua_State* L) {
  const NameArg name(L, 1);
  lua_settop(L, 0);
  AudioContext* c = context();
  const int index = c ? withRetry(L, [&] { return c->createSoundEffect(name.get()); }) : -1;
  return pushHandle(L, HandleKind::SoundEffect, index);
}

int createSystemSoundEffect(lua_State* L) {
  const NameArg name(L, 1);
  lua_settop(L, 0);
  AudioContext* c = context();
  const int index = c ? c->createSystemSoundEffect(name.get()) : -1;
  if (index < 0) {
    lua_pushnil(L);
    return 1;
  }
  c->controlSystemSoundEffect(index, true);
  return pushHandle(L, HandleKind::SystemSoundEffect, index);
}

int create3DSoundEffect(lua_State* L) {
  const NameArg name(L, 1);
  lua_settop(L, 0);
  AudioContext* c = context();
  const int index = c ? withRetry(L, [&] { return c->create3DSoundEffect(name.get()); }) : -1;
  return pushHandle(L, HandleKind::SoundEffect3D, index);
}

// (name, pan = 0, volume = 1): the volume is read once a pan is given.
int playOneShotSoundEffect(lua_State* L) {
  const NameArg name(L, 1);
  const bool withPan = lua_gettop(L) >= 2;
  const float pan = withPan ? toFloatArg(L, 2) : 0.0f;
  const float volume = withPan ? toFloatArg(L, 3) : 1.0f;
  lua_settop(L, 0);
  AudioContext* c = context();
  const int index = c ? withRetry(L, [&] { return c->playOneShotSoundEffect(name.get(), pan, volume); }) : -1;
  return pushHandle(L, HandleKind::OneShotSoundEffect, index);
}

// (name, x, y, z, volume, unused): an absent volume is 0, a silent sound. A
// fire-and-forget one-shot: its handle releases nothing, so it reserves nothing.
int playOneShotSoundEffect3D(lua_State* L) {
  const NameArg name(L, 1);
  const rk::math::Vector4 position{toFloatArg(L, 2), toFloatArg(L, 3), toFloatArg(L, 4), 0.0f};
  const float volume = toFloatArg(L, 5);
  toFloatArg(L, 6);
  lua_settop(L, 0);
  AudioContext* c = context();
  const int index =
      c ? withRetry(L, [&] { return c->playOneShot3DSoundEffect(name.get(), position, volume, false); }) : -1;
  return pushHandle(L, HandleKind::OneShotSoundEffect3D, index);
}

// (name, x, y, z, volume = 1, unused): a locked one-shot, without a retry.
int playOneShot3DSoundEffect(lua_State* L) {
  const NameArg name(L, 1);
  const rk::math::Vector4 position{toFloatArg(L, 2), toFloatArg(L, 3), toFloatArg(L, 4), 0.0f};
  const float volume = lua_gettop(L) >= 5 ? toFloatArg(L, 5) : 1.0f;
  toFloatArg(L, 6);
  lua_settop(L, 0);
  int index = -1;
  if (AudioContext* c = context()) {
    index = c->playOneShot3DSoundEffect(name.get(), position, volume, true);
    c->lock3DSoundEffect(index);
  }
  return pushHandle(L, HandleKind::OneShot3DSoundEffect, index);
}

int checkSoundEffectChannel(lua_State* L) {
  int index = -1;
  toHandleIndex(L, 1, index);
  lua_settop(L, 0);
  lua_pushboolean(L, index >= 0);
  return 1;
}

// ------------------------------------------------------- whole pools

#define RK_AUDIO_POOL_GLOBAL(name, call)     \
  int name(lua_State* L) {                   \
    lua_settop(L, 0);                        \
    if (AudioContext* c = context()) c->call(); \
    return 0;                                \
  }

RK_AUDIO_POOL_GLOBAL(pushNormalSoundEffect, pushNormalSoundEffect)
RK_AUDIO_POOL_GLOBAL(popNormalSoundEffect, popNormalSoundEffect)
RK_AUDIO_POOL_GLOBAL(clearPushNormalSoundEffect, clearNormalSoundEffectStatus)
RK_AUDIO_POOL_GLOBAL(stopAllNormalSE, stopAllNormalSE)
RK_AUDIO_POOL_GLOBAL(push3DSoundStatus, push3DSoundStatus)
RK_AUDIO_POOL_GLOBAL(pop3DSoundStatus, pop3DSoundStatus)
RK_AUDIO_POOL_GLOBAL(clearPush3DSoundStatus, clear3DSoundStatus)
RK_AUDIO_POOL_GLOBAL(allStop3DSound, allStop3DSound)

#undef RK_AUDIO_POOL_GLOBAL

// --------------------------------------------------- per-handle volumes

namespace {

// (handle, volume) on one pool, by the handle's index.
template <class Pool>
int setHandleVolume(lua_State* L, Pool& (AudioContext::*pool)(), const char* binding) {
  int index = -1;
  const bool handle = toHandleIndex(L, 1, index);
  const float volume = toFloatArg(L, 2);
  lua_settop(L, 0);
  if (!handle) reportNullObject(binding);
  if (index < 0) return 0;
  if (AudioContext* c = context()) {
    boost::lock_guard<boost::mutex> guard(c->lock());
    (c->*pool)().setVolume(index, volume);
  }
  return 0;
}

}  // namespace

int setNormalSEVolume(lua_State* L) {
  return setHandleVolume(L, &AudioContext::normalSoundEffects, RK_AUDIO_BINDING("setNormalSEVolume"));
}

int set3DSEVolume(lua_State* L) {
  return setHandleVolume(L, &AudioContext::soundEffects3D, RK_AUDIO_BINDING("set3DSEVolume"));
}

int setSystemSEVolume(lua_State* L) {
  return setHandleVolume(L, &AudioContext::systemSoundEffects, RK_AUDIO_BINDING("setSystemSEVolume"));
}

}  // namespace rk::script::audio
