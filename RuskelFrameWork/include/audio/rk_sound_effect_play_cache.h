// A task that would keep 3D sounds started once and replayed by name. Its
// records never obtain a player, so play3D keeps nothing and plays nothing: the
// object exists so that scripts written for it run unchanged. It is a task of
// priority 8 owned by the task manager; its script object only ends it.
#pragma once
#include <cstddef>
#include <memory>

#include <boost/noncopyable.hpp>

#include "math/rk_vector.h"
#include "script/rk_lua_object.h"
#include "task/rk_task.h"

namespace rk::audio {

class SoundEffectPlayCache : public script::ILuaMethod, public task::Task, private boost::noncopyable {
 public:
  static constexpr int kPriority = 8;
  static const script::LuaClass kLuaClass;

  // Joins the task manager, active.
  SoundEffectPlayCache();
  ~SoundEffectPlayCache() override;

  int initStep(float) override { return 0; }
  // Refreshes the volume of every record that has a player; drops the empty ones.
  void update(float dt) override;

  void play3D(const char* name, const math::Vector4& position, bool loop, float volume, bool flag);
  void release(const char* name);
  void releaseAll();
  std::size_t recordCount() const;

  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;
  // A new cache as a script object (createSoundEffectPlayCache).
  static int pushNew(lua_State* L);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace rk::audio
