// The parse record of "config.dat": what the settings parser fills, statement by
// statement, and what the settings are copied from.
#pragma once
#include <cstdint>

struct ConfigRecord {
  std::int32_t adapter;
  std::int32_t window_mode;
  std::int32_t width;
  std::int32_t height;
  std::int32_t refresh;
  float aspect;
  float total_volume;
  float bgm_volume;
  float se_volume;
  float d3dse_volume;
  std::uint8_t key_pause, key_shot, key_trans, key_capture, key_guard;
  std::uint8_t key_up, key_left, key_down, key_right;
  std::uint8_t pad_pause, pad_shot, pad_trans, pad_capture, pad_guard, pad_lockon;
  char font_name[32];  // NUL-terminated
};

// Pad button indices the controllers know: BUTTON_01 to BUTTON_32 in the file.
constexpr int kConfigPadButtonCount = 32;
// The largest screen side the settings accept.
constexpr std::int32_t kConfigMaxScreenSide = 16384;

// The one parse record of the process.
ConfigRecord& configRecord();

// Clears the record to zero, then sets the defaults (keys by name from the
// key-name table).
void resetConfigRecord(ConfigRecord& record);

// A record holding the defaults, as resetConfigRecord sets them.
const ConfigRecord& defaultConfigRecord();
