// The names of 144 keyboard keys with their DirectInput scan codes, as the
// settings file and the scripts name keys. Two rows share the name "Alt(left)"
// and two the name "\", so a lookup by name always finds the first of a pair.
#pragma once
#include <cstdint>

namespace rk::controller {

struct KeyName {
  const char* name;
  std::uint8_t code;
};

constexpr int kKeyNameCount = 144;

// The rows in table order.
const KeyName* keyNameTable();
// The first row with that scan code, or null.
const KeyName* findKeyByCode(std::uint8_t code);
// The first row whose name equals `name` ignoring ASCII case, or null.
const KeyName* findKeyByName(const char* name);

}  // namespace rk::controller
