// Script methods of actors and components. The script object holds one
// reference to its actor or component; a method handed anything else reports
// and does nothing.
#include <lua.hpp>

#include "actor/rk_actor.h"
#include "script/rk_lua_shared_methods.h"

namespace rk::actor {

const script::LuaClass kActorClass{
    "rk::actor::Actor",
    script::castToInterface<Actor, policy::SharedObject, policy::IInitialize, policy::IFinalize, policy::IIsUse>};
const script::LuaClass kActorComponentClass{"rk::actor::ActorComponent",
                                            script::castToInterface<ActorComponent, policy::SharedObject>};

namespace {

Actor* toActor(lua_State* L, int index) { return script::toLuaObject<Actor>(L, index, kActorClass); }
ActorComponent* toComponent(lua_State* L, int index) {
  return script::toLuaObject<ActorComponent>(L, index, kActorComponentClass);
}

int lua_Actor_setRun(lua_State* L) {
  if (Actor* actor = toActor(L, 1)) {
    actor->setRun();
  } else {
    script::reportNullObject("rk::actor::`anonymous-namespace'::lua_Actor_setRun");
  }
  lua_settop(L, 0);
  return 0;
}

int lua_Actor_isReady(lua_State* L) {
  Actor* actor = toActor(L, 1);
  lua_settop(L, 0);
  if (!actor) script::reportNullObject("rk::actor::`anonymous-namespace'::lua_Actor_isReady");
  lua_pushboolean(L, actor && actor->isReady());
  return 1;
}

int lua_Actor_getComponentNum(lua_State* L) {
  Actor* actor = toActor(L, 1);
  lua_settop(L, 0);
  if (!actor) script::reportNullObject("rk::actor::`anonymous-namespace'::lua_Actor_getComponentNum");
  lua_pushinteger(L, actor ? actor->getComponentNum() : 0);
  return 1;
}

int lua_Actor_addComponent(lua_State* L) {
  Actor* actor = toActor(L, 1);
  ActorComponent* component = toComponent(L, 2);
  if (actor && component) {
    actor->pushComponent(component);
  } else {
    script::reportNullObject("rk::actor::`anonymous-namespace'::lua_Actor_addComponent");
  }
  lua_settop(L, 0);
  return 0;
}

int lua_Actor_removeComponent(lua_State* L) {
  Actor* actor = toActor(L, 1);
  ActorComponent* component = toComponent(L, 2);
  if (actor && component) {
    actor->removeComponentEntry(component);
  } else {
    script::reportNullObject("rk::actor::`anonymous-namespace'::lua_Actor_removeComponent");
  }
  lua_settop(L, 0);
  return 0;
}

int lua_ActorComponent_getReady(lua_State* L) {
  if (ActorComponent* component = toComponent(L, 1)) {
    component->getReady();
  } else {
    script::reportNullObject("rk::actor::`anonymous-namespace'::lua_ActorComponent_getReady");
  }
  lua_settop(L, 0);
  return 0;
}

int lua_ActorComponent_setWait(lua_State* L) {
  if (ActorComponent* component = toComponent(L, 1)) {
    component->setWait();
  } else {
    script::reportNullObject("rk::actor::`anonymous-namespace'::lua_ActorComponent_setWait");
  }
  lua_settop(L, 0);
  return 0;
}

int lua_ActorComponent_getKind(lua_State* L) {
  ActorComponent* component = toComponent(L, 1);
  lua_settop(L, 0);
  if (!component) script::reportNullObject("rk::actor::`anonymous-namespace'::lua_ActorComponent_getKind");
  lua_pushinteger(L, component ? component->getKind() : 0);
  return 1;
}

// A component without an owner gives a null actor object.
int lua_ActorComponent_getOwner(lua_State* L) {
  ActorComponent* component = toComponent(L, 1);
  if (!component) script::reportNullObject("rk::actor::`anonymous-namespace'::lua_ActorComponent_getOwner");
  return pushActor(L, component ? component->owner() : nullptr);
}

const luaL_Reg kActorMethods[] = {
    {"initialize", policy::lua_initialize::lua_command_initialize},
    {"finalize", policy::lua_initialize::lua_command_finalize},
    {"setUse", policy::lua_initialize::lua_command_setUse},
    {"isUse", policy::lua_initialize::lua_command_isUse},
    {"setRun", lua_Actor_setRun},
    {"isReady", lua_Actor_isReady},
    {"getComponentNum", lua_Actor_getComponentNum},
    {"addComponent", lua_Actor_addComponent},
    {"removeComponent", lua_Actor_removeComponent},
    {nullptr, nullptr},
};

const luaL_Reg kComponentMethods[] = {
    {"getReady", lua_ActorComponent_getReady},
    {"setWait", lua_ActorComponent_setWait},
    {"getKind", lua_ActorComponent_getKind},
    {"getOwner", lua_ActorComponent_getOwner},
    {nullptr, nullptr},
};

}  // namespace

void Actor::registerMethods(lua_State* L) { script::setMethods(L, kActorMethods); }
void Actor::setMetatable(lua_State* L) { script::setObjectMetatable(L, script::lua_gcReleaseSharedObject); }
void ActorComponent::registerMethods(lua_State* L) { script::setMethods(L, kComponentMethods); }
void ActorComponent::setMetatable(lua_State* L) { script::setObjectMetatable(L, script::lua_gcReleaseSharedObject); }

int pushActor(lua_State* L, Actor* actor) {
  if (!actor) return script::pushLuaObject(L, nullptr, kActorClass, kActorMethods, script::lua_gcReleaseSharedObject);
  actor->addRef();
  return script::pushLuaObject(L, *actor, actor, kActorClass);
}

int pushActorComponent(lua_State* L, ActorComponent* component) {
  if (!component)
    return script::pushLuaObject(L, nullptr, kActorComponentClass, kComponentMethods,
                                 script::lua_gcReleaseSharedObject);
  component->addRef();
  return script::pushLuaObject(L, *component, component, kActorComponentClass);
}

}  // namespace rk::actor
