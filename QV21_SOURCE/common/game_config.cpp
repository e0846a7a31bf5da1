#include "common/game_config.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <tuple>

#include "audio/rk_audio_context.h"
#include "common/config_parser.h"
#include "common/config_record.h"
#include "ctrl/rk_controller.h"
#include "ctrl/rk_key_name_table.h"
#include "fs/rk_save_file.h"
#include "host/fs.h"
#include "host/ui.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"

namespace {

constexpr const char* kSource = "common/game_config";
const rk::SingletonReport kReport{kSource, "GameConfig", 150, 158, 166};
constexpr const char* kFileName = "config.dat";

// Nothing in the game sets it; it would keep the window mode whatever the file says.
constexpr bool kForceWindowed = false;

std::string filePath(const char* folder) { return std::string(folder ? folder : "") + "\\" + kFileName; }

// The whole file in text mode; a read error ends the text there (what was read
// before it is still parsed).
std::string readText(std::FILE* file) {
  std::string text;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  if (std::ferror(file)) rk::debug::writeErrorLog(kSource, 214, "GameConfig::load");
  return text;
}

const char* keyName(std::uint8_t code) {
  const rk::controller::KeyName* key = rk::controller::findKeyByCode(code);
  return key ? key->name : "Escape";
}

// volume × 100 in single precision, truncated; held inside int range. A volume
// read from the file as n / 100 can land just below n after the product
// (0.53 gives 52.99999), so the next whole percent is written when it reads
// back to exactly this volume: the setting no longer drifts down on each save.
int percentOf(float volume) {
  const float scaled = volume * 100.0f;
  if (std::isnan(scaled)) return 0;
  if (scaled >= 2147483520.0f) return std::numeric_limits<int>::max();
  if (scaled <= -2147483648.0f) return std::numeric_limits<int>::min();
  const int percent = static_cast<int>(scaled);
  if (percent < std::numeric_limits<int>::max() && static_cast<float>(percent + 1) / 100.0f == volume)
    return percent + 1;
  return percent;
}

void appendf(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void appendf(std::string& out, const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n > 0) out.append(buffer, std::min<std::size_t>(std::size_t(n), sizeof buffer - 1));
}

int gcd(int a, int b) { return b == 0 ? a : gcd(b, a % b); }

}  // namespace

GameConfig* GameConfig::createInstance() { return rk::singletonCreate<GameConfig>(rk::InstanceSlot::GameConfig, kReport); }

GameConfig* GameConfig::getInstance() { return rk::singletonGet<GameConfig>(rk::InstanceSlot::GameConfig, kReport); }

GameConfig* GameConfig::getInstancePtr() { return static_cast<GameConfig*>(rk::instanceSlot(rk::InstanceSlot::GameConfig)); }

void GameConfig::destroyInstance() {
  if (rk::singletonExists(rk::InstanceSlot::GameConfig))
    rk::singletonDestroy<GameConfig>(rk::InstanceSlot::GameConfig, kReport);
}

GameConfig::GameConfig() : data_(std::make_unique<ConfigData>()) {}

GameConfig::~GameConfig() = default;

bool GameConfig::load(const char* savePath) {
  host::ui::Window* owner = rk::DeviceContext::getInstance()->getWindowHandle();
  ConfigRecord& record = configRecord();
  resetConfigRecord(record);
  if (std::FILE* file = savePath ? host::fs::open(filePath(savePath), "r") : nullptr) {
    const std::string text = readText(file);
    std::fclose(file);
    parseConfigText(text, record, owner);
  }
  apply(false);
  return true;
}

void GameConfig::applyWindowMode(bool windowMode) {
  rk::DeviceContext* context = rk::DeviceContext::getInstance();
  context->setWindowed(kForceWindowed || windowMode);
  context->setScreenSize(static_cast<int>(context->screenWidth()), static_cast<int>(context->screenHeight()));
}

void GameConfig::reflect(host::ui::Window*) {
  const ConfigRecord& record = configRecord();
  rk::DeviceContext::getInstance()->setScreenSize(record.width, record.height);
  if (GameConfig* config = getInstance()) config->apply(true);
}

