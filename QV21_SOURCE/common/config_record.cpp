#include "common/config_record.h"

#include <cstring>

#include "ctrl/rk_key_name_table.h"

namespace {

std::uint8_t keyCode(const char* name) {
  const rk::controller::KeyName* key = rk::controller::findKeyByName(name);
  return key ? key->code : 0;
}

}  // namespace

ConfigRecord& configRecord() {
  static ConfigRecord record{};
  return record;
}

void resetConfigRecord(ConfigRecord& record) {
  std::memset(&record, 0, sizeof record);
  record.adapter = 0;
  record.window_mode = 1;
  record.width = 1280;
  record.height = 720;
  record.refresh = 60;
  record.aspect = 0.5625f;
  record.total_volume = record.bgm_volume = record.se_volume = record.d3dse_volume = 1.0f;
  record.key_pause = keyCode("Escape");
  record.key_shot = keyCode("Z");
  record.key_trans = keyCode("X");
  record.key_capture = keyCode("A");
  record.key_guard = keyCode("S");
  record.key_up = keyCode("Up");
  record.key_left = keyCode("Left");
  record.key_down = keyCode("Down");
  record.key_right = keyCode("Right");
  record.pad_pause = 7;
  record.pad_shot = 0;
  record.pad_trans = 1;
  record.pad_capture = 2;
  record.pad_guard = 3;
  record.pad_lockon = 5;
}

const ConfigRecord& defaultConfigRecord() {
  static const ConfigRecord defaults = [] {
    ConfigRecord record;
    resetConfigRecord(record);
    return record;
  }();
  return defaults;
}
