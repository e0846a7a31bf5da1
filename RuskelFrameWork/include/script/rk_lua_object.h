// How engine objects are handed to scripts. A script object is a full userdata
// whose block holds a class tag and one pointer to the engine object; its
// metatable's __index is a table of the class's methods and its __gc the
// class's collector. A method reads its object with toLuaObject: a light
// userdata, an object of another class or one already collected or released
// reads as null, and the method then reports and does nothing.
#pragma once
#include <cstdint>
#include <vector>

#include <lua.hpp>

#include "policy/rk_policy.h"
#include "policy/rk_shared_object.h"
#include "script/rk_lua_guard.h"
#include "task/rk_task.h"

namespace rk::script {

// One per class of script object; its address is the tag.
struct LuaClass {
  const char* name;  // qualified class name, for diagnostics
  // Converts a held pointer to one of the shared interfaces whose methods
  // several classes register (task, shared object, policy interfaces); null
  // when the class does not implement `target`.
  void* (*cast)(void* object, const LuaClass& target) = nullptr;
};

// The shared interfaces.
extern const LuaClass kSharedObjectClass;
extern const LuaClass kTaskClass;
extern const LuaClass kInitializeClass;
extern const LuaClass kFinalizeClass;
extern const LuaClass kIsUseClass;

template <class Interface> const LuaClass& interfaceClass();
template <> inline const LuaClass& interfaceClass<policy::SharedObject>() { return kSharedObjectClass; }
template <> inline const LuaClass& interfaceClass<task::Task>() { return kTaskClass; }
template <> inline const LuaClass& interfaceClass<policy::IInitialize>() { return kInitializeClass; }
template <> inline const LuaClass& interfaceClass<policy::IFinalize>() { return kFinalizeClass; }
template <> inline const LuaClass& interfaceClass<policy::IIsUse>() { return kIsUseClass; }

// A LuaClass::cast for a class T that implements the listed interfaces.
template <class T, class... Interfaces>
void* castToInterface(void* object, const LuaClass& target) {
  void* result = nullptr;
  ((result = (!result && &target == &interfaceClass<Interfaces>())
                 ? static_cast<void*>(static_cast<Interfaces*>(static_cast<T*>(object)))
                 : result),
   ...);
  return result;
}

// For objects the engine may delete while scripts still hold them (tasks, for
// example). The block then reaches the object through a small heap cell that
// the object's links can clear: no engine object keeps a pointer into Lua's
// memory, so nothing depends on the collector ever running.
struct LuaObjectCell {
  void* object;
  class LuaObjectLinks* links;  // null once the object is gone
};

// The userdata block of every script object.
struct LuaObjectBlock {
  std::uint32_t magic;
  const LuaClass* cls;
  void* object;         // null once collected or released
  LuaObjectCell* cell;  // set instead of `object` for objects the engine may delete first
};

constexpr std::uint32_t kLuaObjectMagic = 0x524B4F42;  // "RKOB"

// Our block at that index, or null for any other value. Only a full userdata
// has the block's raw length and a block address (a string of that length has
// none; a light userdata or a table answers another length).
inline LuaObjectBlock* luaObjectBlock(lua_State* L, int index) {
  if (lua_rawlen(L, index) != sizeof(LuaObjectBlock) || lua_type(L, index) != LUA_TUSERDATA) return nullptr;
  auto* block = static_cast<LuaObjectBlock*>(lua_touserdata(L, index));
  return block->magic == kLuaObjectMagic ? block : nullptr;
}
// An object of another class, through its class's cast.
void* castLuaObject(LuaObjectBlock* block, void* object, const LuaClass& cls);
// The object at that index as `cls` (the tag compared by address, else
// through its class's cast), else null.
inline void* toLuaObject(lua_State* L, int index, const LuaClass& cls) {
  LuaObjectBlock* block = luaObjectBlock(L, index);
  void* object = !block ? nullptr : block->cell ? block->cell->object : block->object;
  if (!object) return nullptr;
  return block->cls == &cls ? object : castLuaObject(block, object, cls);
}
template <class T>
T* toLuaObject(lua_State* L, int index, const LuaClass& cls) {
  return static_cast<T*>(toLuaObject(L, index, cls));
}
// Engine objects link each other by plain pointer; the script objects behind
// such a link are kept reachable from the linking object's userdata (at index
// 1), so that the collector cannot free a linked object while its linker is
// still reachable. Stores the value at `valueIndex` under `key` in the
// userdata's user value (nil forgets it). Call before the stack is cleared.
// Pushes the user value table of the userdata at index 1, made on first use.
inline void pushKeptTable(lua_State* L) {
  lua_getuservalue(L, 1);
  if (!lua_istable(L, -1)) {
    lua_pop(L, 1);
    lua_newtable(L);
    lua_pushvalue(L, -1);
    lua_setuservalue(L, 1);
  }
}

inline void keepLinked(lua_State* L, const char* key, int valueIndex) {
  pushKeptTable(L);
  lua_pushvalue(L, valueIndex);
  lua_setfield(L, -2, key);
  lua_pop(L, 1);
}
// Writes the error-log entry of a method that was handed no usable object.
void reportNullObject(const char* functionName);

// The three steps that build a script object's tables, in slot order.
class ILuaMethod {
 public:
  virtual ~ILuaMethod() = default;
  // Pushes the metatable (stack index 2) and the method table (index 3).
  virtual void createTables(lua_State* L);
  // Sets the class's methods into the method table at index 3.
  virtual void registerMethods(lua_State* L) = 0;
  // Sets the metatable's __index and __gc and makes it the metatable of index 1.
  virtual void setMetatable(lua_State* L) = 0;
};

// Helpers for the three steps.
void setMethods(lua_State* L, const luaL_Reg* methods);  // {name, function} list ending in {null, null}
void setObjectMetatable(lua_State* L, lua_CFunction collector);

// Builds a script object: empties the stack, makes the block at index 1, runs
// the three steps and returns 1 (only the userdata remains). The block comes
// back through `block` when the caller must link it.
int pushLuaObject(lua_State* L, ILuaMethod& methods, void* object, const LuaClass& cls,
                  LuaObjectBlock** block = nullptr);
// The same for a class described by a method list and a collector.
int pushLuaObject(lua_State* L, void* object, const LuaClass& cls, const luaL_Reg* methods, lua_CFunction collector,
                  LuaObjectBlock** block = nullptr);

class LuaObjectLinks {
 public:
  LuaObjectLinks() = default;
  ~LuaObjectLinks() { clear(); }
  LuaObjectLinks(const LuaObjectLinks&) = delete;
  LuaObjectLinks& operator=(const LuaObjectLinks&) = delete;

