// Places the player's range scope on a named frame of a model every frame:
// the scope takes the frame's position and, as its direction, the frame's
// backward axis laid flat on the ground; its position field takes the
// model's own position.
#pragma once
#include <string>

#include <lua.hpp>

#include "flush/rk_flush_group.h"
#include "gfx/rk_gmodel.h"
#include "math/rk_matrix.h"
#include "player/player_wepon/range_scope.h"
#include "script/rk_lua_object.h"

namespace flushgroup {

class FlushModelAndRangeScope : public rk::flush::FlushGroup<rk::gfx::GModel, range_scope::RangeScope>,
                                public rk::script::ILuaMethod,
                                public range_scope::IRangeScopeUser {
 public:
  FlushModelAndRangeScope() = default;
  // Leaves the scope's list of users.
  ~FlushModelAndRangeScope() override;

  void flushProc(float dt) override;

  // The scope link: the scope tells the group when it goes.
  void setScope(range_scope::RangeScope* scope);
  void forgetRangeScope(range_scope::RangeScope* scope) override;

  void setFrameName(const std::string& name) { frame_name_ = name; }
  const std::string& frameName() const { return frame_name_; }
  // Applied after the frame's matrix (identity unless a script sets it).
  void setOffsetMtx(const rk::math::Matrix& m) { offset_mtx_ = m; }

  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;

 private:
  std::string frame_name_;
  rk::math::Matrix offset_mtx_ = rk::math::matrixIdentity();
};

extern const rk::script::LuaClass kFlushModelAndRangeScopeClass;

// "createFlushModelAndRangeScope"(): a new group, registered with the flush
// unit, owned by the returned script object.
int lua_createFlushModelAndRangeScope(lua_State* L);

}  // namespace flushgroup
