// Game pads over SDL2 game controllers, shaped like XInput pad states.
#include "host/input.h"

#include <SDL.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <optional>

namespace host::input {
namespace {

struct PadSlot {
  SDL_GameController* controller = nullptr;
  SDL_JoystickID id = -1;
  Gamepad last;
  std::uint32_t packet = 0;
};

struct Injected {
  bool connected = false;
  PadState state;
};

struct Pads {
  std::mutex mutex;
  bool initTried = false;
  bool available = false;
  PadSlot slots[kPadCount];
  std::optional<Injected> injected[kPadCount];
  std::map<int, SDL_Joystick*> virtuals;  // handle (instance id) -> joystick
};

Pads& pads() {
  static Pads p;
  return p;
}

bool ensureControllers(Pads& p) {
  if (!p.initTried) {
    p.initTried = true;
    // XInput reads pads whether or not the window has the focus.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    p.available = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    if (p.available) {
      // States are read on demand; the event queue stays free of pad traffic.
      SDL_GameControllerEventState(SDL_IGNORE);
      SDL_JoystickEventState(SDL_IGNORE);
    }
  }
  return p.available;
}

// Frees slots of detached controllers and gives new controllers the first free
// slot. True when a controller was opened.
bool refreshSlots(Pads& p) {
  bool opened = false;
  for (PadSlot& slot : p.slots) {
    if (slot.controller && !SDL_GameControllerGetAttached(slot.controller)) {
      SDL_GameControllerClose(slot.controller);
      slot = PadSlot{};
    }
  }
  const int count = SDL_NumJoysticks();
  for (int index = 0; index < count; ++index) {
    if (!SDL_IsGameController(index)) continue;
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
    const bool known = std::any_of(std::begin(p.slots), std::end(p.slots), [&](const PadSlot& s) { return s.controller && s.id == id; });
    if (known) continue;
    auto freeSlot = std::find_if(std::begin(p.slots), std::end(p.slots), [](const PadSlot& s) { return !s.controller; });
    if (freeSlot == std::end(p.slots)) break;
    if (SDL_GameController* controller = SDL_GameControllerOpen(index)) {
      freeSlot->controller = controller;
      freeSlot->id = id;
      opened = true;
    }
  }
  return opened;
}

std::uint8_t triggerByte(Sint16 value) {
  const int v = std::clamp<int>(value, 0, 32767);
  return static_cast<std::uint8_t>(v * 255 / 32767);
}

// SDL's vertical axes grow downwards, XInput's upwards.
std::int16_t upwards(Sint16 value) { return static_cast<std::int16_t>(value == -32768 ? 32767 : -value); }

Gamepad readGamepad(SDL_GameController* c) {
  static const struct {
    SDL_GameControllerButton button;
    std::uint16_t bit;
  } kButtons[] = {
      {SDL_CONTROLLER_BUTTON_DPAD_UP, XINPUT_GAMEPAD_DPAD_UP},
      {SDL_CONTROLLER_BUTTON_DPAD_DOWN, XINPUT_GAMEPAD_DPAD_DOWN},
      {SDL_CONTROLLER_BUTTON_DPAD_LEFT, XINPUT_GAMEPAD_DPAD_LEFT},
      {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, XINPUT_GAMEPAD_DPAD_RIGHT},
      {SDL_CONTROLLER_BUTTON_START, XINPUT_GAMEPAD_START},
      {SDL_CONTROLLER_BUTTON_BACK, XINPUT_GAMEPAD_BACK},
      {SDL_CONTROLLER_BUTTON_LEFTSTICK, XINPUT_GAMEPAD_LEFT_THUMB},
      {SDL_CONTROLLER_BUTTON_RIGHTSTICK, XINPUT_GAMEPAD_RIGHT_THUMB},
      {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, XINPUT_GAMEPAD_LEFT_SHOULDER},
      {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, XINPUT_GAMEPAD_RIGHT_SHOULDER},
      {SDL_CONTROLLER_BUTTON_A, XINPUT_GAMEPAD_A},
      {SDL_CONTROLLER_BUTTON_B, XINPUT_GAMEPAD_B},
      {SDL_CONTROLLER_BUTTON_X, XINPUT_GAMEPAD_X},
      {SDL_CONTROLLER_BUTTON_Y, XINPUT_GAMEPAD_Y},
  };
  Gamepad g;
  for (const auto& b : kButtons) {
    if (SDL_GameControllerGetButton(c, b.button)) g.buttons |= b.bit;
  }
  g.leftTrigger = triggerByte(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_TRIGGERLEFT));
  g.rightTrigger = triggerByte(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
  g.thumbLX = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX);
  g.thumbLY = upwards(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTY));
  g.thumbRX = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_RIGHTX);
  g.thumbRY = upwards(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_RIGHTY));
  return g;
}

