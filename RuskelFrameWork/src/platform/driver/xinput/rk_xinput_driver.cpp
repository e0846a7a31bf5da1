#include "platform/driver/xinput/rk_xinput_driver.h"

#include <vector>

#include "host/input.h"

namespace rk::driver::xinput {

namespace {

struct PadRecord {
  std::uint32_t result = host::input::ERROR_DEVICE_NOT_CONNECTED;
  host::input::PadState state;
};

// The XInput bit of each button number; numbers past the table are never down.
constexpr std::uint16_t kButtonBits[] = {
    host::input::XINPUT_GAMEPAD_A,           host::input::XINPUT_GAMEPAD_B,
    host::input::XINPUT_GAMEPAD_X,           host::input::XINPUT_GAMEPAD_Y,
    host::input::XINPUT_GAMEPAD_LEFT_SHOULDER, host::input::XINPUT_GAMEPAD_RIGHT_SHOULDER,
    host::input::XINPUT_GAMEPAD_BACK,        host::input::XINPUT_GAMEPAD_START,
    host::input::XINPUT_GAMEPAD_LEFT_THUMB,  host::input::XINPUT_GAMEPAD_RIGHT_THUMB,
};
constexpr int kButtonCount = sizeof(kButtonBits) / sizeof(kButtonBits[0]);

constexpr float kEpsilon = 1.1920929e-7f;

}  // namespace

struct XInputDriver::State {
  bool enabled = true;
  std::vector<PadRecord> pads;  // four after each poll, none before the first

  // The pad's gamepad when it is available, else null.
  const host::input::Gamepad* available(int pad) const {
    if (pad < 0) pad = 0;
    if (!enabled || pad >= static_cast<int>(pads.size())) return nullptr;
    const PadRecord& record = pads[static_cast<std::size_t>(pad)];
    return record.result == host::input::ERROR_SUCCESS ? &record.state.gamepad : nullptr;
  }
};

XInputDriver::XInputDriver() : state_(std::make_unique<State>()) {}
XInputDriver::~XInputDriver() = default;

void XInputDriver::poll() {
  state_->pads.clear();
  for (unsigned pad = 0; pad < host::input::kPadCount; ++pad) {
    PadRecord record;
    if (state_->enabled) {
      record.result = host::input::getState(pad, &record.state);
      if (record.result != host::input::ERROR_SUCCESS) record.state = host::input::PadState{};
    }
    state_->pads.push_back(record);
  }
}

int XInputDriver::getDirection(int pad) {
  const host::input::Gamepad* g = state_->available(pad);
  if (!g) return -1;
  // x grows to the right, y downwards; D-pad and stick add up.
  float x = 0.0f, y = 0.0f;
  if (g->buttons & host::input::XINPUT_GAMEPAD_DPAD_UP) y = -1.0f;
  if (g->buttons & host::input::XINPUT_GAMEPAD_DPAD_DOWN) y += 1.0f;
  if (g->buttons & host::input::XINPUT_GAMEPAD_DPAD_LEFT) x -= 1.0f;
  if (g->buttons & host::input::XINPUT_GAMEPAD_DPAD_RIGHT) x += 1.0f;
  const float lx = g->thumbLX, ly = g->thumbLY;
  if (lx > 16383.0f) x += 1.0f;
  if (lx < -16383.0f) x -= 1.0f;
  if (ly >= 16383.0f) y -= 1.0f;
  if (ly <= -16383.0f) y += 1.0f;

  if (x > kEpsilon) return y < -kEpsilon ? 1 : (y > kEpsilon ? 3 : 2);
  if (x < -kEpsilon) return y < -kEpsilon ? 7 : (y > kEpsilon ? 5 : 6);
  if (y < -kEpsilon) return 0;
  if (y > kEpsilon) return 4;
  return -1;
}

unsigned XInputDriver::getConnectedPadCount() {
  if (!state_->enabled) return 0;
  unsigned count = 0;
  for (const PadRecord& record : state_->pads) {
    if (record.result == host::input::ERROR_SUCCESS) ++count;
  }
  return count;
}

bool XInputDriver::isConnected(int pad) { return state_->available(pad) != nullptr; }

std::uint8_t XInputDriver::isButton(int pad, int button) {
  const host::input::Gamepad* g = state_->available(pad);
  if (!g || button < 0 || button >= kButtonCount) return 0;
  return (g->buttons & kButtonBits[button]) ? 0x80 : 0;
}

void XInputDriver::getLeftStick(int pad, math::Vector4& out) {
  const host::input::Gamepad* g = state_->available(pad);
  out.set(g ? g->thumbLX : 0.0f, g ? g->thumbLY : 0.0f, 0.0f, 0.0f);
}

void XInputDriver::getRightStick(int pad, math::Vector4& out) {
  const host::input::Gamepad* g = state_->available(pad);
  out.set(g ? g->thumbRX : 0.0f, g ? g->thumbRY : 0.0f, 0.0f, 0.0f);
}

float XInputDriver::getLeftTrigger(int pad) {
  const host::input::Gamepad* g = state_->available(pad);
  return g ? g->leftTrigger : 0.0f;
}

float XInputDriver::getRightTrigger(int pad) {
  const host::input::Gamepad* g = state_->available(pad);
  return g ? g->rightTrigger : 0.0f;
}

void XInputDriver::enable() { state_->enabled = true; }
void XInputDriver::disable() { state_->enabled = false; }

}  // namespace rk::driver::xinput
