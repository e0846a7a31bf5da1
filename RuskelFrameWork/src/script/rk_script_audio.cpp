// The audio table: volumes, music, the listener, the entry-SE list, the
// distance constants kept for scripts written for distance-based 3D sound, and
// the registration of every audio global. Each binding reads its arguments,
// empties the stack, acts, then pushes its results; none raises a Lua error.
#include <cfloat>
#include <string>

#include "audio/rk_audio_context.h"
#include "audio/rk_sound_effect_play_cache.h"
#include "rk_script_audio_internal.h"
#include "script/rk_lua_arg.h"

namespace rk::script {

namespace audio {

using rk::audio::AudioContext;

namespace {

// getInstance reports a missing context; the binding then does nothing.
AudioContext* context() { return AudioContext::getInstance(); }

std::string textOf(const char* text) { return text ? text : ""; }

int noResults(lua_State* L) {
  lua_settop(L, 0);
  return 0;
}

// --------------------------------------------------------------- volumes

int setAudioVolume(lua_State* L) {
  const float volume = toFloatArg(L, 1);
  lua_settop(L, 0);
  if (AudioContext* c = context()) c->setMasterVolume(volume);
  return 0;
}

int setMusicTotalVolume(lua_State* L) {
  const float volume = toFloatArg(L, 1);
  lua_settop(L, 0);
  if (AudioContext* c = context()) c->setMusicTotalVolume(volume);
  return 0;
}

int setSoundEffectTotalVolume(lua_State* L) {
  const float volume = toFloatArg(L, 1);
  lua_settop(L, 0);
  if (AudioContext* c = context()) c->setSoundEffectTotalVolume(volume);
  return 0;
}

int setMusicVolume(lua_State* L) {
  const float volume = toFloatArg(L, 1);
  lua_settop(L, 0);
  if (AudioContext* c = context()) c->setMusicVolume(volume);
  return 0;
}

// ----------------------------------------------------------------- music

// (name, fade = 0, unused, volume): the volume is read once a third argument is
// there, so (name, 2) keeps 1.0 while (name, 2, nil) reads a missing volume as 0.
int playMusic(lua_State* L) {
  const int count = lua_gettop(L);
  const char* text = toTextArg(L, 1);
  const std::string name = textOf(text);
  const float fade = count >= 2 ? toFloatArg(L, 2) : 0.0f;
  const float volume = count >= 3 ? toFloatArg(L, 4) : 1.0f;
  lua_settop(L, 0);
  if (!text) return 0;
  if (AudioContext* c = context()) c->playMusic(name.c_str(), fade, volume);
  return 0;
}

int playSubMusic(lua_State* L) {
  const char* text = toTextArg(L, 1);
  const std::string name = textOf(text);
  lua_settop(L, 0);
  if (!text) return 0;
  if (AudioContext* c = context()) c->playSubMusic(name.c_str());
  return 0;
}

int stopMusic(lua_State* L) {
  lua_settop(L, 0);
  if (AudioContext* c = context()) c->stopMusic();
  return 0;
}

int pauseMusic(lua_State* L) {
  const bool pause = toBoolArg(L, 1);
  lua_settop(L, 0);
  if (AudioContext* c = context()) pause ? c->stopMusic() : c->restartMusic();
  return 0;
}

int restartMusic(lua_State* L) {
  lua_settop(L, 0);
  if (AudioContext* c = context()) c->restartMusic();
  return 0;
}

int fadeoutMusic(lua_State* L) {
  const float seconds = toFloatArg(L, 1);
  lua_settop(L, 0);
  if (AudioContext* c = context()) c->fadeoutMusic(seconds);
  return 0;
}

int endMusic(lua_State* L) {
  lua_settop(L, 0);
  if (AudioContext* c = context()) c->fadeoutMusic(0.0f);
  return 0;
}

int isPlayMusic(lua_State* L) {
  lua_settop(L, 0);
  AudioContext* c = context();
  lua_pushboolean(L, c && c->isPlayMusic());
  return 1;
}

int setLoopMusic(lua_State* L) {
  toBoolArg(L, 1);
  toFloatArg(L, 2);
  toFloatArg(L, 3);
  return noResults(L);
}

int pushMainMusicStatus(lua_State* L) {
  lua_settop(L, 0);
  if (AudioContext* c = context()) c->pushMainMusicStatus();
  return 0;
}

int popMainMusicStatus(lua_State* L) {
  lua_settop(L, 0);
  if (AudioContext* c = context()) c->popMainMusicStatus();
  return 0;
}

int clearPushMainMusicStatus(lua_State* L) {
  lua_settop(L, 0);
  if (AudioContext* c = context()) c->clearMainMusicStatus();
  return 0;
}

int stopSubMusic(lua_State* L) {
  lua_settop(L, 0);
  if (AudioContext* c = context()) c->stopSubMusic();
  return 0;
}

int fadeOutSubMusic(lua_State* L) {
  const float seconds = toFloatArg(L, 1);
  lua_settop(L, 0);
  if (AudioContext* c = context()) c->fadeOutSubMusic(seconds);
  return 0;
}

// --------------------------------------------------- listener and cache

int setListnenerCamera(lua_State* L) {
  const int camera = toIntArg(L, 1);
  lua_settop(L, 0);
  if (AudioContext* c = context()) c->setListenerCameraNumber(camera);
  return 0;
}

int createSoundEffectPlayCache(lua_State* L) { return rk::audio::SoundEffectPlayCache::pushNew(L); }

// ------------------------------------------------------------- entry SE

int getEntrySEDataSize(lua_State* L) {
  lua_settop(L, 0);
  AudioContext* c = context();
  lua_pushinteger(L, c ? static_cast<lua_Integer>(c->entrySE().size()) : 0);
  return 1;
}

// An index outside the list gives no values.
int getEntrySEData(lua_State* L) {
  const std::int64_t index = toInt64Arg(L, 1);
  lua_settop(L, 0);
  AudioContext* c = context();
  if (!c || index < 0 || static_cast<std::uint64_t>(index) >= c->entrySE().size()) return 0;
  const rk::audio::SEEntry& entry = c->entrySE()[static_cast<std::size_t>(index)];
  lua_pushlstring(L, entry.name.data(), entry.name.size());
  lua_pushnumber(L, entry.position.x);
  lua_pushnumber(L, entry.position.y);
  lua_pushnumber(L, entry.position.z);
  lua_pushnumber(L, entry.volume);
  lua_pushboolean(L, entry.flag != 0);
  return 6;
}

// (name, x, y, z, w, flag): w is read and not kept; the volume is 1. Without a
// name nothing is appended.
int setEntrySEData(lua_State* L) {
  const char* text = toTextArg(L, 1);
  const std::string name = textOf(text);
  const rk::math::Vector4 position{toFloatArg(L, 2), toFloatArg(L, 3), toFloatArg(L, 4), 0.0f};
  toFloatArg(L, 5);
  const bool flag = toBoolArg(L, 6);
  lua_settop(L, 0);
  if (!text) return 0;
  if (AudioContext* c = context()) c->addEntrySE(name.c_str(), position, 1.0f, flag ? 1 : 0);
  return 0;
}

// ------------------------------------------------ constants and inert globals

template <int Value>
int pushConstant(lua_State* L) {
  lua_settop(L, 0);
  lua_pushnumber(L, Value);
  return 1;
}

int get3DSoundMinDistanceFactor(lua_State* L) {
  lua_settop(L, 0);
  lua_pushnumber(L, FLT_MIN);
  return 1;
}

int get3DSoundMaxDistanceFactor(lua_State* L) {
  lua_settop(L, 0);
  lua_pushnumber(L, FLT_MAX);
  return 1;
}

int playOneShotSystemSE(lua_State* L) {
  toTextArg(L, 1);
  toFloatArg(L, 2);
  toFloatArg(L, 3);
  return noResults(L);
}

int dumpSoundEffectStatus(lua_State* L) {
  lua_settop(L, 0);
  if (AudioContext* c = context()) {
    boost::lock_guard<boost::mutex> guard(c->lock());
  }
  return 0;
}

const LuaFunctionPair kAudioFunctions[] = {
    {setAudioVolume, "setAudioVolume"},
    {setMusicTotalVolume, "setMusicTotalVolume"},
    {setSoundEffectTotalVolume, "setSoundEffectTotalVolume"},
    {setMusicVolume, "setMusicVolume"},
    {setMusicVolume, "setVolPlayMusic"},
    {setNormalSEVolume, "setNormalSEVolume"},
    {set3DSEVolume, "set3DSEVolume"},
    {setSystemSEVolume, "setSystemSEVolume"},
    {playMusic, "playMusic"},
    {playSubMusic, "playSubMusic"},
    {stopMusic, "stopMusic"},
    {pauseMusic, "pauseMusic"},
    {restartMusic, "restartMusic"},
    {fadeoutMusic, "fadeoutMusic"},
    {endMusic, "endMusic"},
    {isPlayMusic, "isPlayMusic"},
    {setLoopMusic, "setLoopMusic"},
    {pushMainMusicStatus, "pushMainMusicStatus"},
    {popMainMusicStatus, "popMainMusicStatus"},
    {clearPushMainMusicStatus, "clearPushMainMusicStatus"},
    {stopSubMusic, "stopSubMusic"},
    {fadeOutSubMusic, "fadeOutSubMusic"},
    {loadSEGroup, "loadSEGroup"},
    {isSoundEffectLoding, "isSoundEffectLoding"},
    {releaseSoundEffectFromGroup, "releaseSoundEffectFromGroup"},
    {getSoundEffectName, "getSoundEffectName"},
    {setSoundEffectRootFolder, "setSoundEffectRootFolder"},
    {createSoundEffect, "createSoundEffect"},
    {createSystemSoundEffect, "createSystemSoundEffect"},
    {create3DSoundEffect, "create3DSoundEffect"},
    {playOneShotSoundEffect, "playOneShotSoundEffect"},
    {playOneShotSoundEffect3D, "playOneShotSoundEffect3D"},
    {playOneShot3DSoundEffect, "playOneShot3DSoundEffect"},
    {checkSoundEffectChannel, "checkSoundEffectChannel"},
    {pushNormalSoundEffect, "pushNormalSoundEffect"},
    {popNormalSoundEffect, "popNormalSoundEffect"},
    {clearPushNormalSoundEffect, "clearPushNormalSoundEffect"},
    {stopAllNormalSE, "stopAllNormalSE"},
    {push3DSoundStatus, "push3DSoundStatus"},
    {pop3DSoundStatus, "pop3DSoundStatus"},
    {clearPush3DSoundStatus, "clearPush3DSoundStatus"},
    {allStop3DSound, "allStop3DSound"},
    {setListnenerCamera, "setListnenerCamera"},
    {createSoundEffectPlayCache, "createSoundEffectPlayCache"},
    {getEntrySEDataSize, "getEntrySEDataSize"},
    {getEntrySEData, "getEntrySEData"},
    {setEntrySEData, "setEntrySEData"},
    {pushConstant<0>, "get3DSoundRollOffMinParameter"},
    {pushConstant<1>, "get3DSoundRollOffMaxParameter"},
    {pushConstant<1>, "get3DSoundRollOffDefaultParameter"},
    {get3DSoundMinDistanceFactor, "get3DSoundMinDistanceFactor"},
    {get3DSoundMaxDistanceFactor, "get3DSoundMaxDistanceFactor"},
    {pushConstant<1>, "get3DSoundDefaultDistanceFactor"},
    {playOneShotSystemSE, "playOneShotSystemSE"},
    {noResults, "setSoundEffectPause"},
    {noResults, "clearSoundEffect"},
    {noResults, "dumpAudioSETTY"},
    {dumpSoundEffectStatus, "dumpSoundEffectStatus"},
};

}  // namespace

}  // namespace audio

LuaFunctionTable audioFunctionTable() {
  return {audio::kAudioFunctions, static_cast<int>(sizeof audio::kAudioFunctions / sizeof audio::kAudioFunctions[0])};
}

}  // namespace rk::script