void GameConfig::apply(bool toSystem) {
  const ConfigRecord& r = configRecord();
  ConfigData& d = *data_;
  d.adapter = r.adapter;
  d.window_mode = r.window_mode != 0;
  d.aspect = r.aspect;
  d.width = r.width;
  d.height = r.height;
  d.refresh = r.refresh;
  d.total_volume = r.total_volume;
  d.bgm_volume = r.bgm_volume;
  d.se_volume = r.se_volume;
  d.d3dse_volume = r.d3dse_volume;
  d.key_pause = r.key_pause;
  d.key_shot = r.key_shot;
  d.key_trans = r.key_trans;
  d.key_capture = r.key_capture;
  d.key_guard = r.key_guard;
  d.key_up = r.key_up;
  d.key_left = r.key_left;
  d.key_down = r.key_down;
  d.key_right = r.key_right;
  d.pad_pause = r.pad_pause;
  d.pad_shot = r.pad_shot;
  d.pad_trans = r.pad_trans;
  d.pad_capture = r.pad_capture;
  d.pad_guard = r.pad_guard;
  d.pad_lockon = r.pad_lockon;
  d.font_name.assign(r.font_name, strnlen(r.font_name, sizeof r.font_name));
  if (!toSystem) return;

  applyWindowMode(r.window_mode != 0);

  // The file's key assignments reach the scripts through the settings object;
  // the controllers get the framework's default map.
  if (rk::controller::ControllerManager* controllers = rk::controller::ControllerManager::getInstance()) {
    if (rk::controller::Controller* system = controllers->getSystemController()) {
      system->macro().clear();
      system->macro().setDefault();
    }
    if (rk::controller::Controller* player = controllers->getController(0)) {
      player->macro().clear();
      player->macro().setDefault();
    }
  }

  if (rk::audio::AudioContext* audio = rk::audio::AudioContext::getInstance()) {
    audio->setMasterVolume(r.total_volume);  // the mastering voice plays at its square
    audio->setMusicTotalVolume(r.bgm_volume);
    audio->setSoundEffectTotalVolume(r.se_volume);
  }
}

std::string GameConfig::formatFile() const {
  const ConfigData& d = *data_;
  const bool windowed = rk::DeviceContext::getInstance()->isWindowed();
  const int divisor = gcd(1280, 720);
  std::string out;
  appendf(out, "#環境設定\n\n#スクリーン\n");
  appendf(out, "ADAPTER = %d\n", 0);
  appendf(out, "WINDOW_MODE = %s\n", windowed ? "TRUE" : "FALSE");
  appendf(out, "SCREEN_SIZE = (%d,%d)\n", 1280, 720);
  appendf(out, "SCREEN_HZ = %d\n", 60);
  appendf(out, "ASPECT = %d:%d\n\n", 1280 / divisor, 720 / divisor);
  appendf(out, "#ボリューム\n");
  appendf(out, "TOTAL_VOL = %d%%\n", percentOf(d.total_volume));
  appendf(out, "BGM_VOL = %d%%\n", percentOf(d.bgm_volume));
  appendf(out, "SE_VOL = %d%%\n", percentOf(d.se_volume));
  appendf(out, "D3DSE_VOL = %d%%\n", percentOf(d.d3dse_volume));
  appendf(out, "\n");
  appendf(out, "#キーコンフィグ\n");
  appendf(out, "#キーボード\n");
  appendf(out, "KEYBOARD = {\n");
  const std::pair<const char*, std::uint8_t> keys[] = {
      {"SHOT", d.key_shot}, {"TRANS", d.key_trans}, {"CAPTURE", d.key_capture},
      {"GUARD", d.key_guard}, {"PAUSE", d.key_pause}, {"UP", d.key_up},
      {"LEFT", d.key_left}, {"RIGHT", d.key_right}, {"DOWN", d.key_down},
  };
  for (const auto& [item, code] : keys) appendf(out, "\t%s = \"%s\"\n", item, keyName(code));
  appendf(out, "}\n\n");
  appendf(out, "#ジョイパッド\n");
  appendf(out, "JOYPAD = {\n");
  // A pad index the controllers do not have (a script can set any byte) is
  // written as its default, so that the file always reads back cleanly.
  const ConfigRecord& defaults = defaultConfigRecord();
  const std::tuple<const char*, std::uint8_t, std::uint8_t> pads[] = {
      {"SHOT", d.pad_shot, defaults.pad_shot},       {"TRANS", d.pad_trans, defaults.pad_trans},
      {"CAPTURE", d.pad_capture, defaults.pad_capture}, {"GUARD", d.pad_guard, defaults.pad_guard},
      {"LOCKON", d.pad_lockon, defaults.pad_lockon}, {"PAUSE", d.pad_pause, defaults.pad_pause},
  };
  for (const auto& [item, index, fallback] : pads) {
    const int written = index < kConfigPadButtonCount ? index : fallback;
    appendf(out, "\tBUTTON_%.2d = %s\n", written + 1, item);
  }
  appendf(out, "}\n");
  appendf(out, "#フォント\n");
  out += "FONT = \"" + d.font_name + "\"";
  return out;
}

bool GameConfig::writeFile(const std::string& folder) {
  // Text mode on the original platform: every line end is CR LF.
  std::string text;
  for (char c : formatFile()) {
    if (c == '\n') text += '\r';
    text += c;
  }
  errno = 0;
  if (rk::fs::saveFileReplacing(filePath(folder.c_str()), text.data(), text.size())) return true;
  const int error = errno;
  std::string message = "環境設定ファイルの保存に失敗しました。\n";
  message += std::strerror(error);
  host::ui::messageBox(rk::DeviceContext::getInstance()->getWindowHandle(), message, "エラー",
                       host::ui::MB_OK | host::ui::MB_ICONERROR);
  return false;
}

bool GameConfig::save(const char* savePath) { return savePath && writeFile(savePath); }
