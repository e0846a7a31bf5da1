// An input driver whose pads and keys the test sets directly. Pads count as
// connected XInput-style: the connected-pad count is the number of connected
// pads, wherever they sit.
#pragma once
#include <cstdint>
#include <set>

#include "platform/driver/rk_input_driver.h"

namespace rktest {

class FakeInputDriver : public rk::driver::InputDriver {
 public:
  struct Pad {
    bool connected = false;
    int direction = -1;
    std::uint32_t buttons = 0;  // bit i: pad button i down
    float lx = 0, ly = 0, rx = 0, ry = 0;
  };

  Pad pads[4];
  std::set<std::uint8_t> keysDown;
  int keyClears = 0;

  void clearKeyState() override { ++keyClears; }
  int getDirection(int pad) override { return available(pad) ? pads[pad].direction : -1; }
  unsigned getConnectedPadCount() override {
    unsigned count = 0;
    for (const Pad& p : pads) count += p.connected ? 1 : 0;
    return count;
  }
  bool isConnected(int pad) override { return available(pad); }
  std::uint8_t isButton(int pad, int button) override {
    return available(pad) && button >= 0 && button < 32 && (pads[pad].buttons >> button & 1u) ? 0x80 : 0;
  }
  void getLeftStick(int pad, rk::math::Vector4& out) override {
    out.set(available(pad) ? pads[pad].lx : 0, available(pad) ? pads[pad].ly : 0, 0, 0);
  }
  void getRightStick(int pad, rk::math::Vector4& out) override {
    out.set(available(pad) ? pads[pad].rx : 0, available(pad) ? pads[pad].ry : 0, 0, 0);
  }
  std::uint8_t getKeyState(std::uint8_t key) override { return keysDown.count(key) ? 0x80 : 0; }
  int getStickRangeX() override { return 32767; }
  int getStickRangeY() override { return 32767; }
  float getLeftTrigger(int) override { return 0; }
  float getRightTrigger(int) override { return 0; }
  float getTriggerMax() override { return 255; }
  void enable() override {}
  void disable() override {}
  void update(int) override {}
  void poll() override {}

 private:
  bool available(int pad) const { return pad >= 0 && pad < 4 && pads[pad].connected; }
};

}  // namespace rktest
