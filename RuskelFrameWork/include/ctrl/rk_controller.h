// Logical controllers over the input driver: an eight-way POV direction, an
// eight-way analog-stick direction, 32 logical buttons, both sticks and one
// hold-and-repeat state per controller. Each controller has a key map that
// assigns pad buttons and keyboard keys to logical buttons and four keys to the
// directions. The manager holds the system controller (always pad 0) and the
// player controllers (player i reads pad i).
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "math/rk_vector.h"
#include "script/rk_lua_object.h"

namespace rk::driver { class InputDriver; }

namespace rk::controller {

// Logical buttons 0..31, pad buttons 0..31, directions 0..3 of a key map.
constexpr int kButtonCount = 32;
constexpr int kPadButtonCount = 32;
constexpr int kDirectionKeyCount = 4;
// Pads the driver can report; higher pad numbers are never asked about.
constexpr int kPadCount = 4;
// The most player controllers a count may ask for. Every controller past the
// four pads is never valid, so a larger list only costs memory.
constexpr unsigned kMaxPlayerCount = 256;

// The key map of one controller. Key codes are the script's key identifiers
// (DIK_ constants by their place in the list, 0..143).
struct ControllerMacro {
  std::uint8_t direction_keys[kDirectionKeyCount];  // up, right, down, left; 0xFF unassigned
  std::uint16_t button_keys[kButtonCount];          // first key low byte, second high byte; 0 byte = no key
  std::uint8_t reserved[32];                        // always zero
  std::int32_t pad_map[kPadButtonCount];            // pad button -> logical button; -1 unassigned

  ControllerMacro() { clear(); }
  // Every key unassigned, every pad map entry -1.
  void clear();
  // clear, then the default map (arrow keys; Z/Return OK on A, X/Escape cancel
  // on B, Tab on back, Delete on start).
  void setDefault();
  void clearPadMap();   // every pad map entry -1
  void clearKeyboard(); // every direction key and button key byte 0xFF
};

// Directions: 0 up, 1 up-right, 2 right, 3 down-right, 4 down, 5 down-left,
// 6 left, 7 up-left, -1 none.
struct ControllerState {
  std::shared_ptr<ControllerMacro> macro;
  int pov = -1;
  int analog = -1;
  std::uint32_t buttons = 0;
  int raw_button_pad = 0;  // the pad getButtonFiled reports; never changed
  bool system = false;
  math::Vector4 left_stick{0, 0, 0, 0};
  math::Vector4 right_stick{0, 0, 0, 0};
  float repeat_timer = 0.0f;
  bool held = false;
  bool repeat = false;
  bool pov_usable = false;
  bool connected = false;
  bool valid = false;
  int prev_pov = -1;
  int prev_analog = -1;
  std::uint32_t prev_buttons = 0;
};

class Controller {
 public:
  explicit Controller(std::shared_ptr<ControllerMacro> macro);
  // Script objects that point here read as the null object from now on.
  ~Controller();
  Controller(const Controller&) = delete;
  Controller& operator=(const Controller&) = delete;

  ControllerState& state() { return state_; }
  const ControllerState& state() const { return state_; }
  ControllerMacro& macro() { return *state_.macro; }
  // Copies this frame's directions and buttons into the previous fields.
  void keepPrevious();
  // The POV queries answer while this holds, the analog queries otherwise.
  bool isPovOn() const { return state_.connected && state_.pov_usable; }
  // Script objects of this controller, cleared when it goes.
  script::LuaObjectLinks& luaLinks() { return links_; }

 private:
  ControllerState state_;
  script::LuaObjectLinks links_;
};

class ControllerManager {
 public:
  static ControllerManager* createInstance();
  static ControllerManager* getInstance();
  static void destroyInstance();

  ControllerManager();
  ~ControllerManager();
  ControllerManager(const ControllerManager&) = delete;
  ControllerManager& operator=(const ControllerManager&) = delete;

  Controller* getSystemController() const;
  // Null (and an error-log entry) for an index at or past the player count.
  Controller* getController(unsigned index) const;
  unsigned getPlayerNum() const;
  // Grows the list with default-mapped controllers or deletes from its end;
  // counts above kMaxPlayerCount are held to it.
  void setPlayerNum(unsigned count);

  // One controller's per-frame update from pad `pad` of the driver.
  void updateController(driver::InputDriver& driver, Controller& controller, int pad, float dt, bool system);
  // The controller step of the frame update: the system controller, then each player.
  void update(driver::InputDriver& driver, float dt);
  // The end of the frame update: the system controller's previous fields.
  void endFrame();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace rk::controller
