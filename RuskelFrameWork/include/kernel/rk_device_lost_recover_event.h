// GPU objects that outlive a device rebuild register with the device context:
// they are told before the old device goes and again once the new one exists.
#pragma once

namespace rk {

class IDeviceLostRecoverEvent {
 public:
  virtual ~IDeviceLostRecoverEvent() = default;
  // The device is about to be released: give back every device object.
  virtual void onLost() = 0;
  // A new device exists: create and fill the device objects again.
  virtual void onRecover() = 0;
};

}  // namespace rk
