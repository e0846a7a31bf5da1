// The Lua runtime: script states and the manager that creates, recycles and
// closes them, the user libraries the game registers, and the five-phase
// machine (DataLoad, Ready, Initialize, CoRoutine, Destructer) that a script
// registers itself into and that its task steps once per frame.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <lua.hpp>

#include "res/rk_resource.h"

namespace rk::task { class ScriptTask; }

namespace rk::script {

// One global function: its native body and its name. Bindings that may throw
// are registered wrapped in guarded<> (rk_lua_guard.h).
struct LuaFunctionPair {
  lua_CFunction function;
  const char* name;
};

// A binding table: pairs registered in order (empty while its subsystem is missing).
struct LuaFunctionTable {
  const LuaFunctionPair* pairs = nullptr;
  int count = 0;
};

// Sets each pair as a global of that name, in order (a later pair replaces an
// earlier global of the same name).
void registerLuaFunctions(lua_State* L, const LuaFunctionPair* pairs, int count);

// The stored name of a script: the name without its last extension + ".a",
// opened "rb" (always a compressed container). Returns true.
bool makeScriptPackPath(std::string& path, std::string& mode, const std::string& name);

// t[name] = value on the table at the top of the stack; a null name sets nothing.
void setFieldNumber(lua_State* L, const char* name, lua_Number value);

// Resumes the phase thread with no arguments. On LUA_OK and LUA_YIELD empties
// its stack and returns the status; on an error shows the status box, logs
// "rk::script::scriptResume" and throws HrException "スクリプトエラー".
// An exception parked by a binding is rethrown instead.
int scriptResume(lua_State* L);

// True for LUA_OK and LUA_YIELD; for an error status shows its box (caption by
// status, the error text and a traceback of L) and returns false.
bool reportLuaStatus(int status, lua_State* L);

// Waits for a resource the file manager is delivering: notify and a 1 ms sleep
// until it is loaded. Gives up (false) when no load is under way for it.
bool waitUntilLoaded(res::ResourceData* resource);

class ScriptState {
 public:
  enum Phase : int { kNone = 0, kDataLoad = 1, kReady = 2, kInitialize = 3, kCoRoutine = 4, kDestructer = 5 };

  // A phase entry: the global `function`, or the value under `field` in the
  // global table `function`. Set when `function` is not empty.
  struct Entry {
    std::string function;
    std::string field;
    bool isSet() const { return !function.empty(); }
  };
  struct MouseEvent {
    std::string function;
    std::string argument;
  };
  enum MouseKind : int { kLButtonDown = 0, kLButtonUp = 1, kMouseMove = 2, kRButtonDown = 3, kRButtonUp = 4 };

  ScriptState();
  virtual ~ScriptState();
  ScriptState(const ScriptState&) = delete;
  ScriptState& operator=(const ScriptState&) = delete;

  // Loads the resource as a chunk and runs it: on a new coroutine thread
  // (cached scripts), or on the phase thread, after which the first set entry
  // is pushed and becomes the phase. A failing chunk offers Retry (reload and
  // run again) or Cancel (HrException). Returns true.
  bool setScript(res::ResourceData* resource, bool runOnNewThread);
  // One frame of the phase machine: 1 while it runs, 0 once it has finished.
  int update();
  // Runs the Destructer entry (if set) and closes the Lua state.
  void close();

  lua_State* luaState() const;
  // The thread the phase functions run on.
  lua_State* phaseThread() const;
  bool isRunning() const;
  bool isStopped() const;
  int phase() const;
  void setPhase(int phase);
  const Entry& entry(Phase phase) const;
  void setEntry(Phase phase, const std::string& function, const std::string& field = std::string());
  const res::ResourcePtr& script() const;

  // Mouse handlers by kind; registering a kind that has one keeps the old one.
  void registerMouseEvent(int kind, const std::string& function, const std::string& argument);
  void clearMouseEvents();
  const std::map<int, MouseEvent>& mouseEvents() const;

  // The script task that runs in this state (null for states held otherwise).
  task::ScriptTask* ownerTask() const;
  void setOwnerTask(task::ScriptTask* task);

  class Impl;

 private:
  friend class ScriptStateManager;
  std::unique_ptr<Impl> impl_;
};

// The state whose Lua state (or one of its threads) `L` is; null otherwise.
ScriptState* scriptStateOf(lua_State* L);

class ScriptStateManager {
 public:
  struct UserLibrary {
    std::string name;
    const LuaFunctionPair* pairs;
    int count;
  };

  static ScriptStateManager* createInstance();
  static ScriptStateManager* getInstance();
  // Closes every state (running its Destructer) and deletes it.
  static void destroyInstance();

  ScriptStateManager();
  ~ScriptStateManager();
  ScriptStateManager(const ScriptStateManager&) = delete;
  ScriptStateManager& operator=(const ScriptStateManager&) = delete;

  // A fresh state with the standard libraries and the global tables, held by
  // the caller until releaseScriptState. A finished state is reused only when
  // nobody holds it any more.
  ScriptState* createScriptState();
  // The holder is done with the state: it is closed and may be reused.
  // False when the state is not one of this manager's.
  bool releaseScriptState(ScriptState* state);
  bool contains(const ScriptState* state) const;
  const std::vector<ScriptState*>& states() const;

  // Adds a library under its name's key (a second one of the same name is added beside it).
  void registerUserLibrary(const char* name, const LuaFunctionPair* pairs, int count);
  // The first library of exactly that name, or null.
  const UserLibrary* findUserLibrary(const char* name) const;

 private:
  std::vector<ScriptState*> states_;
  std::multimap<int, UserLibrary> userLibraries_;
};

}  // namespace rk::script
