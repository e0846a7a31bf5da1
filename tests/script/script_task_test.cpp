// Script tasks: the order in which cached scripts, modules and the script run,
// tasks started by scripts, the task object's methods, which task "current"
// means, mouse handlers, pauses, user libraries and the global tables.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "script/rk_script_system.h"
#include "script/rk_script_tables.h"
#include "script_fixture.h"

namespace {

using rk::script::ScriptState;
using Lines = std::vector<std::string>;

class ScriptTasks : public rktest::ScriptFixture {};

TEST_F(ScriptTasks, CachedScriptsRunOnceEachBeforeModulesAndTheScript) {
  loadScriptPack({
      {"script/c1.a", "loadUserLibrary('test') trace('c1')"},
      {"script/c2.a", "loadUserLibrary('test') trace('c2')"},
      {"script/c3.a", "loadUserLibrary('test') trace('c3')"},
      {"script/mod.a", "trace('module')"},
      {"script/main.a", "trace('script') function main() trace('main') end entryCoRoutine('main')"},
  });
  for (const char* name : {"script/c1", "script/c2", "script/c3"}) cache_->add(name);
  rk::task::ScriptTask* first = startScript("script/main");
  startScript("script/main", 5);
  first->includeModule(resources_->findResource("script/mod.a").get());

  EXPECT_EQ(traceOfFrame(), Lines({"c1", "c2", "c3", "module", "script", "main",  // first task's state
                                   "c1", "c2", "c3", "script", "main"}));          // the second's own state
  EXPECT_EQ(first->cacheRun(), 3);
  EXPECT_EQ(traceOfFrame(), Lines());
}

TEST_F(ScriptTasks, ATaskWaitsUntilItsModulesHaveArrived) {
  loadScriptPack({{"script/main.a", "loadUserLibrary('test') trace('script')"}});
  rk::task::ScriptTask* task = startScript("script/main");
  rk::res::ResourcePtr pending = resources_->getResourceData("script/late.a");  // never delivered
  task->includeModule(pending.get());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(traceOfFrame(), Lines());
  EXPECT_FALSE(task->isInitialised());
  pending->setReady(true);
  EXPECT_EQ(traceOfFrame(), Lines({"script"}));
}

TEST_F(ScriptTasks, AMissingScriptEndsTheProgramWithItsName) {
  try {
    startScript("script/nowhere");
    FAIL() << "no exception";
  } catch (const HrException& e) {
    EXPECT_NE(std::string(e.what()).find("script/nowhere.a"), std::string::npos);
  }
  EXPECT_TRUE(rk::task::TaskManager::getInstance()->tasks().empty());
}

// A task from loadScript initialises on its own but runs its phases only after
// run; isRun stays true until its machine has finished; close ends it and the
// task manager deletes it, running its Destructer.
TEST_F(ScriptTasks, LoadScriptStartsInactiveUntilRunAndCloseDeletesIt) {
  loadScriptPack({
      {"script/parent.a", R"(
        loadUserLibrary('test')
        function main()
          child = loadScript('script/child', 6)
          trace('parent isRun', child:isRun())
          coroutine.yield() coroutine.yield()
          trace('run', child:run())
          coroutine.yield() coroutine.yield()
          trace('parent isRun', child:isRun())
          child:close()
          while true do coroutine.yield() end
        end
        entryCoRoutine('main'))"},
      {"script/child.a", R"(
        loadUserLibrary('test')
        trace('child chunk')
        function main() trace('child main') coroutine.yield() end
        function fin() trace('child fin') end
        entryCoRoutine('main') entryDestructer('fin'))"},
  });
  startScript("script/parent");
  EXPECT_EQ(traceOfFrame(), Lines({"parent isRun true"}));
  EXPECT_EQ(traceOfFrame(), Lines({"child chunk"}));  // initialised, not active
  EXPECT_EQ(traceOfFrame(), Lines({"run true", "child main"}));
  EXPECT_EQ(traceOfFrame(), Lines());  // the child's CoRoutine returns: its Destructer is pushed
  // close: the task manager deletes it at the end of its turn; the deletion
  // closes its state, which runs the Destructer.
  EXPECT_EQ(traceOfFrame(), Lines({"parent isRun true", "child fin"}));
  EXPECT_EQ(rk::task::TaskManager::getInstance()->tasks().size(), 1u);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(ScriptTasks, RunOnATaskThatIsNotReadyReportsAndReturnsFalse) {
  loadScriptPack({{"script/parent.a", R"(
        loadUserLibrary('test')
        function main()
          child = loadScript('script/child', 6)
          coroutine.yield()
          trace('run', child:run(), child:isReady())
          coroutine.yield()
          trace('run', child:run())
          while true do coroutine.yield() end  -- keeps the child's object alive
        end
        entryCoRoutine('main'))"},
                  {"script/child.a", "x = 1"}});
  startScript("script/parent");
  frame();
  // Give the child a module that has not arrived yet.
  rk::task::ScriptTask* child = nullptr;
  for (rk::task::Task* t : rk::task::TaskManager::getInstance()->tasks())
    if (t->priority() == 6) child = static_cast<rk::task::ScriptTask*>(t);
  ASSERT_NE(child, nullptr);
  rk::res::ResourcePtr late = resources_->getResourceData("script/late.a");
  child->includeModule(late.get());
  EXPECT_EQ(traceOfFrame(), Lines({"run false false"}));
  EXPECT_EQ(log_.entries("rk::task::`anonymous-namespace'::lua_script_task_run"), 1u);
  late->setReady(true);
  EXPECT_EQ(traceOfFrame(), Lines({"run true"}));
  EXPECT_TRUE(child->isInitialised());
}

// Entries, modules, mouse handlers and the priority act on the task whose
// state is calling, whatever other script tasks exist.
TEST_F(ScriptTasks, TheCurrentTaskIsTheOneThatOwnsTheCallingState) {
  loadScriptPack({
      {"script/a.a", "loadUserLibrary('test') function main() trace('a main') end entryCoRoutine('main')"},
      {"script/b.a", R"(
        loadUserLibrary('test')
        function mainB() trace('b main', getNowScriptPriority()) end
        entryCoRoutine('mainB')
        registerEventMouseMove('onMove', 'arg')
        includeModule('script/m'))"},
      {"script/m.a", "trace('module in b')"},
  });
  rk::task::ScriptTask* a = startScript("script/a", 4);
  rk::task::ScriptTask* b = startScript("script/b", 5);
  EXPECT_EQ(traceOfFrame(), Lines({"a main", "module in b", "b main 5"}));
  EXPECT_EQ(a->state()->entry(ScriptState::kCoRoutine).function, "main");
  EXPECT_TRUE(a->state()->mouseEvents().empty());
  ASSERT_EQ(b->state()->mouseEvents().count(ScriptState::kMouseMove), 1u);
  EXPECT_TRUE(b->includeModule(resources_->findResource("script/m.a").get())) << "already in b's module map";
  EXPECT_FALSE(a->includeModule(resources_->findResource("script/m.a").get()));
}

TEST_F(ScriptTasks, MouseHandlersKeepTheFirstOfAKindUntilCleared) {
  loadScriptPack({{"script/mouse.a", R"(
    registerEventMouseLButtonDown('down', 1)
    registerEventMouseLButtonUp('up')
    registerEventMouseRButtonDown('rdown', {})
    registerEventMouseRButtonUp(12.5, 'x')
    registerEventMouseMove('first', 'a')
    registerEventMouseMove('second', 'b')
    function main()
      clearWindowEvent()
      registerEventMouseMove('third', 'c')
    end
    entryCoRoutine('main'))"}});
  rk::task::ScriptTask* task = startScript("script/mouse");
  task->setActive(false);  // the first frame runs the chunk only
  frame();
  auto events = task->state()->mouseEvents();
  auto expect = [&](int kind, const char* function, const char* argument) {
    ASSERT_EQ(events.count(kind), 1u) << kind;
    EXPECT_EQ(events[kind].function, function);
    EXPECT_EQ(events[kind].argument, argument);
  };
  expect(ScriptState::kLButtonDown, "down", "1");
  expect(ScriptState::kLButtonUp, "up", "");
  expect(ScriptState::kRButtonDown, "rdown", "");
  expect(ScriptState::kRButtonUp, "12.5", "x");
  expect(ScriptState::kMouseMove, "first", "a");
  task->setActive(true);
  frame();
  events = task->state()->mouseEvents();
  ASSERT_EQ(events.size(), 1u);
  expect(ScriptState::kMouseMove, "third", "c");
}

class Counter : public rk::task::Task {
 public:
  explicit Counter(int priority) : Task(priority, "counter") { setActive(true); }
  int initStep(float) override { return 0; }
  void update(float) override { ++updates; }
  int updates = 0;
};

TEST_F(ScriptTasks, SetTaskPauseTruncatesThePriority) {
  loadScriptPack({{"script/pause.a", R"(
    function main()
      setTaskPause(64.9, true) coroutine.yield()
      setTaskPause(64, nil)
    end
    entryCoRoutine('main'))"}});
  auto* counter = new Counter(64);
  startScript("script/pause");
  frame();  // the script (priority 4) pauses 64 before the counter's turn
  EXPECT_EQ(counter->updates, 0);
  frame();
  EXPECT_FALSE(counter->isPaused());
  EXPECT_EQ(counter->updates, 1);
}

TEST_F(ScriptTasks, EntryGlobalsTakeTextOrNumbersAndAnythingElseClearsTheEntry) {
  loadScriptPack({{"script/entries.a", R"(
    entryDataLoad(12, 3.5)
    entryReady('ready', {})
    entryInitialize({}, 'x')
    entryCoRoutine('main')
    entryCoRoutine(nil)
    entryDestructer('fin', 'field'))"}});
  rk::task::ScriptTask* task = startScript("script/entries");
  task->setActive(false);
  frame();
  ScriptState* state = task->state();
  EXPECT_EQ(state->entry(ScriptState::kDataLoad).function, "12");
  EXPECT_EQ(state->entry(ScriptState::kDataLoad).field, "3.5");
  EXPECT_EQ(state->entry(ScriptState::kReady).field, "");
  EXPECT_FALSE(state->entry(ScriptState::kInitialize).isSet());
  EXPECT_FALSE(state->entry(ScriptState::kCoRoutine).isSet());
  EXPECT_EQ(state->entry(ScriptState::kDestructer).field, "field");
}

// ---------------------------------------------------------- user libraries

int libAb(lua_State* L) {
  lua_pushstring(L, "ab");
  return 1;
}
int libBa(lua_State* L) {
  lua_pushstring(L, "ba");
  return 1;
}

TEST_F(ScriptTasks, UserLibrariesWithEqualKeysAreToldApartByName) {
  ASSERT_EQ(rk::res::nameKey("ab"), rk::res::nameKey("ba"));
  const rk::script::LuaFunctionPair ab[] = {{libAb, "which"}};
  const rk::script::LuaFunctionPair ba[] = {{libBa, "which"}, {libBa, "onlyBa"}};
  states_->registerUserLibrary("ab", ab, 1);
  states_->registerUserLibrary("ba", ba, 2);
  EXPECT_EQ(states_->findUserLibrary("ab")->pairs, ab);
  EXPECT_EQ(states_->findUserLibrary("ba")->pairs, ba);
  EXPECT_EQ(states_->findUserLibrary("abc"), nullptr);

  loadScriptPack({{"script/libs.a", R"(
    loadUserLibrary('test')
    loadUserLibrary('nothing')
    loadUserLibrary('ba') trace(which(), onlyBa ~= nil)
    loadUserLibrary('ab') trace(which()))"}});
  startScript("script/libs");
  EXPECT_EQ(traceOfFrame(), Lines({"ba true", "ab"}));
}

// --------------------------------------------------------------- globals

TEST_F(ScriptTasks, EveryStateHasTheStandardLibrariesAndTheLastTablesFunctionOfEachName) {
  rk::script::ScriptState* state = states_->createScriptState();
  lua_State* L = state->luaState();
  for (const char* library : {"_G", "package", "coroutine", "table", "io", "os", "string", "bit32", "math", "debug"}) {
    lua_getglobal(L, library);
    EXPECT_TRUE(lua_istable(L, -1)) << library;
    lua_pop(L, 1);
  }
  std::map<std::string, lua_CFunction> last;
  for (const rk::script::LuaFunctionTable& table : rk::script::globalFunctionTables())
    for (int i = 0; i < table.count; ++i) last[table.pairs[i].name] = table.pairs[i].function;
  EXPECT_FALSE(last.empty());
  for (const auto& [name, function] : last) {
    lua_getglobal(L, name.c_str());
    EXPECT_EQ(lua_tocfunction(L, -1), function) << name;
    lua_pop(L, 1);
  }
  states_->releaseScriptState(state);
}

TEST(RegisterLuaFunctions, ALaterPairReplacesAnEarlierGlobal) {
  lua_State* L = luaL_newstate();
  const rk::script::LuaFunctionPair pairs[] = {{libAb, "f"}, {libBa, "g"}, {libBa, "f"}};
  rk::script::registerLuaFunctions(L, pairs, 3);
  rk::script::registerLuaFunctions(L, pairs, 3);  // twice: the same globals
  lua_getglobal(L, "f");
  EXPECT_EQ(lua_tocfunction(L, -1), &libBa);
  lua_close(L);
}

TEST(ScriptPackPath, TheLastExtensionBecomesDotA) {
  struct Case {
    const char* name;
    const char* path;
  };
  for (const Case& c : {Case{"script/autoexec", "script/autoexec.a"}, Case{"script/stage.lua", "script/stage.a"},
                        Case{"v1.2/stage", "v1.a"}, Case{"", ".a"}}) {
    std::string path, mode;
    EXPECT_TRUE(rk::script::makeScriptPackPath(path, mode, c.name));
    EXPECT_EQ(path, c.path);
    EXPECT_EQ(mode, "rb");
  }
}

}  // namespace
