// The owner link of the game's rigid bodies: a plain pointer to the object the
// body belongs to (an enemy, the player). It holds no reference; the owner
// clears the link when it goes first.
#pragma once
#include <lua.hpp>

#include "kernel/rk_hr_exception.h"
#include "script/rk_lua_guard.h"

template <class T>
class IOwner {
 public:
  virtual ~IOwner() = default;
  virtual void setOwner(T* owner) = 0;
  virtual T* getOwner() = 0;
};

namespace i_owner {

// Where "getOwner" reports a body that has no owner.
constexpr const char* kSource = "QV21_SOURCE/policy/i_owner";
constexpr int kNoOwnerLine = 78;

// "getOwner"(body): a new script object of the owner holding one reference. A
// body without owner is a hard failure (E_OUTOFMEMORY naming "owner"), raised
// as a Lua error that carries the parked exception. `Read` gives the body of
// argument 1 (null after its own report); `Push` pushes the owner.
template <class T, IOwner<T>* (*Read)(lua_State*), int (*Push)(lua_State*, T*)>
int lua_getOwnerUnguarded(lua_State* L) {
  IOwner<T>* body = Read(L);
  if (!body) {
    lua_settop(L, 0);
    lua_pushnil(L);
    return 1;
  }
  T* owner = body->getOwner();
  if (!owner) throw HrException(host::E_OUTOFMEMORY, kSource, kNoOwnerLine, L"owner");
  lua_settop(L, 0);
  return Push(L, owner);
}
template <class T, IOwner<T>* (*Read)(lua_State*), int (*Push)(lua_State*, T*)>
int lua_getOwner(lua_State* L) {
  return rk::script::guarded<lua_getOwnerUnguarded<T, Read, Push>>(L);
}

// "setOwner"(body, owner or nil): the link, without a reference; nil unsets it.
// An argument 2 that is neither nil nor an owner is reported by `ReadOwner`
// and changes nothing.
template <class T, IOwner<T>* (*Read)(lua_State*), T* (*ReadOwner)(lua_State*, int)>
int lua_setOwner(lua_State* L) {
  IOwner<T>* body = Read(L);
  if (body) {
    if (lua_isnoneornil(L, 2)) {
      body->setOwner(nullptr);
    } else if (T* owner = ReadOwner(L, 2)) {
      body->setOwner(owner);
    }
  }
  lua_settop(L, 0);
  return 0;
}

}  // namespace i_owner
