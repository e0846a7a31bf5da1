// Game pads. Stands in for XInputGetState: four pads with XInput-shaped states
// (button bits with the XInput values, triggers 0..255, sticks -32768..32767 with
// y growing upwards), read from SDL2 game controllers. Pads 0..3 are the first
// four controllers attached; a pad keeps its number while it stays attached.
// Tests inject states per pad, or drive an SDL virtual controller.
#pragma once
#include <cstdint>

namespace host::input {

constexpr unsigned kPadCount = 4;

// Result codes of getState, with the Windows values.
constexpr std::uint32_t ERROR_SUCCESS = 0;
constexpr std::uint32_t ERROR_DEVICE_NOT_CONNECTED = 1167;

// Button bits, with the XInput values.
enum : std::uint16_t {
  XINPUT_GAMEPAD_DPAD_UP = 0x0001,
  XINPUT_GAMEPAD_DPAD_DOWN = 0x0002,
  XINPUT_GAMEPAD_DPAD_LEFT = 0x0004,
  XINPUT_GAMEPAD_DPAD_RIGHT = 0x0008,
  XINPUT_GAMEPAD_START = 0x0010,
  XINPUT_GAMEPAD_BACK = 0x0020,
  XINPUT_GAMEPAD_LEFT_THUMB = 0x0040,
  XINPUT_GAMEPAD_RIGHT_THUMB = 0x0080,
  XINPUT_GAMEPAD_LEFT_SHOULDER = 0x0100,
  XINPUT_GAMEPAD_RIGHT_SHOULDER = 0x0200,
  XINPUT_GAMEPAD_A = 0x1000,
  XINPUT_GAMEPAD_B = 0x2000,
  XINPUT_GAMEPAD_X = 0x4000,
  XINPUT_GAMEPAD_Y = 0x8000,
};

struct Gamepad {
  std::uint16_t buttons = 0;
  std::uint8_t leftTrigger = 0;
  std::uint8_t rightTrigger = 0;
  std::int16_t thumbLX = 0;
  std::int16_t thumbLY = 0;
  std::int16_t thumbRX = 0;
  std::int16_t thumbRY = 0;
};

struct PadState {
  std::uint32_t packetNumber = 0;  // changes whenever the gamepad values change
  Gamepad gamepad;
};

// Reads pad 0..3 (XInputGetState). ERROR_SUCCESS and the state when the pad is
// connected; ERROR_DEVICE_NOT_CONNECTED and an all-zero state otherwise.
std::uint32_t getState(unsigned pad, PadState* state);

// --- test hooks ---
// From now on getState answers this state for the pad (connected).
void injectState(unsigned pad, const PadState& state);
// From now on the pad reads as not connected.
void injectDisconnected(unsigned pad);
// Every pad reads the real controllers again.
void clearInjectedStates();

// An SDL virtual game controller, read through the real controller path. Buttons
// and axes are named and valued as SDL reports them: sticks grow right and down,
// triggers run 0..32767.
enum class VirtualButton {
  A, B, X, Y, Back, Guide, Start, LeftStick, RightStick, LeftShoulder, RightShoulder,
  DpadUp, DpadDown, DpadLeft, DpadRight,
};
enum class VirtualAxis { LeftX, LeftY, RightX, RightY, TriggerLeft, TriggerRight };
// Attaches one; returns its handle, or -1 when SDL cannot make one.
int attachVirtualController();
void setVirtualButton(int handle, VirtualButton button, bool down);
void setVirtualAxis(int handle, VirtualAxis axis, std::int16_t value);
void detachVirtualController(int handle);

}  // namespace host::input
