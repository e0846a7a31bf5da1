// A script task: owns one script state, loads its script through the file
// manager, waits until the script, its modules and the cached scripts have
// arrived, runs them in that state (cache, modules, script) and then steps the
// state's phase machine once per frame. The task manager owns and deletes it.
#pragma once
#include <memory>
#include <string>

#include "res/rk_resource.h"
#include "script/rk_lua_object.h"
#include "script/rk_script.h"
#include "task/rk_task.h"

namespace rk::task {

class ScriptTask : public Task, public script::ILuaMethod {
 public:
  // Requests the script (mapped to its stored name) with the parent's name as
  // the requesting owner. The task starts inactive and alive.
  ScriptTask(const char* scriptName, int priority, const char* parentScriptName, int unused = 0);
  ~ScriptTask() override;

  const char* currentScriptName() override;
  void pushScriptName(const char* name) override;
  void popScriptName() override;
  bool isScriptTask() override { return true; }
  int initStep(float dt) override;
  void update(float dt) override;

  // Every included module and the script itself are loaded.
  bool isReady() const;
  // Files the module under its name; true when a module of that name was
  // already included (nothing is added then).
  bool includeModule(res::ResourceData* module);
  void registerMouseEvent(int kind, const char* function, const char* argument);

  const std::string& scriptName() const;
  script::ScriptState* state() const;
  bool isEnded() const;
  bool isAutoDelete() const;
  void setAutoDelete(bool autoDelete);
  bool isLoadFailed() const;
  int cacheRun() const;

  // ILuaMethod: the script-task methods and the collector.
  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;
  // Builds the task's script object (see rk_lua_object.h); returns 1.
  int pushScriptObject(lua_State* L);

  static const script::LuaClass kLuaClass;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace rk::task
