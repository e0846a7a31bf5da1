// The effect system: one effect unit per camera number, drawn by the frame
// into that camera's command list, and told when the device is lost and back.
// Singleton slot 12.
#pragma once
#include <memory>

#include "kernel/rk_device_lost_recover_event.h"

namespace rk::effect {

class EffectUnit;

class EffectSystem : public IDeviceLostRecoverEvent {
 public:
  // Registers the system as a device-lost listener of the device context.
  static EffectSystem* createInstance();
  static EffectSystem* getInstance();
  // Removes the listener and forgets the units (which live on while referenced).
  static void destroyInstance();

  EffectSystem();
  ~EffectSystem() override;
  EffectSystem(const EffectSystem&) = delete;
  EffectSystem& operator=(const EffectSystem&) = delete;

  // The unit of that camera number with one reference taken for the caller:
  // the one filed already (the other arguments are then ignored), else a new
  // one with that priority and instance limit. The three reserved integers
  // are not used.
  EffectUnit* createEffectUnit(int cameraNumber, int priority, int reserved1, int reserved2, int reserved3,
                               int maxInstances);
  // The filed unit with one reference taken, or null.
  EffectUnit* getEffectUnit(int cameraNumber);

  // The frame draw's step for one camera: when a unit is filed under the
  // number, its rendering begins, its effects are drawn and it ends, each
  // while its camera exists.
  void drawCamera(int cameraNumber);
  int currentCamera() const;

  void onLost() override;
  void onRecover() override;

  // A unit's last release: false when the unit is not filed.
  bool removeEffectUnit(EffectUnit* unit);
  std::size_t unitCount() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace rk::effect
