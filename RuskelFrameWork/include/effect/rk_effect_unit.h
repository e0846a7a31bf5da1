// An effect unit: the effects of one camera number. It keeps the loaded
// effects by name, plays them in its own effect manager, advances them every
// frame as a task, and renders them into its camera's command list.
#pragma once
#include <list>
#include <map>
#include <memory>
#include <string>

#include "host/effect.h"
#include "math/rk_matrix.h"
#include "math/rk_vector.h"
#include "policy/rk_shared_object.h"
#include "script/rk_lua_object.h"
#include "task/rk_task.h"

namespace rk::effect {

class EffectHandle;
class EffectMaster;

class EffectUnit : public policy::SharedObject, public script::ILuaMethod, public task::Task {
 public:
  // Makes camera `cameraNumber` when the camera manager has none.
  EffectUnit(int cameraNumber, int priority, int maxInstances);
  ~EffectUnit() override;

  // Last release: the unit leaves the effect system (throws when it is not filed there).
  void destroy() override;
  // Scripts and handles own units through their references.
  bool isOwnedElsewhere() override { return true; }
  int initStep(float) override { return 0; }
  // Advances the effects by dt seconds (dt x 60 frames).
  void update(float dt) override;

  bool loadEffect(const std::string& name);
  bool setupEffect(const std::string& name);
  void setupAll();
  bool isSetupAll() const;
  void removeEffect(const std::string& name);
  // The instance playing the effect of that name, or -1 when none is loaded
  // under it (or it has no effect). Rotation in radians, x y z used.
  int play(const std::string& name, const math::Vector4& position, const math::Vector4& rotation,
           const math::Vector4& scale);
  // The instance's transform from the first three columns of the matrix.
  void setMatrix(int instance, const math::Matrix& matrix);

  // The frame draw's three steps; false when the unit's camera does not exist.
  bool beginRendering();
  bool drawEffects();
  bool endRendering();

  int cameraNumber() const { return camera_number_; }
  host::effect::Manager& manager() { return *manager_; }
  host::effect::Renderer* renderer() const { return renderer_.get(); }
  std::size_t effectCount() const { return effects_.size(); }
  // How many loads an effect has outstanding (0: not loaded).
  int loadCount(const std::string& name) const;
  const std::list<EffectHandle*>& handles() const { return handles_; }

  // The device is going or back.
  void onLost();
  void onRecover();

  // For handles.
  void addHandle(EffectHandle* handle);
  void removeHandle(EffectHandle* handle);

  // ILuaMethod: the unit's script methods and its collector.
  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;

 private:
  struct Entry;
  Entry* find(const std::string& name) const;
  // Makes the renderer on the device context's device when there is one.
  void makeRenderer();

  int camera_number_;
  std::unique_ptr<host::effect::Renderer> renderer_;
  std::unique_ptr<host::effect::Manager> manager_;
  std::multimap<int, Entry*> effects_;
  std::list<EffectHandle*> handles_;
  bool rendering_ = false;
};

}  // namespace rk::effect
