#include "player/player.h"

#include <algorithm>

#include "script/rk_lua_arg.h"
#include "script/rk_lua_object.h"

Player::~Player() {
  std::vector<IOwner<Player>*> owned;
  owned.swap(owned_);
  for (IOwner<Player>* body : owned)
    if (body->getOwner() == this) body->setOwner(nullptr);
}

void Player::attachOwned(IOwner<Player>* body) {
  if (std::find(owned_.begin(), owned_.end(), body) == owned_.end()) owned_.push_back(body);
}

void Player::detachOwned(IOwner<Player>* body) {
  auto it = std::find(owned_.begin(), owned_.end(), body);
  if (it != owned_.end()) owned_.erase(it);
}

host::HResult Player::initialize() {
  ActorBody::initialize();
  state_->shot_level_ = kMinShotLevel;
  return host::S_OK;
}

void Player::finalize() {
  state_->shot_level_ = kMinShotLevel;
  ActorBody::finalize();
}

void Player::setShotLevel(std::uint32_t level) {
  state_->shot_level_ = std::min(std::max(level, kMinShotLevel), kMaxShotLevel);
}

Player* toPlayer(lua_State* L, int index) {
  return dynamic_cast<Player*>(rk::script::toLuaObject<rk::actor::Actor>(L, index, rk::actor::kActorClass));
}

namespace {

Player* self(lua_State* L, const char* method) {
  Player* player = toPlayer(L, 1);
  if (!player) rk::script::reportNullObject(method);
  return player;
}

int lua_setShotLevel(lua_State* L) {
  // Truncated toward zero; the low 32 bits taken as unsigned.
  const auto level = static_cast<std::uint32_t>(rk::script::toInt64Arg(L, 2));
  if (Player* player = self(L, "Player::lua_setShotLevel")) player->setShotLevel(level);
  lua_settop(L, 0);
  return 0;
}

int lua_getShotLevel(lua_State* L) {
  Player* player = self(L, "Player::lua_getShotLevel");
  const std::uint32_t level = player ? player->shotLevel() : 0;
  lua_settop(L, 0);
  lua_pushnumber(L, level);
  return 1;
}

const luaL_Reg kPlayerMethods[] = {
    {"setShotLevel", lua_setShotLevel},
    {"getShotLevel", lua_getShotLevel},
    {nullptr, nullptr},
};

}  // namespace

void Player::registerMethods(lua_State* L) {
  ActorBody::registerMethods(L);
  rk::script::setMethods(L, kPlayerMethods);
}

int lua_createPlayerActor(lua_State* L) {
  lua_settop(L, 0);
  rk::actor::ActorManager* manager = rk::actor::ActorManager::getInstance();
  Player* player = nullptr;
  if (manager) {
    // A free actor of the player's kind is always a Player: only this creator
    // and the generic one (which reuses by kind) file actors under kind 1.
    player = dynamic_cast<Player*>(manager->findByKind(Player::kKind));
    if (player) manager->erase(player);
  }
  if (!player) player = new Player();
  if (manager) manager->add(0, player);
  player->initialize();
  return rk::actor::pushActor(L, player);
}
