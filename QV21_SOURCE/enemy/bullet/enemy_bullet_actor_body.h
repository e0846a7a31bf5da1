// The actor body every enemy bullet owns: its hit points are the bullet's
// damage. Kept in the actor manager as actors of kind 4 and reused by the
// pooled factory; it carries a shot colour kind for the scripts.
#pragma once
#include <cstdint>
#include <memory>

#include <lua.hpp>

#include "actor_body/actor_body.h"

namespace rk::actor {
class ActorManager;
}

class IEnemyShotColorKind {
 public:
  virtual ~IEnemyShotColorKind() = default;
  virtual void setEnemyShotColorKind(std::int32_t kind) = 0;
  virtual std::int32_t getEnemyShotColorKind() = 0;
};

class EnemyBulletActorBody : public ActorBody, public IEnemyShotColorKind {
 public:
  static constexpr int kKind = 4;
  // The number every enemy bullet actor body is filed under.
  static constexpr int kManagerNumber = 6;

  EnemyBulletActorBody();
  ~EnemyBulletActorBody() override;

  // The first kind-4 actor not in use, taken out of the manager as it is,
  // else a new one; filed again under 6 and initialised. No reference added.
  // Without a manager the body is made and initialised but filed nowhere.
  static EnemyBulletActorBody* create(rk::actor::ActorManager* manager);

  int kind() override { return kKind; }
  void setEnemyShotColorKind(std::int32_t kind) override { record_->shot_color_kind = kind; }
  std::int32_t getEnemyShotColorKind() override { return record_->shot_color_kind; }

  // The actor and actor-body families, then the two colour-kind methods.
  void registerMethods(lua_State* L) override;

 private:
  struct Record {
    std::int32_t shot_color_kind = 0;
  };
  std::unique_ptr<Record> record_;
};

// "createEnemyBulletActorBody"(kind): a pooled actor body whose shot colour
// kind is the number truncated toward zero (0 for anything else).
int lua_createEnemyBulletActorBody(lua_State* L);