bool sameGamepad(const Gamepad& a, const Gamepad& b) {
  return a.buttons == b.buttons && a.leftTrigger == b.leftTrigger && a.rightTrigger == b.rightTrigger &&
         a.thumbLX == b.thumbLX && a.thumbLY == b.thumbLY && a.thumbRX == b.thumbRX && a.thumbRY == b.thumbRY;
}

}  // namespace

std::uint32_t getState(unsigned pad, PadState* state) {
  PadState result;
  std::uint32_t code = ERROR_DEVICE_NOT_CONNECTED;
  if (pad < kPadCount) {
    Pads& p = pads();
    std::lock_guard<std::mutex> lock(p.mutex);
    if (p.injected[pad]) {
      if (p.injected[pad]->connected) {
        result = p.injected[pad]->state;
        code = ERROR_SUCCESS;
      }
    } else if (ensureControllers(p)) {
      SDL_GameControllerUpdate();
      // A controller just opened shows its state only after the next update.
      if (refreshSlots(p)) SDL_GameControllerUpdate();
      PadSlot& slot = p.slots[pad];
      if (slot.controller) {
        const Gamepad now = readGamepad(slot.controller);
        if (!sameGamepad(now, slot.last)) ++slot.packet;
        slot.last = now;
        result.packetNumber = slot.packet;
        result.gamepad = now;
        code = ERROR_SUCCESS;
      }
    }
  }
  if (state) *state = result;
  return code;
}

void injectState(unsigned pad, const PadState& state) {
  if (pad >= kPadCount) return;
  std::lock_guard<std::mutex> lock(pads().mutex);
  pads().injected[pad] = Injected{true, state};
}

void injectDisconnected(unsigned pad) {
  if (pad >= kPadCount) return;
  std::lock_guard<std::mutex> lock(pads().mutex);
  pads().injected[pad] = Injected{false, PadState{}};
}

void clearInjectedStates() {
  std::lock_guard<std::mutex> lock(pads().mutex);
  for (auto& injected : pads().injected) injected.reset();
}

int attachVirtualController() {
  Pads& p = pads();
  std::lock_guard<std::mutex> lock(p.mutex);
  if (!ensureControllers(p)) return -1;
  const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                              SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1, 0);
  if (index < 0) return -1;
  SDL_Joystick* joystick = SDL_JoystickOpen(index);
  if (!joystick) {
    SDL_JoystickDetachVirtual(index);
    return -1;
  }
  // A virtual trigger spans the whole joystick range; its rest is the bottom.
  SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
  SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
  const int handle = SDL_JoystickInstanceID(joystick);
  p.virtuals[handle] = joystick;
  return handle;
}

void setVirtualButton(int handle, VirtualButton button, bool down) {
  Pads& p = pads();
  std::lock_guard<std::mutex> lock(p.mutex);
  auto it = p.virtuals.find(handle);
  if (it != p.virtuals.end()) SDL_JoystickSetVirtualButton(it->second, static_cast<int>(button), down ? 1 : 0);
}

void setVirtualAxis(int handle, VirtualAxis axis, std::int16_t value) {
  Pads& p = pads();
  std::lock_guard<std::mutex> lock(p.mutex);
  auto it = p.virtuals.find(handle);
  if (it == p.virtuals.end()) return;
  int raw = value;
  if (axis == VirtualAxis::TriggerLeft || axis == VirtualAxis::TriggerRight) raw = std::clamp(raw, 0, 32767) * 2 - 32767;
  SDL_JoystickSetVirtualAxis(it->second, static_cast<int>(axis), static_cast<Sint16>(raw));
}

void detachVirtualController(int handle) {
  Pads& p = pads();
  std::lock_guard<std::mutex> lock(p.mutex);
  auto it = p.virtuals.find(handle);
  if (it == p.virtuals.end()) return;
  SDL_JoystickClose(it->second);
  p.virtuals.erase(it);
  for (int index = 0; index < SDL_NumJoysticks(); ++index) {
    if (SDL_JoystickIsVirtual(index) && SDL_JoystickGetDeviceInstanceID(index) == handle) {
      SDL_JoystickDetachVirtual(index);
      break;
    }
  }
}

}  // namespace host::input
