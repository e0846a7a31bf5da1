// The player's lock-on beam, a task (priority 64) and a model at once. While
// in attack mode it asks the range scope for a target every frame, bends a
// jittering beam from the scope to the target, drains the target's hit points
// while refilling the player's at 0.15 a second, keeps a looped 3D sound at
// the beam's start, makes the target flash, and on a kill queues the enemy's
// explosion and adds to the combo chain.
#pragma once
#include <memory>
#include <vector>

#include <lua.hpp>

#include "gfx/rk_gmodel.h"
#include "math/rk_normal_rand.h"
#include "math/rk_vector.h"
#include "player/player_wepon/range_scope.h"
#include "script/rk_lua_object.h"
#include "task/rk_task.h"

class ActorBody;
class Enemy;
class EnemyRigidBody;

namespace rk::collision {
class CollisionBody;
}
namespace rk::gfx {
class RkTexture;
}

class PlayerRangeAttack : public rk::task::Task,
                          public rk::script::ILuaMethod,
                          public rk::gfx::GModel,
                          public range_scope::IRangeScopeUser {
 public:
  static constexpr int kPriority = 64;
  static constexpr float kRefillPerSecond = 0.15f;
  static constexpr const char* kTexture = "textures/player_shot.tga";
  static constexpr const char* kSound = "audio/se/common01/player_sp_attack.ogg";

  struct Record {
    range_scope::RangeScope* scope = nullptr;
    rk::collision::CollisionBody* target_shape = nullptr;
    EnemyRigidBody* target_body = nullptr;
    Enemy* requested = nullptr;  // consumed by the next update
    bool attack_mode = false;
    std::vector<rk::math::Vector4> beam;
    rk::math::NormalRand rand{1};
    rk::gfx::RkTexture* texture = nullptr;  // one reference
    float damage_per_second = 1.0f;
    int sound_player = -1;
    ActorBody* player = nullptr;  // one reference
  };

  PlayerRangeAttack();
  // Releases the beam sound, the texture and the player.
  ~PlayerRangeAttack() override;

  // Its script object owns it (see the range scope).
  bool isOwnedElsewhere() override { return true; }
  // Loads the beam texture; ready once the texture is set up.
  int initStep(float dt) override;
  void update(float dt) override { onFrameUpdate(dt); }
  void onFrameUpdate(float dt);

  void preDraw(int, bool) override {}
  void draw(int arg, bool shadowPass) override;
  bool isShadow() override { return false; }
  bool isShadowCast() override { return false; }
  void setShadowColor(std::uint32_t) override {}
  std::uint32_t getShadowColor() override { return 0; }

  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;
  rk::script::LuaObjectLinks& links() { return links_; }

  // Attack mode on, the task running; the enemy (or none) binds the next update.
  void modeAttack(Enemy* requested);
  // The beam sound paused (kept), attack mode and the task off.
  void pause();
  // The beam sound unlocked, stopped, unlooped and released.
  void releaseBeamSound();
  void setRangeScope(range_scope::RangeScope* scope);
  // One reference on the new player, the previous one given back.
  void setPlayer(ActorBody* player);
  void forgetRangeScope(range_scope::RangeScope* scope) override;

  Record& record() { return *record_; }

 private:
  void buildBeam(const rk::math::Vector4& from, const rk::math::Vector4& dir, const rk::math::Vector4& to);
  void driveSound(const rk::math::Vector4& at);

  std::unique_ptr<Record> record_;
  rk::script::LuaObjectLinks links_;
};

extern const rk::script::LuaClass kRangeAttackClass;

PlayerRangeAttack* toRangeAttack(lua_State* L, int index);

// "createRangeAttack"(): a new attack (idle) in the task manager and the model
// manager, owned by the returned script object. Arguments are ignored.
int lua_createRangeAttack(lua_State* L);