  // Moves the block's object into a new cell linked here.
  void link(LuaObjectBlock* block);
  // The object is going: every linked block reads null from now on.
  void clear();
  // The collector's side: the block lets go of its cell (and of the link).
  static void release(LuaObjectBlock* block);

 private:
  std::vector<LuaObjectCell*> cells_;
};

// ------------------------------------------------------------- collectors
// Each reads argument 1, does nothing when it holds null, acts, clears the
// block, empties the stack and returns no result.

// Drops the script's reference to a shared object.
int lua_gcReleaseSharedObject(lua_State* L);

// Deletes an object that only its script object owns (through its virtual
// destructor). Only blocks of class `Cls` are touched.
template <class T, const LuaClass& Cls>
int lua_gcDeleteObject(lua_State* L) {
  LuaObjectBlock* block = luaObjectBlock(L, 1);
  if (block && block->cls == &Cls && block->object) {
    T* object = static_cast<T*>(block->object);
    block->object = nullptr;
    delete object;
  }
  lua_settop(L, 0);
  return 0;
}

// The deleting release of link and sync cameras and of vertex and index
// buffers: the same as lua_gcDeleteObject. Run twice on one object (a
// resurrected userdata, or a script calling it), it finds a null payload the
// second time and does nothing.
template <class T, const LuaClass& Cls>
int lua_deleteHeldObject(lua_State* L) {
  return lua_gcDeleteObject<T, Cls>(L);
}

// Deletes a heap-allocated holder (a shared pointer, for example) and with it
// the holder's share of the object.
template <class Holder, const LuaClass& Cls>
int lua_gcDeleteSharedPtr(lua_State* L) {
  return lua_gcDeleteObject<Holder, Cls>(L);
}

// Builds a script object that holds one reference to a shared object; its
// collector, lua_gcReleaseSharedObject, drops it. `cls` must cast to the
// shared-object interface.
template <class T>
int pushSharedObject(lua_State* L, T* object, const LuaClass& cls, const luaL_Reg* methods) {
  if (object) static_cast<policy::SharedObject*>(object)->addRef();
  return pushLuaObject(L, object, cls, methods, lua_gcReleaseSharedObject);
}

}  // namespace rk::script
