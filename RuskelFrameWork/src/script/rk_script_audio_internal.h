// Shared by the audio binding sources: the handle objects and the names that
// error-log entries carry.
#pragma once
#include <lua.hpp>

#include "script/rk_script_audio.h"

// The qualified name of a binding, as its error-log entries write it.
#define RK_AUDIO_BINDING(name) "rk::script::audio::`anonymous-namespace'::" name

namespace rk::script::audio {

constexpr const char* kSource = "src/script/rk_script_audio";

enum class HandleKind {
  SoundEffect,
  SystemSoundEffect,
  SoundEffect3D,
  OneShotSoundEffect,
  OneShotSoundEffect3D,
  OneShot3DSoundEffect,
};

// Pushes a new handle of that kind holding the player index.
int pushHandle(lua_State* L, HandleKind kind, int index);
// The player index of any sound-effect handle at that position; false (and -1)
// for anything else.
bool toHandleIndex(lua_State* L, int arg, int& index);
// Pushes a group handle that owns a copy of the name.
int pushGroupHandle(lua_State* L, const char* name);

// The sound-effect globals (rk_script_audio_sound_effect.cpp).
int loadSEGroup(lua_State* L);
int isSoundEffectLoding(lua_State* L);
int releaseSoundEffectFromGroup(lua_State* L);
int getSoundEffectName(lua_State* L);
int setSoundEffectRootFolder(lua_State* L);
int createSoundEffect(lua_State* L);
int createSystemSoundEffect(lua_State* L);
int create3DSoundEffect(lua_State* L);
int playOneShotSoundEffect(lua_State* L);
int playOneShotSoundEffect3D(lua_State* L);
int playOneShot3DSoundEffect(lua_State* L);
int checkSoundEffectChannel(lua_State* L);
int pushNormalSoundEffect(lua_State* L);
int popNormalSoundEffect(lua_State* L);
int clearPushNormalSoundEffect(lua_State* L);
int stopAllNormalSE(lua_State* L);
int push3DSoundStatus(lua_State* L);
int pop3DSoundStatus(lua_State* L);
int clearPush3DSoundStatus(lua_State* L);
int allStop3DSound(lua_State* L);
int setNormalSEVolume(lua_State* L);
int set3DSEVolume(lua_State* L);
int setSystemSEVolume(lua_State* L);

}  // namespace rk::script::audio
