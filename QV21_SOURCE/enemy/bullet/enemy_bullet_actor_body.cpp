#include "enemy/bullet/enemy_bullet_actor_body.h"

#include "actor/rk_actor.h"
#include "script/rk_lua_arg.h"

EnemyBulletActorBody::EnemyBulletActorBody() : record_(std::make_unique<Record>()) {}

EnemyBulletActorBody::~EnemyBulletActorBody() = default;

EnemyBulletActorBody* EnemyBulletActorBody::create(rk::actor::ActorManager* manager) {
  EnemyBulletActorBody* body = nullptr;
  if (manager) {
    // Only this class answers kind 4; another class of that kind is left alone.
    rk::actor::Actor* free = manager->findByKind(kKind);
    body = dynamic_cast<EnemyBulletActorBody*>(free);
    if (body) manager->erase(body);
  }
  if (!body) body = new EnemyBulletActorBody();
  if (manager) manager->add(kManagerNumber, body);
  body->initialize();
  return body;
}

namespace {

EnemyBulletActorBody* selfArg(lua_State* L, const char* method) {
  auto* actor = rk::script::toLuaObject<rk::actor::Actor>(L, 1, rk::actor::kActorClass);
  auto* body = dynamic_cast<EnemyBulletActorBody*>(actor);
  if (!body) rk::script::reportNullObject(method);
  return body;
}

int lua_setEnemyShotColorKind(lua_State* L) {
  const int kind = rk::script::toIntArg(L, 2);
  if (EnemyBulletActorBody* body = selfArg(L, "EnemyBulletActorBody::lua_setEnemyShotColorKind"))
    body->setEnemyShotColorKind(kind);
  lua_settop(L, 0);
  return 0;
}

int lua_getEnemyShotColorKind(lua_State* L) {
  EnemyBulletActorBody* body = selfArg(L, "EnemyBulletActorBody::lua_getEnemyShotColorKind");
  const int kind = body ? body->getEnemyShotColorKind() : 0;
  lua_settop(L, 0);
  lua_pushinteger(L, kind);
  return 1;
}

const luaL_Reg kColorKindMethods[] = {
    {"setEnemyShotColorKind", lua_setEnemyShotColorKind},
    {"getEnemyShotColorKind", lua_getEnemyShotColorKind},
    {nullptr, nullptr},
};

}  // namespace

void EnemyBulletActorBody::registerMethods(lua_State* L) {
  ActorBody::registerMethods(L);
  rk::script::setMethods(L, kColorKindMethods);
}

int lua_createEnemyBulletActorBody(lua_State* L) {
  const int kind = rk::script::toIntArg(L, 1);
  lua_settop(L, 0);
  EnemyBulletActorBody* body = EnemyBulletActorBody::create(rk::actor::ActorManager::getInstance());
  body->setEnemyShotColorKind(kind);
  return rk::actor::pushActor(L, body);
}
