#include "ctrl/rk_key_name_table.h"

#include <strings.h>

namespace rk::controller {

namespace {

// Names are the system's own, misspellings included.
const KeyName kKeyNames[kKeyNameCount] = {
    {"Escape", 0x01}, {"1", 0x02}, {"2", 0x03}, {"3", 0x04}, {"4", 0x05}, {"5", 0x06}, {"6", 0x07}, {"7", 0x08},
    {"8", 0x09}, {"9", 0x0A}, {"0", 0x0B}, {"-(MainKeyboard)", 0x0C}, {"=", 0x0D}, {"BackSpace", 0x0E},
    {"Tab", 0x0F}, {"Q", 0x10}, {"W", 0x11}, {"E", 0x12}, {"R", 0x13}, {"T", 0x14}, {"Y", 0x15}, {"U", 0x16},
    {"I", 0x17}, {"O", 0x18}, {"P", 0x19}, {"[", 0x1A}, {"]", 0x1B}, {"Enter(MainKeyboard)", 0x1C},
    {"Ctrl(left)", 0x1D}, {"A", 0x1E}, {"S", 0x1F}, {"D", 0x20}, {"F", 0x21}, {"G", 0x22}, {"H", 0x23},
    {"J", 0x24}, {"K", 0x25}, {"L", 0x26}, {";", 0x27}, {"'", 0x28}, {"`", 0x29}, {"Shift(left)", 0x2A},
    {"\\", 0x2B}, {"Z", 0x2C}, {"X", 0x2D}, {"C", 0x2E}, {"V", 0x2F}, {"B", 0x30}, {"N", 0x31}, {"M", 0x32},
    {",", 0x33}, {".", 0x34}, {"/", 0x35}, {"Shift(right)", 0x36}, {"*", 0x37}, {"Alt(left)", 0x38},
    {"Space", 0x39}, {"CapsLock", 0x3A}, {"F1", 0x3B}, {"F2", 0x3C}, {"F3", 0x3D}, {"F4", 0x3E}, {"F5", 0x3F},
    {"F6", 0x40}, {"F7", 0x41}, {"F8", 0x42}, {"F9", 0x43}, {"F10", 0x44}, {"NumLock", 0x45},
    {"ScrollLock", 0x46}, {"7(Numpad)", 0x47}, {"8(Numpad)", 0x48}, {"9(Numpad)", 0x49}, {"-(Numpad)", 0x4A},
    {"4(Numpad)", 0x4B}, {"5(Numpad)", 0x4C}, {"6(Numpad)", 0x4D}, {"+(Numpad)", 0x4E}, {"1(Numpad)", 0x4F},
    {"2(Numpad)", 0x50}, {"3(Numpad)", 0x51}, {"0(Numpad)", 0x52}, {".(Numpad)", 0x53}, {"OME_102", 0x56},
    {"F11", 0x57}, {"F12", 0x58}, {"F13", 0x64}, {"F14", 0x65}, {"F15", 0x66}, {"KANA", 0x70},
    {"ABNT_C1", 0x73}, {"CONVERT", 0x79}, {"NOCNVERT", 0x7B}, {"\\", 0x7D}, {"ABNT_C2", 0x7E},
    {"=(NEC_PC-98)", 0x8D}, {"PreviousTrack", 0x90}, {"@(NEC_PC-98)", 0x91}, {":(NEC_PC-98)", 0x92},
    {"_(NEC_PC-98)", 0x93}, {"KANJI", 0x94}, {"STOP", 0x95}, {"(JapanAX)", 0x96}, {"(J3100)", 0x97},
    {"NextTrack", 0x99}, {"Enter(Numpad)", 0x9C}, {"Ctrl(right)", 0x9D}, {"Mute", 0xA0}, {"Calculatpr", 0xA1},
    {"PlayerPause", 0xA2}, {"MediaStop", 0xA4}, {"VolumeDown", 0xAE}, {"VolumeUp", 0xB0}, {"WebHome", 0xB2},
    {",(Numpad)", 0xB3}, {"/(Numpad)", 0xB5}, {"SysSq", 0xB7}, {"Alt(left)", 0xB8}, {"Pause", 0xC5},
    {"Home", 0xC7}, {"Up", 0xC8}, {"PageUp", 0xC9}, {"Left", 0xCB}, {"Right", 0xCD}, {"End", 0xCF},
    {"Down", 0xD0}, {"PageDown", 0xD1}, {"Insert", 0xD2}, {"Delete", 0xD3}, {"Win(left)", 0xDB},
    {"Win(right)", 0xDC}, {"Menu", 0xDD}, {"Power", 0xDE}, {"Sleep", 0xDF}, {"Wake", 0xE3},
    {"WebSerch", 0xE5}, {"WebFavorites", 0xE6}, {"WebRefresh", 0xE7}, {"WebStop", 0xE8},
    {"WebForward", 0xE9}, {"WebBack", 0xEA}, {"MyComputer", 0xEB}, {"Mail", 0xEC}, {"MediaSelect", 0xED},
};

}  // namespace

const KeyName* keyNameTable() { return kKeyNames; }

const KeyName* findKeyByCode(std::uint8_t code) {
  for (const KeyName& row : kKeyNames)
    if (row.code == code) return &row;
  return nullptr;
}

const KeyName* findKeyByName(const char* name) {
  if (!name) return nullptr;
  // The names are plain ASCII, so a byte-wise case-blind compare is exact.
  for (const KeyName& row : kKeyNames)
    if (strcasecmp(row.name, name) == 0) return &row;
  return nullptr;
}

}  // namespace rk::controller
