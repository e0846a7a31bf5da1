// Script constants are global functions that ignore their arguments and
// return one number; one instantiation of constantFunction per value.
#include <array>
#include <climits>
#include <cstdio>
#include <deque>
#include <string>
#include <utility>

#include "rk_script_controller_internal.h"

namespace rk::script::ctrl {

namespace {

template <int Value>
int constantFunction(lua_State* L) {
  lua_settop(L, 0);
  lua_pushinteger(L, Value);
  return 1;
}

// Key identifiers name keys by their place in this list (DIK_ESCAPE is 35).
constexpr const char* kKeyIdentifiers[] = {
    "DIK_0", "DIK_1", "DIK_2", "DIK_3", "DIK_4", "DIK_5", "DIK_6", "DIK_7", "DIK_8", "DIK_9", "DIK_A",
    "DIK_ABNT_C1", "DIK_ABNT_C2", "DIK_ADD", "DIK_APOSTROPHE", "DIK_APPS", "DIK_AT", "DIK_AX", "DIK_B",
    "DIK_BACK", "DIK_BACKSLASH", "DIK_C", "DIK_CALCULATOR", "DIK_CAPITAL", "DIK_COLON", "DIK_COMMA",
    "DIK_CONVERT", "DIK_D", "DIK_DECIMAL", "DIK_DELETE", "DIK_DIVIDE", "DIK_DOWN", "DIK_E", "DIK_END",
    "DIK_EQUALS", "DIK_ESCAPE", "DIK_F", "DIK_F1", "DIK_F2", "DIK_F3", "DIK_F4", "DIK_F5", "DIK_F6", "DIK_F7",
    "DIK_F8", "DIK_F9", "DIK_F10", "DIK_F11", "DIK_F12", "DIK_F13", "DIK_F14", "DIK_F15", "DIK_G", "DIK_GRAVE",
    "DIK_H", "DIK_HOME", "DIK_I", "DIK_INSERT", "DIK_J", "DIK_K", "DIK_KANA", "DIK_KANJI", "DIK_L",
    "DIK_LBRACKET", "DIK_LCONTROL", "DIK_LEFT", "DIK_LMENU", "DIK_LSHIFT", "DIK_LWIN", "DIK_M", "DIK_MAIL",
    "DIK_MEDIASELECT", "DIK_MEDIASTOP", "DIK_MINUS", "DIK_MULTIPLY", "DIK_MUTE", "DIK_MYCOMPUTER", "DIK_N",
    "DIK_NEXT", "DIK_NEXTTRACK", "DIK_NOCONVERT", "DIK_NUMLOCK", "DIK_NUMPAD0", "DIK_NUMPAD1", "DIK_NUMPAD2",
    "DIK_NUMPAD3", "DIK_NUMPAD4", "DIK_NUMPAD5", "DIK_NUMPAD6", "DIK_NUMPAD7", "DIK_NUMPAD8", "DIK_NUMPAD9",
    "DIK_NUMPADCOMMA", "DIK_NUMPADENTER", "DIK_NUMPADEQUALS", "DIK_O", "DIK_OEM_102", "DIK_P", "DIK_PAUSE",
    "DIK_PERIOD", "DIK_PLAYPAUSE", "DIK_POWER", "DIK_PREVTRACK", "DIK_PRIOR", "DIK_Q", "DIK_R", "DIK_RBRACKET",
    "DIK_RCONTROL", "DIK_RETURN", "DIK_RIGHT", "DIK_RMENU", "DIK_RSHIFT", "DIK_RWIN", "DIK_S", "DIK_SCROLL",
    "DIK_SEMICOLON", "DIK_SLASH", "DIK_SLEEP", "DIK_SPACE", "DIK_STOP", "DIK_SUBTRACT", "DIK_SYSRQ", "DIK_T",
    "DIK_TAB", "DIK_U", "DIK_UNDERLINE", "DIK_UNLABELED", "DIK_UP", "DIK_V", "DIK_VOLUMEDOWN", "DIK_VOLUMEUP",
    "DIK_W", "DIK_WAKE", "DIK_WEBBACK", "DIK_WEBFAVORITES", "DIK_WEBFORWARD", "DIK_WEBHOME", "DIK_WEBREFRESH",
    "DIK_WEBSEARCH", "DIK_WEBSTOP", "DIK_X", "DIK_Y", "DIK_YEN", "DIK_Z",
};
constexpr std::size_t kKeyIdentifierCount = sizeof kKeyIdentifiers / sizeof kKeyIdentifiers[0];
static_assert(kKeyIdentifierCount == 144);

template <std::size_t... I>
constexpr std::array<lua_CFunction, sizeof...(I)> countingFunctions(std::index_sequence<I...>) {
  return {&constantFunction<static_cast<int>(I)>...};
}

// Bit 31 reads as a signed 32-bit value.
constexpr int bitValue(std::size_t bit) { return bit == 31 ? INT_MIN : 1 << bit; }

template <std::size_t... I>
constexpr std::array<lua_CFunction, sizeof...(I)> bitFunctions(std::index_sequence<I...>) {
  return {&constantFunction<bitValue(I)>...};
}

std::vector<LuaFunctionPair> buildPairs() {
  static std::deque<std::string> names;  // the numbered names, kept for the program's life
  auto numbered = [](const char* prefix, int number) -> const char* {
    char text[32];
    std::snprintf(text, sizeof text, "%s%02d", prefix, number);
    names.emplace_back(text);
    return names.back().c_str();
  };

  constexpr auto counting = countingFunctions(std::make_index_sequence<kKeyIdentifierCount>{});
  constexpr auto bits = bitFunctions(std::make_index_sequence<32>{});
  std::vector<LuaFunctionPair> pairs;
  for (int i = 0; i < 32; ++i) pairs.push_back({counting[i], numbered("BUTTON_", i + 1)});
  pairs.push_back({constantFunction<0>, "BUTTON_OK"});
  pairs.push_back({constantFunction<1>, "BUTTON_CANCEL"});
  pairs.push_back({constantFunction<6>, "BUTTON_TAB"});
  pairs.push_back({constantFunction<7>, "BUTTON_DEL"});
  pairs.push_back({constantFunction<-1>, "POV_NONE"});
  const char* povNames[] = {"POV_U", "POV_UR", "POV_R", "POV_DR", "POV_D", "POV_DL", "POV_L", "POV_UL"};
  for (int i = 0; i < 8; ++i) pairs.push_back({counting[i], povNames[i]});
  pairs.push_back({constantFunction<0>, "DIR_BUTTON_UP"});
  pairs.push_back({constantFunction<2>, "DIR_BUTTON_DOWN"});
  pairs.push_back({constantFunction<3>, "DIR_BUTTON_LEFT"});
  pairs.push_back({constantFunction<1>, "DIR_BUTTON_RIGHT"});
  for (std::size_t i = 0; i < kKeyIdentifierCount; ++i) pairs.push_back({counting[i], kKeyIdentifiers[i]});
  for (int i = 0; i < 32; ++i) pairs.push_back({bits[i], numbered("BUTTON_BIT_", i + 1)});
  return pairs;
}

}  // namespace

const std::vector<LuaFunctionPair>& controllerConstantPairs() {
  static const std::vector<LuaFunctionPair> pairs = buildPairs();
  return pairs;
}

}  // namespace rk::script::ctrl
