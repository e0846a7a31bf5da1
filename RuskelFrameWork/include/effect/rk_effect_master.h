// One loaded effect file: the file's resource, requested through the file
// manager as "<name>.efk" (stored as "<name>.ea"), and the effect read from it
// once its bytes have arrived.
#pragma once
#include <memory>
#include <string>

#include "host/effect.h"
#include "res/rk_resource.h"

namespace rk::effect {

class EffectMaster {
 public:
  EffectMaster() = default;
  EffectMaster(const EffectMaster&) = delete;
  EffectMaster& operator=(const EffectMaster&) = delete;

  // Requests the file; false (with an error-log entry) when it cannot be had.
  bool load(const std::string& name);
  // False while the file's bytes have not arrived; then reads the effect. A
  // file that is not a valid effect is reported once and counts as set up
  // without an effect, so nothing waits for it and playing it plays nothing.
  bool setup();

  const std::string& name() const { return name_; }
  // Null until set up, and for a damaged file.
  const std::shared_ptr<const host::effect::Effect>& effect() const { return effect_; }
  bool isBroken() const { return broken_; }

 private:
  std::string name_;
  std::shared_ptr<const host::effect::Effect> effect_;
  res::ResourcePtr resource_;
  bool broken_ = false;
};

}  // namespace rk::effect
