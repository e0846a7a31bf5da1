// An effect handle: one played instance of an effect on a unit, held by
// scripts. As the sync body of a rigid body it follows the body's matrix.
#pragma once
#include <string>

#include "math/rk_matrix.h"
#include "math/rk_vector.h"
#include "policy/rk_shared_object.h"
#include "rigidbody/rk_rigidbody_hooks.h"
#include "script/rk_lua_object.h"

namespace rk::effect {

class EffectUnit;

class EffectHandle : public script::ILuaMethod, public policy::SharedObject, public rigidbody::ISyncBody {
 public:
  // Takes a reference to the owner (a null owner throws) and joins its handles.
  EffectHandle(EffectUnit* owner, const std::string& name);
  // Stops the instance, leaves the owner's handles and releases the owner.
  ~EffectHandle() override;

  // Last release: the instance is hidden (it is stopped when the handle goes).
  void destroy() override;
  // Ends the instance when it still exists; the handle then holds none.
  void stop();
  // The instance runs.
  bool isAlive() const;
  // The owner's play of the handle's name; an earlier instance is not stopped.
  void playEffect(const math::Vector4& position, const math::Vector4& rotation, const math::Vector4& scale);
  void setShown(bool shown);
  void setPos(float x, float y, float z);
  void setMatrix(const math::Matrix& matrix);
  // Follows a rigid body's world matrix.
  void syncBody(const math::Matrix* world) override;

  EffectUnit* owner() const { return owner_; }
  const std::string& name() const { return name_; }
  int instance() const { return instance_; }
  void setInstance(int instance) { instance_ = instance; }

  // ILuaMethod: the handle's script methods and its collector.
  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;

 private:
  EffectUnit* owner_;
  std::string name_;
  int instance_ = -1;
};

}  // namespace rk::effect
