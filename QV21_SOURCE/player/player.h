// The player's machine: an actor body (kind 1) whose hit points are the shield
// and which adds the shot level 1..5 that the scripts read to choose the
// weapons' power. Players are pooled in the actor manager like every actor.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include <lua.hpp>

#include "actor_body/actor_body.h"
#include "policy/i_owner.h"

class Player : public ActorBody {
 public:
  static constexpr int kKind = 1;
  static constexpr std::uint32_t kMinShotLevel = 1;
  static constexpr std::uint32_t kMaxShotLevel = 5;

  struct PlayerState {
    std::uint32_t shot_level_ = kMinShotLevel;
  };

  Player() : state_(std::make_unique<PlayerState>()) {}
  // Every body whose owner link still names this player is unlinked.
  ~Player() override;

  int kind() override { return kKind; }
  // The actor body's initialize, then shot level 1.
  host::HResult initialize() override;
  // Shot level 1, then the actor body's finalize.
  void finalize() override;

  std::uint32_t shotLevel() const { return state_->shot_level_; }
  // Held in 1..5; the value is compared unsigned, so a wrapped negative is 5.
  void setShotLevel(std::uint32_t level);
  PlayerState& state() { return *state_; }

  // The actor and actor-body families, then "setShotLevel" and "getShotLevel".
  void registerMethods(lua_State* L) override;

  // Owner links naming this player: a body enters here when it links and
  // leaves when it unlinks or goes, so the player can clear them when it goes.
  void attachOwned(IOwner<Player>* body);
  void detachOwned(IOwner<Player>* body);

 private:
  std::unique_ptr<PlayerState> state_;
  std::vector<IOwner<Player>*> owned_;
};

// The player held by the script object at that index, else null (no report).
Player* toPlayer(lua_State* L, int index);

// "createPlayerActor"(): a free player of the actor manager (kind 1) or a new
// one, filed under 0 and initialised, in a script object holding a reference.
int lua_createPlayerActor(lua_State* L);
