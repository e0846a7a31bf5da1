// The range attack's targeting cone, a task and a model at once. As a task it
// animates a pulse and a spin while open; as a model it draws two magenta
// edges and two spinning diamonds over the scene; and it finds the target:
// the nearest enemy whose ground point, as the actor camera sees it, lies in
// the cone. The model flush group places it every frame.
#pragma once
#include <memory>
#include <vector>

#include <lua.hpp>

#include "gfx/rk_gmodel.h"
#include "math/rk_matrix.h"
#include "script/rk_lua_object.h"
#include "task/rk_task.h"

class Enemy;

namespace rk::gfx {
class Camera;
}

namespace range_scope {

class RangeScope;

// What keeps a plain pointer to a scope: told when the scope goes.
class IRangeScopeUser {
 public:
  virtual ~IRangeScopeUser() = default;
  virtual void forgetRangeScope(RangeScope* scope) = 0;
};

class RangeScope : public rk::task::Task, public rk::gfx::GModel, public rk::script::ILuaMethod {
 public:
  enum State { kIdle = 0, kOpening = 1, kActive = 2, kClosed = 3 };

  struct Record {
    float length = 3.5f;
    float radian = 0.3926991f;  // the cone's half-angle, pi / 8
    float pulse = 0.0f;         // 0..1.5, a triangle wave
    float spin = 0.0f;          // radians
    bool pulse_falling = false;
    rk::math::Vector4 direction{0.0f, 0.0f, 1.0f, 0.0f};
    rk::math::Vector4 position{0.0f, 0.0f, 0.0f, 0.0f};
    int state = kIdle;
  };

  // The task (not active until its first initialise step) under the priority.
  explicit RangeScope(int priority);
  ~RangeScope() override;

  // Its script object owns it; the task manager deletes it only at the very
  // end of the shut-down, after which the script object reads null.
  bool isOwnedElsewhere() override { return true; }
  rk::script::LuaObjectLinks& links() { return links_; }
  // Users enter while they point to the scope and leave when they stop.
  void addUser(IRangeScopeUser* user);
  void removeUser(IRangeScopeUser* user);

  // Ready at once: running, visible, idle, drawn by camera 3.
  int initStep(float dt) override;
  // Opening becomes active; while active the pulse and the spin move.
  void update(float dt) override;

  void preDraw(int, bool) override {}
  void draw(int arg, bool shadowPass) override;
  bool isShadow() override { return false; }
  bool isShadowCast() override { return false; }
  void setShadowColor(std::uint32_t) override {}
  std::uint32_t getShadowColor() override { return 0; }

  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;

  Record& record() { return *record_; }
  void open();
  void close();
  bool isActive() const { return record_->state == kActive; }

  // The translation of the transformation's matrix, and the direction turned
  // by it and normalised.
  rk::math::Vector4 worldPosition() const;
  rk::math::Vector4 worldDirection() const;

  // With a requested enemy: that enemy when it qualifies and lies in the cone,
  // else none. Without: the enemy of the least forward distance in the cone
  // (the first filed among equals), else none.
  Enemy* searchTarget(Enemy* requested);

 private:
  // The enemy's forward distance when it passes the cone test.
  bool coneTest(Enemy& enemy, rk::gfx::Camera& camera, const rk::math::Vector4& ground,
                const rk::math::Vector4& dir, const rk::math::Vector4& pos, float& forward) const;

  std::unique_ptr<Record> record_;
  rk::script::LuaObjectLinks links_;
  std::vector<IRangeScopeUser*> users_;
};

extern const rk::script::LuaClass kRangeScopeClass;

RangeScope* toRangeScope(lua_State* L, int index);

// True when an enemy may be targeted at all: alive, range-attack flag set, in
// use, every component running (state 3).
bool isTargetable(Enemy& enemy);

}  // namespace range_scope

// "createRangeScope"(priority): a new scope in the task manager and the model
// manager, owned by the returned script object.
int lua_createRangeScope(lua_State* L);
