// The input driver interface the controllers read pads and keys through. Pad
// numbers are 0..3; a negative pad number means pad 0. A pad that is not
// available gives the neutral answer of each query.
#pragma once
#include <cstdint>

#include "math/rk_vector.h"

namespace rk::driver {

class InputDriver {
 public:
  virtual ~InputDriver() = default;
  // Forgets reported key presses.
  virtual void clearKeyState() = 0;
  // Eight-way direction clockwise from up (0 up .. 7 up-left), -1 for none.
  virtual int getDirection(int pad) = 0;
  virtual unsigned getConnectedPadCount() = 0;
  virtual bool isConnected(int pad) = 0;
  // 0x80 while the button is down, else 0.
  virtual std::uint8_t isButton(int pad, int button) = 0;
  // (x, y, 0, 0) in raw stick units, y growing upwards.
  virtual void getLeftStick(int pad, math::Vector4& out) = 0;
  virtual void getRightStick(int pad, math::Vector4& out) = 0;
  // Bit 7 set while the key is pressed.
  virtual std::uint8_t getKeyState(std::uint8_t key) = 0;
  virtual int getStickRangeX() = 0;
  virtual int getStickRangeY() = 0;
  virtual float getLeftTrigger(int pad) = 0;
  virtual float getRightTrigger(int pad) = 0;
  virtual float getTriggerMax() = 0;
  virtual void enable() = 0;
  virtual void disable() = 0;
  // Polls (the argument is not used).
  virtual void update(int unused) = 0;
  // Reads every pad once; every query until the next poll sees this snapshot.
  virtual void poll() = 0;
};

}  // namespace rk::driver
