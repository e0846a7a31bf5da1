// The pad driver: four XInput-shaped pads read once per poll. It reports no
// keyboard key as pressed.
#pragma once
#include <cstdint>
#include <memory>

#include "platform/driver/rk_input_driver.h"

namespace rk::driver::xinput {

class XInputDriver : public InputDriver {
 public:
  XInputDriver();
  ~XInputDriver() override;
  XInputDriver(const XInputDriver&) = delete;
  XInputDriver& operator=(const XInputDriver&) = delete;

  void clearKeyState() override {}
  int getDirection(int pad) override;
  unsigned getConnectedPadCount() override;
  bool isConnected(int pad) override;
  std::uint8_t isButton(int pad, int button) override;
  void getLeftStick(int pad, math::Vector4& out) override;
  void getRightStick(int pad, math::Vector4& out) override;
  std::uint8_t getKeyState(std::uint8_t key) override { return 0; }
  int getStickRangeX() override { return 32767; }
  int getStickRangeY() override { return 32767; }
  float getLeftTrigger(int pad) override;
  float getRightTrigger(int pad) override;
  float getTriggerMax() override { return 255.0f; }
  void enable() override;
  void disable() override;
  void update(int unused) override { poll(); }
  void poll() override;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace rk::driver::xinput
