#include "common/game_config_script.h"

#include <cstdint>

#include "common/game_config.h"
#include "script/rk_lua_arg.h"
#include "script/rk_lua_object.h"

namespace common {

namespace {

const rk::script::LuaClass kGameConfigClass{"GameConfig"};

using Data = GameConfig::ConfigData;

// The record of the object at index 1; null (reported) for anything else.
Data* recordOf(lua_State* L, const char* method) {
  auto* config = rk::script::toLuaObject<GameConfig>(L, 1, kGameConfigClass);
  if (!config) {
    rk::script::reportNullObject(method);
    return nullptr;
  }
  return &config->data();
}

template <std::uint8_t Data::*Field>
int getByte(lua_State* L) {
  Data* d = recordOf(L, "common::lua_GameConfig_getByte");
  if (!d) return 0;
  lua_pushinteger(L, d->*Field);
  return 1;
}

// Truncated toward zero to 32 bits; the low 8 bits are kept.
template <std::uint8_t Data::*Field>
int setByte(lua_State* L) {
  Data* d = recordOf(L, "common::lua_GameConfig_setByte");
  if (d) d->*Field = static_cast<std::uint8_t>(rk::script::toIntArg(L, 2));
  return 0;
}

template <float Data::*Field>
int getFloat(lua_State* L) {
  Data* d = recordOf(L, "common::lua_GameConfig_getFloat");
  if (!d) return 0;
  lua_pushnumber(L, d->*Field);
  return 1;
}

// No range check: 1.5 is written as 150 %.
template <float Data::*Field>
int setFloat(lua_State* L) {
  Data* d = recordOf(L, "common::lua_GameConfig_setFloat");
  if (d) d->*Field = rk::script::toFloatArg(L, 2);
  return 0;
}

int getFontName(lua_State* L) {
  Data* d = recordOf(L, "common::lua_GameConfig_getFontName");
  if (!d) return 0;
  if (d->font_name.empty())
    lua_pushnil(L);
  else
    lua_pushlstring(L, d->font_name.data(), d->font_name.size());
  return 1;
}

// nil or nothing clears the name; a value that is no text leaves it alone.
int setFontName(lua_State* L) {
  Data* d = recordOf(L, "common::lua_GameConfig_setFontName");
  if (!d) return 0;
  if (lua_isnoneornil(L, 2)) {
    d->font_name.clear();
  } else if (lua_type(L, 2) == LUA_TSTRING || lua_type(L, 2) == LUA_TNUMBER) {
    std::size_t length = 0;
    const char* text = lua_tolstring(L, 2, &length);
    d->font_name.assign(text, length);
  }
  return 0;
}

int collectNothing(lua_State*) { return 0; }

const luaL_Reg kMethods[] = {
    {"getDikKeyPause", getByte<&Data::key_pause>},       {"setDikKeyPause", setByte<&Data::key_pause>},
    {"getDikKeyShot", getByte<&Data::key_shot>},         {"setDikKeyShot", setByte<&Data::key_shot>},
    {"getDikKeyTrans", getByte<&Data::key_trans>},       {"setDikKeyTrans", setByte<&Data::key_trans>},
    {"getDikKeyCapture", getByte<&Data::key_capture>},   {"setDikKeyCapture", setByte<&Data::key_capture>},
    {"getDikKeyGuard", getByte<&Data::key_guard>},       {"setDikKeyGuard", setByte<&Data::key_guard>},
    {"getDikKeyLockOn", getByte<&Data::key_lockon>},     {"setDikKeyLockOn", setByte<&Data::key_lockon>},
    {"getDikKeyUp", getByte<&Data::key_up>},             {"setDikKeyUp", setByte<&Data::key_up>},
    {"getDikKeyDown", getByte<&Data::key_down>},         {"setDikKeyDown", setByte<&Data::key_down>},
    {"getDikKeyLeft", getByte<&Data::key_left>},         {"setDikKeyLeft", setByte<&Data::key_left>},
    {"getDikKeyRight", getByte<&Data::key_right>},       {"setDikKeyRight", setByte<&Data::key_right>},
    {"getJoypadPause", getByte<&Data::pad_pause>},       {"setJoypadPause", setByte<&Data::pad_pause>},
    {"getJoypadShot", getByte<&Data::pad_shot>},         {"setJoypadShot", setByte<&Data::pad_shot>},
    {"getJoypadTrans", getByte<&Data::pad_trans>},       {"setJoypadTrans", setByte<&Data::pad_trans>},
    {"getJoypadCapture", getByte<&Data::pad_capture>},   {"setJoypadCapture", setByte<&Data::pad_capture>},
    {"getJoypadGuard", getByte<&Data::pad_guard>},       {"setJoypadGuard", setByte<&Data::pad_guard>},
    {"getJoypadLockOn", getByte<&Data::pad_lockon>},     {"setJoypadLockOn", setByte<&Data::pad_lockon>},
    {"getFontName", getFontName},                        {"setFontName", setFontName},
    {"getTotalVolume", getFloat<&Data::total_volume>},   {"setTotalVolume", setFloat<&Data::total_volume>},
    {"getBGMVolume", getFloat<&Data::bgm_volume>},       {"setBGMVolume", setFloat<&Data::bgm_volume>},
    {"getSEVolume", getFloat<&Data::se_volume>},         {"setSEVolume", setFloat<&Data::se_volume>},
    {nullptr, nullptr},
};

}  // namespace

int lua_createGameConfig(lua_State* L) {
  // Without settings the object reads as null in every method.
  GameConfig* config = GameConfig::getInstance();
  return rk::script::pushLuaObject(L, config, kGameConfigClass, kMethods, collectNothing);
}

}  // namespace common
