// The game's settings singleton (slot 1): reads "config.dat" from the save
// folder at boot, applies it to the window, the controllers and the volumes,
// and writes it back at shut-down.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "res/rk_res_save_loader.h"

class GameConfig : public rk::res::IResLoder, public rk::res::IResSaver, public rk::res::IResReflect {
 public:
  struct ConfigData {
    std::int32_t adapter = 0;
    bool window_mode = true;
    float aspect = 1.0f;
    std::int32_t width = 1280;
    std::int32_t height = 720;
    std::int32_t refresh = 60;
    float total_volume = 1.0f;
    float bgm_volume = 1.0f;
    float se_volume = 1.0f;
    float d3dse_volume = 1.0f;  // kept and written, never applied
    std::uint8_t key_pause = 0, key_shot = 0, key_trans = 0, key_capture = 0, key_guard = 0;
    std::uint8_t key_lockon = 0x40;  // "F6"; never read from or written to the file
    std::uint8_t key_up = 0, key_left = 0, key_down = 0, key_right = 0;
    std::uint8_t pad_pause = 0, pad_shot = 0, pad_trans = 0, pad_capture = 0, pad_guard = 0, pad_lockon = 0;
    std::string font_name;
  };

  static GameConfig* createInstance();
  // Reports "GameConfig::getInstance" when there is none.
  static GameConfig* getInstance();
  static GameConfig* getInstancePtr();  // no report
  static void destroyInstance();        // nothing when there is none

  GameConfig();
  ~GameConfig() override;
  GameConfig(const GameConfig&) = delete;
  GameConfig& operator=(const GameConfig&) = delete;

  // A null folder (no save folder) reads no file: the defaults apply.
  bool load(const char* savePath) override;
  // writeFile's result; false without a folder.
  bool save(const char* savePath) override;
  void reflect(host::ui::Window* window) override;

  // The one place the window mode is decided, for the first window and for
  // the settings read from the file alike: windowed when forced, otherwise
  // `windowMode`; the window takes it at the context's current client size.
  static void applyWindowMode(bool windowMode);

  // save's result: false when the file could not be written (after the box).
  bool writeFile(const std::string& folder);
  // Copies the parse record into the settings; `toSystem` also applies them.
  void apply(bool toSystem);

  ConfigData& data() { return *data_; }

  // The exact text of "config.dat" for these settings (LF line ends).
  std::string formatFile() const;

 private:
  std::unique_ptr<ConfigData> data_;
};
