// The audio table: the script globals of volumes, music, sound groups, sound
// effects, the listener and the entry-SE list, and the handle objects that the
// sound-effect globals return (each holds a player index, -1 for none).
#pragma once
#include <lua.hpp>

#include "script/rk_lua_object.h"
#include "script/rk_script.h"

namespace rk::script {

// The audio table, in registration order.
LuaFunctionTable audioFunctionTable();

namespace audio {

extern const LuaClass kSoundEffectClass;           // reserved normal player
extern const LuaClass kSystemSoundEffectClass;     // reserved system player
extern const LuaClass kSoundEffect3DClass;         // reserved 3D player
extern const LuaClass kOneShotSoundEffectClass;    // normal one-shot
extern const LuaClass kOneShotSoundEffect3DClass;  // 3D one-shot
extern const LuaClass kOneShot3DSoundEffectClass;  // locked 3D one-shot
extern const LuaClass kSEGroupHandleClass;         // keeps a sound group loaded

}  // namespace audio

}  // namespace rk::script
